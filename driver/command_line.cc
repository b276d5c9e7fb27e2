#include "driver/command_line.h"

#include <algorithm>

#include "records/version.h"

namespace pedpeel {

namespace {

const OptionRule* find_rule(std::span<const OptionRule> rules, std::string_view name) {
  const auto rule =
      std::find_if(rules.begin(), rules.end(), [&](const OptionRule& r) { return r.name == name; });
  return rule == rules.end() ? nullptr : &*rule;
}

bool is_help_or_version(std::string_view argument) {
  return argument == "--help" || argument == "-h" || argument == "--version";
}

// Notes the first usage error; later ones are not reported.
void fail(Arguments& result, std::string message, std::string_view argument) {
  if (!result.error.empty()) return;
  result.error = std::move(message);
  result.offender = argument;
}

}  // namespace

bool Arguments::has(std::string_view name) const {
  return value(name) != nullptr;
}

const std::string* Arguments::value(std::string_view name) const {
  for (auto option = options.rbegin(); option != options.rend(); ++option) {
    if (option->name == name) return &option->value;
  }
  return nullptr;
}

Arguments read_arguments(std::span<const std::string> arguments, const CommandLineRules& rules) {
  Arguments result;
  bool options_ended = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool operand = options_ended || !argument.starts_with('-') ||
                         (argument == "-" && rules.lone_dash_is_operand);
    if (operand) {
      result.operands.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options_ended = true;
      continue;
    }
    if (is_help_or_version(argument)) {
      if (result.request == Arguments::Request::kRun) {
        result.request =
            argument == "--version" ? Arguments::Request::kVersion : Arguments::Request::kHelp;
      }
      continue;
    }
    const size_t equals = argument.find('=');
    const std::string_view name = std::string_view(argument).substr(0, equals);
    const OptionRule* rule = find_rule(rules.options, name);
    if (is_help_or_version(name)) {
      fail(result, std::string(name) + " takes no value", argument);
    } else if (rule == nullptr || !name.starts_with("--")) {
      fail(result, "unknown option '" + std::string(name) + "'", argument);
    } else if (!rule->takes_value && equals != std::string::npos) {
      fail(result, std::string(name) + " takes no value", argument);
    } else if (!rule->takes_value) {
      result.options.push_back({rule->name, ""});
    } else if (equals != std::string::npos) {
      result.options.push_back({rule->name, argument.substr(equals + 1)});
    } else if (i + 1 < arguments.size()) {
      result.options.push_back({rule->name, arguments[++i]});
    } else {
      fail(result, std::string(name) + " needs a value", argument);
    }
  }
  return result;
}

std::string version_line(std::string_view program) {
  std::string line(program);
  line += ' ';
  line += kProjectVersion;
  line += '\n';
  return line;
}

int report_usage_error(std::ostream& err, std::string_view program, std::string_view message) {
  err << program << ": " << message << "\ntry '" << program << " --help'\n";
  err.flush();
  return kExitUsage;
}

}  // namespace pedpeel
