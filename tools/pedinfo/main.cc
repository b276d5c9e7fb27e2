// pedinfo: checks a population for pedpeel, decodes iway.IWA and draws pedigrees.
#include <iostream>

#include "driver/heap_setup.h"
#include "records/output_streams.h"
#include "tools/pedinfo/pedinfo.h"

int main(int argc, char** argv) {
  pedpeel::prepare_heap();  // the tables of a population, mapped as pedpeel maps them
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const int status = pedpeel::pedinfo::run_pedinfo(arguments, std::cout, std::cerr);
  return pedpeel::finish_output("pedinfo", std::cout, std::cerr, status,
                                pedpeel::pedinfo::kUsageOrIoError);
}
