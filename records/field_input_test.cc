#include "records/field_input.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <string>

#include "records/field_output.h"

namespace pedpeel {
namespace {

// Target ranges of the three integer types.
struct Range {
  int64_t minimum;
  int64_t maximum;
};
constexpr Range k8{-127, 127};
constexpr Range k16{-32767, 32767};
constexpr Range k32{-2147483647, 2147483647};

std::string code_text(std::optional<ErrorCode> code) {
  return code ? std::string(error_code_text(*code)) : "ok";
}

struct IntegerCase {
  const char* field;
  Range range;
  const char* outcome;  // "ok" or the error code
  int64_t value = 0;
};

TEST(FieldInputTest, Integers) {
  const IntegerCase cases[] = {
      // Blanks and tabs anywhere are ignored; an empty field is zero.
      {"", k16, "ok", 0},
      {"     ", k16, "ok", 0},
      {"\t", k16, "ok", 0},
      {"1 2  ", k16, "ok", 12},
      {" 1\t2 ", k16, "ok", 12},
      {"+5", k16, "ok", 5},
      {"-0", k16, "ok", 0},
      {"00042", k16, "ok", 42},
      // Exact target ranges: the most negative value of each type is refused.
      {"  127", k8, "ok", 127},
      {" -127", k8, "ok", -127},
      {"  128", k8, "E6100"},
      {" -128", k8, "E6100"},
      {"32767", k16, "ok", 32767},
      {"-32767", k16, "ok", -32767},
      {"32768", k16, "E6100"},
      {"-32768", k16, "E6100"},
      {"2147483647", k32, "ok", 2147483647},
      {"-2147483647", k32, "ok", -2147483647},
      {"-2147483648", k32, "E6100"},
      {"99999999999999999999999999", k32, "E6100"},
      // Anything but sign and digits.
      {"-", k16, "E6101"},
      {"+", k16, "E6101"},
      {" - ", k16, "E6101"},
      {"1-", k16, "E6101"},
      {"--1", k16, "E6101"},
      {"+-1", k16, "E6101"},
      {"1.0", k16, "E6101"},
      {"1e3", k16, "E6101"},
      {"12a", k16, "E6101"},
      {"1\r", k16, "E6101"},
      // Radix form: the sign stands before the base; digit letters in either case.
      {"-16#FF", k16, "ok", -255},
      {"16#ff", k16, "ok", 255},
      {"#ff", k16, "ok", 255},
      {"-#1", k16, "ok", -1},
      {"2#101", k16, "ok", 5},
      {"+8#17", k16, "ok", 15},
      {"36#z", k16, "ok", 35},
      {"36#Z", k16, "ok", 35},
      {"1 6 # F F", k16, "ok", 255},
      {"2#11111111", k8, "E6100"},
      {"36#zzzzzzzzzzzzzzzz", k32, "E6100"},
      {"37#1", k16, "E6303"},
      {"1#1", k16, "E6303"},
      {"0#0", k16, "E6303"},
      {"x#1", k16, "E6101"},  // a base that is not decimal digits
      {"1#2#3", k16, "E6302"},
      {"##", k16, "E6302"},
      {"16#", k16, "E6101"},
      {"#", k16, "E6101"},
      {"16#-1", k16, "E6101"},
      {"16#+1", k16, "E6101"},
      {"2#2", k16, "E6101"},
      {"16#G", k16, "E6101"},
      // Order of the checks: several "#" first, then the base, then the digits, then range.
      {"x#y#z", k16, "E6302"},
      {"99#z", k16, "E6303"},
      {"37#", k16, "E6303"},
      {"x#", k16, "E6101"},
      {"10#99999", k16, "E6100"},
  };
  for (const IntegerCase& c : cases) {
    int64_t value = 4242;
    const auto error = parse_integer(c.field, c.range.minimum, c.range.maximum, &value);
    EXPECT_EQ(code_text(error), c.outcome) << "field \"" << c.field << "\"";
    EXPECT_EQ(value, error ? 4242 : c.value) << "field \"" << c.field << "\"";
  }
}

// A field of up to seven columns read as the word at its start: the word road takes the
// unsigned fields, whatever columns follow them, and reads them as parse_integer() does.
TEST(FieldInputTest, ShortIntegersReadAsWords) {
  const struct {
    const char* field;
    bool taken;
  } cases[] = {
      {"    1", true},  {"32767", true},  {"  -12", false}, {"   +7", false},  {"00042", true},
      {"    0", true},  {"-0", false},    {"7", true},      {"1234567", true}, {"-123456", false},
      {"     ", false}, {" 1 2 ", false}, {"1 ", false},    {"\t5", false},    {"1-", false},
      {"- ", false},    {"-", false},     {"16#FF", false}, {"1.0", false},    {"+-1", false},
      {"   %5", false}, {"  !12", false}, {"%", false},
  };
  for (const auto& c : cases) {
    const std::string_view field(c.field);
    for (const char after : {'9', ' ', '-', '\0'}) {
      char columns[8];
      std::memset(columns, after, sizeof columns);
      std::memcpy(columns, field.data(), field.size());
      uint64_t word;
      std::memcpy(&word, columns, sizeof word);
      int64_t word_value = 0;
      ASSERT_EQ(parse_short_integer(word, field.size(), &word_value), c.taken) << c.field;
      int64_t value = 0;
      if (c.taken) {
        EXPECT_FALSE(parse_integer(field, k32.minimum, k32.maximum, &value)) << c.field;
        EXPECT_EQ(word_value, value) << c.field;
      }
    }
  }
}

// The road for fractions as people write them takes a field whose last eight columns hold
// blanks, digits and one point, with blanks before them, and reads it as parse_real() does.
TEST(FieldInputTest, DecimalFractionsReadAsWords) {
  const struct {
    const char* field;
    bool taken;
  } cases[] = {
      {"      0.5000", true},  {"    0.009234", true},  {"         1.0", true},
      {"    1234567.", true},  {"    .1234567", true},  {"          .5", true},
      {"  0.00001144", false}, {"     -1.0000", false}, {"     0.5 000", false},
      {"           .", false}, {"    12345678", false}, {"0.5", false},
  };
  for (const auto& c : cases) {
    float value = 0;
    ASSERT_EQ(parse_decimal_fraction(c.field, &value), c.taken) << c.field;
    float general = 0;
    if (c.taken) {
      EXPECT_FALSE(parse_real_further(c.field, 4, &general)) << c.field;
      EXPECT_EQ(value, general) << c.field;
    }
  }
}

struct RealCase {
  const char* field;
  const char* outcome;  // "ok" or the error code
  float value = 0;
};

TEST(FieldInputTest, RealsE12_4) {
  const RealCase cases[] = {
      {"", "ok", 0.0f},
      {"            ", "ok", 0.0f},
      // Without a point the last four digits are the fraction, also before an exponent.
      {"5000", "ok", 0.5f},
      {"        5000", "ok", 0.5f},
      {"12345", "ok", 1.2345f},
      {"7", "ok", 0.0007f},
      {"25E1", "ok", 0.025f},
      {"5-1", "ok", 0.00005f},
      {"5+1", "ok", 0.005f},
      // A point overrides.
      {"5.", "ok", 5.0f},
      {"0.5", "ok", 0.5f},
      {".5", "ok", 0.5f},
      {".5E+00", "ok", 0.5f},
      {"    0.2500", "ok", 0.25f},
      {"-0.75", "ok", -0.75f},
      {"+.25", "ok", 0.25f},
      {" 1 . 5 ", "ok", 1.5f},
      {"1.5D2", "ok", 150.0f},
      {"1.5d2", "ok", 150.0f},
      {"1.5e-1", "ok", 0.15f},
      {"1.5E 0 1", "ok", 15.0f},
      {".1000E+01", "ok", 1.0f},
      // Fractions as people write them, in the twelve columns of a BLOOD field.
      {"      0.5000", "ok", 0.5f},
      {"    0.009234", "ok", 0.009234f},
      {"     -1.0000", "ok", -1.0f},
      {"        +.25", "ok", 0.25f},
      {"    1234567.", "ok", 1234567.0f},
      {"    .1234567", "ok", 0.1234567f},
      {"  0.00001144", "ok", 0.00001144f},
      {"     0.5 000", "ok", 0.5f},
      {"     0.5    ", "ok", 0.5f},
      {"       1.5-1", "ok", 0.15f},
      {"      - 0.25", "ok", -0.25f},
      {"       1.2.3", "E6103"},
      {"          -.", "E6103"},
      {"       0.5-+", "E6103"},
      // The point first, last or alone in the last eight columns, and after the leading
      // blanks a character that a blank's '0' would make a digit ('%' | 0x10 is '5').
      {"          .5", "ok", 0.5f},
      {"          5.", "ok", 5.0f},
      {"           .", "E6103"},
      {"       .    ", "E6103"},
      {"      %0.5  ", "E6103"},
      {"       !1.25", "E6103"},
      // Malformed fields.
      {"E5", "E6103"},
      {"1E", "E6103"},
      {"1E+", "E6103"},
      {"1.2.3", "E6103"},
      {".", "E6103"},
      {"-", "E6103"},
      {"-.E1", "E6103"},
      {"NaN", "E6103"},
      {"Inf", "E6103"},
      {"inf", "E6103"},
      {"1F2", "E6103"},
      {"1Q2", "E6103"},
      {"1E1.5", "E6103"},
      {"0x1p3", "E6103"},
      {"1,5", "E6103"},
      // Range: overflow is an error, underflow is not.
      // "1E39" has no point: 0.0001 x 10^39 is in range.
      {"1E39", "ok", 1e35f},
      {"1.E39", "E6104"},
      {"-1.E39", "E6104"},
      {"1E43", "E6104"},
      {"1E999999999999", "E6104"},
      {"1E-50", "ok", 0.0f},
      {"1E-999999999999", "ok", 0.0f},
      {"7E-46", "ok", 0.0f},            // below half the smallest subnormal
      {"7.1E-46", "ok", FLT_TRUE_MIN},  // above it
      {"1.1754943508E-38", "ok", FLT_MIN},
      // Around the top: halfway between FLT_MAX (odd significand) and 2^128 goes up.
      {"3.40282346638528859811704183484516925440E38", "ok", FLT_MAX},
      {"3.40282356779733661637539395458142568447E38", "ok", FLT_MAX},
      {"3.40282356779733661637539395458142568448E38", "E6104"},
      // One correct rounding of the decimal, ties to even, no double rounding.
      {"1.000000059604644775390625", "ok", 1.0f},  // 1 + 2^-24: tie, even is 1
      {"1.0000000596046447753906249", "ok", 1.0f},
      {"1.0000000596046447753906251", "ok", 1.00000011920928955078125f},  // 1 + 2^-23
      {"1.000000178813934326171875", "ok", 1.0000002384185791015625f},    // tie up to even
  };
  for (const RealCase& c : cases) {
    float value = 42.0f;
    const auto error = parse_real(c.field, 4, &value);
    EXPECT_EQ(code_text(error), c.outcome) << "field \"" << c.field << "\"";
    if (error) {
      EXPECT_EQ(value, 42.0f) << "field \"" << c.field << "\"";
    } else {
      EXPECT_EQ(value, c.value) << "field \"" << c.field << "\"";
    }
  }
}

TEST(FieldInputTest, NegativeZeroAndTinyNegativesReadAsZero) {
  for (const char* field : {"-0.0", "-1E-50", "-0000"}) {
    float value = 42.0f;
    EXPECT_FALSE(parse_real(field, 4, &value)) << field;
    EXPECT_EQ(value, 0.0f) << field;
  }
}

// A field written as E12.4 reads back to the value of its four digits, and writes again
// to the same text.
TEST(FieldInputTest, ExponentFieldsReadBack) {
  const float values[] = {0.5f,  1.0f / 3.0f, 2.0f / 3.0f, 0.99996f, -0.75f,   123.456f,
                          1e-7f, 0.0625f,     FLT_MIN,     1e30f,    -3.1416f, 0.9999f};
  for (float value : values) {
    std::string text(12, '?');
    format_exponent(text.data(), value, 12, 4);
    float back = 0;
    ASSERT_FALSE(parse_real(text, 4, &back)) << text;
    std::string again(12, '?');
    format_exponent(again.data(), back, 12, 4);
    EXPECT_EQ(again, text) << value;
  }
}

}  // namespace
}  // namespace pedpeel
