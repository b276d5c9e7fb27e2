#include "tools/pedprep/breeds.h"

#include <algorithm>
#include <charconv>
#include <system_error>
#include <unordered_map>

#include "records/limits.h"
#include "tools/pedprep/columns.h"

namespace pedpeel::pedprep {

namespace {

// The known race a code of 1..125 other than 100 names; 0, 100 and negative codes are
// races the input does not give.
bool is_known_code(int32_t code) {
  return code >= 1 && code <= 125 && code != 100;
}

// The name races.tsv gives the races the input does not give.
constexpr char kUnknownName[] = "unknown";
// The race the least frequent breeds are folded into.
constexpr char kOtherName[] = "other";

std::string folded_case(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

std::optional<int32_t> whole_number(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || end != text.data() + text.size()) return std::nullopt;
  if (error == std::errc::result_out_of_range) return kMaxCode + 1;
  if (error != std::errc()) return std::nullopt;
  return value;
}

// One distinct way the race column writes a race.
struct Spelling {
  std::string_view text;
  int64_t first_line = 0;
  int64_t rows = 0;
  bool unknown = false;  // empty, NA, 0, unknown or an --unknown-race name
  std::optional<int32_t> number;
  int32_t code = kUnknownRace;
};

// The distinct spellings of the race column, as InputTable::race_spellings.
struct Spellings {
  std::vector<Spelling> list;
};

// The distinct spellings of the race column, classified.
Spellings spellings_of(const InputTable& table, const RaceOptions& options) {
  Spellings spellings;
  for (const RaceSpelling& read : table.race_spellings) {
    Spelling& spelling = spellings.list.emplace_back();
    const std::string_view text = read.text;
    spelling.text = text;
    spelling.first_line = read.first_line;
    spelling.rows = read.rows;
    spelling.unknown = text.empty() || text == "0" || equals_ignoring_case(text, "na") ||
                       equals_ignoring_case(text, kUnknownName);
    for (const std::string& name : options.unknown_names)
      spelling.unknown = spelling.unknown || equals_ignoring_case(text, name);
    spelling.number = whole_number(text);
  }
  return spellings;
}

// A column of whole numbers: they are the codes. A code out of range is an error on each
// row that writes it.
Races take_codes(const InputTable& table, Spellings& spellings, Report& report) {
  Races races;
  std::vector<Race> by_code;
  int32_t highest = 0;
  for (Spelling& spelling : spellings.list) {
    spelling.code = spelling.unknown ? kUnknownRace : spelling.number.value_or(0);
    if (spelling.code < kMinCode || spelling.code > kMaxCode) continue;
    auto same = std::find_if(by_code.begin(), by_code.end(),
                             [&](const Race& race) { return race.code == spelling.code; });
    if (same == by_code.end()) {
      by_code.push_back({spelling.code,
                         spelling.unknown ? std::string(kUnknownName) : std::string(spelling.text),
                         0});
      same = by_code.end() - 1;
      if (is_known_code(spelling.code)) {
        ++races.known;
        highest = std::max(highest, spelling.code);
      }
    }
    same->animals += spelling.rows;
  }
  for (const InputRow& row : table.rows) {
    const Spelling& spelling = spellings.list[static_cast<size_t>(row.race_spelling)];
    if (spelling.code < kMinCode || spelling.code > kMaxCode) {
      report.error(row.line, "race code " + std::string(spelling.text) + " is outside " +
                                 std::to_string(kMinCode) + ".." + std::to_string(kMaxCode) + " (" +
                                 table.race_column + ")");
    }
  }
  std::sort(by_code.begin(), by_code.end(),
            [](const Race& a, const Race& b) { return a.code < b.code; });
  races.list = std::move(by_code);
  if (races.known >= 2 && highest <= kMaxRaces) {
    races.columns = std::min(highest, kMaxFractions);
  } else if (races.known >= 2) {
    report.warning(1, Warning::kNoFractions,
                   "race code " + std::to_string(highest) + " is above " +
                       std::to_string(kMaxRaces) +
                       ", the most races blood.dat holds: race fractions are not computed; "
                       "give breed names, or the fractions with --fractions");
  }
  return races;
}

// A breed: the spellings that differ only in case.
struct Breed {
  std::string name;  // its first spelling
  int64_t animals = 0;
  int64_t first_line = 0;
  int32_t code = kUnknownRace;
};

std::vector<Breed> breeds_of(Spellings& spellings, std::vector<int32_t>* breed_of_spelling) {
  std::vector<Breed> breeds;
  std::unordered_map<std::string, int32_t> index;
  breed_of_spelling->assign(spellings.list.size(), -1);
  for (size_t s = 0; s < spellings.list.size(); ++s) {
    const Spelling& spelling = spellings.list[s];
    if (spelling.unknown) continue;
    auto [at, added] =
        index.try_emplace(folded_case(spelling.text), static_cast<int32_t>(breeds.size()));
    if (added) breeds.push_back({std::string(spelling.text), 0, spelling.first_line});
    Breed& breed = breeds[static_cast<size_t>(at->second)];
    breed.animals += spelling.rows;
    breed.first_line = std::min(breed.first_line, spelling.first_line);
    (*breed_of_spelling)[s] = at->second;
  }
  return breeds;
}

std::string breed_counts(const std::vector<const Breed*>& breeds) {
  std::string text;
  for (const Breed* breed : breeds) {
    if (!text.empty()) text += ", ";
    text += quoted(breed->name) + " (" + std::to_string(breed->animals) + ")";
  }
  return text;
}

// Numbers the breeds by their animals, the most first (ties: the first met first); past
// kMaxRaces, the kMaxRaces - 1 most frequent keep a race each and the rest are "other".
std::vector<Race> number_breeds(std::vector<Breed>& breeds, Report& report) {
  std::vector<Breed*> order;
  for (Breed& breed : breeds) order.push_back(&breed);
  std::stable_sort(order.begin(), order.end(), [](const Breed* a, const Breed* b) {
    return a->animals > b->animals || (a->animals == b->animals && a->first_line < b->first_line);
  });
  const bool fold = order.size() > static_cast<size_t>(kMaxRaces);
  const size_t kept = fold ? static_cast<size_t>(kMaxRaces - 1) : order.size();
  std::vector<Race> races;
  for (size_t k = 0; k < kept; ++k) {
    order[k]->code = static_cast<int32_t>(k + 1);
    races.push_back({order[k]->code, order[k]->name, order[k]->animals});
  }
  if (!fold) return races;
  std::vector<const Breed*> folded;
  Race other{kMaxRaces, kOtherName, 0};
  int64_t first_line = order[kept]->first_line;
  for (size_t k = kept; k < order.size(); ++k) {
    order[k]->code = kMaxRaces;
    other.animals += order[k]->animals;
    first_line = std::min(first_line, order[k]->first_line);
    folded.push_back(order[k]);
  }
  races.push_back(other);
  report.warning(first_line, Warning::kFoldedBreeds,
                 std::to_string(order.size()) + " breeds, more than the " +
                     std::to_string(kMaxRaces) + " races blood.dat holds: the " +
                     std::to_string(kept) + " most frequent keep a race each, and race " +
                     std::to_string(kMaxRaces) + " \"" + kOtherName +
                     "\" holds the rest: " + breed_counts(folded));
  return races;
}

// Codes the breeds as the races of --races do. A breed they lack goes to their race
// "other" with a warning, or is an error when they have none.
std::vector<Race> fix_breeds(std::vector<Breed>& breeds, const RaceOptions& options,
                             Report& report) {
  std::vector<Race> races = options.fixed;
  std::unordered_map<std::string, size_t> index;
  for (size_t k = 0; k < races.size(); ++k) {
    races[k].animals = 0;
    index.emplace(folded_case(races[k].name), k);
  }
  const auto other = index.find(kOtherName);
  std::vector<const Breed*> missing;
  for (Breed& breed : breeds) {
    const auto at = index.find(folded_case(breed.name));
    const auto race = at != index.end() ? at : other;
    if (race == index.end()) {
      missing.push_back(&breed);
      continue;
    }
    breed.code = races[race->second].code;
    races[race->second].animals += breed.animals;
    if (at == index.end()) missing.push_back(&breed);
  }
  if (missing.empty()) return races;
  const int64_t line = missing.front()->first_line;
  const std::string names = breed_counts(missing);
  if (other == index.end()) {
    report.error(line, "breeds not in " + options.races_file + ": " + names +
                           "; add a line for each, or one for \"" + kOtherName + "\"");
  } else {
    report.warning(line, Warning::kFoldedBreeds,
                   "breeds not in " + options.races_file + " are race " +
                       std::to_string(races[other->second].code) + " \"" + kOtherName +
                       "\": " + names);
  }
  return races;
}

// A column of breed names.
Races take_names(Spellings& spellings, const RaceOptions& options, Report& report) {
  std::vector<int32_t> breed_of_spelling;
  std::vector<Breed> breeds = breeds_of(spellings, &breed_of_spelling);
  Races races;
  races.list = options.races_file.empty() ? number_breeds(breeds, report)
                                          : fix_breeds(breeds, options, report);
  int64_t unknown = 0;
  for (size_t s = 0; s < spellings.list.size(); ++s) {
    Spelling& spelling = spellings.list[s];
    const int32_t breed = breed_of_spelling[s];
    spelling.code = breed < 0 ? kUnknownRace : breeds[static_cast<size_t>(breed)].code;
    if (breed < 0) unknown += spelling.rows;
  }
  int32_t highest = 0;
  for (const Breed& breed : breeds) {
    if (is_known_code(breed.code)) highest = std::max(highest, breed.code);
  }
  std::vector<bool> carried(kMaxRaces + 1, false);
  for (const Breed& breed : breeds) {
    if (is_known_code(breed.code)) carried[static_cast<size_t>(breed.code)] = true;
  }
  races.known = static_cast<int32_t>(std::count(carried.begin(), carried.end(), true));
  if (races.known >= 2) races.columns = std::min(highest, kMaxFractions);
  const bool listed = std::any_of(races.list.begin(), races.list.end(),
                                  [](const Race& race) { return race.code == kUnknownRace; });
  if (unknown > 0 && !listed) races.list.push_back({kUnknownRace, kUnknownName, unknown});
  std::stable_sort(races.list.begin(), races.list.end(),
                   [](const Race& a, const Race& b) { return a.code < b.code; });
  return races;
}

}  // namespace

std::optional<std::string> read_races_file(std::string_view text, std::vector<Race>* races) {
  races->clear();
  int64_t line = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view row = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++line;
    if (row.ends_with('\r')) row.remove_suffix(1);
    if (row.empty()) continue;
    const size_t tab = row.find('\t');
    const std::string_view code_text = row.substr(0, tab);
    std::string_view name = tab == std::string_view::npos ? "" : row.substr(tab + 1);
    name = name.substr(0, name.find('\t'));
    if (line == 1 && equals_ignoring_case(code_text, "code")) continue;  // the header
    const auto code = whole_number(code_text);
    const std::string where = std::to_string(line) + ": ";
    if (!code || !(*code == 0 || *code == 100 || (*code >= 1 && *code <= kMaxRaces))) {
      return where + "race code " + quoted(code_text) + " is none of 0 and 100 (unknown) and 1.." +
             std::to_string(kMaxRaces);
    }
    if (name.empty()) return where + "no name after the code and a tab";
    for (const Race& race : *races) {
      if (equals_ignoring_case(race.name, name) && race.code != *code) {
        return where + quoted(name) + " has race " + std::to_string(race.code) + " above";
      }
    }
    races->push_back({*code, std::string(name), 0});
  }
  if (races->empty()) return std::to_string(line) + ": no race in the file";
  return std::nullopt;
}

Races code_races(InputTable& table, const RaceOptions& options, Report& report) {
  if (table.race_column.empty()) return {};
  Spellings spellings = spellings_of(table, options);
  const bool names = !options.races_file.empty() ||
                     std::any_of(spellings.list.begin(), spellings.list.end(),
                                 [](const Spelling& s) { return !s.unknown && !s.number; });
  Races races =
      names ? take_names(spellings, options, report) : take_codes(table, spellings, report);
  for (InputRow& row : table.rows) {
    const int32_t code = spellings.list[static_cast<size_t>(row.race_spelling)].code;
    if (code >= kMinCode && code <= kMaxCode) row.race = static_cast<int8_t>(code);
  }
  return races;
}

std::string races_tsv(const Races& races) {
  std::string tsv = kRacesHeader;
  for (const Race& race : races.list) {
    tsv +=
        std::to_string(race.code) + "\t" + race.name + "\t" + std::to_string(race.animals) + "\n";
  }
  return tsv;
}

}  // namespace pedpeel::pedprep
