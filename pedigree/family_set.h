// A set of family numbers 1..NFAM that finds the next member at or after a number quickly:
// a bit per family and a summary bit per word of family bits. The passes keep their
// "may be taken" families in one and walk it upward in family order.
#ifndef PEDPEEL_PEDIGREE_FAMILY_SET_H_
#define PEDPEEL_PEDIGREE_FAMILY_SET_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pedpeel {

class FamilySet {
 public:
  /// Empties the set and sizes it for families 1..nfam.
  void reset(int32_t nfam);
  void insert(int32_t f);
  void erase(int32_t f);
  bool contains(int32_t f) const { return (bits_[word(f)] >> bit(f)) & 1; }
  /// The smallest member >= f, or 0 when there is none.
  int32_t next_from(int32_t f) const;

 private:
  static size_t word(int32_t f) { return static_cast<size_t>(f) >> 6; }
  static unsigned bit(int32_t f) { return static_cast<unsigned>(f) & 63; }

  std::vector<uint64_t> bits_;     // bit f: family f is in the set
  std::vector<uint64_t> summary_;  // bit w: bits_[w] is not zero
};

}  // namespace pedpeel

#endif  // PEDPEEL_PEDIGREE_FAMILY_SET_H_
