#include <utility>

#include "testing/oracle_engine.h"

namespace pedpeel::testing {

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

}  // namespace pedpeel::testing
