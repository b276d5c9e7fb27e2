// The origin check: lists on the console every founder of unknown race that no other row
// with the same INI_ID resolves (by having a first parent or a known race).
#ifndef PEDPEEL_EXPORT_ORIGIN_CHECK_H_
#define PEDPEEL_EXPORT_ORIGIN_CHECK_H_

#include <cstdint>
#include <vector>

#include "pedigree/population.h"
#include "records/console.h"

namespace pedpeel {

/// Rows 1..NIND, in row order, that the check prints: recoded RACE of at most 2, IPAR1 = 0,
/// and no other row with the same INI_ID that has IPAR1 != 0 or a recoded RACE above 2.
/// Runs in linear time.
std::vector<int32_t> unresolved_founders(const Population& population);

/// Prints one console line with the INI_ID of each unresolved founder.
void run_origin_check(Console& console, const Population& population);

}  // namespace pedpeel

#endif  // PEDPEEL_EXPORT_ORIGIN_CHECK_H_
