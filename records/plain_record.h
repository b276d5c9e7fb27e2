// The quick road of a whole read statement: the data fields of one record taken in order,
// straight from the record's columns, when every field is written plainly (plain_fields.h).
// A field it cannot take that way ends the road; the statement then reads the record item
// by item through the general conversions, which give the same results.
#ifndef PEDPEEL_RECORDS_PLAIN_RECORD_H_
#define PEDPEEL_RECORDS_PLAIN_RECORD_H_

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>

#include "records/limits.h"
#include "records/patterns.h"
#include "records/plain_fields.h"

namespace pedpeel {

// The values a read statement may store in an integer target of type T; a field outside
// them is an integer overflow.
template <typename T>
struct IntegerTargetRange;
template <>
struct IntegerTargetRange<int8_t> {
  static constexpr int64_t kMin = kMinCode;
  static constexpr int64_t kMax = kMaxCode;
};
template <>
struct IntegerTargetRange<int16_t> {
  static constexpr int64_t kMin = kMinId;
  static constexpr int64_t kMax = kMaxId;
};
template <>
struct IntegerTargetRange<int32_t> {
  static constexpr int64_t kMin = -2147483647;
  static constexpr int64_t kMax = 2147483647;
};

// Walks the data fields of `pattern` over `record`. Each take() converts the next field into
// its target and returns true; it returns false, with the target untouched, for a field
// that is not plain, not of the target's kind, not whole in the record, or past a record
// break or the pattern's end: what only the item-by-item road handles.
class PlainRecordFields {
 public:
  PlainRecordFields(const Pattern& pattern, std::string_view record)
      : next_(pattern.elements.data()),
        end_(pattern.elements.data() + pattern.elements.size()),
        column_(record.data()),
        record_end_(record.data() + record.size()) {}

  template <typename Integer>
  bool take(Integer* target) {
    const char* columns = next_field(ElementKind::kInteger);
    if (columns == nullptr) return false;
    int64_t value;
    const std::string_view field(columns, static_cast<size_t>(field_->width));
    if (parse_plain_integer(field, IntegerTargetRange<Integer>::kMin,
                            IntegerTargetRange<Integer>::kMax, &value) != PlainInteger::kValue) {
      return false;
    }
    *target = static_cast<Integer>(value);
    return true;
  }

  bool take(float* target) {
    const char* columns = next_field(ElementKind::kExponent);
    return columns != nullptr && field_->width == 12 && field_->digits == 4 &&
           parse_written_e12_4(columns, target);
  }

  bool take(std::span<float> targets) {
    size_t done = 0;
    while (done < targets.size()) {
      if (!take(&targets[done++])) return false;
      // That field was E12.4: the repeats of it left that the record holds, in one loop.
      const size_t whole = static_cast<size_t>(record_end_ - column_) / 12;
      const size_t run =
          std::min({targets.size() - done, static_cast<size_t>(repeats_left_), whole});
      if (parse_written_e12_4_run(column_, targets.subspan(done, run)) < run) return false;
      column_ += 12 * run;
      repeats_left_ -= static_cast<int>(run);
      done += run;
    }
    return true;
  }

  bool take(std::span<char> target) {
    const char* columns = next_field(ElementKind::kText);
    if (columns == nullptr) return false;
    copy_text_field(columns, static_cast<size_t>(field_->width), target);
    return true;
  }

 private:
  // The columns of the next data field, which must be of `kind`, and moves past them;
  // nullptr where the item-by-item road must take over. Literals take no columns on input.
  const char* next_field(ElementKind kind) {
    if (repeats_left_ == 0) {
      while (next_ != end_ && next_->kind == ElementKind::kLiteral) ++next_;
      if (next_ == end_ || next_->kind != kind) return nullptr;
      field_ = next_++;
      repeats_left_ = field_->repeat;
    } else if (field_->kind != kind) {
      return nullptr;
    }
    if (record_end_ - column_ < field_->width) return nullptr;
    --repeats_left_;
    const char* columns = column_;
    column_ += field_->width;
    return columns;
  }

  const Element* next_;             // the element after the current field
  const Element* const end_;        // the pattern's end mark
  const Element* field_ = nullptr;  // the current field
  int repeats_left_ = 0;            // repeats of the current field not yet taken
  const char* column_;              // the first column of the next field
  const char* const record_end_;
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_PLAIN_RECORD_H_
