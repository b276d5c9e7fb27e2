// The two passes over the families of one pedigree, in their straightforward form: every
// test scans the lists of the families not yet taken. They define the order of the records.
#ifndef PEDPEEL_PEDIGREE_PASSES_H_
#define PEDPEEL_PEDIGREE_PASSES_H_

#include <cstdint>

#include "pedigree/families.h"
#include "pedigree/family_records.h"

namespace pedpeel {

// What a pass works on: the current pedigree's families and where taken families go.
struct PassContext {
  RunIo& io;  // for the console message of a stop
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

// Largest number of children a loop head may have.
inline constexpr int32_t kMaxLoopHeadChildren = 300;

/// Simple peeling: takes, in family order, every family joined to the untaken families
/// through at most one member position; the linking child moves to the first child place.
void simple_peeling_pass(PassContext& context);

/// Loop resolution: takes a family whose children mate with each other or with one of its
/// parents (kind 4) together with the families of those matings (kinds 5, 6, 7).
ResolveOutcome loop_resolution_pass(PassContext& context);

/// Moves `pivot` to the first child place of family f when it is a child past that place.
void move_pivot_to_first_child(Families& families, int32_t f, int16_t pivot);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_PASSES_H_
