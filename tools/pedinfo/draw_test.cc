#include "tools/pedinfo/draw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "testing/temp_run.h"
#include "tools/pedinfo/pedigree_analysis.h"

namespace pedpeel::pedinfo {
namespace {

using pedpeel::testing::read_file;

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

struct SelectionCase {
  const char* name;
  DrawRequest::Part part;
  std::vector<int16_t> centres;
  int generations;
  int limit;
  std::vector<int16_t> drawn;  // in ID order
  std::string left_out;
};

// Pedigree 2 of the example: 1 x 2 -> 3, 4; 3 x 4 -> 5; 5 x 6 -> 7; 11 x 12 -> 13, 14;
// 13 x 15 -> 16; 17 x 14 -> 18; 16 x 18 -> 19; 19 x 20 -> 21. The last four families
// before 19 x 20 form a cousin loop.
TEST(DrawTest, SelectionsStopAtTheLimitWithWholeFamilies) {
  using Part = DrawRequest::Part;
  const SelectionCase cases[] = {
      {"parents, mate and child", Part::kAround, {13}, 1, 150, {11, 12, 13, 15, 16}, ""},
      {"two generations", Part::kAround, {13}, 2, 150, {11, 12, 13, 15, 16, 18, 19}, ""},
      {"limit keeps families whole",
       Part::kAround,
       {13},
       2,
       6,
       {11, 12, 13, 15, 16},
       "1 descendant and 1 mate"},
      {"two centres", Part::kAround, {3, 19}, 1, 150, {1, 2, 3, 4, 5, 16, 18, 19, 20, 21}, ""},
      {"copies after the row's families",
       Part::kAround,
       {3, 19},
       1,
       5,
       {1, 2, 3, 4, 5},
       "2 ancestors, 1 descendant, 1 mate and 1 copy"},
      {"loop and families left", Part::kLoop, {}, 0, 150, {11, 12, 13, 14, 15, 16, 17, 18, 19}, ""},
      {"loop first", Part::kLoop, {}, 0, 5, {13, 14, 15, 16, 18}, "4 other animals"},
  };
  InputFiles input;
  ASSERT_FALSE(read_input_files(PEDINFO_TEST_DATA "/example", &input));
  const PedigreeAnalysis analysis = analyse_pedigree(input.population, 2);
  for (const SelectionCase& test : cases) {
    const DrawSelection selection =
        test.part == Part::kAround
            ? select_around(analysis.families, test.centres, test.generations, test.limit)
            : select_loop(analysis.families, analysis.left, analysis.loop, test.limit);
    std::vector<int16_t> drawn(selection.individuals.begin(), selection.individuals.end());
    std::sort(drawn.begin(), drawn.end());
    EXPECT_EQ(drawn, test.drawn) << test.name;
    EXPECT_EQ(selection.left_out_text(), test.left_out) << test.name;
  }
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
