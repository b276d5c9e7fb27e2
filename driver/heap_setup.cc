#include "driver/heap_setup.h"

#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace pedpeel {

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
// The heap grows at least this much at a time.
constexpr size_t kGrowthStep = size_t{32} << 20;
}  // namespace

void prepare_heap(size_t reserve) {
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TOP_PAD, static_cast<int>(kGrowthStep));
  const size_t trim = std::min<size_t>(2 * reserve + kGrowthStep, INT_MAX);
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(trim));
  // Grow the heap by the reserve now and mark it for huge pages; freed, it stays in the
  // heap for the tables to come.
  void* block = std::malloc(reserve);
  if (block == nullptr) return;
  const auto address = reinterpret_cast<uintptr_t>(block);
  const uintptr_t begin = (address + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = (address + reserve) & ~(kHugePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  std::free(block);
}

}  // namespace pedpeel
