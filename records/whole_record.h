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

  // Inline, as next_field() is: where the pattern is a constant, the walk to each field
  // then folds into the record's code, leaving the conversion and the checks of the record's
  // length.
  template <typename Integer>
  [[gnu::always_inline]] bool take(Integer* target) {
    std::string_view columns;
    if (!next_field(ElementKind::kInteger, &columns)) return false;
    using Range = IntegerTargetRange<Integer>;
    int64_t value;
    // A field of up to seven columns reads as the word at its start, which the block holds;
    // any other field, and one the word road does not take, reads the general way.
    const bool word_read = columns.size() - 1 < 7 &&
                           parse_short_integer(load_word(columns.data()), columns.size(), &value);
    if (!word_read) {
      int64_t further;  // apart from `value`, which then stays out of memory
      if (parse_integer_further(columns, Range::kMin, Range::kMax, &further)) return false;
      value = further;
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
    if (targets.empty()) return true;
    std::string_view columns;
    if (!next_field(ElementKind::kExponent, &columns)) return false;
    // The targets are the field's repeats, taken in one step: no walk and no check between
    // them. Targets past its repeats, or past a short record, go the general way.
    const size_t width = columns.size();
    const size_t more = targets.size() - 1;
    if (more > size_t(cursor_.repeats_left()) || more * width > record_.size() - position_) {
      return false;
    }
    const int digits = cursor_.field()->digits;
    const char* place = columns.data();
    for (float& target : targets) {
      if (parse_real(std::string_view(place, width), digits, &target)) return false;
      place += width;  // within the record
    }
    cursor_.take_repeats(static_cast<int>(more));
    position_ += more * width;
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
  // before the pattern's end. A repeat of the current field takes no walk.
  [[gnu::always_inline]] bool next_field(ElementKind kind, std::string_view* columns) {
    const Element* field;
    if (cursor_.repeats_left() > 0) {
      cursor_.take_repeats(1);
      field = cursor_.field();
    } else {
      field = walk_to_next_field();
    }
    if (field == nullptr) return false;
    const auto width = static_cast<size_t>(field->width);
    if (field->kind != kind || position_ + width > record_.size()) return false;
    *columns = std::string_view(record_.data() + position_, width);
    position_ += width;
    return true;
  }

  // The next data field, past the current one's repeats; null past the pattern's end.
  // Inline: where the pattern is a constant, the walk folds away.
  [[gnu::always_inline]] const Element* walk_to_next_field() {
    bool past_end = false;
    const Element& field = cursor_.next_field([&past_end](const Element&) { past_end = true; });
    return past_end ? nullptr : &field;
  }

  PatternCursor cursor_;
  std::string_view record_;
  size_t position_ = 0;
};

/// A whole read statement on `statement`: begin_statement(), a transfer() to each target in
/// order and end_statement(), or the same in one step where the whole-record road applies;
/// current_record() and text_past_record() then stay as they were. Inline: in a load's
/// record loop a record then costs no call, and no registers saved and restored.
template <typename... Targets>
[[gnu::always_inline]] inline void read_statement(RecordStatement& statement, int unit,
                                                  const Pattern& pattern, Targets... targets) {
  if (pattern.one_record) {
    Unit& source = statement.units().unit(unit, StatementKind::kRead);
    std::string_view line;
    if (Units::peek_line(source, &line)) {
      // The record as read_record() keeps it: a CR that ends a short line is no part of it.
      std::string_view record(line.data(), std::min(line.size(), pattern.columns));
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
