// Simple peeling through the peelable set of the indexed engine.
#include "pedigree/indexed_engine.h"

namespace pedpeel {

void IndexedEngine::peel_pass(PassContext& context) {
  Families& families = context.families;
  for (int32_t f = peelable_.next_from(1); f != 0; f = peelable_.next_from(f + 1)) {
    // The pivot is the ID of the last linked position (at most one position is linked).
    int16_t pivot = 0;
    for (int16_t x : families.members(f)) {
      if (incidence_.families_holding(incidence_.member_of(x)) >= 2) pivot = x;
    }
    move_pivot_to_first_child(families, f, pivot);
    take(context, f, kPeeledFamily, pivot, families.length(f) - 2);
  }
}

}  // namespace pedpeel
