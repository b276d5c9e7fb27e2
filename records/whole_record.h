// read_statement() with a road that takes a whole record at once: for a pattern without
// record breaks (Pattern::one_record), a record that lies in the unit's current block and
// holds every field the targets take whole and convertible is converted straight from its
// columns, without the statement's item-by-item machinery. Any other record goes the
// general way (RecordStatement::read_statement()), which stores the same values and fails
// the same way. Kept out of statement.h, so that only the readers of whole records include
// it.
#ifndef PEDPEEL_RECORDS_WHOLE_RECORD_H_
#define PEDPEEL_RECORDS_WHOLE_RECORD_H_

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>

#include "records/field_input.h"
#include "records/pattern_cursor.h"
#include "records/patterns.h"
#include "records/statement.h"
#include "records/units.h"

namespace pedpeel {

// The data fields of one record taken in order. Each take() converts the next field into
// its target and returns true; it returns false, where the general road must take over,
// for a field that does not convert, is not whole in the record, is not of the target's
// kind or lies past the pattern's end.
class WholeRecord {
 public:
  // `record` is a line that Units::peek_line() returned, or a start of one: a word loaded
  // at any of its columns lies in the unit's block.
  WholeRecord(const Pattern& pattern, std::string_view record) : record_(record) {
    cursor_.start(pattern, [](const Element&) {});  // literals take no columns on input
  }

  template <typename Integer>
  bool take(Integer* target) {
    std::string_view columns;
    if (!next_field(ElementKind::kInteger, &columns)) return false;
    using Range = IntegerTargetRange<Integer>;
    int64_t value;
    // A field of up to seven columns reads as the word at its start, which the block holds;
    // any other field, and one the word road does not take, reads the general way.
    const bool word_read = columns.size() - 1 < 7 &&
                           parse_short_integer(load_word(columns.data()), columns.size(), &value);
    if (!word_read && parse_integer_further(columns, Range::kMin, Range::kMax, &value)) {
      return false;
    }
    if (value < Range::kMin || value > Range::kMax) return false;
    *target = static_cast<Integer>(value);
    return true;
  }
  bool take(float* target) {
    std::string_view columns;
    return next_field(ElementKind::kExponent, &columns) &&
           !parse_real(columns, cursor_.field()->digits, target);
  }
  bool take(std::span<float> targets) {
    size_t taken = 0;
    while (taken < targets.size()) {
      std::string_view columns;
      if (!next_field(ElementKind::kExponent, &columns)) return false;
      const int digits = cursor_.field()->digits;
      if (parse_real(columns, digits, &targets[taken++])) return false;
      // The further repeats of the field that the targets and the record reach are taken
      // in one step: no walk and no check between them.
      const size_t width = columns.size();
      size_t more =
          width == 0 ? 0 : std::min(targets.size() - taken, size_t(cursor_.repeats_left()));
      const size_t room = record_.size() - position_;
      if (more * width > room) more = room / width;  // a short record: no division otherwise
      cursor_.take_repeats(static_cast<int>(more));
      const char* place = record_.data() + position_;
      for (const size_t last = taken + more; taken < last; ++taken, place += width) {
        const std::string_view next(place, width);  // within the record
        if (parse_real(next, digits, &targets[taken])) return false;
      }
      position_ += more * width;
    }
    return true;
  }
  bool take(std::span<char> target) {
    std::string_view columns;
    if (!next_field(ElementKind::kText, &columns)) return false;
    read_text_field(columns, columns.size(), target);
    return true;
  }

 private:
  // The columns of the next data field, when it is of `kind` and lies whole in the record,
  // before the pattern's end.
  bool next_field(ElementKind kind, std::string_view* columns) {
    bool past_end = false;
    const Element& field = cursor_.next_field([&past_end](const Element&) { past_end = true; });
    const auto width = static_cast<size_t>(field.width);
    if (past_end || field.kind != kind || record_.size() - position_ < width) return false;
    *columns = std::string_view(record_.data() + position_, width);
    position_ += width;
    return true;
  }

  PatternCursor cursor_;
  std::string_view record_;
  size_t position_ = 0;
};

/// A whole read statement on `statement`: begin_statement(), a transfer() to each target in
/// order and end_statement(), or the same in one step where the whole-record road applies;
/// current_record() and text_past_record() then stay as they were.
template <typename... Targets>
void read_statement(RecordStatement& statement, int unit, const Pattern& pattern,
                    Targets... targets) {
  if (pattern.one_record) {
    Unit& source = statement.units().unit(unit, StatementKind::kRead);
    std::string_view line;
    if (Units::peek_line(source, &line)) {
      // The record as read_record() keeps it: a CR that ends a short line is no part of it.
      std::string_view record = line.substr(0, pattern.columns);
      if (record.size() == line.size() && record.ends_with('\r')) record.remove_suffix(1);
      WholeRecord fields(pattern, record);
      if ((fields.take(targets) && ...)) {
        Units::take_line(source, line);
        return;
      }
    }
  }
  statement.read_statement(unit, pattern, targets...);
}

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_WHOLE_RECORD_H_
