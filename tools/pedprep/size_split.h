// Splitting pedigrees too large for one run of pedpeel, with copies of parents: a parent
// whose offspring land in another piece is a copy there. Every piece keeps within a run's
// limits (packing.h's RunLimits) and holds no family record larger than a record takes.
#ifndef PEDPEEL_TOOLS_PEDPREP_SIZE_SPLIT_H_
#define PEDPEEL_TOOLS_PEDPREP_SIZE_SPLIT_H_

#include <cstdint>
#include <span>
#include <vector>

#include "tools/pedprep/animals.h"
#include "tools/pedprep/family_graph.h"
#include "tools/pedprep/packing.h"

namespace pedpeel::pedprep {

/// A family with more children than one record holds (kMaxRecordMembers less its two
/// parents) keeps the first of them; each further group of that many gets copies of both
/// parents, a family of its own. Returns the copies.
std::vector<MadeCopy> split_large_families(Animals& animals);

/// Splits every pedigree larger than `limits` among those of `graph`'s families (whole
/// pedigrees, family_graph of `animals`) into pieces within them. Within a pedigree
/// the children of a family always stay together; the pieces are cut apart at parent
/// links, each cut a copy of the parent on the family's side. Greedy on the tree of
/// families and founders: from the leaves up, each keeps the smallest of the parts
/// hanging from it while they fit and cuts off the rest. A loop pedpeel takes itself
/// (kept by loop_cuts.h) that would be split is cut too. Returns the copies.
std::vector<MadeCopy> split_large_pedigrees(Animals& animals, FamilyGraph graph,
                                            const RunLimits& limits);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_SIZE_SPLIT_H_
