#include "export/origin_check.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

namespace pedpeel {

namespace {

// A race above 2 after the recode is a known race.
bool race_known(const Population& population, int32_t row) {
  return population.RACE[row] > 2;
}

// A row that tells the race of its INI_ID: it has parents or a known race.
bool resolves(const Population& population, int32_t row) {
  return population.IPAR1[row] != 0 || race_known(population, row);
}

std::string_view ini_id(const Population& population, int32_t row) {
  return {population.INI_ID[row].data(), population.INI_ID[row].size()};
}

// The distinct INI_IDs of a set of rows, each with a flag, in an open-addressing table of
// row numbers sized to twice the rows it may hold.
class IniIdTable {
 public:
  IniIdTable(const Population& population, size_t rows) : population_(population) {
    size_t capacity = 16;
    while (capacity < 2 * rows) capacity *= 2;
    rows_.assign(capacity, 0);
    flags_.assign(capacity, 0);
  }
  /// The slot of the row's INI_ID, taken by the row when the INI_ID is new.
  size_t insert(int32_t row) {
    size_t slot = find(row);
    if (rows_[slot] == 0) rows_[slot] = row;
    return slot;
  }
  /// The slot of the row's INI_ID, or nullopt when it is not in the table.
  std::optional<size_t> lookup(int32_t row) const {
    const size_t slot = find(row);
    if (rows_[slot] == 0) return std::nullopt;
    return slot;
  }
  uint8_t& flag(size_t slot) { return flags_[slot]; }

 private:
  size_t find(int32_t row) const {
    const IniId& key = population_.INI_ID[row];
    const auto [head, tail] = words(key);
    // Every byte of the key reaches every bit of the hash: INI_IDs that differ only in
    // their last characters (numbered ones) spread over the table.
    uint64_t hash = head ^ (uint64_t{tail} * 0x9E3779B97F4A7C15ull);
    hash = (hash ^ (hash >> 30)) * 0xBF58476D1CE4E5B9ull;
    hash = (hash ^ (hash >> 27)) * 0x94D049BB133111EBull;
    hash ^= hash >> 31;
    const size_t mask = rows_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      if (rows_[slot] == 0 || words(population_.INI_ID[rows_[slot]]) == words(key)) return slot;
    }
  }

  // The 12 characters as two words, to hash and compare without a call.
  static_assert(sizeof(IniId) == 12);
  static std::pair<uint64_t, uint32_t> words(const IniId& key) {
    uint64_t head;
    uint32_t tail;
    std::memcpy(&head, key.data(), sizeof head);
    std::memcpy(&tail, key.data() + sizeof head, sizeof tail);
    return {head, tail};
  }

  const Population& population_;
  std::vector<int32_t> rows_;  // a row holding the slot's INI_ID, 0 for a free slot
  std::vector<uint8_t> flags_;
};

}  // namespace

std::vector<int32_t> unresolved_founders(const Population& population) {
  // The candidates' INI_IDs, then one pass over the rows that resolve: a candidate never
  // resolves its own INI_ID, so "another row" needs no exclusion.
  std::vector<int32_t> candidates;
  for (int32_t i = 1; i <= population.NIND; ++i) {
    if (!resolves(population, i)) candidates.push_back(i);
  }
  if (candidates.empty()) return candidates;
  IniIdTable table(population, candidates.size());
  for (int32_t i : candidates) table.insert(i);
  for (int32_t j = 1; j <= population.NIND; ++j) {
    if (!resolves(population, j)) continue;
    if (const auto slot = table.lookup(j)) table.flag(*slot) = 1;
  }
  std::erase_if(candidates, [&](int32_t i) { return table.flag(*table.lookup(i)) != 0; });
  return candidates;
}

void run_origin_check(Console& console, const Population& population) {
  for (int32_t row : unresolved_founders(population)) {
    console.console_begin();
    console.console_item(ini_id(population, row));
    console.console_end();
  }
}

}  // namespace pedpeel
