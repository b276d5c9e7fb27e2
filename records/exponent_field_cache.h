// Ew.d fields of one width and digit count, kept by the bit pattern of their value. For
// output that repeats values often, as race fractions do (0, 1, halves, quarters): a value
// met before costs a compare and a copy instead of a rendering.
#ifndef PEDPEEL_RECORDS_EXPONENT_FIELD_CACHE_H_
#define PEDPEEL_RECORDS_EXPONENT_FIELD_CACHE_H_

#include <array>
#include <cstdint>
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
  void format(char* field, float value);

 private:
  // One remembered field; every slot always holds a correct pair.
  struct Slot {
    uint32_t bits;
    std::array<char, kMaxWidth> text;
  };

  int width_;
  int digits_;
  std::vector<Slot> slots_;  // direct-mapped by a hash of the bits
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_EXPONENT_FIELD_CACHE_H_
