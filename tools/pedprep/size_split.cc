#include "tools/pedprep/size_split.h"

#include <algorithm>
#include <cstdint>

#include "records/limits.h"

namespace pedpeel::pedprep {

namespace {

// The most children one family record holds besides the two parents.
constexpr int32_t kMaxRecordChildren = kMaxRecordMembers - 2;

// Rows and member entries of a part of a pedigree.
struct Size {
  int32_t rows = 0;
  int32_t entries = 0;
};

// The tree the size split cuts: its units are the families (0 .. F-1, each with its
// children) and the founders that are parents (F + animal); its edges are the parent
// links, 2 * family + role, each joining a family to the unit its parent belongs to.
class UnitTree {
 public:
  UnitTree(const Animals& animals, std::span<const uint8_t> active)
      : graph_(family_graph(animals, active)), families_(graph_.families()) {
    const size_t units = static_cast<size_t>(families_) + static_cast<size_t>(animals.count());
    parent_unit_.resize(2 * static_cast<size_t>(families_));
    for (int32_t link = 0; link < 2 * families_; ++link) {
      const int32_t parent = parent_of_link(link);
      const int32_t family = graph_.family_of[static_cast<size_t>(parent)];
      parent_unit_[static_cast<size_t>(link)] = family >= 0 ? family : families_ + parent;
    }
    start_.assign(units + 1, 0);
    for (int32_t link = 0; link < 2 * families_; ++link) {
      ++start_[static_cast<size_t>(link / 2) + 1];
      ++start_[static_cast<size_t>(parent_unit(link)) + 1];
    }
    for (size_t u = 0; u < units; ++u) start_[u + 1] += start_[u];
    links_.resize(static_cast<size_t>(start_[units]));
    std::vector<int32_t> next(start_.begin(), start_.end() - 1);
    for (int32_t link = 0; link < 2 * families_; ++link) {
      links_[static_cast<size_t>(next[static_cast<size_t>(link / 2)]++)] = link;
      links_[static_cast<size_t>(next[static_cast<size_t>(parent_unit(link))]++)] = link;
    }
  }

  int32_t units() const { return static_cast<int32_t>(start_.size()) - 1; }
  const FamilyGraph& graph() const { return graph_; }
  bool is_family(int32_t unit) const { return unit < families_; }

  int32_t parent_of_link(int32_t link) const {
    const size_t f = static_cast<size_t>(link / 2);
    return link % 2 == 0 ? graph_.sire[f] : graph_.dam[f];
  }
  int32_t parent_unit(int32_t link) const { return parent_unit_[static_cast<size_t>(link)]; }
  /// The unit across `link` from `unit`.
  int32_t across(int32_t link, int32_t unit) const {
    return unit == link / 2 ? parent_unit(link) : link / 2;
  }
  std::span<const int32_t> links_of(int32_t unit) const {
    const auto start = static_cast<size_t>(start_[static_cast<size_t>(unit)]);
    const auto end = static_cast<size_t>(start_[static_cast<size_t>(unit) + 1]);
    return std::span<const int32_t>(links_).subspan(start, end - start);
  }
  Size size_of(int32_t unit) const {
    if (!is_family(unit)) return {1, 0};
    const auto children = static_cast<int32_t>(graph_.children_of(unit).size());
    return {children, 2 + children};
  }

 private:
  FamilyGraph graph_;
  int32_t families_;
  std::vector<int32_t> parent_unit_;  // by link
  std::vector<int32_t> start_;        // by unit, and one past the last
  std::vector<int32_t> links_;        // unit u's: [start_[u], start_[u + 1])
};

// Cuts the component of the tree reached from `root` into pieces within `limits`, marking
// the links cut in `cut`. By unit: `tree_link` the link it is reached by (-2 before, -3
// once done), `place` its place in the component's order (scratch).
void split_component(const UnitTree& tree, int32_t root, const RunLimits& limits,
                     std::vector<int32_t>& tree_link, std::vector<int32_t>& place,
                     std::vector<uint8_t>& cut) {
  // Discovery order (every unit after the one it is reached from) and the link it is
  // reached by.
  std::vector<int32_t> order = {root};
  tree_link[static_cast<size_t>(root)] = -1;
  for (size_t k = 0; k < order.size(); ++k) {
    const int32_t unit = order[k];
    for (int32_t link : tree.links_of(unit)) {
      const int32_t next = tree.across(link, unit);
      if (next == root || tree_link[static_cast<size_t>(next)] != -2) continue;
      tree_link[static_cast<size_t>(next)] = link;
      order.push_back(next);
    }
  }
  // A link outside the tree closes a loop pedpeel takes itself; it is cut when its ends
  // land in two pieces, a copy in its family's piece, for which a row is kept free.
  std::vector<Size> sizes(order.size());
  Size total;
  for (size_t k = 0; k < order.size(); ++k) {
    const int32_t unit = order[k];
    place[static_cast<size_t>(unit)] = static_cast<int32_t>(k);
    sizes[k] = tree.size_of(unit);
    if (tree.is_family(unit)) {
      for (int32_t link : tree.links_of(unit)) {
        const int32_t other = tree.across(link, unit);
        if (tree_link[static_cast<size_t>(unit)] != link &&
            tree_link[static_cast<size_t>(other)] != link) {
          ++sizes[k].rows;
        }
      }
    }
    total.rows += sizes[k].rows;
    total.entries += sizes[k].entries;
  }
  if (total.rows <= limits.rows && total.entries <= limits.entries) {
    for (int32_t unit : order) tree_link[static_cast<size_t>(unit)] = -3;
    return;
  }
  // Room for the copies a unit's part may get: one per parent link of a family, and one
  // for the link above it.
  const int32_t row_cap = limits.rows - 3;
  const int64_t scale_rows = limits.entries;
  const int64_t scale_entries = limits.rows;
  auto share = [&](const Size& size) {
    return std::max(int64_t{size.rows} * scale_rows, int64_t{size.entries} * scale_entries);
  };
  struct Hanging {
    int64_t share;
    int32_t place;
    int32_t link;
  };
  std::vector<Hanging> hanging;
  for (size_t k = order.size(); k-- > 0;) {
    const int32_t unit = order[k];
    hanging.clear();
    for (int32_t link : tree.links_of(unit)) {
      const int32_t other = tree.across(link, unit);
      if (tree_link[static_cast<size_t>(other)] != link || other == root) continue;
      const int32_t p = place[static_cast<size_t>(other)];
      if (static_cast<size_t>(p) <= k) continue;  // the link above this unit
      hanging.push_back({share(sizes[static_cast<size_t>(p)]), p, link});
    }
    std::sort(hanging.begin(), hanging.end(), [](const Hanging& a, const Hanging& b) {
      return a.share != b.share ? a.share < b.share : a.place < b.place;
    });
    Size& part = sizes[k];
    for (const Hanging& h : hanging) {
      const Size& below = sizes[static_cast<size_t>(h.place)];
      if (part.rows + below.rows <= row_cap && part.entries + below.entries <= limits.entries) {
        part.rows += below.rows;
        part.entries += below.entries;
        continue;
      }
      cut[static_cast<size_t>(h.link)] = 1;
      if (h.link / 2 == unit) ++part.rows;  // the copy of the parent stays with the family
    }
  }
  // The pieces: a unit belongs to the piece of the unit above it unless the link between
  // them is cut. A link outside the tree between two pieces is cut too.
  std::vector<int32_t> piece(order.size());
  for (size_t k = 0; k < order.size(); ++k) {
    const int32_t link = tree_link[static_cast<size_t>(order[k])];
    piece[k] =
        link < 0 || cut[static_cast<size_t>(link)] != 0
            ? static_cast<int32_t>(k)
            : piece[static_cast<size_t>(place[static_cast<size_t>(tree.across(link, order[k]))])];
  }
  for (size_t k = 0; k < order.size(); ++k) {
    const int32_t unit = order[k];
    if (!tree.is_family(unit)) continue;
    for (int32_t link : tree.links_of(unit)) {
      const int32_t other = tree.across(link, unit);
      if (piece[k] != piece[static_cast<size_t>(place[static_cast<size_t>(other)])]) {
        cut[static_cast<size_t>(link)] = 1;
      }
    }
  }
  for (int32_t unit : order) tree_link[static_cast<size_t>(unit)] = -3;
}

}  // namespace

std::vector<MadeCopy> split_large_families(Animals& animals) {
  const FamilyGraph graph = family_graph(animals, {});
  std::vector<MadeCopy> copies;
  for (int32_t f = 0; f < graph.families(); ++f) {
    const std::span<const int32_t> children = graph.children_of(f);
    for (size_t first = kMaxRecordChildren; first < children.size(); first += kMaxRecordChildren) {
      const std::span<const int32_t> group =
          children.subspan(first, std::min<size_t>(kMaxRecordChildren, children.size() - first));
      for (int32_t parent :
           {graph.sire[static_cast<size_t>(f)], graph.dam[static_cast<size_t>(f)]}) {
        const int32_t copy = add_copy(animals, parent);
        replace_parent(animals, group, parent, copy);
        copies.push_back({parent, copy});
      }
    }
  }
  return copies;
}

std::vector<MadeCopy> split_large_pedigrees(Animals& animals, std::span<const uint8_t> active,
                                            const RunLimits& limits) {
  const UnitTree tree(animals, active);
  std::vector<uint8_t> cut(2 * static_cast<size_t>(tree.graph().families()), 0);
  std::vector<int32_t> tree_link(static_cast<size_t>(tree.units()), -2);
  std::vector<int32_t> place(static_cast<size_t>(tree.units()), -1);
  for (int32_t unit = 0; unit < tree.units(); ++unit) {
    if (tree_link[static_cast<size_t>(unit)] != -2 || tree.links_of(unit).empty()) continue;
    split_component(tree, unit, limits, tree_link, place, cut);
  }
  std::vector<MadeCopy> copies;
  for (size_t link = 0; link < cut.size(); ++link) {
    if (cut[link] == 0) continue;
    const int32_t parent = tree.parent_of_link(static_cast<int32_t>(link));
    const int32_t copy = add_copy(animals, parent);
    replace_parent(animals, tree.graph().children_of(static_cast<int32_t>(link / 2)), parent, copy);
    copies.push_back({parent, copy});
  }
  return copies;
}

}  // namespace pedpeel::pedprep
