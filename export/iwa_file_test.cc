// iway.IWA as the second stage writes it after the core has run on a population.
#include "export/iwa_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "export/second_stage.h"
#include "pedigree/engine.h"
#include "pedigree/pedigree_core.h"
#include "testing/population_builder.h"

namespace pedpeel {
namespace {

using testing::first_difference;
using testing::make_population;
using testing::Row;
using testing::ScratchIo;

// Bytes from hex pairs separated by blanks, e.g. "4B 0A 01".
std::string bytes(const std::string& hex) {
  std::istringstream in(hex);
  std::string out;
  std::string pair;
  while (in >> pair) out.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
  return out;
}

// The run's last two stages on `rows`: the core, then the second stage.
struct StagesRun {
  explicit StagesRun(const std::vector<Row>& rows, const std::string& old_iwa = "")
      : population(make_population(rows)) {
    if (!old_iwa.empty()) scratch.dir().write("iway.IWA", old_iwa);
    std::unique_ptr<PeelingEngine> engine = make_production_engine();
    outcome = run_pedigree_core(scratch.io(), population, records, *engine);
    run_second_stage(scratch.io(), population, records);
  }
  ScratchIo scratch;
  Population population;
  RecordTables records;
  CoreOutcome outcome;
};

struct IwaCase {
  std::string name;
  std::vector<Row> rows;
  int loop_pedigree;  // 0 when the core completes
  std::string iwa;    // hex
};

void PrintTo(const IwaCase& c, std::ostream* os) {
  *os << c.name;
}

class IwaFileTest : public ::testing::TestWithParam<IwaCase> {};

TEST_P(IwaFileTest, SevenFramedRecords) {
  const IwaCase& c = GetParam();
  StagesRun run(c.rows);
  EXPECT_EQ(run.outcome.loop_pedigree, c.loop_pedigree);
  const std::string expected = bytes(c.iwa);
  const std::string iwa = run.scratch.file("iway.IWA");
  EXPECT_EQ(iwa, expected) << first_difference(expected, iwa);
}

std::vector<Row> in_pedigree(int16_t IPED, std::vector<Row> rows) {
  for (Row& row : rows) row.IPED = IPED;
  return rows;
}

std::vector<Row> concat(std::vector<std::vector<Row>> parts) {
  std::vector<Row> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const std::vector<Row> kTree = {{.ID = 1}, {.ID = 2}, {.ID = 3, .IPAR1 = 1, .IPAR2 = 2}};
const std::vector<Row> kCousinLoop = {{.ID = 1},
                                      {.ID = 2},
                                      {.ID = 3, .IPAR1 = 1, .IPAR2 = 2},
                                      {.ID = 4, .IPAR1 = 1, .IPAR2 = 2},
                                      {.ID = 5},
                                      {.ID = 6, .IPAR1 = 3, .IPAR2 = 5},
                                      {.ID = 7},
                                      {.ID = 8, .IPAR1 = 4, .IPAR2 = 7},
                                      {.ID = 9, .IPAR1 = 6, .IPAR2 = 8}};

INSTANTIATE_TEST_SUITE_P(
    Cases, IwaFileTest,
    ::testing::Values(
        // One pedigree of three founders: 50 bytes. Races 1, 100, -1 recode to 3, 0, 1.
        IwaCase{"ThreeFoundersNoFamily",
                {{.ID = 1, .RACE = 1, .SEX = 1},
                 {.ID = 2, .RACE = 100, .SEX = 2},
                 {.ID = 3, .RACE = -1, .SEX = -1}},
                0,
                "4B"
                " 0A 01 00 00 00 01 00 00 00 03 00 0A"
                " 06 01 00 00 00 00 00 06"
                " 08 02 00 00 00 00 00 00 00 08"
                " 04 00 00 00 00 04"
                " 00 00"
                " 03 03 00 01 03"
                " 03 01 02 FF 03"
                " 82"},
        // Records (1, 2, 3, 4) kind 4 IWAY 0 and (3, 4, 5) kind 7 IWAY -1.
        IwaCase{"FullSibs",
                {{.ID = 1},
                 {.ID = 2},
                 {.ID = 3, .IPAR1 = 1, .IPAR2 = 2},
                 {.ID = 4, .IPAR1 = 1, .IPAR2 = 2},
                 {.ID = 5, .IPAR1 = 3, .IPAR2 = 4}},
                0,
                "4B"
                " 0A 01 00 00 00 01 00 00 00 05 00 0A"
                " 06 01 00 00 00 02 00 06"
                " 0C 04 00 00 00 02 00 00 00 04 00 07 00 0C"
                " 12 07 00 00 00 01 00 02 00 03 00 04 00 03 00 04 00 05 00 12"
                " 04 00 00 FF FF 04"
                " 05 02 02 02 02 02 05"
                " 05 00 00 00 00 00 05"
                " 82"},
        // Loop report in pedigree 2 of 3: NFAMREC stays 0, so records 3 to 5 describe no
        // record; PEDFAM holds 1 for pedigree 1, 5 after pedigree 2's grouping, 0 for 3.
        IwaCase{"LoopReportInAMiddlePedigree",
                concat({in_pedigree(1, kTree), in_pedigree(2, kCousinLoop), in_pedigree(3, kTree)}),
                2,
                "4B"
                " 0E 03 00 00 00 03 00 00 00 03 00 0C 00 0F 00 0E"
                " 0A 03 00 00 00 01 00 05 00 00 00 0A"
                " 08 02 00 00 00 00 00 00 00 08"
                " 04 00 00 00 00 04"
                " 00 00"
                " 0F 02 02 02 02 02 02 02 02 02 02 02 02 02 02 02 0F"
                " 0F 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 0F"
                " 82"}),
    [](const auto& info) { return info.param.name; });

TEST(IwaFileTest, OldLongerFileIsCutToTheNewLength) {
  StagesRun run({{.ID = 1, .RACE = 1, .SEX = 1},
                 {.ID = 2, .RACE = 100, .SEX = 2},
                 {.ID = 3, .RACE = -1, .SEX = -1}},
                std::string(1000, 'x'));
  EXPECT_EQ(run.scratch.file("iway.IWA").size(), 50u);
}

// Record 6 holds the recoded race codes, record 7 the sex codes as read.
TEST(IwaFileTest, RaceRecodedSexAsRead) {
  const std::vector<int8_t> races = {100, 0, -1, 1, 126, 127, -127, 98};
  const std::vector<int8_t> sexes = {-1, -127, 0, 1, 2, 127, 5, -2};
  std::vector<Row> rows;
  for (size_t k = 0; k < races.size(); ++k) {
    rows.push_back({.ID = static_cast<int16_t>(k + 1), .RACE = races[k], .SEX = sexes[k]});
  }
  StagesRun run(rows);
  const std::vector<std::string> records = iwa_records(run.population, run.records);
  ASSERT_EQ(records.size(), 7u);
  EXPECT_EQ(records[5], bytes("00 02 01 03 80 81 83 64"));
  EXPECT_EQ(records[6], bytes("FF 81 00 01 02 7F 05 FE"));
}

}  // namespace
}  // namespace pedpeel
