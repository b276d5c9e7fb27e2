// Which untaken families of the pedigree hold each member ID, and in which roles. Built
// once per pedigree; families leave it as they are taken. Lets the passes test a member's
// links in time proportional to what they look at, not to the whole pedigree.
#ifndef PEDPEEL_PEDIGREE_FAMILY_INCIDENCE_H_
#define PEDPEEL_PEDIGREE_FAMILY_INCIDENCE_H_

#include <cstdint>
#include <span>
#include <vector>

#include "pedigree/families.h"
#include "pedigree/id_table.h"

namespace pedpeel {

// Members are numbered 1, 2, ... per pedigree (the "member number"), one number per
// distinct ID value that stands in some family's list (0 included, as a second parent).
class FamilyIncidence {
 public:
  // Roles of a member in a family (a bit set: an ID equal to its own parent has two).
  static constexpr uint8_t kFirstParent = 1;
  static constexpr uint8_t kSecondParent = 2;
  static constexpr uint8_t kParent = kFirstParent | kSecondParent;
  static constexpr uint8_t kChild = 4;

  // One member of one family.
  struct Entry {
    int32_t family;
    int32_t member;
    int32_t positions;  // positions of the family's list holding the member
    uint8_t roles;
  };

  FamilyIncidence();

  /// Indexes the families (all untaken), forgetting the pedigree indexed before.
  void build(const Families& families);
  /// Removes family f, just taken, from the lists of untaken families.
  void remove(int32_t f);

  /// Member number of an ID that stands in some family's list.
  int32_t member_of(int16_t id) const { return member_of_id_[id]; }
  int16_t id(int32_t member) const { return members_[member].id; }
  int32_t member_count() const { return static_cast<int32_t>(members_.size()) - 1; }

  /// The distinct members of family f, in order of first position.
  std::span<const Entry> entries_of(int32_t f) const {
    return {entries_.data() + family_begin_[f],
            static_cast<size_t>(family_begin_[f + 1] - family_begin_[f])};
  }
  const Entry& entry(int32_t e) const { return entries_[e]; }
  int32_t first_parent(int32_t f) const { return entries_[family_begin_[f]].member; }
  /// Second parent's member number (the first parent's when both are the same ID).
  int32_t second_parent(int32_t f) const { return second_parent_[f]; }

  /// Untaken families whose list holds the member (each family once).
  int32_t families_holding(int32_t member) const { return members_[member].families; }
  /// Entries of the untaken families where the member is a parent / a child, in no order.
  std::span<const int32_t> as_parent(int32_t member) const {
    const Member& m = members_[member];
    return {parent_lists_.data() + m.parent_begin, static_cast<size_t>(m.parent_live)};
  }
  std::span<const int32_t> as_child(int32_t member) const {
    const Member& m = members_[member];
    return {child_lists_.data() + m.child_begin, static_cast<size_t>(m.child_live)};
  }

 private:
  struct Member {
    int16_t id = 0;
    int32_t families = 0;  // untaken families holding it
    int32_t parent_begin = 0;
    int32_t parent_live = 0;
    int32_t child_begin = 0;
    int32_t child_live = 0;
  };

  // Moves entry e out of the live part of a member's run.
  static void drop(std::vector<int32_t>& list, std::vector<int32_t>& slots, int32_t begin,
                   int32_t* live, int32_t e);

  IdTable<int32_t> member_of_id_;      // 0 for an ID in no list
  std::vector<Member> members_;        // index 0 unused
  std::vector<Entry> entries_;         // family by family
  std::vector<int32_t> family_begin_;  // family f's entries: [family_begin_[f], [f+1])
  std::vector<int32_t> second_parent_;
  // Per member, a run of entry numbers: the first `live` are untaken families. Each entry
  // knows its place in the runs, so a taken family leaves in constant time.
  std::vector<int32_t> parent_lists_;
  std::vector<int32_t> child_lists_;
  std::vector<int32_t> parent_slot_;  // by entry: place in parent_lists_, or -1
  std::vector<int32_t> child_slot_;   // by entry: place in child_lists_, or -1
  std::vector<int32_t> last_entry_;   // by member: its latest entry while building
};

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_FAMILY_INCIDENCE_H_
