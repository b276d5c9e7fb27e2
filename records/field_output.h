// Renders one numeric output field of a record into field[0 .. width): the one writer of
// each kind. A number that does not fit its field becomes a row of asterisks.
#ifndef PEDPEEL_RECORDS_FIELD_OUTPUT_H_
#define PEDPEEL_RECORDS_FIELD_OUTPUT_H_

#include <array>
#include <cstdint>
#include <cstring>

#include "records/short_copy.h"

namespace pedpeel {

// "00" to "99": the digits of a number below 100, two at a time.
inline constexpr std::array<char, 200> kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int n = 0; n < 100; ++n) {
    pairs[2 * n] = static_cast<char>('0' + n / 10);
    pairs[2 * n + 1] = static_cast<char>('0' + n % 10);
  }
  return pairs;
}();

// Iw for any value; format_integer below takes the common case inline.
void format_any_integer(char* field, int64_t value, int width);

// Iw: decimal digits, "-" for negatives, right-justified in `width` columns. Most fields
// hold a small count, code or ID: 0 to 99 in two columns or more is its blanks and one
// pair of digits, the first blanked below 10.
inline void format_integer(char* field, int64_t value, int width) {
  if (static_cast<uint64_t>(value) < 100 && width >= 2) {
    char* const last_two = field + width - 2;
    fill_blanks(field, static_cast<size_t>(width - 2));
    std::memcpy(last_two, kDigitPairs.data() + 2 * value, 2);
    if (value < 10) *last_two = ' ';
    return;
  }
  format_any_integer(field, value, width);
}

// Ew.d: [-].ddddE+xx right-justified in `width` columns. The value's 17-significant-digit
// expansion (correctly rounded) is rounded half up to `digits` digits. Zero of either sign
// is .0000E+00; a value that is not finite becomes asterisks.
void format_exponent(char* field, float value, int width, int digits);

// put_decimal for any value; put_decimal below takes 0 to 99 inline.
char* put_any_decimal(char* out, int64_t value);

/// The digits of `value` with "-" when negative, as many as it takes (at most 20), at
/// `out`, for text that is not a record (ids.tsv); returns the end of what it wrote.
inline char* put_decimal(char* out, int64_t value) {
  if (static_cast<uint64_t>(value) >= 100) return put_any_decimal(out, value);
  if (value < 10) {
    *out = static_cast<char>('0' + value);
    return out + 1;
  }
  std::memcpy(out, kDigitPairs.data() + 2 * value, 2);
  return out + 2;
}

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_FIELD_OUTPUT_H_
