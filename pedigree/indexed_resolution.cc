// Loop resolution through the candidate set of the indexed engine. The tests are those of
// loop_resolution_pass, answered from the lists of untaken families per member.
#include <algorithm>

#include "pedigree/indexed_engine.h"

namespace pedpeel {

using Entry = FamilyIncidence::Entry;

ResolveOutcome IndexedEngine::resolve_pass(PassContext& context) {
  mark_candidates_after_takes();
  for (int32_t f = candidates_.next_from(1); f != 0; f = candidates_.next_from(f + 1)) {
    int32_t iway = 0;
    switch (test_loop_head(context, f, &iway)) {
      case Verdict::kRejected:
        set_aside(f);
        break;
      case Verdict::kHandBack:
        return ResolveOutcome::kHandedBack;
      case Verdict::kLoopHead:
        take_group(context, f, iway);
        context.RESOLVED = true;
        mark_candidates_after_takes();
        break;
    }
  }
  return ResolveOutcome::kCompleted;
}

IndexedEngine::Verdict IndexedEngine::test_loop_head(PassContext& context, int32_t f,
                                                     int32_t* iway) {
  const Families& families = context.families;
  const int32_t s = families.start(f);
  ++test_stamp_;
  for (int32_t k = s; k <= families.end(f); ++k) {
    const int32_t u = incidence_.member_of(families.FAMLIST[k]);
    member_stamp_[u] = test_stamp_;
    if (k >= s + 2) child_stamp_[u] = test_stamp_;
  }

  const bool LINK1 = parent_linked(f, incidence_.first_parent(f));
  const bool LINK2 = parent_linked(f, incidence_.second_parent(f));
  if (LINK1 && LINK2) return Verdict::kRejected;
  *iway = LINK1 ? families.FAMLIST[s] : (LINK2 ? families.FAMLIST[s + 1] : 0);

  if (families.length(f) - 2 > kMaxLoopHeadChildren) {
    throw RunStop{StopReason::kTooManyLoopHeadChildren};
  }
  // KIDPAIR after the removal of repeats and of children without a mating, in child order.
  KIDPAIR.clear();
  for (int32_t k = s + 2; k <= families.end(f); ++k) {
    int32_t mating = 0;
    if (!find_mating(f, incidence_.member_of(families.FAMLIST[k]), &mating)) {
      return Verdict::kRejected;
    }
    if (mating != 0 && mating_stamp_[mating] != test_stamp_) {
      mating_stamp_[mating] = test_stamp_;
      KIDPAIR.push_back(mating);
    }
  }
  if (KIDPAIR.empty()) return Verdict::kHandBack;

  for (int32_t g : KIDPAIR) {
    if (member_stamp_[incidence_.first_parent(g)] != test_stamp_ ||
        member_stamp_[incidence_.second_parent(g)] != test_stamp_) {
      return Verdict::kRejected;
    }
  }
  for (int32_t g : KIDPAIR) {
    if (!mating_terminal(f, g)) return Verdict::kRejected;
  }
  return Verdict::kLoopHead;
}

// Whether parent u of f stands in another untaken family as a child there, or as a parent
// whose partner there is 0 or not one of f's children. Needs f's members stamped.
bool IndexedEngine::parent_linked(int32_t f, int32_t u) const {
  const size_t in_f_as_child = child_stamp_[u] == test_stamp_ ? 1 : 0;
  if (incidence_.as_child(u).size() > in_f_as_child) return true;
  const auto as_parent = incidence_.as_parent(u);  // f among them
  // Each child y of f can excuse at most the two families (u, y) and (y, u).
  const size_t children = static_cast<size_t>(families_->length(f) - 2);
  if (as_parent.size() - 1 > 2 * children) return true;
  const auto excused = [&](int32_t partner) {
    return incidence_.id(partner) != 0 && child_stamp_[partner] == test_stamp_;
  };
  for (int32_t e : as_parent) {
    const Entry& entry = incidence_.entry(e);
    if (entry.family == f) continue;
    if ((entry.roles & FamilyIncidence::kFirstParent) &&
        !excused(incidence_.second_parent(entry.family))) {
      return true;
    }
    if ((entry.roles & FamilyIncidence::kSecondParent) &&
        !excused(incidence_.first_parent(entry.family))) {
      return true;
    }
  }
  return false;
}

// The mating of child u of f among the untaken families other than f, in family order:
// the family whose pair the child's KIDPAIR entry ends with, or 0 when that entry keeps a 0.
// False when the child is a parent in two of them (the second found after a first that
// set the entry's second value).
bool IndexedEngine::find_mating(int32_t f, int32_t u, int32_t* mating) const {
  *mating = 0;
  const int16_t child = incidence_.id(u);
  // First parents are never 0, so a child 0 is only ever a second parent and its entry
  // keeps a 0 as its second value.
  if (child == 0) return true;
  // Only the pair (child, 0) leaves the second value 0; so of three families at least two
  // set it, and the later of those rejects.
  int32_t found[2];
  int n = 0;
  for (int32_t e : incidence_.as_parent(u)) {
    const int32_t g = incidence_.entry(e).family;
    if (g == f) continue;
    if (n == 2) return false;
    found[n++] = g;
  }
  if (n == 2 && found[1] < found[0]) std::swap(found[0], found[1]);
  int16_t second = 0;
  for (int i = 0; i < n; ++i) {
    const int32_t g = found[i];
    if (incidence_.id(incidence_.first_parent(g)) == child) {
      if (second != 0) return false;
      second = incidence_.id(incidence_.second_parent(g));
      *mating = g;
    }
    if (incidence_.id(incidence_.second_parent(g)) == child) {
      if (second != 0) return false;
      second = child;
      *mating = g;
    }
  }
  if (second == 0) *mating = 0;
  return true;
}

// Whether no child of mating family g is a parent of an untaken family other than f and g.
bool IndexedEngine::mating_terminal(int32_t f, int32_t g) const {
  const int32_t f1 = incidence_.first_parent(f);
  const int32_t f2 = incidence_.second_parent(f);
  const int32_t g1 = incidence_.first_parent(g);
  const int32_t g2 = incidence_.second_parent(g);
  for (const Entry& entry : incidence_.entries_of(g)) {
    if (!(entry.roles & FamilyIncidence::kChild)) continue;
    const int32_t k = entry.member;
    const size_t own = (k == f1 || k == f2 ? 1 : 0) + (k == g1 || k == g2 ? 1 : 0);
    if (incidence_.as_parent(k).size() > own) return false;
  }
  return true;
}

void IndexedEngine::take_group(PassContext& context, int32_t f, int32_t iway) {
  const Families& families = context.families;
  const int16_t head_first = families.first_parent(f);
  const int16_t head_second = families.second_parent(f);
  take(context, f, kLoopHead, iway, families.length(f));
  // Each KIDPAIR entry is the pair of the family it came from, and pairs are unique in a
  // pedigree: that family is the one family with the pair.
  for (int32_t g : KIDPAIR) {
    const int16_t P = families.first_parent(g);
    const int16_t Q = families.second_parent(g);
    const bool first_is_parent = P == head_first || P == head_second;
    const bool second_is_parent = Q == head_first || Q == head_second;
    if (first_is_parent && second_is_parent) throw RunStop{StopReason::kNotUnderstood};
    const int32_t kind = first_is_parent    ? kFirstParentMating
                         : second_is_parent ? kSecondParentMating
                                            : kSibMating;
    take(context, g, kind, -1, families.length(g));
  }
}

// A family that failed the tests is tested again only after a family holding one of the
// IDs the tests looked at is taken: its parents (links), its children (their matings) and
// the children of its children's mating families (their further matings).
void IndexedEngine::mark_candidates_after_takes() {
  for (int32_t u : changed_members_) {
    mark_all(incidence_.as_parent(u), parent_families_marked_, u);
    mark_all(incidence_.as_child(u), child_families_marked_, u);
    if (changed_as_parent_[u]) {
      for (int32_t e : incidence_.as_child(u)) {
        const int32_t g = incidence_.entry(e).family;
        const int32_t g1 = incidence_.first_parent(g);
        const int32_t g2 = incidence_.second_parent(g);
        mark_all(incidence_.as_child(g1), child_families_marked_, g1);
        mark_all(incidence_.as_child(g2), child_families_marked_, g2);
      }
    }
    changed_[u] = 0;
    changed_as_parent_[u] = 0;
  }
  changed_members_.clear();
}

void IndexedEngine::mark_all(std::span<const int32_t> entries, std::vector<uint8_t>& all_marked,
                             int32_t member) {
  if (all_marked[member]) return;
  for (int32_t e : entries) candidates_.insert(incidence_.entry(e).family);
  all_marked[member] = 1;
}

void IndexedEngine::set_aside(int32_t f) {
  candidates_.erase(f);
  for (const Entry& entry : incidence_.entries_of(f)) {
    if (entry.roles & FamilyIncidence::kParent) parent_families_marked_[entry.member] = 0;
    if (entry.roles & FamilyIncidence::kChild) child_families_marked_[entry.member] = 0;
  }
}

}  // namespace pedpeel
