#include "tools/pedgen/command_line.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

#include "records/limits.h"

namespace pedpeel::pedgen {

namespace {

using Request = CommandLine::Request;

constexpr std::string_view kOptions[] = {"--shape", "--individuals", "--races", "--seed", "--dir"};
// The options of a herd-book; --no-herd takes no value.
constexpr std::string_view kHerdbookOptions[] = {"--herdbook", "--seed", "--out", "--columns"};

bool is_option(std::string_view argument) {
  for (std::string_view option : kOptions) {
    if (argument == option) return true;
  }
  return false;
}

bool parse_number(std::string_view text, int64_t minimum, int64_t maximum, int64_t* value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return error == std::errc() && end == text.data() + text.size() && *value >= minimum &&
         *value <= maximum;
}

std::string range_error(std::string_view option, int64_t minimum, int64_t maximum,
                        std::string_view value) {
  return std::string(option) + " must be " + std::to_string(minimum) + " to " +
         std::to_string(maximum) + ", not '" + std::string(value) + "'";
}

// Takes one of kOptions and its value into `command`. Returns what is wrong, or "".
std::string take_option(std::string_view option, std::string_view value, CommandLine& command,
                        bool& have_shape, bool& have_individuals) {
  constexpr int64_t kMaxSeed = std::numeric_limits<uint32_t>::max();
  int64_t number = 0;
  if (option == "--shape") {
    const auto shape = parse_shape(value);
    if (!shape) return "unknown shape '" + std::string(value) + "'";
    command.options.shape = *shape;
    have_shape = true;
  } else if (option == "--individuals") {
    if (!parse_number(value, 1, kMaxIndividuals, &number)) {
      return range_error(option, 1, kMaxIndividuals, value);
    }
    command.options.individuals = static_cast<int32_t>(number);
    have_individuals = true;
  } else if (option == "--races") {
    if (!parse_number(value, 1, kMaxRaces, &number)) {
      return range_error(option, 1, kMaxRaces, value);
    }
    command.options.races = static_cast<int32_t>(number);
  } else if (option == "--seed") {
    if (!parse_number(value, 0, kMaxSeed, &number)) {
      return range_error(option, 0, kMaxSeed, value);
    }
    command.options.seed = static_cast<uint32_t>(number);
  } else {
    if (value.empty()) return "--dir needs a folder name";
    command.directory = value;
  }
  return "";
}

// Takes one of kHerdbookOptions and its value into `command`. Returns what is wrong, or "".
std::string take_herdbook_option(std::string_view option, std::string_view value,
                                 CommandLine& command, bool& have_out) {
  constexpr int64_t kMaxSeed = std::numeric_limits<uint32_t>::max();
  int64_t number = 0;
  if (option == "--herdbook") {
    if (!parse_number(value, 1, kMaxHerdbookAnimals, &number)) {
      return range_error(option, 1, kMaxHerdbookAnimals, value);
    }
    command.herdbook.animals = number;
  } else if (option == "--seed") {
    if (!parse_number(value, 0, kMaxSeed, &number)) return range_error(option, 0, kMaxSeed, value);
    command.herdbook.seed = static_cast<uint32_t>(number);
  } else if (option == "--columns") {
    if (value == "herdbook") {
      command.herdbook.columns = Columns::kHerdbook;
    } else if (value == "pedprep") {
      command.herdbook.columns = Columns::kPedprep;
    } else {
      return "--columns must be herdbook or pedprep, not '" + std::string(value) + "'";
    }
  } else {
    if (value.empty()) return "--out needs a file name";
    command.out = value;
    have_out = true;
  }
  return "";
}

// A command line that asks for `request` alone.
CommandLine only(Request request, std::string error = "") {
  CommandLine command;
  command.request = request;
  command.error = std::move(error);
  return command;
}

CommandLine usage_error(std::string message) {
  return only(Request::kUsageError, std::move(message));
}

// The command line of a herd-book.
CommandLine read_herdbook_line(std::span<const std::string_view> arguments) {
  CommandLine command;
  command.request = Request::kHerdbook;
  bool have_out = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view option = arguments[i];
    if (option == "--no-herd") {
      command.herdbook.herd_column = false;
      continue;
    }
    if (std::find(std::begin(kHerdbookOptions), std::end(kHerdbookOptions), option) ==
        std::end(kHerdbookOptions)) {
      return usage_error("unknown option '" + std::string(option) + "' with --herdbook");
    }
    if (i + 1 == arguments.size()) return usage_error(std::string(option) + " needs a value");
    std::string error = take_herdbook_option(option, arguments[++i], command, have_out);
    if (!error.empty()) return usage_error(std::move(error));
  }
  if (!have_out) return usage_error("--herdbook needs --out FILE");
  return command;
}

}  // namespace

CommandLine read_command_line(std::span<const std::string_view> arguments) {
  for (std::string_view argument : arguments) {
    if (argument == "--help" || argument == "-h") return only(Request::kHelp);
    if (argument == "--version") return only(Request::kVersion);
  }
  CommandLine command;
  if (std::find(arguments.begin(), arguments.end(), "--herdbook") != arguments.end()) {
    return read_herdbook_line(arguments);
  }
  bool have_shape = false;
  bool have_individuals = false;
  for (size_t i = 0; i < arguments.size(); i += 2) {
    const std::string_view option = arguments[i];
    if (!is_option(option)) return usage_error("unknown option '" + std::string(option) + "'");
    if (i + 1 == arguments.size()) return usage_error(std::string(option) + " needs a value");
    std::string error =
        take_option(option, arguments[i + 1], command, have_shape, have_individuals);
    if (!error.empty()) return usage_error(std::move(error));
  }
  if (!have_shape) return usage_error("--shape is needed");
  if (!have_individuals) return usage_error("--individuals is needed");
  return command;
}

}  // namespace pedpeel::pedgen
