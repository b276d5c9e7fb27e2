// pedpeel_oracle: pedpeel with the test oracle (the straightforward engine), for benchmarks
// that compare whole runs of the two engines. Same arguments, files and exit statuses.
#include <iostream>

#include "driver/run_driver.h"
#include "testing/oracle_engine.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  pedpeel::RunEnvironment environment;
  environment.arguments.assign(argv + 1, argv + argc);
  environment.in = &std::cin;
  environment.out = &std::cout;
  environment.err = &std::cerr;
  const int status = pedpeel::run_pedpeel(environment, *pedpeel::testing::make_oracle_engine());
  std::cout.flush();
  return status;
}
