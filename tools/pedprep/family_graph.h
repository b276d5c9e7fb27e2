// The nuclear families of the animals, for cutting pedigrees: each distinct (sire, dam)
// pair with its children. Seen as a graph whose nodes are the animals and the families,
// with an edge from each family to each parent and each child, a pedigree is one of its
// connected components.
#ifndef PEDPEEL_TOOLS_PEDPREP_FAMILY_GRAPH_H_
#define PEDPEEL_TOOLS_PEDPREP_FAMILY_GRAPH_H_

#include <cstdint>
#include <span>
#include <vector>

#include "tools/pedprep/animals.h"

namespace pedpeel::pedprep {

struct FamilyGraph {
  // By animal: the family it is a child of, -1 for none. Animals added since the graph was
  // made (copies, founders) are past its end.
  std::vector<int32_t> family_of;
  std::vector<int32_t> sire;         // by family
  std::vector<int32_t> dam;          // by family
  std::vector<int32_t> child_start;  // by family, and one past the last
  std::vector<int32_t> children;     // family f's: [child_start[f], child_start[f + 1])

  int32_t families() const { return static_cast<int32_t>(sire.size()); }
  std::span<const int32_t> children_of(int32_t f) const {
    const auto start = static_cast<size_t>(child_start[static_cast<size_t>(f)]);
    const auto end = static_cast<size_t>(child_start[static_cast<size_t>(f) + 1]);
    return std::span<const int32_t>(children).subspan(start, end - start);
  }
};

/// The families of the animals a with `active[a]` set (all animals when `active` is
/// empty), ordered by dam and then sire, each with its children in index order. Linear:
/// two counting sorts.
FamilyGraph family_graph(const Animals& animals, std::span<const uint8_t> active);

/// Puts `graph`'s families back in the order family_graph would give them, once copies
/// took the place of parents of some of its families: a family is still the same
/// children, only its key (dam, sire) changed. The copies are the animals past those the
/// graph was made for (family_of's size), each a parent in one family. Linear in the
/// families, and cheaper than family_graph: it reads no animal.
void regroup_families(FamilyGraph& graph);

// A copy made in place of a parent in one family.
struct MadeCopy {
  int32_t parent;  // the animal replaced (itself perhaps a copy)
  int32_t copy;
};

/// Makes a copy of animal `of` (of what it stands for, when `of` is a copy): a founder with
/// its id, family, sex, race and fractions. Returns the copy's index.
int32_t add_copy(Animals& animals, int32_t of);

/// Puts `copy` in place of `parent` as a parent of each of `children`.
void replace_parent(Animals& animals, std::span<const int32_t> children, int32_t parent,
                    int32_t copy);

/// Gives each child of a family of `graph` the parents the family has now. One pass over
/// the children in index order: cheaper than one family at a time, whose children lie
/// anywhere in the animal table.
void replace_parents(Animals& animals, const FamilyGraph& graph);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_FAMILY_GRAPH_H_
