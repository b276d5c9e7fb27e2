// Fuzz target: the whole run in-process in a temporary directory.
//
// Input layout: a flags byte, then parts separated by the line "%%": the pedigree file
// (peds.dat), the BLOOD file (blood.dat), optionally the control file input1.dat (else one
// naming the two files) and optionally standard input. Flag bit 0 passes the two names as
// command-line arguments, for control files with blank name fields.
//
// Invariants after every run: exit status 0, 1 or 2; standard error empty or one
// well-formed run-time error report, present exactly when the status is 1; every text file
// written ends on a complete record; iway.IWA, when present, is header, framed records and
// trailer (seven records after a normal end); the inputs are unchanged and no other file
// appears; the test oracle produces the same bytes everywhere.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "records/binary_records.h"
#include "testing/output_checks.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

using testing::RunResult;
using testing::TempDir;

constexpr std::string_view kSeparator = "\n%%\n";
constexpr char kDefaultControl[] = "peds.dat\r\nblood.dat\r\n";
constexpr int kNamesAsArguments = 1;

void require(bool condition, const char* invariant) {
  if (condition) return;
  std::fprintf(stderr, "invariant violated: %s\n", invariant);
  std::abort();
}

struct Case {
  std::string peds;
  std::string blood;
  std::string control = kDefaultControl;
  std::string input;
  std::vector<std::string> arguments;
};

Case split_input(std::string_view bytes) {
  Case run;
  const uint8_t flags = bytes.empty() ? 0 : static_cast<uint8_t>(bytes[0]);
  if (!bytes.empty()) bytes.remove_prefix(1);
  std::vector<std::string> parts;
  for (;;) {
    const size_t at = bytes.find(kSeparator);
    parts.emplace_back(bytes.substr(0, at));
    if (at == std::string_view::npos || parts.size() == 4) break;
    bytes.remove_prefix(at + kSeparator.size());
  }
  run.peds = parts[0];
  if (parts.size() > 1) run.blood = parts[1];
  if (parts.size() > 2) {
    // Names stay inside the run's directory.
    run.control = parts[2];
    for (char& c : run.control) {
      if (c == '/') c = '_';
    }
  }
  if (parts.size() > 3) run.input = parts[3];
  if (flags & kNamesAsArguments) run.arguments = {"peds.dat", "blood.dat"};
  return run;
}

RunResult run_case(const Case& run, bool oracle_engine) {
  const TempDir directory;
  directory.write("input1.dat", run.control);
  directory.write("peds.dat", run.peds);
  directory.write("blood.dat", run.blood);
  return testing::run_in_process(directory, run.arguments, run.input, oracle_engine);
}

void check_run(const Case& run, const RunResult& result) {
  require(result.status >= 0 && result.status <= 2, "exit status 0, 1 or 2");
  const auto def_err = result.files.find("def.err");
  require(testing::standard_error_fits(result.status, result.err,
                                       def_err != result.files.end() ? def_err->second : ""),
          "standard error fits the status: one report exactly with status 1");
  const std::string& out = result.out;
  require(out.empty() || out.ends_with("\r\n") || out.ends_with("? "),
          "console ends with a line end or the prompt");

  static const std::set<std::string> kKnown = {"input1.dat", "peds.dat", "blood.dat", "VOLMA.DAT",
                                               "def.err",    "iway.IWA", "iway.IVM"};
  for (const auto& [name, bytes] : result.files) {
    require(kKnown.count(name) == 1, "no file other than the run's own");
    if (name == "VOLMA.DAT" || name == "def.err" || name == "iway.IVM") {
      require(testing::holds_complete_records(bytes), "text file of complete records");
    }
  }
  require(result.files.at("input1.dat") == run.control, "control file unchanged");
  require(result.files.at("peds.dat") == run.peds, "pedigree file unchanged");
  require(result.files.at("blood.dat") == run.blood, "BLOOD file unchanged");
  const auto iwa = result.files.find("iway.IWA");
  if (iwa != result.files.end()) {
    const auto records = read_binary_records(iwa->second);
    require(records.has_value(), "iway.IWA framed");
    if (result.status == 0) require(records->size() == 7, "iway.IWA of seven records");
  } else {
    require(result.status != 0, "a normal end writes iway.IWA");
  }
}

}  // namespace
}  // namespace pedpeel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pedpeel;
  const Case run = split_input(std::string_view(reinterpret_cast<const char*>(data), size));
  const RunResult production = run_case(run, false);
  check_run(run, production);
  const RunResult oracle = run_case(run, true);
  require(oracle.status == production.status, "engines agree on the status");
  require(oracle.out == production.out, "engines agree on the console");
  require(oracle.err == production.err, "engines agree on the report");
  require(oracle.files == production.files, "engines agree on every file");
  return 0;
}
