#include "pedigree/family_incidence.h"

namespace pedpeel {

FamilyIncidence::FamilyIncidence() : members_(1) {}

void FamilyIncidence::build(const Families& families) {
  member_of_id_.clear();
  // Each position adds at most one member and one entry.
  members_.assign(1, Member{});
  members_.reserve(families.FAMLIST.size());
  last_entry_.assign(1, -1);
  last_entry_.reserve(families.FAMLIST.size());
  entries_.clear();
  entries_.reserve(families.FAMLIST.size());
  const int32_t NFAM = families.NFAM;
  family_begin_.assign(NFAM + 2, 0);
  second_parent_.assign(NFAM + 1, 0);

  for (int32_t f = 1; f <= NFAM; ++f) {
    const int32_t begin = static_cast<int32_t>(entries_.size());
    family_begin_[f] = begin;
    const int32_t s = families.start(f);
    for (int32_t k = s; k <= families.end(f); ++k) {
      const int16_t x = families.FAMLIST[k];
      int32_t& u = member_of_id_.at(x);
      if (u == 0) {
        u = static_cast<int32_t>(members_.size());
        members_.push_back(Member{.id = x});
        last_entry_.push_back(-1);
      }
      const uint8_t role = k == s ? kFirstParent : (k == s + 1 ? kSecondParent : kChild);
      int32_t& last = last_entry_[u];
      if (last >= begin) {
        ++entries_[last].positions;
        entries_[last].roles |= role;
      } else {
        last = static_cast<int32_t>(entries_.size());
        entries_.push_back(Entry{f, u, 1, role});
      }
    }
    second_parent_[f] = member_of(families.FAMLIST[s + 1]);
  }
  family_begin_[NFAM + 1] = static_cast<int32_t>(entries_.size());

  // Runs of parent and child entries per member, laid out by counting.
  for (const Entry& entry : entries_) {
    Member& m = members_[entry.member];
    ++m.families;
    if (entry.roles & kParent) ++m.parent_live;
    if (entry.roles & kChild) ++m.child_live;
  }
  int32_t parent_end = 0;
  int32_t child_end = 0;
  for (Member& m : members_) {
    m.parent_begin = parent_end;
    m.child_begin = child_end;
    parent_end += m.parent_live;
    child_end += m.child_live;
    m.parent_live = 0;
    m.child_live = 0;
  }
  parent_lists_.resize(parent_end);
  child_lists_.resize(child_end);
  parent_slot_.assign(entries_.size(), -1);
  child_slot_.assign(entries_.size(), -1);
  for (int32_t e = 0; e < static_cast<int32_t>(entries_.size()); ++e) {
    Member& m = members_[entries_[e].member];
    if (entries_[e].roles & kParent) {
      parent_slot_[e] = m.parent_begin + m.parent_live++;
      parent_lists_[parent_slot_[e]] = e;
    }
    if (entries_[e].roles & kChild) {
      child_slot_[e] = m.child_begin + m.child_live++;
      child_lists_[child_slot_[e]] = e;
    }
  }
}

void FamilyIncidence::drop(std::vector<int32_t>& list, std::vector<int32_t>& slots, int32_t begin,
                           int32_t* live, int32_t e) {
  const int32_t place = slots[e];
  const int32_t last = begin + --*live;
  const int32_t moved = list[last];
  list[place] = moved;
  slots[moved] = place;
  list[last] = e;
  slots[e] = -1;
}

void FamilyIncidence::remove(int32_t f) {
  for (int32_t e = family_begin_[f]; e < family_begin_[f + 1]; ++e) {
    Member& m = members_[entries_[e].member];
    --m.families;
    if (parent_slot_[e] >= 0) drop(parent_lists_, parent_slot_, m.parent_begin, &m.parent_live, e);
    if (child_slot_[e] >= 0) drop(child_lists_, child_slot_, m.child_begin, &m.child_live, e);
  }
}

}  // namespace pedpeel
