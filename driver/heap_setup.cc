#include "driver/heap_setup.h"

#include <cstdlib>  // first: it defines __GLIBC__ where the C library is glibc

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#endif

#include <algorithm>
#include <climits>
#include <cstdint>

// Whether AddressSanitizer serves the allocations (GCC and clang tell it differently).
#if defined(__SANITIZE_ADDRESS__)
#define PEDPEEL_HEAP_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PEDPEEL_HEAP_SANITIZED 1
#endif
#endif

#if defined(__linux__) && defined(__GLIBC__) && defined(MADV_HUGEPAGE) && \
    !defined(PEDPEEL_HEAP_SANITIZED)
#define PEDPEEL_HEAP_SETUP 1
#endif

namespace pedpeel {

#if defined(PEDPEEL_HEAP_SETUP)

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
// The heap grows at least this much at a time.
constexpr size_t kGrowthStep = size_t{32} << 20;
}  // namespace

bool prepare_heap(size_t reserve) {
  // No allocation is served by a mapping of its own; the heap grows in large steps and
  // gives back nothing below twice the reserve (mallopt returns 0 on failure).
  const size_t trim = std::min<size_t>(2 * reserve + kGrowthStep, INT_MAX);
  if (mallopt(M_MMAP_MAX, 0) == 0 || mallopt(M_TOP_PAD, static_cast<int>(kGrowthStep)) == 0 ||
      mallopt(M_TRIM_THRESHOLD, static_cast<int>(trim)) == 0) {
    return false;
  }
  // Grow the heap by the reserve now and mark its whole huge pages; given back, the block
  // stays at the top of the heap, where the tables to come are carved from.
  void* block = std::malloc(reserve);
  if (block == nullptr) return false;
  const auto address = reinterpret_cast<uintptr_t>(block);
  const uintptr_t begin = (address + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = (address + reserve) & ~(kHugePage - 1);
  const bool marked =
      end > begin && madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE) == 0;
  if (!marked || begin == address) {
    std::free(block);
    return marked;
  }
  // The part below the first huge page can only take ordinary pages: the first tables
  // would land there and fault in up to 2 MB a page at a time. It stays allocated, never
  // touched (so it takes no memory), and the rest is given back: the tables start on a
  // huge page. A smaller size leaves a block where it is.
  return std::realloc(block, begin - address) != nullptr;
}

#else

bool prepare_heap(size_t) {
  return false;
}

#endif

}  // namespace pedpeel
