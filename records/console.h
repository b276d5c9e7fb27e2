// The console: free-form lines on standard output. Each line starts with a carriage-control
// blank that is not shown; the line end of a shown line is written only when the next line
// is shown or the run ends. Shown text is passed to the stream in large writes.
#ifndef PEDPEEL_RECORDS_CONSOLE_H_
#define PEDPEEL_RECORDS_CONSOLE_H_

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace pedpeel {

class Console {
 public:
  explicit Console(std::ostream& out) : out_(out) {
    shown_.reserve(kBufferSize + 2 + kLineColumns);
  }

  /// Starts a new free-form line.
  void console_begin();
  /// Appends a text item unchanged.
  void console_item(std::string_view text);
  /// Appends an integer right-justified in 11 columns (12 after the line's first integer).
  void console_item(int32_t value);
  /// Shows the line.
  void console_end();

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

  int columns_left() const { return kLineColumns - static_cast<int>(text_length_); }
  // The columns of the next integer item: the first of a line takes 11, the others 12.
  int integer_width() const { return integers_on_line_ == 0 ? 11 : 12; }
  void show_line();
  void start_line();
  // Appends to the line; the caller keeps it within the line's columns.
  void append_text(std::string_view text);
  // Writes the shown text to the stream.
  void pass_on();

  std::ostream& out_;
  std::string shown_;  // shown text not yet written to out_
  bool line_end_pending_ = false;
  // The line being built, after the carriage-control character (never shown), which takes
  // a column: its text is line_[2 .. 2 + text_length_). A line holds at most
  // kLineColumns - 1 characters, as the items wrap before. The two bytes before the text
  // hold the line end, shown with the line when the line before it waits for its end.
  std::array<char, 2 + kLineColumns> line_ = {'\r', '\n'};
  size_t text_length_ = 0;
  int integers_on_line_ = 0;
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_CONSOLE_H_
