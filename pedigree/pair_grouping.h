// Family grouping through an index of parent pairs: one pass over the rows finds every
// pair's family, a second pass lays the member lists out in FAMLIST. Gives the same
// families, in the same order and with the same lists, as group_families.
#ifndef PEDPEEL_PEDIGREE_PAIR_GROUPING_H_
#define PEDPEEL_PEDIGREE_PAIR_GROUPING_H_

#include <cstdint>
#include <vector>

#include "pedigree/families.h"
#include "pedigree/population.h"

namespace pedpeel {

/// Groups rows first_row..last_row: families numbered in the order of the first row of
/// each ordered pair (IPAR1, IPAR2) with IPAR1 != 0, children in row order.
void group_families_by_pair(const Population& population, int32_t first_row, int32_t last_row,
                            Families& families);

/// The same grouping, keeping its working tables from one call to the next: an engine that
/// groups every pedigree of a population in turn allocates them once.
class PairGrouping {
 public:
  void group(const Population& population, int32_t first_row, int32_t last_row, Families& families);

 private:
  // Family numbers by parent pair: open addressing over twice as many slots as rows. A
  // first parent is never 0, so key 0 marks a free slot.
  class PairTable {
   public:
    void reset(int32_t rows);
    /// The family of the pair; `next` (which it then becomes) when the pair is new.
    int32_t family_of(uint32_t key, int32_t next, bool* added);

   private:
    std::vector<uint32_t> keys_;
    std::vector<int32_t> families_;
  };

  std::vector<int32_t> family_of_row_;  // by row of the pedigree, from 0
  std::vector<int32_t> children_;       // by family
  std::vector<int32_t> next_place_;     // by family: its next free child place in FAMLIST
  PairTable family_of_pair_;
};

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_PAIR_GROUPING_H_
