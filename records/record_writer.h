// Writes items through a record pattern into a byte buffer: the one route by which every
// text record of the system is written. RecordStatement writes a unit's records with it;
// the input-file writer renders whole files with it.
//
//   std::string text;
//   RecordWriter writer(&text);
//   writer.begin(PAT_COUNTS);
//   writer.put(NIND);
//   writer.end();  // text == "   42\r\n"
//
// A record is built in the writer and appended to the buffer whole when it ends, so the
// buffer only ever holds complete records.
#ifndef PEDPEEL_RECORDS_RECORD_WRITER_H_
#define PEDPEEL_RECORDS_RECORD_WRITER_H_

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "records/field_output.h"
#include "records/pattern_cursor.h"
#include "records/patterns.h"
#include "records/run_error.h"
#include "records/short_copy.h"

namespace pedpeel {

class ExponentFieldCache;

/// The run-time error of an item whose field is not of `kind`, the kind the item needs
/// (E6207 for an integer, E6206 for a real, E6205 for text).
ErrorCode field_kind_error(ElementKind kind);

class RecordWriter {
 public:
  /// Records are appended to `*out`, which must outlive the writer's statements; a failed
  /// item names `file` in its run-time error. Exponent fields of the cache's width and
  /// digits are rendered through `exponents` when it is given.
  explicit RecordWriter(std::string* out, std::string_view file = {},
                        ExponentFieldCache* exponents = nullptr) {
    retarget(out, file, exponents);
  }
  RecordWriter(const RecordWriter&) = delete;
  RecordWriter& operator=(const RecordWriter&) = delete;

  /// Sends the next statements elsewhere.
  void retarget(std::string* out, std::string_view file, ExponentFieldCache* exponents) {
    out_ = out;
    file_ = file;
    exponents_ = exponents;
  }

  /// Starts a statement on a fresh record. A pattern with records longer than the longest
  /// of the system's patterns (kLongestRecord), which the writer has no room for, is a
  /// programming error: std::length_error, before anything is written.
  [[gnu::always_inline]] void begin(const Pattern& pattern) {
    length_ = 0;
    if (pattern.length > kLongestRecord) fail_too_long();
    cursor_.start(pattern, [this](const Element& element) { pass(element); });
  }

  /// Each item takes the next data field, writing the literals met on the way and starting
  /// a new record at a record break or the pattern's end. An item whose field is of another
  /// kind is a run-time error (E6207, E6206, E6205) that drops the record begun.
  void put(int32_t value) {
    const int width = field(ElementKind::kInteger).width;
    format_integer(record_.data() + length_, value, width);
    length_ += static_cast<size_t>(width);
  }
  void put(float value);
  void put(std::string_view text) {
    const size_t width = static_cast<size_t>(field(ElementKind::kText).width);
    char* place = record_.data() + length_;
    if (text.size() < width) {
      // Blanks on the left of a shorter item.
      fill_blanks(place, width - text.size());
      copy_short(place + (width - text.size()), text.data(), text.size());
    } else {
      copy_short(place, text.data(), width);
    }
    length_ += width;
  }
  /// Each element an item, in order.
  void put(std::span<const int32_t> values);
  void put(std::span<const float> values);

  /// Writes the literals up to the next data field or the end mark and ends the record.
  [[gnu::always_inline]] void end() {
    cursor_.finish([this](const Element& element) { pass(element); });
    end_record();
  }

 private:
  // The next data field, which must be of `kind`: the current one again (the usual case,
  // kept short), or the walk on through the pattern.
  const Element& field(ElementKind kind) {
    const Element* current = cursor_.field();
    if (cursor_.repeats_left() > 0 && current->kind == kind) {
      cursor_.take_repeats(1);
      return *current;
    }
    return walk_to_field(kind);
  }
  const Element& walk_to_field(ElementKind kind);
  // Takes the fields of `values`, items of `kind`: write_run(field, part) writes each part
  // that falls on the repeats of one field.
  template <typename Value, typename WriteRun>
  void put_each(std::span<const Value> values, ElementKind kind, WriteRun&& write_run);
  // Writes a literal, or ends the record at a record break, as the walk passes it.
  void pass(const Element& element);
  void write_literal(std::string_view text);
  // Appends the record built so far and its line end to the buffer.
  [[gnu::always_inline]] void end_record() {
    record_[length_] = '\r';
    record_[length_ + 1] = '\n';
    out_->append(record_.data(), length_ + 2);
    length_ = 0;
  }
  [[noreturn]] void fail(ErrorCode code);
  [[noreturn]] static void fail_too_long();

  std::string* out_ = nullptr;
  std::string_view file_;
  ExponentFieldCache* exponents_ = nullptr;
  PatternCursor cursor_;
  // The record being built: record_[0 .. length_), with room for its line end. Kept in
  // the writer itself: the items' stores reach it without a pointer to reload.
  std::array<char, kLongestRecord + 2> record_;
  size_t length_ = 0;
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_RECORD_WRITER_H_
