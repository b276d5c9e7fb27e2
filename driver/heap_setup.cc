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
// Whether AddressSanitizer serves the allocations (GCC and clang tell it differently).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kHeapSanitized = true;
#elif defined(__has_feature)
constexpr bool kHeapSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kHeapSanitized = false;
#endif

// Takes the `bytes` of the freed reserve below its first huge page out of use for good: the
// first tables would land there, and each 4 KiB page of it costs a page fault of its own
// (some 260 of them in a run of 32,767 individuals). Under AddressSanitizer the heap is
// its own, and the block would be reported as leaked.
void keep_below_huge_pages(size_t bytes) {
  // The block starts where the reserve started; its chunk header and that of the next
  // chunk take two words.
  if (kHeapSanitized || bytes <= 2 * sizeof(size_t)) return;
  void* below = std::malloc(bytes - 2 * sizeof(size_t));
  // Nothing reads the block: without this the compiler drops the allocation.
  asm volatile("" : : "r"(below) : "memory");
}

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
  keep_below_huge_pages(begin - address);
}

}  // namespace pedpeel
