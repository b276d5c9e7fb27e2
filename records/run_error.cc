#include "records/run_error.h"

namespace pedpeel {

namespace {

struct ErrorText {
  std::string_view code;
  std::string_view message;
};

// Indexed by ErrorCode; keep in the enum's order.
constexpr ErrorText kErrorTexts[] = {
    {"E6501", "end of file encountered"},
    {"E6100", "INTEGER overflow on input"},
    {"E6101", "invalid INTEGER"},
    {"E6302", "multiple radix specifiers"},
    {"E6303", "illegal radix specifier"},
    {"E6103", "invalid REAL"},
    {"E6104", "REAL math overflow"},
    {"E6205", "A edit descriptor expected for CHARACTER"},
    {"E6206", "E, F, D or G edit descriptor expected for REAL"},
    {"E6207", "I edit descriptor expected for INTEGER"},
    {"E6416", "file not found"},
    {"E6414", "access not allowed"},
    {"E6417", "too many open files"},
    {"E6412", "SHARE not installed"},
    {"E6418", "too many units connected"},
    {"E6209", "file already open : parameter mismatch"},
    {"E6413", "file already connected to a different unit"},
    {"E6500", "file not open for reading or file locked"},
    {"E6421", "file read-only or locked against writing"},
    {"E6422", "no space left on device"},
};

// Indexed by StopReason; keep in the enum's order.
constexpr std::string_view kStopMessages[] = {
    " Error: more than 32767 individuals.",
    " Error: more than 10 race fractions per individual.",
    " Error: more than 32767 family member entries.",
    " Error: icros overflow. More then 300 kids.",
    " Ne ponjal...",
};

std::string_view statement_text(StatementKind kind) {
  switch (kind) {
    case StatementKind::kRead:
      return ": READ(";
    case StatementKind::kWrite:
      return ": WRITE(";
    case StatementKind::kOpen:
      return ": OPEN(";
    case StatementKind::kClose:
      return ": CLOSE(";
  }
  return ": READ(";
}

}  // namespace

std::string_view error_code_text(ErrorCode code) {
  return kErrorTexts[static_cast<int>(code)].code;
}

std::string_view error_message(ErrorCode code) {
  return kErrorTexts[static_cast<int>(code)].message;
}

std::string RunError::report() const {
  std::string text = "\r\nrun-time error ";
  text += error_code_text(code);
  text += statement_text(statement);
  text += file;
  text += ")\r\n- ";
  text += error_message(code);
  text += "\r\n";
  return text;
}

std::string_view stop_message(StopReason reason) {
  return kStopMessages[static_cast<size_t>(reason)];
}

}  // namespace pedpeel
