#include "tools/pedinfo/input_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>

#include "pedigree/loader.h"
#include "testing/temp_run.h"
#include "tools/pedinfo/test_files.h"

namespace pedpeel::pedinfo {
namespace {

using pedpeel::testing::TempDir;

// The population as pedpeel's own loader and grouping pass leave it.
Population loaded_by_pedpeel(const TempDir& dir) {
  const int fd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  std::istringstream in;
  std::ostringstream out;
  RunEnvironment environment{dir.path(), {}, &in, &out, &out};
  Population population;
  {
    RunIo io(fd, environment);
    load_population(io, "PEDS.DAT", "blood.dat", population);
    group_pedigrees(population);
  }
  ::close(fd);
  return population;
}

struct ReadCase {
  const char* name;
  std::string pedigrees;
  std::string blood;
};

void PrintTo(const ReadCase& test, std::ostream* out) {
  *out << test.name;
}

const ReadCase kReadCases[] = {
    {"FixedColumns",
     "    3\r\n    1    1    0    0    3    1A1          \r\n"
     "    1    2    0    0    3    2  B2\r\n    1    3    1    2  100   -1C3\r\n",
     "    3    2\r\n      0.5000\r\n        2500\r\n          .5\r\n"},
    {"ShortRecordsAndCommas",
     "    3 extra columns\n    1    1    0    0\n    1,2,0,0,3,1,ABC\n    1    3    1    2    3\n",
     "    3    3\n  0.1,0.2\n\n  0.3000      0.4000      9.9999\n"},
    {"BloodCountSmaller", "    3\n    7    1\n    7    2\n    8    3    1    2\n",
     "    2    1\nanything\nanything\n"},
    {"BloodCountLarger", "    2\n    7    1\n    7    2    1    0\n",
     "    4    2\n      0.1000\n      0.2000\n      0.3000\n      0.4000\n"},
    {"NoIndividuals", "    0\n", "    0    2\n"},
    {"Radix", "    1\n 16#F 2#11  -17    0 -127  127\n", "    1    1\n\n"},
    {"NoFinalLineEnd", "    1\n    1    5    0    0    1    2LAST", "    1    2\n      0.7500"},
};

class ReadInputFilesTest : public ::testing::TestWithParam<ReadCase> {};

// pedinfo reads a population exactly as pedpeel's loader does, and knows every row's lines.
TEST_P(ReadInputFilesTest, SameTablesAsPedpeel) {
  const ReadCase& test = GetParam();
  TempDir dir;
  testing::write_population(dir, test.pedigrees, test.blood);
  const Population expected = loaded_by_pedpeel(dir);
  InputFiles input;
  ASSERT_FALSE(read_input_files(dir.path(), &input));
  ASSERT_TRUE(input.analysable);
  EXPECT_FALSE(input.read_failed());
  const Population& actual = input.population;
  EXPECT_EQ(actual.NIND, expected.NIND);
  EXPECT_EQ(actual.NRACE, expected.NRACE);
  EXPECT_EQ(actual.NPED, expected.NPED);
  EXPECT_EQ(actual.KEND, expected.KEND);
  for (int32_t i = 1; i <= std::max(actual.NIND, 1); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_EQ(actual.IPED[i], expected.IPED[i]);
    EXPECT_EQ(actual.ID[i], expected.ID[i]);
    EXPECT_EQ(actual.IPAR1[i], expected.IPAR1[i]);
    EXPECT_EQ(actual.IPAR2[i], expected.IPAR2[i]);
    EXPECT_EQ(actual.RACE[i], expected.RACE[i]);
    EXPECT_EQ(actual.SEX[i], expected.SEX[i]);
    EXPECT_EQ(actual.INI_ID[i], expected.INI_ID[i]);
    EXPECT_EQ(actual.BLOOD[i], expected.BLOOD[i]);
    EXPECT_EQ(input.PED_LINE[i], i <= input.pedfile_NIND ? i + 1 : 0);
    EXPECT_EQ(input.BLOOD_LINE[i], i <= input.bloodfile_NIND ? i + 1 : 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, ReadInputFilesTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A field that fails does not stop the reading of the fields after it.
TEST(ReadInputFilesTest, FieldsAfterAFailedFieldAreRead) {
  TempDir dir;
  testing::write_population(dir, "    1\n    1    x   12   13    4    2NAME\n",
                            testing::blood_file(1));
  InputFiles input;
  ASSERT_FALSE(read_input_files(dir.path(), &input));
  ASSERT_EQ(input.findings.size(), 1u);
  EXPECT_FALSE(input.ROW_READ[1]);
  EXPECT_EQ(input.population.IPAR1[1], 12);
  EXPECT_EQ(input.population.IPAR2[1], 13);
  EXPECT_EQ(input.population.SEX[1], 2);
  EXPECT_EQ(std::string(input.population.INI_ID[1].data(), 4), "NAME");
}

}  // namespace
}  // namespace pedpeel::pedinfo
