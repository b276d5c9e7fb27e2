#include "tools/pedprep/loop_cuts.h"

#include <algorithm>
#include <utility>

#include "records/limits.h"

namespace pedpeel::pedprep {

namespace {

// Union-find over the animals and then the families, with path halving and union by
// size: only whether two nodes are joined matters, never which root a component has, so
// the shallow trees of union by size cost no more than a hop or two of a cold table. A
// root holds its component's size, negated, where another node holds its link.
class Components {
 public:
  /// The animals and then the families of `graph` as nodes, each child joined to its
  /// family's node: family f's is graph.family_of.size() + f.
  explicit Components(const FamilyGraph& graph)
      : up_(graph.family_of.size() + static_cast<size_t>(graph.families()), -1) {
    const size_t animals = graph.family_of.size();
    for (size_t a = 0; a < animals; ++a) {
      const int32_t f = graph.family_of[a];
      if (f >= 0) up_[a] = static_cast<int32_t>(animals) + f;
    }
    for (int32_t f = 0; f < graph.families(); ++f) {
      up_[animals + static_cast<size_t>(f)] =
          -1 - static_cast<int32_t>(graph.children_of(f).size());
    }
  }

  int32_t root(int32_t x) {
    while (up_[static_cast<size_t>(x)] >= 0) {
      const int32_t next = up_[static_cast<size_t>(x)];
      if (up_[static_cast<size_t>(next)] < 0) return next;
      up_[static_cast<size_t>(x)] = up_[static_cast<size_t>(next)];
      x = up_[static_cast<size_t>(x)];
    }
    return x;
  }

  /// Fetches x's link into the cache, ahead of a root(x) to come.
  void prefetch(int32_t x) const { __builtin_prefetch(&up_[static_cast<size_t>(x)]); }
  /// Fetches the link after x's, once prefetch(x) has come: most roots are two hops away.
  void prefetch_second(int32_t x) const {
    const int32_t next = up_[static_cast<size_t>(x)];
    if (next >= 0) __builtin_prefetch(&up_[static_cast<size_t>(next)]);
  }

  /// Joins the components of x and y; false when they were one already.
  bool join(int32_t x, int32_t y) {
    x = root(x);
    y = root(y);
    if (x == y) return false;
    if (up_[static_cast<size_t>(x)] > up_[static_cast<size_t>(y)]) std::swap(x, y);
    up_[static_cast<size_t>(x)] += up_[static_cast<size_t>(y)];
    up_[static_cast<size_t>(y)] = x;
    return true;
  }

 private:
  std::vector<int32_t> up_;  // by node: its link, or minus its component's size at a root
};

// The family of a loop pedpeel takes itself whose mating is family f: the family of the
// full sibs that are f's parents, or of the child that mates with a parent; -1 when f is
// no such mating.
int32_t loop_head_of(const FamilyGraph& graph, int32_t f) {
  const int32_t sire = graph.sire[static_cast<size_t>(f)];
  const int32_t dam = graph.dam[static_cast<size_t>(f)];
  const int32_t of_sire = graph.family_of[static_cast<size_t>(sire)];
  const int32_t of_dam = graph.family_of[static_cast<size_t>(dam)];
  if (of_sire >= 0 && of_sire == of_dam) return of_sire;
  if (of_dam >= 0 && graph.sire[static_cast<size_t>(of_dam)] == sire) return of_dam;
  if (of_sire >= 0 && graph.dam[static_cast<size_t>(of_sire)] == dam) return of_sire;
  return -1;
}

// The links of the loop through mating f and its loop head, as 2 * family + role: f's two
// parent links and, for a mating of a parent with its child, the link of that parent to
// the loop head.
std::vector<int32_t> loop_links(const FamilyGraph& graph, int32_t f, int32_t head) {
  const int32_t sire = graph.sire[static_cast<size_t>(f)];
  if (graph.family_of[static_cast<size_t>(sire)] == head) {
    if (graph.family_of[static_cast<size_t>(graph.dam[static_cast<size_t>(f)])] == head) {
      return {2 * f, 2 * f + 1};
    }
    return {2 * f, 2 * f + 1, 2 * head + 1};  // the dam mates with her son
  }
  return {2 * f, 2 * f + 1, 2 * head};  // the sire mates with his daughter
}

// Whether the mating g of a child of loop head h leaves the loop one pedpeel takes
// wherever the rest of the pedigree lies: both of g's parents are in h (the parents or
// the children), a child of h among them has no other mating, and g's children have
// none. Then the loop meets the rest of the pedigree only at h's parents, and pedpeel
// takes it once the rest on one of the two sides is taken.
bool mating_kept_within(const FamilyGraph& graph, std::span<const int32_t> matings, int32_t h,
                        int32_t g) {
  for (const int32_t parent :
       {graph.sire[static_cast<size_t>(g)], graph.dam[static_cast<size_t>(g)]}) {
    const bool child_of_head = graph.family_of[static_cast<size_t>(parent)] == h;
    if (child_of_head ? matings[static_cast<size_t>(parent)] != 1
                      : parent != graph.sire[static_cast<size_t>(h)] &&
                            parent != graph.dam[static_cast<size_t>(h)]) {
      return false;
    }
  }
  for (const int32_t child : graph.children_of(g)) {
    if (matings[static_cast<size_t>(child)] != 0) return false;
  }
  return true;
}

// A mating of a loop pedpeel takes itself, with its loop head (loop_head_of).
struct LoopMating {
  int32_t family;
  int32_t head;
};

// The matings of the loops pedpeel takes itself, in family order.
std::vector<LoopMating> loop_matings(const FamilyGraph& graph) {
  std::vector<LoopMating> matings;
  for (int32_t f = 0; f < graph.families(); ++f) {
    const int32_t head = loop_head_of(graph, f);
    if (head >= 0) matings.push_back({f, head});
  }
  return matings;
}

// By family: 1 for a loop head (of one of `loops`) whose loops are kept for pedpeel. In
// a pedigree marked 2 in `marks` (one to be split for size, whose pieces fall anywhere)
// only when each mating of its children passes mating_kept_within and it has no more
// children than pedpeel takes of a loop head.
std::vector<uint8_t> heads_kept(const FamilyGraph& graph, std::span<const LoopMating> loops,
                                std::span<const int32_t> matings, std::span<const uint8_t> marks) {
  const int32_t families = graph.families();
  std::vector<uint8_t> kept(static_cast<size_t>(families), 0);
  auto strict = [&](int32_t h) {
    const int32_t child = graph.children_of(h).front();
    return !marks.empty() && marks[static_cast<size_t>(child)] == 2;
  };
  for (const auto [ignored, head] : loops) {
    kept[static_cast<size_t>(head)] =
        !strict(head) ||
        graph.children_of(head).size() <= static_cast<size_t>(kMaxLoopHeadChildren);
  }
  for (int32_t g = 0; g < families; ++g) {
    for (const int32_t parent :
         {graph.sire[static_cast<size_t>(g)], graph.dam[static_cast<size_t>(g)]}) {
      const int32_t h = graph.family_of[static_cast<size_t>(parent)];
      if (h >= 0 && kept[static_cast<size_t>(h)] != 0 && strict(h) &&
          !mating_kept_within(graph, matings, h, g)) {
        kept[static_cast<size_t>(h)] = 0;
      }
    }
  }
  return kept;
}

// Puts a copy in place of the parent of each link of `graph` that closes a cycle (but
// those of the loops kept, as cut_loops tells) in `graph`, not yet in the children.
// Returns the copies; the tables it takes to find them go on return, before the graph is
// regrouped.
std::vector<MadeCopy> find_cuts(Animals& animals, FamilyGraph& graph,
                                std::span<const uint8_t> marks, bool keep_pedpeel_loops) {
  const int32_t n = animals.count();
  const int32_t families = graph.families();
  Components components(graph);
  auto node_of_family = [&](int32_t f) { return n + f; };
  std::vector<int32_t> matings(static_cast<size_t>(n), 0);
  for (int32_t f = 0; f < families; ++f) {
    ++matings[static_cast<size_t>(graph.sire[static_cast<size_t>(f)])];
    ++matings[static_cast<size_t>(graph.dam[static_cast<size_t>(f)])];
  }
  // The parent links still to place, as 2 * family + role, by the parent's matings (a
  // counting sort; ties in family order).
  constexpr int32_t kMatingsCap = 1 << 16;
  std::vector<int32_t> start(kMatingsCap + 2, 0);
  auto parent_of_link = [&](int32_t link) {
    const size_t f = static_cast<size_t>(link / 2);
    return link % 2 == 0 ? graph.sire[f] : graph.dam[f];
  };
  auto key_of_link = [&](int32_t link) {
    return static_cast<size_t>(
        std::min(matings[static_cast<size_t>(parent_of_link(link))], kMatingsCap));
  };
  // The loops pedpeel takes itself are kept: their links join first, closing the loop.
  std::vector<uint8_t> kept(2 * static_cast<size_t>(families), 0);
  if (keep_pedpeel_loops) {
    const std::vector<LoopMating> loops = loop_matings(graph);
    const std::vector<uint8_t> heads = heads_kept(graph, loops, matings, marks);
    for (const auto [f, head] : loops) {
      if (heads[static_cast<size_t>(head)] == 0) continue;
      for (int32_t link : loop_links(graph, f, head)) {
        kept[static_cast<size_t>(link)] = 1;
        components.join(node_of_family(link / 2), parent_of_link(link));
      }
    }
  }
  for (int32_t link = 0; link < 2 * families; ++link) {
    if (kept[static_cast<size_t>(link)] == 0) ++start[key_of_link(link) + 1];
  }
  for (size_t k = 0; k + 1 < start.size(); ++k) start[k + 1] += start[k];
  std::vector<int32_t> ordered(static_cast<size_t>(start.back()));
  for (int32_t link = 0; link < 2 * families; ++link) {
    if (kept[static_cast<size_t>(link)] == 0) {
      ordered[static_cast<size_t>(start[key_of_link(link)]++)] = link;
    }
  }
  matings = std::vector<int32_t>();
  kept = std::vector<uint8_t>();

  std::vector<MadeCopy> copies;
  copies.reserve(ordered.size());  // at most one a link, never regrown
  // The links come in no order of their families: what a link's join reads is fetched
  // ahead, its family's parents kFar links ahead, their components' first links kNear
  // links ahead and the second kNearest ahead.
  constexpr size_t kFar = 24;
  constexpr size_t kNear = 12;
  constexpr size_t kNearest = 4;
  for (size_t k = 0; k < ordered.size(); ++k) {
    if (k + kFar < ordered.size()) {
      const int32_t far = ordered[k + kFar];
      __builtin_prefetch(far % 2 == 0 ? &graph.sire[static_cast<size_t>(far / 2)]
                                      : &graph.dam[static_cast<size_t>(far / 2)]);
    }
    if (k + kNear < ordered.size()) {
      const int32_t near = ordered[k + kNear];
      components.prefetch(node_of_family(near / 2));
      components.prefetch(parent_of_link(near));
    }
    if (k + kNearest < ordered.size()) {
      const int32_t nearest = ordered[k + kNearest];
      components.prefetch_second(node_of_family(nearest / 2));
      components.prefetch_second(parent_of_link(nearest));
    }
    const int32_t link = ordered[k];
    const int32_t parent = parent_of_link(link);
    if (components.join(node_of_family(link / 2), parent)) continue;
    const int32_t copy = add_copy(animals, parent);
    const size_t f = static_cast<size_t>(link / 2);
    (link % 2 == 0 ? graph.sire[f] : graph.dam[f]) = copy;
    copies.push_back({parent, copy});
  }
  return copies;
}

}  // namespace

std::vector<MadeCopy> cut_loops(Animals& animals, FamilyGraph& graph,
                                std::span<const uint8_t> marks, bool keep_pedpeel_loops) {
  std::vector<MadeCopy> copies = find_cuts(animals, graph, marks, keep_pedpeel_loops);
  if (copies.empty()) return copies;
  replace_parents(animals, graph);
  regroup_families(graph);
  return copies;
}

}  // namespace pedpeel::pedprep
