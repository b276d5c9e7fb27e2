// pedinfo: looks into pedpeel's input and output files without changing them. Subcommands
// check (problems of a population), dump (iway.IWA decoded) and draw (a pedigree as DOT).
#ifndef PEDPEEL_TOOLS_PEDINFO_PEDINFO_H_
#define PEDPEEL_TOOLS_PEDINFO_PEDINFO_H_

#include <ostream>
#include <string>
#include <vector>

#include "driver/command_line.h"

namespace pedpeel::pedinfo {

// Exit statuses of pedinfo.
inline constexpr int kNothingToReport = 0;
inline constexpr int kProblemsReported = 1;
inline constexpr int kUsageOrIoError = kExitUsage;  // with a one-line message on standard error

/// Writes a usage error as driver/command_line.h does: "pedinfo: MESSAGE", then
/// "try 'pedinfo --help'".
/// Returns kUsageOrIoError.
int usage_error(std::ostream& err, const std::string& message);

/// Runs pedinfo with `arguments` (without the program name). Returns the exit status.
int run_pedinfo(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_PEDINFO_H_
