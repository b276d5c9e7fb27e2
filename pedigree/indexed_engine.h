// The production peeling engine. Takes the families in the peeling order (engine.h), with
// the lists, IWAY values, hand-backs and stops of the two passes, and keeps indexes so
// that the work of a pedigree grows with its size instead of its size squared or cubed:
//
//  - grouping and member lookup through indexes of parent pairs and IDs;
//  - for every member, the untaken families that hold it (FamilyIncidence), so a position
//    of family f is linked exactly when its ID is held by at least two untaken families
//    (f itself and another);
//  - per family, the number of its linked positions, kept up to date as families are taken,
//    and the set of families with at most one (the peelable set);
//  - for the loop resolution pass, the set of families whose last test may no longer hold
//    (the candidate set): a family that failed the tests stays out of it until a family
//    holding one of the IDs that test looked at is taken.
//
// A pass walks its set upward from family 1. A family that joins the set above the family
// being visited is visited later in the same pass, one that joins below it waits for the
// next pass: exactly the families an in-order scan of every family would take.
#ifndef PEDPEEL_PEDIGREE_INDEXED_ENGINE_H_
#define PEDPEEL_PEDIGREE_INDEXED_ENGINE_H_

#include <cstdint>
#include <span>
#include <vector>

#include "pedigree/engine.h"
#include "pedigree/family_incidence.h"
#include "pedigree/family_set.h"
#include "pedigree/pair_grouping.h"
#include "pedigree/row_index.h"

namespace pedpeel {

class IndexedEngine : public PeelingEngine {
 public:
  void start_pedigree(const Population& population, int pedigree, Families& families) override;
  const RowLookup& lookup() const override { return lookup_; }
  void peel_pass(PassContext& context) override;
  ResolveOutcome resolve_pass(PassContext& context) override;
  int32_t untaken(const Families&) const override { return untaken_; }

 private:
  // What the loop resolution tests found for a family.
  enum class Verdict { kRejected, kHandBack, kLoopHead };

  /// Emits family f and, when it was not taken before, updates every index.
  void take(PassContext& context, int32_t f, int32_t itype, int32_t iway, int32_t npot);
  void forget_family(int32_t f);

  // Loop resolution (indexed_resolution.cc).
  Verdict test_loop_head(PassContext& context, int32_t f, int32_t* iway);
  bool parent_linked(int32_t f, int32_t parent) const;
  bool find_mating(int32_t f, int32_t child, int32_t* mating) const;
  bool mating_terminal(int32_t f, int32_t g) const;
  void take_group(PassContext& context, int32_t f, int32_t iway);
  void mark_candidates_after_takes();
  void mark_all(std::span<const int32_t> entries, std::vector<uint8_t>& all_marked, int32_t member);
  void set_aside(int32_t f);

  Families* families_ = nullptr;
  PairGrouping grouping_;
  IndexedRowLookup lookup_;
  FamilyIncidence incidence_;
  int32_t untaken_ = 0;

  // Simple peeling.
  std::vector<int32_t> linked_positions_;  // by family
  FamilySet peelable_;                     // untaken families with at most one linked position

  // Loop resolution.
  FamilySet candidates_;  // untaken families whose resolution tests must be run again
  // By member: some family holding it was taken since candidates were last marked; and
  // one where it was a parent.
  std::vector<uint8_t> changed_;
  std::vector<uint8_t> changed_as_parent_;
  std::vector<int32_t> changed_members_;
  // By member: every untaken family where it is a parent (a child) is a candidate.
  std::vector<uint8_t> parent_families_marked_;
  std::vector<uint8_t> child_families_marked_;
  // Scratch of one test: members of the family under test (stamped with test_stamp_), and
  // its mating families (KIDPAIR: each mating's pair is the pair of its own family).
  std::vector<uint32_t> member_stamp_;
  std::vector<uint32_t> child_stamp_;
  std::vector<uint32_t> mating_stamp_;  // by family
  uint32_t test_stamp_ = 0;
  std::vector<int32_t> KIDPAIR;
};

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_INDEXED_ENGINE_H_
