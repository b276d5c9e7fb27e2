#include "tools/pedgen/command_line.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

#include "driver/command_line.h"
#include "records/limits.h"

namespace pedpeel::pedgen {

namespace {

using Request = CommandLine::Request;

constexpr OptionRule kOptions[] = {
    {"--shape", true}, {"--individuals", true}, {"--races", true},
    {"--seed", true},  {"--dir", true},         {"--herdbook", true},
    {"--out", true},   {"--columns", true},     {"--no-herd", false},
};
// The options of a population for pedpeel, and those of a herd-book.
constexpr std::string_view kPopulationOptions[] = {"--shape", "--individuals", "--races", "--seed",
                                                   "--dir"};
constexpr std::string_view kHerdbookOptions[] = {"--herdbook", "--seed", "--out", "--columns",
                                                 "--no-herd"};

// The first option given that is not one of `allowed`, or nullptr.
const GivenOption* first_not_in(const Arguments& given, std::span<const std::string_view> allowed) {
  for (const GivenOption& option : given.options) {
    if (std::find(allowed.begin(), allowed.end(), option.name) == allowed.end()) return &option;
  }
  return nullptr;
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
CommandLine read_herdbook_line(const Arguments& given) {
  if (const GivenOption* other = first_not_in(given, kHerdbookOptions)) {
    return usage_error("unknown option '" + std::string(other->name) + "' with --herdbook");
  }
  CommandLine command;
  command.request = Request::kHerdbook;
  bool have_out = false;
  for (const GivenOption& option : given.options) {
    if (option.name == "--no-herd") {
      command.herdbook.herd_column = false;
      continue;
    }
    std::string error = take_herdbook_option(option.name, option.value, command, have_out);
    if (!error.empty()) return usage_error(std::move(error));
  }
  if (!have_out) return usage_error("--herdbook needs --out FILE");
  return command;
}

}  // namespace

CommandLine read_command_line(std::span<const std::string> arguments) {
  const Arguments given = read_arguments(arguments, {kOptions});
  if (given.request == Arguments::Request::kHelp) return only(Request::kHelp);
  if (given.request == Arguments::Request::kVersion) return only(Request::kVersion);
  if (!given.error.empty()) return usage_error(given.error);
  if (!given.operands.empty()) {
    return usage_error("unexpected argument '" + given.operands.front() + "'");
  }
  if (given.has("--herdbook")) return read_herdbook_line(given);
  if (const GivenOption* other = first_not_in(given, kPopulationOptions)) {
    return usage_error("unknown option '" + std::string(other->name) + "'");
  }
  CommandLine command;
  bool have_shape = false;
  bool have_individuals = false;
  for (const GivenOption& option : given.options) {
    std::string error =
        take_option(option.name, option.value, command, have_shape, have_individuals);
    if (!error.empty()) return usage_error(std::move(error));
  }
  if (!have_shape) return usage_error("--shape is needed");
  if (!have_individuals) return usage_error("--individuals is needed");
  return command;
}

}  // namespace pedpeel::pedgen
