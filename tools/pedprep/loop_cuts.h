// Cutting the loops pedpeel cannot take apart. In the graph of animals and families (an
// edge from each family to each parent and child) a connected pedigree with E edges and V
// nodes has E - V + 1 independent cycles, its cyclomatic number. A copy of a parent put in
// its place in one family removes one edge from the cycles and adds a node of its own, so
// that many copies are needed to make the pedigree a tree, and enough: one on each edge
// outside a spanning tree.
//
// The spanning tree keeps every child's link to its family (those alone never close a
// cycle), then the loops pedpeel takes itself (a mating of full sibs, or of a parent with
// its own child), then the parent links in the order of the parent's matings, fewest first:
// the links cut are those of parents with many matings (a bull used in every herd), so
// that few distinct animals are copied. Near linear: two counting sorts and a union-find.
#ifndef PEDPEEL_TOOLS_PEDPREP_LOOP_CUTS_H_
#define PEDPEEL_TOOLS_PEDPREP_LOOP_CUTS_H_

#include <cstdint>
#include <span>
#include <vector>

#include "tools/pedprep/animals.h"
#include "tools/pedprep/family_graph.h"

namespace pedpeel::pedprep {

/// Cuts every cycle among the families of `graph` (whole pedigrees, family_graph of
/// `animals`), except the loops pedpeel takes itself when `keep_pedpeel_loops`: each link
/// of a parent to a family that closes a cycle gets a copy of the parent in its place. In
/// a pedigree whose animals are marked 2 in `marks` (one to be split for size) such a loop
/// is kept only when it meets the rest of the pedigree at the loop head's parents alone,
/// its matings' offspring without matings, and the loop head within pedpeel's count of
/// children: pedpeel then takes it in whatever piece it lands, kept loops in one piece as
/// a chain of loop heads. Leaves `graph` the family graph of the animals as cut, in
/// family_graph's order. Returns the copies.
std::vector<MadeCopy> cut_loops(Animals& animals, FamilyGraph& graph,
                                std::span<const uint8_t> marks, bool keep_pedpeel_loops);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_LOOP_CUTS_H_
