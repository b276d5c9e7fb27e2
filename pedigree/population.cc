#include "pedigree/population.h"

namespace pedpeel {

void Population::reserve_rows(int32_t rows) {
  const std::size_t size = static_cast<size_t>(rows < 1 ? 1 : rows) + 1;
  if (ID.size() >= size) return;
  IPED.resize(size);
  ID.resize(size);
  IPAR1.resize(size);
  IPAR2.resize(size);
  RACE.resize(size);
  SEX.resize(size);
  INI_ID.resize(size, IniId{});
  BLOOD.resize(size, Fractions{});
}

Population population_of(std::span<const IndividualRecord> records, int32_t NRACE) {
  Population population;
  population.NIND = static_cast<int32_t>(records.size());
  population.NRACE = NRACE;
  population.reserve_rows(population.NIND);
  for (int32_t i = 1; i <= population.NIND; ++i) {
    const IndividualRecord& record = records[i - 1];
    population.IPED[i] = record.IPED;
    population.ID[i] = record.ID;
    population.IPAR1[i] = record.IPAR1;
    population.IPAR2[i] = record.IPAR2;
    population.RACE[i] = record.RACE;
    population.SEX[i] = record.SEX;
    population.INI_ID[i] = record.INI_ID;
    population.BLOOD[i] = record.BLOOD;
  }
  group_pedigrees(population);
  return population;
}

void group_pedigrees(Population& population) {
  population.reserve_rows(population.NIND);
  std::vector<int16_t>& KEND = population.KEND;
  KEND.assign(2, 0);
  KEND[1] = 1;
  int32_t NPED = 1;
  for (int32_t i = 2; i <= population.NIND; ++i) {
    if (population.IPED[i] != population.IPED[i - 1]) {
      ++NPED;
      KEND.push_back(static_cast<int16_t>(KEND[NPED - 1] + 1));
    } else {
      ++KEND[NPED];
    }
  }
  population.NPED = static_cast<int16_t>(NPED);
}

}  // namespace pedpeel
