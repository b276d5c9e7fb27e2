// The checks of pedinfo check that look at the rows themselves, before any family is
// taken: identifiers, parents, ancestry, pedigree numbers, counts, race codes and
// fractions. Each appends findings; none writes anything else.
#ifndef PEDPEEL_TOOLS_PEDINFO_DATA_CHECKS_H_
#define PEDPEEL_TOOLS_PEDINFO_DATA_CHECKS_H_

#include <vector>

#include "tools/pedinfo/finding.h"
#include "tools/pedinfo/population_index.h"

namespace pedpeel::pedinfo {

/// An IPED value that starts a second run of rows (pedpeel makes it a second pedigree).
void check_pedigree_numbers(const PopulationIndex& index, std::vector<Finding>* findings);

/// Per pedigree: a duplicate ID, a parent ID without a row, IPAR1 given with IPAR2 = 0 and
/// the reverse, an ID used as first parent in one family and second parent in another.
void check_identifiers(const PopulationIndex& index, std::vector<Finding>* findings);

/// Per pedigree: two different IDs with the same INI_ID (the origin check takes them as one
/// animal), once per INI_ID; not when the original ids show them to be one animal and the
/// copies pedprep made of it.
void check_ini_ids(const PopulationIndex& index, std::vector<Finding>* findings);

/// Per pedigree: an individual that is its own parent, or its own ancestor (with the
/// shortest chain of parents that leads back to it).
void check_ancestry(const PopulationIndex& index, std::vector<Finding>* findings);

/// The two NIND counts, NRACE above 2, RACE 126 and 127, fractions outside 0..1 or
/// summing above 1.
void check_counts_and_races(const PopulationIndex& index, std::vector<Finding>* findings);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_DATA_CHECKS_H_
