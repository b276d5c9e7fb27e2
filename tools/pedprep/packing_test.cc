// Packing whole pedigrees into runs: never split, within both limits, a pedigree too
// large for one run refused with its name and size.
#include "tools/pedprep/packing.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

namespace pedpeel::pedprep {
namespace {

// A population of `sizes.size()` pedigrees: pedigree k is a founder pair with sizes[k] - 2
// children (one family: 2 + children entries), or a lone founder when sizes[k] is 1. No
// size is 2: a pair without children is two pedigrees.
std::string population(const std::vector<int>& sizes) {
  std::string text = "id,sire,dam\n";
  for (size_t k = 0; k < sizes.size(); ++k) {
    const std::string p = "p" + std::to_string(k) + "-";
    text += p + "s,,\n";
    if (sizes[k] == 1) continue;
    text += p + "d,,\n";
    for (int c = 0; c < sizes[k] - 2; ++c)
      text += p + std::to_string(c) + "," + p + "s," + p + "d\n";
  }
  return text;
}

struct Packed {
  InputTable table;
  Animals animals;
  Pedigrees pedigrees;
  std::vector<Run> runs;
  std::string findings;
};

void pack(const std::string& text, const RunLimits& limits, Packed* packed) {
  packed->table.text.assign(text.begin(), text.end());
  Report report("in");
  read_table(Format::kCsv, {}, packed->table, report);
  packed->animals = complete_animals(packed->table, report);
  packed->pedigrees = find_pedigrees(packed->animals, report);
  packed->runs = pack_runs(packed->pedigrees, packed->animals, report, limits);
  std::ostringstream findings;
  report.write(findings);
  packed->findings = findings.str();
}

struct PackingCase {
  std::string name;
  std::vector<int> sizes;
  RunLimits limits;
  size_t runs;  // how many runs first-fit decreasing needs
};

class PackingTest : public ::testing::TestWithParam<PackingCase> {};

TEST_P(PackingTest, WholePedigreesWithinTheLimits) {
  const PackingCase& c = GetParam();
  Packed packed;
  pack(population(c.sizes), c.limits, &packed);
  ASSERT_EQ(packed.findings, "");
  EXPECT_EQ(packed.runs.size(), c.runs);
  std::multiset<int32_t> seen;
  for (const pedprep::Run& run : packed.runs) {
    int32_t rows = 0;
    int32_t entries = 0;
    for (size_t k = 0; k < run.pedigrees.size(); ++k) {
      if (k > 0) {
        EXPECT_LT(run.pedigrees[k - 1], run.pedigrees[k]);  // input order
      }
      const Pedigree& pedigree = packed.pedigrees.list[static_cast<size_t>(run.pedigrees[k])];
      rows += pedigree.rows;
      entries += pedigree.entries;
      seen.insert(run.pedigrees[k]);
    }
    EXPECT_EQ(rows, run.rows);
    EXPECT_EQ(entries, run.entries);
    EXPECT_LE(run.rows, c.limits.rows);
    EXPECT_LE(run.entries, c.limits.entries);
  }
  // Every pedigree in exactly one run.
  ASSERT_EQ(seen.size(), c.sizes.size());
  for (size_t p = 0; p < c.sizes.size(); ++p) EXPECT_EQ(seen.count(static_cast<int32_t>(p)), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackingTest,
    ::testing::Values(
        PackingCase{"OneRun", {5, 3, 1, 7}, {}, 1},
        // Rows limit: sizes 6, 5, 4, 3, 1, 1 into runs of 10 rows: 6+4, 5+3+1+1.
        PackingCase{"ByRows", {6, 5, 4, 3, 1, 1}, {10, 1000}, 2},
        // Entries limit: a pedigree of n rows (n > 1) has n entries; founders alone none.
        PackingCase{"ByEntries", {8, 8, 1, 1, 1, 1}, {1000, 10}, 2},
        PackingCase{"ExactFit", {10, 10, 10}, {10, 10}, 3},
        PackingCase{"ManySmall", std::vector<int>(100, 3), {30, 30}, 10}),
    [](const ::testing::TestParamInfo<PackingCase>& info) { return info.param.name; });

TEST(PackingTest, RefusesAPedigreeTooLargeForOneRun) {
  Packed packed;
  pack(population({3, 12, 4}), {10, 100}, &packed);
  EXPECT_EQ(
      packed.findings,
      "in:5: error: pedigree of \"p1-s\" is too large for one run of pedpeel: 12 animals and 12 family "
      "member entries; a run holds at most 10 animals and 100 entries\n");
  EXPECT_TRUE(packed.runs.empty());
}

TEST(PackingTest, RefusesAPedigreeWithTooManyEntries) {
  Packed packed;
  pack(population({12}), {100, 11}, &packed);
  EXPECT_EQ(
      packed.findings,
      "in:2: error: pedigree of \"p0-s\" is too large for one run of pedpeel: 12 animals and 12 family "
      "member entries; a run holds at most 100 animals and 11 entries\n");
}

TEST(PackingTest, TheSharedLimitsByDefault) {
  const RunLimits limits;
  EXPECT_EQ(limits.rows, kMaxIndividuals);
  EXPECT_EQ(limits.entries, kMaxMemberEntries);
}

}  // namespace
}  // namespace pedpeel::pedprep
