// Reads the value of one input field from the characters the field took from its record:
// the one reader of each field kind. In a numeric field (Iw, Ew.d) blanks and tabs anywhere
// are ignored and an empty field is zero; the caller has already cut the field at the line
// end or a comma.
#ifndef PEDPEEL_RECORDS_FIELD_INPUT_H_
#define PEDPEEL_RECORDS_FIELD_INPUT_H_

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "records/digit_words.h"
#include "records/limits.h"
#include "records/powers_of_ten.h"
#include "records/run_error.h"
#include "records/short_copy.h"

namespace pedpeel {

// The values an integer target of type T takes on input; a field outside them is an
// integer overflow.
template <typename T>
struct IntegerTargetRange;
template <>
struct IntegerTargetRange<int8_t> {
  static constexpr int64_t kMin = kMinCode;
  static constexpr int64_t kMax = kMaxCode;
};
template <>
struct IntegerTargetRange<int16_t> {
  static constexpr int64_t kMin = kMinId;
  static constexpr int64_t kMax = kMaxId;
};
template <>
struct IntegerTargetRange<int32_t> {
  static constexpr int64_t kMin = -2147483647;
  static constexpr int64_t kMax = 2147483647;
};

// The part of parse_integer for a field that holds a radix mark, a character no integer
// holds, or more than 18 digits: the field read again from its start, the digits
// saturating (field_input.cc).
std::optional<ErrorCode> parse_integer_further(std::string_view field, int64_t minimum,
                                               int64_t maximum, int64_t* value);

// True when the four characters at `place` are spaces.
[[gnu::always_inline]] inline bool four_spaces(const char* place) {
  uint32_t four;
  std::memcpy(&four, place, sizeof four);
  return four == 0x20202020;
}

// Iw input into a target that holds minimum..maximum. Accepts [sign]digits and the radix
// form [sign][base]#digits (base 2 to 36, 16 when omitted). On failure returns the error
// (E6302, E6303, E6101 or E6100, checked in that order) and leaves *value unchanged.
// Inline wherever a field is read: returned from a call, the result went through memory
// and cost a stalled load at every field.
[[gnu::always_inline]] inline std::optional<ErrorCode> parse_integer(std::string_view field,
                                                                     int64_t minimum,
                                                                     int64_t maximum,
                                                                     int64_t* value) {
  const char* p = field.data();
  const char* const end = p + field.size();
  while (end - p >= 4 && four_spaces(p)) p += 4;  // runs of spaces, the usual blanks
  while (p != end && (*p == ' ' || *p == '\t')) ++p;
  if (p == end) {  // an empty field is zero
    *value = 0;
    return std::nullopt;
  }
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  uint64_t magnitude = 0;
  int count = 0;
  for (; p != end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit <= 9) {
      magnitude = magnitude * 10 + digit;
      ++count;
    } else if (*p != ' ' && *p != '\t') {
      break;
    }
  }
  if (p != end || count > 18) return parse_integer_further(field, minimum, maximum, value);
  if (count == 0) return ErrorCode::kInvalidInteger;
  const auto signed_value = static_cast<int64_t>(negative ? 0 - magnitude : magnitude);
  if (signed_value < minimum || signed_value > maximum) return ErrorCode::kIntegerOverflow;
  *value = signed_value;
  return std::nullopt;
}

// The fast road of Iw input for a field of one to seven columns, given the eight columns
// that start at the field (those past it are ignored): spaces, then digits. False, with
// *value unchanged, for any other field (a signed one among them), which parse_integer()
// reads.
[[gnu::always_inline]] inline bool parse_short_integer(uint64_t columns, size_t width,
                                                       int64_t* value) {
  const int before = 8 - static_cast<int>(width);  // columns of spaces put before the field
  uint64_t text = (columns << (8 * before)) | (kEightSpaces & first_columns(before));
  read_spaces_as_zeros(&text);
  uint32_t magnitude;
  if (!eight_digits_value(text, &magnitude)) return false;
  *value = magnitude;
  return true;
}

// The part of parse_real for every field but the E12.4 fields the system writes and the
// fractions as people write them (field_input.cc).
std::optional<ErrorCode> parse_real_further(std::string_view field, int digits, float* value);

// The fast road of Ew.d input, for the E12.4 fields the system writes of race fractions
// ("   .5000E+00", "   .1250E-01"): their columns read as two little-endian words. False,
// with *value unchanged, for any other field (a negative one among them), and for values
// that one float operation cannot round.
[[gnu::always_inline]] inline bool parse_written_e12_4(const char* columns, float* value) {
  static_assert(std::endian::native == std::endian::little);
  // Columns 1-8 ("   .dddd") and 9-12 ("Esxx").
  uint64_t head;
  uint32_t tail;
  std::memcpy(&head, columns, sizeof head);
  std::memcpy(&tail, columns + sizeof head, sizeof tail);
  const uint32_t exponent_sign = (tail >> 8) & 0xFF;
  if (static_cast<uint32_t>(head) != 0x2E202020 || (tail & 0xFF) != 'E' ||
      (exponent_sign != '+' && exponent_sign != '-')) {
    return false;
  }
  // The six digits (four of the mantissa, two of the exponent) in one word: each byte is
  // '0'..'9' exactly when it is below 0x80, taking '0' from it leaves it there, and adding
  // 0x46 ('9' + 0x46 = 0x7F) does too.
  const uint64_t text = (head >> 32) | (uint64_t{tail >> 16} << 32);
  constexpr uint64_t kZeros = 0x303030303030;
  if (((text | (text - kZeros) | (text + 0x464646464646)) & 0x808080808080) != 0) return false;
  const uint64_t values = text - kZeros;  // one digit in each byte, the first lowest
  // Pairs of digits, then the four: d1d2 and d3d4 in the low bytes of each half-word.
  const uint32_t low = static_cast<uint32_t>(values);
  const uint32_t pairs = ((low * 10) + (low >> 8)) & 0x00FF00FF;
  const uint32_t high = static_cast<uint32_t>(values >> 32);
  const int exponent_magnitude = static_cast<int>((high & 0xFF) * 10 + (high >> 8));
  const auto mantissa = static_cast<float>(((pairs & 0xFF) * 100) + (pairs >> 16));
  const int shift = (exponent_sign == '+' ? exponent_magnitude : -exponent_magnitude) - 4;
  if (shift > 10 || shift < -10) return false;
  // A mantissa below 10^4 and a power of ten up to 10^10 are exact floats: one float
  // operation rounds the value correctly.
  *value = shift >= 0 ? mantissa * kFloatPowersOfTen[shift] : mantissa / kFloatPowersOfTen[-shift];
  return true;
}

// The fast road of Ew.d input for a field written as people write fractions ("0.5000",
// "1.0", "0.009234"): spaces, then digits and one point in the field's last eight columns,
// which read as one word. False, with *value unchanged, for any other field (a signed one
// among them).
[[gnu::always_inline]] inline bool parse_decimal_fraction(std::string_view field, float* value) {
  const char* const end = field.data() + field.size();
  if (field.size() < 8 || !only_spaces(field.data(), end - 8)) return false;
  const uint64_t text = load_word(end - 8);
  const uint64_t points = column_marks(text, '.');
  // The one word of a point and no digit that would pass as one: it would read as 0.
  constexpr uint64_t kBlanksAndPoint = 0x2E20202020202020;  // "       ."
  if (points == 0 || text == kBlanksAndPoint) return false;
  // The columns before the first point move up one over it, and a '0' fills the first
  // column; the leading blanks (all before the point) move up with them and read as '0'.
  // Any other point is left to fail as a digit. The leading blanks are found in the word as
  // read, beside the point rather than after it: a field's value waits on fewer steps.
  const uint64_t through_point = points ^ (points - 1);  // every column up to the point's
  const uint64_t digits =
      (text ^ ((text ^ ((text << 8) | '0')) & through_point)) | (leading_space_zeros(text) << 8);
  uint32_t mantissa;
  if (!eight_digits_value(digits, &mantissa)) return false;
  // A mantissa of at most seven digits and a power of ten up to 10^7 are exact floats: one
  // float division rounds the value correctly. The decimals are the columns past the point.
  const unsigned decimals = static_cast<unsigned>(std::countl_zero(through_point)) / 8;
  *value = static_cast<float>(mantissa) / kFloatPowersOfTen[decimals];
  return true;
}

// Ew.d input into a 32-bit real: [sign] digits [. digits] [E|e|D|d|sign [sign] digits].
// Without a decimal point the last `digits` digits of the mantissa are the fraction. The
// decimal value is rounded once to the nearest 32-bit real; a magnitude above the largest
// finite one is E6104, any malformed field E6103. *value is unchanged on failure. Inline
// wherever a field is read, as parse_integer is: the E12.4 fields the system writes, most
// of a run's real fields, then cost no call.
[[gnu::always_inline]] inline std::optional<ErrorCode> parse_real(std::string_view field,
                                                                  int digits, float* value) {
  if (field.size() == 12 && digits == 4 && parse_written_e12_4(field.data(), value)) {
    return std::nullopt;
  }
  if (parse_decimal_fraction(field, value)) return std::nullopt;
  return parse_real_further(field, digits, value);
}

// Aw input into `target`: of a field of `width` columns, `present` holds those the record
// reaches (the rest read as blanks). A target shorter than the field takes its last
// characters, a longer one is filled up with blanks. Inline: where the widths are known,
// the whole field is a move or two.
inline void read_text_field(std::string_view present, size_t width, std::span<char> target) {
  const size_t offset = width > target.size() ? width - target.size() : 0;
  const size_t count = std::min(width, target.size());
  if (present.size() == width) {  // the usual case: the record holds the whole field
    copy_short(target.data(), present.data() + offset, count);
  } else {
    for (size_t i = 0; i < count; ++i) {
      const size_t column = offset + i;
      target[i] = column < present.size() ? present[column] : ' ';
    }
  }
  if (count < target.size()) fill_blanks(target.data() + count, target.size() - count);
}

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_FIELD_INPUT_H_
