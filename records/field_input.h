// Reads the value of one input field from the characters the field took from its record:
// the one reader of each field kind. In a numeric field (Iw, Ew.d) blanks and tabs anywhere
// are ignored and an empty field is zero; the caller has already cut the field at the line
// end or a comma.
#ifndef PEDPEEL_RECORDS_FIELD_INPUT_H_
#define PEDPEEL_RECORDS_FIELD_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "records/limits.h"
#include "records/run_error.h"

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

// Ew.d input into a 32-bit real: [sign] digits [. digits] [E|e|D|d|sign [sign] digits].
// Without a decimal point the last `digits` digits of the mantissa are the fraction. The
// decimal value is rounded once to the nearest 32-bit real; a magnitude above the largest
// finite one is E6104, any malformed field E6103. *value is unchanged on failure.
std::optional<ErrorCode> parse_real(std::string_view field, int digits, float* value);

// Aw input into `target`: of a field of `width` columns, `present` holds those the record
// reaches (the rest read as blanks). A target shorter than the field takes its last
// characters, a longer one is filled up with blanks.
void read_text_field(std::string_view present, size_t width, std::span<char> target);

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_FIELD_INPUT_H_
