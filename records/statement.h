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

#include "records/pattern_cursor.h"
#include "records/patterns.h"
#include "records/record_writer.h"
#include "records/units.h"

namespace pedpeel {

enum class Direction { kRead, kWrite };

class RecordStatement {
 public:
  explicit RecordStatement(Units& units) : units_(units) {}

  /// Starts a statement on a connected unit: a write begins an empty record, a read takes
  /// the next record (E6501 when none is left).
  [[gnu::always_inline]] void begin_statement(int unit, const Pattern& pattern,
                                              Direction direction) {
    direction_ = direction;
    if (direction == Direction::kRead) {
      begin_read(unit, pattern);
      return;
    }
    // A write's set-up is a few loads and stores, kept inline: a loop's statements each
    // write one short record.
    unit_ = &units_.unit(unit, StatementKind::kWrite);
    units_.begin_write(*unit_);
    writer_.retarget(&unit_->output, unit_->name, exponent_fields_for(*unit_, pattern));
    writer_.begin(pattern);
  }

  // Write items.
  void transfer(int32_t value) { writer_.put(value); }
  void transfer(float value);
  void transfer(std::string_view text) { writer_.put(text); }
  /// An array of reals: each element an item, in order.
  void transfer(std::span<const float> values);

  // Read targets, each holding the values of its type (limits.h: codes -127..127, IDs
  // -32767..32767); a field outside them is an integer overflow. Nothing is stored in a
  // target whose field fails to convert.
  void transfer(int8_t* target);
  void transfer(int16_t* target);
  void transfer(int32_t* target);
  void transfer(float* target);
  /// An array of reals: each element a target, in order; reading stops at the first
  /// field that fails, with the elements before it stored.
  void transfer(std::span<float> targets);
  void transfer(std::span<char> target);

  /// Writes the literals up to the next data field or the end mark and completes the
  /// record (write), or takes the record breaks up to there and skips the rest of the
  /// record (read).
  [[gnu::always_inline]] void end_statement() {
    if (direction_ == Direction::kWrite) {
      writer_.end();
      units_.flush_if_full(*unit_);
    } else {
      end_read();
    }
    unit_ = nullptr;
  }

  /// A whole read statement: begin_statement(), a transfer() to each target in order, and
  /// end_statement(). (records/whole_record.h has the one that takes a whole record at
  /// once where it can; out of line, so that the set-up of the items here never runs on
  /// that road.)
  template <typename... Targets>
  [[gnu::noinline]] void read_statement(int unit, const Pattern& pattern, Targets... targets) {
    begin_statement(unit, pattern, Direction::kRead);
    (transfer(targets), ...);
    end_statement();
  }

  /// A whole write statement: begin_statement(), a transfer() of each item in order and
  /// end_statement(), for the records a loop writes one after another.
  template <typename... Items>
  void write_statement(int unit, const Pattern& pattern, Items... items) {
    begin_statement(unit, pattern, Direction::kWrite);
    (transfer(items), ...);
    end_statement();
  }

  /// The units the statements work on.
  Units& units() { return units_; }

  /// The record the current read statement works on, as taken from the file: as many of
  /// its columns as the pattern reads.
  std::string_view current_record() const { return record_; }
  /// The column (from 1) of the first character of that record past the columns the
  /// pattern reads that is not a blank, 0 when there is none: text the statement skips.
  size_t text_past_record() const { return text_past_; }

 private:
  // The unit's cache of exponent fields when the pattern writes any (made at the first).
  static ExponentFieldCache* exponent_fields_for(Unit& unit, const Pattern& pattern) {
    // A unit's cache, once made, serves every statement: the writer only renders the
    // fields of the cache's width and digits through it.
    if (unit.exponent_fields || pattern.first_exponent < 0) return unit.exponent_fields.get();
    return make_exponent_fields(unit, pattern);
  }
  static ExponentFieldCache* make_exponent_fields(Unit& unit, const Pattern& pattern);
  // The read halves of begin_statement() and end_statement().
  void begin_read(int unit, const Pattern& pattern);
  void end_read();
  // Takes the next record of the unit (E6501 when none is left).
  void start_record();
  // The columns of the next data field, which must be of `kind` (fewer where the record
  // ends), taken: the read position moves past them.
  std::string_view take_field(ElementKind kind);
  // Takes the next numeric field, which must be of `kind`, and converts it with
  // `convert(field)` (which gives an error or none), failing on an error. The field is cut
  // at a comma, which is consumed; E6501 when it holds an end-of-file mark (Ctrl-Z).
  template <typename Convert>
  void read_numeric_field(ElementKind kind, Convert convert);
  // The integer of the next field, which must lie in minimum..maximum.
  int64_t read_integer(int64_t minimum, int64_t maximum);
  [[noreturn]] void fail(ErrorCode code);

  Units& units_;
  Unit* unit_ = nullptr;
  Direction direction_ = Direction::kWrite;
  RecordWriter writer_{nullptr};  // output: renders into the unit's buffer
  PatternCursor cursor_;          // input: the place in the pattern
  size_t keep_ = 0;               // input: columns of a record the pattern reads
  std::string_view record_;       // input: the current record, up to keep_ columns
  std::string storage_;           // input: the record when it does not lie in one block
  size_t text_past_ = 0;          // input: see text_past_record()
  size_t position_ = 0;           // input: read position in record_
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_STATEMENT_H_
