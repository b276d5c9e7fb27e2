#include "records/console.h"

#include "records/field_output.h"

namespace pedpeel {

void Console::start_line() {
  line_.assign(1, ' ');
  integers_on_line_ = 0;
}

void Console::show_line() {
  if (line_end_pending_) shown_.append("\r\n", 2);
  shown_.append(line_, 1);
  line_end_pending_ = true;
  if (shown_.size() >= kBufferSize) pass_on();
}

void Console::pass_on() {
  out_.write(shown_.data(), static_cast<std::streamsize>(shown_.size()));
  shown_.clear();
}

void Console::flush() {
  pass_on();
  out_.flush();
}

void Console::console_begin() {
  start_line();
}

void Console::console_item(std::string_view text) {
  // A text item too long for what is left of the line fills the line and goes on on the next.
  while (static_cast<int>(text.size()) >= columns_left()) {
    const size_t part = static_cast<size_t>(columns_left() - 1);
    line_.append(text.substr(0, part));
    text.remove_prefix(part);
    show_line();
    start_line();
  }
  line_.append(text);
}

void Console::console_item(int32_t value) {
  const int width = integers_on_line_ == 0 ? 11 : 12;
  if (width >= columns_left()) {
    show_line();
    start_line();
  }
  append_integer(line_, value, integers_on_line_ == 0 ? 11 : 12);
  ++integers_on_line_;
}

void Console::console_end() {
  show_line();
}

void Console::end_pending_line() {
  if (line_end_pending_) shown_.append("\r\n", 2);
  line_end_pending_ = false;
}

void Console::repeat_pending_line_end() {
  if (line_end_pending_) shown_.append("\r\n", 2);
}

void Console::write_raw(std::string_view text) {
  shown_.append(text);
}

}  // namespace pedpeel
