// Process set-up for a program that fills large tables once: where the tables live.
#ifndef PEDPEEL_DRIVER_HEAP_SETUP_H_
#define PEDPEEL_DRIVER_HEAP_SETUP_H_

#include <cstddef>

namespace pedpeel {

// Address space pedpeel and pedinfo keep for a population's tables (a few megabytes).
inline constexpr size_t kRunHeapReserve = size_t{48} << 20;

/// Keeps every table (large ones included) in the heap, grows the heap by `reserve` bytes
/// at once and marks that part for transparent huge pages (the tables start on its first
/// huge page), and keeps freed memory for reuse: tables filled once then cost a few dozen
/// page faults instead of thousands.
/// Only the pages touched take memory. Done through glibc's documented allocator
/// parameters (mallopt) and madvise, on Linux with glibc only, and not under
/// AddressSanitizer, whose allocator ignores them. Returns whether it was done. Call once,
/// first thing in main(); it changes what the program does in no other way.
bool prepare_heap(size_t reserve = kRunHeapReserve);

}  // namespace pedpeel

#endif  // PEDPEEL_DRIVER_HEAP_SETUP_H_
