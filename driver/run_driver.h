// The whole run, callable in-process: the control file, the loader, the grouping pass, the
// pedigree core and the second stage, ended in one place with the run's exit status.
#ifndef PEDPEEL_DRIVER_RUN_DRIVER_H_
#define PEDPEEL_DRIVER_RUN_DRIVER_H_

#include "pedigree/engine.h"
#include "records/run_end.h"

namespace pedpeel {

/// Runs pedpeel in environment.directory with the given arguments and streams. Returns the
/// exit status: 0 normal end, 1 run-time error or a write to `out` or `err` that failed
/// (one line on `err` names the stream), 2 stop, loop report or usage error. An
/// option ("--help", "-h", "--version", or an unknown one: any other argument starting
/// with '-') is answered without opening a file.
int run_pedpeel(const RunEnvironment& environment);

/// The same run with another peeling engine.
int run_pedpeel(const RunEnvironment& environment, PeelingEngine& engine);

/// The environment of the process itself: its command-line arguments (argv[1] on) and the
/// standard streams, unsynchronised with C stdio.
RunEnvironment process_environment(int argc, char** argv);

}  // namespace pedpeel

#endif  // PEDPEEL_DRIVER_RUN_DRIVER_H_
