#include "testing/oracle_origin_check.h"

namespace pedpeel::testing {

namespace {

// A row that tells the race of its INI_ID: it has parents or a known race (recoded above 2).
bool resolves(const Population& population, int32_t row) {
  return population.IPAR1[row] != 0 || population.RACE[row] > 2;
}

}  // namespace

std::vector<int32_t> unresolved_founders_by_scan(const Population& population) {
  std::vector<int32_t> rows;
  for (int32_t i = 1; i <= population.NIND; ++i) {
    if (population.RACE[i] > 2 || population.IPAR1[i] != 0) continue;
    bool found = false;
    for (int32_t j = 1; j <= population.NIND && !found; ++j) {
      found = j != i && population.INI_ID[j] == population.INI_ID[i] && resolves(population, j);
    }
    if (!found) rows.push_back(i);
  }
  return rows;
}

}  // namespace pedpeel::testing
