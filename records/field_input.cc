#include "records/field_input.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <string>
#include <system_error>

#include "records/powers_of_ten.h"

namespace pedpeel {

namespace {

// Past this, every integer is out of every target's range; saturating keeps the
// arithmetic in range however many digits a field holds.
constexpr int64_t kSaturation = int64_t{1} << 40;

int64_t saturating_step(int64_t value, int base, unsigned digit) {
  const int64_t next = value * base + static_cast<int64_t>(digit);
  return next > kSaturation ? kSaturation : next;
}

// The value of `c` as a digit of any base up to 36, or 99.
unsigned digit_value(char c) {
  const unsigned decimal = static_cast<unsigned char>(c) - unsigned{'0'};
  if (decimal <= 9) return decimal;
  const unsigned letter = (static_cast<unsigned char>(c) | 0x20u) - unsigned{'a'};
  return letter < 26 ? letter + 10 : 99;
}

bool blank(char c) {
  return c == ' ' || c == '\t';
}

// The first character at or after `place` that is not a blank, or `end`. Runs of spaces,
// the usual blanks, go eight at a time.
inline const char* past_blanks(const char* place, const char* end) {
  static_assert(std::endian::native == std::endian::little);
  while (end - place >= 8) {
    uint64_t word;
    std::memcpy(&word, place, sizeof word);
    const uint64_t other = word ^ 0x2020202020202020;  // zero bytes where the spaces are
    if (other != 0) {
      place += std::countr_zero(other) / 8;  // the spaces before the first other byte
      break;
    }
    place += 8;
  }
  for (; place != end; ++place) {
    const char c = *place;
    if (c == ' ') continue;
    if (c != '\t') break;
  }
  return place;
}

// Takes a sign at *place, when there is one: true for "-".
inline bool take_sign(const char** place, const char* end) {
  const char* p = *place;
  if (p == end || (*p != '-' && *p != '+')) return false;
  *place = p + 1;
  return *p == '-';
}

// Takes the digits below `base` (and the blanks among them) from *place into *value,
// saturating; their count. *place is left at the first other character, or at `end`.
inline int take_digits(const char** place, const char* end, int base, int64_t* value) {
  int count = 0;
  int64_t taken = *value;
  const char* p = *place;
  for (; p != end; ++p) {
    const unsigned digit = digit_value(*p);
    if (digit < static_cast<unsigned>(base)) {
      taken = saturating_step(taken, base, digit);
      ++count;
    } else if (!blank(*p)) {
      break;
    }
  }
  *place = p;
  *value = taken;
  return count;
}

// The decimal value of a real field taken apart: value = mantissa x 10^exponent.
struct Decimal {
  bool negative = false;
  uint64_t mantissa = 0;  // the mantissa's digits, exact while there are at most 19
  int count = 0;          // of the mantissa's digits
  int64_t exponent = 0;
  std::string_view digits;  // the field's characters from the mantissa's first to its end
};

// Takes the mantissa and exponent of a real field apart (a blank field is zero); false when
// it is malformed.
bool take_apart_real(std::string_view field, int digits, Decimal* decimal) {
  const char* const end = field.data() + field.size();
  const char* p = past_blanks(field.data(), end);
  if (p == end) {
    *decimal = {};
    return true;
  }
  const bool negative = take_sign(&p, end);
  const char* const begin = p;
  uint64_t mantissa = 0;  // wraps only past 19 digits
  int count = 0;
  int count_at_point = -1;  // digits before the point, -1 without one
  for (; p != end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit <= 9) {
      mantissa = mantissa * 10 + digit;
      ++count;
    } else if (*p == '.' && count_at_point < 0) {
      count_at_point = count;
    } else if (!blank(*p)) {
      break;
    }
  }
  if (count == 0) return false;
  int64_t exponent = 0;
  const char* const mantissa_end = p;
  if (p != end) {
    // An exponent: a letter, then a signed integer, or a sign and an integer.
    if (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd') {
      p = past_blanks(p + 1, end);
    } else if (*p != '+' && *p != '-') {
      return false;
    }
    const bool exponent_negative = take_sign(&p, end);
    if (take_digits(&p, end, 10, &exponent) == 0 || p != end) return false;
    if (exponent_negative) exponent = -exponent;
  }
  // Without a point, the last `digits` digits are the fraction.
  exponent -= count_at_point >= 0 ? count - count_at_point : digits;
  *decimal = {negative, mantissa, count, exponent,
              std::string_view(begin, static_cast<size_t>(mantissa_end - begin))};
  return true;
}

// The float nearest `decimal`, for those whose value one float operation cannot round:
// false when its magnitude is above the largest float.
[[gnu::noinline]] bool round_decimal(const Decimal& decimal, float* value) {
  // The mantissa's digits from the first that is not 0.
  std::string significant;
  for (char c : decimal.digits) {
    if (c >= '0' && c <= '9' && (c != '0' || !significant.empty())) significant.push_back(c);
  }
  // The value lies in [10^(order-1), 10^order): far enough out, the result is plain.
  const int64_t order = decimal.exponent + static_cast<int64_t>(significant.size());
  constexpr int64_t kAboveLargest = 39;    // 10^38 < largest float < 10^39
  constexpr int64_t kBelowSmallest = -46;  // half the smallest float > 10^-46
  float magnitude = 0.0f;
  if (significant.empty() || order < kBelowSmallest) {
    magnitude = 0.0f;
  } else if (order > kAboveLargest) {
    return false;
  } else {
    const std::string text = significant + 'e' + std::to_string(decimal.exponent);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (result.ec == std::errc::result_out_of_range) {
      if (order > 0) return false;
      magnitude = 0.0f;
    }
  }
  *value = decimal.negative ? -magnitude : magnitude;
  return true;
}

// Stores `signed_value` when it lies in minimum..maximum; E6100 otherwise.
std::optional<ErrorCode> in_range(int64_t signed_value, int64_t minimum, int64_t maximum,
                                  int64_t* value) {
  if (signed_value < minimum || signed_value > maximum) return ErrorCode::kIntegerOverflow;
  *value = signed_value;
  return std::nullopt;
}

}  // namespace

std::optional<ErrorCode> parse_real_further(std::string_view field, int digits, float* value) {
  Decimal decimal;
  if (!take_apart_real(field, digits, &decimal)) return ErrorCode::kInvalidReal;
  // A mantissa up to 2^24 and a power of ten up to 10^10 are exact floats: one float
  // multiplication or division rounds the value correctly.
  if (decimal.count <= 19 && decimal.mantissa <= (uint64_t{1} << 24) && decimal.exponent >= -10 &&
      decimal.exponent <= 10) {
    const auto mantissa = static_cast<float>(decimal.mantissa);
    const float magnitude = decimal.exponent >= 0 ? mantissa * kFloatPowersOfTen[decimal.exponent]
                                                  : mantissa / kFloatPowersOfTen[-decimal.exponent];
    *value = decimal.negative ? -magnitude : magnitude;
    return std::nullopt;
  }
  if (!round_decimal(decimal, value)) return ErrorCode::kRealOverflow;
  return std::nullopt;
}

std::optional<ErrorCode> parse_integer_further(std::string_view field, int64_t minimum,
                                               int64_t maximum, int64_t* value) {
  const char* const end = field.data() + field.size();
  const char* p = past_blanks(field.data(), end);
  if (p == end) {
    *value = 0;
    return std::nullopt;
  }
  const bool negative = take_sign(&p, end);
  int64_t magnitude = 0;
  int count = take_digits(&p, end, 10, &magnitude);
  if (p != end) {
    if (std::count(field.begin(), field.end(), '#') > 1) return ErrorCode::kMultipleRadix;
    if (*p != '#') return ErrorCode::kInvalidInteger;
    if (count > 0 && (magnitude < 2 || magnitude > 36)) return ErrorCode::kIllegalRadix;
    const int base = count > 0 ? static_cast<int>(magnitude) : 16;
    ++p;
    magnitude = 0;
    count = take_digits(&p, end, base, &magnitude);
    if (p != end) return ErrorCode::kInvalidInteger;
  }
  if (count == 0) return ErrorCode::kInvalidInteger;
  return in_range(negative ? -magnitude : magnitude, minimum, maximum, value);
}

}  // namespace pedpeel
