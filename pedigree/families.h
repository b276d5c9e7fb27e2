// The nuclear families of the pedigree being processed: their member lists, one after the
// other in FAMLIST, and which of them have been taken.
#ifndef PEDPEEL_PEDIGREE_FAMILIES_H_
#define PEDPEEL_PEDIGREE_FAMILIES_H_

#include <cstdint>
#include <span>
#include <vector>

#include "pedigree/population.h"

namespace pedpeel {

// Families are numbered f = 1..NFAM in the order of the first row of each parent pair.
// Family f occupies FAMLIST[FAMEND[f-1]+1 .. FAMEND[f]]: first parent, second parent, then
// its children in row order. Members are ID values, never rows. Index 0 is unused.
struct Families {
  int32_t NFAM = 0;
  std::vector<int16_t> FAMLIST{0};
  std::vector<int32_t> FAMEND{0};
  std::vector<uint8_t> FAMDONE{0};  // 1 once the family has been taken

  int32_t start(int32_t f) const { return FAMEND[f - 1] + 1; }
  int32_t end(int32_t f) const { return FAMEND[f]; }
  int32_t length(int32_t f) const { return FAMEND[f] - FAMEND[f - 1]; }
  int16_t first_parent(int32_t f) const { return FAMLIST[start(f)]; }
  int16_t second_parent(int32_t f) const { return FAMLIST[start(f) + 1]; }
  bool taken(int32_t f) const { return FAMDONE[f] != 0; }
  std::span<const int16_t> members(int32_t f) const {
    return {FAMLIST.data() + start(f), static_cast<size_t>(length(f))};
  }
  std::span<const int16_t> children(int32_t f) const { return members(f).subspan(2); }

  void clear();
  /// Appends a family with the pair (first, second) and its children.
  void add(int16_t first, int16_t second, std::span<const int16_t> children);
  /// Number of families not yet taken.
  int32_t untaken() const;
};

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_FAMILIES_H_
