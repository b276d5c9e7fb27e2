// pedpeel_oracle: pedpeel with the test oracle (the straightforward engine), for benchmarks
// that compare whole runs of the two engines. Same arguments, files and exit statuses.
#include <iostream>

#include "driver/run_driver.h"
#include "testing/oracle_engine.h"

int main(int argc, char** argv) {
  const int status = pedpeel::run_pedpeel(pedpeel::process_environment(argc, argv),
                                          *pedpeel::testing::make_oracle_engine());
  std::cout.flush();
  return status;
}
