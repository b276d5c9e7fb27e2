#include <utility>

#include "pedigree/passes.h"

namespace pedpeel {

namespace {

// Whether x stands anywhere in the list of an untaken family other than f.
bool in_other_untaken_family(const Families& families, int32_t f, int16_t x) {
  for (int32_t g = 1; g <= families.NFAM; ++g) {
    if (g == f || families.taken(g)) continue;
    for (int16_t member : families.members(g)) {
      if (member == x) return true;
    }
  }
  return false;
}

}  // namespace

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

void simple_peeling_pass(PassContext& context) {
  Families& families = context.families;
  for (int32_t f = 1; f <= families.NFAM; ++f) {
    if (families.taken(f)) continue;
    int links = 0;
    int16_t pivot = 0;
    for (int16_t x : families.members(f)) {
      if (!in_other_untaken_family(families, f, x)) continue;
      pivot = x;
      if (++links > 1) break;
    }
    if (links > 1) continue;
    move_pivot_to_first_child(families, f, pivot);
    context.take(f, kPeeledFamily, pivot, families.length(f) - 2);
  }
}

}  // namespace pedpeel
