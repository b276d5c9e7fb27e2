// The shared command-line rules, one row per line: what it asks for, the options and
// operands taken, and the first usage error.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/diagnostic.h"

namespace pedpeel {
namespace {

using Request = Arguments::Request;

constexpr OptionRule kRules[] = {{"--out", true}, {"--force", false}, {"--json", false}};

// The options taken, as "name=value" (or "name") joined by blanks.
std::string options_text(const Arguments& arguments) {
  std::string text;
  for (const GivenOption& option : arguments.options) {
    if (!text.empty()) text += ' ';
    text += std::string(option.name) + (option.value.empty() ? "" : "=" + option.value);
  }
  return text;
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

TEST(CommandLineTest, ReadsArguments) {
  const struct {
    std::vector<std::string> arguments;
    Request request;
    std::string options;
    std::string operands;
    std::string error;
  } cases[] = {
      {{"in.csv", "--out", "d", "--force"}, Request::kRun, "--out=d --force", "in.csv", ""},
      {{"--out=d", "in.csv"}, Request::kRun, "--out=d", "in.csv", ""},
      {{"--out=", "x"}, Request::kRun, "--out", "x", ""},  // an empty value, given
      {{"--out", "-f", "--out", "--"}, Request::kRun, "--out=-f --out=--", "", ""},
      {{"--out=a=b"}, Request::kRun, "--out=a=b", "", ""},
      {{"-", "--", "-x", "--out", "--help"}, Request::kRun, "", "- -x --out --help", ""},
      {{"a", "--", "--", "b"}, Request::kRun, "", "a -- b", ""},
      {{"--verbose", "--help"}, Request::kHelp, "", "", "unknown option '--verbose'"},
      {{"--version", "-h"}, Request::kVersion, "", "", ""},
      {{"-h", "--version"}, Request::kHelp, "", "", ""},
      {{"--", "--version"}, Request::kRun, "", "--version", ""},
      {{"--verbose=1", "-x"}, Request::kRun, "", "", "unknown option '--verbose'"},
      {{"-x"}, Request::kRun, "", "", "unknown option '-x'"},
      {{"-out", "d"}, Request::kRun, "", "d", "unknown option '-out'"},
      {{"--force=yes"}, Request::kRun, "", "", "--force takes no value"},
      {{"--help=yes"}, Request::kRun, "", "", "--help takes no value"},
      {{"in.csv", "--out"}, Request::kRun, "", "in.csv", "--out needs a value"},
  };
  for (const auto& c : cases) {
    const Arguments arguments = read_arguments(c.arguments, {kRules});
    const std::string label = joined(c.arguments);
    EXPECT_EQ(arguments.request, c.request) << label;
    EXPECT_EQ(arguments.error, c.error) << label;
    if (!c.error.empty()) continue;
    EXPECT_EQ(options_text(arguments), c.options) << label;
    EXPECT_EQ(joined(arguments.operands), c.operands) << label;
  }
}

TEST(CommandLineTest, LoneDashAndOffender) {
  const std::vector<std::string> line = {"a", "-", "--help=yes"};
  const Arguments as_option = read_arguments(line, {{}, false});
  EXPECT_EQ(as_option.offender, "-");
  EXPECT_EQ(joined(as_option.operands), "a");
  const Arguments as_operand = read_arguments(line, {});
  EXPECT_EQ(as_operand.offender, "--help=yes");
  EXPECT_EQ(joined(as_operand.operands), "a -");
}

TEST(CommandLineTest, LastValueWins) {
  const std::vector<std::string> line = {"--out", "a", "--force", "--out=b"};
  const Arguments arguments = read_arguments(line, {kRules});
  ASSERT_NE(arguments.value("--out"), nullptr);
  EXPECT_EQ(*arguments.value("--out"), "b");
  EXPECT_TRUE(arguments.has("--force"));
  EXPECT_FALSE(arguments.has("--json"));
}

TEST(CommandLineTest, ReportsUsageErrorsAndDiagnostics) {
  std::ostringstream err;
  EXPECT_EQ(report_usage_error(err, "pedinfo draw", "draw needs --pedigree P"), kExitUsage);
  EXPECT_EQ(err.str(), "pedinfo draw: draw needs --pedigree P\ntry 'pedinfo draw --help'\n");

  EXPECT_EQ(diagnostic_line("herd.csv", 12, Severity::kWarning, "sire x has no row"),
            "herd.csv:12: warning: sire x has no row");
  EXPECT_EQ(diagnostic_line("ped.dat", 0, Severity::kError, "file ends too early"),
            "ped.dat: error: file ends too early");
}

}  // namespace
}  // namespace pedpeel
