// The linear origin check against the scan of every other row, on random populations
// where INI_IDs repeat across founders, rows with parents and rows of known race, and
// where either the founders of unknown race or the rows that resolve them are the fewer.
#include "export/origin_check.h"

#include <gtest/gtest.h>

#include <random>

#include "testing/oracle_origin_check.h"

namespace pedpeel {
namespace {

TEST(OriginCheckTest, LinearCheckFindsTheRowsTheScanFinds) {
  std::mt19937 random(31);
  for (int n = 0; n < 3000; ++n) {
    Population population;
    population.NIND = 1 + static_cast<int32_t>(random() % 60);
    population.reserve_rows(population.NIND);
    const int names = 1 + static_cast<int>(random() % 12);
    const unsigned known_in_8 = random() % 9;  // rows with parents or a known race, of 8
    for (int32_t i = 1; i <= population.NIND; ++i) {
      const bool known = random() % 8 < known_in_8;
      const bool by_parents = known && random() % 2 == 0;
      population.IPAR1[i] = by_parents ? static_cast<int16_t>(1 + random() % 9) : 0;
      // Recoded race codes: 3 and up are known, 2 and below (negatives too) unknown.
      population.RACE[i] = static_cast<int8_t>(
          known && !by_parents ? 3 + random() % 5 : static_cast<int>(random() % 6) - 3);
      population.INI_ID[i].fill(' ');
      population.INI_ID[i][random() % 12] = static_cast<char>('a' + random() % names);
      if (random() % 10 == 0) population.INI_ID[i].fill('\0');
    }
    ASSERT_EQ(unresolved_founders(population), testing::unresolved_founders_by_scan(population))
        << n;
  }
}

}  // namespace
}  // namespace pedpeel
