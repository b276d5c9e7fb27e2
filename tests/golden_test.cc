// Whole runs of pedpeel over the populations in tests/data/golden/<case>/: every top-level file
// of a case is copied into a scratch directory, pedpeel runs there, and what it leaves is
// compared byte for byte with <case>/expected/:
//   - every file of expected/ other than stdout, stderr and status must exist after the
//     run with exactly those bytes;
//   - every other file of the directory must be an input file, unchanged;
//   - stdout, stderr and status hold the run's standard output, standard error and exit
//     status (as a decimal number and a line feed).
// With PEDPEEL_UPDATE_GOLDEN=1 in the environment the expected files are rewritten from
// the run instead (for an intended change of behaviour; review the diff before committing):
//   PEDPEEL_UPDATE_GOLDEN=1 build/tests/whole_run_test --gtest_filter='*GoldenTest*'
// A new case is a folder with input1.dat and its data files; the same command makes its
// expected/ folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "testing/temp_run.h"

namespace pedpeel {
namespace {

namespace fs = std::filesystem;
using testing::first_difference;
using testing::RunResult;
using testing::TempDir;

const fs::path kDataRoot = fs::path(PEDPEEL_TEST_DATA) / "golden";
const std::vector<std::string> kRunFiles = {"stdout", "stderr", "status"};

using pedpeel::testing::read_file;

void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The regular files directly in `dir`, by name.
std::map<std::string, std::string> files_in(const fs::path& dir) {
  std::map<std::string, std::string> files;
  if (!fs::is_directory(dir)) return files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = read_file(entry.path());
  }
  return files;
}

std::vector<std::string> case_names() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kDataRoot)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool updating() {
  const char* value = std::getenv("PEDPEEL_UPDATE_GOLDEN");
  return value != nullptr && std::string(value) == "1";
}

// What the run produced: its streams and status, and every file that is not an input
// left unchanged.
std::map<std::string, std::string> produced(const RunResult& result,
                                            const std::map<std::string, std::string>& inputs) {
  std::map<std::string, std::string> files = {{"stdout", result.out},
                                              {"stderr", result.err},
                                              {"status", std::to_string(result.status) + "\n"}};
  for (const auto& [name, bytes] : result.files) {
    const auto input = inputs.find(name);
    if (input == inputs.end() || input->second != bytes) files[name] = bytes;
  }
  return files;
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, RunLeavesTheExpectedFiles) {
  const fs::path case_dir = kDataRoot / GetParam();
  const fs::path expected_dir = case_dir / "expected";
  const std::map<std::string, std::string> inputs = files_in(case_dir);
  TempDir dir;
  for (const auto& [name, bytes] : inputs) dir.write(name, bytes);
  const RunResult result = testing::run_program(dir);
  const std::map<std::string, std::string> actual = produced(result, inputs);

  if (updating()) {
    fs::remove_all(expected_dir);
    fs::create_directories(expected_dir);
    for (const auto& [name, bytes] : actual) write_file(expected_dir / name, bytes);
    GTEST_SKIP() << "expected files rewritten in " << expected_dir;
  }

  const std::map<std::string, std::string> expected = files_in(expected_dir);
  ASSERT_FALSE(expected.empty()) << "no expected files in " << expected_dir
                                 << " (run with PEDPEEL_UPDATE_GOLDEN=1 to make them)";
  for (const auto& [name, bytes] : expected) {
    const auto found = actual.find(name);
    if (found == actual.end()) {
      ADD_FAILURE() << name << ": the run did not write it"
                    << (inputs.contains(name) ? " (the input file is unchanged)" : "");
      continue;
    }
    if (found->second != bytes) {
      ADD_FAILURE() << name << ": " << first_difference(bytes, found->second);
    }
  }
  for (const auto& [name, bytes] : actual) {
    EXPECT_TRUE(expected.contains(name)) << name << ": written by the run but not expected";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTest, ::testing::ValuesIn(case_names()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace pedpeel
