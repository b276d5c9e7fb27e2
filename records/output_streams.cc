#include "records/output_streams.h"

#include <string>

namespace pedpeel {

int finish_output(std::string_view program, std::ostream& out, std::ostream& err, int status,
                  int failed_status) {
  const bool out_lost = !out.flush();
  const bool err_lost = !err.flush();
  if (!out_lost && !err_lost) return status;
  const std::string line = std::string(program) + ": cannot write to " +
                           (out_lost ? "standard output" : "standard error") + "\n";
  err.write(line.data(), static_cast<std::streamsize>(line.size()));
  err.flush();
  return failed_status;
}

}  // namespace pedpeel
