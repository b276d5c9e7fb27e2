// The one place where a run ends. A run's stages get the I/O context, and whichever way
// they end (return, stop, run-time error) the units are closed in table order, the console's
// waiting line end is written and the exit status is returned.
#ifndef PEDPEEL_RECORDS_RUN_END_H_
#define PEDPEEL_RECORDS_RUN_END_H_

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "records/console.h"
#include "records/file_names.h"
#include "records/units.h"

namespace pedpeel {

// Exit statuses of a run.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitRunError = 1;
inline constexpr int kExitStop = 2;  // a stop after a console message, or a loop report

// Where a run happens: its working directory, command-line arguments and standard streams.
struct RunEnvironment {
  std::string directory = ".";
  std::vector<std::string> arguments;
  std::istream* in = nullptr;
  std::ostream* out = nullptr;
  std::ostream* err = nullptr;
};

// The I/O state of one run: console, blank-name source and unit table.
struct RunIo {
  RunIo(int directory_fd, const RunEnvironment& environment)
      : console(*environment.out),
        blank_names(environment.arguments, *environment.in, console),
        units(directory_fd, blank_names) {}

  Console console;
  BlankNameSource blank_names;
  Units units;
};

/// Runs `stages` and ends the run. The stages return kExitNormal or kExitStop (a run that
/// went through but must report failure); a thrown RunStop (its console line
/// written here) or RunError ends them early.
int run_to_end(const RunEnvironment& environment, const std::function<int(RunIo&)>& stages);

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_RUN_END_H_
