#include "tools/pedprep/size_split.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
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

// The tree the size split cuts: its units are the families (0 .. F-1, each with its
// children) and the founders that are parents (F, F + 1, ... in the order met); its edges
// are the parent links, 2 * family + role, each joining a family to the unit its parent
// belongs to.
class UnitTree {
 public:
  UnitTree(const Animals& animals, std::span<const uint8_t> active)
      : graph_(family_graph(animals, active)), families_(graph_.families()) {
    // A founder's unit, kept in its family_of as -2 - (unit - F) once numbered.
    std::vector<int32_t>& unit_of = graph_.family_of;
    int32_t units = families_;
    parent_unit_.resize(2 * static_cast<size_t>(families_));
    for (int32_t link = 0; link < 2 * families_; ++link) {
      int32_t& family = unit_of[static_cast<size_t>(parent_of_link(link))];
      if (family == -1) family = -2 - (units++ - families_);
      parent_unit_[static_cast<size_t>(link)] = family >= 0 ? family : families_ - 2 - family;
    }
    unit_of = {};  // not needed past here
    start_.assign(static_cast<size_t>(units) + 1, 0);
    for (int32_t link = 0; link < 2 * families_; ++link) {
      ++start_[static_cast<size_t>(link / 2) + 1];
      ++start_[static_cast<size_t>(parent_unit(link)) + 1];
    }
    for (size_t u = 0; u < static_cast<size_t>(units); ++u) start_[u + 1] += start_[u];
    links_.resize(static_cast<size_t>(start_.back()));
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
// the links cut in `cut`. `tree_link` by unit: the link it is reached by (-2 before, -1
// for the root); `loop_rows` by unit, scratch, all 0 on entry and on return.
void split_component(const UnitTree& tree, int32_t root, const RunLimits& limits,
                     std::vector<int32_t>& tree_link, std::vector<uint8_t>& loop_rows,
                     std::vector<uint8_t>& cut) {
  // Breadth first: the units in discovery order (tree_link holds the link each is reached
  // by); the units reached from the one at k are those at [first_reached[k],
  // first_reached[k + 1]).
  // A link to a unit reached already, other than the link between the two, closes a loop
  // pedpeel takes itself (kept by loop_cuts.h): a loop link, met once from its family.
  std::vector<int32_t> order = {root};
  std::vector<int32_t> first_reached;
  std::vector<int32_t> loop_links;
  tree_link[static_cast<size_t>(root)] = -1;
  for (size_t k = 0; k < order.size(); ++k) {
    const int32_t unit = order[k];
    first_reached.push_back(static_cast<int32_t>(order.size()));
    for (int32_t link : tree.links_of(unit)) {
      const int32_t next = tree.across(link, unit);
      const int32_t reached_by = tree_link[static_cast<size_t>(next)];
      if (reached_by == -2) {
        tree_link[static_cast<size_t>(next)] = link;
        order.push_back(next);
      } else if (reached_by != link && link != tree_link[static_cast<size_t>(unit)] &&
                 link / 2 == unit) {
        loop_links.push_back(link);
      }
    }
  }
  first_reached.push_back(static_cast<int32_t>(order.size()));
  // A loop link is cut when its ends land in two pieces: a row is kept free for the copy.
  for (int32_t link : loop_links) ++loop_rows[static_cast<size_t>(link / 2)];
  std::vector<Size> sizes(order.size());
  Size total;
  for (size_t k = 0; k < order.size(); ++k) {
    sizes[k] = tree.size_of(order[k]);
    if (!loop_links.empty()) sizes[k].rows += loop_rows[static_cast<size_t>(order[k])];
    total.rows += sizes[k].rows;
    total.entries += sizes[k].entries;
  }
  for (int32_t link : loop_links) loop_rows[static_cast<size_t>(link / 2)] = 0;
  if (total.rows <= limits.rows && total.entries <= limits.entries) return;

  // From the last unit reached back to the root, each keeps the smallest parts reached
  // from it while they fit, with room for the copies its part may get: one per parent
  // link of a family, and one for the link it is reached by.
  const int32_t row_cap = limits.rows - 3;
  auto share = [&](const Size& size) {
    return std::max(int64_t{size.rows} * limits.entries, int64_t{size.entries} * limits.rows);
  };
  std::vector<std::pair<int64_t, int32_t>> hanging;  // (share, place)
  for (size_t k = order.size(); k-- > 0;) {
    hanging.clear();
    for (int32_t c = first_reached[k]; c < first_reached[k + 1]; ++c) {
      hanging.emplace_back(share(sizes[static_cast<size_t>(c)]), c);
    }
    std::sort(hanging.begin(), hanging.end());
    Size& part = sizes[k];
    for (const auto& [ignored, c] : hanging) {
      const Size& below = sizes[static_cast<size_t>(c)];
      if (part.rows + below.rows <= row_cap && part.entries + below.entries <= limits.entries) {
        part.rows += below.rows;
        part.entries += below.entries;
        continue;
      }
      const int32_t link = tree_link[static_cast<size_t>(order[static_cast<size_t>(c)])];
      cut[static_cast<size_t>(link)] = 1;
      if (link / 2 == order[k]) ++part.rows;  // the copy of the parent stays with the family
    }
  }
  if (loop_links.empty()) return;
  // The pieces: a unit is in the piece of the unit it is reached from unless the link
  // between them is cut. A loop link between two pieces is cut too.
  std::vector<int32_t> piece(order.size(), 0);
  for (size_t k = 0; k < order.size(); ++k) {
    for (int32_t c = first_reached[k]; c < first_reached[k + 1]; ++c) {
      const int32_t link = tree_link[static_cast<size_t>(order[static_cast<size_t>(c)])];
      piece[static_cast<size_t>(c)] = cut[static_cast<size_t>(link)] != 0 ? c : piece[k];
    }
  }
  std::unordered_map<int32_t, int32_t> piece_of_unit;
  for (int32_t link : loop_links) {
    piece_of_unit.emplace(link / 2, -1);
    piece_of_unit.emplace(tree.parent_unit(link), -1);
  }
  for (size_t k = 0; k < order.size(); ++k) {
    const auto found = piece_of_unit.find(order[k]);
    if (found != piece_of_unit.end()) found->second = piece[k];
  }
  for (int32_t link : loop_links) {
    if (piece_of_unit.at(link / 2) != piece_of_unit.at(tree.parent_unit(link))) {
      cut[static_cast<size_t>(link)] = 1;
    }
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

std::vector<MadeCopy> split_large_pedigrees(Animals& animals, std::span<const uint8_t> active,
                                            const RunLimits& limits) {
  const UnitTree tree(animals, active);
  std::vector<uint8_t> cut(2 * static_cast<size_t>(tree.graph().families()), 0);
  std::vector<int32_t> tree_link(static_cast<size_t>(tree.units()), -2);
  std::vector<uint8_t> loop_rows(static_cast<size_t>(tree.units()), 0);
  for (int32_t unit = 0; unit < tree.units(); ++unit) {
    if (tree_link[static_cast<size_t>(unit)] != -2 || tree.links_of(unit).empty()) continue;
    split_component(tree, unit, limits, tree_link, loop_rows, cut);
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
