#include "records/console.h"

#include "records/field_output.h"

namespace pedpeel {

void Console::pass_on() {
  out_.write(shown_.get(), static_cast<std::streamsize>(shown_length_));
  shown_length_ = 0;
}

void Console::append_shown(std::string_view text) {
  if (shown_length_ + text.size() >= kBufferSize) {
    pass_on();
    if (text.size() >= kBufferSize) {
      out_.write(text.data(), static_cast<std::streamsize>(text.size()));
      return;
    }
  }
  std::memcpy(shown_.get() + shown_length_, text.data(), text.size());
  shown_length_ += text.size();
}

void Console::flush() {
  pass_on();
  out_.flush();
}

void Console::wrap_text(std::string_view text) {
  while (static_cast<int>(text.size()) >= columns_left()) {
    const size_t part = static_cast<size_t>(columns_left() - 1);
    append_text(text.substr(0, part));
    text.remove_prefix(part);
    show_line();
    start_line();
  }
  append_text(text);
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

void Console::end_pending_line() {
  if (line_end_pending_) append_shown("\r\n");
  line_end_pending_ = false;
}

void Console::repeat_pending_line_end() {
  if (line_end_pending_) append_shown("\r\n");
}

void Console::write_raw(std::string_view text) {
  append_shown(text);
}

}  // namespace pedpeel
