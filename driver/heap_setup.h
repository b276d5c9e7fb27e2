// Process set-up for a run: where the run's tables live.
#ifndef PEDPEEL_DRIVER_HEAP_SETUP_H_
#define PEDPEEL_DRIVER_HEAP_SETUP_H_

namespace pedpeel {

/// Lets the heap grow in large steps on transparent huge pages, with every table (large
/// ones included) taken from it and freed memory kept for reuse. A run fills a few
/// megabytes of tables once; mapped in 2 MiB pages they cost a handful of page faults
/// instead of thousands. Call once, first thing in main(); without huge pages it changes
/// nothing but the allocator's thresholds.
void prepare_heap();

}  // namespace pedpeel

#endif  // PEDPEEL_DRIVER_HEAP_SETUP_H_
