// pedgen's command line: what each line asks for, the values it sets, and the one-line
// message of each usage error.
#include "tools/pedgen/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pedpeel::pedgen {
namespace {

using Request = CommandLine::Request;

TEST(PedgenCommandLineTest, Requests) {
  const struct {
    std::vector<std::string> arguments;
    Request request;
    std::string error;
  } cases[] = {
      {{"--shape", "deep", "--individuals", "5"}, Request::kGenerate, ""},
      {{"--version"}, Request::kVersion, ""},
      {{"--shape", "x", "--version", "--help"}, Request::kVersion, ""},
      {{"--bogus", "-h"}, Request::kHelp, ""},
      {{}, Request::kUsageError, "--shape is needed"},
      {{"--shape", "deep"}, Request::kUsageError, "--individuals is needed"},
      {{"--shape", "round", "--individuals", "5"}, Request::kUsageError, "unknown shape 'round'"},
      {{"--shape", "deep", "--individuals"}, Request::kUsageError, "--individuals needs a value"},
      {{"--verbose", "--shape", "deep"}, Request::kUsageError, "unknown option '--verbose'"},
      {{"--shape", "deep", "--individuals", "5", "extra"},
       Request::kUsageError,
       "unexpected argument 'extra'"},
      {{"--shape=deep", "--individuals=5", "--", "--help"},
       Request::kUsageError,
       "unexpected argument '--help'"},
      {{"--shape", "deep", "--individuals", "0"},
       Request::kUsageError,
       "--individuals must be 1 to 32767, not '0'"},
      {{"--shape", "deep", "--individuals", "32768"},
       Request::kUsageError,
       "--individuals must be 1 to 32767, not '32768'"},
      {{"--shape", "deep", "--individuals", "5x"},
       Request::kUsageError,
       "--individuals must be 1 to 32767, not '5x'"},
      {{"--shape", "deep", "--individuals", "5", "--races", "12"},
       Request::kUsageError,
       "--races must be 1 to 11, not '12'"},
      {{"--shape", "deep", "--individuals", "5", "--seed", "4294967296"},
       Request::kUsageError,
       "--seed must be 0 to 4294967295, not '4294967296'"},
      {{"--shape", "deep", "--individuals", "5", "--dir", ""},
       Request::kUsageError,
       "--dir needs a folder name"},
      {{"--herdbook", "10", "--out", "h.csv"}, Request::kHerdbook, ""},
      {{"--herdbook", "10"}, Request::kUsageError, "--herdbook needs --out FILE"},
      {{"--herdbook", "0", "--out", "h.csv"},
       Request::kUsageError,
       "--herdbook must be 1 to 1000000000, not '0'"},
      {{"--herdbook=10", "--out=h.csv", "--no-herd=yes"},
       Request::kUsageError,
       "--no-herd takes no value"},
      {{"--shape", "deep", "--individuals", "5", "--out", "h.csv"},
       Request::kUsageError,
       "unknown option '--out'"},
      {{"--herdbook", "10", "--out", "h.csv", "--shape", "deep"},
       Request::kUsageError,
       "unknown option '--shape' with --herdbook"},
      {{"--herdbook", "10", "--out", "h.csv", "--columns", "plink"},
       Request::kUsageError,
       "--columns must be herdbook or pedprep, not 'plink'"},
  };
  for (const auto& c : cases) {
    const CommandLine command = read_command_line(c.arguments);
    EXPECT_EQ(command.request, c.request) << c.error;
    EXPECT_EQ(command.error, c.error);
    EXPECT_EQ(command.error.find('\n'), std::string::npos) << c.error;
  }
}

TEST(PedgenCommandLineTest, ValuesTaken) {
  const std::vector<std::string> arguments = {"--dir=out/a", "--seed",  "4294967295",
                                              "--races",     "11",      "--individuals",
                                              "32767",       "--shape", "inbred"};
  const CommandLine command = read_command_line(arguments);
  ASSERT_EQ(command.request, Request::kGenerate) << command.error;
  EXPECT_EQ(command.options.shape, Shape::kInbred);
  EXPECT_EQ(command.options.individuals, 32767);
  EXPECT_EQ(command.options.races, 11);
  EXPECT_EQ(command.options.seed, 4294967295u);
  EXPECT_EQ(command.directory, "out/a");

  const std::vector<std::string> defaults = {"--shape", "deep", "--individuals", "1"};
  const CommandLine plain = read_command_line(defaults);
  EXPECT_EQ(plain.options.races, 2);
  EXPECT_EQ(plain.options.seed, 1u);
  EXPECT_EQ(plain.directory, ".");

  const std::vector<std::string> herdbook = {"--no-herd", "--columns", "pedprep",    "--seed", "9",
                                             "--out",     "-",         "--herdbook", "123"};
  const CommandLine book = read_command_line(herdbook);
  ASSERT_EQ(book.request, Request::kHerdbook) << book.error;
  EXPECT_EQ(book.herdbook.animals, 123);
  EXPECT_EQ(book.herdbook.seed, 9u);
  EXPECT_EQ(book.herdbook.columns, Columns::kPedprep);
  EXPECT_FALSE(book.herdbook.herd_column);
  EXPECT_EQ(book.out, "-");
}

}  // namespace
}  // namespace pedpeel::pedgen
