#include "driver/heap_setup.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace pedpeel {

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
// The largest mmap threshold the allocator takes.
constexpr size_t kHeapStep = size_t{32} << 20;
}  // namespace

void prepare_heap() {
  // Every allocation from the heap, which grows by 32 MiB at a time and never shrinks.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kHeapStep));
  mallopt(M_TOP_PAD, static_cast<int>(kHeapStep));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(4 * kHeapStep));
  // Grow the heap now and mark its new part for huge pages; later growth of the heap
  // continues the marked part.
  void* block = std::malloc(kHeapStep / 2);
  if (block == nullptr) return;
  const auto begin = (reinterpret_cast<uintptr_t>(block) + kHugePage - 1) & ~(kHugePage - 1);
  const auto end = reinterpret_cast<uintptr_t>(sbrk(0)) & ~(uintptr_t{4095});
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  std::free(block);
}

}  // namespace pedpeel
