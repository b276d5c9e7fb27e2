#include "tools/pedprep/table_reader.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>
#include <unordered_map>

#include "records/byte_order_mark.h"
#include "tools/pedinfo/output_text.h"
#include "tools/pedprep/encoding.h"

namespace pedpeel::pedprep {

namespace {

// Splits the bytes of a CSV or TSV file into records of fields. Quoted fields are
// unescaped in place (the text only ever shrinks); unquoted fields lose the blanks around
// them. Lines end with LF or CR LF; a quoted field may hold line ends.
class DelimitedScanner {
 public:
  enum class Result { kRecord, kEnd, kBroken };

  DelimitedScanner(std::vector<char>& text, char delimiter)
      : pos_(text.data()),
        end_(text.data() + text.size()),
        delimiter_(delimiter),
        delimiters_(kOnes * static_cast<unsigned char>(delimiter)) {
    pos_ += byte_order_mark_length(std::string_view(text.data(), text.size()));
    plain_ = pos_ == end_ || std::memchr(pos_, '"', static_cast<size_t>(end_ - pos_)) == nullptr;
  }

  /// The next record into fields() and plain_text(), its first line into `*line`. kBroken:
  /// the record cannot be split (`*problem` says why, `*field` is its field index and `*line` the
  /// line where that field starts); the scanner has gone on to the next line.
  Result next(int64_t* line, std::string* problem, size_t* field) {
    count_ = 0;
    *line = line_;
    if (pos_ == end_) return Result::kEnd;
    if (plain_) {
      split_plain_line();
      return Result::kRecord;
    }
    plain_text_ = false;
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
            *field = count_;
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
        add_field(std::string_view(p, static_cast<size_t>(out - p)));
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
        *field = count_ - 1;
        *problem = "text after the closing quote of a quoted field";
        skip_line(q);
        return Result::kBroken;
      }
      char* q = field_end(p);
      add_field(plain_field(p, q, q == end_ || *q == '\n'));
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

  /// The fields of the last record; valid until the next call of next().
  std::span<const std::string_view> fields() const { return {slots_.data(), count_}; }

  /// Whether the fields of the last record hold only text check_text cannot refuse: no
  /// control byte such as a tab or CR, and no byte outside ASCII. False is no finding: the
  /// fields are then to be checked one by one.
  bool plain_text() const { return plain_text_; }

 private:
  static constexpr uint64_t kOnes = 0x0101010101010101;
  static constexpr uint64_t kHighs = 0x8080808080808080;
  static constexpr uint64_t kLineEnds = kOnes * '\n';

  // Most bytes are above the blank and settled by the first comparison.
  bool is_blank(char c) const {
    return static_cast<unsigned char>(c) <= ' ' && (c == ' ' || (c == '\t' && delimiter_ != '\t'));
  }

  // The high bit of each byte of x that is zero, and of no other: no carry crosses a byte.
  static uint64_t zero_bytes(uint64_t x) { return ~(((x & ~kHighs) + ~kHighs) | x) & kHighs; }

  // The high bit of each byte of `word` below 0x0E (a tab, a line break, another control)
  // or above 0x7F, but for the delimiters (`delimiters`: their high bits): a byte that
  // check_text looks at. The lowest byte so marked is exact; a byte above it may be marked
  // falsely (a borrow).
  static uint64_t odd_bytes(uint64_t word, uint64_t delimiters) {
    word |= delimiters >> 2;  // a tab as delimiter is 0x29, not odd
    return (((word - kOnes * 0x0E) & ~word) | word) & kHighs;
  }

  // The unquoted field [p, q) less the blanks around it, and less the CR of a CR LF line
  // end when it ends the line.
  std::string_view plain_field(char* p, char* q, bool ends_line) const {
    while (p < q && is_blank(*p)) ++p;
    if (ends_line && q > p && q[-1] == '\r') --q;
    while (q > p && is_blank(q[-1])) --q;
    return {p, static_cast<size_t>(q - p)};
  }

  // The line at pos_ of a file that holds no quote: one pass over it, eight bytes at a
  // time, finds all its delimiters and its end, and whether its text is plain. The lowest
  // byte of the word must be the first in memory.
  void split_plain_line() {
    static_assert(std::endian::native == std::endian::little);
    char* const end = end_;
    const uint64_t delimiter_bytes = delimiters_;
    char* field = pos_;
    size_t count = 0;
    uint64_t odd = 0;  // the odd bytes of the line's words before the word at p
    for (char* p = pos_;; p += 8) {
      uint64_t word;
      uint64_t line_ends;
      if (end - p >= 8) {
        std::memcpy(&word, p, sizeof word);
        line_ends = zero_bytes(word ^ kLineEnds);
      } else {
        // The file's last bytes, zero-padded (a zero byte ends no field), and its end
        // marked as the end of the line.
        word = 0;
        std::memcpy(&word, p, static_cast<size_t>(end - p));
        line_ends = zero_bytes(word ^ kLineEnds) | uint64_t{0x80} << (8 * (end - p));
      }
      const uint64_t delimiters = zero_bytes(word ^ delimiter_bytes);
      const uint64_t word_odd = odd_bytes(word, delimiters);
      const uint64_t line_end = line_ends & (0 - line_ends);  // the first; 0 for none
      // Room for the fields this word can end: eight at most.
      if (slots_.size() - count < 8) slots_.resize(2 * slots_.size() + 8);
      std::string_view* const slots = slots_.data();
      // The delimiters before the line end; all of the word's when it holds none.
      for (uint64_t hits = delimiters & (line_end - 1); hits != 0; hits &= hits - 1) {
        char* at = p + std::countr_zero(hits) / 8;
        slots[count++] = plain_field(field, at, false);
        field = at + 1;
      }
      if (line_end != 0) {
        const int bytes = std::countr_zero(line_end) / 8;  // of the line, in this word
        char* at = p + bytes;
        slots[count++] = plain_field(field, at, true);
        count_ = count;
        // The text of the line in this word: less the CR of a CR LF, which the last field
        // loses.
        const int text_bytes = bytes > 0 && at[-1] == '\r' ? bytes - 1 : bytes;
        plain_text_ = (odd | (word_odd & ((uint64_t{1} << (8 * text_bytes)) - 1))) == 0;
        pos_ = at == end ? at : at + 1;
        if (at != end) ++line_;
        return;
      }
      odd |= word_odd;
    }
  }

  // The first delimiter or LF from p on, or end_: eight bytes at a time while eight are
  // left. A byte of x is zero exactly when the same byte of (x - 0x01..) & ~x & 0x80.. is
  // set, or a lower byte's is (so the lowest set byte is exact). The lowest byte of the
  // word must be the first in memory.
  char* field_end(char* p) const {
    static_assert(std::endian::native == std::endian::little);
    while (end_ - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, sizeof word);
      const uint64_t a = word ^ delimiters_;
      const uint64_t b = word ^ kLineEnds;
      const uint64_t found = ((a - kOnes) & ~a & kHighs) | ((b - kOnes) & ~b & kHighs);
      if (found != 0) return p + std::countr_zero(found) / 8;
      p += 8;
    }
    while (p < end_ && *p != delimiter_ && *p != '\n') ++p;
    return p;
  }

  void add_field(std::string_view field) {
    if (count_ == slots_.size()) slots_.resize(2 * slots_.size() + 8);
    slots_[count_++] = field;
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
  uint64_t delimiters_;      // the delimiter in every byte
  bool plain_ = false;       // the file holds no quote: each line is split in one pass
  bool plain_text_ = false;  // see plain_text()
  // The fields of the last record: the first count_ slots. Slots are only added, so that
  // a record is not written over a cleared vector.
  std::vector<std::string_view> slots_;
  size_t count_ = 0;
  int64_t line_ = 1;
};

// Tallies the fields of one kind (sex, birth date) that none of the accepted spellings
// reads, for one warning with their count: the distinct values, the first few with counts.
class UnreadValues {
 public:
  void add(std::string_view value, int64_t line) {
    if (count_ == 0) first_line_ = line;
    ++count_;
    for (auto& [text, times] : values_) {
      if (text == value) {
        ++times;
        return;
      }
    }
    if (values_.size() < kNamed) values_.emplace_back(std::string(value), 1);
  }

  /// One warning at the first such line: "N <what> ...: "x" (3), "y" (1); <hint>".
  void report(Report& report, Warning kind, std::string_view what, std::string_view hint) const {
    if (count_ == 0) return;
    std::string message = std::to_string(count_) + " " + std::string(what) + ": ";
    for (size_t k = 0; k < values_.size(); ++k) {
      if (k > 0) message += ", ";
      message += quoted(pedinfo::printable(values_[k].first)) + " (" +
                 std::to_string(values_[k].second) + ")";
    }
    if (values_.size() == kNamed) message += ", ...";
    message += "; ";
    message += hint;
    report.warning(first_line_, kind, message);
  }

 private:
  static constexpr size_t kNamed = 5;
  int64_t count_ = 0;
  int64_t first_line_ = 0;
  std::vector<std::pair<std::string, int64_t>> values_;
};

// Tallies the text fields that are not UTF-8, for one error at the first.
struct EightBitFields {
  int64_t count = 0;
  int64_t first_line = 0;
  std::string first;  // the field and its column

  void report(Report& report) const {
    if (count == 0) return;
    std::string message = first + " " + kEightBitEncoding;
    if (count > 1) message += " (" + std::to_string(count) + " such fields)";
    report.error(first_line, message);
  }
};

// A text field of a row (id, parent, family, race) that ids.tsv or races.tsv could not
// hold, or that is not UTF-8.
bool check_text(std::string_view text, const std::vector<std::string>& header, int column,
                int64_t line, Report& report, EightBitFields& eight_bit) {
  switch (text_fault(text)) {
    case TextFault::kNone:
      return true;
    case TextFault::kTabOrLineBreak:
      report.error(line, quoted(text) + " in " + column_name(header, column) +
                             " holds a tab or a line break, which ids.tsv cannot carry");
      return false;
    case TextFault::kNotUtf8:
      if (eight_bit.count++ == 0) {
        eight_bit.first_line = line;
        eight_bit.first = quoted(pedinfo::printable(text)) + " in " + column_name(header, column);
      }
      return false;
  }
  return false;
}

// The distinct values of the race column. A race column holds a few of them: while it
// does, a look through them is quicker than hashing. Only the values of rows read are
// kept, so each of them has passed the checks of a row's text.
class SpellingIndex {
 public:
  explicit SpellingIndex(std::vector<RaceSpelling>& spellings) : spellings_(spellings) {}

  /// The index of `text` among the spellings; -1 when it is none of them.
  int32_t find(std::string_view text) const {
    if (spellings_.size() <= kFew) {
      for (size_t s = 0; s < spellings_.size(); ++s) {
        if (spellings_[s].text == text) return static_cast<int32_t>(s);
      }
      return -1;
    }
    const auto at = index_.find(text);
    return at == index_.end() ? -1 : at->second;
  }

  /// Counts the row on `line` for the spelling `found` (find's answer for `text`), which
  /// is added when -1; returns its index.
  int32_t count(std::string_view text, int32_t found, int64_t line) {
    if (found < 0) {
      found = static_cast<int32_t>(spellings_.size());
      spellings_.push_back({text, line, 0});
      index_.emplace(text, found);
    }
    ++spellings_[static_cast<size_t>(found)].rows;
    return found;
  }

 private:
  static constexpr size_t kFew = 16;
  std::vector<RaceSpelling>& spellings_;
  std::unordered_map<std::string_view, int32_t> index_;
};

// Whether the fields repeat the header: a header line again, as a file joined from parts
// holds it.
bool repeats_header(std::span<const std::string_view> fields,
                    const std::vector<std::string>& header) {
  if (fields.size() != header.size()) return false;
  for (size_t k = 0; k < fields.size(); ++k) {
    if (fields[k] != header[k]) return false;
  }
  return true;
}

constexpr char kSexHint[] =
    "read as unknown (0); M/F, male/female, bull/cow, steer/heifer and 1/2 are read, "
    "--sex-codes MALE,FEMALE names others";
void read_delimited(char separator, const ReadOptions& options, InputTable& table, Report& report) {
  DelimitedScanner scanner(table.text, separator);
  std::span<const std::string_view> fields;
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
    const auto result = scanner.next(&line, &problem, &field);
    fields = scanner.fields();
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
  if (!find_columns(header, options.columns, options.fractions, separator, line, report,
                    &columns)) {
    return;
  }

  table.separator = separator;
  table.has_families = columns.family >= 0;
  table.fraction_count = static_cast<int>(columns.fractions.size());
  if (columns.race >= 0) table.race_column = column_name(header, columns.race);
  // A birth date for each row: as many as the rows are guessed to be.
  if (columns.born >= 0) table.born.reserve(table.rows.capacity());
  const size_t fraction_count = columns.fractions.size();
  std::vector<float> row_fractions(fraction_count);
  UnreadValues unread_sex;
  UnreadValues unread_born;
  EightBitFields eight_bit;
  SpellingIndex race_spellings(table.race_spellings);
  for (;;) {
    const auto result = scanner.next(&line, &problem, &field);
    fields = scanner.fields();
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
    if (repeats_header(fields, header)) {
      report.warning(line, Warning::kRepeatedHeader,
                     "the header line again: skipped, as are all lines that repeat it");
      continue;
    }
    InputRow row;
    row.line = static_cast<uint32_t>(line);
    const std::string_view id = fields[static_cast<size_t>(columns.id)];
    row.id = table.span_of(id);
    if (id.empty()) {
      report.error(line, "empty id in " + column_name(header, columns.id));
      continue;
    }
    if (is_missing_parent(id)) {
      report.error(line, "id " + quoted(id) + " in " + column_name(header, columns.id) +
                             " is a spelling of a missing parent and cannot name an animal");
      continue;
    }
    // A field of a record whose text is plain has nothing for check_text to find.
    const bool plain = scanner.plain_text();
    bool ok = plain || check_text(id, header, columns.id, line, report, eight_bit);
    const std::string_view sire = fields[static_cast<size_t>(columns.sire)];
    const std::string_view dam = fields[static_cast<size_t>(columns.dam)];
    if (!is_missing_parent(sire)) {
      row.sire = table.span_of(sire);
      ok = (plain || check_text(sire, header, columns.sire, line, report, eight_bit)) && ok;
    }
    if (!is_missing_parent(dam)) {
      row.dam = table.span_of(dam);
      ok = (plain || check_text(dam, header, columns.dam, line, report, eight_bit)) && ok;
    }
    if (columns.family >= 0) {
      const std::string_view family = fields[static_cast<size_t>(columns.family)];
      row.family = table.span_of(family);
      ok = (plain || check_text(family, header, columns.family, line, report, eight_bit)) && ok;
    }
    std::string_view race;
    int32_t race_spelling = -1;
    if (columns.race >= 0) {
      race = fields[static_cast<size_t>(columns.race)];
      // A spelling of a row read before has been checked then.
      race_spelling = race_spellings.find(race);
      if (race_spelling < 0)
        ok = (plain || check_text(race, header, columns.race, line, report, eight_bit)) && ok;
    }
    if (!ok) continue;
    if (columns.sex >= 0) {
      const std::string_view sex = fields[static_cast<size_t>(columns.sex)];
      if (const auto code = read_sex(sex, options.sex_words)) {
        row.sex = *code;
      } else {
        unread_sex.add(sex, line);
      }
    }
    if (columns.born >= 0) {
      const std::string_view born = fields[static_cast<size_t>(columns.born)];
      const auto date = read_birth_date(born);
      if (!date) unread_born.add(born, line);
      table.born.push_back(date.value_or(0));
    }
    for (size_t j = 0; j < fraction_count; ++j) {
      row_fractions[j] = 0.0f;
      const int column = columns.fractions[j];
      if (auto message = read_fraction(fields[static_cast<size_t>(column)], separator == ';',
                                       &row_fractions[j])) {
        report.error(line, *message + " (" + column_name(header, column) + ")");
      }
    }
    if (fraction_count > 0) {
      double sum = 0;
      for (float fraction : row_fractions) sum += fraction;
      // Four decimals are what the BLOOD file carries; a sum such as 0.3333 + 0.3333 +
      // 0.3334 is 1.
      if (sum > 1.0 + 1e-6) {
        report.warning(
            line, Warning::kFractionSum,
            "race fractions of " + quoted(id) + " sum to " + pedinfo::fixed4(sum) + ", above 1");
      }
    }
    if (columns.race >= 0) row.race_spelling = race_spellings.count(race, race_spelling, line);
    table.rows.push_back(row);
    table.fractions.insert(table.fractions.end(), row_fractions.begin(), row_fractions.end());
  }
  eight_bit.report(report);
  if (columns.sex >= 0) {
    unread_sex.report(
        report, Warning::kUnreadSex,
        "sex values in " + column_name(header, columns.sex) + " are none of the sexes", kSexHint);
  }
  if (columns.born >= 0) {
    unread_born.report(report, Warning::kUnreadBirthDate,
                       "birth dates in " + column_name(header, columns.born) + " cannot be read",
                       "read as unknown; a year (2015) or a date (2015-03-31, 31.03.2015) is read");
  }
}

void read_fam(const ReadOptions& options, InputTable& table, Report& report) {
  static const std::vector<std::string> kFamColumns = {"FID", "IID", "PAT", "MAT", "SEX"};
  UnreadValues unread_sex;
  EightBitFields eight_bit;
  table.has_families = true;
  table.ids_within_family = true;
  const char* p = table.text.data();
  const char* end = p + table.text.size();
  p += byte_order_mark_length(std::string_view(p, table.text.size()));
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
    row.line = static_cast<uint32_t>(line);
    row.family = table.span_of(fields[0]);
    row.id = table.span_of(fields[1]);
    if (is_missing_parent(fields[1])) {
      report.error(line,
                   "IID " + quoted(fields[1]) +
                       " (column 2) is a spelling of a missing parent and cannot name an animal");
      continue;
    }
    if (!is_missing_parent(fields[2])) row.sire = table.span_of(fields[2]);
    if (!is_missing_parent(fields[3])) row.dam = table.span_of(fields[3]);
    bool ok = true;
    for (int column = 0; column < 4; ++column) {
      ok = check_text(fields[column], kFamColumns, column, line, report, eight_bit) && ok;
    }
    if (!ok) continue;
    if (const auto code = read_sex(fields[4], options.sex_words)) {
      row.sex = *code;
    } else {
      unread_sex.add(fields[4], line);
    }
    table.rows.push_back(row);
  }
  eight_bit.report(report);
  unread_sex.report(report, Warning::kUnreadSex,
                    "sex values in column 5 \"SEX\" are none of the sexes", kSexHint);
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
  for (std::string_view table : {"csv", "tsv", "tab", "txt"}) {
    if (equals_ignoring_case(extension, table)) return Format::kTable;
  }
  if (equals_ignoring_case(extension, "fam")) return Format::kFam;
  return std::nullopt;
}

bool is_missing_parent(std::string_view field) {
  // Most parents are ids longer than any of the words.
  if (field.size() > 2) return false;
  if (field.size() == 2) {
    return (field[0] == 'N' || field[0] == 'n') && (field[1] == 'A' || field[1] == 'a');
  }
  return field.empty() || field[0] == '0' || field[0] == '.';
}

void read_table(Format format, const ReadOptions& options, InputTable& table, Report& report) {
  table.rows.clear();
  table.fractions.clear();
  table.fraction_count = 0;
  table.has_families = false;
  table.ids_within_family = false;
  table.race_spellings.clear();
  table.race_column.clear();
  table.born.clear();
  if (auto encoding = wide_encoding(table.text)) {
    report.error(1, *encoding);
    return;
  }
  if (table.text.size() > kMaxInputBytes) {
    report.error(1, "the file holds " + std::to_string(table.text.size()) +
                        " bytes; pedprep reads at most 4 GiB (" + std::to_string(kMaxInputBytes) +
                        " bytes)");
    return;
  }
  // A first guess of the row count from the bytes, to spare regrowing on large files.
  table.rows.reserve(table.text.size() / 32);
  switch (format) {
    case Format::kCsv:
      read_delimited(',', options, table, report);
      break;
    case Format::kTsv:
      read_delimited('\t', options, table, report);
      break;
    case Format::kTable: {
      std::string_view text(table.text.data(), table.text.size());
      text.remove_prefix(byte_order_mark_length(text));
      read_delimited(separator_of(text), options, table, report);
      break;
    }
    case Format::kFam:
      read_fam(options, table, report);
      break;
  }
}

}  // namespace pedpeel::pedprep
