#include "testing/reference_fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace pedpeel::testing {

namespace {

// Past this, every integer is out of every target's range.
constexpr int64_t kSaturation = int64_t{1} << 40;

std::string without_blanks(std::string_view field) {
  std::string kept;
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

// Reads `digits` in `base`, saturating; nullopt when one is not a digit below the base.
std::optional<int64_t> digits_value(std::string_view digits, int base) {
  if (digits.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : digits) {
    const int digit = digit_value(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > kSaturation) value = kSaturation;
  }
  return value;
}

std::string right_justified(const std::string& text, int width) {
  if (static_cast<int>(text.size()) > width) return std::string(static_cast<size_t>(width), '*');
  return std::string(static_cast<size_t>(width) - text.size(), ' ') + text;
}

}  // namespace

std::optional<ErrorCode> reference_parse_integer(std::string_view field, int64_t minimum,
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

std::optional<ErrorCode> reference_parse_real(std::string_view field, int digits, float* value) {
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
    if (mark == 'E' || mark == 'e' || mark == 'D' || mark == 'd') {
      ++i;
    } else if (mark != '+' && mark != '-') {
      return ErrorCode::kInvalidReal;
    }
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
  const std::string decimal = (negative ? "-" : "") + mantissa + "e" + std::to_string(exponent);
  const float parsed = std::strtof(decimal.c_str(), nullptr);
  if (std::isinf(parsed)) return ErrorCode::kRealOverflow;
  *value = parsed;
  return std::nullopt;
}

std::string reference_integer_field(int64_t value, int width) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return right_justified(std::string(text, result.ptr), width);
}

std::string reference_exponent_field(float value, int width, int digits) {
  if (!std::isfinite(value)) return std::string(static_cast<size_t>(width), '*');
  std::string mantissa(static_cast<size_t>(digits), '0');
  int exponent = 0;
  if (value != 0.0f) {
    // "d.dddddddddddddddde±x": the 17 significant digits of the value, correctly rounded.
    char expansion[40];
    std::snprintf(expansion, sizeof expansion, "%.16e", std::fabs(static_cast<double>(value)));
    std::string significant = std::string(1, expansion[0]) + std::string(expansion + 2, 16);
    exponent = std::atoi(expansion + 19) + 1;  // value = 0.d1d2... x 10^exponent
    // Rounded half up to `digits` digits, by the digit after them.
    significant.resize(std::max<size_t>(significant.size(), static_cast<size_t>(digits) + 1), '0');
    std::string kept = significant.substr(0, static_cast<size_t>(digits));
    if (significant[static_cast<size_t>(digits)] >= '5') {
      int i = digits - 1;
      while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
      if (i >= 0) {
        ++kept[static_cast<size_t>(i)];
      } else {
        kept[0] = '1';
        ++exponent;
      }
    }
    mantissa = kept;
  }
  char exponent_text[16];
  std::snprintf(exponent_text, sizeof exponent_text, "E%c%02d", exponent < 0 ? '-' : '+',
                std::abs(exponent));
  const std::string text = (value < 0 ? "-." : ".") + mantissa + exponent_text;
  return right_justified(text, width);
}

}  // namespace pedpeel::testing
