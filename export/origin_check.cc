#include "export/origin_check.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "records/limits.h"

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

// The distinct INI_IDs of a set of rows, each with a flag, in an open-addressing table sized
// to twice the rows it may hold. A slot keeps 16 bits of its INI_ID's hash beside its row,
// so a probe reads the INI_ID of the slot's row only when those bits match: the table stays
// small and the probes rarely leave it.
class IniIdTable {
 public:
  IniIdTable(const Population& population, size_t rows) : population_(population) {
    size_t capacity = 16;
    while (capacity < 2 * rows) capacity *= 2;
    slots_.assign(capacity, Slot{});
    flags_.assign(capacity, 0);
  }
  /// The slot of the row's INI_ID, taken by the row when the INI_ID is new.
  size_t insert(int32_t row) {
    const Key key = key_of(row);
    const size_t slot = find(key);
    if (slots_[slot].row == 0) slots_[slot] = {key.tag, static_cast<uint16_t>(row)};
    return slot;
  }
  /// The slot of the row's INI_ID, or nullopt when it is not in the table.
  std::optional<size_t> lookup(int32_t row) const {
    const size_t slot = find(key_of(row));
    if (slots_[slot].row == 0) return std::nullopt;
    return slot;
  }
  uint8_t& flag(size_t slot) { return flags_[slot]; }

 private:
  static_assert(kMaxIndividuals <= UINT16_MAX, "a slot holds a row in 16 bits");
  struct Slot {
    uint16_t tag = 0;  // the top 16 bits of the hash of the INI_ID
    uint16_t row = 0;  // a row holding the slot's INI_ID, 0 for a free slot
  };
  // An INI_ID as two words, to hash and compare without a call, with its hash.
  struct Key {
    uint64_t head;
    uint32_t tail;
    uint64_t hash;
    uint16_t tag;
  };

  Key key_of(int32_t row) const {
    Key key;
    words(population_.INI_ID[row], &key.head, &key.tail);
    // Every byte of the key reaches every bit of the hash: INI_IDs that differ only in
    // their last characters (numbered ones) spread over the table.
    uint64_t hash = key.head ^ (uint64_t{key.tail} * 0x9E3779B97F4A7C15ull);
    hash = (hash ^ (hash >> 30)) * 0xBF58476D1CE4E5B9ull;
    hash = (hash ^ (hash >> 27)) * 0x94D049BB133111EBull;
    key.hash = hash ^ (hash >> 31);
    key.tag = static_cast<uint16_t>(key.hash >> 48);
    return key;
  }

  size_t find(const Key& key) const {
    const size_t mask = slots_.size() - 1;
    for (size_t slot = key.hash & mask;; slot = (slot + 1) & mask) {
      const Slot& here = slots_[slot];
      if (here.row == 0) return slot;
      if (here.tag == key.tag) {
        uint64_t head;
        uint32_t tail;
        words(population_.INI_ID[here.row], &head, &tail);
        if (head == key.head && tail == key.tail) return slot;
      }
    }
  }

  static_assert(sizeof(IniId) == 12);
  static void words(const IniId& id, uint64_t* head, uint32_t* tail) {
    std::memcpy(head, id.data(), sizeof *head);
    std::memcpy(tail, id.data() + sizeof *head, sizeof *tail);
  }

  const Population& population_;
  std::vector<Slot> slots_;
  std::vector<uint8_t> flags_;
};

}  // namespace

std::vector<int32_t> unresolved_founders(const Population& population) {
  // A candidate never resolves its own INI_ID, so "another row" needs no exclusion: a
  // candidate is unresolved when no row that resolves shares its INI_ID. The table holds
  // the INI_IDs of the smaller of the two sets; the rows of the other are looked up in it.
  std::vector<int32_t> candidates;
  for (int32_t i = 1; i <= population.NIND; ++i) {
    if (!resolves(population, i)) candidates.push_back(i);
  }
  const size_t resolving = static_cast<size_t>(population.NIND) - candidates.size();
  if (candidates.empty() || resolving == 0) return candidates;
  std::vector<int32_t> unresolved;
  if (resolving < candidates.size()) {
    IniIdTable table(population, resolving);
    for (int32_t j = 1; j <= population.NIND; ++j) {
      if (resolves(population, j)) table.insert(j);
    }
    for (int32_t row : candidates) {
      if (!table.lookup(row)) unresolved.push_back(row);
    }
    return unresolved;
  }
  IniIdTable table(population, candidates.size());
  std::vector<size_t> slot_of(candidates.size());  // the slot of each candidate's INI_ID
  for (size_t k = 0; k < candidates.size(); ++k) slot_of[k] = table.insert(candidates[k]);
  for (int32_t j = 1; j <= population.NIND; ++j) {
    if (!resolves(population, j)) continue;
    if (const auto slot = table.lookup(j)) table.flag(*slot) = 1;
  }
  for (size_t k = 0; k < candidates.size(); ++k) {
    if (table.flag(slot_of[k]) == 0) unresolved.push_back(candidates[k]);
  }
  return unresolved;
}

void run_origin_check(Console& console, const Population& population) {
  for (int32_t row : unresolved_founders(population)) {
    console.console_begin();
    console.console_item(ini_id(population, row));
    console.console_end();
  }
}

}  // namespace pedpeel
