// Eight columns of a field read as one little-endian word, the first column in the lowest
// byte: the tests and conversions that the fast roads of field input make on a whole word
// instead of a column at a time. Each is forced inline: a record's loop reads many fields,
// and the inliner left some of these as calls there.
#ifndef PEDPEEL_RECORDS_DIGIT_WORDS_H_
#define PEDPEEL_RECORDS_DIGIT_WORDS_H_

#include <bit>
#include <cstdint>
#include <cstring>

namespace pedpeel {

static_assert(std::endian::native == std::endian::little,
              "the first column of a word must be its lowest byte");

inline constexpr uint64_t kEightSpaces = 0x2020202020202020;
inline constexpr uint64_t kEightZeros = 0x3030303030303030;

/// The eight columns at `place` as one word.
[[gnu::always_inline]] inline uint64_t load_word(const char* place) {
  uint64_t word;
  std::memcpy(&word, place, sizeof word);
  return word;
}

/// A mask of the first `count` (0 to 7) columns of a word.
[[gnu::always_inline]] inline uint64_t first_columns(int count) {
  return (uint64_t{1} << (8 * count)) - 1;
}

/// 0x80 in the first column of `word` that equals `c`, perhaps in later ones too; 0 when
/// no column does.
[[gnu::always_inline]] inline uint64_t column_marks(uint64_t word, char c) {
  const uint64_t zeroed = word ^ (0x0101010101010101 * static_cast<unsigned char>(c));
  // A borrow runs only past a zero byte: the first zero byte's mark is exact.
  return (zeroed - 0x0101010101010101) & ~zeroed & 0x8080808080808080;
}

/// 0x10 in each column of `word` before the first that is not a space (in the first seven
/// when all are spaces): or-ed in, it turns those spaces into '0' (0x20 | 0x10 is 0x30).
[[gnu::always_inline]] inline uint64_t leading_space_zeros(uint64_t word) {
  // others ^ (others - 1) sets the bits up to the lowest set bit of `others` (every bit when
  // there is none). Shifted down by four, it holds bit 4 of exactly the columns before the
  // first other one.
  const uint64_t others = word ^ kEightSpaces;
  return ((others ^ (others - 1)) >> 4) & 0x1010101010101010;
}

/// Reads the spaces before the first other column of *text as '0'. Eight spaces keep the
/// last one, so that a blank word never reads as digits.
[[gnu::always_inline]] inline void read_spaces_as_zeros(uint64_t* text) {
  *text |= leading_space_zeros(*text);
}

/// The value of eight ASCII digits, the first in the lowest byte of `text`; false when a
/// byte is not a digit.
[[gnu::always_inline]] inline bool eight_digits_value(uint64_t text, uint32_t* value) {
  // Each byte is '0'..'9' exactly when it is below 0x80, taking '0' from it leaves it
  // there, and adding 0x46 ('9' + 0x46 = 0x7F) does too.
  if (((text | (text - kEightZeros) | (text + 0x4646464646464646)) & 0x8080808080808080) != 0) {
    return false;
  }
  // Pairs, then fours, then the eight, each step joining neighbours by a multiplication.
  uint64_t digits = text - kEightZeros;
  digits = (digits * 10) + (digits >> 8);
  digits = (((digits & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
            (((digits >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
           32;
  *value = static_cast<uint32_t>(digits);
  return true;
}

/// True when the columns from `place` to `end` are all spaces.
[[gnu::always_inline]] inline bool only_spaces(const char* place, const char* end) {
  for (; end - place >= 8; place += 8) {
    if (load_word(place) != kEightSpaces) return false;
  }
  if (end - place >= 4) {
    uint32_t four;
    std::memcpy(&four, place, sizeof four);
    if (four != static_cast<uint32_t>(kEightSpaces)) return false;
    place += 4;
  }
  for (; place != end; ++place) {
    if (*place != ' ') return false;
  }
  return true;
}

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_DIGIT_WORDS_H_
