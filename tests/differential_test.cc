// Whole runs with the production engine against whole runs with the reference engine, on
// random populations (trees, inbred loops, other loops, degenerate data): every file, the
// console text, standard error and the exit status must be identical.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "testing/random_cases.h"
#include "testing/random_population.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

using testing::RandomPopulation;
using testing::RunResult;
using testing::TempDir;

RunResult run_with(const RandomPopulation& population, bool reference_engine) {
  TempDir dir;
  dir.write("input1.dat", "peds.dat\r\nblood.dat\r\n");
  dir.write("peds.dat", testing::pedigree_file(population));
  dir.write("blood.dat", testing::blood_file(population));
  return testing::run_in_process(dir, {}, "", reference_engine);
}

void expect_same_runs(const RunResult& expected, const RunResult& actual,
                      const std::string& label) {
  ASSERT_EQ(expected.status, actual.status) << label;
  ASSERT_EQ(expected.out, actual.out)
      << label << "\nstdout: " << testing::first_difference(expected.out, actual.out);
  ASSERT_EQ(expected.err, actual.err) << label;
  ASSERT_EQ(expected.files.size(), actual.files.size()) << label;
  for (const auto& [name, bytes] : expected.files) {
    const auto found = actual.files.find(name);
    ASSERT_NE(found, actual.files.end()) << label << ": no " << name;
    ASSERT_EQ(bytes, found->second)
        << label << "\n"
        << name << ": " << testing::first_difference(bytes, found->second);
  }
}

TEST(DifferentialTest, RandomPopulationsGiveIdenticalRuns) {
  std::mt19937 random(1103);
  std::set<int> statuses;
  for (int n = 0; n < testing::random_cases(2000); ++n) {
    const RandomPopulation population = testing::random_population(random, 24);
    const RunResult expected = run_with(population, /*reference_engine=*/true);
    const RunResult actual = run_with(population, /*reference_engine=*/false);
    expect_same_runs(expected, actual, testing::pedigree_file(population));
    if (HasFatalFailure()) return;
    statuses.insert(expected.status);
  }
  // Normal ends as well as loop reports and stops were compared.
  EXPECT_EQ(statuses, (std::set<int>{0, 2}));
}

TEST(DifferentialTest, WideFamiliesGiveIdenticalRuns) {
  // Families past 100 members wrap every line of their VOLMA.DAT block.
  RandomPopulation population;
  population.NRACE = 11;
  auto add = [&](int16_t id, int16_t first, int16_t second) {
    testing::PopulationRow row;
    row.ID = id;
    row.IPAR1 = first;
    row.IPAR2 = second;
    row.RACE = static_cast<int8_t>(id % 4);
    row.INI_ID.fill('x');
    for (int j = 0; j < 10; ++j) row.BLOOD[j] = static_cast<float>(id * 10 + j) / 4097.0f;
    population.rows.push_back(row);
  };
  add(1, 0, 0);
  add(2, 0, 0);
  for (int16_t c = 3; c < 140; ++c) add(c, 1, 2);
  add(500, 3, 4);  // a sib mating: the loop head's block is written too
  expect_same_runs(run_with(population, true), run_with(population, false), "wide family");
}

}  // namespace
}  // namespace pedpeel
