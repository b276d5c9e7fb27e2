#include "pedigree/pass_context.h"

#include <utility>

namespace pedpeel {

void PassContext::take(int32_t f, int32_t itype, int32_t iway, int32_t npot) {
  sink.emit({pedigree, families.members(f), itype, iway, npot}, lookup);
  families.FAMDONE[f] = 1;
  ++records_taken;
}

void move_pivot_to_first_child(Families& families, int32_t f, int16_t pivot) {
  const int32_t s = families.start(f);
  std::vector<int16_t>& FAMLIST = families.FAMLIST;
  if (pivot == 0 || pivot == FAMLIST[s] || pivot == FAMLIST[s + 1] || pivot == FAMLIST[s + 2]) {
    return;
  }
  for (int32_t k = s + 3; k <= families.end(f); ++k) {
    if (FAMLIST[k] == pivot) {
      std::swap(FAMLIST[s + 2], FAMLIST[k]);
      return;
    }
  }
}

}  // namespace pedpeel
