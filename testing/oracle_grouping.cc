#include <vector>

#include "testing/oracle_engine.h"

namespace pedpeel::testing {

void group_families(const Population& population, int32_t first_row, int32_t last_row,
                    Families& families) {
  families.clear();
  const int32_t n = last_row - first_row + 1;
  std::vector<uint8_t> ASSIGNED(static_cast<size_t>(n > 0 ? n : 0) + 1, 0);
  std::vector<int16_t> KIDBUF;
  for (int32_t j = 1; j <= n; ++j) {
    if (ASSIGNED[j]) continue;
    const int32_t g = first_row + j - 1;
    ASSIGNED[j] = 1;
    if (population.IPAR1[g] == 0) continue;
    const int16_t first = population.IPAR1[g];
    const int16_t second = population.IPAR2[g];
    KIDBUF.assign(1, population.ID[g]);
    for (int32_t j2 = j + 1; j2 <= n; ++j2) {
      const int32_t g2 = first_row + j2 - 1;
      if (!ASSIGNED[j2] && population.IPAR1[g2] == first && population.IPAR2[g2] == second) {
        KIDBUF.push_back(population.ID[g2]);
        ASSIGNED[j2] = 1;
      }
    }
    families.add(first, second, KIDBUF);
  }
}

LinearRowLookup::LinearRowLookup(const Population& population, int pedigree)
    : population_(population),
      first_row_(population.KEND[pedigree - 1] + 1),
      last_row_(population.KEND[pedigree]) {}

int32_t LinearRowLookup::row_of(int16_t id) const {
  for (int32_t i = first_row_; i <= last_row_; ++i) {
    if (population_.ID[i] == id) return i;
  }
  return 0;
}

}  // namespace pedpeel::testing
