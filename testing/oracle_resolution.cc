#include <algorithm>
#include <vector>

#include "testing/oracle_engine.h"

namespace pedpeel::testing {

namespace {

// A mating in which a child of the family under test is a parent: (first parent, second
// parent) of that mating, or (child, 0) while none is known.
struct MatingPair {
  int32_t first;
  int32_t second;
  bool operator==(const MatingPair&) const = default;
};

bool has_child(const Families& families, int32_t f, int32_t id) {
  const auto children = families.children(f);
  return std::find(children.begin(), children.end(), id) != children.end();
}

bool has_member(const Families& families, int32_t f, int32_t id) {
  const auto members = families.members(f);
  return std::find(members.begin(), members.end(), id) != members.end();
}

// Whether parent x of f stands in another untaken family, as a child there or as a parent
// whose partner there is not one of f's children.
bool parent_linked(const Families& families, int32_t f, int16_t x) {
  for (int32_t g = 1; g <= families.NFAM; ++g) {
    if (g == f || families.taken(g)) continue;
    const int32_t s = families.start(g);
    for (int32_t t = s; t <= families.end(g); ++t) {
      if (families.FAMLIST[t] != x) continue;
      const int16_t partner =
          t == s ? families.FAMLIST[s + 1] : (t == s + 1 ? families.FAMLIST[s] : int16_t{0});
      if (partner != 0 && has_child(families, f, partner)) continue;
      return true;
    }
  }
  return false;
}

// The mating of each child of f among the untaken families; false when a child is a parent
// in two of them.
bool find_matings(const Families& families, int32_t f, std::vector<MatingPair>* KIDPAIR) {
  KIDPAIR->clear();
  for (int16_t child : families.children(f)) {
    MatingPair pair{child, 0};
    for (int32_t g = 1; g <= families.NFAM; ++g) {
      if (g == f || families.taken(g)) continue;
      const int16_t first = families.first_parent(g);
      const int16_t second = families.second_parent(g);
      if (first == child) {
        if (pair.second != 0) return false;
        pair.second = second;
      }
      if (second == child) {
        if (pair.second != 0) return false;
        pair = {first, child};
      }
    }
    KIDPAIR->push_back(pair);
  }
  return true;
}

// Removes repeats (keeping the first) and then the children without a mating, closing up
// the table in order.
void remove_repeats_and_unmated(std::vector<MatingPair>* KIDPAIR) {
  std::vector<MatingPair> kept;
  for (const MatingPair& pair : *KIDPAIR) {
    if (std::find(kept.begin(), kept.end(), pair) == kept.end()) kept.push_back(pair);
  }
  std::erase_if(kept, [](const MatingPair& pair) { return pair.first == 0 || pair.second == 0; });
  *KIDPAIR = std::move(kept);
}

// Whether a child of an untaken family g (other than f) with the pair's parents is a parent
// of a further untaken family.
bool mating_offspring_terminal(const Families& families, int32_t f, const MatingPair& pair) {
  for (int32_t g = 1; g <= families.NFAM; ++g) {
    if (g == f || families.taken(g)) continue;
    if (families.first_parent(g) != pair.first || families.second_parent(g) != pair.second) {
      continue;
    }
    for (int16_t child : families.children(g)) {
      for (int32_t h = 1; h <= families.NFAM; ++h) {
        if (h == f || h == g || families.taken(h)) continue;
        if (families.first_parent(h) == child || families.second_parent(h) == child) return false;
      }
    }
  }
  return true;
}

// Emits the loop head f and the families of its children's matings.
void take_group(PassContext& context, int32_t f, int32_t iway,
                const std::vector<MatingPair>& KIDPAIR) {
  Families& families = context.families;
  const int16_t head_first = families.first_parent(f);
  const int16_t head_second = families.second_parent(f);
  context.take(f, kLoopHead, iway, families.length(f));
  for (const MatingPair& pair : KIDPAIR) {
    const bool first_is_parent = pair.first == head_first || pair.first == head_second;
    const bool second_is_parent = pair.second == head_first || pair.second == head_second;
    if (first_is_parent && second_is_parent) throw RunStop{StopReason::kNotUnderstood};
    const int32_t kind = first_is_parent    ? kFirstParentMating
                         : second_is_parent ? kSecondParentMating
                                            : kSibMating;
    for (int32_t g = 1; g <= families.NFAM; ++g) {
      if (families.first_parent(g) == pair.first && families.second_parent(g) == pair.second) {
        context.take(g, kind, -1, families.length(g));
      }
    }
  }
}

}  // namespace

ResolveOutcome loop_resolution_pass(PassContext& context) {
  Families& families = context.families;
  std::vector<MatingPair> KIDPAIR;
  for (int32_t f = 1; f <= families.NFAM; ++f) {
    if (families.taken(f)) continue;
    const bool LINK1 = parent_linked(families, f, families.first_parent(f));
    const bool LINK2 = parent_linked(families, f, families.second_parent(f));
    if (LINK1 && LINK2) continue;
    const int32_t iway = LINK1 ? families.first_parent(f) : (LINK2 ? families.second_parent(f) : 0);

    const int32_t m = families.length(f) - 2;
    if (m > kMaxLoopHeadChildren) {
      throw RunStop{StopReason::kTooManyLoopHeadChildren};
    }
    if (!find_matings(families, f, &KIDPAIR)) continue;
    remove_repeats_and_unmated(&KIDPAIR);
    const int32_t NDROP = m - static_cast<int32_t>(KIDPAIR.size());
    if (NDROP == m) return ResolveOutcome::kHandedBack;

    const bool inside = std::all_of(KIDPAIR.begin(), KIDPAIR.end(), [&](const MatingPair& pair) {
      return has_member(families, f, pair.first) && has_member(families, f, pair.second);
    });
    if (!inside) continue;
    const bool terminal = std::all_of(KIDPAIR.begin(), KIDPAIR.end(), [&](const MatingPair& pair) {
      return mating_offspring_terminal(families, f, pair);
    });
    if (!terminal) continue;

    take_group(context, f, iway, KIDPAIR);
    context.RESOLVED = true;
  }
  return ResolveOutcome::kCompleted;
}

}  // namespace pedpeel::testing
