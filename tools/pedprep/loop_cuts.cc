#include "tools/pedprep/loop_cuts.h"

#include <algorithm>

namespace pedpeel::pedprep {

namespace {

// Union-find over the animals and then the families, with path halving.
class Components {
 public:
  explicit Components(size_t nodes) : up_(nodes) {
    for (size_t k = 0; k < nodes; ++k) up_[k] = static_cast<int32_t>(k);
  }

  int32_t root(int32_t x) {
    while (up_[static_cast<size_t>(x)] != x) {
      up_[static_cast<size_t>(x)] = up_[static_cast<size_t>(up_[static_cast<size_t>(x)])];
      x = up_[static_cast<size_t>(x)];
    }
    return x;
  }

  /// Joins the components of x and y; false when they were one already.
  bool join(int32_t x, int32_t y) {
    x = root(x);
    y = root(y);
    if (x == y) return false;
    up_[static_cast<size_t>(std::max(x, y))] = std::min(x, y);
    return true;
  }

 private:
  std::vector<int32_t> up_;
};

// The links of a loop pedpeel takes itself through family f, whose parents are full sibs
// or one a child of the other, as 2 * family + role: f's two parent links and, for a
// mating of a parent with its child, the link of that parent to the child's family.
// None when f is no such family.
std::vector<int32_t> pedpeel_loop_links(const FamilyGraph& graph, int32_t f) {
  const int32_t sire = graph.sire[static_cast<size_t>(f)];
  const int32_t dam = graph.dam[static_cast<size_t>(f)];
  const int32_t of_sire = graph.family_of[static_cast<size_t>(sire)];
  const int32_t of_dam = graph.family_of[static_cast<size_t>(dam)];
  if (of_sire >= 0 && of_sire == of_dam) return {2 * f, 2 * f + 1};
  if (of_dam >= 0 && graph.sire[static_cast<size_t>(of_dam)] == sire) {
    return {2 * f, 2 * f + 1, 2 * of_dam};
  }
  if (of_sire >= 0 && graph.dam[static_cast<size_t>(of_sire)] == dam) {
    return {2 * f, 2 * f + 1, 2 * of_sire + 1};
  }
  return {};
}

}  // namespace

std::vector<MadeCopy> cut_loops(Animals& animals, std::span<const uint8_t> active,
                                bool keep_pedpeel_loops) {
  const FamilyGraph graph = family_graph(animals, active);
  const int32_t n = animals.count();
  const int32_t families = graph.families();
  Components components(static_cast<size_t>(n) + static_cast<size_t>(families));
  auto node_of_family = [&](int32_t f) { return n + f; };
  for (int32_t f = 0; f < families; ++f) {
    for (int32_t child : graph.children_of(f)) components.join(node_of_family(f), child);
  }
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
  for (int32_t f = 0; f < families && keep_pedpeel_loops; ++f) {
    for (int32_t link : pedpeel_loop_links(graph, f)) {
      kept[static_cast<size_t>(link)] = 1;
      components.join(node_of_family(link / 2), parent_of_link(link));
    }
  }
  std::vector<int32_t> links;
  links.reserve(2 * static_cast<size_t>(families));
  for (int32_t link = 0; link < 2 * families; ++link) {
    if (kept[static_cast<size_t>(link)] == 0) links.push_back(link);
  }
  for (int32_t link : links) ++start[key_of_link(link) + 1];
  for (size_t k = 0; k + 1 < start.size(); ++k) start[k + 1] += start[k];
  std::vector<int32_t> ordered(links.size());
  for (int32_t link : links) ordered[static_cast<size_t>(start[key_of_link(link)]++)] = link;
  links = {};

  std::vector<MadeCopy> copies;
  for (int32_t link : ordered) {
    const int32_t f = link / 2;
    const int32_t parent = parent_of_link(link);
    if (components.join(node_of_family(f), parent)) continue;
    const int32_t copy = add_copy(animals, parent);
    replace_parent(animals, graph.children_of(f), parent, copy);
    copies.push_back({parent, copy});
  }
  return copies;
}

}  // namespace pedpeel::pedprep
