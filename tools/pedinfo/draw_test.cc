#include "tools/pedinfo/draw.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "testing/temp_run.h"

namespace pedpeel::pedinfo {
namespace {

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// The example population: pedigree 2 holds a sib mating taken as a loop head group, two
// peeled families and a cousin loop that neither pass can take.
TEST(DrawTest, PedigreeWithTakenFamiliesAndALoop) {
  InputFiles input;
  ASSERT_FALSE(read_input_files(PEDINFO_TEST_DATA "/example", &input));
  ASSERT_TRUE(input.analysable);
  std::ostringstream out;
  write_draw(input, 2, out);
  const std::string expected = read_file(PEDINFO_TEST_DATA "/example-pedigree-2.dot");
  EXPECT_EQ(out.str(), expected) << pedpeel::testing::first_difference(expected, out.str());
}

struct TextCase {
  std::string bytes;
  std::string text;
};

TEST(DrawTest, DotTextEscapesEveryByteThatCouldBreakALabel) {
  const TextCase cases[] = {
      {"KING-A", "KING-A"},
      {"say \"hi\"", "say \\\"hi\\\""},
      {"a\\n", "a\\\\n"},
      {"A&B", "A&amp;B"},
      {std::string("x\0y", 3), "x\\\\x00y"},
      {"\xE9t\xE9", "\\\\xE9t\\\\xE9"},
      {"\t\x7F", "\\\\x09\\\\x7F"},
  };
  for (const TextCase& test : cases) EXPECT_EQ(dot_text(test.bytes), test.text);
}

}  // namespace
}  // namespace pedpeel::pedinfo
