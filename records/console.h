// The console: free-form lines on standard output. Each line starts with a carriage-control
// blank that is not shown; the line end of a shown line is written only when the next line
// is shown or the run ends. Shown text is passed to the stream in large writes.
#ifndef PEDPEEL_RECORDS_CONSOLE_H_
#define PEDPEEL_RECORDS_CONSOLE_H_

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string_view>

#include "records/short_copy.h"

namespace pedpeel {

class Console {
 public:
  explicit Console(std::ostream& out)
      : out_(out), shown_(std::make_unique<char[]>(kBufferSize + kLineMove)) {}

  /// Starts a new free-form line.
  void console_begin() { start_line(); }
  /// Appends a text item unchanged.
  void console_item(std::string_view text) {
    if (static_cast<int>(text.size()) < columns_left()) {
      append_text(text);
    } else {
      wrap_text(text);
    }
  }
  /// Appends an integer right-justified in 11 columns (12 after the line's first integer).
  void console_item(int32_t value);
  /// Shows the line.
  void console_end() { show_line(); }

  /// Writes CR LF if a shown line still waits for its line end, and clears the wait.
  void end_pending_line();
  /// Writes CR LF if a shown line waits, but keeps it waiting (a stop does this).
  void repeat_pending_line_end();
  /// Writes text as it stands (the prompt and the stop message).
  void write_raw(std::string_view text);
  /// Passes everything shown to standard output and flushes it (before a prompt is
  /// answered, and at the end of a run).
  void flush();

 private:
  // Columns of a line after its carriage-control character.
  static constexpr int kLineColumns = 79;
  // Shown text kept before it is passed to the stream in one write.
  static constexpr size_t kBufferSize = 1 << 16;
  // The bytes a shown line moves into the buffer: a whole line with the line end before
  // it, whichever of its two starts it is shown from. The buffer keeps as many bytes past
  // kBufferSize, so that a line moves in one fixed-size copy.
  static constexpr size_t kLineMove = 2 + kLineColumns;

  int columns_left() const { return kLineColumns - static_cast<int>(text_length_); }
  // The columns of the next integer item: the first of a line takes 11, the others 12.
  int integer_width() const { return integers_on_line_ == 0 ? 11 : 12; }
  void show_line() {
    const size_t first = line_end_pending_ ? 0 : 2;
    std::memcpy(shown_.get() + shown_length_, line_.data() + first, kLineMove);
    shown_length_ += 2 + text_length_ - first;
    line_end_pending_ = true;
    if (shown_length_ >= kBufferSize) pass_on();
  }
  void start_line() {
    text_length_ = 0;
    integers_on_line_ = 0;
  }
  // Appends to the line; the caller keeps it within the line's columns.
  void append_text(std::string_view text) {
    copy_short(line_.data() + 2 + text_length_, text.data(), text.size());
    text_length_ += text.size();
  }
  // Appends a text item that reaches the end of the line: it fills the line and goes on on
  // the next.
  void wrap_text(std::string_view text);
  // Adds text to the shown text, past the end of the buffer straight to the stream.
  void append_shown(std::string_view text);
  // Writes the shown text to the stream.
  void pass_on();

  std::ostream& out_;
  // Shown text not yet written to out_: shown_[0 .. shown_length_), less than kBufferSize
  // between calls, with kLineMove bytes of room past kBufferSize.
  std::unique_ptr<char[]> shown_;
  size_t shown_length_ = 0;
  bool line_end_pending_ = false;
  // The line being built, after the carriage-control character (never shown), which takes
  // a column: its text is line_[2 .. 2 + text_length_). A line holds at most
  // kLineColumns - 1 characters, as the items wrap before. The two bytes before the text
  // hold the line end, shown with the line when the line before it waits for its end. The
  // array is two bytes longer than a move, for the move of a line shown from its text.
  std::array<char, 2 + kLineMove> line_ = {'\r', '\n'};
  size_t text_length_ = 0;
  int integers_on_line_ = 0;
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_CONSOLE_H_
