#include "pedigree/population.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/population_builder.h"

namespace pedpeel {
namespace {

using testing::make_population;
using testing::Row;

struct GroupingCase {
  std::string name;
  std::vector<int16_t> IPED;  // one row per value
  int16_t NPED;
  std::vector<int16_t> KEND;
};

void PrintTo(const GroupingCase& c, std::ostream* os) {
  *os << c.name;
}

class GroupPedigreesTest : public ::testing::TestWithParam<GroupingCase> {};

TEST_P(GroupPedigreesTest, RunsOfEqualIpedArePedigrees) {
  const GroupingCase& c = GetParam();
  std::vector<Row> rows;
  for (size_t k = 0; k < c.IPED.size(); ++k) {
    rows.push_back({.IPED = c.IPED[k], .ID = static_cast<int16_t>(k + 1)});
  }
  const Population population = make_population(rows);
  EXPECT_EQ(population.NPED, c.NPED);
  EXPECT_EQ(population.KEND, c.KEND);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupPedigreesTest,
    ::testing::Values(GroupingCase{"ThreeRunsOfFourRows", {5, 5, 7, 5}, 3, {0, 2, 3, 4}},
                      GroupingCase{"OneRow", {9}, 1, {0, 1}},
                      GroupingCase{"OneRun", {1, 1, 1}, 1, {0, 3}},
                      GroupingCase{
                          "SameIpedSeparatedIsTwoPedigrees", {3, 3, 4, 4, 3}, 3, {0, 2, 4, 5}},
                      GroupingCase{"ValuesNeedNotIncrease", {-2, -2, 9, 0, 0}, 3, {0, 2, 3, 5}},
                      GroupingCase{"EveryRowItsOwnPedigree", {1, 2, 1, 2}, 4, {0, 1, 2, 3, 4}}),
    [](const auto& info) { return info.param.name; });

// With no individuals the core still sees one pedigree: row 1, all zeros.
TEST(GroupPedigreesTest, NoIndividualsGiveOnePedigreeOfAZeroRow) {
  Population population = make_population({});
  ASSERT_EQ(population.NIND, 0);
  EXPECT_EQ(population.NPED, 1);
  EXPECT_EQ(population.KEND, (std::vector<int16_t>{0, 1}));
  ASSERT_GE(population.row_capacity(), 1);
  EXPECT_EQ(population.ID[1], 0);
  EXPECT_EQ(population.IPAR1[1], 0);
  EXPECT_EQ(population.INI_ID[1], IniId{});
}

TEST(GroupPedigreesTest, NegativeCountActsLikeZero) {
  Population population;
  population.NIND = -4;
  group_pedigrees(population);
  EXPECT_EQ(population.NPED, 1);
  EXPECT_EQ(population.KEND, (std::vector<int16_t>{0, 1}));
}

}  // namespace
}  // namespace pedpeel
