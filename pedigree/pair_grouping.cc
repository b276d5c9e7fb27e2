#include "pedigree/pair_grouping.h"

#include <vector>

namespace pedpeel {

namespace {

uint32_t pair_key(int16_t first, int16_t second) {
  return (uint32_t{static_cast<uint16_t>(first)} << 16) | static_cast<uint16_t>(second);
}

}  // namespace

void PairGrouping::PairTable::reset(int32_t rows) {
  size_t capacity = 16;
  while (capacity < 2 * static_cast<size_t>(rows)) capacity *= 2;
  keys_.assign(capacity, 0);
  families_.resize(capacity);
}

int32_t PairGrouping::PairTable::family_of(uint32_t key, int32_t next, bool* added) {
  const size_t mask = keys_.size() - 1;
  size_t slot = (key * 0x9E3779B1u) & mask;
  while (keys_[slot] != 0 && keys_[slot] != key) slot = (slot + 1) & mask;
  *added = keys_[slot] == 0;
  if (*added) {
    keys_[slot] = key;
    families_[slot] = next;
  }
  return families_[slot];
}

void PairGrouping::group(const Population& population, int32_t first_row, int32_t last_row,
                         Families& families) {
  const int32_t n = last_row >= first_row ? last_row - first_row + 1 : 0;
  // Family of each row (0 for a row without known parents) and children per family.
  family_of_row_.assign(n, 0);
  children_.assign(1, 0);
  family_of_pair_.reset(n);
  for (int32_t j = 0; j < n; ++j) {
    const int32_t g = first_row + j;
    if (population.IPAR1[g] == 0) continue;
    bool added = false;
    const int32_t f = family_of_pair_.family_of(pair_key(population.IPAR1[g], population.IPAR2[g]),
                                                static_cast<int32_t>(children_.size()), &added);
    if (added) children_.push_back(0);
    family_of_row_[j] = f;
    ++children_[f];
  }

  const int32_t NFAM = static_cast<int32_t>(children_.size()) - 1;
  families.NFAM = NFAM;
  families.FAMEND.assign(NFAM + 1, 0);
  families.FAMDONE.assign(NFAM + 1, 0);
  for (int32_t f = 1; f <= NFAM; ++f) {
    families.FAMEND[f] = families.FAMEND[f - 1] + children_[f] + 2;
  }
  families.FAMLIST.assign(families.FAMEND[NFAM] + 1, 0);
  // Next free child place of each family; its parents go in when its first child does.
  next_place_.assign(NFAM + 1, 0);
  for (int32_t f = 1; f <= NFAM; ++f) next_place_[f] = families.start(f) + 2;
  for (int32_t j = 0; j < n; ++j) {
    const int32_t f = family_of_row_[j];
    if (f == 0) continue;
    const int32_t g = first_row + j;
    int32_t& place = next_place_[f];
    if (place == families.start(f) + 2) {
      families.FAMLIST[families.start(f)] = population.IPAR1[g];
      families.FAMLIST[families.start(f) + 1] = population.IPAR2[g];
    }
    families.FAMLIST[place++] = population.ID[g];
  }
}

void group_families_by_pair(const Population& population, int32_t first_row, int32_t last_row,
                            Families& families) {
  PairGrouping grouping;
  grouping.group(population, first_row, last_row, families);
}

}  // namespace pedpeel
