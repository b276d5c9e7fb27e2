// Fuzz target: arbitrary bytes read as a data file on unit 3 through every input pattern
// (PAT_COUNTS, PAT_PEDREC, PAT_BLOODREC, PAT_NAME20), one statement per record, until the
// reader ends with a run-time error.
//
// Invariants: the error is one a READ can raise, for this file; a statement that ends
// stores a value in range in every target (never -128, -32768, INT32_MIN or a non-finite
// real); with no Ctrl-Z in the file, the end-of-file error comes exactly after one
// statement per record. A second unit on the same file takes the same statements, the
// PAT_PEDREC and PAT_BLOODREC ones by read_statement(): both store the same values, fail
// alike, and stay on the same record.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <span>
#include <sstream>
#include <string>

#include "records/patterns.h"
#include "records/run_end.h"
#include "records/run_files.h"
#include "records/statement.h"
#include "records/whole_record.h"
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

// The targets of every kind of statement, each set to a sentinel.
struct Targets {
  std::array<int32_t, 10> counts;
  std::array<int16_t, 4> ids;
  std::array<int8_t, 2> codes;
  std::array<char, 12> ini_id;
  std::array<float, 10> fractions;
  std::array<char, 20> name;
  Targets() {
    counts.fill(kNo32);
    ids.fill(kNo16);
    codes.fill(kNo8);
    ini_id.fill('?');
    fractions.fill(std::numeric_limits<float>::quiet_NaN());
    name.fill('?');
  }
  // Equal to the bit: a real by its bits.
  bool operator==(const Targets& other) const {
    return counts == other.counts && ids == other.ids && codes == other.codes &&
           ini_id == other.ini_id && name == other.name &&
           std::bit_cast<std::array<uint32_t, 10>>(fractions) ==
               std::bit_cast<std::array<uint32_t, 10>>(other.fractions);
  }
};

// Each read_* reads one statement into `t`: a PAT_PEDREC or PAT_BLOODREC one by
// read_statement() when `whole`, every other one item by item.
void read_counts(RecordStatement& statement, bool /*whole*/, Targets& t, int items) {
  statement.begin_statement(kDataUnit, PAT_COUNTS, Direction::kRead);
  for (int i = 0; i < items; ++i) statement.transfer(&t.counts[i]);
  statement.end_statement();
  for (int i = 0; i < items; ++i) require(t.counts[i] != kNo32, "PAT_COUNTS value in range");
}

void read_pedrec(RecordStatement& statement, bool whole, Targets& t, int /*items*/) {
  if (whole) {
    read_statement(statement, kDataUnit, PAT_PEDREC, &t.ids[0], &t.ids[1], &t.ids[2], &t.ids[3],
                   &t.codes[0], &t.codes[1], std::span<char>(t.ini_id));
  } else {
    statement.begin_statement(kDataUnit, PAT_PEDREC, Direction::kRead);
    for (int16_t& id : t.ids) statement.transfer(&id);
    for (int8_t& code : t.codes) statement.transfer(&code);
    statement.transfer(std::span<char>(t.ini_id));
    statement.end_statement();
  }
  for (int16_t id : t.ids) require(id != kNo16, "16-bit value in range");
  for (int8_t code : t.codes) require(code != kNo8, "8-bit value in range");
}

void read_bloodrec(RecordStatement& statement, bool whole, Targets& t, int items) {
  if (whole) {
    read_statement(statement, kDataUnit, PAT_BLOODREC,
                   std::span<float>(t.fractions.data(), static_cast<size_t>(items)));
  } else {
    statement.begin_statement(kDataUnit, PAT_BLOODREC, Direction::kRead);
    for (int i = 0; i < items; ++i) statement.transfer(&t.fractions[i]);
    statement.end_statement();
  }
  for (int i = 0; i < items; ++i) require(std::isfinite(t.fractions[i]), "finite real");
}

void read_name(RecordStatement& statement, bool /*whole*/, Targets& t, int /*items*/) {
  statement.begin_statement(kDataUnit, PAT_NAME20, Direction::kRead);
  statement.transfer(std::span<char>(t.name));
  statement.end_statement();
}

using Read = void (*)(RecordStatement&, bool, Targets&, int);

// Reads one statement by `read` on each unit, item by item on the first and whole on the
// second: both must store the same values and end alike. The first one's error goes on.
void read_both(RecordStatement& statement, RecordStatement& whole, Read read, int items) {
  Targets targets, whole_targets;
  std::optional<RunError> error, whole_error;
  try {
    read(statement, false, targets, items);
  } catch (const RunError& caught) {
    error = caught;
  }
  try {
    read(whole, true, whole_targets, items);
  } catch (const RunError& caught) {
    whole_error = caught;
  }
  require(targets == whole_targets, "read_statement stores what the items store");
  require(error.has_value() == whole_error.has_value() &&
              (!error.has_value() || error->code == whole_error->code),
          "read_statement fails as the items fail");
  if (error.has_value()) throw *error;
}

// Reads the file with the statement order chosen by `seed` until a run-time error ends it,
// on `units` and on `whole_units` alike. Returns the number of statements that ended
// normally.
size_t read_until_error(Units& units, Units& whole_units, uint8_t seed, RunError* error) {
  units.open(kDataUnit, kFileName, Form::kFormatted, OpenIntent::kInput);
  whole_units.open(kDataUnit, kFileName, Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(units);
  RecordStatement whole(whole_units);
  constexpr Read kReads[] = {read_counts, read_pedrec, read_bloodrec, read_name};
  size_t done = 0;
  try {
    for (;; ++done) {
      const size_t step = seed + done;
      const int items = static_cast<int>((step / 4) % 11);
      read_both(statement, whole, kReads[step % 4], step % 4 == 0 ? std::max(items, 1) : items);
    }
  } catch (const RunError& caught) {
    *error = caught;
  }
  // The units stand on the same record after the error too.
  try {
    read_both(statement, whole, read_name, 0);
  } catch (const RunError&) {
  }
  units.close(kDataUnit);
  whole_units.close(kDataUnit);
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
  RunIo whole_io(directory_fd, environment);
  RunError error{};
  const size_t statements =
      read_until_error(io.units, whole_io.units, size > 0 ? data[0] : 0, &error);

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
