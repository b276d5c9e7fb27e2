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
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "records/exponent_field_cache.h"
#include "records/field_output.h"
#include "records/patterns.h"
#include "records/run_error.h"

namespace pedpeel {

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

  /// Starts a statement on a fresh record. The pattern must be one of the system's
  /// (kAllPatterns): its records fit the writer.
  void begin(const Pattern& pattern);

  /// Each item takes the next data field, writing the literals met on the way and starting
  /// a new record at a record break or the pattern's end. An item whose field is of another
  /// kind is a run-time error (E6207, E6206, E6205) that drops the record begun.
  void put(int32_t value) {
    const int width = field(ElementKind::kInteger).width;
    format_integer(record_.data() + length_, value, width);
    length_ += static_cast<size_t>(width);
  }
  void put(float value);
  void put(std::string_view text);
  /// Each element an item, in order.
  void put(std::span<const float> values);

  /// Writes the literals up to the next data field or the end mark and ends the record.
  void end();

  /// A whole record: begin(), a put() of each item in order and end(). A pattern whose
  /// literals all come before its one data field, which takes every item, is written
  /// without the walk (the usual record written in a loop).
  template <typename... Items>
  void write_record(const Pattern& pattern, Items... items) {
    if (!one_field_takes(pattern, {kind_of(items)...}, (count_of(items) + ... + 0))) {
      begin(pattern);
      (put(items), ...);
      end();
      return;
    }
    length_ = 0;
    write_lead(pattern);
    (render(items), ...);
    end_record();
  }

 private:
  // The next data field, which must be of `kind`: the current field while it has repeats
  // left (the usual case, kept short), else the walk on through the pattern.
  const Element& field(ElementKind kind) {
    if (field_ != nullptr && repeats_left_ > 0 && field_->kind == kind) {
      --repeats_left_;
      return *field_;
    }
    return walk_to_field(kind);
  }
  const Element& walk_to_field(ElementKind kind);
  // The walk to the first data field of a pattern that has one before any record break:
  // its literals, then the field with all its repeats left for the items.
  void write_lead(const Pattern& pattern) {
    for (int i = 0; i < pattern.lead; ++i) write_literal(pattern.elements[i].literal);
    field_ = &pattern.elements[static_cast<size_t>(pattern.lead)];
    repeats_left_ = field_->repeat;
  }
  static constexpr ElementKind kind_of(int32_t) { return ElementKind::kInteger; }
  static constexpr ElementKind kind_of(float) { return ElementKind::kExponent; }
  static constexpr ElementKind kind_of(std::string_view) { return ElementKind::kText; }
  static constexpr ElementKind kind_of(std::span<const float>) { return ElementKind::kExponent; }
  template <typename Item>
  static size_t count_of(Item) {
    return 1;
  }
  static size_t count_of(std::span<const float> values) { return values.size(); }
  // Whether the pattern is literals and then one data field, of each of `kinds`, with
  // `count` repeats at least.
  static bool one_field_takes(const Pattern& pattern, std::initializer_list<ElementKind> kinds,
                              size_t count) {
    if (pattern.lead < 0 || static_cast<size_t>(pattern.lead) + 1 != pattern.elements.size()) {
      return false;
    }
    const Element& field = pattern.elements[static_cast<size_t>(pattern.lead)];
    if (static_cast<size_t>(field.repeat) < count) return false;
    for (ElementKind kind : kinds) {
      if (kind != field.kind) return false;
    }
    return true;
  }
  // An item in the next repeat of the current field, which is of the item's kind.
  void render(int32_t value) {
    format_integer(record_.data() + length_, value, field_->width);
    length_ += static_cast<size_t>(field_->width);
  }
  void render(std::string_view text);
  void render(float value);
  void render(std::span<const float> values);
  // Moves to the next data field, writing the literals and record ends on the way.
  void walk();
  void write_literal(std::string_view text);
  // Appends the record built so far and its line end to the buffer.
  void end_record();
  [[noreturn]] void fail(ErrorCode code);

  std::string* out_ = nullptr;
  std::string_view file_;
  ExponentFieldCache* exponents_ = nullptr;
  const Element* elements_ = nullptr;
  size_t element_count_ = 0;
  size_t next_element_ = 0;         // index of the element after the current one
  const Element* field_ = nullptr;  // current data field, if any
  int repeats_left_ = 0;
  // The record being built: record_[0 .. length_), with room for its line end.
  std::array<char, kLongestRecord + 2> record_;
  size_t length_ = 0;
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_RECORD_WRITER_H_
