// Ew.d fields of one width and digit count, kept by the bit pattern of their value. For
// output that repeats values often, as race fractions do (0, 1, halves, quarters): a value
// met before costs a compare and a copy instead of a rendering.
#ifndef PEDPEEL_RECORDS_EXPONENT_FIELD_CACHE_H_
#define PEDPEEL_RECORDS_EXPONENT_FIELD_CACHE_H_

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace pedpeel {

class ExponentFieldCache {
 public:
  // Widest field kept.
  static constexpr int kMaxWidth = 12;

  /// Fields of `width` (at most kMaxWidth) columns with `digits` digits.
  ExponentFieldCache(int width, int digits);

  /// Whether the cache renders fields of `width` columns with `digits` digits.
  bool renders(int width, int digits) const { return width == width_ && digits == digits_; }
  /// Renders `value` into field[0 .. width), as format_exponent would.
  void format(char* field, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Slot& slot = slots_[(bits * 0x9E3779B1u) >> (32 - kSlotBits)];
    if (slot.bits != bits) render(slot, value);
    // The widest fields, race fractions among them, copy in one fixed-size move.
    if (width_ == kMaxWidth) {
      std::memcpy(field, slot.text.data(), kMaxWidth);
    } else {
      std::memcpy(field, slot.text.data(), static_cast<size_t>(width_));
    }
  }

 private:
  static constexpr int kSlotBits = 14;

  // One remembered field; every slot always holds a correct pair.
  struct Slot {
    uint32_t bits;
    std::array<char, kMaxWidth> text;
  };
  // Puts the field of `value` in the slot.
  void render(Slot& slot, float value);

  int width_;
  int digits_;
  std::vector<Slot> slots_;  // direct-mapped by a hash of the bits
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_EXPONENT_FIELD_CACHE_H_
