#include "records/field_input.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace pedpeel {

namespace {

// Past this, every integer is out of every target's range; saturating keeps the
// arithmetic in range however many digits a field holds.
constexpr int64_t kSaturation = int64_t{1} << 40;

std::string without_blanks(std::string_view field) {
  std::string kept;
  kept.reserve(field.size());
  for (char c : field) {
    if (c != ' ' && c != '\t') kept.push_back(c);
  }
  return kept;
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Value of c as a digit of any base up to 36, or -1.
int digit_value(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return -1;
}

int64_t saturating_step(int64_t value, int base, int digit) {
  const int64_t next = value * base + digit;
  return next > kSaturation ? kSaturation : next;
}

// Reads `digits` in `base`; nullopt when one is not a digit below the base.
std::optional<int64_t> digits_value(std::string_view digits, int base) {
  if (digits.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : digits) {
    const int digit = digit_value(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    value = saturating_step(value, base, digit);
  }
  return value;
}

// An E12.4 field as the system writes one, of a value below 10^-6 (E-07 to E-18): one exact
// division in double precision rounds the value once to the nearest double. Rounding that
// to a float gives the float nearest the decimal value unless the double lies exactly
// halfway between two floats; then, and for any other field, false. (The quotient is zero
// or far above the subnormal floats.)
bool parse_small_written_real(std::string_view field, int digits, float* value) {
  WrittenReal parts;
  if (field.size() != 12 || digits != 4 || !take_apart_written_e12_4(field.data(), &parts) ||
      parts.shift > -11 || parts.shift < -22) {
    return false;
  }
  const double quotient = static_cast<double>(parts.mantissa) / kDoublePowersOfTen[-parts.shift];
  uint64_t bits;
  std::memcpy(&bits, &quotient, sizeof bits);
  constexpr uint64_t kBelowFloatPrecision = (uint64_t{1} << 29) - 1;  // 52 - 23 bits
  if ((bits & kBelowFloatPrecision) == uint64_t{1} << 28) return false;
  const auto magnitude = static_cast<float>(quotient);
  *value = parts.negative ? -magnitude : magnitude;
  return true;
}

// Reads the form Ew.d output gives a field: blanks, an optional sign, an optional 0, a
// point, `digits` digits, E, a sign and two exponent digits. False for any other field.
// The mantissa is below 10^7 and the power of ten at most 10^10, so one float operation
// rounds the value correctly.
bool parse_exponent_form(std::string_view field, int digits, float* value) {
  const size_t n = field.size();
  if (digits < 1 || digits > 7 || n < static_cast<size_t>(digits) + 5) return false;
  const auto digit = [](char c) { return static_cast<unsigned char>(c) - unsigned{'0'}; };
  const char* const begin = field.data();
  const char* const tail = begin + n - 4;  // E+dd
  const unsigned e1 = digit(tail[2]);
  const unsigned e2 = digit(tail[3]);
  if (tail[0] != 'E' || (tail[1] != '+' && tail[1] != '-') || e1 > 9 || e2 > 9) return false;
  const char* lead = tail - digits - 1;  // the point
  if (*lead != '.') return false;
  uint32_t mantissa = 0;
  for (const char* c = lead + 1; c < tail; ++c) {
    const unsigned d = digit(*c);
    if (d > 9) return false;
    mantissa = mantissa * 10 + d;
  }
  if (lead > begin && lead[-1] == '0') --lead;
  bool negative = false;
  if (lead > begin && (lead[-1] == '-' || lead[-1] == '+')) {
    negative = lead[-1] == '-';
    --lead;
  }
  for (const char* c = begin; c < lead; ++c) {
    if (*c != ' ') return false;
  }
  int exponent = static_cast<int>(e1 * 10 + e2);
  exponent = (tail[1] == '-' ? -exponent : exponent) - digits;
  if (exponent < -10 || exponent > 10) return false;
  const float magnitude = exponent >= 0
                              ? static_cast<float>(mantissa) * kFloatPowersOfTen[exponent]
                              : static_cast<float>(mantissa) / kFloatPowersOfTen[-exponent];
  *value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

std::optional<ErrorCode> parse_integer(std::string_view field, int64_t minimum, int64_t maximum,
                                       int64_t* value) {
  switch (parse_plain_integer(field, minimum, maximum, value)) {
    case PlainInteger::kValue:
      return std::nullopt;
    case PlainInteger::kOverflow:
      return ErrorCode::kIntegerOverflow;
    default:
      return parse_integer_general(field, minimum, maximum, value);
  }
}

std::optional<ErrorCode> parse_integer_general(std::string_view field, int64_t minimum,
                                               int64_t maximum, int64_t* value) {
  const std::string text = without_blanks(field);
  if (text.empty()) {
    *value = 0;
    return std::nullopt;
  }
  const size_t hash = text.find('#');
  if (hash != std::string::npos && text.find('#', hash + 1) != std::string::npos) {
    return ErrorCode::kMultipleRadix;
  }
  std::string_view rest = text;
  const bool negative = rest[0] == '-';
  if (rest[0] == '-' || rest[0] == '+') rest.remove_prefix(1);

  int base = 10;
  std::string_view digits = rest;
  if (hash != std::string::npos) {
    const std::string_view base_text = rest.substr(0, rest.find('#'));
    digits = rest.substr(base_text.size() + 1);
    if (!base_text.empty()) {
      const auto parsed = digits_value(base_text, 10);
      if (!parsed) return ErrorCode::kInvalidInteger;
      if (*parsed < 2 || *parsed > 36) return ErrorCode::kIllegalRadix;
      base = static_cast<int>(*parsed);
    } else {
      base = 16;
    }
  }
  const auto magnitude = digits_value(digits, base);
  if (!magnitude) return ErrorCode::kInvalidInteger;
  const int64_t signed_value = negative ? -*magnitude : *magnitude;
  if (signed_value < minimum || signed_value > maximum) return ErrorCode::kIntegerOverflow;
  *value = signed_value;
  return std::nullopt;
}

std::optional<ErrorCode> parse_real(std::string_view field, int digits, float* value) {
  // Plain fields: [sign] digits [. digits] [E|e|D|d|sign [sign] digits], blanks anywhere.
  // With a mantissa up to 2^24 and a power of ten up to 10^10 both operands are exact
  // floats, so one float multiplication or division rounds the decimal value correctly,
  // as the general conversion does. Anything else takes the general road.
  if (parse_written_real(field, digits, value) || parse_small_written_real(field, digits, value) ||
      parse_exponent_form(field, digits, value)) {
    return std::nullopt;
  }
  const char* p = field.data();
  const char* const end = p + field.size();
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (p < end && blank(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  uint32_t mantissa = 0;
  int mantissa_digits = 0;  // digit characters, leading zeros included
  int significant = 0;      // digits from the first non-zero one
  int fraction_digits = 0;
  bool point = false;
  for (; p < end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit <= 9) {
      ++mantissa_digits;
      fraction_digits += point ? 1 : 0;
      if (mantissa != 0 || digit != 0) {
        if (++significant > 8) return parse_real_general(field, digits, value);
        mantissa = mantissa * 10 + digit;
      }
    } else if (*p == '.' && !point) {
      point = true;
    } else if (!blank(*p)) {
      break;
    }
  }
  if (mantissa_digits == 0) return parse_real_general(field, digits, value);
  int exponent = 0;
  if (p < end) {
    if (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd') {
      ++p;
      while (p < end && blank(*p)) ++p;
    } else if (*p != '+' && *p != '-') {
      return parse_real_general(field, digits, value);
    }
    bool exponent_negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
      exponent_negative = *p == '-';
      ++p;
    }
    int exponent_digits = 0;
    for (; p < end; ++p) {
      const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
      if (digit <= 9) {
        if (++exponent_digits > 4) return parse_real_general(field, digits, value);
        exponent = exponent * 10 + static_cast<int>(digit);
      } else if (!blank(*p)) {
        return parse_real_general(field, digits, value);
      }
    }
    if (exponent_digits == 0) return parse_real_general(field, digits, value);
    if (exponent_negative) exponent = -exponent;
  }
  exponent -= point ? fraction_digits : digits;
  if (mantissa > (uint32_t{1} << 24) || exponent < -10 || exponent > 10) {
    return parse_real_general(field, digits, value);
  }
  const float magnitude = exponent >= 0
                              ? static_cast<float>(mantissa) * kFloatPowersOfTen[exponent]
                              : static_cast<float>(mantissa) / kFloatPowersOfTen[-exponent];
  *value = negative ? -magnitude : magnitude;
  return std::nullopt;
}

std::optional<ErrorCode> parse_real_general(std::string_view field, int digits, float* value) {
  const std::string text = without_blanks(field);
  if (text.empty()) {
    *value = 0.0f;
    return std::nullopt;
  }
  size_t i = 0;
  const bool negative = text[i] == '-';
  if (text[i] == '-' || text[i] == '+') ++i;

  std::string mantissa;
  bool point = false;
  int fraction_digits = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (is_digit(c)) {
      mantissa.push_back(c);
      if (point) ++fraction_digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (mantissa.empty()) return ErrorCode::kInvalidReal;

  int64_t exponent = 0;
  if (i < text.size()) {
    const char mark = text[i];
    if (mark == 'E' || mark == 'e' || mark == 'D' || mark == 'd')
      ++i;
    else if (mark != '+' && mark != '-')
      return ErrorCode::kInvalidReal;
    bool exponent_negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      exponent_negative = text[i] == '-';
      ++i;
    }
    const auto parsed = digits_value(std::string_view(text).substr(i), 10);
    if (!parsed) return ErrorCode::kInvalidReal;
    exponent = exponent_negative ? -*parsed : *parsed;
  }
  // value = mantissa digits x 10^(exponent - fraction digits); without a point the last
  // `digits` digits are the fraction.
  exponent -= point ? fraction_digits : digits;
  std::string decimal = negative ? "-" : "";
  decimal += mantissa;
  decimal += 'e';
  decimal += std::to_string(exponent);
  const float parsed = std::strtof(decimal.c_str(), nullptr);
  if (std::isinf(parsed)) return ErrorCode::kRealOverflow;
  *value = parsed;
  return std::nullopt;
}

}  // namespace pedpeel
