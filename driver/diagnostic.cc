#include "driver/diagnostic.h"

namespace pedpeel {

std::string_view severity_name(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

std::string diagnostic_prefix(std::string_view file, int64_t line, Severity severity) {
  std::string text(file);
  if (line > 0) {
    text += ':';
    text += std::to_string(line);
  }
  text += ": ";
  text += severity_name(severity);
  text += ": ";
  return text;
}

std::string diagnostic_line(std::string_view file, int64_t line, Severity severity,
                            std::string_view message) {
  std::string text = diagnostic_prefix(file, line, severity);
  text += message;
  return text;
}

}  // namespace pedpeel
