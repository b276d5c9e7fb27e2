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

#include "records/patterns.h"
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

  // Read targets. Nothing is stored in a target whose field fails to convert.
  void transfer(int8_t* target);
  void transfer(int16_t* target);
  void transfer(int32_t* target);
  void transfer(float* target);
  void transfer(std::span<char> target);

  /// Writes the literals up to the next data field or the end mark and completes the
  /// record (write), or skips the rest of the record (read).
  void end_statement();

  /// The record the current read statement works on, as taken from the file.
  std::string_view current_record() const { return record_; }

 private:
  // Moves the pattern cursor to the data field for the next item.
  const Element& next_field();
  void complete_record();
  void start_record();
  const Element& field_for(ElementKind kind);
  [[noreturn]] void fail(ErrorCode code);
  void read_integer(int64_t minimum, int64_t maximum, int64_t* value);
  std::string_view take_numeric_field(int width);
  // The next numeric field straight from its columns when the walk has nothing to do: the
  // current field is of `kind` and has repeats left, and the record is plain. False, with
  // nothing consumed, otherwise.
  bool next_plain_field(ElementKind kind, std::string_view* field);

  Units& units_;
  Unit* unit_ = nullptr;
  const Element* elements_ = nullptr;
  size_t element_count_ = 0;
  Direction direction_ = Direction::kWrite;
  size_t next_element_ = 0;         // index of the element after the current one
  const Element* field_ = nullptr;  // current data field, if any
  int repeats_left_ = 0;

  size_t record_start_ = 0;   // output: where the current record begins in the unit's output
  std::string record_;        // input: the current record
  size_t position_ = 0;       // input: read position in record_
  bool plain_record_ = true;  // input: record_ holds no comma and no Ctrl-Z
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_STATEMENT_H_
