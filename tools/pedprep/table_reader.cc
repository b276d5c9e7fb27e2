#include "tools/pedprep/table_reader.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>

#include "records/limits.h"

namespace pedpeel::pedprep {

namespace {

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool holds_line_break_or_tab_bytewise(std::string_view text) {
  for (char c : text) {
    // Tab, LF and CR all lie at or below CR: one comparison for nearly every byte.
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= '\r' && (byte == '\t' || byte == '\r' || byte == '\n')) return true;
  }
  return false;
}

// Eight bytes at a time while eight are left: only a word holding a byte at or below CR is
// looked at byte by byte. A byte of x below n (n <= 128) sets its high bit in
// (x - n * 0x01..) & ~x & 0x80.. when no lower byte is below n, so no such word is missed.
bool holds_line_break_or_tab(std::string_view text) {
  constexpr uint64_t kOnes = 0x0101010101010101;
  constexpr uint64_t kHighs = 0x8080808080808080;
  constexpr uint64_t kAboveCr = kOnes * ('\r' + 1);
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    if (((word - kAboveCr) & ~word & kHighs) == 0) continue;
    if (holds_line_break_or_tab_bytewise(text.substr(i, 8))) return true;
  }
  return holds_line_break_or_tab_bytewise(text.substr(i));
}

// Splits the bytes of a CSV or TSV file into records of fields. Quoted fields are
// unescaped in place (the text only ever shrinks); unquoted fields lose the blanks around
// them. Lines end with LF or CR LF; a quoted field may hold line ends.
class DelimitedScanner {
 public:
  enum class Result { kRecord, kEnd, kBroken };

  DelimitedScanner(std::vector<char>& text, char delimiter)
      : pos_(text.data()), end_(text.data() + text.size()), delimiter_(delimiter) {
    if (end_ - pos_ >= 3 && static_cast<unsigned char>(pos_[0]) == 0xEF &&
        static_cast<unsigned char>(pos_[1]) == 0xBB &&
        static_cast<unsigned char>(pos_[2]) == 0xBF) {
      pos_ += 3;
    }
  }

  /// The next record into `fields`, its first line into `*line`. kBroken: the record
  /// cannot be split (`*problem` says why, `*field` is its field index and `*line` the
  /// line where that field starts); the scanner has gone on to the next line.
  Result next(std::vector<std::string_view>& fields, int64_t* line, std::string* problem,
              size_t* field) {
    fields.clear();
    *line = line_;
    if (pos_ == end_) return Result::kEnd;
    for (;;) {
      char* p = pos_;
      while (p < end_ && is_blank(*p)) ++p;
      if (p < end_ && *p == '"') {
        const int64_t field_line = line_;
        char* out = p;
        char* q = p + 1;
        for (;;) {
          if (q == end_) {
            pos_ = end_;
            *line = field_line;
            *field = fields.size();
            *problem = "a quoted field is not closed before the end of the file";
            return Result::kBroken;
          }
          if (*q == '"') {
            if (q + 1 < end_ && q[1] == '"') {
              *out++ = '"';
              q += 2;
              continue;
            }
            ++q;
            break;
          }
          if (*q == '\n') ++line_;
          *out++ = *q++;
        }
        fields.emplace_back(p, static_cast<size_t>(out - p));
        while (q < end_ && is_blank(*q)) ++q;
        if (q < end_ && *q == '\r' && (q + 1 == end_ || q[1] == '\n')) ++q;
        if (q < end_ && *q == delimiter_) {
          pos_ = q + 1;
          continue;
        }
        if (q == end_ || *q == '\n') {
          pos_ = q == end_ ? q : q + 1;
          if (q != end_) ++line_;
          return Result::kRecord;
        }
        *line = line_;
        *field = fields.size() - 1;
        *problem = "text after the closing quote of a quoted field";
        skip_line(q);
        return Result::kBroken;
      }
      char* q = field_end(p);
      char* e = q;
      if (e > p && e[-1] == '\r' && (q == end_ || *q == '\n')) --e;
      while (e > p && is_blank(e[-1])) --e;
      fields.emplace_back(p, static_cast<size_t>(e - p));
      if (q < end_ && *q == delimiter_) {
        pos_ = q + 1;
        continue;
      }
      if (q < end_) {
        ++q;
        ++line_;
      }
      pos_ = q;
      return Result::kRecord;
    }
  }

 private:
  bool is_blank(char c) const { return c == ' ' || (c == '\t' && delimiter_ != '\t'); }

  // The first delimiter or LF from p on, or end_: eight bytes at a time while eight are
  // left. A byte of x is zero exactly when the same byte of (x - 0x01..) & ~x & 0x80.. is
  // set, or a lower byte's is (so the lowest set byte is exact).
  char* field_end(char* p) const {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHighs = 0x8080808080808080;
    const uint64_t delimiters = kOnes * static_cast<unsigned char>(delimiter_);
    const uint64_t line_ends = kOnes * '\n';
    while (end_ - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, sizeof word);
      const uint64_t a = word ^ delimiters;
      const uint64_t b = word ^ line_ends;
      const uint64_t found = ((a - kOnes) & ~a & kHighs) | ((b - kOnes) & ~b & kHighs);
      if (found != 0) return p + std::countr_zero(found) / 8;
      p += 8;
    }
    while (p < end_ && *p != delimiter_ && *p != '\n') ++p;
    return p;
  }

  void skip_line(char* q) {
    while (q < end_ && *q != '\n') ++q;
    if (q < end_) {
      ++q;
      ++line_;
    }
    pos_ = q;
  }

  char* pos_;
  char* end_;
  char delimiter_;
  int64_t line_ = 1;
};

// Where the header puts each column the rows are read by; -1 for none.
struct Columns {
  int id = -1;
  int sire = -1;
  int dam = -1;
  int sex = -1;
  int family = -1;
  int race = -1;
  std::vector<int> fractions;
};

std::string column_name(const std::vector<std::string>& header, int column) {
  return "column " + std::to_string(column + 1) + " " + quoted(header[static_cast<size_t>(column)]);
}

// Finds the columns by name. Reports a missing or doubly named column at the header line.
bool find_columns(const std::vector<std::string>& header,
                  std::span<const std::string> fraction_columns, char delimiter, int64_t line,
                  Report& report, Columns* columns) {
  struct Wanted {
    int* column;
    std::vector<std::string_view> names;
    bool required;
    std::string what;
  };
  std::vector<Wanted> wanted = {
      {&columns->id, {"id"}, true, "the id"},
      {&columns->sire, {"sire", "father"}, true, "the sire"},
      {&columns->dam, {"dam", "mother"}, true, "the dam"},
      {&columns->sex, {"sex"}, false, "the sex"},
      {&columns->family, {"pedigree", "family"}, false, "the pedigree"},
      {&columns->race, {"race"}, false, "the race code"},
  };
  columns->fractions.assign(fraction_columns.size(), -1);
  for (size_t j = 0; j < fraction_columns.size(); ++j) {
    wanted.push_back({&columns->fractions[j],
                      {fraction_columns[j]},
                      true,
                      "race fraction " + std::to_string(j + 1)});
  }
  bool ok = true;
  std::vector<std::string> missing;
  for (Wanted& want : wanted) {
    for (size_t c = 0; c < header.size(); ++c) {
      bool match = false;
      for (std::string_view name : want.names)
        match = match || equals_ignoring_case(header[c], name);
      if (!match) continue;
      if (*want.column >= 0) {
        report.error(line, column_name(header, *want.column) + " and " +
                               column_name(header, static_cast<int>(c)) + " both name " +
                               want.what);
        ok = false;
      } else {
        *want.column = static_cast<int>(c);
      }
    }
    if (*want.column >= 0 || !want.required) continue;
    std::string name = quoted(want.names[0]);
    if (want.names.size() > 1) name += " (or " + quoted(want.names[1]) + ")";
    missing.push_back(name);
    ok = false;
  }
  if (missing.empty()) return ok;
  std::string message = "no column ";
  for (size_t k = 0; k < missing.size(); ++k) {
    if (k > 0) message += k + 1 == missing.size() ? " or " : ", ";
    message += missing[k];
  }
  message += " in the header";
  if (header.size() == 1) {
    message += ", which is read as the one column " + quoted(header[0]) + ": is the file " +
               (delimiter == ',' ? "comma" : "tab") + "-separated?";
  }
  report.error(line, message);
  return ok;
}

// Reads a whole number in -127..127 (blanks and a + sign allowed); empty reads as 0.
std::optional<std::string> read_race(std::string_view text, int8_t* race) {
  if (text.empty()) {
    *race = 0;
    return std::nullopt;
  }
  std::string_view digits = text;
  if (digits.starts_with('+')) digits.remove_prefix(1);
  long value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc::result_out_of_range ||
      (error == std::errc() && end == digits.data() + digits.size() &&
       (value < kMinCode || value > kMaxCode))) {
    return "race code " + std::string(text) + " is outside " + std::to_string(kMinCode) + ".." +
           std::to_string(kMaxCode);
  }
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
    return "cannot read race code " + quoted(text) + ": not a whole number";
  }
  *race = static_cast<int8_t>(value);
  return std::nullopt;
}

// Reads a fraction in 0..1.
std::optional<std::string> read_fraction(std::string_view text, float* fraction) {
  std::string_view digits = text;
  if (digits.starts_with('+')) digits.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::general);
  const bool number = !digits.empty() && error == std::errc() &&
                      end == digits.data() + digits.size() && std::isfinite(value);
  if (!number) return "cannot read race fraction " + quoted(text) + ": not a number";
  if (!(value >= 0.0 && value <= 1.0)) {
    return "race fraction " + std::string(text) + " is outside 0..1";
  }
  *fraction = static_cast<float>(value);
  return std::nullopt;
}

// A text field of a row (id, parent, family) that ids.tsv could not hold.
bool check_text(std::string_view text, const std::vector<std::string>& header, int column,
                int64_t line, Report& report) {
  if (!holds_line_break_or_tab(text)) return true;
  report.error(line, quoted(text) + " in " + column_name(header, column) +
                         " holds a tab or a line break, which ids.tsv cannot carry");
  return false;
}

void read_delimited(char delimiter, std::span<const std::string> fraction_columns,
                    InputTable& table, Report& report) {
  DelimitedScanner scanner(table.text, delimiter);
  std::vector<std::string_view> fields;
  std::vector<std::string> header;
  int64_t line = 0;
  std::string problem;
  size_t field = 0;
  auto broken = [&](const std::vector<std::string>* names) {
    std::string where = "field " + std::to_string(field + 1);
    if (names != nullptr && field < names->size())
      where = column_name(*names, static_cast<int>(field));
    report.error(line, "cannot read " + where + ": " + problem);
  };

  // The header: the first record that is not a blank line.
  for (;;) {
    const auto result = scanner.next(fields, &line, &problem, &field);
    if (result == DelimitedScanner::Result::kEnd) {
      report.error(1, "no header row: the file holds no line");
      return;
    }
    if (result == DelimitedScanner::Result::kBroken) {
      broken(nullptr);
      return;
    }
    if (fields.size() == 1 && fields[0].empty()) continue;
    break;
  }
  for (std::string_view name : fields) header.emplace_back(name);
  Columns columns;
  if (!find_columns(header, fraction_columns, delimiter, line, report, &columns)) return;

  table.has_families = columns.family >= 0;
  table.fraction_count = static_cast<int>(columns.fractions.size());
  const size_t fraction_count = columns.fractions.size();
  std::vector<float> row_fractions(fraction_count);
  for (;;) {
    const auto result = scanner.next(fields, &line, &problem, &field);
    if (result == DelimitedScanner::Result::kEnd) break;
    if (result == DelimitedScanner::Result::kBroken) {
      broken(&header);
      continue;
    }
    if (fields.size() == 1 && fields[0].empty()) continue;  // a blank line
    if (fields.size() != header.size()) {
      report.error(line, "row has " + std::to_string(fields.size()) + " fields, the header has " +
                             std::to_string(header.size()));
      continue;
    }
    InputRow row;
    row.line = line;
    row.id = fields[static_cast<size_t>(columns.id)];
    if (row.id.empty()) {
      report.error(line, "empty id in " + column_name(header, columns.id));
      continue;
    }
    if (is_missing_parent(row.id)) {
      report.error(line, "id " + quoted(row.id) + " in " + column_name(header, columns.id) +
                             " is a spelling of a missing parent and cannot name an animal");
      continue;
    }
    bool ok = check_text(row.id, header, columns.id, line, report);
    const std::string_view sire = fields[static_cast<size_t>(columns.sire)];
    const std::string_view dam = fields[static_cast<size_t>(columns.dam)];
    if (!is_missing_parent(sire)) {
      row.sire = sire;
      ok = check_text(sire, header, columns.sire, line, report) && ok;
    }
    if (!is_missing_parent(dam)) {
      row.dam = dam;
      ok = check_text(dam, header, columns.dam, line, report) && ok;
    }
    if (columns.family >= 0) {
      row.family = fields[static_cast<size_t>(columns.family)];
      ok = check_text(row.family, header, columns.family, line, report) && ok;
    }
    if (!ok) continue;
    if (columns.sex >= 0) row.sex = sex_code(fields[static_cast<size_t>(columns.sex)]);
    if (columns.race >= 0) {
      if (auto message = read_race(fields[static_cast<size_t>(columns.race)], &row.race)) {
        report.error(line, *message + " (" + column_name(header, columns.race) + ")");
      }
    }
    for (size_t j = 0; j < fraction_count; ++j) {
      row_fractions[j] = 0.0f;
      const int column = columns.fractions[j];
      if (auto message = read_fraction(fields[static_cast<size_t>(column)], &row_fractions[j])) {
        report.error(line, *message + " (" + column_name(header, column) + ")");
      }
    }
    if (fraction_count > 0) {
      double sum = 0;
      for (float fraction : row_fractions) sum += fraction;
      // Four decimals are what the BLOOD file carries; a sum such as 0.3333 + 0.3333 +
      // 0.3334 is 1.
      if (sum > 1.0 + 1e-6) {
        char text[32];
        std::snprintf(text, sizeof text, "%.4f", sum);
        report.warning(line,
                       "race fractions of " + quoted(row.id) + " sum to " + text + ", above 1");
      }
    }
    table.rows.push_back(row);
    table.fractions.insert(table.fractions.end(), row_fractions.begin(), row_fractions.end());
  }
}

void read_fam(InputTable& table, Report& report) {
  table.has_families = true;
  table.ids_within_family = true;
  const char* p = table.text.data();
  const char* end = p + table.text.size();
  if (end - p >= 3 && static_cast<unsigned char>(p[0]) == 0xEF &&
      static_cast<unsigned char>(p[1]) == 0xBB && static_cast<unsigned char>(p[2]) == 0xBF) {
    p += 3;
  }
  std::string_view fields[6];
  for (int64_t line = 1; p < end; ++line) {
    const char* line_end = p;
    while (line_end < end && *line_end != '\n') ++line_end;
    const char* next = line_end < end ? line_end + 1 : line_end;
    if (line_end > p && line_end[-1] == '\r') --line_end;
    size_t count = 0;
    for (const char* q = p; q < line_end;) {
      while (q < line_end && (*q == ' ' || *q == '\t')) ++q;
      if (q == line_end) break;
      const char* start = q;
      while (q < line_end && *q != ' ' && *q != '\t') ++q;
      if (count < 6) fields[count] = std::string_view(start, static_cast<size_t>(q - start));
      ++count;
    }
    p = next;
    if (count == 0) continue;  // a blank line
    if (count != 6) {
      report.error(line,
                   "expected 6 fields (FID IID PAT MAT SEX PHENO), found " + std::to_string(count));
      continue;
    }
    InputRow row;
    row.line = line;
    row.family = fields[0];
    row.id = fields[1];
    if (is_missing_parent(row.id)) {
      report.error(line,
                   "IID " + quoted(row.id) +
                       " (column 2) is a spelling of a missing parent and cannot name an animal");
      continue;
    }
    if (!is_missing_parent(fields[2])) row.sire = fields[2];
    if (!is_missing_parent(fields[3])) row.dam = fields[3];
    row.sex = sex_code(fields[4]);
    table.rows.push_back(row);
  }
}

}  // namespace

std::optional<Format> parse_format(std::string_view name) {
  if (name == "csv") return Format::kCsv;
  if (name == "tsv") return Format::kTsv;
  if (name == "fam") return Format::kFam;
  return std::nullopt;
}

std::optional<Format> format_of_file(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = base.find_last_of('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string_view extension = base.substr(dot + 1);
  if (equals_ignoring_case(extension, "csv")) return Format::kCsv;
  if (equals_ignoring_case(extension, "tsv") || equals_ignoring_case(extension, "tab"))
    return Format::kTsv;
  if (equals_ignoring_case(extension, "fam")) return Format::kFam;
  return std::nullopt;
}

bool is_missing_parent(std::string_view field) {
  return field.empty() || field == "0" || field == "." || equals_ignoring_case(field, "na");
}

int8_t sex_code(std::string_view field) {
  if (field == "1" || equals_ignoring_case(field, "m") || equals_ignoring_case(field, "male"))
    return 1;
  if (field == "2" || equals_ignoring_case(field, "f") || equals_ignoring_case(field, "female"))
    return 2;
  return 0;
}

void read_table(Format format, std::span<const std::string> fraction_columns, InputTable& table,
                Report& report) {
  table.rows.clear();
  table.fractions.clear();
  table.fraction_count = 0;
  table.has_families = false;
  table.ids_within_family = false;
  // A first guess of the row count from the bytes, to spare regrowing on large files.
  table.rows.reserve(table.text.size() / 32);
  switch (format) {
    case Format::kCsv:
      read_delimited(',', fraction_columns, table, report);
      break;
    case Format::kTsv:
      read_delimited('\t', fraction_columns, table, report);
      break;
    case Format::kFam:
      read_fam(table, report);
      break;
  }
}

}  // namespace pedpeel::pedprep
