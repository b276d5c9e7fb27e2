#include "testing/output_checks.h"

#include "records/run_error.h"

namespace pedpeel::testing {

namespace {

constexpr ErrorCode kLastErrorCode = ErrorCode::kNoSpace;

// The message of the code written as "E####", or nullopt for an unknown code.
std::optional<std::string_view> message_of(std::string_view code_text) {
  for (int code = 0; code <= static_cast<int>(kLastErrorCode); ++code) {
    if (error_code_text(static_cast<ErrorCode>(code)) == code_text) {
      return error_message(static_cast<ErrorCode>(code));
    }
  }
  return std::nullopt;
}

bool consume(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return false;
  text.remove_prefix(prefix.size());
  return true;
}

}  // namespace

bool is_run_error_report(std::string_view err) {
  if (!consume(err, "\r\nrun-time error ")) return false;
  if (err.size() < 5) return false;
  const std::optional<std::string_view> message = message_of(err.substr(0, 5));
  if (!message) return false;
  err.remove_prefix(5);
  if (!consume(err, ": READ(") && !consume(err, ": WRITE(") && !consume(err, ": OPEN(") &&
      !consume(err, ": CLOSE(")) {
    return false;
  }
  // The file name may hold any byte, so the report is matched from its end.
  const std::string tail = ")\r\n- " + std::string(*message) + "\r\n";
  if (err.size() < tail.size() || err.substr(err.size() - tail.size()) != tail) return false;
  const std::string_view name = err.substr(0, err.size() - tail.size());
  return !name.empty() && name.find("\r\n") == std::string_view::npos;
}

bool holds_complete_records(std::string_view text) {
  if (text.empty()) return true;
  if (text.size() < 2 || text.substr(text.size() - 2) != "\r\n") return false;
  for (size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1)) {
    if (i == 0 || text[i - 1] != '\r') return false;
  }
  return true;
}

bool standard_error_fits(int status, std::string_view err, std::string_view def_err) {
  if (status == 1) return is_run_error_report(err);
  const bool loop_reported = def_err.starts_with(" PEDIGREE ") &&
                             def_err.find(" contains LOOP\r\n") != std::string_view::npos;
  if (status != 2 || !loop_reported) return err.empty();
  constexpr std::string_view kStart = "pedpeel: pedigree ";
  constexpr std::string_view kEnd = " has a loop that cannot be taken apart; see def.err\n";
  if (!err.starts_with(kStart) || !err.ends_with(kEnd)) return false;
  const std::string_view number =
      err.substr(kStart.size(), err.size() - kStart.size() - kEnd.size());
  return !number.empty() && number.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace pedpeel::testing
