// Member lookup through an index of the pedigree's IDs: built once per pedigree, then each
// lookup is one table read.
#ifndef PEDPEEL_PEDIGREE_ROW_INDEX_H_
#define PEDPEEL_PEDIGREE_ROW_INDEX_H_

#include <cstdint>

#include "pedigree/family_records.h"
#include "pedigree/id_table.h"
#include "pedigree/population.h"

namespace pedpeel {

// Finds the first row of the pedigree with a given ID, like LinearRowLookup.
class IndexedRowLookup : public RowLookup {
 public:
  /// Indexes the rows of pedigree p (forgetting the pedigree indexed before).
  void index_pedigree(const Population& population, int pedigree);
  int32_t row_of(int16_t id) const override { return row_by_id_[id]; }

 private:
  IdTable<int32_t> row_by_id_;  // first row, 0 for none
};

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_ROW_INDEX_H_
