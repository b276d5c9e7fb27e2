// Checks of what any run leaves behind, whatever its input: the run-time error report on
// standard error and text files ending on a complete record. Shared by the whole-program tests and
// the fuzz targets.
#ifndef PEDPEEL_TESTING_OUTPUT_CHECKS_H_
#define PEDPEEL_TESTING_OUTPUT_CHECKS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pedpeel::testing {

/// True when `err` is exactly one run-time error report: CR LF, "run-time error E####: ",
/// READ, WRITE, OPEN or CLOSE, "(name)", CR LF, "- ", the message that belongs to the code,
/// CR LF.
bool is_run_error_report(std::string_view err);

/// True when standard error fits the way the run ended: one run-time error report exactly
/// when the status is 1; the loop notice ("pedpeel: pedigree N has a loop ...") exactly when
/// def.err holds a loop report and the status is 2; nothing otherwise.
bool standard_error_fits(int status, std::string_view err, std::string_view def_err);

/// True when a text file holds only complete records: empty, or ending in CR LF, with every
/// LF preceded by CR.
bool holds_complete_records(std::string_view text);

}  // namespace pedpeel::testing

#endif  // PEDPEEL_TESTING_OUTPUT_CHECKS_H_
