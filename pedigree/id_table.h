// A table with a slot for every ID value, reused from pedigree to pedigree. IDs are 16
// bits, so there are 65536 slots, a negative ID in its own. The table remembers the IDs it
// handed out for writing, and clear() sets back only those: a pedigree costs its own size,
// not the table's.
#ifndef PEDPEEL_PEDIGREE_ID_TABLE_H_
#define PEDPEEL_PEDIGREE_ID_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pedpeel {

template <typename Value>
class IdTable {
 public:
  /// Every slot starts as `empty`, and clear() sets slots back to it.
  explicit IdTable(Value empty = Value{}) : empty_(empty), slots_(kSlots, empty) {}

  Value operator[](int16_t id) const { return slots_[slot(id)]; }

  /// The slot of `id`, to write; remembered for clear() when it was empty.
  Value& at(int16_t id) {
    Value& value = slots_[slot(id)];
    if (value == empty_) written_.push_back(id);
    return value;
  }

  /// Sets every slot handed out by at() since the last clear() back to empty.
  void clear() {
    for (int16_t id : written_) slots_[slot(id)] = empty_;
    written_.clear();
  }

 private:
  static constexpr size_t kSlots = size_t{1} << 16;
  static size_t slot(int16_t id) { return static_cast<uint16_t>(id); }

  Value empty_;
  std::vector<Value> slots_;      // by ID as 16 bits
  std::vector<int16_t> written_;  // IDs handed out by at(), to clear again
};

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_ID_TABLE_H_
