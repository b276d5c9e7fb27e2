// Race fractions from the pedigree, checked by hand on three generations of crossbreeding,
// with a founder of unknown race, an added parent and a pedigree without a known race.
#include "tools/pedprep/breed_fractions.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

namespace pedpeel::pedprep {
namespace {

TEST(BreedFractionsTest, ThreeGenerationsOfCrossbreeding) {
  // Holstein (race 1, 4 animals) and Jersey (race 2, 3 animals). A non-founder's breed
  // does not count: its fractions are its parents'.
  const std::string text =
      "id,sire,dam,breed\n"
      "HS,,,HOL\n"      // Holstein sire
      "JD,,,JER\n"      // Jersey dam
      "F1,HS,JD,HOL\n"  // 1/2 HOL, 1/2 JER
      "HB,,,HOL\n"      // Holstein bull
      "G2,HB,F1,HOL\n"  // (1 + 1/2) / 2 = 3/4 HOL
      "JB,,,JER\n"      // Jersey bull
      "G3,JB,G2,JER\n"  // (0 + 3/4) / 2 = 3/8 HOL
      "U,,,NA\n"        // unknown: the mean of the 4 known founders, 1/2 HOL
      "C,HB,U,\n"       // (1 + 1/2) / 2 = 3/4 HOL
      "X,HB,,\n"        // the added dam is 1/2 HOL as U is: X is 3/4 HOL
      "Q,P1,P2,\n";     // a pedigree of its own: P1, P2 and Q get the population's 1/2
  InputTable table;
  table.text.assign(text.begin(), text.end());
  Report report("in");
  read_table(Format::kCsv, {}, table, report);
  const Races races = code_races(table, {}, report);
  const Animals animals = complete_animals(table, report);
  ASSERT_EQ(report.errors(), 0);
  ASSERT_EQ(races.columns, 2);
  const Blood blood = blood_from_pedigree(animals, find_pedigrees(animals, report), races);
  ASSERT_EQ(blood.NRACE, 3);
  std::map<std::string, std::pair<float, float>> of;
  for (int32_t a = 0; a < animals.count(); ++a) {
    const Animal& animal = animals.list[static_cast<size_t>(a)];
    const std::string name =
        animal.source == Source::kAdded ? "+dam" : std::string(animals.original(a));
    of[name] = {blood.fractions_of(a)[0], blood.fractions_of(a)[1]};
  }
  const std::map<std::string, std::pair<float, float>> expected = {
      {"HS", {1, 0}},       {"JD", {0, 1}},      {"F1", {0.5, 0.5}},     {"HB", {1, 0}},
      {"G2", {0.75, 0.25}}, {"JB", {0, 1}},      {"G3", {0.375, 0.625}}, {"U", {0.5, 0.5}},
      {"C", {0.75, 0.25}},  {"X", {0.75, 0.25}}, {"+dam", {0.5, 0.5}},   {"Q", {0.5, 0.5}},
      {"P1", {0.5, 0.5}},   {"P2", {0.5, 0.5}}};
  EXPECT_EQ(of, expected);
}

// One race, or codes past the races blood.dat holds: no fractions.
TEST(BreedFractionsTest, NoneForOneRace) {
  const std::string text = "id,sire,dam,breed\nA,,,HOL\nB,A,,HOL\n";
  InputTable table;
  table.text.assign(text.begin(), text.end());
  Report report("in");
  read_table(Format::kCsv, {}, table, report);
  const Races races = code_races(table, {}, report);
  EXPECT_EQ(races.columns, 0);
  const Animals animals = complete_animals(table, report);
  EXPECT_EQ(blood_from_pedigree(animals, find_pedigrees(animals, report), races).NRACE, 1);
}

}  // namespace
}  // namespace pedpeel::pedprep
