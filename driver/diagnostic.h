// The line a tool writes for a problem it found in a file, in the form compilers use so that
// editors and scripts can jump to it:
//   FILE:LINE: error: MESSAGE
//   FILE:LINE: warning: MESSAGE
// An error is something the run cannot go past; a warning is data taken, but most likely not
// as meant. A problem with the file as a whole has no line: "FILE: error: MESSAGE".
#ifndef PEDPEEL_DRIVER_DIAGNOSTIC_H_
#define PEDPEEL_DRIVER_DIAGNOSTIC_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace pedpeel {

enum class Severity { kError, kWarning };

/// "error" or "warning".
std::string_view severity_name(Severity severity);

/// The start of a diagnostic line up to its message: "FILE:LINE: error: ". `line` counts
/// from 1; 0 leaves it out.
std::string diagnostic_prefix(std::string_view file, int64_t line, Severity severity);

/// The whole diagnostic line, without the line end.
std::string diagnostic_line(std::string_view file, int64_t line, Severity severity,
                            std::string_view message);

}  // namespace pedpeel

#endif  // PEDPEEL_DRIVER_DIAGNOSTIC_H_
