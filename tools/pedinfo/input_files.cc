#include "tools/pedinfo/input_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <sstream>
#include <string_view>

#include "pedigree/loader.h"
#include "records/file_names.h"
#include "records/patterns.h"
#include "records/run_end.h"
#include "records/statement.h"

namespace pedpeel::pedinfo {

namespace {

constexpr int kControlUnit = 1;
constexpr int kDataUnit = 3;
constexpr int kNameLength = 20;

// A data field of a record, named for messages.
struct FieldName {
  std::string name;
  int first_column;
  int width;
};

// Item `item` (from 0) of a read with `pattern`: its columns, from the pattern's fields.
FieldName field_of(const Pattern& pattern, int item, std::string name) {
  int column = 1;
  for (const Element& element : pattern.elements) {
    if (element.kind == ElementKind::kLiteral) {
      column += static_cast<int>(element.literal.size());
      continue;
    }
    if (element.kind == ElementKind::kBreak) continue;
    if (item < element.repeat)
      return {std::move(name), column + item * element.width, element.width};
    column += element.repeat * element.width;
    item -= element.repeat;
  }
  return {std::move(name), column, 0};
}

// The items of PAT_PEDREC, in order.
constexpr const char* kPedRecItems[] = {"IPED", "ID", "IPAR1", "IPAR2", "RACE", "SEX", "INI_ID"};

std::string path_in(const std::string& directory, const std::string& name) {
  if (directory == "." || directory.empty()) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

// Reads the records of one data file on unit 3, counting lines, and turns the failures of
// single fields into findings.
class LineReader {
 public:
  LineReader(Units& units, std::string file, std::vector<Finding>& findings)
      : statement_(units), file_(std::move(file)), findings_(findings) {}

  int32_t line() const { return line_; }
  // The file has ended (or holds an end-of-file mark): nothing more can be read.
  bool ended() const { return ended_; }
  // A field of the current record failed to convert.
  bool record_failed() const { return record_failed_; }

  /// Starts the next record for `what` (e.g. "the record of row 6"). False, with a
  /// finding, at the end of the file.
  bool begin(const Pattern& pattern, const std::string& what) {
    record_failed_ = false;
    try {
      statement_.begin_statement(kDataUnit, pattern, Direction::kRead);
    } catch (const RunError& error) {
      ended_ = true;
      Finding finding = finding_at(line_ + 1, 0);
      finding.kind = "end-of-file";
      finding.message = "the file ends after line " + std::to_string(line_) + ", before " + what +
                        ": pedpeel ends with run-time error " +
                        std::string(error_code_text(error.code)) + " " +
                        std::string(error_message(error.code));
      findings_.push_back(std::move(finding));
      return false;
    }
    ++line_;
    return true;
  }

  /// Reads one item into `target`. False, with a finding, when its field fails.
  template <typename Target>
  bool item(Target target, const FieldName& field, int32_t row) {
    if (ended_) return false;
    try {
      statement_.transfer(target);
      return true;
    } catch (const RunError& error) {
      // The statement has moved past the failed field: the next item reads the next one.
      record_failed_ = true;
      const std::string_view record = statement_.current_record();
      const size_t first = static_cast<size_t>(field.first_column - 1);
      const std::string_view text =
          first < record.size() ? record.substr(first, static_cast<size_t>(field.width)) : "";
      Finding finding = finding_at(line_, row);
      finding.kind = "conversion-error";
      finding.message = "field " + field.name + " (columns " + std::to_string(field.first_column) +
                        "-" + std::to_string(field.first_column + field.width - 1) + ", \"" +
                        printable(text) + "\"): " + std::string(error_code_text(error.code)) + " " +
                        std::string(error_message(error.code)) +
                        "; pedpeel ends here with a run-time error";
      if (error.code == ErrorCode::kEndOfFile) {
        finding.kind = "end-of-file";
        finding.message = "field " + field.name + " holds an end-of-file mark (Ctrl-Z): pedpeel " +
                          "ends here with run-time error E6501 end of file encountered";
        ended_ = true;
      }
      findings_.push_back(std::move(finding));
      return false;
    }
  }

  void end() {
    if (!ended_) statement_.end_statement();
  }

  Finding capacity_stop(std::string message) const {
    Finding finding = finding_at(1, 0);
    finding.kind = "capacity-stop";
    finding.severity = Severity::kError;
    finding.message = std::move(message);
    return finding;
  }

 private:
  Finding finding_at(int32_t line, int32_t row) const {
    Finding finding;
    finding.file = file_;
    finding.line = line;
    finding.row = row;
    finding.row_read = false;
    finding.severity = Severity::kError;
    return finding;
  }

  RecordStatement statement_;
  std::string file_;
  std::vector<Finding>& findings_;
  int32_t line_ = 0;
  bool ended_ = false;
  bool record_failed_ = false;
};

void reserve_rows(InputFiles* input, int32_t rows) {
  input->population.reserve_rows(rows);
  const size_t size = input->population.ID.size();
  if (input->PED_LINE.size() < size) {
    input->PED_LINE.resize(size, 0);
    input->BLOOD_LINE.resize(size, 0);
    input->ROW_READ.resize(size, true);
  }
}

// Reads the pedigree file; false when its rows cannot be analysed.
bool read_pedigree_file(Units& units, InputFiles* input) {
  units.open(kDataUnit, input->PEDFILE, Form::kFormatted, OpenIntent::kInput);
  LineReader reader(units, input->PEDFILE, input->findings);
  Population& population = input->population;
  if (!reader.begin(PAT_COUNTS, "the count record")) return false;
  const bool count_read = reader.item(&input->pedfile_NIND, field_of(PAT_COUNTS, 0, "NIND"), 0);
  reader.end();
  if (!count_read) return false;
  population.NIND = input->pedfile_NIND;
  if (population.NIND > kMaxIndividuals) {
    input->findings.push_back(reader.capacity_stop(
        "NIND " + std::to_string(population.NIND) +
        " is more than 32767 individuals: pedpeel stops with \" Error: more than 32767 "
        "individuals.\""));
    return false;
  }
  reserve_rows(input, population.NIND);
  for (int32_t i = 1; i <= population.NIND; ++i) {
    const std::string what = "the record of row " + std::to_string(i) + " (NIND " +
                             std::to_string(population.NIND) + " on line 1)";
    if (!reader.begin(PAT_PEDREC, what)) return false;
    int k = 0;
    auto field = [&k] {
      const int item = k++;
      return field_of(PAT_PEDREC, item, kPedRecItems[item]);
    };
    reader.item(&population.IPED[i], field(), i);
    reader.item(&population.ID[i], field(), i);
    reader.item(&population.IPAR1[i], field(), i);
    reader.item(&population.IPAR2[i], field(), i);
    reader.item(&population.RACE[i], field(), i);
    reader.item(&population.SEX[i], field(), i);
    reader.item(std::span<char>(population.INI_ID[i]), field(), i);
    reader.end();
    if (reader.ended()) return false;
    input->PED_LINE[i] = reader.line();
    input->ROW_READ[i] = !reader.record_failed();
  }
  units.close(kDataUnit);
  return true;
}

// Reads the BLOOD file; false when the population cannot be analysed.
bool read_blood_file(Units& units, InputFiles* input) {
  units.open(kDataUnit, input->BLOODFILE, Form::kFormatted, OpenIntent::kInput);
  LineReader reader(units, input->BLOODFILE, input->findings);
  Population& population = input->population;
  if (!reader.begin(PAT_COUNTS, "the count record")) return false;
  const bool count_read = reader.item(&input->bloodfile_NIND, field_of(PAT_COUNTS, 0, "NIND"), 0) &&
                          reader.item(&population.NRACE, field_of(PAT_COUNTS, 1, "NRACE"), 0);
  reader.end();
  if (!count_read) return false;
  population.NIND = input->bloodfile_NIND;
  if (population.NIND > kMaxIndividuals) {
    input->findings.push_back(reader.capacity_stop(
        "NIND " + std::to_string(population.NIND) +
        " is more than 32767 individuals: pedpeel stops with \" Error: more than 32767 "
        "individuals.\""));
    return false;
  }
  if (population.NRACE > kMaxRaces) {
    input->findings.push_back(reader.capacity_stop(
        "NRACE " + std::to_string(population.NRACE) +
        " needs more than 10 race fractions per individual: pedpeel stops with \" Error: more "
        "than 10 race fractions per individual.\""));
    return false;
  }
  reserve_rows(input, population.NIND);
  const int fractions = population.fraction_count();
  for (int32_t i = 1; i <= population.NIND; ++i) {
    const std::string what = "the fractions of row " + std::to_string(i) + " (NIND " +
                             std::to_string(population.NIND) + " on line 1)";
    if (!reader.begin(PAT_BLOODREC, what)) return true;
    for (int j = 0; j < fractions; ++j) {
      reader.item(&population.BLOOD[i][j],
                  field_of(PAT_BLOODREC, j, "fraction " + std::to_string(j + 1)), i);
    }
    reader.end();
    if (reader.ended()) return true;
    input->BLOOD_LINE[i] = reader.line();
  }
  units.close(kDataUnit);
  return true;
}

// Reads the two data-file names; the failure when a name is blank.
std::optional<InputFailure> read_control_file(Units& units, InputFiles* input, bool* complete) {
  units.open(kControlUnit, kControlFile, Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(units);
  const char* const kWhat[] = {"the pedigree file", "the BLOOD file"};
  std::string* const kNames[] = {&input->PEDFILE, &input->BLOODFILE};
  for (int k = 0; k < 2; ++k) {
    std::array<char, kNameLength> field;
    try {
      statement.begin_statement(kControlUnit, PAT_NAME20, Direction::kRead);
    } catch (const RunError& error) {
      Finding finding;
      finding.file = kControlFile;
      finding.line = k + 1;
      finding.severity = Severity::kError;
      finding.kind = "end-of-file";
      finding.message = std::string("the file ends before the name of ") + kWhat[k] +
                        ": pedpeel ends with run-time error " +
                        std::string(error_code_text(error.code)) + " " +
                        std::string(error_message(error.code));
      input->findings.push_back(std::move(finding));
      *complete = false;
      return std::nullopt;
    }
    statement.transfer(std::span<char>(field));
    statement.end_statement();
    *kNames[k] = trim_file_name(std::string_view(field.data(), field.size()));
    if (kNames[k]->empty()) {
      return InputFailure{std::string(kControlFile) + ":" + std::to_string(k + 1) +
                          ": the name of " + kWhat[k] +
                          " is blank (pedpeel takes it from its command line or asks for it)"};
    }
  }
  units.close(kControlUnit);
  *complete = true;
  return std::nullopt;
}

}  // namespace

std::optional<InputFailure> read_input_files(const std::string& directory, InputFiles* input) {
  const int directory_fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory_fd < 0) return InputFailure{directory + ": cannot open the directory"};
  std::optional<InputFailure> failure;
  {
    // Console and standard input are never used: names are never blank here, and reading
    // writes no console line.
    std::istringstream in;
    std::ostringstream out;
    RunEnvironment environment{directory, {}, &in, &out, &out};
    RunIo io(directory_fd, environment);
    try {
      bool complete = false;
      failure = read_control_file(io.units, input, &complete);
      if (!failure && complete) {
        const bool pedigrees = read_pedigree_file(io.units, input);
        io.units.close(kDataUnit);
        const bool blood = read_blood_file(io.units, input);
        io.units.close(kDataUnit);
        input->analysable = pedigrees && blood;
        if (input->analysable) group_pedigrees(input->population);
      }
    } catch (const RunError& error) {
      // Only opens throw here: reading failures are findings.
      failure = InputFailure{path_in(directory, error.file) + ": " +
                             std::string(error_message(error.code)) + " (" +
                             std::string(error_code_text(error.code)) + ")"};
    }
  }
  ::close(directory_fd);
  if (input->analysable) reserve_rows(input, input->population.NIND);
  return failure;
}

}  // namespace pedpeel::pedinfo
