// The unit table: small integers connected to named files. Opening, buffered reading and
// writing, the cut at the first write, and closing. Every failure throws RunError.
#ifndef PEDPEEL_RECORDS_UNITS_H_
#define PEDPEEL_RECORDS_UNITS_H_

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/file_names.h"
#include "records/run_error.h"

namespace pedpeel {

class ExponentFieldCache;

enum class Form { kFormatted, kBinary };

// How a file is opened. Files the run only reads are never created; output files are
// created when missing and cut at their first write, or at the open itself for a file
// whose old contents must never survive a run that reaches it ("def.err").
enum class OpenIntent { kInput, kOutput, kOutputCutAtOpen };

struct Unit {
  int number = 0;
  std::string name;  // as opened, after trimming
  int fd = -1;
  Form form = Form::kFormatted;
  bool regular_file = false;
  bool written = false;         // the open created the file, or a record was written
  bool cut = false;             // the file has been cut at its start
  bool failed = false;          // a write failed: nothing more reaches the file
  bool binary_started = false;  // the header byte of a binary record file is placed
  std::string output;           // records not yet on disk
  // Exponent fields written to the unit so far, made at the first one: a file of race
  // fractions repeats few values.
  std::unique_ptr<ExponentFieldCache> exponent_fields;

  // Input: the current block and the read position in it.
  std::vector<char> block;
  size_t block_position = 0;
  size_t block_length = 0;
  bool input_ended = false;
};

class Units {
 public:
  // `directory_fd` is the working directory against which names resolve.
  Units(int directory_fd, BlankNameSource& blank_names);
  Units(const Units&) = delete;
  Units& operator=(const Units&) = delete;
  ~Units();

  /// Connects `number` to the file named by the field (trimmed; blank names are resolved).
  void open(int number, std::string_view name_field, Form form, OpenIntent intent);
  /// Releases the unit: a written binary file gets its trailer, buffered output reaches the
  /// file. Closing an unconnected unit does nothing.
  void close(int number);
  /// Closes every connected unit in table order. Returns the first error met, having
  /// closed all the others all the same.
  std::optional<RunError> close_all();

  /// The connected unit `number`, for a statement of the given kind. A unit that is not
  /// connected ends the run with the run-time error of that statement (E6500 for a read,
  /// E6421 for a write), naming the unit by its number.
  Unit& unit(int number, StatementKind statement) {
    // Statements follow one another on the same unit: try the unit found last first.
    if (last_found_ != nullptr && last_found_->fd >= 0 && last_found_->number == number) {
      return *last_found_;
    }
    return connected(number, statement);
  }

  /// Reads the next record: the bytes before its LF, without a CR just before the LF or at
  /// the very end of the file. Keeps at most `keep` of them and skips the rest as a stream,
  /// so a line of any length costs no memory. *record views the kept bytes, in the unit's
  /// block or in *storage, until the next read. *text_past is the column (from 1) of the
  /// first byte past the kept ones that is not a blank, 0 for none. False when no byte
  /// remains.
  bool read_record(Unit& unit, std::string_view* record, std::string* storage, size_t keep,
                   size_t* text_past) {
    std::string_view line;
    if (peek_line(unit, &line)) {  // the usual case, inline
      *record = line.substr(0, keep);
      if (record->size() == line.size() && record->ends_with('\r')) record->remove_suffix(1);
      *text_past = line.size() > keep ? first_text_past(line, keep) : 0;
      take_line(unit, line);
      return true;
    }
    return read_record_across_blocks(unit, record, storage, keep, text_past);
  }
  /// The next line when it lies whole in the unit's current block: its bytes before the LF,
  /// a CR included. False otherwise. The line stays unread until take_line(). The block
  /// goes on for at least eight bytes past any column of the line, so that the column may
  /// be read as the first of a word.
  static bool peek_line(const Unit& unit, std::string_view* line) {
    if (unit.block_position >= unit.block_length) return false;
    const char* begin = unit.block.data() + unit.block_position;
    const void* newline = std::memchr(begin, '\n', unit.block_length - unit.block_position);
    if (newline == nullptr) return false;
    *line = std::string_view(begin, static_cast<size_t>(static_cast<const char*>(newline) - begin));
    return true;
  }
  /// Moves past the line peek_line() found.
  static void take_line(Unit& unit, std::string_view line) {
    unit.block_position += line.size() + 1;
  }
  /// Marks the unit written; records go into unit.output, and flush_if_full() writes them.
  void begin_write(Unit& unit) {
    unit.written = true;
    if (!unit.cut) cut_at_start(unit);
  }
  void flush_if_full(Unit& unit) {
    if (unit.output.size() >= kFlushSize) flush(unit);
  }

 private:
  static constexpr int kCapacity = 61;
  static constexpr size_t kFlushSize = 1 << 16;
  static constexpr size_t kBlockSize = 1 << 16;
  // Bytes of a block past the most a read fills: a word loaded at the last column of a line
  // stays in the block.
  static constexpr size_t kBlockSlack = 8;

  Unit* find(int number);
  // unit() when the unit is not the one found last.
  Unit& connected(int number, StatementKind statement);
  // The column (from 1) of the first byte of `line` past its first `keep` that is not a
  // blank, 0 for none; a CR that ends the line belongs to the line end.
  static size_t first_text_past(std::string_view line, size_t keep);
  // read_record for a line that does not lie whole in the current block.
  bool read_record_across_blocks(Unit& unit, std::string_view* record, std::string* storage,
                                 size_t keep, size_t* text_past);
  int open_descriptor(const std::string& name, OpenIntent intent, bool* created);
  // Opens for reading, or for writing only when reading is refused; errno of the first
  // attempt when both fail.
  int open_read_only_or_write_only(const std::string& name);
  void flush(Unit& unit);
  // Reads the next block when the current one is used up; false at the end of the file.
  bool fill_block(Unit& unit);
  void cut_at_start(Unit& unit);
  void release(Unit& unit);

  int directory_fd_;
  BlankNameSource& blank_names_;
  std::vector<Unit> table_;     // slot order is the order of closing at the end of a run
  Unit* last_found_ = nullptr;  // the slot unit() returned last
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_UNITS_H_
