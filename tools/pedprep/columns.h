// The columns of a herd-book table: which header name holds the id, the parents, the sex,
// the family, the race, the birth date and the race fractions, by the names herd-books use
// or as the command line names them; and the field separator, taken from the header line.
#ifndef PEDPEEL_TOOLS_PEDPREP_COLUMNS_H_
#define PEDPEEL_TOOLS_PEDPREP_COLUMNS_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/pedprep/findings.h"

namespace pedpeel::pedprep {

// The column each role is read from, as named on the command line (--id COL, ...); an
// empty name means: look for the names herd-books use for it.
struct ColumnNames {
  std::string id;
  std::string sire;
  std::string dam;
  std::string sex;
  std::string family;
  std::string race;
  std::string born;
};

// Where the header puts each column the rows are read by; -1 for none.
struct Columns {
  int id = -1;
  int sire = -1;
  int dam = -1;
  int sex = -1;
  int family = -1;
  int race = -1;
  int born = -1;
  std::vector<int> fractions;  // in the order of --fractions
};

/// ASCII letters compared without case.
bool equals_ignoring_case(std::string_view a, std::string_view b);

/// The separator of a table whose first line starts `text`: the most frequent of ',', ';'
/// and tab outside quotes in it (',' when it holds none).
char separator_of(std::string_view text);

/// How findings name a column: `column 3 "Dam"`.
std::string column_name(const std::vector<std::string>& header, int column);

/// Finds the columns in `header` (the line `line`): each role by its name from `names`,
/// else by the names herd-books use (any case); the race fractions by `fraction_columns`.
/// Reports at `line`, and returns false for, a required column not found (listing the
/// header and the options that name a column) and a role that two columns hold.
bool find_columns(const std::vector<std::string>& header, const ColumnNames& names,
                  std::span<const std::string> fraction_columns, char separator, int64_t line,
                  Report& report, Columns* columns);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_COLUMNS_H_
