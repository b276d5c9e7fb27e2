// The input readers: a table with a header row, separated by commas, semicolons or tabs
// (RFC 4180 quoting, CRLF line ends and a UTF-8 byte order mark accepted), or a PLINK .fam
// file (FID IID PAT MAT SEX PHENO, whitespace-separated, no header). Both give the same
// rows: an id, its sire and dam as read, its family and sex; a table also the race as
// written, the birth date and the race fractions.
#ifndef PEDPEEL_TOOLS_PEDPREP_TABLE_READER_H_
#define PEDPEEL_TOOLS_PEDPREP_TABLE_READER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tools/pedprep/columns.h"
#include "tools/pedprep/field_values.h"
#include "tools/pedprep/findings.h"

namespace pedpeel::pedprep {

// kTable: a table whose separator the header line tells (',', ';' or tab).
enum class Format { kCsv, kTsv, kFam, kTable };

/// "csv", "tsv" or "fam".
std::optional<Format> parse_format(std::string_view name);
/// The format a file name's extension gives: .fam, or a table for .csv, .tsv, .tab and
/// .txt (any case).
std::optional<Format> format_of_file(std::string_view path);

/// A parent field that names no parent: empty, 0, NA or "." (any case).
bool is_missing_parent(std::string_view field);

// The largest input pedprep reads: 4 GiB, so that 32 bits hold a place in it, and a line
// number (a row's line starts with a byte of its own).
inline constexpr size_t kMaxInputBytes = UINT32_MAX;

// A text field by its place in InputTable::text: fewer bytes to keep than a view.
struct TextSpan {
  uint32_t offset = 0;
  uint32_t size = 0;
};

// One animal row, its text fields as places in InputTable::text (InputTable::text_of
// reads them): a million rows take 44 MB.
struct InputRow {
  uint32_t line = 0;  // line of the file on which the row starts
  TextSpan id;        // never empty
  TextSpan sire;      // empty when the row names no sire
  TextSpan dam;       // empty when the row names no dam
  TextSpan family;    // empty when the input names no families
  int8_t sex = 0;
  int8_t race = 0;             // the race code, set from its spelling by code_races (breeds.h)
  int32_t race_spelling = -1;  // index into InputTable::race_spellings, -1 for none
};

// One distinct value of the race column, as written.
struct RaceSpelling {
  std::string_view text;
  int64_t first_line = 0;  // the line of the first row that writes it
  int64_t rows = 0;        // the rows that write it
};

struct InputTable {
  // The file's bytes. Rows view into them; a quoted field is unescaped in place, so the
  // bytes are only to be read once read_table has run. A vector keeps its buffer when
  // the table is moved.
  std::vector<char> text;
  std::vector<InputRow> rows;      // in file order
  int fraction_count = 0;          // columns named by --fractions
  std::vector<float> fractions;    // fraction j of row r at [r * fraction_count + j]
  bool has_families = false;       // a pedigree (family) column, or a .fam file's FID
  bool ids_within_family = false;  // .fam: an IID names an animal only within its FID
  char separator = ',';            // of a table
  // The distinct values of the race column, in the order met; empty without one.
  std::vector<RaceSpelling> race_spellings;
  std::string race_column;  // how findings name the race column
  // The birth date of row r at born[r]; empty without a birth date column.
  std::vector<BirthDate> born;

  /// The place of `field`, a view into `text`.
  TextSpan span_of(std::string_view field) const {
    return {static_cast<uint32_t>(field.data() - text.data()), static_cast<uint32_t>(field.size())};
  }
  /// The bytes at `span`.
  std::string_view text_of(TextSpan span) const { return {text.data() + span.offset, span.size}; }
};

// What the command line tells the reader.
struct ReadOptions {
  ColumnNames columns;
  std::vector<std::string> fractions;  // the race-fraction columns, in order
  SexWords sex_words;
};

/// Reads `table.text` as `format` (the columns and fractions of `options` for a table
/// only). Every problem is an error of `report` naming the line and the column. A row
/// whose id is read is kept even when another field is not (that field keeps its
/// default); a row that cannot be split into its fields, or has no id, is left out. A
/// sex or birth date that cannot be read is one warning with the count of such fields.
void read_table(Format format, const ReadOptions& options, InputTable& table, Report& report);

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_TABLE_READER_H_
