#include "pedigree/loader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "testing/population_builder.h"

namespace pedpeel {
namespace {

using testing::ScratchIo;

// Row i as "IPED ID IPAR1 IPAR2 RACE SEX |INI_ID| fractions", zero bytes of INI_ID as '@'.
std::string describe_row(const Population& population, int32_t i) {
  std::ostringstream text;
  text << population.IPED[i] << ' ' << population.ID[i] << ' ' << population.IPAR1[i] << ' '
       << population.IPAR2[i] << ' ' << int{population.RACE[i]} << ' ' << int{population.SEX[i]}
       << " |";
  for (char c : population.INI_ID[i]) text << (c == '\0' ? '@' : c);
  text << '|';
  for (int j = 0; j < population.fraction_count(); ++j) text << ' ' << population.BLOOD[i][j];
  return text.str();
}

struct LoaderCase {
  std::string name;
  std::string pedigree_file;
  std::string blood_file;
  int32_t NIND;
  int32_t NRACE;
  std::vector<std::string> rows;  // describe_row of rows 1..NIND
};

void PrintTo(const LoaderCase& c, std::ostream* os) {
  *os << c.name;
}

class LoaderTest : public ::testing::TestWithParam<LoaderCase> {};

TEST_P(LoaderTest, FillsTheTablesFromBothFiles) {
  const LoaderCase& c = GetParam();
  ScratchIo scratch;
  scratch.dir().write("ped.dat", c.pedigree_file);
  scratch.dir().write("blood.dat", c.blood_file);
  Population population;
  load_population(scratch.io(), "ped.dat", "blood.dat", population);
  EXPECT_EQ(population.NIND, c.NIND);
  EXPECT_EQ(population.NRACE, c.NRACE);
  std::vector<std::string> rows;
  for (int32_t i = 1; i <= population.NIND; ++i) rows.push_back(describe_row(population, i));
  EXPECT_EQ(rows, c.rows);
  EXPECT_EQ(scratch.console(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoaderTest,
    ::testing::Values(
        LoaderCase{"TwoRowsTwoRaces",
                   "    2\n"
                   "    1   10    0    0    1    2A10         \n"
                   "    1   12   10   11  -17 -127   child 12   extra columns\n",
                   "    2    2\n      0.2500\n        2500\n",
                   2,
                   2,
                   {"1 10 0 0 1 2 |A10         | 0.25", "1 12 10 11 -17 -127 |   child 12 | 0.25"}},
        LoaderCase{"ShortRecordsReadAsBlanksAndZeros",
                   "    2\n    1   10    0    0    3    1\n    1   11    0    0\n",
                   "    2    1\n\n\n",
                   2,
                   1,
                   {"1 10 0 0 3 1 |            |", "1 11 0 0 0 0 |            |"}},
        LoaderCase{"OneRaceSkipsAnyBloodRecord",
                   "    1\n    4    7    0    0    1    1X\n",
                   "    1    1\nnot a number at all\n",
                   1,
                   1,
                   {"4 7 0 0 1 1 |X           |"}},
        LoaderCase{"NoIndividualsReadsNoRecords", "    0\n", "    0    3\n", 0, 3, {}},
        LoaderCase{"BloodCountSmallerDecidesNind",
                   "    3\n    1    1    0    0\n    1    2    0    0\n    2    3    0    0\n",
                   "    2    2\n      0.5000\n      0.7500\n",
                   2,
                   2,
                   {"1 1 0 0 0 0 |            | 0.5", "1 2 0 0 0 0 |            | 0.75"}},
        LoaderCase{"BloodCountLargerAddsZeroRows",
                   "    1\n    6    1    0    0    1    1ONE\n",
                   "    3    3\n      0.5000      0.2500\n       .1250\n           1\n",
                   3,
                   3,
                   {"6 1 0 0 1 1 |ONE         | 0.5 0.25", "0 0 0 0 0 0 |@@@@@@@@@@@@| 0.125 0",
                    "0 0 0 0 0 0 |@@@@@@@@@@@@| 0.0001 0"}},
        LoaderCase{"ElevenRacesFillTenFractions",
                   "    1\n    1    1    0    0\n",
                   "    1   11\n"
                   "        1000        2000        3000        4000        5000"
                   "        6000        7000        8000        9000       10000\n",
                   1,
                   11,
                   {"1 1 0 0 0 0 |            | 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9 1"}}),
    [](const auto& info) { return info.param.name; });

// Counts the export formats cannot carry stop the run right after their count record.
struct StopCase {
  std::string name;
  std::string pedigree_file;
  std::string blood_file;
  StopReason reason;
};

void PrintTo(const StopCase& c, std::ostream* os) {
  *os << c.name;
}

class LoaderStopTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(LoaderStopTest, StopsWithItsReasonAndWritesNothing) {
  const StopCase& c = GetParam();
  ScratchIo scratch;
  scratch.dir().write("ped.dat", c.pedigree_file);
  scratch.dir().write("blood.dat", c.blood_file);
  Population population;
  try {
    load_population(scratch.io(), "ped.dat", "blood.dat", population);
    ADD_FAILURE() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.reason, c.reason);
  }
  EXPECT_EQ(scratch.console(), "");  // only the run end prints a stop
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoaderStopTest,
    ::testing::Values(
        // No individual record follows: the stop comes before any row is read.
        StopCase{"PedigreeFileCount", "32768\n", "    1    1\n\n", StopReason::kTooManyIndividuals},
        StopCase{"BloodFileCount", "    1\n    1    1    0    0\n", "32768    1\n",
                 StopReason::kTooManyIndividuals},
        StopCase{"Races", "    1\n    1    1    0    0\n", "    1   12\n",
                 StopReason::kTooManyFractions},
        StopCase{"BothFaultsReportIndividuals", "    1\n    1    1    0    0\n", "40000   12\n",
                 StopReason::kTooManyIndividuals}),
    [](const auto& info) { return info.param.name; });

// The largest counts are accepted: the run goes on to read rows, and here finds none.
TEST(LoaderStopTest, LargestCountsAreAccepted) {
  ScratchIo scratch;
  scratch.dir().write("ped.dat", "32767\n");
  scratch.dir().write("blood.dat", "");
  Population population;
  try {
    load_population(scratch.io(), "ped.dat", "blood.dat", population);
    FAIL() << "expected the end-of-file error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.code, ErrorCode::kEndOfFile);
    EXPECT_EQ(error.file, "ped.dat");
  }

  ScratchIo eleven;
  eleven.dir().write("ped.dat", "    1\n    1    1    0    0\n");
  eleven.dir().write("blood.dat", "    1   11\n");
  try {
    load_population(eleven.io(), "ped.dat", "blood.dat", population);
    FAIL() << "expected the end-of-file error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.code, ErrorCode::kEndOfFile);
    EXPECT_EQ(error.file, "blood.dat");
  }
}

TEST(LoaderTest, RaceOutsideEightBitsIsAConversionError) {
  for (const auto& [field, code] : std::vector<std::pair<std::string, std::optional<ErrorCode>>>{
           {"  128", ErrorCode::kIntegerOverflow},
           {" -128", ErrorCode::kIntegerOverflow},
           {" -127", std::nullopt}}) {
    ScratchIo scratch;
    scratch.dir().write("ped.dat", "    1\n    1    1    0    0" + field + "    1\n");
    scratch.dir().write("blood.dat", "    1    1\n\n");
    Population population;
    if (!code) {
      load_population(scratch.io(), "ped.dat", "blood.dat", population);
      EXPECT_EQ(population.RACE[1], -127);
      continue;
    }
    try {
      load_population(scratch.io(), "ped.dat", "blood.dat", population);
      ADD_FAILURE() << "no error for RACE field '" << field << "'";
    } catch (const RunError& error) {
      EXPECT_EQ(error.code, *code) << field;
    }
  }
}

// Logs what the loader tells it, and answers every failure the same way.
class LoggingObserver : public LoadObserver {
 public:
  explicit LoggingObserver(AfterFailure answer) : answer_(answer) {}

  void record_read(const LoadedRecord& record) override {
    log.push_back(where(record) + " read \"" + std::string(record.text) + "\"" +
                  (record.text_past != 0 ? " past " + std::to_string(record.text_past) : ""));
  }
  AfterFailure read_failed(const LoadedRecord& record, int item, const RunError& error) override {
    log.push_back(where(record) + " item " + std::to_string(item) + " " +
                  std::string(error_code_text(error.code)));
    return answer_;
  }

  std::vector<std::string> log;

 private:
  static std::string where(const LoadedRecord& record) {
    return (record.file == DataFile::kPedigree ? "ped:" : "blood:") + std::to_string(record.line) +
           " row " + std::to_string(record.row);
  }
  AfterFailure answer_;
};

struct ObservedCase {
  std::string name;
  std::string pedigree_file;
  std::string blood_file;
  AfterFailure answer;
  std::vector<std::string> log;
  std::vector<std::string> rows;  // describe_row of rows 1..NIND after the load
};

void PrintTo(const ObservedCase& c, std::ostream* os) {
  *os << c.name;
}

class ObservedLoadTest : public ::testing::TestWithParam<ObservedCase> {};

TEST_P(ObservedLoadTest, TellsEveryRecordAndFailure) {
  const ObservedCase& c = GetParam();
  ScratchIo scratch;
  scratch.dir().write("ped.dat", c.pedigree_file);
  scratch.dir().write("blood.dat", c.blood_file);
  Population population;
  LoggingObserver observer(c.answer);
  load_population(scratch.io(), "ped.dat", "blood.dat", population, &observer);
  EXPECT_EQ(observer.log, c.log);
  std::vector<std::string> rows;
  for (int32_t i = 1; i <= population.NIND; ++i) rows.push_back(describe_row(population, i));
  EXPECT_EQ(rows, c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ObservedLoadTest,
    ::testing::Values(
        ObservedCase{
            "LinesRowsAndTextPastThePattern",
            "    2   extra\n    1   10    0    0    1    2A10         \n"
            "    1   12   10   11    1    2LONGER-THAN-12\n",
            "    2    2\n      0.2500  0.7\n        2500\n",
            AfterFailure::kEndRun,
            {"ped:1 row 0 read \"    2   extra\"",
             "ped:2 row 1 read \"    1   10    0    0    1    2A10         \"",
             "ped:3 row 2 read \"    1   12   10   11    1    2LONGER-THAN-\" past 43",
             "blood:1 row 0 read \"    2    2\"", "blood:2 row 1 read \"      0.2500  0.7\"",
             "blood:3 row 2 read \"        2500\""},
            {"1 10 0 0 1 2 |A10         | 0.25", "1 12 10 11 1 2 |LONGER-THAN-| 0.25"}},
        ObservedCase{"NextFieldReadsTheRestOfTheRecord",
                     "    1\n    1    x   12   13    4    2NAME\n",
                     "    1    2\n    0.5.0\n",
                     AfterFailure::kNextField,
                     {"ped:1 row 0 read \"    1\"", "ped:2 row 1 item 1 E6101",
                      "ped:2 row 1 read \"    1    x   12   13    4    2NAME\"",
                      "blood:1 row 0 read \"    1    2\"", "blood:2 row 1 item 0 E6103",
                      "blood:2 row 1 read \"    0.5.0\""},
                     {"1 0 12 13 4 2 |NAME        | 0"}},
        ObservedCase{"NextFileGoesOnWithTheBloodFile",
                     "    3\n    1    x   12   13    4    2NAME\n    1    2\n",
                     "    3    2\n      0.5000\n",
                     AfterFailure::kNextFile,
                     {"ped:1 row 0 read \"    3\"", "ped:2 row 1 item 1 E6101",
                      "blood:1 row 0 read \"    3    2\"", "blood:2 row 1 read \"      0.5000\"",
                      "blood:3 row 2 item -1 E6501"},
                     {"1 0 0 0 0 0 |@@@@@@@@@@@@| 0.5", "0 0 0 0 0 0 |@@@@@@@@@@@@| 0",
                      "0 0 0 0 0 0 |@@@@@@@@@@@@| 0"}},
        // An end of file cannot be read past: the next field is the next file.
        ObservedCase{"EndOfFileMarkEndsTheFile",
                     "    2\n    1    1    0 \x1a\n    1    2\n",
                     "    2    1\n\n\n",
                     AfterFailure::kNextField,
                     {"ped:1 row 0 read \"    2\"", "ped:2 row 1 item 3 E6501",
                      "blood:1 row 0 read \"    2    1\"", "blood:2 row 1 read \"\"",
                      "blood:3 row 2 read \"\""},
                     {"1 1 0 0 0 0 |@@@@@@@@@@@@|", "0 0 0 0 0 0 |@@@@@@@@@@@@|"}},
        ObservedCase{"FailedCountSkipsTheFile",
                     "    x\n    1    1\n",
                     "    0    2\n",
                     AfterFailure::kNextFile,
                     {"ped:1 row 0 item 0 E6101", "blood:1 row 0 read \"    0    2\""},
                     {}}),
    [](const auto& info) { return info.param.name; });

// With an observer that lets nothing through, the load fails as pedpeel's does.
TEST(ObservedLoadTest, EndRunRaisesTheSameError) {
  ScratchIo scratch;
  scratch.dir().write("ped.dat", "    1\n    1    1  1x1\n");
  scratch.dir().write("blood.dat", "    1    1\n\n");
  Population population;
  LoggingObserver observer(AfterFailure::kEndRun);
  try {
    load_population(scratch.io(), "ped.dat", "blood.dat", population, &observer);
    FAIL() << "expected the conversion error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.code, ErrorCode::kInvalidInteger);
    EXPECT_EQ(error.file, "ped.dat");
  }
  EXPECT_EQ(observer.log,
            (std::vector<std::string>{"ped:1 row 0 read \"    1\"", "ped:2 row 1 item 2 E6101"}));
}

}  // namespace
}  // namespace pedpeel
