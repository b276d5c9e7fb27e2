// What the two passes over the families of one pedigree share: the pass context that takes
// a family into the record sink, how a loop resolution pass ends, and the move of a linking
// child to the first child place.
#ifndef PEDPEEL_PEDIGREE_PASS_CONTEXT_H_
#define PEDPEEL_PEDIGREE_PASS_CONTEXT_H_

#include <cstdint>

#include "pedigree/families.h"
#include "pedigree/family_records.h"

namespace pedpeel {

// What a pass works on: the current pedigree's families and where taken families go.
struct PassContext {
  RecordSink& sink;
  const RowLookup& lookup;
  int pedigree;
  Families& families;
  bool RESOLVED = false;      // set by a loop resolution pass that takes a family
  int64_t records_taken = 0;  // records emitted for this pedigree so far

  /// Emits family f as a record of `itype` and marks it taken.
  void take(int32_t f, int32_t itype, int32_t iway, int32_t npot);
};

// How a loop resolution pass ended.
enum class ResolveOutcome {
  kCompleted,   // went through every family
  kHandedBack,  // met a family none of whose children mates in a family left
};

/// Moves `pivot` to the first child place of family f when it is a child past that place.
void move_pivot_to_first_child(Families& families, int32_t f, int16_t pivot);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_PASS_CONTEXT_H_
