// The command-line rules the four programs share. An option is a long name (--name) or -h;
// one that takes a value takes it as --name=VALUE or as the next argument, whatever that
// argument looks like. `--` ends the options: every argument after it is an operand, even
// one that starts with '-'. --help, -h and --version are answered before anything else on
// the line is looked at: the first of them given wins, even over a usage error.
#ifndef PEDPEEL_DRIVER_COMMAND_LINE_H_
#define PEDPEEL_DRIVER_COMMAND_LINE_H_

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pedpeel {

// Exit status of a usage error, in every program.
inline constexpr int kExitUsage = 2;

// An option a program takes, besides --help, -h and --version.
struct OptionRule {
  std::string_view name;  // with its dashes: "--out"
  bool takes_value = false;
};

// One option as given.
struct GivenOption {
  std::string_view name;  // the rule's name
  std::string value;      // empty for an option without a value
};

struct Arguments {
  enum class Request { kRun, kHelp, kVersion };
  Request request = Request::kRun;    // the first --help, -h or --version given
  std::vector<GivenOption> options;   // in the order given
  std::vector<std::string> operands;  // in the order given
  std::string error;                  // the first usage error, one line; empty when there is none
  std::string offender;               // the argument that error is about, as given

  /// Whether `name` was given.
  bool has(std::string_view name) const;
  /// The value of the last `name` given, or nullptr.
  const std::string* value(std::string_view name) const;
};

struct CommandLineRules {
  std::span<const OptionRule> options;
  // A lone '-' is an operand (standard input or a file named so); pedpeel, whose
  // operands are file names only, takes it for an unknown option instead.
  bool lone_dash_is_operand = true;
};

/// Reads `arguments` (without the program name). Reading goes on past a usage error only
/// to look for --help, -h and --version.
Arguments read_arguments(std::span<const std::string> arguments, const CommandLineRules& rules);

/// The line --version prints: "PROGRAM VERSION" and a line end.
std::string version_line(std::string_view program);

/// Writes the usage error `message` as "PROGRAM: MESSAGE" and "try 'PROGRAM --help'" on two
/// lines and returns kExitUsage. `program` may name a subcommand: "pedinfo draw".
int report_usage_error(std::ostream& err, std::string_view program, std::string_view message);

}  // namespace pedpeel

#endif  // PEDPEEL_DRIVER_COMMAND_LINE_H_
