// Fuzz target: arbitrary bytes read as a data file on unit 3 through every input pattern
// (PAT_COUNTS, PAT_PEDREC, PAT_BLOODREC, PAT_NAME20), one statement per record, until the
// reader ends with a run-time error.
//
// Invariants: the error is one a READ can raise, for this file; a statement that ends
// stores a value in range in every target (never -128, -32768, INT32_MIN or a non-finite
// real); with no Ctrl-Z in the file, the end-of-file error comes exactly after one
// statement per record.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <span>
#include <sstream>
#include <string>

#include "records/patterns.h"
#include "records/run_end.h"
#include "records/run_files.h"
#include "records/statement.h"
#include "testing/output_checks.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

constexpr char kFileName[] = "data.dat";

void require(bool condition, const char* invariant) {
  if (condition) return;
  std::fprintf(stderr, "invariant violated: %s\n", invariant);
  std::abort();
}

bool is_read_error(ErrorCode code) {
  switch (code) {
    case ErrorCode::kEndOfFile:
    case ErrorCode::kIntegerOverflow:
    case ErrorCode::kInvalidInteger:
    case ErrorCode::kMultipleRadix:
    case ErrorCode::kIllegalRadix:
    case ErrorCode::kInvalidReal:
    case ErrorCode::kRealOverflow:
      return true;
    default:
      return false;
  }
}

// Records of the file as the reader splits them: one per LF, plus a last line without LF.
size_t record_count(std::string_view bytes) {
  const size_t lines = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  return lines + (!bytes.empty() && bytes.back() != '\n' ? 1 : 0);
}

// Sentinels: values no successful conversion may leave in a target.
constexpr int8_t kNo8 = std::numeric_limits<int8_t>::min();
constexpr int16_t kNo16 = std::numeric_limits<int16_t>::min();
constexpr int32_t kNo32 = std::numeric_limits<int32_t>::min();

void read_counts(RecordStatement& statement, int items) {
  std::array<int32_t, 10> values;
  values.fill(kNo32);
  statement.begin_statement(kDataUnit, PAT_COUNTS, Direction::kRead);
  for (int i = 0; i < items; ++i) statement.transfer(&values[i]);
  statement.end_statement();
  for (int i = 0; i < items; ++i) require(values[i] != kNo32, "PAT_COUNTS value in range");
}

void read_pedrec(RecordStatement& statement) {
  std::array<int16_t, 4> ids;
  ids.fill(kNo16);
  std::array<int8_t, 2> codes;
  codes.fill(kNo8);
  std::array<char, 12> ini_id;
  statement.begin_statement(kDataUnit, PAT_PEDREC, Direction::kRead);
  for (int16_t& id : ids) statement.transfer(&id);
  for (int8_t& code : codes) statement.transfer(&code);
  statement.transfer(std::span<char>(ini_id));
  statement.end_statement();
  for (int16_t id : ids) require(id != kNo16, "16-bit value in range");
  for (int8_t code : codes) require(code != kNo8, "8-bit value in range");
}

void read_bloodrec(RecordStatement& statement, int items) {
  std::array<float, 10> fractions;
  fractions.fill(std::numeric_limits<float>::quiet_NaN());
  statement.begin_statement(kDataUnit, PAT_BLOODREC, Direction::kRead);
  for (int i = 0; i < items; ++i) statement.transfer(&fractions[i]);
  statement.end_statement();
  for (int i = 0; i < items; ++i) require(std::isfinite(fractions[i]), "finite real");
}

void read_name(RecordStatement& statement) {
  std::array<char, 20> name;
  statement.begin_statement(kDataUnit, PAT_NAME20, Direction::kRead);
  statement.transfer(std::span<char>(name));
  statement.end_statement();
}

// Reads the file with the statement order chosen by `seed` until a run-time error ends it.
// Returns the number of statements that ended normally.
size_t read_until_error(Units& units, uint8_t seed, RunError* error) {
  units.open(kDataUnit, kFileName, Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(units);
  size_t done = 0;
  try {
    for (;; ++done) {
      const size_t step = seed + done;
      const int items = static_cast<int>((step / 4) % 11);
      switch (step % 4) {
        case 0:
          read_counts(statement, std::max(items, 1));
          break;
        case 1:
          read_pedrec(statement);
          break;
        case 2:
          read_bloodrec(statement, items);
          break;
        default:
          read_name(statement);
          break;
      }
    }
  } catch (const RunError& caught) {
    *error = caught;
  }
  units.close(kDataUnit);
  return done;
}

}  // namespace
}  // namespace pedpeel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pedpeel;
  static const testing::TempDir directory;
  static const int directory_fd = ::open(directory.path().c_str(), O_RDONLY | O_DIRECTORY);
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  directory.write(kFileName, bytes);

  std::istringstream in;
  std::ostringstream out, err;
  RunEnvironment environment;
  environment.in = &in;
  environment.out = &out;
  environment.err = &err;
  RunIo io(directory_fd, environment);
  RunError error{};
  const size_t statements = read_until_error(io.units, size > 0 ? data[0] : 0, &error);

  require(is_read_error(error.code), "a READ error code");
  require(error.statement == StatementKind::kRead, "statement READ");
  require(error.file == kFileName, "report names the file");
  require(testing::is_run_error_report(error.report()), "well-formed report");
  require(statements <= record_count(bytes), "at most one statement per record");
  if (error.code == ErrorCode::kEndOfFile && bytes.find('\x1A') == std::string::npos) {
    require(statements == record_count(bytes), "end of file after the last record");
  }
  require(!io.units.close_all().has_value(), "closing a read unit cannot fail");
  require(out.str().empty() && err.str().empty(), "the reader writes no console text");
  return 0;
}
