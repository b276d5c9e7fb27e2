// The place of a statement in its pattern: the data field the last item took and the
// repeats of it left. The one walk through a pattern, shared by reading and writing: each
// item takes the next data field, and the literals and record ends met on the way are
// handed to the statement, which writes them or, reading, moves to the next record.
//
//   PatternCursor cursor;
//   cursor.start(PAT_LOOP, passed);                    // passed(element) for each literal
//   const Element& field = cursor.next_field(passed);  // and record end on the way
//   cursor.finish(passed);
#ifndef PEDPEEL_RECORDS_PATTERN_CURSOR_H_
#define PEDPEEL_RECORDS_PATTERN_CURSOR_H_

#include <cstddef>

#include "records/patterns.h"

namespace pedpeel {

class PatternCursor {
 public:
  /// Places the cursor at the start of `pattern`, passing the literals before its first
  /// data field, so that the first item takes that field without a walk.
  template <typename Passed>
  [[gnu::always_inline]] void start(const Pattern& pattern, Passed&& passed) {
    elements_ = pattern.elements.data();
    count_ = pattern.elements.size();
    next_ = 0;
    field_ = nullptr;
    repeats_left_ = 0;
    if (pattern.lead < 0) return;  // a record break comes first: the walk takes it
    for (; next_ < static_cast<size_t>(pattern.lead); ++next_) passed(elements_[next_]);
    field_ = &elements_[next_++];
    repeats_left_ = field_->repeat;
  }

  /// Moves to the data field for the next item: the current one again while it has repeats
  /// left, else the next data field of the pattern. `passed(element)` is called for each
  /// literal and record break passed on the way, and with a record break at the end mark,
  /// after which the walk goes on from the start of the pattern.
  template <typename Passed>
  const Element& next_field(Passed&& passed) {
    if (repeats_left_ > 0) {
      --repeats_left_;
      return *field_;
    }
    // Every pattern holds a data field, so the walk meets one within two rounds.
    for (;;) {
      if (next_ == count_) {
        passed(kEndMark);
        next_ = 0;
        continue;
      }
      const Element& element = elements_[next_++];
      if (element.kind != ElementKind::kLiteral && element.kind != ElementKind::kBreak) {
        field_ = &element;
        repeats_left_ = element.repeat - 1;
        return element;
      }
      passed(element);
    }
  }

  /// Ends the statement's walk: unless the current field has repeats left, passes the
  /// literals and record breaks up to the next data field or the end mark, which it does not
  /// pass.
  template <typename Passed>
  [[gnu::always_inline]] void finish(Passed&& passed) {
    if (repeats_left_ > 0) return;
    for (; next_ < count_; ++next_) {
      const Element& element = elements_[next_];
      if (element.kind != ElementKind::kLiteral && element.kind != ElementKind::kBreak) return;
      passed(element);
    }
  }

  /// The data field the last item took (none before the first item).
  const Element* field() const { return field_; }
  /// Repeats of that field left for further items.
  int repeats_left() const { return repeats_left_; }
  /// Gives `count` (at most repeats_left()) of those repeats to items at once.
  void take_repeats(int count) { repeats_left_ -= count; }

 private:
  static constexpr Element kEndMark = record_break();

  const Element* elements_ = nullptr;
  size_t count_ = 0;
  size_t next_ = 0;                 // the element after the current one
  const Element* field_ = nullptr;  // the current data field
  int repeats_left_ = 0;
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_PATTERN_CURSOR_H_
