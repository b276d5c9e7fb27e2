#include "tools/pedinfo/misreads.h"

#include <cstdio>
#include <limits>

#include "records/byte_order_mark.h"
#include "records/field_input.h"
#include "records/limits.h"
#include "records/patterns.h"
#include "tools/pedinfo/output_text.h"

namespace pedpeel::pedinfo {

namespace {

constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();

// The items of PAT_PEDREC, in order.
constexpr const char* kPedRecItems[] = {"IPED", "ID", "IPAR1", "IPAR2", "RACE", "SEX", "INI_ID"};
// The integer items of PAT_PEDREC: all but INI_ID.
constexpr int kPedRecIntegers = 6;

const Pattern& pattern_of(DataFile file, int32_t row) {
  if (row == 0) return PAT_COUNTS;
  return file == DataFile::kPedigree ? PAT_PEDREC : PAT_BLOODREC;
}

std::string columns(const FieldName& field) {
  return "columns " + std::to_string(field.first_column) + "-" +
         std::to_string(field.first_column + field.width - 1);
}

// "NAME (columns a-b, "text")".
std::string described(const FieldName& field, std::string_view record) {
  return field.name + " (" + columns(field) + ", \"" + printable(field_text(record, field)) + "\")";
}

bool blank(char c) {
  return c == ' ' || c == '\t';
}

// Without blanks and tabs at either end. (Plain loops: every field of every record passes
// here.)
std::string_view trimmed(std::string_view text) {
  size_t first = 0;
  size_t end = text.size();
  while (first < end && blank(text[first])) ++first;
  while (end > first && blank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

// Whether blanks stand between other characters of `text`, blanks at either end left
// aside: a first run of other characters, blanks, then more. (One pass: every integer
// field of every record is looked at.)
bool blank_inside(std::string_view text) {
  size_t k = 0;
  while (k < text.size() && blank(text[k])) ++k;
  while (k < text.size() && !blank(text[k])) ++k;
  while (k < text.size() && blank(text[k])) ++k;
  return k < text.size();
}

Finding finding_at(const LoadedRecord& record, const std::string& file, const char* kind,
                   Severity severity, std::string message) {
  Finding finding;
  finding.file = file;
  finding.line = record.line;
  finding.row = record.row;
  finding.severity = severity;
  finding.kind = kind;
  finding.message = std::move(message);
  return finding;
}

// Integer fields whose digits have blanks between them: the blanks are dropped.
void find_blanks_in_numbers(const LoadedRecord& record, const std::string& file, uint32_t failed,
                            int integers, std::vector<Finding>* findings) {
  std::string fields;
  bool tabs = false;
  for (int item = 0; item < integers; ++item) {
    if (failed & (1u << item)) continue;
    const auto [first_column, width] = field_columns(record.file, record.row, item);
    const std::string_view text = field_text(record.text, first_column, width);
    if (!blank_inside(text)) continue;
    const std::string_view number = trimmed(text);
    const FieldName field = field_of(record.file, record.row, item);
    int64_t value = 0;
    if (parse_integer(number, -kLargest, kLargest, &value)) continue;
    tabs = tabs || number.find('\t') != std::string_view::npos;
    fields += (fields.empty() ? "" : ", ") + described(field, record.text) + " reads as " +
              std::to_string(value);
  }
  if (fields.empty()) return;
  findings->push_back(finding_at(record, file, "blanks-in-number", Severity::kWarning,
                                 "blanks inside a number are dropped: " + fields +
                                     "; the file looks separated by " + (tabs ? "tabs" : "spaces") +
                                     " rather than laid out in fixed columns"));
}

// Fractions written without a decimal point: their last four digits are the decimals.
void find_fractions_without_point(const LoadedRecord& record, const std::string& file,
                                  uint32_t failed, int fractions, std::vector<Finding>* findings) {
  std::string fields;
  for (int item = 0; item < fractions; ++item) {
    if (failed & (1u << item)) continue;
    const auto [first_column, width] = field_columns(record.file, record.row, item);
    const std::string_view number = trimmed(field_text(record.text, first_column, width));
    if (number.empty() || number.find('.') != std::string_view::npos) continue;
    const FieldName field = field_of(record.file, record.row, item);
    float value = 0;
    if (parse_real(number, PAT_BLOODREC.elements[0].digits, &value) || value == 0.0f) continue;
    fields +=
        (fields.empty() ? "" : ", ") + described(field, record.text) + " reads as " + fixed4(value);
  }
  if (fields.empty()) return;
  findings->push_back(finding_at(record, file, "no-decimal-point", Severity::kWarning,
                                 "no decimal point: " + fields +
                                     "; pedpeel takes the last four digits of such a field "
                                     "as decimals"));
}

}  // namespace

std::pair<int, int> field_columns(DataFile file, int32_t row, int item) {
  int column = 1;
  for (const Element& element : pattern_of(file, row).elements) {
    if (element.kind == ElementKind::kLiteral) {
      column += static_cast<int>(element.literal.size());
      continue;
    }
    if (element.kind == ElementKind::kBreak) continue;
    if (item < element.repeat) return {column + item * element.width, element.width};
    column += element.repeat * element.width;
    item -= element.repeat;
  }
  return {column, 0};
}

FieldName field_of(DataFile file, int32_t row, int item) {
  std::string name;
  if (row == 0) {
    name = item == 0 ? "NIND" : "NRACE";
  } else if (file == DataFile::kPedigree) {
    name = kPedRecItems[item];
  } else {
    name = "fraction " + std::to_string(item + 1);
  }
  const auto [first_column, width] = field_columns(file, row, item);
  return {std::move(name), first_column, width};
}

std::string_view field_text(std::string_view record, int first_column, int width) {
  const size_t first = static_cast<size_t>(first_column - 1);
  return first < record.size() ? record.substr(first, static_cast<size_t>(width)) : "";
}

std::optional<Finding> failure_cause(const LoadedRecord& record, const std::string& file, int item,
                                     const RunError& error) {
  if (item != 0 || error.code == ErrorCode::kEndOfFile) return std::nullopt;
  const FieldName field = field_of(record.file, record.row, item);
  const std::string ends = "ends here with run-time error " +
                           std::string(error_code_text(error.code)) + " " +
                           std::string(error_message(error.code));
  if (record.line == 1 && record.text.starts_with(kByteOrderMark)) {
    return finding_at(record, file, "byte-order-mark", Severity::kError,
                      "the file starts with a UTF-8 byte order mark (bytes EF BB BF), which "
                      "pedpeel reads as the first characters of field " +
                          described(field, record.text) + " and " + ends +
                          "; save the file without it");
  }
  const std::string_view text = trimmed(record.text);
  const char first = text.empty() ? ' ' : text.front();
  const bool letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
  if (!letter && first != '#') return std::nullopt;
  Finding finding =
      finding_at(record, file, "header-row", Severity::kError,
                 "looks like a header row (\"" + printable(text) + "\"): pedpeel reads it as " +
                     (record.row == 0 ? std::string("the count record")
                                      : "the record of row " + std::to_string(record.row)) +
                     " and " + ends + " in field " + described(field, record.text) +
                     "; the file must hold no header");
  finding.row_read = false;
  return finding;
}

void find_misreads(const LoadedRecord& record, const std::string& file, uint32_t failed,
                   int fractions, std::vector<Finding>* findings) {
  // With a comma in it, a record's fields no longer stand in their columns.
  const bool fixed_columns = record.text.find(',') == std::string_view::npos;
  if (record.row == 0) {
    if (fixed_columns) {
      find_blanks_in_numbers(record, file, failed, record.file == DataFile::kPedigree ? 1 : 2,
                             findings);
    }
    const FieldName field = field_of(record.file, record.row, 0);
    int64_t nind = 0;
    if ((failed & 1u) == 0 &&
        !parse_integer(field_text(record.text, field), -kLargest, kLargest, &nind) && nind < 1) {
      findings->push_back(finding_at(
          record, file, "nind-zero", Severity::kWarning,
          "NIND " + std::to_string(nind) + " (" + columns(field) + ", \"" +
              printable(field_text(record.text, field)) + "\"): " +
              (record.file == DataFile::kPedigree
                   ? "pedpeel reads no individual record from this file"
                   : "pedpeel reads no fractions and takes row 1 alone as the population")));
    }
    return;
  }
  if (record.file == DataFile::kBlood) {
    if (fixed_columns) find_fractions_without_point(record, file, failed, fractions, findings);
    return;
  }
  if (fixed_columns) find_blanks_in_numbers(record, file, failed, kPedRecIntegers, findings);
  if (record.text_past != 0) {
    const FieldName ini_id = field_of(record.file, record.row, kPedRecIntegers);
    findings->push_back(
        finding_at(record, file, "text-past-column-42", Severity::kWarning,
                   "text past column " + std::to_string(ini_id.first_column + ini_id.width - 1) +
                       ", from column " + std::to_string(record.text_past) +
                       " on, is not read: INI_ID is cut to the " + std::to_string(kIniIdLength) +
                       " characters of " + columns(ini_id) + ", \"" +
                       printable(field_text(record.text, ini_id)) + "\""));
  }
}

}  // namespace pedpeel::pedinfo
