#include "tools/pedinfo/check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "testing/temp_run.h"
#include "tools/pedinfo/test_files.h"

namespace pedpeel::pedinfo {
namespace {

using pedpeel::testing::TempDir;
using testing::blood_file;
using testing::ped_record;
using testing::pedigree_file;
using testing::write_population;

// `field` written `times` times, one after the other.
std::string repeat_field(const std::string& field, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += field;
  return text;
}

std::string check_text(const TempDir& dir) {
  CheckReport report;
  const auto failure = check_directory(dir.path(), &report);
  if (failure) return "failure: " + failure->message + "\n";
  std::ostringstream out;
  write_check_text(report, out);
  return out.str();
}

struct CheckCase {
  const char* name;
  std::string pedigrees;  // the pedigree file
  std::string blood;      // the BLOOD file
  std::string expected;   // the whole text output
};

void PrintTo(const CheckCase& test, std::ostream* out) {
  *out << test.name;
}

// A founder pair and their child, as pedigree `iped`.
std::vector<std::string> trio(int iped) {
  return {ped_record(iped, 1, 0, 0, 3, 1, "A"), ped_record(iped, 2, 0, 0, 3, 2, "B"),
          ped_record(iped, 3, 1, 2, 3, 1, "C")};
}

CheckCase with_records(const char* name, const std::vector<std::string>& records,
                       std::string expected) {
  return {name, pedigree_file(records), blood_file(static_cast<int>(records.size())),
          std::move(expected)};
}

std::vector<CheckCase> check_cases() {
  std::vector<CheckCase> cases;
  cases.push_back(with_records("Clean", trio(1), "no problems\n"));

  // What pedpeel fails or stops on while reading.
  cases.push_back(
      {"ConversionError",
       pedigree_file({ped_record(1, 1, 0, 0, 3, 1, "A"), "    1    2 1x0     0"}), blood_file(2),
       "PEDS.DAT:3: error: row 2: field IPAR1 (columns 11-15, \" 1x0 \"): E6101 invalid "
       "INTEGER; pedpeel ends here with a run-time error\n"
       "1 problem: 1 error, 0 warnings\n"});
  cases.push_back({"TwoFieldsOnOneLine", pedigree_file({"    1    x    0    0  128    1A"}),
                   blood_file(1),
                   "PEDS.DAT:2: error: row 1: field ID (columns 6-10, \"    x\"): E6101 invalid "
                   "INTEGER; pedpeel ends here with a run-time error\n"
                   "PEDS.DAT:2: error: row 1: field RACE (columns 21-25, \"  128\"): E6100 INTEGER "
                   "overflow on input; pedpeel ends here with a run-time error\n"
                   "2 problems: 2 errors, 0 warnings\n"});
  cases.push_back(
      {"BadFraction", pedigree_file(trio(1)),
       "    3    2\n      0.5000\n     0.5.0\n      0.5000\n",
       "blood.dat:3: error: row 2: field fraction 1 (columns 1-12, \"     0.5.0\"): E6103 "
       "invalid REAL; pedpeel ends here with a run-time error\n"
       "1 problem: 1 error, 0 warnings\n"});
  cases.push_back(
      {"EndOfFileMark", pedigree_file({"    1    1    0 \x1a"}), blood_file(1),
       "PEDS.DAT:2: error: row 1: field IPAR2 holds an end-of-file mark (Ctrl-Z): pedpeel "
       "ends here with run-time error E6501 end of file encountered\n"
       "1 problem: 1 error, 0 warnings\n"});
  cases.push_back(
      {"PedigreeFileTooShort", "    3\n" + trio(1)[0] + "\n", blood_file(3),
       "PEDS.DAT:3: error: the file ends after line 2, before the record of row 2 (NIND 3 "
       "on line 1): pedpeel ends with run-time error E6501 end of file encountered\n"
       "1 problem: 1 error, 0 warnings\n"});
  cases.push_back({"BloodFileTooShort", pedigree_file(trio(1)), "    3    2\n      0.5000\n",
                   "blood.dat:3: error: the file ends after line 2, before the fractions of row 2 "
                   "(NIND 3 on line 1): pedpeel ends with run-time error E6501 end of file "
                   "encountered\n"
                   "1 problem: 1 error, 0 warnings\n"});
  cases.push_back(
      {"TooManyIndividuals", "40000\n", blood_file(0),
       "PEDS.DAT:1: error: NIND 40000 is more than 32767 individuals: pedpeel stops with \" "
       "Error: more than 32767 individuals.\"\n"
       "1 problem: 1 error, 0 warnings\n"});
  cases.push_back({"TooManyRaces", pedigree_file(trio(1)), "    3   12\n",
                   "blood.dat:1: error: NRACE 12 needs more than 10 race fractions per individual: "
                   "pedpeel stops with \" Error: more than 10 race fractions per individual.\"\n"
                   "1 problem: 1 error, 0 warnings\n"});

  // Identifiers and parents.
  cases.push_back(
      with_records("DuplicateId",
                   {ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 0, 0, 3, 2, "B"),
                    ped_record(1, 3, 1, 2, 3, 1, "C"), ped_record(1, 2, 0, 0, 3, 2, "B2")},
                   "PEDS.DAT:5: warning: pedigree 1 (IPED 1), ID 2 \"B2\": duplicate ID: ID 2 is "
                   "also on line 3; "
                   "pedpeel takes INI_ID, SEX, RACE and BLOOD of ID 2 from there\n"
                   "1 problem: 0 errors, 1 warning\n"));
  cases.push_back(with_records(
      "MissingParent",
      {ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 3, 1, 9, 3, 1, "C"),
       ped_record(1, 4, 1, 9, 3, 2, "D")},
      "PEDS.DAT:3: warning: pedigree 1 (IPED 1), ID 3 \"C\": parent ID 9 (IPAR2) has no row in "
      "this "
      "pedigree (2 rows name it): pedpeel writes it with a blank INI_ID and SEX and RACE 0\n"
      "1 problem: 0 errors, 1 warning\n"));
  cases.push_back(with_records(
      "OneParentZero",
      {ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 1, 0, 3, 1, "B"),
       ped_record(1, 3, 0, 1, 3, 2, "C")},
      "PEDS.DAT:3: warning: pedigree 1 (IPED 1), ID 2 \"B\": IPAR1 1 given but IPAR2 is 0: pedpeel "
      "makes ID 0 the second parent of the family\n"
      "PEDS.DAT:4: warning: pedigree 1 (IPED 1), ID 3 \"C\": IPAR2 1 given but IPAR1 is 0: pedpeel "
      "takes the individual as a founder and ignores IPAR2\n"
      "2 problems: 0 errors, 2 warnings\n"));
  cases.push_back(
      with_records("ParentInBothPositions",
                   {ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 0, 0, 3, 2, "B"),
                    ped_record(1, 3, 0, 0, 3, 2, "C"), ped_record(1, 4, 1, 2, 3, 1, "D"),
                    ped_record(1, 5, 3, 1, 3, 1, "E")},
                   "PEDS.DAT:2: warning: pedigree 1 (IPED 1), ID 1 \"A\": ID 1 is first parent "
                   "(IPAR1) on line 5 "
                   "and second parent (IPAR2) on line 6: pedpeel groups its matings into separate "
                   "families\n"
                   "1 problem: 0 errors, 1 warning\n"));
  cases.push_back(with_records(
      "OwnParent",
      {ped_record(1, 11, 0, 0, 3, 1, "K"), ped_record(1, 10, 10, 11, 3, 1, "J"),
       ped_record(1, 12, 11, 10, 3, 1, "L")},
      "PEDS.DAT:2: warning: pedigree 1 (IPED 1), ID 11 \"K\": ID 11 is first parent (IPAR1) on "
      "line 4 "
      "and second parent (IPAR2) on line 3: pedpeel groups its matings into separate "
      "families\n"
      "PEDS.DAT:3: warning: pedigree 1 (IPED 1), ID 10 \"J\": ID 10 is first parent (IPAR1) on "
      "line 3 "
      "and second parent (IPAR2) on line 4: pedpeel groups its matings into separate "
      "families\n"
      "PEDS.DAT:3: error: pedigree 1 (IPED 1), ID 10 \"J\": is its own parent (IPAR1 10)\n"
      "PEDS.DAT:3: error: pedigree 1 (IPED 1), ID 10 \"J\": pedpeel takes family (10,11; 10) line "
      "3 "
      "as a loop head and stops with \" Ne ponjal...\": a mating of its children has both "
      "members among its parents\n"
      "4 problems: 2 errors, 2 warnings\n"));
  cases.push_back(with_records(
      "OwnAncestor",
      {ped_record(1, 1, 2, 8, 3, 1, "A"), ped_record(1, 2, 3, 9, 3, 1, "B"),
       ped_record(1, 3, 1, 7, 3, 1, "C"), ped_record(1, 7, 0, 0, 3, 2, "G"),
       ped_record(1, 8, 0, 0, 3, 2, "H"), ped_record(1, 9, 0, 0, 3, 2, "I")},
      "PEDS.DAT:2: error: pedigree 1 (IPED 1), ID 1 \"A\": is its own ancestor: ID 1 \"A\" line 2 "
      "-> parent ID 2 \"B\" line 3 -> parent ID 3 \"C\" line 4 -> parent ID 1\n"
      "PEDS.DAT:2: error: pedigree 1 (IPED 1): loop: neither pass can take the 3 families left: "
      "family (2,8; 1) line 2, family (3,9; 2) line 3, family (1,7; 3) line 4; pedpeel "
      "reports the pedigree in def.err and ends there\n"
      "PEDS.DAT:2: error: pedigree 1 (IPED 1), ID 1 \"A\": shortest loop (3 individuals, 3 "
      "families): ID 1 \"A\" line 2, family (2,8; 1) line 2, ID 2 \"B\" line 3, family (3,9; "
      "2) line 3, ID 3 \"C\" line 4, family (1,7; 3) line 4, back to ID 1\n"
      "3 problems: 3 errors, 0 warnings\n"));

  // Pedigree numbers, counts, races and fractions.
  {
    std::vector<std::string> records = trio(5);
    records.push_back(ped_record(7, 1, 0, 0, 3, 1, "X"));
    for (const std::string& record : trio(5)) records.push_back(record);
    cases.push_back(with_records(
        "IpedInTwoRuns", records,
        "PEDS.DAT:6: warning: pedigree 3 (IPED 5): IPED 5 is also pedigree 1 (lines 2-4): pedpeel "
        "takes the two runs of rows as separate pedigrees\n"
        "1 problem: 0 errors, 1 warning\n"));
  }
  cases.push_back(
      {"BloodCountSmaller", pedigree_file(trio(1)), blood_file(2),
       "blood.dat:1: warning: NIND 2 here but 3 in PEDS.DAT: pedpeel uses 2, and rows 3-3 "
       "take part in nothing\n"
       "1 problem: 0 errors, 1 warning\n"});
  cases.push_back(
      {"BloodCountLarger", pedigree_file(trio(1)), blood_file(5),
       "blood.dat:1: warning: NIND 5 here but 3 in PEDS.DAT: pedpeel uses 5 and adds rows 4-5 "
       "with IPED, ID and parents 0\n"
       "1 problem: 0 errors, 1 warning\n"});
  cases.push_back(
      {"Fractions", pedigree_file(trio(1)),
       "    3    3\n      0.5000      0.6000\n      1.5000     -0.2500\n"
       "      0.2500      0.2500\n",
       "blood.dat:1: warning: NRACE 3: more than two races; pedpeel prints \"SORRY BUT NO MORE "
       "THEN 2 RACES IN VUVAZE\" and goes on\n"
       "blood.dat:2: warning: pedigree 1 (IPED 1), ID 1 \"A\": fractions sum to 1.1000, above "
       "1\n"
       "blood.dat:3: warning: pedigree 1 (IPED 1), ID 2 \"B\": fraction 1 is 1.5000, outside "
       "0..1\n"
       "blood.dat:3: warning: pedigree 1 (IPED 1), ID 2 \"B\": fraction 2 is -0.2500, outside "
       "0..1\n"
       "4 problems: 0 errors, 4 warnings\n"});
  // Four significant digits: six sixths written .1667 sum to 1.0002 and are not above 1,
  // nor are 15/32 and 17/32 written .4688 and .5313 (1.0001, just as far as two can go).
  cases.push_back(
      {"FractionsRoundedUp", pedigree_file(trio(1)),
       "    3    7\n" + repeat_field("   .1667E+00", 6) + "\n" + repeat_field("   .1668E+00", 6) +
           "\n   .4688E+00   .5313E+00" + repeat_field("   .0000E+00", 4) + "\n",
       "blood.dat:1: warning: NRACE 7: more than two races; pedpeel prints \"SORRY BUT NO MORE "
       "THEN 2 RACES IN VUVAZE\" and goes on\n"
       "blood.dat:3: warning: pedigree 1 (IPED 1), ID 2 \"B\": fractions sum to 1.0008, above "
       "1\n"
       "2 problems: 0 errors, 2 warnings\n"});
  cases.push_back(
      with_records("RecodedRaces",
                   {ped_record(1, 1, 0, 0, 126, 1, "A"), ped_record(1, 2, 0, 0, 127, 2, "B"),
                    ped_record(1, 3, 1, 2, 125, 1, "C")},
                   "PEDS.DAT:2: warning: pedigree 1 (IPED 1), ID 1 \"A\": RACE 126 is recoded to "
                   "-128 in iway.IWA, "
                   "where it reads as an unknown race\n"
                   "PEDS.DAT:3: warning: pedigree 1 (IPED 1), ID 2 \"B\": RACE 127 is recoded to "
                   "-127 in iway.IWA, "
                   "where it reads as an unknown race\n"
                   "2 problems: 0 errors, 2 warnings\n"));

  // What pedpeel reads without complaint, or fails on, for a reason its error does not name.
  cases.push_back(with_records(
      "BlanksInsideANumber",
      {ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 0, 0, 3, 2, "B"),
       "    1  3 11        2    3    1C"},  // IPAR1 "1    ": blanks at its end only
      "PEDS.DAT:4: warning: pedigree 1 (IPED 1), ID 31 \"C\": blanks inside a number are "
      "dropped: ID (columns 6-10, \"  3 1\") reads as 31; the file looks separated by "
      "spaces rather than laid out in fixed columns\n"
      "1 problem: 0 errors, 1 warning\n"));
  cases.push_back(
      {"FractionWithoutDecimalPoint", pedigree_file(trio(1)),
       "    3    3\n           1      0.5000\n      0.5000      0.5000\n"
       "        5000           0\n",
       "blood.dat:1: warning: NRACE 3: more than two races; pedpeel prints \"SORRY BUT NO MORE "
       "THEN 2 RACES IN VUVAZE\" and goes on\n"
       "blood.dat:2: warning: pedigree 1 (IPED 1), ID 1 \"A\": no decimal point: fraction 1 "
       "(columns 1-12, \"           1\") reads as 0.0001; pedpeel takes the last four "
       "digits of such a field as decimals\n"
       "blood.dat:4: warning: pedigree 1 (IPED 1), ID 3 \"C\": no decimal point: fraction 1 "
       "(columns 1-12, \"        5000\") reads as 0.5000; pedpeel takes the last four "
       "digits of such a field as decimals\n"
       "3 problems: 0 errors, 3 warnings\n"});
  cases.push_back(with_records(
      "TextPastColumn42",
      {ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 0, 0, 3, 2, "DE0123456789012"),
       ped_record(1, 3, 1, 2, 3, 1, "C           1999-04-01")},
      "PEDS.DAT:3: warning: pedigree 1 (IPED 1), ID 2 \"DE0123456789\": text past column 42, from "
      "column 43 "
      "on, is not read: INI_ID is cut to the 12 characters of columns 31-42, \"DE0123456789\"\n"
      "PEDS.DAT:4: warning: pedigree 1 (IPED 1), ID 3 \"C\": text past column 42, from column 43 "
      "on, is not "
      "read: INI_ID is cut to the 12 characters of columns 31-42, \"C           \"\n"
      "2 problems: 0 errors, 2 warnings\n"));
  cases.push_back(
      {"ByteOrderMark", "\xEF\xBB\xBF" + pedigree_file(trio(1)), blood_file(3),
       "PEDS.DAT:1: error: the file starts with a UTF-8 byte order mark (bytes EF BB BF), which "
       "pedpeel "
       "reads as the first characters of field NIND (columns 1-5, \"\\xEF\\xBB\\xBF  \") and ends "
       "here with run-time error E6101 invalid INTEGER; save the file without it\n"
       "1 problem: 1 error, 0 warnings\n"});
  cases.push_back(
      {"HeaderRow",
       "    3\nIPED   ID IPAR1 IPAR2 RACE  SEX INI_ID\n" + pedigree_file(trio(1)).substr(6),
       "NIND NRACE\n" + blood_file(3),
       "PEDS.DAT:2: error: row 1: looks like a header row (\"IPED   ID IPAR1 IPAR2 RACE  SEX "
       "INI_ID\"): "
       "pedpeel reads it as the record of row 1 and ends here with run-time error E6101 invalid "
       "INTEGER in field IPED (columns 1-5, \"IPED \"); the file must hold no header\n"
       "blood.dat:1: error: looks like a header row (\"NIND NRACE\"): pedpeel reads it as the "
       "count "
       "record and ends here with run-time error E6101 invalid INTEGER in field NIND (columns 1-5, "
       "\"NIND \"); the file must hold no header\n"
       "2 problems: 2 errors, 0 warnings\n"});
  cases.push_back({"NindZero", "\n" + pedigree_file(trio(1)).substr(6), blood_file(0),
                   "PEDS.DAT:1: warning: NIND 0 (columns 1-5, \"\"): pedpeel reads no individual "
                   "record from this file\n"
                   "blood.dat:1: warning: NIND 0 (columns 1-5, \"    0\"): pedpeel reads no "
                   "fractions and takes row 1 "
                   "alone as the population\n"
                   "2 problems: 0 errors, 2 warnings\n"});
  cases.push_back(
      {"BloodCountZero", pedigree_file(trio(1)), blood_file(0),
       "blood.dat:1: warning: NIND 0 (columns 1-5, \"    0\"): pedpeel reads no fractions and "
       "takes row 1 alone as the population\n"
       "blood.dat:1: warning: NIND 0 here but 3 in PEDS.DAT: pedpeel uses 0, and rows 2-3 "
       "take part in nothing\n"
       "2 problems: 0 errors, 2 warnings\n"});
  cases.push_back(with_records(
      "SameIniIdForTwoIds",
      {ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 0, 0, 3, 2, "B"),
       ped_record(1, 3, 1, 2, 3, 1, "A"), ped_record(2, 3, 0, 0, 3, 1, "A")},
      "PEDS.DAT:4: warning: pedigree 1 (IPED 1), ID 3 \"A\": same INI_ID as ID 1 on line 2: "
      "pedpeel's origin check takes the rows of one INI_ID as one animal\n"
      "1 problem: 0 errors, 1 warning\n"));

  // What the passes cannot take.
  cases.push_back(with_records(
      "CousinLoop",
      {ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 0, 0, 3, 2, "B"),
       ped_record(1, 3, 1, 2, 3, 1, "C"), ped_record(1, 4, 1, 2, 3, 2, "D"),
       ped_record(1, 5, 0, 0, 3, 2, "E"), ped_record(1, 6, 3, 5, 3, 1, "F"),
       ped_record(1, 7, 0, 0, 3, 1, "G"), ped_record(1, 8, 7, 4, 3, 2, "H"),
       ped_record(1, 9, 6, 8, 3, 1, "I")},
      "PEDS.DAT:2: error: pedigree 1 (IPED 1): loop: neither pass can take the 4 families left: "
      "family (1,2; 3,4) line 4, family (3,5; 6) line 7, family (7,4; 8) line 9, family "
      "(6,8; 9) line 10; pedpeel reports the pedigree in def.err and ends there\n"
      "PEDS.DAT:4: error: pedigree 1 (IPED 1), ID 3 \"C\": shortest loop (4 individuals, 4 "
      "families): ID 3 \"C\" line 4, family (3,5; 6) line 7, ID 6 \"F\" line 7, family (6,8; "
      "9) line 10, ID 8 \"H\" line 9, family (7,4; 8) line 9, ID 4 \"D\" line 5, family (1,2; "
      "3,4) line 4, back to ID 3\n"
      "2 problems: 2 errors, 0 warnings\n"));
  {
    std::vector<std::string> records = {ped_record(1, 1, 0, 0, 3, 1, "A"),
                                        ped_record(1, 2, 0, 0, 3, 2, "B")};
    for (int child = 3; child <= 303; ++child) {
      records.push_back(ped_record(1, child, 1, 2, 3, 1, "K" + std::to_string(child)));
    }
    records.push_back(ped_record(1, 304, 3, 4, 3, 1, "L"));
    cases.push_back(with_records(
        "LoopHeadWithTooManyChildren", records,
        "PEDS.DAT:4: error: pedigree 1 (IPED 1), ID 3 \"K3\": the family of 1 and 2 has 301 "
        "children: "
        "pedpeel stops with \" Error: icros overflow. More then 300 kids.\" when the loop "
        "resolution pass reaches it\n"
        "1 problem: 1 error, 0 warnings\n"));
  }
  return cases;
}

class CheckFindingsTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckFindingsTest, ReportsExactLines) {
  const CheckCase& test = GetParam();
  TempDir dir;
  write_population(dir, test.pedigrees, test.blood);
  EXPECT_EQ(check_text(dir), test.expected);
}

INSTANTIATE_TEST_SUITE_P(Findings, CheckFindingsTest, ::testing::ValuesIn(check_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

bool has_kind(const CheckReport& report, std::string_view kind) {
  for (const Finding& finding : report.findings) {
    if (finding.kind == kind) return true;
  }
  return false;
}

// pedinfo's reading and passes must agree with what pedpeel does with the same files.
TEST_P(CheckFindingsTest, AgreesWithPedpeel) {
  const CheckCase& test = GetParam();
  TempDir dir;
  write_population(dir, test.pedigrees, test.blood);
  CheckReport report;
  ASSERT_FALSE(check_directory(dir.path(), &report));
  const pedpeel::testing::RunResult run = pedpeel::testing::run_in_process(dir);
  if (has_kind(report, "conversion-error") || has_kind(report, "end-of-file") ||
      has_kind(report, "header-row") || has_kind(report, "byte-order-mark")) {
    EXPECT_EQ(run.status, 1);
    return;
  }
  const bool stop = has_kind(report, "capacity-stop") || has_kind(report, "stop");
  const bool loop = has_kind(report, "loop");
  EXPECT_EQ(run.status, stop || loop ? 2 : 0) << run.out;
  for (const Finding& finding : report.findings) {
    if (finding.kind == "loop") {
      char line[64];
      std::snprintf(line, sizeof line, " PEDIGREE %3d contains LOOP\r\n", finding.pedigree);
      EXPECT_EQ(run.files.at("def.err").substr(0, 29), line);
      break;
    }
    if (finding.kind == "stop" || finding.kind == "capacity-stop") {
      const size_t quote = finding.message.find("\" ");
      const std::string text =
          finding.message.substr(quote + 2, finding.message.find('"', quote + 1) - quote - 2);
      EXPECT_NE(run.out.find(text), std::string::npos) << text << " in " << run.out;
      break;
    }
  }
}

TEST(CheckTest, ControlFileWithOneName) {
  TempDir dir;
  write_population(dir, {ped_record(1, 1, 0, 0, 3, 1, "A")});
  dir.write("input1.dat", "PEDS.DAT\n");
  EXPECT_EQ(
      check_text(dir),
      "input1.dat:2: error: the file ends before the name of the BLOOD file: pedpeel ends with "
      "run-time error E6501 end of file encountered\n"
      "1 problem: 1 error, 0 warnings\n");
}

TEST(CheckTest, MissingDataFileIsAFailureAndCreatesNothing) {
  TempDir dir;
  dir.write("input1.dat", "PEDS.DAT\nblood.dat\n");
  dir.write("PEDS.DAT", pedigree_file(trio(1)));
  EXPECT_EQ(check_text(dir), "failure: " + dir.path() + "/blood.dat: file not found (E6416)\n");
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"PEDS.DAT", "input1.dat"}));
}

TEST(CheckTest, BlankNameIsAFailure) {
  TempDir dir;
  write_population(dir, trio(1));
  dir.write("input1.dat", "PEDS.DAT\n   \n");
  EXPECT_EQ(check_text(dir),
            "failure: input1.dat:2: the name of the BLOOD file is blank (pedpeel takes it from "
            "its command line or asks for it)\n");
}

// pedpeel ends at the first entry past 32767 in MEMBERS, counted over all pedigrees.
TEST(CheckTest, MemberEntriesPastCapacity) {
  std::vector<std::string> records;
  // Pedigrees of a chain of ten families: 21 rows, 30 member entries each.
  for (int p = 1; p <= 1100; ++p) {
    records.push_back(ped_record(p, 1, 0, 0, 3, 1, "A"));
    for (int g = 1; g <= 10; ++g) {
      records.push_back(ped_record(p, 100 + g, 0, 0, 3, 2, "M" + std::to_string(g)));
      records.push_back(ped_record(p, g + 1, g, 100 + g, 3, 1, "C" + std::to_string(g)));
    }
  }
  TempDir dir;
  write_population(dir, records);
  CheckReport report;
  ASSERT_FALSE(check_directory(dir.path(), &report));
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_NE(pedpeel::testing::run_in_process(dir).out.find(
                " Error: more than 32767 family member entries.\r\nStop - Program terminated."),
            std::string::npos);
  // Pedigree 1093 starts at entry 32760: its first family ends at 32763, its third (the
  // family of ID 4, row 22939) at 32769.
  EXPECT_EQ(
      format_finding(report.findings[0]),
      "PEDS.DAT:22940: error: pedigree 1093 (IPED 1093), ID 4 \"C3\": the record of this family "
      "would take MEMBERS past 32767 entries: pedpeel stops with \" Error: more than "
      "32767 family member entries.\"");
}

}  // namespace
}  // namespace pedpeel::pedinfo
