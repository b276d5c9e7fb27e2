// pedpeel: orders the nuclear families of a population for peeling and writes them out.
#include "driver/heap_setup.h"
#include "driver/run_driver.h"

int main(int argc, char** argv) {
  pedpeel::prepare_heap();
  return pedpeel::run_pedpeel(pedpeel::process_environment(argc, argv));
}
