// pedprep: turns a population in a CSV or TSV table or a PLINK .fam file into checked
// runs of whole pedigrees for pedpeel.
//
//   pedprep INPUT [--format csv|tsv|fam] [--fractions COL[,COL...]] --out DIR [--force]
#ifndef PEDPEEL_TOOLS_PEDPREP_PEDPREP_H_
#define PEDPEEL_TOOLS_PEDPREP_PEDPREP_H_

#include <ostream>
#include <string>
#include <vector>

#include "driver/command_line.h"

namespace pedpeel::pedprep {

// Exit statuses; a usage error is kExitUsage, as in every program.
inline constexpr int kExitDone = 0;     // runs written (warnings allowed)
inline constexpr int kExitRefused = 1;  // input refused, or a file that cannot be read or written

/// Runs pedprep with `arguments` (without the program name): findings on `err`, the
/// summary on `out`. Returns the exit status.
int run_pedprep(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_PEDPREP_H_
