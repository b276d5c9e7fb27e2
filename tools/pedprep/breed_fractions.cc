#include "tools/pedprep/breed_fractions.h"

#include <algorithm>

#include "records/limits.h"

namespace pedpeel::pedprep {

namespace {

// The race column of a founder's race code: 0..columns - 1 for codes 1..columns; -1 for
// a known code past them (in none of the columns) and for a race the input does not give.
int32_t column_of(int8_t race, int32_t columns) {
  return race >= 1 && race <= columns ? race - 1 : -1;
}

// How many members ahead the pass over a pedigree fetches a member.
constexpr size_t kAhead = 8;

bool is_known(int8_t race) {
  return race >= 1 && race <= kMaxRaces;
}

}  // namespace

Blood blood_from_rows(const InputTable& table, const Animals& animals) {
  Blood blood;
  blood.NRACE = table.fraction_count + 1;
  const size_t width = static_cast<size_t>(table.fraction_count);
  if (width == 0) return blood;
  blood.of_animal.assign(static_cast<size_t>(animals.count()) * width, 0.0f);
  for (int32_t a = 0; a < animals.count(); ++a) {
    const int32_t row = animals.row_of(a);
    if (row < 0) continue;
    const float* fractions = table.fractions.data() + static_cast<size_t>(row) * width;
    std::copy(fractions, fractions + width, blood.of_animal.begin() + a * width);
  }
  return blood;
}

Blood blood_from_pedigree(const Animals& animals, const Pedigrees& pedigrees, const Races& races) {
  Blood blood;
  if (races.columns == 0) return blood;
  const int32_t columns = races.columns;
  const size_t width = static_cast<size_t>(columns);
  const size_t n = static_cast<size_t>(animals.count());
  blood.NRACE = columns + 1;
  blood.of_animal.assign(n * width, 0.0f);
  float* const fractions = blood.of_animal.data();

  // The known-race founders of each pedigree and of the population: their count, and how
  // many of them are of each column's race.
  const size_t population = pedigrees.list.size();
  std::vector<int32_t> founders(population + 1, 0);
  std::vector<int32_t> of_race((population + 1) * width, 0);
  for (size_t a = 0; a < n; ++a) {
    const Animal& animal = animals.list[a];
    if (animal.sire >= 0 || !is_known(animal.race)) continue;
    const int32_t column = column_of(animal.race, columns);
    for (size_t group : {static_cast<size_t>(pedigrees.pedigree_of[a]), population}) {
      ++founders[group];
      if (column >= 0) ++of_race[group * width + static_cast<size_t>(column)];
    }
  }

  // The members of each pedigree come parents first.
  for (size_t p = 0; p < pedigrees.list.size(); ++p) {
    const Pedigree& pedigree = pedigrees.list[p];
    const size_t group = founders[p] > 0 ? p : population;
    for (int32_t k = pedigree.first; k < pedigree.first + pedigree.rows; ++k) {
      // The members lie anywhere among the animals: fetch them ahead.
      if (static_cast<size_t>(k) + kAhead < pedigrees.members.size()) {
        const size_t ahead =
            static_cast<size_t>(pedigrees.members[static_cast<size_t>(k) + kAhead]);
        __builtin_prefetch(&animals.list[ahead]);
        __builtin_prefetch(fractions + ahead * width, 1);
      }
      const size_t a = static_cast<size_t>(pedigrees.members[static_cast<size_t>(k)]);
      const Animal& animal = animals.list[a];
      float* own = fractions + a * width;
      if (animal.sire >= 0) {
        const float* sire = fractions + static_cast<size_t>(animal.sire) * width;
        const float* dam = fractions + static_cast<size_t>(animal.dam) * width;
        for (size_t j = 0; j < width; ++j) own[j] = (sire[j] + dam[j]) / 2;
      } else if (is_known(animal.race)) {
        const int32_t column = column_of(animal.race, columns);
        if (column >= 0) own[column] = 1.0f;
      } else if (founders[group] > 0) {
        for (size_t j = 0; j < width; ++j) {
          own[j] =
              static_cast<float>(of_race[group * width + j]) / static_cast<float>(founders[group]);
        }
      }
    }
  }
  return blood;
}

}  // namespace pedpeel::pedprep
