// The input-file writer against pedpeel's own loader: what is written reads back as the
// same tables.
#include "pedigree/input_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "pedigree/loader.h"
#include "testing/population_builder.h"

namespace pedpeel {
namespace {

TEST(InputFilesTest, WhatIsWrittenLoadsAsTheSameTables) {
  std::mt19937 random(5);
  for (int32_t NRACE : {1, 2, 11}) {
    std::vector<IndividualRecord> rows(50);
    for (size_t i = 0; i < rows.size(); ++i) {
      IndividualRecord& row = rows[i];
      row.IPED = static_cast<int16_t>(1 + i / 10);
      // Five columns hold -9999 to 99999; 16 bits, up to 32767.
      row.ID = static_cast<int16_t>(static_cast<int>(random() % 42767) - 9999);
      row.IPAR1 = static_cast<int16_t>(random() % 3 == 0 ? 0 : random() % 100);
      row.IPAR2 = static_cast<int16_t>(static_cast<int>(random() % 100) - 50);
      row.RACE = static_cast<int8_t>(static_cast<int>(random() % 255) - 127);
      row.SEX = static_cast<int8_t>(random() % 3);
      for (char& c : row.INI_ID) c = static_cast<char>(' ' + random() % 95);
      for (float& fraction : row.BLOOD) fraction = static_cast<float>(random() % 10001) / 1e4f;
      // Rows with the fractions of the row before, or of one further back, as the animals
      // of a pedigree often have.
      if (i % 4 == 2) row.BLOOD = rows[i - 1].BLOOD;
      if (i % 4 == 3) row.BLOOD = rows[i - 3].BLOOD;
    }
    testing::ScratchIo scratch;
    const InputFileNames names{"peds.dat", "blood.dat"};
    ASSERT_EQ(write_input_files(scratch.dir().path(), rows, NRACE, names), "");
    EXPECT_EQ(scratch.file("input1.dat"), "peds.dat            \r\nblood.dat           \r\n");
    Population loaded;
    load_population(scratch.io(), names.pedigree, names.blood, loaded);
    const Population expected = population_of(rows, NRACE);
    EXPECT_EQ(loaded.NIND, expected.NIND);
    EXPECT_EQ(loaded.NRACE, NRACE);
    for (int32_t i = 1; i <= expected.NIND; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(loaded.IPED[i], expected.IPED[i]);
      EXPECT_EQ(loaded.ID[i], expected.ID[i]);
      EXPECT_EQ(loaded.IPAR1[i], expected.IPAR1[i]);
      EXPECT_EQ(loaded.IPAR2[i], expected.IPAR2[i]);
      EXPECT_EQ(loaded.RACE[i], expected.RACE[i]);
      EXPECT_EQ(loaded.SEX[i], expected.SEX[i]);
      EXPECT_EQ(loaded.INI_ID[i], expected.INI_ID[i]);
      // Four decimals written: each fraction comes back within half a unit of the last.
      for (int j = 0; j < loaded.fraction_count(); ++j) {
        EXPECT_NEAR(loaded.BLOOD[i][j], expected.BLOOD[i][j], 0.5e-4f);
      }
    }
  }
}

}  // namespace
}  // namespace pedpeel
