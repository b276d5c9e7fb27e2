// Checks of what any run leaves behind, whatever its input: the run-time error report on
// standard error, text files ending on a complete record, and the framing of a binary record
// file. Shared by the whole-program tests and the fuzz targets.
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

/// True when a text file holds only complete records: empty, or ending in CR LF, with every
/// LF preceded by CR.
bool holds_complete_records(std::string_view text);

/// The data of each record of a binary record file (header 0x4B, framed segments, trailer
/// 0x82), or nullopt when the bytes are not such a file.
std::optional<std::vector<std::string>> parse_binary_record_file(std::string_view bytes);

}  // namespace pedpeel::testing

#endif  // PEDPEEL_TESTING_OUTPUT_CHECKS_H_
