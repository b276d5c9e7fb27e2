#include "pedigree/row_index.h"

namespace pedpeel {

void IndexedRowLookup::index_pedigree(const Population& population, int pedigree) {
  row_by_id_.clear();
  for (int32_t i = population.KEND[pedigree - 1] + 1; i <= population.KEND[pedigree]; ++i) {
    int32_t& row = row_by_id_.at(population.ID[i]);
    if (row == 0) row = i;  // the first row with the ID wins
  }
}

}  // namespace pedpeel
