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

std::optional<std::vector<std::string>> parse_binary_record_file(std::string_view bytes) {
  constexpr unsigned char kHeader = 0x4B;
  constexpr unsigned char kTrailer = 0x82;
  constexpr unsigned char kContinued = 129;
  constexpr size_t kSegmentData = 128;
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes.front()) != kHeader ||
      static_cast<unsigned char>(bytes.back()) != kTrailer) {
    return std::nullopt;
  }
  std::string_view rest = bytes.substr(1, bytes.size() - 2);
  std::vector<std::string> records;
  std::string record;
  while (!rest.empty()) {
    const unsigned char length = static_cast<unsigned char>(rest.front());
    if (length > kContinued) return std::nullopt;
    const size_t data = length == kContinued ? kSegmentData : length;
    if (rest.size() < data + 2 || static_cast<unsigned char>(rest[data + 1]) != length) {
      return std::nullopt;
    }
    record.append(rest.substr(1, data));
    rest.remove_prefix(data + 2);
    if (length != kContinued) {
      records.push_back(std::move(record));
      record.clear();
    } else if (rest.empty()) {
      return std::nullopt;  // a record never ends with a continued segment
    }
  }
  return records;
}

}  // namespace pedpeel::testing
