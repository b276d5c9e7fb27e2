// The quick roads of field input, for the plain fields that most fields are: inline, so
// that a read statement converts such a field without a call. Any numeric field they do not
// take goes to the general conversions of field_input.h, which give the same results.
#ifndef PEDPEEL_RECORDS_PLAIN_FIELDS_H_
#define PEDPEEL_RECORDS_PLAIN_FIELDS_H_

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "records/powers_of_ten.h"
#include "records/short_copy.h"

namespace pedpeel {

// Stores an Aw field whose `width` columns all lie at `columns`: a target shorter than the
// field takes its last characters, a longer one is filled up with blanks.
inline void copy_text_field(const char* columns, size_t width, std::span<char> target) {
  if (width >= target.size()) {
    copy_short(target.data(), columns + (width - target.size()), target.size());
  } else {
    copy_short(target.data(), columns, width);
    fill_blanks(target.data() + width, target.size() - width);
  }
}

// An E12.4 field as the system writes one, taken apart: value = mantissa x 10^shift.
struct WrittenReal {
  uint32_t mantissa;  // the four digits after the point
  int shift;          // the exponent less 4
  bool negative;
};

// Takes apart the columns of an E12.4 field as the system writes one ("   .5000E+00",
// "  -.1250E-01"); false for any other field.
inline bool take_apart_written_e12_4(const char* columns, WrittenReal* parts) {
  // The field as two little-endian words: columns 1-8 ("  s.dddd") and 9-12 ("Esxx").
  uint64_t head;
  uint32_t tail;
  std::memcpy(&head, columns, sizeof head);
  std::memcpy(&tail, columns + sizeof head, sizeof tail);
  const uint32_t sign = static_cast<uint32_t>(head >> 16) & 0xFF;
  const uint32_t exponent_sign = (tail >> 8) & 0xFF;
  if ((head & 0xFF00FFFF) != 0x2E002020 || (tail & 0xFF) != 'E' || (sign != ' ' && sign != '-') ||
      (exponent_sign != '+' && exponent_sign != '-')) {
    return false;
  }
  // The six digits (four of the mantissa, two of the exponent) in one word: each byte is
  // '0'..'9' exactly when its high half is 3 and adding 6 leaves it there.
  const uint64_t text = (head >> 32) | (uint64_t{tail >> 16} << 32);
  constexpr uint64_t kHighHalves = 0xF0F0F0F0F0F0;
  constexpr uint64_t kZeros = 0x303030303030;
  if ((text & kHighHalves) != kZeros || ((text + 0x060606060606) & kHighHalves) != kZeros) {
    return false;
  }
  const uint64_t values = text - kZeros;  // one digit in each byte, the first lowest
  // Pairs of digits, then the four: d1d2 and d3d4 in the low bytes of each half-word.
  const uint32_t low = static_cast<uint32_t>(values);
  const uint32_t pairs = ((low * 10) + (low >> 8)) & 0x00FF00FF;
  const uint32_t high = static_cast<uint32_t>(values >> 32);
  const int magnitude_of_exponent = static_cast<int>((high & 0xFF) * 10 + (high >> 8));
  parts->mantissa = ((pairs & 0xFF) * 100) + (pairs >> 16);
  parts->shift = (exponent_sign == '+' ? magnitude_of_exponent : -magnitude_of_exponent) - 4;
  parts->negative = sign == '-';
  return true;
}

// The value of the columns of an E12.4 field as the system writes one, the value parse_real
// gives: false for any other field, and for the small fractions (E-07 and below), which
// parse_real takes further.
inline bool parse_written_e12_4(const char* columns, float* value) {
  WrittenReal parts;
  if (!take_apart_written_e12_4(columns, &parts) || parts.shift > 10 || parts.shift < -10) {
    return false;
  }
  // One exact operand each: rounded once.
  const float whole = static_cast<float>(parts.mantissa);
  const float magnitude = parts.shift >= 0 ? whole * kFloatPowersOfTen[parts.shift]
                                           : whole / kFloatPowersOfTen[-parts.shift];
  *value = parts.negative ? -magnitude : magnitude;
  return true;
}

// Converts the E12.4 fields that lie one after another from `columns` into the targets,
// while they are written as the system writes them; returns how many it converted.
inline size_t parse_written_e12_4_run(const char* columns, std::span<float> targets) {
  size_t taken = 0;
  while (taken < targets.size() && parse_written_e12_4(columns + 12 * taken, &targets[taken])) {
    ++taken;
  }
  return taken;
}

// parse_written_e12_4 for a field of any width and digits: false unless they are 12 and 4.
inline bool parse_written_real(std::string_view field, int digits, float* value) {
  return field.size() == 12 && digits == 4 && parse_written_e12_4(field.data(), value);
}

// An Iw field of blanks, an optional sign and digits to its end: its value (kValue), or
// kOverflow outside minimum..maximum; kNotPlain, with *value unchanged, for any other field.
enum class PlainInteger { kValue, kOverflow, kNotPlain };

inline PlainInteger parse_plain_integer(std::string_view field, int64_t minimum, int64_t maximum,
                                        int64_t* value) {
  // Leading blanks, an optional sign, 1 to 18 digits to the end of the field.
  const char* p = field.data();
  const char* const end = p + field.size();
  while (p < end && *p == ' ') ++p;
  if (p == end) return PlainInteger::kNotPlain;
  const bool negative = *p == '-';
  if (negative || *p == '+') ++p;
  if (p == end || end - p > 18) return PlainInteger::kNotPlain;
  int64_t magnitude = 0;
  do {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) return PlainInteger::kNotPlain;
    magnitude = magnitude * 10 + digit;
  } while (++p < end);
  const int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value < minimum || signed_value > maximum) return PlainInteger::kOverflow;
  *value = signed_value;
  return PlainInteger::kValue;
}

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_PLAIN_FIELDS_H_
