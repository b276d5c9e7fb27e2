#include "records/console.h"

#include "records/field_output.h"
#include "records/short_copy.h"

namespace pedpeel {

void Console::start_line() {
  text_length_ = 0;
  integers_on_line_ = 0;
}

void Console::show_line() {
  const size_t first = line_end_pending_ ? 0 : 2;
  shown_.append(line_.data() + first, 2 + text_length_ - first);
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
    append_text(text.substr(0, part));
    text.remove_prefix(part);
    show_line();
    start_line();
  }
  append_text(text);
}

void Console::append_text(std::string_view text) {
  copy_short(line_.data() + 2 + text_length_, text.data(), text.size());
  text_length_ += text.size();
}

void Console::console_item(int32_t value) {
  if (integer_width() >= columns_left()) {
    show_line();
    start_line();
  }
  const int width = integer_width();  // on the line the integer lands on
  format_integer(line_.data() + 2 + text_length_, value, width);
  text_length_ += static_cast<size_t>(width);
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
