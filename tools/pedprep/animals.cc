#include "tools/pedprep/animals.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <string>

#include "tools/pedinfo/ids_tsv.h"
#include "tools/pedprep/mend.h"

namespace pedpeel::pedprep {

namespace {

uint64_t hash_bytes(std::string_view text, uint64_t seed) {
  uint64_t hash = seed ^ (text.size() * 0x9E3779B97F4A7C15ull);
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 32;
  }
  // The last bytes: when the id is 8 bytes or more, as the word that ends it, shifted so
  // that only the bytes not yet taken are left (one fixed load instead of a copy by length).
  uint64_t tail = 0;
  const size_t left = text.size() - i;
  if (left > 0 && i > 0) {
    std::memcpy(&tail, text.data() + text.size() - 8, 8);
    tail >>= 8 * (8 - left);
  } else if (left > 0) {
    std::memcpy(&tail, text.data(), left);
  }
  hash = (hash ^ tail) * 0xC4CEB9FE1A85EC53ull;
  return hash ^ (hash >> 29);
}

// Animals by (scope, id): the scope is the family for a .fam file, empty otherwise. Open
// addressing over a table half again as large as the keys expected, kept at most 70% full,
// of 16-byte slots, four to a cache line and none across two: the smaller the table, the
// more of it the cache holds. A slot holds an id of up to 12 bytes itself, so that
// comparing keys reads no more than the slot, and the animal table only for a .fam's
// family. Lookups visit the table in no order: a caller that knows its next keys
// prefetches their slots a few keys ahead. The ids are views into the input,
// Animals::text, and are UTF-8 (read_table refuses any other text).
class IdIndex {
 public:
  IdIndex(const Animals& animals, bool scoped, size_t expected)
      : animals_(animals), scoped_(scoped) {
    slots_.assign(std::max<size_t>(16, expected + expected / 2), Slot{});
  }

  uint64_t hash_of(std::string_view scope, std::string_view id) const {
    return hash_bytes(id, scoped_ ? hash_bytes(scope, 0x5bd1e995) : 0);
  }

  void prefetch(uint64_t hash) const { __builtin_prefetch(&slots_[home(hash)]); }

  /// The animal with this id in this scope, or -1.
  int32_t find(std::string_view scope, std::string_view id, uint64_t hash) const {
    const Key key = key_of(id, hash);
    for (size_t s = home(hash);; s = next(s)) {
      const Slot& slot = slots_[s];
      if (slot.animal < 0) return -1;
      if (matches(slot, key, scope, id)) return slot.animal;
    }
  }

  /// Adds `animal` under (scope, id) unless the id is taken in its scope; returns the
  /// animal holding the id. `id` must stay where it is while the index is in use.
  int32_t insert(int32_t animal, std::string_view scope, std::string_view id, uint64_t hash) {
    if (10 * (used_ + 1) > 7 * slots_.size()) grow();
    const Key key = key_of(id, hash);
    for (size_t s = home(hash);; s = next(s)) {
      Slot& slot = slots_[s];
      if (slot.animal < 0) {
        slot.head = key.head;
        slot.tail = key.tail;
        slot.animal = animal;
        ++used_;
        return animal;
      }
      if (matches(slot, key, scope, id)) return slot.animal;
    }
  }

 private:
  // An id of up to 12 bytes, padded with 0xFF: UTF-8 never holds that byte, so no two ids
  // have the same key. A longer id: 0xFF, three bytes of its hash and its place in the
  // input (a TextSpan); only their bytes tell two such ids apart.
  struct Key {
    uint64_t head;  // bytes 0 to 7, the first in memory lowest
    uint32_t tail;  // bytes 8 to 11
  };
  static constexpr size_t kShortId = 12;
  static constexpr uint64_t kLongMark = 0xFF;

  struct alignas(16) Slot {
    uint64_t head = 0;    // of the key
    uint32_t tail = 0;    // of the key
    int32_t animal = -1;  // -1: a free slot
  };
  static_assert(sizeof(Slot) == 16);

  Key key_of(std::string_view id, uint64_t hash) const {
    static_assert(std::endian::native == std::endian::little);
    const size_t n = id.size();
    if (n > kShortId) {
      const auto offset = static_cast<uint64_t>(id.data() - animals_.text);
      return {kLongMark | (hash >> 40) << 8 | offset << 32, static_cast<uint32_t>(n)};
    }
    char bytes[16];
    std::memset(bytes, 0xFF, sizeof bytes);
    // Two fixed loads that may overlap rather than a copy by length: ids of 4 to 12 bytes
    // are nearly all ids.
    if (n >= 8) {
      std::memcpy(bytes, id.data(), 8);
      std::memcpy(bytes + n - 4, id.data() + n - 4, 4);
    } else if (n >= 4) {
      std::memcpy(bytes, id.data(), 4);
      std::memcpy(bytes + n - 4, id.data() + n - 4, 4);
    } else if (n > 0) {
      std::memcpy(bytes, id.data(), n);
    }
    Key key;
    std::memcpy(&key.head, bytes, 8);
    std::memcpy(&key.tail, bytes + 8, 4);
    return key;
  }

  // The place in the input of the long id of a slot.
  static TextSpan long_place(const Slot& slot) {
    return {static_cast<uint32_t>(slot.head >> 32), slot.tail};
  }

  // The first slot to look at for a key: the low half of its hash scaled to the table (of
  // fewer than 2^32 slots).
  size_t home(uint64_t hash) const {
    return static_cast<size_t>((hash & 0xFFFFFFFF) * slots_.size() >> 32);
  }
  size_t next(size_t s) const { return s + 1 == slots_.size() ? 0 : s + 1; }

  bool matches(const Slot& slot, const Key& key, std::string_view scope,
               std::string_view id) const {
    bool same_id;
    if ((key.head & 0xFF) != kLongMark) {
      same_id = slot.head == key.head && slot.tail == key.tail;
    } else {
      same_id = (slot.head & 0xFFFFFFFF) == (key.head & 0xFFFFFFFF) &&
                animals_.text_of(long_place(slot)) == id;
    }
    return same_id && (!scoped_ || animals_.family(slot.animal) == scope);
  }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.size() * 2, Slot{});
    for (const Slot& slot : old) {
      if (slot.animal < 0) continue;
      const Animal& animal = animals_.list[static_cast<size_t>(slot.animal)];
      const uint64_t hash = hash_of(animals_.family(animal), animals_.original(animal));
      size_t s = home(hash);
      while (slots_[s].animal >= 0) s = next(s);
      slots_[s] = slot;
    }
  }

  const Animals& animals_;
  bool scoped_;
  std::vector<Slot> slots_;
  size_t used_ = 0;
};

// How many keys ahead a pass prefetches the index's slots.
constexpr size_t kPrefetchAhead = 16;

int32_t add_animal(Animals& animals, TextSpan original, TextSpan family, int8_t sex, int8_t race,
                   uint32_t line, Source source) {
  Animal& animal = animals.list.emplace_back();
  animal.original = original;
  animal.family = family;
  animal.sex = sex;
  animal.race = race;
  animal.line = line;
  animal.source = source;
  return animals.count() - 1;
}

std::string family_text(std::string_view family) {
  return "family " + quoted(family);
}

constexpr int kSireRole = 0;
constexpr int kDamRole = 1;
constexpr const char* kRoleName[] = {"sire", "dam"};

}  // namespace

std::string_view source_name(Source source) {
  switch (source) {
    case Source::kRow:
      return ids_tsv::kSourceRow;
    case Source::kParent:
      return ids_tsv::kSourceParent;
    case Source::kAdded:
      return ids_tsv::kSourceAdded;
    case Source::kCopy:
      return ids_tsv::kSourceCopy;
  }
  return "";
}

std::string animal_name(const Animals& animals, int32_t animal) {
  const size_t i = static_cast<size_t>(animal);
  if (animals.list[i].source == Source::kAdded) {
    return std::string("(added ") + (animals.list[i].sex == 1 ? "sire" : "dam") + " of line " +
           std::to_string(animals.list[i].line) + ")";
  }
  return quoted(animals.original(animal));
}

namespace {

// Makes an animal of each row, each id once, and finds the parents of each, adding a
// founder for a parent named only as a parent. Returns the number of row animals. The
// index of the ids is gone on return, and its memory free for the tables to come.
int32_t find_parents(const InputTable& table, Animals& animals, Report& report, Repairs* repairs,
                     bool parents_across_families) {
  const size_t rows = table.rows.size();
  animals.text = table.text.data();
  const size_t expected = rows + rows / 8 + 16;
  // Room as well for as many copies (reserve_copies, cutting.h): the table is filled where
  // it is, never moved, and the room's pages are taken only as the animals come.
  animals.list.reserve(2 * expected + expected / 64 + 1024);
  IdIndex index(animals, table.ids_within_family, expected);

  // The rows, each id once.
  auto scope_of = [&](const InputRow& row) {
    return table.ids_within_family ? table.text_of(row.family) : std::string_view();
  };
  // hashes[k % kPrefetchAhead]: the hash of key k, computed (and its slot prefetched) that
  // many keys ahead of its use.
  uint64_t hashes[kPrefetchAhead];
  auto row_hash = [&](size_t r) {
    return index.hash_of(scope_of(table.rows[r]), table.text_of(table.rows[r].id));
  };
  for (size_t r = 0; r < rows && r < kPrefetchAhead; ++r) hashes[r] = row_hash(r);
  for (size_t r = 0; r < rows; ++r) {
    const uint64_t hash = hashes[r % kPrefetchAhead];
    if (r + kPrefetchAhead < rows) {
      hashes[r % kPrefetchAhead] = row_hash(r + kPrefetchAhead);
      index.prefetch(hashes[r % kPrefetchAhead]);
    }
    const InputRow& row = table.rows[r];
    const std::string_view id = table.text_of(row.id);
    const int32_t animal =
        add_animal(animals, row.id, row.family, row.sex, row.race, row.line, Source::kRow);
    const int32_t holder = index.insert(animal, scope_of(row), id, hash);
    if (holder == animal) {
      if (!animals.rows.empty()) animals.rows.push_back(static_cast<int32_t>(r));
      continue;
    }
    animals.list.pop_back();
    // From the first row left out on, the row of each row animal is kept.
    if (animals.rows.empty()) {
      animals.rows.resize(static_cast<size_t>(animals.count()));
      std::iota(animals.rows.begin(), animals.rows.end(), 0);
    }
    const Animal& first = animals.list[static_cast<size_t>(holder)];
    if (repairs != nullptr) {
      const bool agree = rows_agree(table, static_cast<int32_t>(r), animals.row_of(holder));
      repairs->add(report, Warning::kMendDuplicate,
                   {row.line, std::string(id), "row",
                    std::string("duplicate id") +
                        (agree ? ", the same as the row at line " : ", the row at line ") +
                        std::to_string(first.line) + (agree ? " (merged)" : " is kept")});
      continue;
    }
    std::string message = "duplicate id " + quoted(id);
    if (table.ids_within_family) message += " in " + family_text(table.text_of(row.family));
    message += ": also at line " + std::to_string(first.line);
    report.mendable_error(row.line, message);
  }
  const int32_t row_animals = animals.count();

  // The parents, the hashes of their ids computed and prefetched ahead as above: those of
  // animal a at [2 * (a % kAhead)] and the next slot.
  constexpr size_t kAhead = kPrefetchAhead / 2;
  auto row_of = [&](int32_t a) -> const InputRow& {
    return table
        .rows[static_cast<size_t>(animals.rows.empty() ? a : animals.rows[static_cast<size_t>(a)])];
  };
  auto parent_hashes = [&](int32_t a, uint64_t* hash) {
    const InputRow& row = row_of(a);
    hash[0] = index.hash_of(scope_of(row), table.text_of(row.sire));
    hash[1] = index.hash_of(scope_of(row), table.text_of(row.dam));
  };
  for (int32_t a = 0; a < row_animals && static_cast<size_t>(a) < kAhead; ++a) {
    parent_hashes(a, hashes + 2 * static_cast<size_t>(a));
  }
  for (int32_t a = 0; a < row_animals; ++a) {
    uint64_t* slot = hashes + 2 * (static_cast<size_t>(a) % kAhead);
    const uint64_t hash_of_role[2] = {slot[0], slot[1]};
    if (static_cast<size_t>(a) + kAhead < static_cast<size_t>(row_animals)) {
      parent_hashes(a + static_cast<int32_t>(kAhead), slot);
      index.prefetch(slot[0]);
      index.prefetch(slot[1]);
    }
    const InputRow& row = row_of(a);
    int32_t parents[2] = {-1, -1};
    const TextSpan spans[2] = {row.sire, row.dam};
    const std::string_view names[2] = {table.text_of(row.sire), table.text_of(row.dam)};
    for (int role : {kSireRole, kDamRole}) {
      if (names[role].empty()) continue;
      const uint64_t hash = hash_of_role[role];
      int32_t parent = index.find(scope_of(row), names[role], hash);
      if (parent < 0) {
        parent = add_animal(animals, spans[role], row.family, static_cast<int8_t>(role + 1), 0,
                            row.line, Source::kParent);
        index.insert(parent, scope_of(row), names[role], hash);
        ++animals.parents_named;
      }
      parents[role] = parent;
      const size_t p = static_cast<size_t>(parent);
      if (table.has_families && !table.ids_within_family && !parents_across_families &&
          animals.family(parent) != table.text_of(row.family)) {
        report.error(row.line, std::string(kRoleName[role]) + " " + quoted(names[role]) + " of " +
                                   quoted(table.text_of(row.id)) + " is in " +
                                   family_text(animals.family(parent)) + " (line " +
                                   std::to_string(animals.list[p].line) + "), " +
                                   quoted(table.text_of(row.id)) + " in " +
                                   family_text(table.text_of(row.family)));
      }
    }
    // Mended by mend_roles, with the rest of the animal's links.
    if (parents[0] >= 0 && parents[0] == parents[1] && repairs == nullptr) {
      report.mendable_error(row.line, quoted(names[kSireRole]) + " is both sire and dam of " +
                                          quoted(table.text_of(row.id)));
      parents[1] = -1;
    }
    animals.list[static_cast<size_t>(a)].sire = parents[0];
    animals.list[static_cast<size_t>(a)].dam = parents[1];
  }
  return row_animals;
}

// Whether some animal is named in both parent roles, or a row animal's sex is the other
// role's. A pass over a byte an animal, a table the cache holds, where finding the first
// rows that name each animal writes two tables of an int each in no order: most inputs
// have neither, and only the findings need those rows.
bool roles_disagree(const Animals& animals, int32_t row_animals) {
  // roles[a]: bit 1 << role for each role a row names animal a in.
  std::vector<uint8_t> roles(static_cast<size_t>(animals.count()), 0);
  for (int32_t a = 0; a < row_animals; ++a) {
    const Animal& animal = animals.list[static_cast<size_t>(a)];
    if (animal.sire >= 0) roles[static_cast<size_t>(animal.sire)] |= 1 << kSireRole;
    if (animal.dam >= 0) roles[static_cast<size_t>(animal.dam)] |= 1 << kDamRole;
  }
  constexpr uint8_t kSire = 1 << kSireRole;
  constexpr uint8_t kBoth = kSire | 1 << kDamRole;
  for (size_t a = 0; a < roles.size(); ++a) {
    if (roles[a] == kBoth) return true;
    if (roles[a] == 0 || static_cast<int32_t>(a) >= row_animals) continue;
    const int8_t other_sex = roles[a] == kSire ? 2 : 1;
    if (animals.list[a].sex == other_sex) return true;
  }
  return false;
}

// Reports an animal named in both parent roles, and warns of a row animal whose sex is
// the other role's.
void check_roles(const Animals& animals, int32_t row_animals, Report& report) {
  if (!roles_disagree(animals, row_animals)) return;
  // first_child[role][a]: the first row naming animal a in that role, or -1.
  std::vector<int32_t> first_child[2];
  for (auto& of_role : first_child) of_role.assign(static_cast<size_t>(animals.count()), -1);
  for (int32_t a = 0; a < row_animals; ++a) {
    const int32_t parents[2] = {animals.list[static_cast<size_t>(a)].sire,
                                animals.list[static_cast<size_t>(a)].dam};
    for (int role : {kSireRole, kDamRole}) {
      if (parents[role] < 0) continue;
      int32_t& first = first_child[role][static_cast<size_t>(parents[role])];
      if (first < 0) first = a;
    }
  }

  // An animal in both parent roles: reported once, at the later of its two first rows.
  for (int32_t p = 0; p < animals.count(); ++p) {
    const int32_t as_sire = first_child[kSireRole][static_cast<size_t>(p)];
    const int32_t as_dam = first_child[kDamRole][static_cast<size_t>(p)];
    if (as_sire < 0 || as_dam < 0) continue;
    const size_t s = static_cast<size_t>(as_sire);
    const size_t d = static_cast<size_t>(as_dam);
    const bool sire_first = animals.list[s].line <= animals.list[d].line;
    const size_t later = sire_first ? d : s;
    const size_t earlier = sire_first ? s : d;
    report.mendable_error(animals.list[later].line,
                          quoted(animals.original(p)) + " is " +
                              kRoleName[sire_first ? kDamRole : kSireRole] + " of " +
                              quoted(animals.original(animals.list[later])) + " here but " +
                              kRoleName[sire_first ? kSireRole : kDamRole] + " of " +
                              quoted(animals.original(animals.list[earlier])) + " at line " +
                              std::to_string(animals.list[earlier].line));
  }

  // A sex that disagrees with the parent role of a row.
  for (int32_t a = 0; a < row_animals; ++a) {
    const size_t i = static_cast<size_t>(a);
    for (int role : {kSireRole, kDamRole}) {
      const int32_t child = first_child[role][i];
      const int8_t other_sex = role == kSireRole ? 2 : 1;
      if (child < 0 || animals.list[i].sex != other_sex) continue;
      const size_t c = static_cast<size_t>(child);
      report.warning(animals.list[i].line, Warning::kSexAgainstRole,
                     quoted(animals.original(a)) + " has sex " + std::to_string(other_sex) +
                         (other_sex == 1 ? " (male)" : " (female)") + " but is " + kRoleName[role] +
                         " of " + quoted(animals.original(child)) + " (line " +
                         std::to_string(animals.list[c].line) + ")");
    }
  }
}

}  // namespace

Animals complete_animals(const InputTable& table, Report& report, Repairs* repairs,
                         bool parents_across_families) {
  Animals animals;
  const int32_t row_animals =
      find_parents(table, animals, report, repairs, parents_across_families);
  mend_roles(animals, row_animals, report, repairs);
  mend_cycles(animals, table, report, repairs);
  check_birth_order(animals, row_animals, table, report, repairs);

  check_roles(animals, row_animals, report);

  // The other parent of a row with one known parent: an added founder of its own.
  for (int32_t a = 0; a < row_animals; ++a) {
    const size_t i = static_cast<size_t>(a);
    if ((animals.list[i].sire < 0) == (animals.list[i].dam < 0)) continue;
    const int role = animals.list[i].sire < 0 ? kSireRole : kDamRole;
    const int32_t added =
        add_animal(animals, {}, animals.list[i].family, static_cast<int8_t>(role + 1), 0,
                   animals.list[i].line, Source::kAdded);
    (role == kSireRole ? animals.list[i].sire : animals.list[i].dam) = added;
    ++animals.parents_added;
  }
  return animals;
}

void keep_animal_text(InputTable& table, Animals& animals) {
  table.rows = std::vector<InputRow>();
  table.race_spellings = std::vector<RaceSpelling>();
  size_t most = 0;
  for (const Animal& animal : animals.list) most += animal.original.size + animal.family.size;
  std::vector<char> kept;
  kept.reserve(most);
  auto keep = [&](TextSpan span) {
    const TextSpan place = {static_cast<uint32_t>(kept.size()), span.size};
    const char* bytes = table.text.data() + span.offset;
    kept.insert(kept.end(), bytes, bytes + span.size);
    return place;
  };
  // An animal's family is most often the one before it: kept once for them.
  std::string_view last_family;
  TextSpan last_kept;
  for (Animal& animal : animals.list) {
    animal.original = keep(animal.original);
    const std::string_view family = table.text_of(animal.family);
    if (family != last_family) {
      last_family = family;
      last_kept = keep(animal.family);
    }
    animal.family = last_kept;
  }
  table.text = std::move(kept);
  animals.text = table.text.data();
}

}  // namespace pedpeel::pedprep
