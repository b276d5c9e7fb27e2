// Family grouping through an index of parent pairs: one pass over the rows finds every
// pair's family, a second pass lays the member lists out in FAMLIST. Gives the same
// families, in the same order and with the same lists, as group_families.
#ifndef PEDPEEL_PEDIGREE_PAIR_GROUPING_H_
#define PEDPEEL_PEDIGREE_PAIR_GROUPING_H_

#include <cstdint>

#include "pedigree/families.h"
#include "pedigree/population.h"

namespace pedpeel {

/// Groups rows first_row..last_row: families numbered in the order of the first row of
/// each ordered pair (IPAR1, IPAR2) with IPAR1 != 0, children in row order.
void group_families_by_pair(const Population& population, int32_t first_row, int32_t last_row,
                            Families& families);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_PAIR_GROUPING_H_
