#include "pedigree/families.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pedigree/pair_grouping.h"
#include "testing/oracle_engine.h"
#include "testing/population_builder.h"

namespace pedpeel {
namespace {

using testing::make_population;
using testing::Row;

// Family f as "first second | children".
std::string describe_family(const Families& families, int32_t f) {
  std::string text = std::to_string(families.first_parent(f)) + " " +
                     std::to_string(families.second_parent(f)) + " |";
  for (int16_t child : families.children(f)) text += " " + std::to_string(child);
  return text;
}

struct GroupingCase {
  std::string name;
  std::vector<Row> rows;  // one pedigree, unless IPED says otherwise
  int pedigree;           // the pedigree grouped
  std::vector<std::string> families;
};

void PrintTo(const GroupingCase& c, std::ostream* os) {
  *os << c.name;
}

// Both groupings (shipped and oracle) must give these lists.
void expect_families(const Families& families, const std::vector<std::string>& expected) {
  std::vector<std::string> described;
  for (int32_t f = 1; f <= families.NFAM; ++f) described.push_back(describe_family(families, f));
  EXPECT_EQ(described, expected);
  EXPECT_EQ(families.untaken(), families.NFAM);
  // Lists lie one after the other; FAMEND(f) - FAMEND(f-1) = children + 2.
  ASSERT_EQ(families.FAMEND.size(), static_cast<size_t>(families.NFAM) + 1);
  EXPECT_EQ(families.FAMEND[0], 0);
  EXPECT_EQ(families.FAMLIST.size(), static_cast<size_t>(families.FAMEND.back()) + 1);
}

class GroupFamiliesTest : public ::testing::TestWithParam<GroupingCase> {};

TEST_P(GroupFamiliesTest, OneFamilyPerOrderedParentPair) {
  const GroupingCase& c = GetParam();
  const Population population = make_population(c.rows);
  for (const auto group : {testing::group_families, group_families_by_pair}) {
    Families families;
    group(population, population.KEND[c.pedigree - 1] + 1, population.KEND[c.pedigree], families);
    expect_families(families, c.families);
  }
  // A grouping that keeps its tables gives the same after grouping other rows.
  PairGrouping reused;
  Families families;
  reused.group(population, 1, population.NIND, families);
  reused.group(population, population.KEND[c.pedigree - 1] + 1, population.KEND[c.pedigree],
               families);
  expect_families(families, c.families);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupFamiliesTest,
    ::testing::Values(
        GroupingCase{"TwoFoundersAndAChild",
                     {{.ID = 10}, {.ID = 11}, {.ID = 12, .IPAR1 = 10, .IPAR2 = 11}},
                     1,
                     {"10 11 | 12"}},
        GroupingCase{"OrderedPairsAreDifferentFamilies",
                     {{.ID = 12, .IPAR1 = 10, .IPAR2 = 11},
                      {.ID = 13, .IPAR1 = 11, .IPAR2 = 10},
                      {.ID = 14, .IPAR1 = 10, .IPAR2 = 11}},
                     1,
                     {"10 11 | 12 14", "11 10 | 13"}},
        // Children at rows 3 and 7 of one pair, row 5 of another: the family of row 3
        // comes first and holds its children in row order.
        GroupingCase{"FamiliesInOrderOfTheirFirstRow",
                     {{.ID = 10},
                      {.ID = 11},
                      {.ID = 31, .IPAR1 = 10, .IPAR2 = 11},
                      {.ID = 20},
                      {.ID = 25, .IPAR1 = 20, .IPAR2 = 11},
                      {.ID = 21},
                      {.ID = 30, .IPAR1 = 10, .IPAR2 = 11}},
                     1,
                     {"10 11 | 31 30", "20 11 | 25"}},
        GroupingCase{"FoundersOnly", {{.ID = 1}, {.ID = 2}, {.ID = 3}}, 1, {}},
        // Only IPAR1 tells a founder: a row (0, 11) belongs to no family.
        GroupingCase{
            "FirstParentZeroIsAFounder", {{.ID = 11}, {.ID = 12, .IPAR1 = 0, .IPAR2 = 11}}, 1, {}},
        GroupingCase{"SecondParentZeroStartsAFamily",
                     {{.ID = 12, .IPAR1 = 10},
                      {.ID = 14, .IPAR1 = 11},
                      {.ID = 13, .IPAR1 = 10},
                      {.ID = 15, .IPAR1 = 11, .IPAR2 = 10}},
                     1,
                     {"10 0 | 12 13", "11 0 | 14", "11 10 | 15"}},
        GroupingCase{
            "ParentsNeedNoRows", {{.ID = 12, .IPAR1 = 50, .IPAR2 = 51}}, 1, {"50 51 | 12"}},
        GroupingCase{"DuplicateChildIdsStayApart",
                     {{.ID = 12, .IPAR1 = 10, .IPAR2 = 11}, {.ID = 12, .IPAR1 = 10, .IPAR2 = 11}},
                     1,
                     {"10 11 | 12 12"}},
        GroupingCase{"ManyChildrenOfOnePair",
                     [] {
                       std::vector<Row> rows;
                       for (int16_t id = 1; id <= 40; ++id) {
                         rows.push_back({.ID = id, .IPAR1 = 100, .IPAR2 = 101});
                       }
                       return rows;
                     }(),
                     1,
                     {"100 101 | 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 "
                      "25 26 27 28 29 30 31 32 33 34 35 36 37 38 39 40"}},
        // Only the rows of the pedigree grouped take part, counted from its first row.
        GroupingCase{"SecondPedigreeOnly",
                     {{.IPED = 1, .ID = 12, .IPAR1 = 10, .IPAR2 = 11},
                      {.IPED = 2, .ID = 5},
                      {.IPED = 2, .ID = 7, .IPAR1 = 5, .IPAR2 = 6},
                      {.IPED = 2, .ID = 8, .IPAR1 = 10, .IPAR2 = 11},
                      {.IPED = 2, .ID = 9, .IPAR1 = 5, .IPAR2 = 6},
                      {.IPED = 3, .ID = 13, .IPAR1 = 5, .IPAR2 = 6}},
                     2,
                     {"5 6 | 7 9", "10 11 | 8"}}),
    [](const auto& info) { return info.param.name; });

TEST(FamiliesTest, UntakenCountsFamiliesNotYetTaken) {
  Families families;
  const std::vector<int16_t> children = {3};
  families.add(1, 2, children);
  families.add(3, 4, children);
  families.add(5, 6, children);
  families.FAMDONE[2] = 1;
  EXPECT_EQ(families.untaken(), 2);
  families.clear();
  EXPECT_EQ(families.NFAM, 0);
  EXPECT_EQ(families.untaken(), 0);
}

}  // namespace
}  // namespace pedpeel
