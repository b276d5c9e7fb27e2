// The four programs' standard output and standard error: a write that fails ends the run
// with one line on standard error naming the stream and an exit status that says so; and
// merged into one file (`> log 2>&1`), the two streams keep their order, every line whole.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

using testing::RunResult;
using testing::TempDir;

// A cousin mating in pedigree 1, which the core reports as a loop, then `founders` founders
// of unknown race in pedigree 2: some 14 bytes of console output each.
void write_loop_and_founders(const TempDir& dir, int founders) {
  std::string peds =
      "    1    1    0    0    1    1L001\r\n"
      "    1    2    0    0    1    2L002\r\n"
      "    1    3    1    2    1    1L003\r\n"
      "    1    4    1    2    1    2L004\r\n"
      "    1    5    0    0    1    2L005\r\n"
      "    1    7    0    0    1    1L007\r\n"
      "    1    6    3    5    1    1L006\r\n"
      "    1    8    7    4    1    2L008\r\n"
      "    1    9    6    8    1    1L009\r\n";
  const int individuals = 9 + founders;
  char line[64];
  for (int id = 10; id <= individuals; ++id) {
    std::snprintf(line, sizeof line, "%5d%5d%5d%5d%5d%5dDE%010d\r\n", 2, id, 0, 0, 0, 1, id);
    peds += line;
  }
  std::snprintf(line, sizeof line, "%5d\r\n", individuals);
  dir.write("peds.dat", line + peds);
  std::snprintf(line, sizeof line, "%5d%5d\r\n", individuals, 2);
  std::string blood = line;
  for (int i = 0; i < individuals; ++i) blood += "      1.0000\r\n";
  dir.write("blood.dat", blood);
  dir.write("input1.dat", "peds.dat\r\nblood.dat\r\n");
}

bool have_full_device() {
  return ::access("/dev/full", W_OK) == 0;
}

TEST(ConsoleStreams, FailedWriteEndsTheRunWithOneLineNamingTheStream) {
  if (!have_full_device()) GTEST_SKIP() << "no /dev/full";
  struct Case {
    const char* name;
    std::string program;
    std::vector<std::string> arguments;
    bool error_full;  // else standard output is the full device
    int status;
    const char* last_line;  // of standard error, when it is not the full device
  };
  const std::string examples = PEDPEEL_EXAMPLES;
  const std::vector<Case> cases = {
      {"pedpeel_console_lines", "", {}, false, 1, "pedpeel: cannot write to standard output\n"},
      {"pedpeel_loop_line", "", {}, true, 1, ""},
      {"pedpeel_version",
       "",
       {"--version"},
       false,
       1,
       "pedpeel: cannot write to standard output\n"},
      {"pedinfo_help",
       PEDINFO_BINARY,
       {"--help"},
       false,
       2,
       "pedinfo: cannot write to standard output\n"},
      {"pedprep_summary",
       PEDPREP_BINARY,
       {examples + "/herdbook.csv", "--out", "runs"},
       false,
       1,
       "pedprep: cannot write to standard output\n"},
      {"pedgen_help",
       PEDGEN_BINARY,
       {"--help"},
       false,
       1,
       "pedgen: cannot write to standard output\n"},
      {"pedgen_usage_error", PEDGEN_BINARY, {"--shape"}, true, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    write_loop_and_founders(dir, 20);
    testing::ChildSetup setup;
    setup.program = c.program;
    setup.output_full = !c.error_full;
    setup.error_full = c.error_full;
    const RunResult result = testing::run_program_with(dir, c.arguments, "", setup);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_TRUE(result.err.ends_with(c.last_line)) << result.err;
  }
}

TEST(ConsoleStreams, MergedStreamsKeepTheirOrderWithWholeLines) {
  // More console text than one of the console's large writes, so that the loop line on
  // standard error comes while some of it is still held back.
  TempDir dir;
  write_loop_and_founders(dir, 6000);
  const RunResult apart = testing::run_program(dir);
  ASSERT_EQ(apart.status, 2) << apart.err;
  ASSERT_GT(apart.out.size(), size_t{1} << 16);
  ASSERT_EQ(apart.err, "pedpeel: pedigree 1 has a loop that cannot be taken apart; see def.err\n");

  testing::ChildSetup setup;
  setup.merge_streams = true;
  const RunResult merged = testing::run_program_with(dir, {}, "", setup);
  EXPECT_EQ(merged.status, 2);
  EXPECT_TRUE(merged.out == apart.out + apart.err)
      << testing::first_difference(apart.out + apart.err, merged.out);
}

}  // namespace
}  // namespace pedpeel
