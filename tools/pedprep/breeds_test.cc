// Breeds by name: numbered by their animals, names that mean an unknown race, the rest
// folded into "other" past the races blood.dat holds, and codes fixed by --races.
#include "tools/pedprep/breeds.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace pedpeel::pedprep {
namespace {

struct BreedCase {
  std::string name;
  std::string races;  // the race column, one value a row, "|"-separated
  RaceOptions options;
  std::string codes;  // the rows' codes, "|"-separated
  std::string races_tsv;
  std::string findings = "";
};

class BreedTest : public ::testing::TestWithParam<BreedCase> {};

TEST_P(BreedTest, CodesTheRows) {
  const BreedCase& c = GetParam();
  std::string text = "id,sire,dam,breed\n";
  std::stringstream values(c.races);
  int animal = 0;
  for (std::string value; std::getline(values, value, '|');) {
    text += "A" + std::to_string(++animal) + ",,," + value + "\n";
  }
  InputTable table;
  table.text.assign(text.begin(), text.end());
  Report report("in");
  read_table(Format::kCsv, {}, table, report);
  const Races races = code_races(table, c.options, report);
  std::string codes;
  for (const InputRow& row : table.rows)
    codes += (codes.empty() ? "" : "|") + std::to_string(row.race);
  std::ostringstream findings;
  report.write(findings);
  EXPECT_EQ(codes, c.codes);
  EXPECT_EQ(races_tsv(races), std::string(kRacesHeader) + c.races_tsv);
  EXPECT_EQ(findings.str(), c.findings);
}

RaceOptions unknown_names(std::vector<std::string> names) {
  RaceOptions options;
  options.unknown_names = std::move(names);
  return options;
}

RaceOptions fixed(std::string file, std::string_view races_tsv) {
  RaceOptions options;
  options.races_file = std::move(file);
  EXPECT_EQ(read_races_file(races_tsv, &options.fixed), std::nullopt);
  return options;
}

// Twelve breeds, Bnn carried by nn animals.
std::string twelve_breeds() {
  std::string races;
  for (int breed = 13; breed >= 2; --breed) {
    for (int k = 0; k < breed; ++k) races += "|B" + std::to_string(breed);
  }
  return races.substr(1);
}

// Their codes: 1 for B13 down to 10 for B4, 11 for the rest.
std::string twelve_breed_codes() {
  std::string codes;
  for (int breed = 13; breed >= 2; --breed) {
    for (int k = 0; k < breed; ++k) codes += "|" + std::to_string(breed >= 4 ? 14 - breed : 11);
  }
  return codes.substr(1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BreedTest,
    ::testing::Values(
        BreedCase{"NumberedByAnimalsCaseFolded", "JER|hol|Holstein|HOL|jer|bsw|NA||unknown|?|0|HOL",
                  unknown_names({"?"}), "2|1|3|1|2|4|0|0|0|0|0|1",
                  "0\tunknown\t5\n1\thol\t3\n2\tJER\t2\n3\tHolstein\t1\n4\tbsw\t1\n"},
        BreedCase{"WholeNumbersAreCodes",
                  "3|1|100|NA|-2|3",
                  {},
                  "3|1|100|0|-2|3",
                  "-2\t-2\t1\n0\tunknown\t1\n1\t1\t1\n3\t3\t2\n100\t100\t1\n"},
        BreedCase{"ANameAmongNumbersMakesThemNames", "1|x|1", {}, "1|2|1", "1\t1\t2\n2\tx\t1\n"},
        BreedCase{"PastElevenTheRestIsOther",
                  twelve_breeds(),
                  {},
                  twelve_breed_codes(),
                  "1\tB13\t13\n2\tB12\t12\n3\tB11\t11\n4\tB10\t10\n5\tB9\t9\n6\tB8\t8\n7\tB7\t7\n"
                  "8\tB6\t6\n9\tB5\t5\n10\tB4\t4\n11\tother\t5\n",
                  "in:87: warning: 12 breeds, more than the 11 races blood.dat holds: the 10 most "
                  "frequent keep a race each, and race 11 \"other\" holds the rest: \"B3\" (3), "
                  "\"B2\" (2)\n"},
        BreedCase{"FixedByRacesFile", "HOL|JER|unbekannt|jer",
                  fixed("r.tsv", "code\tname\tanimals\n1\tJER\t9\n2\tHOL\t5\n0\tunbekannt\t0\n"),
                  "2|1|0|1", "0\tunbekannt\t1\n1\tJER\t2\n2\tHOL\t1\n"},
        BreedCase{"ABreedTheRacesFileLacksIsOther", "HOL|BSW",
                  fixed("r.tsv", "1\tHOL\n11\tother\n"), "1|11", "1\tHOL\t1\n11\tother\t1\n",
                  "in:3: warning: breeds not in r.tsv are race 11 \"other\": \"BSW\" (1)\n"},
        BreedCase{"ABreedTheRacesFileLacksIsRefused", "HOL|BSW|BSW", fixed("r.tsv", "1\tHOL\n"),
                  "1|0|0", "1\tHOL\t1\n",
                  "in:3: error: breeds not in r.tsv: \"BSW\" (2); add a line for each, or one for "
                  "\"other\"\n"}),
    [](const ::testing::TestParamInfo<BreedCase>& info) { return info.param.name; });

TEST(BreedTest, RacesFileProblemsNameTheLine) {
  std::vector<Race> races;
  EXPECT_EQ(read_races_file("code\tname\n12\tX\n", &races),
            "2: race code \"12\" is none of 0 and 100 (unknown) and 1..11");
  EXPECT_EQ(read_races_file("1\tHOL\n2\thol\n", &races), "2: \"hol\" has race 1 above");
  EXPECT_EQ(read_races_file("1\n", &races), "1: no name after the code and a tab");
}

}  // namespace
}  // namespace pedpeel::pedprep
