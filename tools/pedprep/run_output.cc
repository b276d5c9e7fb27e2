#include "tools/pedprep/run_output.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "records/field_output.h"
#include "records/limits.h"
#include "records/short_copy.h"

namespace pedpeel::pedprep {

namespace {

// The longest part of an id kept before '~' in a shortened INI_ID, cut back to the start
// of a UTF-8 character.
std::string_view id_prefix(std::string_view id) {
  size_t length = std::min<size_t>(id.size(), 7);
  while (length > 0 && length < id.size() &&
         (static_cast<unsigned char>(id[length]) & 0xC0) == 0x80) {
    --length;
  }
  return id.substr(0, length);
}

IniId blank_padded(std::string_view text) {
  IniId ini_id;
  ini_id.fill(' ');
  std::copy_n(text.begin(), std::min(text.size(), ini_id.size()), ini_id.begin());
  return ini_id;
}

// Hands out the shortened INI_IDs of one run: up to 7 characters, '~' and a counter.
class ShortForms {
 public:
  /// Skips the forms in `taken` (ids of the run that hold '~').
  void avoid(std::unordered_set<std::string_view> taken) { taken_ = std::move(taken); }

  IniId next(std::string_view prefix) {
    for (;;) {
      char form[kIniIdLength];
      std::copy(prefix.begin(), prefix.end(), form);
      form[prefix.size()] = '~';
      int32_t value = counter_++;
      for (int digit = 4; digit >= 1; --digit) {
        form[prefix.size() + static_cast<size_t>(digit)] =
            "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[value % 36];
        value /= 36;
      }
      const std::string_view text(form, prefix.size() + 5);
      if (!taken_.contains(text)) return blank_padded(text);
    }
  }

 private:
  std::unordered_set<std::string_view> taken_;
  int32_t counter_ = 1;
};

bool holds_tilde(std::string_view id) {
  return id.find('~') != std::string_view::npos;
}

// Writes `text` at `out`; returns the end of what it wrote.
char* put_text(char* out, std::string_view text) {
  if (!text.empty()) copy_short(out, text.data(), text.size());
  return out + text.size();
}

// Fetches animal a, and for a copy where its original is kept. Inlined: a function that
// only fetches has no effect the compiler keeps a call for.
[[gnu::always_inline]] inline void fetch_animal(const Animals& animals, int32_t a) {
  __builtin_prefetch(&animals.list[static_cast<size_t>(a)]);
  if (a >= animals.first_copy && !animals.copy_of.empty()) {
    __builtin_prefetch(&animals.copy_of[static_cast<size_t>(a - animals.first_copy)]);
  }
}

// Fetches what the row of animal a reads through it (fetch_animal fetched it before): its
// parents' IDs, its id's bytes, its fractions and for a copy its original. Inlined, as
// fetch_animal.
[[gnu::always_inline]] inline void fetch_row_data(const Animals& animals,
                                                  const Pedigrees& pedigrees, const Blood& blood,
                                                  int32_t a) {
  const Animal& animal = animals.list[static_cast<size_t>(a)];
  if (animal.sire >= 0) {
    __builtin_prefetch(&pedigrees.id_of[static_cast<size_t>(animal.sire)]);
    __builtin_prefetch(&pedigrees.id_of[static_cast<size_t>(animal.dam)]);
  }
  __builtin_prefetch(animals.original(animal).data());
  const int32_t original = animals.original_of(a);
  if (original != a) __builtin_prefetch(&animals.list[static_cast<size_t>(original)]);
  if (blood.NRACE > 1) {
    const float* fractions = blood.fractions_of(original);
    __builtin_prefetch(fractions);
    __builtin_prefetch(fractions + (blood.NRACE - 2));
  }
}

// The most characters put_decimal writes: an int64_t's 19 digits and its sign.
constexpr size_t kNumberWidth = 20;

// Where the animal a copy stands for is written (ids.tsv shows "run-0002/1/57").
struct CopyPlace {
  std::string_view run;  // its run directory's name
  int16_t IPED = 0;
  int16_t ID = 0;
};

// The place of the animal `copy` stands for. `run_names` by run, filled as they are needed.
CopyPlace place_of_original(const Animals& animals, const Pedigrees& pedigrees,
                            const Placement& placement, int32_t copy,
                            std::vector<std::string>& run_names) {
  const size_t original = static_cast<size_t>(animals.original_of(copy));
  const size_t p = static_cast<size_t>(pedigrees.pedigree_of[original]);
  std::string& run_name = run_names[static_cast<size_t>(placement.run_of[p])];
  if (run_name.empty()) run_name = run_directory_name(static_cast<size_t>(placement.run_of[p]));
  return {run_name, placement.IPED_of[p], static_cast<int16_t>(pedigrees.id_of[original])};
}

// Writes the ids.tsv line of a row at the end of `ids`. With `copy_column` the line ends
// with the column copy_of: the place of the original for a copy (`copy_of`), else empty.
void put_ids_line(TextEnd& ids, int16_t IPED, const IndividualRecord& record,
                  const Animals& animals, const Animal& animal, bool copy_column,
                  const CopyPlace* copy_of) {
  const std::string_view family = animals.family(animal);
  const std::string_view original = animals.original(animal);
  size_t ini_length = record.INI_ID.size();
  while (ini_length > 0 && record.INI_ID[ini_length - 1] == ' ') --ini_length;
  const std::string_view ini_id(record.INI_ID.data(), ini_length);
  const std::string_view source = source_name(animal.source);
  // Three numbers, four texts, six tabs and the line end; the copy's column: a tab, a
  // run's name, two slashes and two numbers.
  const size_t most = 3 * kNumberWidth + family.size() + original.size() + source.size() +
                      ini_id.size() + 7 +
                      (copy_of != nullptr ? copy_of->run.size() + 2 * kNumberWidth + 3 : 1);
  char* out = put_decimal(ids.room(most), IPED);
  *out++ = '\t';
  out = put_decimal(out, record.ID);
  *out++ = '\t';
  out = put_text(out, family);
  *out++ = '\t';
  out = put_text(out, original);
  *out++ = '\t';
  out = put_text(out, source);
  *out++ = '\t';
  out = put_text(out, ini_id);
  *out++ = '\t';
  out = put_decimal(out, animal.line);
  if (copy_column) *out++ = '\t';
  if (copy_of != nullptr) {
    out = put_text(out, copy_of->run);
    *out++ = '/';
    out = put_decimal(out, copy_of->IPED);
    *out++ = '/';
    out = put_decimal(out, copy_of->ID);
  }
  *out++ = '\n';
  ids.wrote(out);
}

}  // namespace

void TextEnd::grow(size_t most) {
  const size_t room = std::max(2 * room_, used_ + most);
  std::unique_ptr<char[]> bytes = std::make_unique_for_overwrite<char[]>(room);
  if (used_ > 0) std::memcpy(bytes.get(), bytes_.get(), used_);
  bytes_ = std::move(bytes);
  room_ = room;
}

std::string run_directory_name(size_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "run-%04zu", index + 1);
  return name;
}

Placement place_pedigrees(const Pedigrees& pedigrees, const std::vector<Run>& runs) {
  Placement placement;
  placement.run_of.resize(pedigrees.list.size());
  placement.IPED_of.resize(pedigrees.list.size());
  for (size_t r = 0; r < runs.size(); ++r) {
    const std::vector<int32_t>& run_pedigrees = runs[r].pedigrees;
    for (size_t q = 0; q < run_pedigrees.size(); ++q) {
      const auto p = static_cast<size_t>(run_pedigrees[q]);
      placement.run_of[p] = static_cast<int32_t>(r);
      placement.IPED_of[p] = static_cast<int16_t>(q + 1);
    }
  }
  return placement;
}

void run_contents(const LongIds& long_ids, const Animals& animals, const Pedigrees& pedigrees,
                  const Blood& blood, const std::vector<Run>& runs, const Placement& placement,
                  size_t r, bool ids_hold_tilde, RunContents* contents) {
  const Run& run = runs[r];
  // The run's animals, row by row: its pedigrees' members, one after another.
  std::vector<int32_t>& row_animals = contents->animals;
  row_animals.clear();
  for (const int32_t p : run.pedigrees) {
    const Pedigree& pedigree = pedigrees.list[static_cast<size_t>(p)];
    const auto first = pedigrees.members.begin() + pedigree.first;
    row_animals.insert(row_animals.end(), first, first + pedigree.rows);
  }
  const size_t count = row_animals.size();
  const bool copies = !animals.copy_of.empty();
  const size_t fraction_count = static_cast<size_t>(blood.NRACE - 1);
  // A shortened INI_ID must not be the id of another row of the run. Only an id with '~'
  // can be one: the rows are written once, and again, avoiding those ids, in the rare run
  // that holds such an id.
  ShortForms short_forms;
  std::unordered_set<std::string_view> taken;
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) {
      if (taken.empty()) break;
      short_forms = ShortForms();
      short_forms.avoid(std::move(taken));
    }
    // Every field of a row is written: records are only added, never zeroed again.
    contents->records.resize(count);
    TextEnd& ids = contents->ids;
    ids.clear();
    ids.room(count * 48);  // most runs' lines fit, with no move
    const std::string_view header = copies ? ids_tsv::kHeaderWithCopies : ids_tsv::kHeader;
    ids.wrote(put_text(ids.room(header.size()), header));
    // The INI_ID given to an animal (by the animal it stands for) when it is not its id.
    std::unordered_map<int32_t, IniId> given;
    std::vector<std::string> run_names(copies ? runs.size() : 0);

    // The rows' animals lie in no order of theirs, nor what they point to: fetch an animal
    // (and where a copy's original is kept) kAhead rows ahead, and its parents' IDs, its
    // fractions and its id's bytes half as far ahead.
    constexpr size_t kAhead = 16;
    size_t k = 0;
    for (size_t q = 0; q < run.pedigrees.size(); ++q) {
      const int16_t IPED = static_cast<int16_t>(q + 1);
      const size_t first = k;
      const size_t end =
          k + static_cast<size_t>(pedigrees.list[static_cast<size_t>(run.pedigrees[q])].rows);
      for (; k < end; ++k) {
        if (k + kAhead < count) fetch_animal(animals, row_animals[k + kAhead]);
        if (k + kAhead / 2 < count) {
          fetch_row_data(animals, pedigrees, blood, row_animals[k + kAhead / 2]);
        }
        const int32_t a = row_animals[k];
        const Animal& animal = animals.list[static_cast<size_t>(a)];
        IndividualRecord& record = contents->records[k];
        record.IPED = IPED;
        record.ID = static_cast<int16_t>(k - first + 1);
        record.IPAR1 = 0;
        record.IPAR2 = 0;
        if (animal.sire >= 0) {
          record.IPAR1 = static_cast<int16_t>(pedigrees.id_of[static_cast<size_t>(animal.sire)]);
          record.IPAR2 = static_cast<int16_t>(pedigrees.id_of[static_cast<size_t>(animal.dam)]);
        }
        record.RACE = animal.race;
        record.SEX = animal.sex;
        const std::string_view original = animals.original(animal);
        const int32_t stands_for = copies ? animals.original_of(a) : a;
        const size_t stands = static_cast<size_t>(stands_for);
        const bool added = animals.list[stands].source == Source::kAdded;
        if (!added && stands < long_ids.kept.size() && long_ids.kept[stands]) {
          const std::string_view part = long_ids.part(original);
          record.INI_ID = blank_padded(part);
          if (pass == 0 && ids_hold_tilde && holds_tilde(part)) taken.insert(part);
        } else if (added || original.size() > static_cast<size_t>(kIniIdLength)) {
          auto found = copies ? given.find(stands_for) : given.end();
          if (found != given.end()) {
            record.INI_ID = found->second;
          } else {
            record.INI_ID = short_forms.next(added ? (animal.sex == 1 ? "+sire" : "+dam")
                                                   : id_prefix(original));
            if (copies) given.emplace(stands_for, record.INI_ID);
          }
        } else {
          record.INI_ID = blank_padded(original);
          if (pass == 0 && ids_hold_tilde && holds_tilde(original)) taken.insert(original);
        }
        // A few floats: copied one by one, not by a call.
        const float* fractions = blood.fractions_of(stands_for);
        for (size_t j = 0; j < fraction_count; ++j) record.BLOOD[j] = fractions[j];

        CopyPlace place;
        if (animal.source == Source::kCopy) {
          place = place_of_original(animals, pedigrees, placement, a, run_names);
        }
        put_ids_line(ids, IPED, record, animals, animal, copies,
                     animal.source == Source::kCopy ? &place : nullptr);
      }
    }
  }
}

}  // namespace pedpeel::pedprep
