// The races of a herd-book: the race column's values become the format's race codes. A
// column of whole numbers holds the codes themselves; one that holds anything else holds
// breed names, numbered by how many animals carry them (the most frequent is race 1), at
// most 11 (the rest folded into one race "other"), or as a races.tsv given with --races
// numbers them. races.tsv lists the codes, their names and their animals.
#ifndef PEDPEEL_TOOLS_PEDPREP_BREEDS_H_
#define PEDPEEL_TOOLS_PEDPREP_BREEDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/pedprep/findings.h"
#include "tools/pedprep/table_reader.h"

namespace pedpeel::pedprep {

// The code of a race the input does not give.
inline constexpr int8_t kUnknownRace = 0;

// The file of the races of a run, and its header line.
inline constexpr char kRacesFile[] = "races.tsv";
inline constexpr char kRacesHeader[] = "code\tname\tanimals\n";

struct Race {
  int32_t code = 0;
  std::string name;
  int64_t animals = 0;
};

struct Races {
  std::vector<Race> list;  // as races.tsv lists them: by code, the unknown race first
  // The races that get a race-fraction column when fractions are computed: codes 1 to
  // columns (the code columns + 1, when there is one, is the rest of 1). 0: none.
  int32_t columns = 0;
  int32_t known = 0;  // distinct known races the rows carry
};

// What the command line tells about races.
struct RaceOptions {
  std::vector<std::string> unknown_names;  // --unknown-race, besides empty, NA, 0, unknown
  std::string races_file;                  // --races FILE, empty for none
  std::vector<Race> fixed;                 // its races, read by read_races_file
};

/// Reads a races.tsv (a header line `code<TAB>name` with any more columns, then a code and
/// a name a line; codes 0 and 100 name unknown races, 1..11 known ones). The races, or an
/// error naming the line.
std::optional<std::string> read_races_file(std::string_view text, std::vector<Race>* races);

/// Gives every row of `table` its race code from its spelling and returns the
/// races. A code out of range, or a name the races of --races lack, is an error.
Races code_races(InputTable& table, const RaceOptions& options, Report& report);

/// races.tsv.
std::string races_tsv(const Races& races);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_BREEDS_H_
