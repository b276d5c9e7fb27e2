// One shortest loop through a set of families: a shortest cycle in the graph whose nodes
// are the families and the individuals (IDs) of their member lists, with an edge between a
// family and each of its members.
#ifndef PEDPEEL_TOOLS_PEDINFO_SHORTEST_LOOP_H_
#define PEDPEEL_TOOLS_PEDINFO_SHORTEST_LOOP_H_

#include <cstdint>
#include <span>
#include <vector>

#include "pedigree/families.h"

namespace pedpeel::pedinfo {

// A node of a loop: an individual by ID, or a family by number.
struct LoopNode {
  bool is_family;
  int32_t value;  // the ID, or the family number
  bool operator==(const LoopNode&) const = default;
};

/// A shortest cycle through the families `left` of `families`, as the nodes met going
/// round it once: an individual first, then family and individual in turn, ending with
/// the family that leads back to the first individual. Every node occurs once. Among loops
/// of the shortest length, the one found from the individual met first (families in
/// order, members in list order) is returned. Empty when the families hold no cycle.
std::vector<LoopNode> shortest_loop(const Families& families, std::span<const int32_t> left);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_SHORTEST_LOOP_H_
