// pedpeel_reference: pedpeel with the straightforward reference engine, for benchmarks that
// compare whole runs of the two engines. Same arguments, files and exit statuses.
#include <iostream>

#include "pedigree/run_driver.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  pedpeel::RunEnvironment environment;
  environment.arguments.assign(argv + 1, argv + argc);
  environment.in = &std::cin;
  environment.out = &std::cout;
  environment.err = &std::cerr;
  const int status = pedpeel::run_pedpeel(environment, pedpeel::EngineKind::kReference);
  std::cout.flush();
  return status;
}
