// Whole-program runs in a hostile environment: a full device, names that are directories,
// no file handles left, a file-size limit, standard input closed at the blank-name prompt,
// and every cut and single-byte change of a valid sample. Whatever happens, the run ends
// with its exact report and exit status, every file it wrote holds complete records up to
// its last write, and no file it never opened is touched. Only the file-permission cases
// depend on who runs them: they run as an ordinary user even when the test runs as root.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "records/binary_records.h"
#include "testing/output_checks.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

using testing::RunResult;
using testing::TempDir;

using Files = std::map<std::string, std::string>;

const std::vector<std::string> kOutputs = {"VOLMA.DAT", "def.err", "iway.IWA", "iway.IVM"};
const std::set<std::string> kTextOutputs = {"VOLMA.DAT", "def.err", "iway.IVM"};
// Placed in every directory; no run opens it.
constexpr char kBystander[] = "notes.txt";
constexpr char kBystanderBytes[] = "kept as it is\r\n";
// What a file that the run must not reach holds before it.
constexpr char kOldBytes[] = "left by an earlier run\r\n";

using pedpeel::testing::read_file;

std::string report(const std::string& code, const std::string& statement, const std::string& name,
                   const std::string& message) {
  return "\r\nrun-time error " + code + ": " + statement + "(" + name + ")\r\n- " + message +
         "\r\n";
}

// The valid sample population: two pedigrees, a sib mating, three races.
Files sample_inputs() {
  const std::string data = std::string(PEDPEEL_TEST_DATA) + "/hardening/";
  Files files;
  for (const char* name : {"input1.dat", "peds.dat", "blood.dat"}) {
    files[name] = read_file(data + name);
  }
  return files;
}

// A cousin mating: the pedigree cannot be taken apart, so the core writes the loop report.
Files loop_inputs() {
  Files files = sample_inputs();
  files["peds.dat"] =
      "    9\r\n"
      "    1    1    0    0    1    1L001\r\n"
      "    1    2    0    0    1    2L002\r\n"
      "    1    3    1    2    1    1L003\r\n"
      "    1    4    1    2    1    2L004\r\n"
      "    1    5    0    0    1    2L005\r\n"
      "    1    7    0    0    1    1L007\r\n"
      "    1    6    3    5    1    1L006\r\n"
      "    1    8    7    4    1    2L008\r\n"
      "    1    9    6    8    1    1L009\r\n";
  files["blood.dat"] = "    9    2\r\n";
  for (int i = 0; i < 9; ++i) files["blood.dat"] += "      1.0000\r\n";
  return files;
}

// Many small pedigrees (a trio each): VOLMA.DAT grows far past one output buffer.
Files large_inputs(int pedigrees) {
  Files files = sample_inputs();
  std::string peds = std::to_string(3 * pedigrees);
  peds.insert(0, 5 - peds.size(), ' ');
  std::string blood = peds + "    2\r\n";
  peds += "\r\n";
  char line[64];
  for (int p = 1; p <= pedigrees; ++p) {
    std::snprintf(line, sizeof line, "%5d    1    0    0    1    1F%05d\r\n", p, p);
    peds += line;
    std::snprintf(line, sizeof line, "%5d    2    0    0    1    2M%05d\r\n", p, p);
    peds += line;
    std::snprintf(line, sizeof line, "%5d    3    1    2    1    1C%05d\r\n", p, p);
    peds += line;
    for (int i = 0; i < 3; ++i) blood += "      0.5000\r\n";
  }
  files["peds.dat"] = peds;
  files["blood.dat"] = blood;
  return files;
}

void place(const TempDir& dir, const Files& files) {
  for (const auto& [name, bytes] : files) dir.write(name, bytes);
  dir.write(kBystander, kBystanderBytes);
}

// Checks that hold after any run: standard error that fits the status, text outputs of
// complete records, a framed iway.IWA, and the inputs and the bystander unchanged.
void expect_whole_records(const RunResult& result, const Files& inputs) {
  EXPECT_TRUE(result.status >= 0 && result.status <= 2) << result.status;
  const auto def_err = result.files.find("def.err");
  EXPECT_TRUE(testing::standard_error_fits(result.status, result.err,
                                           def_err != result.files.end() ? def_err->second : ""))
      << result.err;
  for (const auto& [name, bytes] : result.files) {
    if (bytes == kOldBytes) continue;  // not reached; the caller checks it is unchanged
    if (kTextOutputs.count(name) != 0) {
      EXPECT_TRUE(testing::holds_complete_records(bytes)) << name;
    }
    if (name == "iway.IWA") {
      EXPECT_TRUE(read_binary_records(bytes).has_value()) << name;
    }
  }
  for (const auto& [name, bytes] : inputs) {
    const auto after = result.files.find(name);
    if (after != result.files.end()) {
      EXPECT_EQ(after->second, bytes) << name;
    }
  }
  ASSERT_EQ(result.files.count(kBystander), 1u);
  EXPECT_EQ(result.files.at(kBystander), kBystanderBytes);
}

// Each output after the failure: written completely as by a normal run, not reached (and
// so, when it held old bytes, left exactly as it was), or the failing file itself.
enum class Outcome { kComplete, kNotReached, kFailed };

struct FaultCase {
  const char* label;
  Files (*inputs)();
  const char* faulty;  // output name replaced by a link to /dev/full or a directory
  int status;
  std::string err;
  std::map<std::string, Outcome> outputs;
};

// Runs `fault` with `setup_fault` applied to its faulty name and checks every output.
void run_fault_case(const FaultCase& fault, void (*setup_fault)(const std::string& path)) {
  SCOPED_TRACE(fault.label);
  const Files inputs = fault.inputs();
  Files normal_outputs;
  {
    const TempDir dir;
    place(dir, inputs);
    const RunResult normal = testing::run_program(dir);
    for (const std::string& name : kOutputs) {
      if (normal.files.count(name)) normal_outputs[name] = normal.files.at(name);
    }
  }
  const TempDir dir;
  place(dir, inputs);
  for (const auto& [name, outcome] : fault.outputs) {
    if (outcome == Outcome::kNotReached) dir.write(name, kOldBytes);
  }
  setup_fault(dir.path() + "/" + fault.faulty);
  const RunResult result = testing::run_program(dir);
  EXPECT_EQ(result.status, fault.status);
  EXPECT_EQ(result.err, fault.err) << testing::first_difference(fault.err, result.err);
  expect_whole_records(result, inputs);
  for (const auto& [name, outcome] : fault.outputs) {
    SCOPED_TRACE(name);
    switch (outcome) {
      case Outcome::kComplete:
        ASSERT_EQ(result.files.count(name), 1u);
        EXPECT_EQ(result.files.at(name), normal_outputs.at(name))
            << testing::first_difference(normal_outputs.at(name), result.files.at(name));
        break;
      case Outcome::kNotReached:
        ASSERT_EQ(result.files.count(name), 1u);
        EXPECT_EQ(result.files.at(name), kOldBytes);
        break;
      case Outcome::kFailed:
        EXPECT_EQ(result.files.count(name), 0u);  // not a regular file
        break;
    }
  }
}

void link_to_full_device(const std::string& path) {
  ASSERT_EQ(::symlink("/dev/full", path.c_str()), 0);
}

void make_directory(const std::string& path) {
  ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
}

const std::string kNoSpace = "no space left on device";
const std::string kReadOnly = "file read-only or locked against writing";

TEST(FaultInjectionTest, OutputOnFullDevice) {
  const FaultCase cases[] = {
      {"VOLMA.DAT full",
       sample_inputs,
       "VOLMA.DAT",
       1,
       report("E6422", "WRITE", "VOLMA.DAT", kNoSpace),
       {{"def.err", Outcome::kComplete},
        {"VOLMA.DAT", Outcome::kFailed},
        {"iway.IWA", Outcome::kNotReached},
        {"iway.IVM", Outcome::kNotReached}}},
      {"iway.IWA full",
       sample_inputs,
       "iway.IWA",
       1,
       report("E6422", "WRITE", "iway.IWA", kNoSpace),
       {{"def.err", Outcome::kComplete},
        {"VOLMA.DAT", Outcome::kComplete},
        {"iway.IWA", Outcome::kFailed},
        {"iway.IVM", Outcome::kNotReached}}},
      {"iway.IVM full",
       sample_inputs,
       "iway.IVM",
       1,
       report("E6422", "WRITE", "iway.IVM", kNoSpace),
       {{"def.err", Outcome::kComplete},
        {"VOLMA.DAT", Outcome::kComplete},
        {"iway.IWA", Outcome::kComplete},
        {"iway.IVM", Outcome::kFailed}}},
      {"def.err full, nothing written to it",
       sample_inputs,
       "def.err",
       0,
       "",
       {{"def.err", Outcome::kFailed},
        {"VOLMA.DAT", Outcome::kComplete},
        {"iway.IWA", Outcome::kComplete},
        {"iway.IVM", Outcome::kComplete}}},
      {"def.err full, loop report",
       loop_inputs,
       "def.err",
       1,
       report("E6422", "WRITE", "def.err", kNoSpace),
       {{"def.err", Outcome::kFailed},
        {"VOLMA.DAT", Outcome::kComplete},
        {"iway.IWA", Outcome::kNotReached},
        {"iway.IVM", Outcome::kNotReached}}},
  };
  for (const FaultCase& fault : cases) run_fault_case(fault, link_to_full_device);
}

TEST(FaultInjectionTest, OutputNameIsDirectory) {
  // The read-write open is refused, the read-only one succeeds, and the first write fails.
  const FaultCase cases[] = {
      {"VOLMA.DAT",
       sample_inputs,
       "VOLMA.DAT",
       1,
       report("E6421", "WRITE", "VOLMA.DAT", kReadOnly),
       {{"def.err", Outcome::kComplete},
        {"VOLMA.DAT", Outcome::kFailed},
        {"iway.IWA", Outcome::kNotReached},
        {"iway.IVM", Outcome::kNotReached}}},
      {"iway.IWA",
       sample_inputs,
       "iway.IWA",
       1,
       report("E6421", "WRITE", "iway.IWA", kReadOnly),
       {{"def.err", Outcome::kComplete},
        {"VOLMA.DAT", Outcome::kComplete},
        {"iway.IWA", Outcome::kFailed},
        {"iway.IVM", Outcome::kNotReached}}},
      {"iway.IVM",
       sample_inputs,
       "iway.IVM",
       1,
       report("E6421", "WRITE", "iway.IVM", kReadOnly),
       {{"def.err", Outcome::kComplete},
        {"VOLMA.DAT", Outcome::kComplete},
        {"iway.IWA", Outcome::kComplete},
        {"iway.IVM", Outcome::kFailed}}},
      {"def.err, nothing written to it",
       sample_inputs,
       "def.err",
       0,
       "",
       {{"def.err", Outcome::kFailed},
        {"VOLMA.DAT", Outcome::kComplete},
        {"iway.IWA", Outcome::kComplete},
        {"iway.IVM", Outcome::kComplete}}},
      {"def.err, loop report",
       loop_inputs,
       "def.err",
       1,
       report("E6421", "WRITE", "def.err", kReadOnly),
       {{"def.err", Outcome::kFailed},
        {"VOLMA.DAT", Outcome::kComplete},
        {"iway.IWA", Outcome::kNotReached},
        {"iway.IVM", Outcome::kNotReached}}},
  };
  for (const FaultCase& fault : cases) run_fault_case(fault, make_directory);
}

TEST(FaultInjectionTest, InputNameIsDirectory) {
  // The read-only open of a directory succeeds; its first read fails. Nothing is written.
  for (const char* name : {"input1.dat", "peds.dat", "blood.dat"}) {
    SCOPED_TRACE(name);
    Files inputs = sample_inputs();
    inputs.erase(name);
    const TempDir dir;
    place(dir, inputs);
    for (const std::string& output : kOutputs) dir.write(output, kOldBytes);
    make_directory(dir.path() + "/" + name);
    const RunResult result = testing::run_program(dir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              report("E6500", "READ", name, "file not open for reading or file locked"));
    EXPECT_EQ(result.out, "");
    expect_whole_records(result, inputs);
    for (const std::string& output : kOutputs) EXPECT_EQ(result.files.at(output), kOldBytes);
  }
}

TEST(FaultInjectionTest, TooManyOpenFiles) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer runtime needs descriptors of its own (its vptr check opens a pipe), so
  // with none left it reports its own failure. The plain build runs this case.
  GTEST_SKIP() << "needs a build without sanitizers";
#endif
  // The child starts with descriptors 0-2 only; the run holds its working directory open,
  // then each unit needs one more. With room for one unit the control file opens, and the
  // core gets def.err but not VOLMA.DAT beside it.
  struct Row {
    unsigned long limit;
    std::string err;
    std::set<std::string> written;  // outputs the run created
  };
  const Row rows[] = {
      {4, report("E6417", "OPEN", "input1.dat", "too many open files"), {}},
      {5, report("E6417", "OPEN", "VOLMA.DAT", "too many open files"), {"def.err"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.limit);
    const Files inputs = sample_inputs();
    const TempDir dir;
    place(dir, inputs);
    testing::ChildSetup setup;
    setup.open_file_limit = row.limit;
    const RunResult result = testing::run_program_with(dir, {}, "", setup);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, row.err);
    expect_whole_records(result, inputs);
    for (const std::string& output : kOutputs) {
      if (row.written.count(output)) {
        ASSERT_EQ(result.files.count(output), 1u) << output;
        EXPECT_EQ(result.files.at(output), "") << output;
      } else {
        EXPECT_EQ(result.files.count(output), 0u) << output;
      }
    }
  }
}

// File permissions, with the run made as an ordinary user (the test itself may be root, and
// the repository may sit in a folder only root may enter). An input that may only be
// written opens and fails at its first read; an output that may only be read opens and
// fails at its first write; a file or folder the user may not touch at all fails at the
// open.
TEST(FaultInjectionTest, FilePermissionsOfAnOrdinaryUser) {
  struct Row {
    const char* label;
    const char* name;    // the file whose mode is set; made with kOldBytes if not an input
    mode_t mode;         // of that file
    mode_t folder_mode;  // of the run's directory
    std::string err;
    std::set<std::string> written;  // outputs the run created, empty
  };
  const Row rows[] = {
      {"pedigree file write-only",
       "peds.dat",
       0222,
       0777,
       report("E6500", "READ", "peds.dat", "file not open for reading or file locked"),
       {}},
      {"pedigree file without any access",
       "peds.dat",
       0000,
       0777,
       report("E6414", "OPEN", "peds.dat", "access not allowed"),
       {}},
      {"control file write-only",
       "input1.dat",
       0222,
       0777,
       report("E6500", "READ", "input1.dat", "file not open for reading or file locked"),
       {}},
      {"VOLMA.DAT read-only",
       "VOLMA.DAT",
       0444,
       0777,
       report("E6421", "WRITE", "VOLMA.DAT", kReadOnly),
       {"def.err"}},
      {"folder closed to new files",
       "notes.txt",
       0644,
       0555,
       report("E6414", "OPEN", "def.err", "access not allowed"),
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    const Files inputs = sample_inputs();
    const TempDir dir;
    place(dir, inputs);
    const std::string path = dir.path() + "/" + row.name;
    if (inputs.count(row.name) == 0 && row.name != std::string(kBystander)) {
      dir.write(row.name, kOldBytes);
    }
    ASSERT_EQ(::chmod(path.c_str(), row.mode), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), row.folder_mode), 0);
    RunResult result = testing::run_as_ordinary_user(dir);
    // Readable again, so that an ordinary user running the test can check every file.
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    if (result.status == -1) GTEST_SKIP() << result.err;
    result.files = dir.files();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, row.err) << testing::first_difference(row.err, result.err);
    expect_whole_records(result, inputs);
    for (const std::string& output : kOutputs) {
      if (output == row.name) {
        EXPECT_EQ(result.files.at(output), kOldBytes);
      } else if (row.written.count(output)) {
        ASSERT_EQ(result.files.count(output), 1u) << output;
        EXPECT_EQ(result.files.at(output), "") << output;
      } else {
        EXPECT_EQ(result.files.count(output), 0u) << output;
      }
    }
  }
}

TEST(FaultInjectionTest, FileSizeLimitKeepsWholeRecords) {
  // VOLMA.DAT reaches the limit in the middle of a later flush: the file keeps what the
  // earlier flushes wrote, which ends on a record, and nothing else is reached.
  const Files inputs = large_inputs(2000);
  std::string full_volma;
  {
    const TempDir dir;
    place(dir, inputs);
    const RunResult normal = testing::run_program(dir);
    ASSERT_EQ(normal.status, 0) << normal.err;
    full_volma = normal.files.at("VOLMA.DAT");
  }
  constexpr unsigned long kLimit = 200000;
  ASSERT_GT(full_volma.size(), 2 * kLimit);
  const TempDir dir;
  place(dir, inputs);
  dir.write("iway.IWA", kOldBytes);
  dir.write("iway.IVM", kOldBytes);
  testing::ChildSetup setup;
  setup.file_size_limit = kLimit;
  const RunResult result = testing::run_program_with(dir, {}, "", setup);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, report("E6422", "WRITE", "VOLMA.DAT", kNoSpace));
  expect_whole_records(result, inputs);
  const std::string& volma = result.files.at("VOLMA.DAT");
  EXPECT_GT(volma.size(), 0u);
  EXPECT_LE(volma.size(), kLimit);
  EXPECT_EQ(volma, full_volma.substr(0, volma.size()));
  EXPECT_EQ(result.files.at("def.err"), "");
  EXPECT_EQ(result.files.at("iway.IWA"), kOldBytes);
  EXPECT_EQ(result.files.at("iway.IVM"), kOldBytes);
}

TEST(FaultInjectionTest, StandardInputClosedAtThePrompt) {
  // The control file names no pedigree file and there is no argument: the run prompts, and
  // standard input gives no answer, closed or at its end.
  const std::string prompt = "File name missing or blank - please enter file name\r\nUNIT 3? ";
  for (const bool closed : {true, false}) {
    SCOPED_TRACE(closed ? "closed" : "at end");
    Files inputs = sample_inputs();
    inputs["input1.dat"] = "                    \r\nblood.dat\r\n";
    const TempDir dir;
    place(dir, inputs);
    for (const std::string& output : kOutputs) dir.write(output, kOldBytes);
    testing::ChildSetup setup;
    setup.close_input = closed;
    const RunResult result = testing::run_program_with(dir, {}, "", setup);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, prompt);
    EXPECT_EQ(result.err, report("E6501", "READ", "stdin", "end of file encountered"));
    expect_whole_records(result, inputs);
    for (const std::string& output : kOutputs) EXPECT_EQ(result.files.at(output), kOldBytes);
  }
}

// Runs the sample in-process with `name` replaced by `bytes` and checks the invariants.
// Each run gets a fresh directory: rewriting files in place costs more than new ones.
void run_damaged(const std::string& name, const std::string& bytes) {
  const TempDir dir;
  Files inputs = sample_inputs();
  inputs[name] = bytes;
  place(dir, inputs);
  const RunResult result = testing::run_in_process(dir);
  expect_whole_records(result, inputs);
  if (result.status == 1 && name != "input1.dat") {
    // A damaged data file is reported by name, as is the control file naming it.
    EXPECT_TRUE(result.err.find("(input1.dat)") != std::string::npos ||
                result.err.find("(peds.dat)") != std::string::npos ||
                result.err.find("(blood.dat)") != std::string::npos)
        << result.err;
  }
  const std::set<std::string> known = {"input1.dat", "peds.dat", "blood.dat", kBystander,
                                       "VOLMA.DAT",  "def.err",  "iway.IWA",  "iway.IVM"};
  for (const std::string& entry : dir.entries()) EXPECT_EQ(known.count(entry), 1u) << entry;
}

TEST(FaultInjectionTest, EveryCutOfTheSample) {
  for (const auto& [name, bytes] : sample_inputs()) {
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
      SCOPED_TRACE(name + " cut at " + std::to_string(cut));
      run_damaged(name, bytes.substr(0, cut));
      if (::testing::Test::HasFailure()) return;
    }
  }
}

TEST(FaultInjectionTest, EverySingleByteChangeOfTheSample) {
  const char replacements[] = {'\0', 'x', '-', '#', ',', '.', '\r', '\n', '\x1A'};
  for (const auto& [name, bytes] : sample_inputs()) {
    for (size_t at = 0; at < bytes.size(); ++at) {
      for (const char replacement : replacements) {
        if (bytes[at] == replacement) continue;
        std::string changed = bytes;
        changed[at] = replacement;
        SCOPED_TRACE(name + " byte " + std::to_string(at) + " = " +
                     std::to_string(static_cast<int>(replacement)));
        run_damaged(name, changed);
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
}

}  // namespace
}  // namespace pedpeel
