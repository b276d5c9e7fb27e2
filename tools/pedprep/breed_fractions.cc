#include "tools/pedprep/breed_fractions.h"

#include <algorithm>

#include "records/limits.h"

namespace pedpeel::pedprep {

namespace {

int32_t root_of(std::vector<int32_t>& up, int32_t a) {
  while (up[static_cast<size_t>(a)] != a) {
    up[static_cast<size_t>(a)] = up[static_cast<size_t>(up[static_cast<size_t>(a)])];
    a = up[static_cast<size_t>(a)];
  }
  return a;
}

// The pedigree of each animal: the root of its group of animals joined by parent links.
std::vector<int32_t> pedigree_roots(const Animals& animals) {
  std::vector<int32_t> up(static_cast<size_t>(animals.count()));
  for (int32_t a = 0; a < animals.count(); ++a) up[static_cast<size_t>(a)] = a;
  for (int32_t a = 0; a < animals.count(); ++a) {
    for (int32_t parent :
         {animals.list[static_cast<size_t>(a)].sire, animals.list[static_cast<size_t>(a)].dam}) {
      if (parent < 0) continue;
      const int32_t x = root_of(up, a);
      const int32_t y = root_of(up, parent);
      if (x != y) up[static_cast<size_t>(std::max(x, y))] = std::min(x, y);
    }
  }
  for (int32_t a = 0; a < animals.count(); ++a) up[static_cast<size_t>(a)] = root_of(up, a);
  return up;
}

// The race bucket of a founder's race code: 0..columns - 1 for codes 1..columns, columns
// for a known code past them; -1 for a race the input does not give.
int32_t bucket_of(int8_t race, int32_t columns) {
  if (race < 1 || race > kMaxRaces) return -1;
  return std::min<int32_t>(race, columns + 1) - 1;
}

// The sum of the known-race founders' compositions and their count.
struct FounderMean {
  std::vector<double> sum;
  int64_t founders = 0;

  void add(int32_t bucket, size_t width) {
    if (sum.empty()) sum.assign(width, 0.0);
    sum[static_cast<size_t>(bucket)] += 1.0;
    ++founders;
  }
};

}  // namespace

Blood blood_from_rows(const InputTable& table, const Animals& animals) {
  Blood blood;
  blood.NRACE = table.fraction_count + 1;
  const size_t width = static_cast<size_t>(table.fraction_count);
  if (width == 0) return blood;
  blood.of_animal.assign(static_cast<size_t>(animals.count()) * width, 0.0f);
  for (int32_t a = 0; a < animals.count(); ++a) {
    const int32_t row = animals.list[static_cast<size_t>(a)].row;
    if (row < 0) continue;
    const float* fractions = table.fractions.data() + static_cast<size_t>(row) * width;
    std::copy(fractions, fractions + width, blood.of_animal.begin() + a * width);
  }
  return blood;
}

Blood blood_from_pedigree(const Animals& animals, const Races& races) {
  Blood blood;
  if (races.columns == 0) return blood;
  const int32_t columns = races.columns;
  // One bucket per column, and one for the rest of 1.
  const size_t width = static_cast<size_t>(columns) + 1;
  const size_t n = static_cast<size_t>(animals.count());
  std::vector<float> composition(n * width, 0.0f);

  const std::vector<int32_t> root = pedigree_roots(animals);
  std::vector<FounderMean> of_pedigree(n);
  FounderMean population;
  for (size_t a = 0; a < n; ++a) {
    const Animal& animal = animals.list[a];
    const int32_t bucket = bucket_of(animal.race, columns);
    if (animal.sire >= 0 || bucket < 0) continue;
    of_pedigree[static_cast<size_t>(root[a])].add(bucket, width);
    population.add(bucket, width);
  }

  // Parents before offspring: a walk up the parent links from each animal not yet done.
  std::vector<bool> done(n, false);
  std::vector<int32_t> walk;
  for (int32_t start = 0; start < animals.count(); ++start) {
    if (done[static_cast<size_t>(start)]) continue;
    walk.push_back(start);
    while (!walk.empty()) {
      const size_t a = static_cast<size_t>(walk.back());
      if (done[a]) {  // put on the walk twice, by two of its offspring
        walk.pop_back();
        continue;
      }
      const Animal& animal = animals.list[a];
      float* own = composition.data() + a * width;
      if (animal.sire >= 0) {
        const size_t sire = static_cast<size_t>(animal.sire);
        const size_t dam = static_cast<size_t>(animal.dam);
        if (!done[sire] || !done[dam]) {
          if (!done[sire]) walk.push_back(animal.sire);
          if (!done[dam]) walk.push_back(animal.dam);
          continue;
        }
        for (size_t j = 0; j < width; ++j) {
          own[j] = (composition[sire * width + j] + composition[dam * width + j]) / 2;
        }
      } else if (const int32_t bucket = bucket_of(animal.race, columns); bucket >= 0) {
        own[bucket] = 1.0f;
      } else {
        const FounderMean& mean = of_pedigree[static_cast<size_t>(root[a])].founders > 0
                                      ? of_pedigree[static_cast<size_t>(root[a])]
                                      : population;
        for (size_t j = 0; j < width && mean.founders > 0; ++j) {
          own[j] = static_cast<float>(mean.sum[j] / static_cast<double>(mean.founders));
        }
      }
      done[a] = true;
      walk.pop_back();
    }
  }

  blood.NRACE = columns + 1;
  blood.of_animal.resize(n * static_cast<size_t>(columns));
  for (size_t a = 0; a < n; ++a) {
    std::copy_n(composition.begin() + static_cast<std::ptrdiff_t>(a * width), columns,
                blood.of_animal.begin() + static_cast<std::ptrdiff_t>(a) * columns);
  }
  return blood;
}

}  // namespace pedpeel::pedprep
