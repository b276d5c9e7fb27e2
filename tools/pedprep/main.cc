// pedprep: turns a population (CSV, TSV or PLINK .fam) into checked runs for pedpeel.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "driver/heap_setup.h"
#include "records/output_streams.h"
#include "tools/pedprep/pedprep.h"

namespace {

// Address space kept for the tables: a million animals fill some 300 MB, which in 4 KiB
// pages cost 70,000 page faults, a third of the run.
constexpr size_t kHeapReserve = size_t{1} << 30;

}  // namespace

int main(int argc, char** argv) {
  pedpeel::prepare_heap(kHeapReserve);
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const int status = pedpeel::pedprep::run_pedprep(arguments, std::cout, std::cerr);
  return pedpeel::finish_output("pedprep", std::cout, std::cerr, status,
                                pedpeel::pedprep::kExitRefused);
}
