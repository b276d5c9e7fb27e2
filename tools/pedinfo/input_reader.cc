#include "tools/pedinfo/input_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <sstream>
#include <string_view>

#include "pedigree/loader.h"
#include "records/byte_order_mark.h"
#include "records/file_names.h"
#include "records/limits.h"
#include "records/patterns.h"
#include "records/run_end.h"
#include "records/run_files.h"
#include "records/statement.h"
#include "tools/pedinfo/misreads.h"
#include "tools/pedinfo/run_list.h"

namespace pedpeel::pedinfo {

namespace {

// Watches pedpeel's loader: keeps the line of every row's record, turns each failed read
// into a finding and lets the load go on, and looks at every record for misreads.
class InputObserver : public LoadObserver {
 public:
  explicit InputObserver(InputFiles& input) : input_(input) {}

  // The file whose count record was read last: the one a capacity stop is about.
  const std::string& last_count_file() const { return *last_count_file_; }
  // Both count records were read and the pedigree file held all its records.
  bool complete() const { return counts_read_ == 2 && pedigree_file_complete_; }

  void record_read(const LoadedRecord& record) override {
    const std::string& file = name_of(record.file);
    const Population& population = input_.population;
    if (record.row == 0) {
      ++counts_read_;
      last_count_file_ = &file;
      (record.file == DataFile::kPedigree ? input_.pedfile_NIND : input_.bloodfile_NIND) =
          population.NIND;
    } else {
      grow(record.row);
      (record.file == DataFile::kPedigree ? input_.PED_LINE : input_.BLOOD_LINE)[record.row] =
          record.line;
    }
    const uint32_t failed = same_record(record) ? failed_ : 0;
    find_misreads(record, file, failed, population.fraction_count(), &input_.findings);
  }

  AfterFailure read_failed(const LoadedRecord& record, int item, const RunError& error) override {
    const std::string& file = name_of(record.file);
    if (record.file == DataFile::kPedigree && error.code == ErrorCode::kEndOfFile) {
      pedigree_file_complete_ = false;
    }
    if (!same_record(record)) {
      failed_file_ = record.file;
      failed_line_ = record.line;
      failed_ = 0;
      explained_ = false;
    }
    if (item == -1) {
      input_.findings.push_back(end_of_file(record, file, error));
      return AfterFailure::kNextFile;
    }
    if (record.row != 0 && record.file == DataFile::kPedigree) {
      grow(record.row);
      input_.ROW_READ[record.row] = false;
    }
    failed_ |= 1u << item;
    if (!explained_) {
      if (std::optional<Finding> cause = failure_cause(record, file, item, error)) {
        input_.findings.push_back(std::move(*cause));
        explained_ = true;
      } else {
        input_.findings.push_back(conversion_error(record, file, item, error));
      }
    }
    // A count that does not convert leaves nothing to read the rest of the file by.
    return record.row == 0 ? AfterFailure::kNextFile : AfterFailure::kNextField;
  }

 private:
  // Whether `record` is the one the last failure was about.
  bool same_record(const LoadedRecord& record) const {
    return record.file == failed_file_ && record.line == failed_line_;
  }

  const std::string& name_of(DataFile file) const {
    return file == DataFile::kPedigree ? input_.PEDFILE : input_.BLOODFILE;
  }

  void grow(int32_t row) {
    const size_t size = static_cast<size_t>(row) + 1;
    if (input_.PED_LINE.size() >= size) return;
    input_.PED_LINE.resize(size, 0);
    input_.BLOOD_LINE.resize(size, 0);
    input_.ROW_READ.resize(size, true);
  }

  static Finding error_at(const std::string& file, int32_t line, int32_t row) {
    Finding finding;
    finding.file = file;
    finding.line = line;
    finding.row = row;
    finding.row_read = false;
    finding.severity = Severity::kError;
    return finding;
  }

  Finding end_of_file(const LoadedRecord& record, const std::string& file,
                      const RunError& error) const {
    std::string what = "the count record";
    if (record.row != 0) {
      what = std::string(record.file == DataFile::kPedigree ? "the record" : "the fractions") +
             " of row " + std::to_string(record.row) + " (NIND " +
             std::to_string(input_.population.NIND) + " on line 1)";
    }
    Finding finding = error_at(file, record.line, 0);
    finding.kind = "end-of-file";
    finding.message = "the file ends after line " + std::to_string(record.line - 1) + ", before " +
                      what + ": pedpeel ends with run-time error " +
                      std::string(error_code_text(error.code)) + " " +
                      std::string(error_message(error.code));
    return finding;
  }

  static Finding conversion_error(const LoadedRecord& record, const std::string& file, int item,
                                  const RunError& error) {
    const FieldName field = field_of(record.file, record.row, item);
    Finding finding = error_at(file, record.line, record.row);
    if (error.code == ErrorCode::kEndOfFile) {
      finding.kind = "end-of-file";
      finding.message = "field " + field.name + " holds an end-of-file mark (Ctrl-Z): pedpeel " +
                        "ends here with run-time error E6501 end of file encountered";
      return finding;
    }
    finding.kind = "conversion-error";
    finding.message = "field " + field.name + " (columns " + std::to_string(field.first_column) +
                      "-" + std::to_string(field.first_column + field.width - 1) + ", \"" +
                      printable(field_text(record.text, field)) +
                      "\"): " + std::string(error_code_text(error.code)) + " " +
                      std::string(error_message(error.code)) +
                      "; pedpeel ends here with a run-time error";
    return finding;
  }

  InputFiles& input_;
  const std::string* last_count_file_ = &input_.PEDFILE;
  int counts_read_ = 0;
  bool pedigree_file_complete_ = true;
  // The record of the last failure, the items of it that failed, and whether the cause of
  // its failures is reported.
  DataFile failed_file_ = DataFile::kPedigree;
  int32_t failed_line_ = 0;
  uint32_t failed_ = 0;
  bool explained_ = false;
};

Finding capacity_stop(const std::string& file, const Population& population, StopReason reason) {
  Finding finding;
  finding.file = file;
  finding.line = 1;
  finding.kind = "capacity-stop";
  finding.severity = Severity::kError;
  const std::string stop = "pedpeel stops with \"" + std::string(stop_message(reason)) + "\"";
  if (reason == StopReason::kTooManyFractions) {
    finding.message = "NRACE " + std::to_string(population.NRACE) + " needs more than " +
                      std::to_string(kMaxFractions) + " race fractions per individual: " + stop;
  } else {
    finding.message = "NIND " + std::to_string(population.NIND) + " is more than " +
                      std::to_string(kMaxIndividuals) + " individuals: " + stop;
  }
  return finding;
}

// Reads the two data-file names as pedpeel's driver does; the failure when a name is
// blank. *complete is false when the file ends before both names.
std::optional<InputFailure> read_control_file(Units& units, InputFiles* input, bool* complete) {
  units.open(kControlUnit, kControlFile, Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(units);
  const char* const kWhat[] = {"the pedigree file", "the BLOOD file"};
  std::string* const kNames[] = {&input->PEDFILE, &input->BLOODFILE};
  for (int k = 0; k < 2; ++k) {
    std::array<char, kNameWidth> field;
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

// The failure of an open, naming the file; a name that starts with a byte order mark got
// it from the control file.
InputFailure open_failure(const std::string& directory, const RunError& error) {
  std::string message = path_in(directory, printable(error.file)) + ": " +
                        std::string(error_message(error.code)) + " (" +
                        std::string(error_code_text(error.code)) + ")";
  if (std::string_view(error.file).starts_with(kByteOrderMark)) {
    message += "; " + std::string(kControlFile) +
               " starts with a UTF-8 byte order mark (bytes EF BB BF), which pedpeel reads as "
               "the first characters of this name";
  }
  return InputFailure{std::move(message)};
}

}  // namespace

bool InputFiles::read_failed() const {
  for (const Finding& finding : findings) {
    if (finding.severity == Severity::kError) return true;
  }
  return false;
}

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
    InputObserver observer(*input);
    try {
      bool complete = false;
      failure = read_control_file(io.units, input, &complete);
      if (!failure && complete) {
        load_population(io, input->PEDFILE, input->BLOODFILE, input->population, &observer);
        input->analysable = observer.complete();
        if (input->analysable) group_pedigrees(input->population);
      }
    } catch (const RunStop& stop) {
      input->findings.push_back(
          capacity_stop(observer.last_count_file(), input->population, stop.reason));
    } catch (const RunError& error) {
      // Only opens throw here: the observer lets the load go on past every failed read.
      failure = open_failure(directory, error);
    }
  }
  ::close(directory_fd);
  // Every row of the tables has its lines, 0 where no record gave it one.
  const size_t rows = input->population.ID.size();
  if (input->PED_LINE.size() < rows) {
    input->PED_LINE.resize(rows, 0);
    input->BLOOD_LINE.resize(rows, 0);
    input->ROW_READ.resize(rows, true);
  }
  return failure;
}

}  // namespace pedpeel::pedinfo
