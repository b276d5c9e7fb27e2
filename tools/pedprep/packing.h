// Packs whole pedigrees into runs of pedpeel: each run within the limits of one run
// (records/limits.h), every pedigree in exactly one run and never split.
#ifndef PEDPEEL_TOOLS_PEDPREP_PACKING_H_
#define PEDPEEL_TOOLS_PEDPREP_PACKING_H_

#include <cstdint>
#include <vector>

#include "records/limits.h"
#include "tools/pedprep/animals.h"
#include "tools/pedprep/findings.h"
#include "tools/pedprep/pedigrees.h"

namespace pedpeel::pedprep {

struct RunLimits {
  int32_t rows = kMaxIndividuals;       // NIND of a run
  int32_t entries = kMaxMemberEntries;  // family member entries of a run
};

struct Run {
  std::vector<int32_t> pedigrees;  // indexes into Pedigrees::list, in input order
  int32_t rows = 0;
  int32_t entries = 0;
};

/// First-fit decreasing: pedigrees by the larger of their two shares of the limits, the
/// largest first, each into the first run with room for it. A pedigree larger than a run
/// is an error naming it and its size; no runs are returned then. The pedigrees marked in
/// `alone` (by pedigree; none when empty) come last, each in a run of its own, in order.
std::vector<Run> pack_runs(const Pedigrees& pedigrees, const Animals& animals, Report& report,
                           const RunLimits& limits = {}, const std::vector<uint8_t>& alone = {});

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_PACKING_H_
