#include "pedigree/family_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/run_files.h"
#include "testing/oracle_engine.h"
#include "testing/population_builder.h"

namespace pedpeel {
namespace {

using testing::first_difference;
using testing::make_population;
using testing::Row;
using testing::ScratchIo;

// Pedigree 1 is a family 10, 11; 12, 13 with a second row of ID 12 (never looked up);
// pedigree 2 is 20 and its child 21 by an unrecorded second parent.
const std::vector<Row> kRows = {
    {.IPED = 1, .ID = 10, .RACE = 1, .SEX = 1, .INI_ID = "SIRE-10", .BLOOD = {0.5f, 0.25f}},
    {.IPED = 1, .ID = 11, .RACE = 2, .SEX = 2, .INI_ID = "DAM-11", .BLOOD = {0.75f}},
    {.IPED = 1,
     .ID = 12,
     .IPAR1 = 10,
     .IPAR2 = 11,
     .RACE = -1,
     .SEX = 1,
     .INI_ID = "KID-12",
     .BLOOD = {0.625f, 0.125f}},
    {.IPED = 1,
     .ID = 13,
     .IPAR1 = 10,
     .IPAR2 = 11,
     .RACE = 100,
     .SEX = -2,
     .INI_ID = "KID-13",
     .BLOOD = {1.0f}},
    {.IPED = 1, .ID = 12, .RACE = 5, .SEX = 5, .INI_ID = "SECOND-12", .BLOOD = {0.1f, 0.1f}},
    {.IPED = 2, .ID = 20, .RACE = 3, .SEX = 1, .INI_ID = "P2-20", .BLOOD = {0.3f, 0.7f}},
    {.IPED = 2, .ID = 21, .IPAR1 = 20, .RACE = 3, .SEX = 2, .INI_ID = "P2-21", .BLOOD = {0.3f}},
};

struct Emit {
  int pedigree;
  std::vector<int16_t> members;
  int32_t itype;
  int32_t iway;
  int32_t npot;
};

struct VolmaCase {
  std::string name;
  int32_t NRACE;
  std::vector<Emit> emits;
  std::string volma;  // the whole file
};

void PrintTo(const VolmaCase& c, std::ostream* os) {
  *os << c.name;
}

// Writes VOLMA.DAT as the core does: record 1, then the block of every emit.
std::string write_volma(ScratchIo& scratch, const Population& population, RecordTables& records,
                        const std::vector<Emit>& emits) {
  RunIo& io = scratch.io();
  io.units.open(kVolmaUnit, "VOLMA.DAT", Form::kFormatted, OpenIntent::kOutput);
  write_volma_first_record(io.units, population);
  VolmaRecordSink sink(io.units, population, records);
  try {
    for (const Emit& emit : emits) {
      testing::LinearRowLookup lookup(population, emit.pedigree);
      sink.emit({emit.pedigree, emit.members, emit.itype, emit.iway, emit.npot}, lookup);
    }
  } catch (...) {
    io.units.close(kVolmaUnit);
    throw;
  }
  io.units.close(kVolmaUnit);
  return scratch.file("VOLMA.DAT");
}

class VolmaBlockTest : public ::testing::TestWithParam<VolmaCase> {};

TEST_P(VolmaBlockTest, WritesTheBlockByteForByte) {
  const VolmaCase& c = GetParam();
  const Population population = make_population(kRows, c.NRACE);
  RecordTables records;
  ScratchIo scratch;
  const std::string volma = write_volma(scratch, population, records, c.emits);
  EXPECT_EQ(volma, c.volma) << first_difference(c.volma, volma);
}

constexpr const char* kBlock1011Header1 = "NPEDIGREE=   1 NPOT=   2 IWAY=    0 ITYPE=  1\r\n";
constexpr const char* kBlock1011Lines =
    "   10   11   12   13\r\n"
    "INI_ID  SIRE-10       DAM-11        KID-12        KID-13      \r\n"
    "TRAIT     0    0    0    0\r\n"
    "SEX       1    2    1   -2\r\n"
    "RACE      1    2   -1  100\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, VolmaBlockTest,
    ::testing::Values(
        VolmaCase{"PeeledFamilyThreeRaces",
                  3,
                  {{1, {10, 11, 12, 13}, 1, 0, 2}},
                  std::string("    7    3\r\n") + kBlock1011Header1 + kBlock1011Lines +
                      "BLOOD    .5000E+00   .2500E+00\r\n"
                      "BLOOD    .7500E+00   .0000E+00\r\n"
                      "BLOOD    .6250E+00   .1250E+00\r\n"
                      "BLOOD    .1000E+01   .0000E+00\r\n"},
        VolmaCase{"LoopHeadOneRace",
                  1,
                  {{1, {10, 11, 12, 13}, 4, 0, 4}},
                  std::string("    7    1\r\n") +
                      "NPEDIGREE=   1 NPOT=   4 IWAY=    0 ITYPE=  4\r\n" + kBlock1011Lines +
                      "BLOOD \r\nBLOOD \r\nBLOOD \r\nBLOOD \r\n"},
        VolmaCase{"MatingFamilyTwoRaces",
                  2,
                  {{1, {12, 13, 10}, 7, -1, 3}},
                  "    7    2\r\n"
                  "NPEDIGREE=   1 NPOT=   3 IWAY=   -1 ITYPE=  7\r\n"
                  "   12   13   10\r\n"
                  "INI_ID  KID-12        KID-13        SIRE-10     \r\n"
                  "TRAIT     0    0    0\r\n"
                  "SEX       1   -2    1\r\n"
                  "RACE     -1  100    1\r\n"
                  "BLOOD    .6250E+00\r\n"
                  "BLOOD    .1000E+01\r\n"
                  "BLOOD    .5000E+00\r\n"},
        // Every fraction of NRACE 11 is carried: ten fields on one BLOOD line.
        VolmaCase{"ElevenRaces",
                  11,
                  {{1, {10}, 1, 0, -1}},
                  "    7   11\r\n"
                  "NPEDIGREE=   1 NPOT=  -1 IWAY=    0 ITYPE=  1\r\n"
                  "   10\r\n"
                  "INI_ID  SIRE-10     \r\n"
                  "TRAIT     0\r\n"
                  "SEX       1\r\n"
                  "RACE      1\r\n"
                  "BLOOD    .5000E+00   .2500E+00   .0000E+00   .0000E+00   .0000E+00"
                  "   .0000E+00   .0000E+00   .0000E+00   .0000E+00   .0000E+00\r\n"},
        // Member 0 has no row, and 10 has a row only in pedigree 1: blanks and zeros, not
        // what the block before put in the same slots.
        VolmaCase{"MembersWithoutRowsAfterAnotherBlock",
                  3,
                  {{1, {10, 11, 12, 13}, 1, 0, 2}, {2, {20, 0, 21, 10}, 1, 0, 2}},
                  std::string("    7    3\r\n") + kBlock1011Header1 + kBlock1011Lines +
                      "BLOOD    .5000E+00   .2500E+00\r\n"
                      "BLOOD    .7500E+00   .0000E+00\r\n"
                      "BLOOD    .6250E+00   .1250E+00\r\n"
                      "BLOOD    .1000E+01   .0000E+00\r\n"
                      "NPEDIGREE=   2 NPOT=   2 IWAY=    0 ITYPE=  1\r\n"
                      "   20    0   21   10\r\n"
                      "INI_ID  P2-20                       P2-21                     \r\n"
                      "TRAIT     0    0    0    0\r\n"
                      "SEX       1    0    2    0\r\n"
                      "RACE      3    0    3    0\r\n"
                      "BLOOD    .3000E+00   .7000E+00\r\n"
                      "BLOOD    .0000E+00   .0000E+00\r\n"
                      "BLOOD    .3000E+00   .0000E+00\r\n"
                      "BLOOD    .0000E+00   .0000E+00\r\n"}),
    [](const auto& info) { return info.param.name; });

TEST(FamilyRecordsTest, RecordTablesGrowByOneRecordPerEmit) {
  const Population population = make_population(kRows, 1);
  RecordTables records;
  ScratchIo scratch;
  write_volma(
      scratch, population, records,
      {{1, {10, 11, 12, 13}, 4, 10, 4}, {1, {12, 13, 10}, 7, -1, 3}, {2, {20, 0, 21}, 1, 0, 1}});
  EXPECT_EQ(records.IREC, 4);
  EXPECT_EQ(records.MEMBERS, (std::vector<int16_t>{0, 10, 11, 12, 13, 12, 13, 10, 20, 0, 21}));
  EXPECT_EQ(records.LSTART, (std::vector<int16_t>{0, 0, 4, 7, 10}));
  EXPECT_EQ(records.IWAYREC, (std::vector<int16_t>{0, 10, -1, 0}));
  EXPECT_EQ(records.ITYPE, (std::vector<int32_t>{0, 4, 7, 1}));
  EXPECT_EQ(records.NFAMREC, 0);  // set by the core only when it completes
}

// LSTART must stay within 16 bits: an emit that would pass 32767 entries stops the run
// before anything of its record is written; reaching exactly 32767 is allowed.
TEST(FamilyRecordsTest, MemberEntriesBeyond32767StopBeforeTheRecord) {
  const Population population = make_population(kRows, 1);
  for (const auto& [members, stops] : std::vector<std::pair<std::vector<int16_t>, bool>>{
           {{10, 11, 12}, false}, {{10, 11, 12, 13}, true}}) {
    RecordTables records;
    records.LSTART[1] = 32764;
    ScratchIo scratch;
    if (!stops) {
      write_volma(scratch, population, records, {{1, members, 1, 0, 1}});
      EXPECT_EQ(records.LSTART.back(), 32767);
      continue;
    }
    try {
      write_volma(scratch, population, records, {{1, members, 1, 0, 2}});
      ADD_FAILURE() << "no stop";
    } catch (const RunStop& stop) {
      EXPECT_EQ(stop.reason, StopReason::kTooManyMemberEntries);
    }
    EXPECT_EQ(scratch.file("VOLMA.DAT"), "    7    1\r\n");
    EXPECT_EQ(records.IREC, 1);
    EXPECT_EQ(records.MEMBERS.size(), 1u);
    EXPECT_EQ(records.LSTART.size(), 2u);
    EXPECT_EQ(records.ITYPE.size(), 1u);
    EXPECT_EQ(records.IWAYREC.size(), 1u);
  }
}

}  // namespace
}  // namespace pedpeel
