// pedpeel: orders the nuclear families of a population for peeling and writes them out.
#include <iostream>

#include "driver/heap_setup.h"
#include "driver/run_driver.h"

int main(int argc, char** argv) {
  pedpeel::prepare_heap();
  std::ios::sync_with_stdio(false);
  pedpeel::RunEnvironment environment;
  environment.arguments.assign(argv + 1, argv + argc);
  environment.in = &std::cin;
  environment.out = &std::cout;
  environment.err = &std::cerr;
  const int status = pedpeel::run_pedpeel(environment);
  std::cout.flush();
  return status;
}
