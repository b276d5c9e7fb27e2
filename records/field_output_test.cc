#include "records/field_output.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <string>

namespace pedpeel {
namespace {

std::string exponent_field(float value, int width, int digits) {
  std::string field(static_cast<size_t>(width), '?');
  format_exponent(field.data(), value, width, digits);
  return field;
}

struct IntegerCase {
  int64_t value;
  int width;
  const char* expected;
};

TEST(FieldOutputTest, IntegerFields) {
  const IntegerCase cases[] = {
      {0, 5, "    0"},
      {7, 5, "    7"},
      {-1, 5, "   -1"},
      {12345, 5, "12345"},
      {123456, 5, "*****"},  // six digits
      {-1234, 5, "-1234"},
      {-12345, 5, "*****"},  // five digits and a sign
      {9999, 4, "9999"},
      {10000, 4, "****"},  // NPEDIGREE= of a five-digit pedigree
      {-999, 4, "-999"},
      {999, 3, "999"},
      {1000, 3, "***"},  // PAT_LOOP with 1234 and friends
      {-99, 3, "-99"},
      {-100, 3, "***"},
      {5, 1, "5"},
      {-5, 1, "*"},
      {2147483647, 11, " 2147483647"},
      {-2147483647, 11, "-2147483647"},
      {-2147483647, 10, "**********"},
      {4294967296, 10, "4294967296"},  // past 32 bits
      {-9223372036854775807 - 1, 20, "-9223372036854775808"},
      {-9223372036854775807 - 1, 19, "*******************"},
      {9223372036854775807, 22, "   9223372036854775807"},
      {123, 20, "                 123"},
      {0, 0, ""},
      {-1, 1, "*"},
  };
  for (const IntegerCase& c : cases) {
    std::string out(static_cast<size_t>(c.width), '?');
    format_integer(out.data(), c.value, c.width);
    EXPECT_EQ(out, c.expected) << "I" << c.width << " of " << c.value;
  }
}

TEST(FieldOutputTest, DecimalsTakeTheirDigits) {
  // Each power of ten and the number before it: the digit count changes there.
  const struct {
    int64_t value;
    const char* expected;
  } cases[] = {
      {0, "0"},
      {9, "9"},
      {10, "10"},
      {-10, "-10"},
      {99999, "99999"},
      {100000, "100000"},
      {4294967295, "4294967295"},  // the largest uint32_t
      {4294967296, "4294967296"},
      {999999999999999999, "999999999999999999"},
      {1000000000000000000, "1000000000000000000"},
      {INT64_MAX, "9223372036854775807"},
      {INT64_MIN, "-9223372036854775808"},
  };
  for (const auto& c : cases) {
    char text[24];
    char* end = put_decimal(text, c.value);
    EXPECT_EQ(std::string(text, end), c.expected) << c.value;
  }
}

struct ExponentCase {
  const char* name;
  float value;
  const char* expected;
};

TEST(FieldOutputTest, ExponentFieldE12_4) {
  const ExponentCase cases[] = {
      {"0.5", 0.5f, "   .5000E+00"},
      {"0.25", 0.25f, "   .2500E+00"},
      {"0.125", 0.125f, "   .1250E+00"},
      {"0", 0.0f, "   .0000E+00"},
      {"-0", -0.0f, "   .0000E+00"},
      {"1", 1.0f, "   .1000E+01"},
      {"0.0625", 0.0625f, "   .6250E-01"},
      {"0.75", 0.75f, "   .7500E+00"},
      {"1/3", 1.0f / 3.0f, "   .3333E+00"},
      {"2/3", 2.0f / 3.0f, "   .6667E+00"},
      {"0.9999", 0.9999f, "   .9999E+00"},
      {"0.99996 carries into the exponent", 0.99996f, "   .1000E+01"},
      {"-0.75", -0.75f, "  -.7500E+00"},
      {"123.456", 123.456f, "   .1235E+03"},
      {"1e10", 1e10f, "   .1000E+11"},
      {"1e-10", 1e-10f, "   .1000E-09"},
      {"smallest subnormal", FLT_TRUE_MIN, "   .1401E-44"},
      {"negative smallest subnormal", -FLT_TRUE_MIN, "  -.1401E-44"},
      {"smallest normal", FLT_MIN, "   .1175E-37"},
      {"largest", FLT_MAX, "   .3403E+39"},
      {"negative largest", -FLT_MAX, "  -.3403E+39"},
      // Fifth digit exactly 5 with nothing after it: half up, where ties-to-even would keep
      // the even digit (.1062, .1012, .1562).
      {"1.0625 tie", 1.0625f, "   .1063E+01"},
      {"10.125 tie", 10.125f, "   .1013E+02"},
      {"0.15625 tie", 0.15625f, "   .1563E+00"},
      {"-0.15625 tie", -0.15625f, "  -.1563E+00"},
      {"99999.5 tie carries", 99999.5f, "   .1000E+06"},
      // 0.12345f is 0.1234500035...: a 5 followed by more digits.
      {"0.12345", 0.12345f, "   .1235E+00"},
      // 0.12344f is 0.1234399974...: the 17-digit expansion keeps the 4 and the 3.
      {"0.12344", 0.12344f, "   .1234E+00"},
      // 9.99995f is 9.9999504...: rounds up through every digit.
      {"9.99995", 9.99995f, "   .1000E+02"},
  };
  for (const ExponentCase& c : cases) {
    EXPECT_EQ(exponent_field(c.value, 12, 4), c.expected) << c.name;
  }
}

TEST(FieldOutputTest, ExponentFieldTooNarrowIsAsterisks) {
  EXPECT_EQ(exponent_field(-0.75f, 9, 4), "*********");  // "-.7500E+00" needs 10 columns
  EXPECT_EQ(exponent_field(0.75f, 9, 4), ".7500E+00");
}

}  // namespace
}  // namespace pedpeel
