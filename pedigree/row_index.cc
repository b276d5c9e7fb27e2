#include "pedigree/row_index.h"

namespace pedpeel {

IndexedRowLookup::IndexedRowLookup() : row_by_id_(size_t{1} << 16, 0) {}

void IndexedRowLookup::index_pedigree(const Population& population, int pedigree) {
  for (int16_t id : indexed_) row_by_id_[slot(id)] = 0;
  indexed_.clear();
  for (int32_t i = population.KEND[pedigree - 1] + 1; i <= population.KEND[pedigree]; ++i) {
    int32_t& row = row_by_id_[slot(population.ID[i])];
    if (row != 0) continue;  // the first row with the ID wins
    row = i;
    indexed_.push_back(population.ID[i]);
  }
}

}  // namespace pedpeel
