// One read or write statement: moves a list of items through a record pattern, starting on
// a fresh record and leaving the unit at the start of the next one.
//
//   RecordStatement statement(units);
//   statement.begin_statement(20, PAT_TRAIT, Direction::kWrite);
//   for (...) statement.transfer(value);
//   statement.end_statement();
#ifndef PEDPEEL_RECORDS_STATEMENT_H_
#define PEDPEEL_RECORDS_STATEMENT_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "records/field_input.h"
#include "records/limits.h"
#include "records/patterns.h"
#include "records/plain_fields.h"
#include "records/plain_record.h"
#include "records/record_writer.h"
#include "records/units.h"

namespace pedpeel {

enum class Direction { kRead, kWrite };

class RecordStatement {
 public:
  explicit RecordStatement(Units& units) : units_(units) {}

  /// Starts a statement on a connected unit: a write begins an empty record, a read takes
  /// the next record (E6501 when none is left).
  void begin_statement(int unit, const Pattern& pattern, Direction direction);

  // Write items.
  void transfer(int32_t value);
  void transfer(float value);
  void transfer(std::string_view text);
  /// An array of reals: each element an item, in order.
  void transfer(std::span<const float> values);

  // Read targets. Nothing is stored in a target whose field fails to convert.
  template <typename Integer>
  requires std::is_integral_v<Integer>
  void transfer(Integer* target) {
    using Range = IntegerTargetRange<Integer>;
    *target = static_cast<Integer>(read_integer(Range::kMin, Range::kMax));
  }
  void transfer(float* target) {
    const std::string_view columns = next_field_columns(ElementKind::kExponent);
    if (parse_written_real(columns, field_->digits, target)) {
      take_columns(columns);
      return;
    }
    read_real_field(columns, target);
  }
  /// An array of reals: each element a target, in order; reading stops at the first
  /// field that fails, with the elements before it stored.
  void transfer(std::span<float> targets);
  void transfer(std::span<char> target);

  /// Writes the literals up to the next data field or the end mark and completes the
  /// record (write), or skips the rest of the record (read).
  void end_statement();

  /// A whole read statement: begin_statement(), a transfer() to each target in order, and
  /// end_statement(). A record that lies in the unit's current block and holds each field
  /// whole and written plainly is converted in one step, without the pattern cursor;
  /// current_record() and text_past_record() then stay as they were.
  template <typename... Targets>
  void read_statement(int unit, const Pattern& pattern, Targets... targets) {
    if (read_plain_record(units_.unit(unit), pattern, targets...)) return;
    begin_statement(unit, pattern, Direction::kRead);
    (transfer(targets), ...);
    end_statement();
  }

  /// A whole write statement: begin_statement(), a transfer() of each item in order and
  /// end_statement(), for the records a loop writes one after another.
  template <typename... Items>
  void write_statement(int unit, const Pattern& pattern, Items... items) {
    Unit& target = units_.unit(unit);
    start_writing(target, pattern);
    writer_.write_record(pattern, items...);
    units_.flush_if_full(target);
  }

  /// The record the current read statement works on, as taken from the file: as many of
  /// its columns as the pattern reads.
  std::string_view current_record() const { return record_; }
  /// The column (from 1) of the first character of that record past the columns the
  /// pattern reads that is not a blank, 0 when there is none: text the statement skips.
  size_t text_past_record() const { return text_past_; }

 private:
  // The unit's cache of exponent fields when the pattern writes any (made at the first).
  ExponentFieldCache* exponent_fields_for(Unit& unit, const Pattern& pattern);
  // Marks the unit written and points the writer at its buffer, for a record of `pattern`.
  void start_writing(Unit& unit, const Pattern& pattern) {
    units_.begin_write(unit);
    writer_.retarget(&unit.output, unit.name, exponent_fields_for(unit, pattern));
  }
  // read_statement's quick road: false, with the record unread, where it does not apply.
  template <typename... Targets>
  bool read_plain_record(Unit& unit, const Pattern& pattern, Targets... targets) {
    std::string_view line;
    if (!Units::peek_line(unit, &line)) return false;
    // The record as read_record() keeps it: a CR that ends a short line is no part of it.
    std::string_view record = line.substr(0, pattern.columns);
    if (record.size() == line.size() && record.ends_with('\r')) record.remove_suffix(1);
    PlainRecordFields fields(pattern, record);
    if (!(fields.take(targets) && ...)) return false;
    Units::take_line(unit, line);
    return true;
  }
  // Moves the pattern cursor to the data field for the next item (read).
  const Element& next_field();
  void start_record();
  const Element& field_for(ElementKind kind);
  [[noreturn]] void fail(ErrorCode code);

  // The value of the next integer field, which must lie in minimum..maximum.
  // The usual case makes no call: a field found without a walk through the pattern.
  int64_t read_integer(int64_t minimum, int64_t maximum) {
    if (!step_to_field(ElementKind::kInteger)) return walk_and_read_integer(minimum, maximum);
    return read_integer_here(minimum, maximum);
  }
  [[gnu::noinline]] int64_t walk_and_read_integer(int64_t minimum, int64_t maximum) {
    field_for(ElementKind::kInteger);
    return read_integer_here(minimum, maximum);
  }
  // The value of the current field, an integer field.
  int64_t read_integer_here(int64_t minimum, int64_t maximum) {
    const std::string_view columns = current_field_columns();
    int64_t value;
    const PlainInteger plain = parse_plain_integer(columns, minimum, maximum, &value);
    if (plain != PlainInteger::kNotPlain) {
      take_columns(columns);
      if (plain == PlainInteger::kOverflow) fail(ErrorCode::kIntegerOverflow);
      return value;
    }
    return read_integer_field(columns, minimum, maximum);
  }
  // Converts targets from the plain E12.4 fields that follow in the current repeated field,
  // stopping at the first other one; returns how many it converted.
  size_t take_written_e12_4(std::span<float> targets);
  // The roads for fields that are not plain: they take the field with take_numeric_field()
  // and convert it with the general conversions. Kept out of line, so that the quick roads
  // inlined at every item stay small.
  [[gnu::noinline]] int64_t read_integer_field(std::string_view columns, int64_t minimum,
                                               int64_t maximum);
  [[gnu::noinline]] void read_real_field(std::string_view columns, float* target);
  // Takes the field in `columns` (from next_field_columns()), cut at a comma, which is
  // consumed; E6501 when it holds an end-of-file mark (Ctrl-Z).
  std::string_view take_numeric_field(std::string_view columns);
  // Moves the pattern cursor to the next data field, which must be of `kind`, and returns
  // its columns (fewer where the record ends), not yet taken. A caller that finds nothing
  // but blanks, digits, signs, a point or an exponent in them (no comma, no Ctrl-Z) takes
  // them with take_columns(); otherwise it takes the field with take_numeric_field().
  std::string_view next_field_columns(ElementKind kind) {
    if (!step_to_field(kind)) field_for(kind);
    return current_field_columns();
  }
  // Moves the pattern cursor to the next data field in the usual cases, kept short and
  // inline: a repeat of the current field, or the next element of the record, of `kind`.
  // False, with the cursor unmoved, when it takes a walk through the pattern (field_for()).
  bool step_to_field(ElementKind kind) {
    if (repeats_left_ > 0 && field_->kind == kind) {
      --repeats_left_;
      return true;
    }
    if (repeats_left_ == 0 && next_element_ < element_count_ &&
        elements_[next_element_].kind == kind) {
      field_ = &elements_[next_element_++];
      repeats_left_ = field_->repeat - 1;
      return true;
    }
    return false;
  }
  // The columns of the current field (fewer where the record ends), not yet taken.
  std::string_view current_field_columns() const {
    const size_t width = static_cast<size_t>(field_->width);
    const size_t begin = position_ < record_.size() ? position_ : record_.size();
    const size_t length = record_.size() - begin < width ? record_.size() - begin : width;
    return {record_.data() + begin, length};
  }
  void take_columns(std::string_view columns) {
    position_ = static_cast<size_t>(columns.data() + columns.size() - record_.data());
  }

  Units& units_;
  Unit* unit_ = nullptr;
  const Element* elements_ = nullptr;
  size_t element_count_ = 0;
  Direction direction_ = Direction::kWrite;
  size_t next_element_ = 0;         // index of the element after the current one
  const Element* field_ = nullptr;  // current data field, if any
  int repeats_left_ = 0;

  RecordWriter writer_{nullptr};                  // output: renders into the unit's buffer
  const Element* exponents_known_for_ = nullptr;  // the pattern last looked at
  const Element* cacheable_exponent_ = nullptr;   // its exponent field a cache can hold
  size_t keep_ = 0;                               // input: columns of a record the pattern reads
  std::string_view record_;                       // input: the current record, up to keep_ columns
  std::string storage_;   // input: the record when it does not lie in one block
  size_t text_past_ = 0;  // input: see text_past_record()
  size_t position_ = 0;   // input: read position in record_
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_STATEMENT_H_
