#include "records/field_output.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>

#include "records/powers_of_ten.h"
#include "records/short_copy.h"

namespace pedpeel {

namespace {

// "00" to "99": the digits of a number below 100, two at a time.
constexpr auto kDigitPairs = [] {
  std::array<char, 200> pairs{};
  for (int n = 0; n < 100; ++n) {
    pairs[2 * n] = static_cast<char>('0' + n / 10);
    pairs[2 * n + 1] = static_cast<char>('0' + n % 10);
  }
  return pairs;
}();

// Writes the decimal digits of `magnitude` so that they end just before `end`, two at a
// time from the right; returns where they begin. Called with uint32_t wherever the value
// fits, as division by 100 is cheaper there than in 64 bits. Inlined: the numbers records
// and ids.tsv hold have a few digits, which cost less than a call.
template <typename Unsigned>
[[gnu::always_inline]] inline char* write_digits(Unsigned magnitude, char* end) {
  char* place = end;
  while (magnitude >= 100) {
    place -= 2;
    std::memcpy(place, kDigitPairs.data() + 2 * (magnitude % 100), 2);
    magnitude /= 100;
  }
  if (magnitude >= 10) {
    place -= 2;
    std::memcpy(place, kDigitPairs.data() + 2 * magnitude, 2);
  } else {
    *--place = static_cast<char>('0' + magnitude);
  }
  return place;
}

// An Ew.d text as its parts: [-].mantissaE±exponent, the mantissa of `digits` digits.
struct ExponentParts {
  bool negative = false;
  uint32_t mantissa = 0;
  int exponent = 0;
};

int exponent_text_length(const ExponentParts& parts, int digits) {
  return (parts.negative ? 1 : 0) + digits + 5;
}

// Writes the text of `parts` so that it ends just before `end`.
void write_exponent_text(const ExponentParts& parts, int digits, char* end) {
  char* place = end;
  const int absolute = parts.exponent < 0 ? -parts.exponent : parts.exponent;
  place -= 2;
  std::memcpy(place, kDigitPairs.data() + 2 * absolute, 2);
  *--place = parts.exponent < 0 ? '-' : '+';
  *--place = 'E';
  uint32_t mantissa = parts.mantissa;
  int left = digits;
  for (; left >= 2; left -= 2) {
    place -= 2;
    std::memcpy(place, kDigitPairs.data() + 2 * (mantissa % 100), 2);
    mantissa /= 100;
  }
  if (left == 1) *--place = static_cast<char>('0' + mantissa);
  *--place = '.';
  if (parts.negative) *--place = '-';
}

// The Ew.d parts of a finite value with 1 <= digits <= 9 from one scaling: the value times
// 10^(digits - x) lands in [10^(digits-1), 10^digits) with a relative error below 2^-52,
// far less than the margin kept around a tie, so rounding the scaled value half up gives
// the digits the 17-digit expansion would. False when the value is too close to a tie, or
// too large or too small (or subnormal) to scale with one exact power of ten.
bool exponent_parts_by_scaling(float value, int digits, ExponentParts* parts) {
  if (digits < 1 || digits > 9) return false;
  if (value == 0.0f) {  // .0...0E+00 whatever the sign
    *parts = {};
    return true;
  }
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased = static_cast<int>((bits >> 23) & 0xFF);
  if (biased == 0 || biased == 0xFF) return false;  // subnormal, infinite or not a number
  // |value| = m x 2^binary_exponent with m in [0.5, 1), so 10^x0 <= |value| < 10^(x0 + 2)
  // for x0 = floor((binary_exponent - 1) log10 2), and value = 0.d1d2... x 10^x with x one
  // of x0 + 1 and x0 + 2.
  const int binary_exponent = biased - 126;
  int x = ((binary_exponent - 1) * 78913 >> 18) + 1;
  const double magnitude = std::fabs(static_cast<double>(value));
  const double high = kDoublePowersOfTen[digits];
  const auto scale = [&](int shift) {
    return shift >= 0 ? magnitude * kDoublePowersOfTen[shift]
                      : magnitude / kDoublePowersOfTen[-shift];
  };
  if (digits - x > 22 || digits - x < -21) return false;
  double scaled = scale(digits - x);
  if (scaled >= high) scaled = scale(digits - ++x);
  if (scaled < kDoublePowersOfTen[digits - 1] || scaled >= high)
    return false;  // never, by the above
  const auto whole = static_cast<uint32_t>(scaled);
  const double fraction = scaled - whole;
  if (std::fabs(fraction - 0.5) < high * 1e-13) return false;
  uint32_t mantissa = whole + (fraction > 0.5 ? 1 : 0);
  if (mantissa == static_cast<uint32_t>(high)) {  // 9999.5 and up carry into the exponent
    mantissa /= 10;
    ++x;
  }
  *parts = {value < 0, mantissa, x};
  return true;
}

// Puts `length` characters of `text` right-justified in field[0 .. width), or asterisks
// when they do not fit.
void right_justify(char* field, int width, const char* text, int length) {
  if (length > width) {
    std::fill(field, field + width, '*');
    return;
  }
  fill_blanks(field, static_cast<size_t>(width - length));
  std::memcpy(field + (width - length), text, static_cast<size_t>(length));
}

// format_exponent for any value and digit count: the value expanded to 17 digits, rounded.
void format_exponent_by_expansion(char* field, float value, int width, int digits) {
  if (!std::isfinite(value)) {
    std::fill(field, field + width, '*');
    return;
  }
  char text[64];
  int length = 0;
  if (value == 0.0f) {
    text[length++] = '.';
    for (int i = 0; i < digits; ++i) text[length++] = '0';
    std::memcpy(text + length, "E+00", 4);
    right_justify(field, width, text, length + 4);
    return;
  }
  // d.dddddddddddddddde±x: 17 significant digits, correctly rounded.
  char expansion[40];
  const double magnitude = std::fabs(static_cast<double>(value));
  const char* const end = std::to_chars(expansion, expansion + sizeof expansion, magnitude,
                                        std::chars_format::scientific, 16)
                              .ptr;
  char significant[17];
  significant[0] = expansion[0];
  for (int i = 1; i < 17; ++i) significant[i] = expansion[i + 1];
  const char* exponent_text = expansion + 19;  // after "d.16digits" and 'e'
  int exponent = 0;
  std::from_chars(exponent_text + (*exponent_text == '+' ? 1 : 0), end, exponent);
  exponent += 1;  // value = 0.d1d2... x 10^exponent

  // Rounded half up to `digits` digits; a carry out of the first gives 1000...
  const int kept = digits < 17 ? digits : 17;
  char mantissa[17];
  std::memcpy(mantissa, significant, static_cast<size_t>(kept));
  if (kept < 17 && significant[kept] >= '5') {
    int i = kept - 1;
    while (i >= 0 && mantissa[i] == '9') mantissa[i--] = '0';
    if (i >= 0) {
      ++mantissa[i];
    } else {
      mantissa[0] = '1';
      exponent += 1;
    }
  }
  if (value < 0) text[length++] = '-';
  text[length++] = '.';
  for (int i = 0; i < kept; ++i) text[length++] = mantissa[i];
  for (int i = kept; i < digits; ++i) text[length++] = '0';
  text[length++] = 'E';
  text[length++] = exponent < 0 ? '-' : '+';
  const int absolute = exponent < 0 ? -exponent : exponent;
  if (absolute < 10) text[length++] = '0';
  length = static_cast<int>(std::to_chars(text + length, text + sizeof text, absolute).ptr - text);
  right_justify(field, width, text, length);
}

}  // namespace

void format_integer(char* field, int64_t value, int width) {
  // Whether the digits and sign fit is one comparison with a power of ten; then they are
  // written from the right and the rest of the field blanked.
  const bool negative = value < 0;
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  const int room = width - (negative ? 1 : 0);              // for the digits
  constexpr int kLongest = std::size(kIntegerPowersOfTen);  // digits of the largest uint64_t
  // A room of 1 to 19 digits holds the numbers below 10^room; a wider one holds any.
  const bool ordinary_room = static_cast<unsigned>(room - 1) < kLongest - 1;
  const bool fits = ordinary_room ? magnitude < kIntegerPowersOfTen[room] : room > 0;
  if (!fits) {
    std::memset(field, '*', static_cast<size_t>(width));
    return;
  }
  // The whole field is blanked first and the digits written over its end: what is blanked
  // does not hang on the value.
  fill_blanks(field, static_cast<size_t>(width));
  char* place = magnitude <= UINT32_MAX
                    ? write_digits(static_cast<uint32_t>(magnitude), field + width)
                    : write_digits(magnitude, field + width);
  if (negative) *--place = '-';
}

char* put_decimal(char* out, int64_t value) {
  const bool negative = value < 0;
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (negative) *out++ = '-';
  // The digit count from the bit count (log10 2 is about 1233 / 4096), corrected by one
  // comparison; 0 has one digit.
  int digits = (std::bit_width(magnitude) * 1233) >> 12;
  digits += magnitude >= kIntegerPowersOfTen[digits] ? 1 : 0;
  char* const end = out + (digits > 0 ? digits : 1);
  if (magnitude <= UINT32_MAX) {
    write_digits(static_cast<uint32_t>(magnitude), end);
  } else {
    write_digits(magnitude, end);
  }
  return end;
}

void format_exponent(char* field, float value, int width, int digits) {
  ExponentParts parts;
  if (exponent_parts_by_scaling(value, digits, &parts)) {
    const int length = exponent_text_length(parts, digits);
    if (length > width) {
      std::fill(field, field + width, '*');
      return;
    }
    write_exponent_text(parts, digits, field + width);
    fill_blanks(field, static_cast<size_t>(width - length));
    return;
  }
  format_exponent_by_expansion(field, value, width, digits);
}

}  // namespace pedpeel
