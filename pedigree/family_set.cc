#include "pedigree/family_set.h"

#include <bit>

namespace pedpeel {

void FamilySet::reset(int32_t nfam) {
  const size_t words = word(nfam < 0 ? 0 : nfam) + 1;
  bits_.assign(words, 0);
  summary_.assign((words >> 6) + 1, 0);
}

void FamilySet::insert(int32_t f) {
  bits_[word(f)] |= uint64_t{1} << bit(f);
  summary_[word(f) >> 6] |= uint64_t{1} << (word(f) & 63);
}

void FamilySet::erase(int32_t f) {
  uint64_t& bits = bits_[word(f)];
  bits &= ~(uint64_t{1} << bit(f));
  if (bits == 0) summary_[word(f) >> 6] &= ~(uint64_t{1} << (word(f) & 63));
}

int32_t FamilySet::next_from(int32_t f) const {
  if (f < 0) f = 0;
  size_t w = word(f);
  if (w >= bits_.size()) return 0;
  // Rest of the first word.
  const uint64_t here = bits_[w] & (~uint64_t{0} << bit(f));
  if (here != 0)
    return static_cast<int32_t>((w << 6) + static_cast<size_t>(std::countr_zero(here)));
  // Later words, found through the summary.
  ++w;
  size_t s = w >> 6;
  if (s >= summary_.size()) return 0;
  uint64_t summary = summary_[s] & (~uint64_t{0} << (w & 63));
  for (;;) {
    if (summary != 0) {
      const size_t found = (s << 6) + static_cast<size_t>(std::countr_zero(summary));
      return static_cast<int32_t>((found << 6) +
                                  static_cast<size_t>(std::countr_zero(bits_[found])));
    }
    if (++s >= summary_.size()) return 0;
    summary = summary_[s];
  }
}

}  // namespace pedpeel
