// The second stage: recodes the race codes, writes iway.IWA, runs the origin check and
// writes iway.IVM. Runs after the core whichever way the core returned.
#ifndef PEDPEEL_EXPORT_SECOND_STAGE_H_
#define PEDPEEL_EXPORT_SECOND_STAGE_H_

#include <cstdint>

#include "pedigree/family_records.h"
#include "pedigree/population.h"
#include "records/run_end.h"

namespace pedpeel {

/// The recode of one race code: 100 becomes 0, any other code c becomes c + 2 in 8-bit
/// two's complement (126 -> -128, 127 -> -127). Afterwards a code above 2 is a known race.
int8_t recode_race(int8_t race);

/// Runs the stage. Precondition: NIND >= 1 (set by the core).
void run_second_stage(RunIo& io, Population& population, const RecordTables& records);

}  // namespace pedpeel

#endif  // PEDPEEL_EXPORT_SECOND_STAGE_H_
