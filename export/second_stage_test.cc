// The race recode, the origin check, iway.IVM and the console lines of the second stage.
#include "export/second_stage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/ivm_file.h"
#include "export/origin_check.h"
#include "testing/oracle_origin_check.h"
#include "testing/population_builder.h"

namespace pedpeel {
namespace {

using testing::first_difference;
using testing::make_population;
using testing::Row;
using testing::ScratchIo;

TEST(RecodeRaceTest, HundredIsZeroOthersAddTwoInEightBits) {
  const std::vector<std::pair<int, int>> table = {{100, 0},    {0, 2},      {-1, 1},      {1, 3},
                                                  {126, -128}, {127, -127}, {-127, -125}, {-2, 0},
                                                  {98, 100},   {125, 127}};
  for (const auto& [read, recoded] : table) {
    EXPECT_EQ(recode_race(static_cast<int8_t>(read)), recoded) << "race " << read;
  }
}

// ---------------------------------------------------------------------------------------
// Origin check

struct OriginCase {
  std::string name;
  std::vector<Row> rows;         // RACE as read from the pedigree file
  std::vector<int32_t> printed;  // rows listed on the console
};

void PrintTo(const OriginCase& c, std::ostream* os) {
  *os << c.name;
}

// The population as the origin check sees it: race codes recoded.
Population recoded(const std::vector<Row>& rows) {
  Population population = make_population(rows);
  for (int32_t i = 1; i <= population.NIND; ++i) {
    population.RACE[i] = recode_race(population.RACE[i]);
  }
  return population;
}

class OriginCheckTest : public ::testing::TestWithParam<OriginCase> {};

TEST_P(OriginCheckTest, ListsFoundersOfUnknownRaceNoOtherRowResolves) {
  const OriginCase& c = GetParam();
  const Population population = recoded(c.rows);
  EXPECT_EQ(unresolved_founders(population), c.printed);
  EXPECT_EQ(testing::unresolved_founders_by_scan(population), c.printed);
}

Row founder(std::string ini, int8_t race) {
  return {.RACE = race, .INI_ID = std::move(ini)};
}

Row child(std::string ini, int8_t race) {
  return {.IPAR1 = 1, .IPAR2 = 2, .RACE = race, .INI_ID = std::move(ini)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OriginCheckTest,
    ::testing::Values(
        // Known after the recode: codes 1 to 125 other than 100.
        OriginCase{"RaceCodes",
                   {founder("A", 0), founder("B", 100), founder("C", -1), founder("D", -3),
                    founder("E", 126), founder("F", 127), founder("G", 1), founder("H", 99),
                    founder("I", 125), founder("J", 98)},
                   {1, 2, 3, 4, 5, 6}},
        OriginCase{"IndividualsWithParentsNeverListed",
                   {child("A", 0), child("B", 100), child("C", -5)},
                   {}},
        // Another row with the same INI_ID resolves it, in any pedigree.
        OriginCase{"ResolvedByARowWithParents",
                   {founder("A", 0), {.IPED = 2, .IPAR1 = 7, .INI_ID = "A"}},
                   {}},
        OriginCase{"ResolvedByARowOfKnownRace", {founder("A", 0), founder("A", 1)}, {}},
        OriginCase{"ResolvedByALaterRowAfterOnesPassedOver",
                   {founder("A", 100), founder("A", 0), founder("A", 0), child("A", 0)},
                   {}},
        // Each row is judged alone: the same INI_ID is listed once per qualifying row.
        OriginCase{
            "SameIniIdListedTwice", {founder("A", 0), founder("B", 1), founder("A", 100)}, {1, 3}},
        // All twelve characters count, leading blanks included.
        OriginCase{"IniIdsCompareOnTwelveCharacters",
                   {founder("AB", 0), child(" AB", 1), founder("AB          ", 1)},
                   {}},
        OriginCase{"LeadingBlankMakesAnotherIniId", {founder(" AB", 0), child("AB", 1)}, {1}},
        OriginCase{"ZeroByteIniIds",
                   {{.ID = 1, .INI_ID = std::string(12, '\0')},
                    {.ID = 2, .INI_ID = std::string(12, '\0')}},
                   {1, 2}}),
    [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------
// iway.IVM and the console

// Seven rows, three records of kinds 1, 4 and 5.
const std::vector<Row> kSeven = {
    {.ID = 1, .RACE = 1, .INI_ID = "ONE"},           {.ID = 2, .RACE = 1, .INI_ID = "TWO"},
    {.ID = 3, .RACE = 0, .INI_ID = "THREE"},         {.ID = 4, .RACE = 1, .INI_ID = "  FOUR"},
    {.ID = 5, .RACE = 1, .INI_ID = "FIVE"},          {.ID = 6, .RACE = 1, .INI_ID = "SIX"},
    {.ID = 7, .RACE = 100, .INI_ID = "SEVEN-SEVEN!"}};

constexpr const char* kSevenIniIds =
    "ONE         \r\nTWO         \r\nTHREE       \r\n  FOUR      \r\nFIVE        \r\n"
    "SIX         \r\nSEVEN-SEVEN!\r\n";

RecordTables three_records() {
  RecordTables records;
  records.NFAMREC = 3;
  records.ITYPE = {0, 1, 4, 5};
  return records;
}

TEST(IvmFileTest, CountsKindsAndIdentifiers) {
  ScratchIo scratch;
  const Population population = make_population(kSeven, 2);
  write_ivm_file(scratch.io(), population, three_records());
  const std::string expected =
      std::string("    5    7\r\n    1\r\n    4\r\n    5\r\n") + kSevenIniIds;
  const std::string ivm = scratch.file("iway.IVM");
  EXPECT_EQ(ivm, expected) << first_difference(expected, ivm);
  EXPECT_EQ(scratch.console(), "");
}

// After a loop report the core leaves NFAMREC at 0: no ITYPE record.
TEST(IvmFileTest, AfterALoopReport) {
  ScratchIo scratch;
  const Population population = make_population(kSeven, 1);
  RecordTables records = three_records();
  records.NFAMREC = 0;
  write_ivm_file(scratch.io(), population, records);
  EXPECT_EQ(scratch.file("iway.IVM"), std::string("    2    7\r\n") + kSevenIniIds);
}

// Without individuals there is no identifier record, not even an empty one.
TEST(IvmFileTest, NoIndividuals) {
  ScratchIo scratch;
  const Population population = make_population({}, 1);
  RecordTables records;
  write_ivm_file(scratch.io(), population, records);
  EXPECT_EQ(scratch.file("iway.IVM"), "    2    0\r\n");
}

TEST(IvmFileTest, OldLongerFileIsCut) {
  ScratchIo scratch;
  scratch.dir().write("iway.IVM", std::string(5000, 'x'));
  const Population population = make_population(kSeven, 1);
  write_ivm_file(scratch.io(), population, three_records());
  EXPECT_EQ(scratch.file("iway.IVM"),
            std::string("    5    7\r\n    1\r\n    4\r\n    5\r\n") + kSevenIniIds);
}

struct ConsoleCase {
  std::string name;
  int32_t NRACE;
  std::string console;  // the last line's end waits for the end of the run
};

void PrintTo(const ConsoleCase& c, std::ostream* os) {
  *os << c.name;
}

class SecondStageConsoleTest : public ::testing::TestWithParam<ConsoleCase> {};

// The origin check's lines come first; the race warning follows, once.
TEST_P(SecondStageConsoleTest, OriginCheckLinesThenTheWarning) {
  const ConsoleCase& c = GetParam();
  ScratchIo scratch;
  Population population = make_population(kSeven, c.NRACE);
  run_second_stage(scratch.io(), population, three_records());
  EXPECT_EQ(scratch.console(), c.console);
  const std::string ivm = scratch.file("iway.IVM");
  EXPECT_EQ(ivm, std::string("    5    7\r\n    1\r\n    4\r\n    5\r\n") + kSevenIniIds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SecondStageConsoleTest,
    ::testing::Values(ConsoleCase{"OneRace", 1, "THREE       \r\nSEVEN-SEVEN!"},
                      ConsoleCase{"TwoRaces", 2, "THREE       \r\nSEVEN-SEVEN!"},
                      ConsoleCase{"ThreeRaces", 3,
                                  "THREE       \r\nSEVEN-SEVEN!\r\n"
                                  "SORRY BUT NO MORE THEN 2 RACES IN VUVAZE\r\nCONTINUE"},
                      ConsoleCase{"ElevenRaces", 11,
                                  "THREE       \r\nSEVEN-SEVEN!\r\n"
                                  "SORRY BUT NO MORE THEN 2 RACES IN VUVAZE\r\nCONTINUE"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pedpeel
