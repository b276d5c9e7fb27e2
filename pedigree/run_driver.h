// The whole run, callable in-process: the control file, the loader, the grouping pass, the
// pedigree core and the second stage, ended in one place with the run's exit status.
#ifndef PEDPEEL_PEDIGREE_RUN_DRIVER_H_
#define PEDPEEL_PEDIGREE_RUN_DRIVER_H_

#include "records/run_end.h"

namespace pedpeel {

enum class EngineKind {
  kProduction,  // the engine a user runs
  kReference,   // straightforward scans; defines the order of the records
};

/// Runs pedpeel in environment.directory with the given arguments and streams. Returns the
/// exit status: 0 normal end, 1 run-time error, 2 stop or loop report. "--help", "-h" and
/// "--version" as the only argument print text and open no file.
int run_pedpeel(const RunEnvironment& environment, EngineKind engine = EngineKind::kProduction);

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_RUN_DRIVER_H_
