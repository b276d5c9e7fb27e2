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

}  // namespace pedpeel
