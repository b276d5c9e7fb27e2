#include "tools/pedprep/size_split.h"

#include <algorithm>
#include <cstdint>
#include <utility>

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

// How far ahead the walk that reads the tree in no order fetches from it.
constexpr int32_t kAhead = 16;

// The tree the size split cuts: its units are the families (0 .. F-1, each with its
// children) and the founders that are parents of more than one family (F, F + 1, ... in
// the order met); its edges are the parent links, 2 * family + role, each joining a family
// to the unit its parent belongs to. A founder that is a parent in one family only (a
// leaf: every copy the loop cuts made is one) stays with that family and is no unit.
class UnitTree {
 public:
  // A unit across one of its links.
  struct Adjacent {
    int32_t link;
    int32_t unit;
  };

  explicit UnitTree(FamilyGraph graph) : graph_(std::move(graph)), families_(graph_.families()) {
    // A founder's links are counted in its family_of as -1 - links; a founder unit is
    // kept there as its number (F or more) once numbered. The parents past family_of's
    // end are copies made since the graph was (family_graph.h): leaves all, read nowhere.
    std::vector<int32_t>& unit_of = graph_.family_of;
    const auto made_for = static_cast<int32_t>(unit_of.size());
    constexpr int32_t kLeaf = -2;
    int32_t units = families_;
    for (int32_t link = 0; link < 2 * families_; ++link) {
      const int32_t parent = parent_of_link(link);
      if (parent >= made_for) continue;
      int32_t& of_parent = unit_of[static_cast<size_t>(parent)];
      if (of_parent >= 0) continue;
      units += of_parent == kLeaf;  // its second link: a unit
      --of_parent;
    }
    // Numbering the founder units, the links of each unit are counted.
    leaves_.assign(static_cast<size_t>(families_), 0);
    units_.assign(static_cast<size_t>(units) + 1, Unit{});
    units = families_;
    auto is_leaf = [&](int32_t link) {
      return (leaves_[static_cast<size_t>(link / 2)] >> (link % 2) & 1) != 0;
    };
    for (int32_t link = 0; link < 2 * families_; ++link) {
      const int32_t parent = parent_of_link(link);
      if (parent >= made_for || unit_of[static_cast<size_t>(parent)] == kLeaf) {
        leaves_[static_cast<size_t>(link / 2)] |= 1 << (link % 2);
        continue;
      }
      int32_t& of_parent = unit_of[static_cast<size_t>(parent)];
      if (of_parent < kLeaf) of_parent = units++;
      ++units_[static_cast<size_t>(link / 2) + 1].first;
      ++units_[static_cast<size_t>(of_parent) + 1].first;
    }
    for (size_t u = 0; u < static_cast<size_t>(units); ++u) {
      units_[u + 1].first += units_[u].first;
    }
    for (int32_t f = 0; f < families_; ++f) {
      units_[static_cast<size_t>(f)].children = static_cast<int32_t>(graph_.children_of(f).size());
    }
    adjacent_.resize(static_cast<size_t>(units_.back().first));
    std::vector<int32_t> next(static_cast<size_t>(units));
    for (size_t u = 0; u < next.size(); ++u) next[u] = units_[u].first;
    for (int32_t link = 0; link < 2 * families_; ++link) {
      if (is_leaf(link)) continue;
      const int32_t unit = unit_of[static_cast<size_t>(parent_of_link(link))];
      adjacent_[static_cast<size_t>(next[static_cast<size_t>(link / 2)]++)] = {link, unit};
      adjacent_[static_cast<size_t>(next[static_cast<size_t>(unit)]++)] = {link, link / 2};
    }
    unit_of = std::vector<int32_t>();  // not needed past here
  }

  int32_t units() const { return static_cast<int32_t>(units_.size()) - 1; }
  const FamilyGraph& graph() const { return graph_; }
  bool is_family(int32_t unit) const { return unit < families_; }

  int32_t parent_of_link(int32_t link) const {
    const size_t f = static_cast<size_t>(link / 2);
    return link % 2 == 0 ? graph_.sire[f] : graph_.dam[f];
  }
  /// Fetches what adjacent(unit) and size_of(unit) read first, ahead of them.
  void prefetch(int32_t unit) const {
    __builtin_prefetch(&units_[static_cast<size_t>(unit)]);
    if (is_family(unit)) __builtin_prefetch(&leaves_[static_cast<size_t>(unit)]);
  }
  /// Fetches the start of adjacent(unit), once prefetch(unit) has come.
  void prefetch_adjacent(int32_t unit) const {
    __builtin_prefetch(&adjacent_[static_cast<size_t>(units_[static_cast<size_t>(unit)].first)]);
  }
  /// The links of `unit` with the unit across each, in link order.
  std::span<const Adjacent> adjacent(int32_t unit) const {
    const auto start = static_cast<size_t>(units_[static_cast<size_t>(unit)].first);
    const auto end = static_cast<size_t>(units_[static_cast<size_t>(unit) + 1].first);
    return std::span<const Adjacent>(adjacent_).subspan(start, end - start);
  }
  /// For a family: bit `role` set when that parent is a leaf founder.
  uint8_t leaves(int32_t unit) const {
    return is_family(unit) ? leaves_[static_cast<size_t>(unit)] : 0;
  }
  /// Without the leaf founders.
  Size size_of(int32_t unit) const {
    if (!is_family(unit)) return {1, 0};
    const int32_t children = units_[static_cast<size_t>(unit)].children;
    return {children, 2 + children};
  }

 private:
  FamilyGraph graph_;
  int32_t families_;
  std::vector<uint8_t> leaves_;  // by family
  // What the walk reads of a unit, together.
  struct Unit {
    int32_t first = 0;     // of its links in adjacent_, up to the next unit's first
    int32_t children = 0;  // of a family
  };
  std::vector<Unit> units_;         // by unit, and one past the last
  std::vector<Adjacent> adjacent_;  // unit u's: [units_[u].first, units_[u + 1].first)
};

// What split_component works with, kept from one component to the next. By place: the
// units of a component in the order the walk reaches them.
struct Walk {
  std::vector<int32_t> place;  // by unit: its place in its component, -1 before
  std::vector<int32_t> order;  // the unit at each place
  std::vector<int32_t> via;    // the link each place is reached by, -1 for the root
  std::vector<int32_t> first_reached;
  std::vector<Size> sizes;
  std::vector<UnitTree::Adjacent> loop_links;  // with the parent's unit
  std::vector<int32_t> piece;
  std::vector<std::pair<int64_t, int32_t>> hanging;  // (share, place)
};

// The number of bits set in a family's leaves.
int32_t leaf_count(uint8_t leaves) {
  return (leaves & 1) + (leaves >> 1);
}

// Cuts the component of the tree reached from `root` into pieces within `limits`, marking
// the links cut in `cut`.
void split_component(const UnitTree& tree, int32_t root, const RunLimits& limits, Walk& walk,
                     std::vector<uint8_t>& cut) {
  // Breadth first: the units in discovery order; the units reached from the one at k are
  // those at [first_reached[k], first_reached[k + 1]).
  // A link to a unit reached already, other than the link between the two, closes a loop
  // pedpeel takes itself (kept by loop_cuts.h): a loop link, met once from its family.
  std::vector<int32_t>& order = walk.order;
  std::vector<int32_t>& via = walk.via;
  order.assign(1, root);
  via.assign(1, -1);
  walk.first_reached.clear();
  walk.loop_links.clear();
  walk.place[static_cast<size_t>(root)] = 0;
  std::vector<Size>& sizes = walk.sizes;
  sizes.clear();
  Size total;
  // The walk reads each unit's tables in no order: its entries are fetched kAhead places
  // ahead, its list of links half as far.
  for (size_t k = 0; k < order.size(); ++k) {
    if (k + kAhead < order.size()) tree.prefetch(order[k + kAhead]);
    if (k + kAhead / 2 < order.size()) tree.prefetch_adjacent(order[k + kAhead / 2]);
    const int32_t unit = order[k];
    sizes.push_back(tree.size_of(unit));
    total.rows += sizes.back().rows + leaf_count(tree.leaves(unit));
    total.entries += sizes.back().entries;
    walk.first_reached.push_back(static_cast<int32_t>(order.size()));
    for (const UnitTree::Adjacent& next : tree.adjacent(unit)) {
      int32_t& place = walk.place[static_cast<size_t>(next.unit)];
      if (place < 0) {
        place = static_cast<int32_t>(order.size());
        order.push_back(next.unit);
        via.push_back(next.link);
      } else if (next.link != via[k] && next.link / 2 == unit &&
                 via[static_cast<size_t>(place)] != next.link) {
        walk.loop_links.push_back(next);
      }
    }
  }
  walk.first_reached.push_back(static_cast<int32_t>(order.size()));
  // A loop link is cut when its ends land in two pieces: a row is kept free for the copy.
  for (const UnitTree::Adjacent& loop : walk.loop_links) {
    ++sizes[static_cast<size_t>(walk.place[static_cast<size_t>(loop.link / 2)])].rows;
    ++total.rows;
  }
  if (total.rows <= limits.rows && total.entries <= limits.entries) return;

  // From the last unit reached back to the root, each keeps the smallest parts reached
  // from it while they fit, with room for the copies its part may get: one per parent
  // link of a family, and one for the link it is reached by. The leaf founders of a
  // family, one row each, are the smallest parts.
  const int32_t row_cap = limits.rows - 3;
  auto share = [&](const Size& size) {
    return std::max(int64_t{size.rows} * limits.entries, int64_t{size.entries} * limits.rows);
  };
  auto fits = [&](const Size& part, const Size& below) {
    return part.rows + below.rows <= row_cap && part.entries + below.entries <= limits.entries;
  };
  std::vector<std::pair<int64_t, int32_t>>& hanging = walk.hanging;
  // By place: the place itself where the link it is reached by is cut, -1 elsewhere (the
  // pieces below start from it).
  std::vector<int32_t>& piece = walk.piece;
  piece.assign(order.size(), -1);
  piece[0] = 0;
  for (size_t k = order.size(); k-- > 0;) {
    Size& part = sizes[k];
    const uint8_t leaves = tree.leaves(order[k]);
    // When all that hangs from it fits at once, all stays, in whatever order it is taken.
    // The sum stops once it does not fit: it stays within the range of a Size.
    Size all = {leaf_count(leaves), 0};
    for (int32_t c = walk.first_reached[k]; c < walk.first_reached[k + 1] && fits(part, all); ++c) {
      all.rows += sizes[static_cast<size_t>(c)].rows;
      all.entries += sizes[static_cast<size_t>(c)].entries;
    }
    if (fits(part, all)) {
      part.rows += all.rows;
      part.entries += all.entries;
      continue;
    }
    for (int32_t role = 0; role < 2; ++role) {
      if ((leaves >> role & 1) == 0) continue;
      // A leaf cut off leaves its copy in its place: the part grows by a row either way.
      if (!fits(part, {1, 0})) cut[static_cast<size_t>(2 * order[k] + role)] = 1;
      ++part.rows;
    }
    hanging.clear();
    for (int32_t c = walk.first_reached[k]; c < walk.first_reached[k + 1]; ++c) {
      hanging.emplace_back(share(sizes[static_cast<size_t>(c)]), c);
    }
    std::sort(hanging.begin(), hanging.end());
    for (const auto& [ignored, c] : hanging) {
      const Size& below = sizes[static_cast<size_t>(c)];
      if (fits(part, below)) {
        part.rows += below.rows;
        part.entries += below.entries;
        continue;
      }
      const int32_t link = via[static_cast<size_t>(c)];
      cut[static_cast<size_t>(link)] = 1;
      piece[static_cast<size_t>(c)] = c;
      if (link / 2 == order[k]) ++part.rows;  // the copy of the parent stays with the family
    }
  }
  if (walk.loop_links.empty()) return;
  // The pieces: a unit is in the piece of the unit it is reached from unless the link
  // between them is cut. A loop link between two pieces is cut too.
  for (size_t k = 0; k < order.size(); ++k) {
    for (int32_t c = walk.first_reached[k]; c < walk.first_reached[k + 1]; ++c) {
      if (piece[static_cast<size_t>(c)] < 0) piece[static_cast<size_t>(c)] = piece[k];
    }
  }
  auto piece_of = [&](int32_t unit) {
    return piece[static_cast<size_t>(walk.place[static_cast<size_t>(unit)])];
  };
  for (const UnitTree::Adjacent& loop : walk.loop_links) {
    if (piece_of(loop.link / 2) != piece_of(loop.unit)) cut[static_cast<size_t>(loop.link)] = 1;
  }
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

std::vector<MadeCopy> split_large_pedigrees(Animals& animals, FamilyGraph graph,
                                            const RunLimits& limits) {
  const UnitTree tree(std::move(graph));
  std::vector<uint8_t> cut(2 * static_cast<size_t>(tree.graph().families()), 0);
  Walk walk;
  const auto units = static_cast<size_t>(tree.units());
  walk.place.assign(units, -1);
  // Room for the largest component at once: regrowing would hold each table twice over.
  walk.order.reserve(units);
  walk.via.reserve(units);
  walk.first_reached.reserve(units + 1);
  walk.sizes.reserve(units);
  for (int32_t unit = 0; unit < tree.units(); ++unit) {
    if (walk.place[static_cast<size_t>(unit)] < 0) split_component(tree, unit, limits, walk, cut);
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
