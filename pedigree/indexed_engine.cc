#include "pedigree/indexed_engine.h"

#include "pedigree/pair_grouping.h"

namespace pedpeel {

void IndexedEngine::start_pedigree(const Population& population, int pedigree, Families& families) {
  families_ = &families;
  grouping_.group(population, population.KEND[pedigree - 1] + 1, population.KEND[pedigree],
                  families);
  if (families.NFAM == 0) {
    // No family to take: the passes find nothing, and no record asks for a row.
    untaken_ = 0;
    peelable_.reset(0);
    candidates_.reset(0);
    return;
  }
  lookup_.index_pedigree(population, pedigree);
  incidence_.build(families);
  const int32_t NFAM = families.NFAM;
  untaken_ = NFAM;

  linked_positions_.assign(NFAM + 1, 0);
  peelable_.reset(NFAM);
  candidates_.reset(NFAM);
  for (int32_t f = 1; f <= NFAM; ++f) {
    int32_t linked = 0;
    for (const FamilyIncidence::Entry& entry : incidence_.entries_of(f)) {
      if (incidence_.families_holding(entry.member) >= 2) linked += entry.positions;
    }
    linked_positions_[f] = linked;
    if (linked <= 1) peelable_.insert(f);
    candidates_.insert(f);
  }

  const size_t members = static_cast<size_t>(incidence_.member_count()) + 1;
  changed_.assign(members, 0);
  changed_as_parent_.assign(members, 0);
  changed_members_.clear();
  parent_families_marked_.assign(members, 1);
  child_families_marked_.assign(members, 1);
  member_stamp_.assign(members, 0);
  child_stamp_.assign(members, 0);
  mating_stamp_.assign(NFAM + 1, 0);
  test_stamp_ = 0;
}

void IndexedEngine::take(PassContext& context, int32_t f, int32_t itype, int32_t iway,
                         int32_t npot) {
  const bool taken_before = context.families.taken(f);
  context.take(f, itype, iway, npot);
  if (!taken_before) forget_family(f);
}

void IndexedEngine::forget_family(int32_t f) {
  --untaken_;
  peelable_.erase(f);
  candidates_.erase(f);
  incidence_.remove(f);
  for (const FamilyIncidence::Entry& entry : incidence_.entries_of(f)) {
    const int32_t u = entry.member;
    if (!changed_[u]) {
      changed_[u] = 1;
      changed_members_.push_back(u);
    }
    if (entry.roles & FamilyIncidence::kParent) changed_as_parent_[u] = 1;
    if (incidence_.families_holding(u) != 1) continue;
    // The one untaken family left with this ID no longer has it as a link.
    const auto as_parent = incidence_.as_parent(u);
    const FamilyIncidence::Entry& left =
        incidence_.entry(!as_parent.empty() ? as_parent[0] : incidence_.as_child(u)[0]);
    linked_positions_[left.family] -= left.positions;
    if (linked_positions_[left.family] <= 1) peelable_.insert(left.family);
  }
}

std::unique_ptr<PeelingEngine> make_production_engine() {
  return std::make_unique<IndexedEngine>();
}

}  // namespace pedpeel
