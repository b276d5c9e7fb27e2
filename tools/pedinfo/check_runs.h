// pedinfo check on a runs directory: every run that runs.txt lists is checked as
// pedinfo check checks one population, with the run's ids.tsv when it has one. Findings
// name their files relative to the runs directory ("run-0003/pedigree.dat:12: ..."), and
// one summary line (or one JSON document with an object per run) covers all runs.
#ifndef PEDPEEL_TOOLS_PEDINFO_CHECK_RUNS_H_
#define PEDPEEL_TOOLS_PEDINFO_CHECK_RUNS_H_

#include <ostream>
#include <string>

#include "tools/pedinfo/original_ids.h"

namespace pedpeel::pedinfo {

/// The ids.tsv that pedprep wrote into the run directory `run`, read into `*ids`: what
/// the run's check shows its IDs with. nullptr when the run has none, and when it has one
/// that cannot be used (what is wrong with it then in `*problem`): the run is then checked
/// without original ids.
const OriginalIds* run_ids(const std::string& run, OriginalIds* ids, std::string* problem);

/// Checks the runs of `directory`, writing the findings of each run as it is checked to
/// `out` (text, or JSON when `json`) and a run that cannot be read (and an ids.tsv that
/// cannot be used) to `err`. Returns pedinfo's exit status: 2 when runs.txt or a run could
/// not be read, else 1 when any run has a problem, else 0.
int check_runs(const std::string& directory, bool json, std::ostream& out, std::ostream& err);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_CHECK_RUNS_H_
