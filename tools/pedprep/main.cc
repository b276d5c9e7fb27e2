// pedprep: turns a population (CSV, TSV or PLINK .fam) into checked runs for pedpeel.
#include <malloc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "tools/pedprep/pedprep.h"

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// Address space kept for the tables: a million animals fill some 300 MB.
constexpr size_t kHeapReserve = size_t{1} << 30;

// Every table from the heap, in address space marked for transparent huge pages and kept
// when freed: in 4 KiB pages the tables of a million animals cost 70,000 page faults, a
// third of the run. Only the pages touched take memory; without huge pages this changes
// nothing but the allocator's thresholds.
void prepare_heap() {
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kHeapReserve));
  mallopt(M_TOP_PAD, static_cast<int>(32 * kHugePage));
  void* block = std::malloc(kHeapReserve);
  if (block == nullptr) return;
  const auto address = reinterpret_cast<uintptr_t>(block);
  const uintptr_t begin = (address + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = (address + kHeapReserve) & ~(kHugePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  std::free(block);
}

}  // namespace

int main(int argc, char** argv) {
  prepare_heap();
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const int status = pedpeel::pedprep::run_pedprep(arguments, std::cout, std::cerr);
  std::cout.flush();
  std::cerr.flush();
  return status;
}
