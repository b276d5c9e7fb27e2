#include "records/file_names.h"

#include "records/run_error.h"

namespace pedpeel {

namespace {
// Longest name the file layer takes from a field or an answer.
constexpr size_t kMaxNameLength = 259;
// Characters of an answer line that are kept; the rest of the line is discarded.
constexpr size_t kMaxAnswerLength = 260;
}  // namespace

std::string trim_file_name(std::string_view field) {
  field = field.substr(0, kMaxNameLength);
  const size_t first = field.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = field.find_last_not_of(' ');
  return std::string(field.substr(first, last - first + 1));
}

std::string BlankNameSource::name_for(int unit) {
  while (next_argument_ < arguments_.size()) {
    std::string name = trim_file_name(arguments_[next_argument_++]);
    if (!name.empty()) return name;
  }
  return prompt(unit);
}

std::string BlankNameSource::prompt(int unit) {
  for (;;) {
    console_.end_pending_line();
    console_.write_raw("File name missing or blank - please enter file name\r\nUNIT ");
    console_.write_raw(std::to_string(unit));
    console_.write_raw("? ");
    console_.flush();
    std::string answer;
    if (!read_answer(&answer)) {
      throw RunError{ErrorCode::kEndOfFile, StatementKind::kRead, "stdin"};
    }
    std::string name = trim_file_name(answer);
    if (!name.empty()) return name;
  }
}

bool BlankNameSource::read_answer(std::string* line) {
  line->clear();
  bool any = false;
  for (;;) {
    const int c = in_.get();
    if (c == std::char_traits<char>::eof()) return any;
    any = true;
    if (c == '\n') return true;
    if (c == '\r') {
      if (in_.peek() == '\n') in_.get();
      return true;
    }
    if (line->size() < kMaxAnswerLength) line->push_back(static_cast<char>(c));
  }
}

}  // namespace pedpeel
