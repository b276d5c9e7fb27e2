// How the four programs end with standard output and standard error: a write that failed
// is reported and changes the exit status, never lost in silence.
#ifndef PEDPEEL_RECORDS_OUTPUT_STREAMS_H_
#define PEDPEEL_RECORDS_OUTPUT_STREAMS_H_

#include <ostream>
#include <string_view>

namespace pedpeel {

/// Flushes `out`, then `err`. When either has lost a write, writes the one line
/// "PROGRAM: cannot write to standard output" (or "standard error") to `err` and returns
/// `failed_status`; otherwise returns `status`. Called last, once every file is closed.
int finish_output(std::string_view program, std::ostream& out, std::ostream& err, int status,
                  int failed_status);

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_OUTPUT_STREAMS_H_
