// Process set-up for a program that fills large tables once: where the tables live.
#ifndef PEDPEEL_DRIVER_HEAP_SETUP_H_
#define PEDPEEL_DRIVER_HEAP_SETUP_H_

#include <cstddef>

namespace pedpeel {

// Address space pedpeel and pedinfo keep for a population's tables (a few megabytes).
inline constexpr size_t kRunHeapReserve = size_t{48} << 20;

/// Takes every table (large ones included) from the heap, with `reserve` bytes of it marked
/// for transparent huge pages, the heap below them kept out of use and freed memory kept
/// for reuse: tables filled once then cost a handful of page faults instead of thousands.
/// Only the pages touched take memory. Call once, first thing in main(); without huge pages
/// it changes nothing but the allocator's thresholds.
void prepare_heap(size_t reserve = kRunHeapReserve);

}  // namespace pedpeel

#endif  // PEDPEEL_DRIVER_HEAP_SETUP_H_
