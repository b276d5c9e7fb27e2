// The field conversions against the reference ones of testing/: the same value or error for
// every input field, the same characters for every output value.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "records/exponent_field_cache.h"
#include "records/field_input.h"
#include "records/field_output.h"
#include "testing/random_cases.h"
#include "testing/reference_fields.h"

namespace pedpeel {
namespace {

using testing::reference_exponent_field;
using testing::reference_integer_field;
using testing::reference_parse_integer;
using testing::reference_parse_real;

std::string random_field(std::mt19937& random, std::string_view alphabet, size_t max_length) {
  std::string field(random() % (max_length + 1), ' ');
  for (char& c : field) c = alphabet[random() % alphabet.size()];
  return field;
}

float random_float(std::mt19937& random) {
  const uint32_t bits = static_cast<uint32_t>(random());
  return std::bit_cast<float>(bits);
}

// Values whose digits sit on or next to a rounding tie, at powers of ten, and fractions.
float awkward_float(std::mt19937& random) {
  const int digits = 1 + static_cast<int>(random() % 6);
  const double tie = (std::floor(std::ldexp(static_cast<double>(random()), -20)) + 0.5) *
                     std::pow(10.0, static_cast<int>(random() % 30) - 15 - digits);
  float value = static_cast<float>(tie);
  switch (random() % 5) {
    case 0:
      value = std::nextafter(value, 0.0f);
      break;
    case 1:
      value = std::nextafter(value, 1e30f);
      break;
    case 2:
      value = static_cast<float>(std::pow(10.0, static_cast<int>(random() % 60) - 30));
      break;
    case 3:
      value = static_cast<float>(random() % 10001) / 10000.0f;
      break;
    default:
      break;
  }
  return random() % 2 ? -value : value;
}

std::string outcome(std::optional<ErrorCode> error, float value) {
  if (error) return "error " + std::to_string(static_cast<int>(*error));
  char text[64];
  std::snprintf(text, sizeof text, "%a", static_cast<double>(value));
  return text;
}

TEST(FieldReferenceTest, IntegersReadAsTheReferenceReadsThem) {
  std::mt19937 random(11);
  const int64_t ranges[][2] = {{-127, 127}, {-32767, 32767}, {-2147483647, 2147483647}};
  for (int n = 0; n < testing::random_cases(200000); ++n) {
    const std::string field = n % 3 == 0   ? random_field(random, " \t0123456789+-", 7)
                              : n % 3 == 1 ? random_field(random, " \t0123456789+-#aZ,.", 6)
                                           : random_field(random, " 0123456789-", 26);
    for (const auto& [minimum, maximum] : ranges) {
      int64_t read = -1;
      int64_t reference = -1;
      const auto error = parse_integer(field, minimum, maximum, &read);
      const auto reference_error = reference_parse_integer(field, minimum, maximum, &reference);
      ASSERT_EQ(error, reference_error) << '"' << field << '"';
      ASSERT_EQ(read, reference) << '"' << field << '"';
    }
  }
}

TEST(FieldReferenceTest, RealsReadAsTheReferenceReadsThem) {
  std::mt19937 random(12);
  for (int n = 0; n < testing::random_cases(300000); ++n) {
    std::string field;
    switch (n % 4) {
      case 0:
        field = random_field(random, " \t0123456789.+-EeDd", 14);
        break;
      case 1:
        field = random_field(random, " 0123456789.E+-#x,", 12);
        break;
      case 3: {
        // Fractions as people write them ("0.5000", "  -1.0"), now and then with a blank
        // among the digits or after them.
        const int decimals = 1 + static_cast<int>(random() % 9);
        const double magnitude = std::ldexp(static_cast<double>(random() % 100000), -16) *
                                 std::pow(10.0, static_cast<int>(random() % 5) - 1);
        char text[64];
        std::snprintf(text, sizeof text, "%*.*f", 8 + static_cast<int>(random() % 7), decimals,
                      random() % 4 == 0 ? -magnitude : magnitude);
        field = text;
        if (random() % 8 == 0) field.insert(random() % (field.size() + 1), 1, ' ');
        break;
      }
      default: {
        // Fields as Ew.d writes them, sometimes with a 0 or a sign before the point.
        const int digits = 1 + static_cast<int>(random() % 7);
        const float value = n % 3 ? awkward_float(random) : random_float(random);
        field = reference_exponent_field(value, 12 + digits, digits);
        if (random() % 4 == 0) {
          const size_t point = field.find('.');
          if (point != std::string::npos && point > 0 && field[point - 1] == ' ') {
            field[point - 1] = '0';
          }
        }
        if (random() % 8 == 0) field.insert(random() % (field.size() + 1), 1, ' ');
        break;
      }
    }
    for (int digits : {0, 2, 4, 7}) {
      float read = -1.0f;
      float reference = -1.0f;
      const auto error = parse_real(field, digits, &read);
      const auto reference_error = reference_parse_real(field, digits, &reference);
      ASSERT_EQ(outcome(error, read), outcome(reference_error, reference))
          << '"' << field << "\" digits " << digits;
    }
  }
}

// Every E12.4 field as the system writes one, with exponents from E-20 to E+12: the same
// value as the reference.
TEST(FieldReferenceTest, EveryWrittenE12FieldReadsAsTheReference) {
  char text[32];
  for (int exponent = -20; exponent <= 12; ++exponent) {
    for (int mantissa = 0; mantissa < 10000; mantissa += exponent < -12 ? 1 : 7) {
      for (const char sign : {' ', '-'}) {
        const int length = std::snprintf(text, sizeof text, "  %c.%04dE%c%02d", sign, mantissa,
                                         exponent < 0 ? '-' : '+', std::abs(exponent));
        const std::string_view field(text, static_cast<size_t>(length));
        float read = -1.0f;
        float reference = -1.0f;
        const auto error = parse_real(field, 4, &read);
        const auto reference_error = reference_parse_real(field, 4, &reference);
        ASSERT_EQ(outcome(error, read), outcome(reference_error, reference)) << field;
      }
    }
  }
}

// Fields of a few characters in every arrangement: blanks, points, digits, and '%', which a
// blank's '0' would make a digit ('%' | 0x10 is '5'). Each column of a word road takes each
// of them: the same value or error as the reference.
constexpr std::string_view kFewCharacters = " .07%";

size_t arrangements(size_t columns) {
  size_t count = 1;
  for (size_t i = 0; i < columns; ++i) count *= kFewCharacters.size();
  return count;
}

// Arrangement `n` of the few characters in the columns of `field` from `first` on.
void arrange(size_t n, size_t first, std::string* field) {
  for (size_t column = first; column < field->size(); ++column) {
    (*field)[column] = kFewCharacters[n % kFewCharacters.size()];
    n /= kFewCharacters.size();
  }
}

TEST(FieldReferenceTest, RealsOfAFewCharactersReadAsTheReference) {
  std::string field(12, ' ');  // four blanks, then the eight columns of one word
  for (size_t n = 0; n < arrangements(8); n += testing::kSanitizedSlowdown) {
    arrange(n, 4, &field);
    float read = -1.0f;
    float reference = -1.0f;
    const auto error = parse_real(field, 4, &read);
    const auto reference_error = reference_parse_real(field, 4, &reference);
    ASSERT_EQ(outcome(error, read), outcome(reference_error, reference)) << '"' << field << '"';
  }
}

TEST(FieldReferenceTest, ShortIntegersOfAFewCharactersReadAsTheReference) {
  std::string field(5, ' ');
  int taken = 0;
  for (size_t n = 0; n < arrangements(5); ++n) {
    arrange(n, 0, &field);
    const uint64_t word = load_word((field + "999").data());
    int64_t read = -1;
    int64_t reference = -1;
    if (!parse_short_integer(word, field.size(), &read)) continue;
    ++taken;
    ASSERT_FALSE(reference_parse_integer(field, -99999, 99999, &reference)) << field;
    ASSERT_EQ(read, reference) << '"' << field << '"';
  }
  EXPECT_EQ(taken, 2 + 4 + 8 + 16 + 32);  // every field of blanks, then one to five digits
}

TEST(FieldReferenceTest, ExponentFieldsMatchTheReference) {
  std::mt19937 random(13);
  for (int n = 0; n < testing::random_cases(400000); ++n) {
    const float value = n % 2 ? random_float(random) : awkward_float(random);
    const int digits = n % 3 ? 4 : 1 + static_cast<int>(random() % 9);
    const int width = digits + 5 + static_cast<int>(random() % 4);
    std::string formatted(static_cast<size_t>(width), '?');
    format_exponent(formatted.data(), value, width, digits);
    ASSERT_EQ(formatted, reference_exponent_field(value, width, digits))
        << std::hexfloat << value << " digits " << digits;
  }
}

TEST(FieldReferenceTest, IntegerFieldsMatchTheReference) {
  std::mt19937 random(14);
  for (int n = 0; n < testing::random_cases(200000); ++n) {
    const int64_t value =
        (static_cast<int64_t>(random()) % 2000000 - 1000000) >> static_cast<int>(random() % 20);
    const int width = 1 + static_cast<int>(random() % 8);
    std::string formatted(static_cast<size_t>(width), '?');
    format_integer(formatted.data(), value, width);
    ASSERT_EQ(formatted, reference_integer_field(value, width)) << value << " in " << width;
  }
}

TEST(FieldReferenceTest, CachedExponentFieldsMatchFreshOnes) {
  // Few distinct values, so that slots are hit, and many, so that they are replaced.
  std::mt19937 random(15);
  ExponentFieldCache cache(12, 4);
  for (int n = 0; n < testing::random_cases(100000); ++n) {
    const float value = n % 2 ? static_cast<float>(random() % 64) / 64.0f
                              : (n % 3 ? awkward_float(random) : random_float(random));
    char cached[12];
    char fresh[12];
    cache.format(cached, value);
    format_exponent(fresh, value, 12, 4);
    ASSERT_EQ(std::string(cached, 12), std::string(fresh, 12)) << std::hexfloat << value;
  }
}

}  // namespace
}  // namespace pedpeel
