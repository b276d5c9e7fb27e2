#include "tools/pedinfo/shortest_loop.h"

#include <gtest/gtest.h>

namespace pedpeel::pedinfo {
namespace {

struct ParentsAndChildren {
  int16_t first;
  int16_t second;
  std::vector<int16_t> children;
};

struct LoopCase {
  const char* name;
  std::vector<ParentsAndChildren> families;
  std::vector<int32_t> left;  // empty: every family
  std::vector<LoopNode> expected;
};

void PrintTo(const LoopCase& test, std::ostream* out) {
  *out << test.name;
}

LoopNode I(int32_t id) {
  return {false, id};
}
LoopNode F(int32_t family) {
  return {true, family};
}

std::vector<ParentsAndChildren> cousins() {
  return {{1, 2, {3, 4}}, {3, 5, {6}}, {7, 4, {8}}, {6, 8, {9}}};
}

const LoopCase kLoopCases[] = {
    {"CousinLoop", cousins(), {}, {I(3), F(2), I(6), F(4), I(8), F(3), I(4), F(1)}},
    {"SecondCousinLoop",
     {{1, 2, {3, 4}}, {3, 5, {6}}, {4, 7, {8}}, {6, 9, {10}}, {8, 11, {12}}, {10, 12, {13}}},
     {},
     {I(3), F(2), I(6), F(4), I(10), F(6), I(12), F(5), I(8), F(3), I(4), F(1)}},
    // The same parents in both orders: two families joined through both of them.
    {"ShortestOfTwoLoops",
     {{1, 2, {3, 4}}, {3, 5, {6}}, {7, 4, {8}}, {6, 8, {9}}, {20, 21, {22}}, {21, 20, {23}}},
     {},
     {I(20), F(6), I(21), F(5)}},
    {"Tree", {{1, 2, {3}}, {3, 4, {5}}, {5, 6, {7}}}, {}, {}},
    // A parent that is its own child closes no loop of the graph.
    {"IdTwiceInOneList", {{10, 11, {10}}}, {}, {}},
    {"OnlyTheFamiliesLeft", cousins(), {1, 2, 3}, {}},
    {"LoopAmongTheFamiliesLeft",
     {{30, 31, {32}}, {1, 2, {3, 4}}, {3, 5, {6}}, {7, 4, {8}}, {6, 8, {9}}},
     {2, 3, 4, 5},
     {I(3), F(3), I(6), F(5), I(8), F(4), I(4), F(2)}},
};

class ShortestLoopTest : public ::testing::TestWithParam<LoopCase> {};

TEST_P(ShortestLoopTest, FindsOneShortestCycle) {
  const LoopCase& test = GetParam();
  Families families;
  for (const ParentsAndChildren& family : test.families) {
    families.add(family.first, family.second, family.children);
  }
  std::vector<int32_t> left = test.left;
  if (left.empty()) {
    for (int32_t f = 1; f <= families.NFAM; ++f) left.push_back(f);
  }
  const std::vector<LoopNode> loop = shortest_loop(families, left);
  ASSERT_EQ(loop.size(), test.expected.size());
  for (size_t k = 0; k < loop.size(); ++k) {
    EXPECT_EQ(loop[k], test.expected[k]) << "node " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(Loops, ShortestLoopTest, ::testing::ValuesIn(kLoopCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Whatever the loop, consecutive nodes are a family and one of its members, and no node
// repeats.
TEST(ShortestLoopTest, PathIsACycleOfTheGraph) {
  Families families;
  for (const ParentsAndChildren& family : std::vector<ParentsAndChildren>{{1, 2, {3, 4, 5}},
                                                                          {3, 6, {7}},
                                                                          {4, 8, {9}},
                                                                          {5, 10, {11}},
                                                                          {7, 9, {12}},
                                                                          {12, 11, {13}}}) {
    families.add(family.first, family.second, family.children);
  }
  const std::vector<int32_t> left = {1, 2, 3, 4, 5, 6};
  const std::vector<LoopNode> loop = shortest_loop(families, left);
  ASSERT_EQ(loop.size(), 8u);
  for (size_t k = 0; k < loop.size(); ++k) {
    const LoopNode& a = loop[k];
    const LoopNode& b = loop[(k + 1) % loop.size()];
    ASSERT_NE(a.is_family, b.is_family);
    const LoopNode& family = a.is_family ? a : b;
    const LoopNode& person = a.is_family ? b : a;
    const auto members = families.members(family.value);
    EXPECT_NE(std::find(members.begin(), members.end(), person.value), members.end());
    for (size_t j = k + 1; j < loop.size(); ++j) EXPECT_FALSE(loop[j] == a);
  }
}

}  // namespace
}  // namespace pedpeel::pedinfo
