#include "pedigree/families.h"

namespace pedpeel {

void Families::clear() {
  NFAM = 0;
  FAMLIST.assign(1, 0);
  FAMEND.assign(1, 0);
  FAMDONE.assign(1, 0);
}

void Families::add(int16_t first, int16_t second, std::span<const int16_t> children) {
  FAMLIST.push_back(first);
  FAMLIST.push_back(second);
  FAMLIST.insert(FAMLIST.end(), children.begin(), children.end());
  FAMEND.push_back(static_cast<int32_t>(FAMLIST.size()) - 1);
  FAMDONE.push_back(0);
  ++NFAM;
}

int32_t Families::untaken() const {
  int32_t count = 0;
  for (int32_t f = 1; f <= NFAM; ++f) count += FAMDONE[f] == 0;
  return count;
}

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

}  // namespace pedpeel
