// The walk up the parent links that puts every animal after its parents and finds the
// own-ancestor cycles: find_pedigrees orders the animals with it and reports a cycle;
// --mend (mend.h) drops a link of each cycle it finds.
#ifndef PEDPEEL_TOOLS_PEDPREP_PARENT_WALK_H_
#define PEDPEEL_TOOLS_PEDPREP_PARENT_WALK_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pedpeel::pedprep {

// One link of a cycle: the parent link of `child` in `role` (0 the sire, 1 the dam).
struct CycleLink {
  int32_t child;
  int role;
};

/// Every animal 0 .. count - 1 once, parents first: a depth-first walk up the parent links
/// from each animal in index order, taking an animal when both its parents are taken, so
/// that the input order is kept where it already puts parents first.
/// - parent_of(a, role): a's sire (role 0) or dam (role 1), -1 for none.
/// - fetch(a): a's parent links will be read soon (a hint, to fetch them ahead).
/// - taken(a): a is taken, after both its parents.
/// - on_cycle(cycle): a parent link leads back to an animal on the walk; `cycle` lists the
///   links from that animal round to the one found, which closes it. Returns the index k
///   of the link whose child the walk goes on from: the links after it are dropped by the
///   caller (their animals are walked again when met), cycle.size() - 1 drops none.
template <typename ParentOf, typename Fetch, typename Taken, typename OnCycle>
void walk_parents_first(int32_t count, ParentOf&& parent_of, Fetch&& fetch, Taken&& taken,
                        OnCycle&& on_cycle) {
  // How many animals ahead the walk fetches the parents of the animal it starts from.
  constexpr int32_t kAhead = 8;
  enum : uint8_t { kNew, kOnWalk, kTaken };
  std::vector<uint8_t> state(static_cast<size_t>(count), kNew);
  struct Step {
    int32_t animal;
    int8_t next_role;  // 0: look at the sire next, 1: the dam, 2: both done
  };
  std::vector<Step> walk;
  std::vector<CycleLink> cycle;
  for (int32_t start = 0; start < count; ++start) {
    if (start + kAhead < count) {
      for (int role = 0; role < 2; ++role) {
        const int32_t parent = parent_of(start + kAhead, role);
        if (parent < 0) continue;
        fetch(parent);
        __builtin_prefetch(&state[static_cast<size_t>(parent)]);
      }
    }
    if (state[static_cast<size_t>(start)] != kNew) continue;
    // The common case first: an animal whose parents are taken, unknown or founders not
    // yet taken is taken at once, after those founders, as the walk below would take
    // them. A parent with parents of its own leaves the rest to the walk.
    auto take_founder = [&](int role) {
      const int32_t parent = parent_of(start, role);
      if (parent < 0 || state[static_cast<size_t>(parent)] == kTaken) return true;
      if (parent_of(parent, 0) >= 0 || parent_of(parent, 1) >= 0) return false;
      state[static_cast<size_t>(parent)] = kTaken;
      taken(parent);
      return true;
    };
    if (take_founder(0) && take_founder(1)) {
      state[static_cast<size_t>(start)] = kTaken;
      taken(start);
      continue;
    }
    state[static_cast<size_t>(start)] = kOnWalk;
    walk.push_back({start, 0});
    while (!walk.empty()) {
      Step& step = walk.back();
      if (step.next_role == 2) {
        state[static_cast<size_t>(step.animal)] = kTaken;
        taken(step.animal);
        walk.pop_back();
        continue;
      }
      const int role = step.next_role++;
      const int32_t parent = parent_of(step.animal, role);
      if (parent < 0 || state[static_cast<size_t>(parent)] == kTaken) continue;
      if (state[static_cast<size_t>(parent)] == kNew) {
        state[static_cast<size_t>(parent)] = kOnWalk;
        walk.push_back({parent, 0});
        continue;
      }
      // The parent is on the walk: the walk from it to here, and back to it, is a cycle.
      // Each animal on the walk came from the one below it by that one's last role.
      size_t from = walk.size() - 1;
      while (walk[from].animal != parent) --from;
      cycle.clear();
      for (size_t k = from; k + 1 < walk.size(); ++k) {
        cycle.push_back({walk[k].animal, walk[k].next_role - 1});
      }
      cycle.push_back({walk.back().animal, role});
      const size_t child_at = from + on_cycle(cycle);
      for (size_t k = child_at + 1; k < walk.size(); ++k) {
        state[static_cast<size_t>(walk[k].animal)] = kNew;
      }
      walk.resize(child_at + 1);
    }
  }
}

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_PARENT_WALK_H_
