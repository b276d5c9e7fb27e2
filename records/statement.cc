#include "records/statement.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace pedpeel {

namespace {
constexpr char kCtrlZ = 26;
}  // namespace

void RecordStatement::fail(ErrorCode code) {
  throw RunError{code, StatementKind::kRead, unit_->name};
}

void RecordStatement::start_record() {
  if (!units_.read_record(*unit_, &record_, &storage_, keep_, &text_past_))
    fail(ErrorCode::kEndOfFile);
  position_ = 0;
}

ExponentFieldCache* RecordStatement::exponent_fields_for(Unit& unit, const Pattern& pattern) {
  // A unit's cache, once made, serves every statement: the writer only renders the fields
  // of the cache's width and digits through it.
  if (unit.exponent_fields) return unit.exponent_fields.get();
  // The pattern's exponent field that a cache can hold, looked for once per pattern.
  if (pattern.elements.data() != exponents_known_for_) {
    exponents_known_for_ = pattern.elements.data();
    cacheable_exponent_ = nullptr;
    for (const Element& element : pattern.elements) {
      if (element.kind == ElementKind::kExponent &&
          element.width <= ExponentFieldCache::kMaxWidth) {
        cacheable_exponent_ = &element;
        break;
      }
    }
  }
  if (cacheable_exponent_ == nullptr) return nullptr;
  unit.exponent_fields =
      std::make_unique<ExponentFieldCache>(cacheable_exponent_->width, cacheable_exponent_->digits);
  return unit.exponent_fields.get();
}

void RecordStatement::begin_statement(int unit, const Pattern& pattern, Direction direction) {
  unit_ = &units_.unit(unit);
  elements_ = pattern.elements.data();
  element_count_ = pattern.elements.size();
  direction_ = direction;
  next_element_ = 0;
  field_ = nullptr;
  repeats_left_ = 0;
  if (direction == Direction::kWrite) {
    start_writing(*unit_, pattern);
    writer_.begin(pattern);
    return;
  }
  keep_ = pattern.columns;
  start_record();
}

const Element& RecordStatement::next_field() {
  if (field_ != nullptr && repeats_left_ > 0) {
    --repeats_left_;
    return *field_;
  }
  // Every pattern holds a data field, so the walk meets one within two rounds.
  for (;;) {
    if (next_element_ == element_count_) {
      start_record();
      next_element_ = 0;
      continue;
    }
    const Element& element = elements_[next_element_++];
    switch (element.kind) {
      case ElementKind::kLiteral:
        break;
      case ElementKind::kBreak:
        start_record();
        break;
      default:
        field_ = &element;
        repeats_left_ = element.repeat - 1;
        return element;
    }
  }
}

void RecordStatement::end_statement() {
  if (direction_ == Direction::kWrite) {
    writer_.end();
    units_.flush_if_full(*unit_);
    unit_ = nullptr;
    return;
  }
  // Record breaks before the next data field or the end mark take their records.
  if (field_ == nullptr || repeats_left_ == 0) {
    while (next_element_ < element_count_) {
      const ElementKind kind = elements_[next_element_].kind;
      if (kind == ElementKind::kBreak) {
        start_record();
      } else if (kind != ElementKind::kLiteral) {
        break;
      }
      ++next_element_;
    }
  }
  unit_ = nullptr;
}

const Element& RecordStatement::field_for(ElementKind kind) {
  const Element& field = next_field();
  if (field.kind != kind) fail(field_kind_error(kind));
  return field;
}

void RecordStatement::transfer(int32_t value) {
  writer_.put(value);
}

void RecordStatement::transfer(float value) {
  writer_.put(value);
}

void RecordStatement::transfer(std::string_view text) {
  writer_.put(text);
}

void RecordStatement::transfer(std::span<const float> values) {
  writer_.put(values);
}

std::string_view RecordStatement::take_numeric_field(std::string_view columns) {
  const void* comma = std::memchr(columns.data(), ',', columns.size());
  const std::string_view field(
      columns.data(), comma != nullptr
                          ? static_cast<size_t>(static_cast<const char*>(comma) - columns.data())
                          : columns.size());
  take_columns(field);
  if (comma != nullptr) ++position_;  // a comma inside the field ends it and is consumed
  if (std::memchr(field.data(), kCtrlZ, field.size()) != nullptr) fail(ErrorCode::kEndOfFile);
  return field;
}

int64_t RecordStatement::read_integer_field(std::string_view columns, int64_t minimum,
                                            int64_t maximum) {
  const std::string_view field = take_numeric_field(columns);
  int64_t value;
  if (auto error = parse_integer(field, minimum, maximum, &value)) fail(*error);
  return value;
}

void RecordStatement::read_real_field(std::string_view columns, float* target) {
  const std::string_view field = take_numeric_field(columns);
  float value;
  if (auto error = parse_real(field, field_->digits, &value)) fail(*error);
  *target = value;
}

void RecordStatement::transfer(std::span<float> targets) {
  size_t done = 0;
  while (done < targets.size()) {
    done += take_written_e12_4(targets.subspan(done));
    if (done < targets.size()) transfer(&targets[done++]);
  }
}

size_t RecordStatement::take_written_e12_4(std::span<float> targets) {
  // The repeats left of the current field, when it is an E12.4 field whose columns the
  // record holds: converted in one loop while they are written plainly.
  if (repeats_left_ == 0 || field_->kind != ElementKind::kExponent || field_->width != 12 ||
      field_->digits != 4 || position_ > record_.size()) {
    return 0;
  }
  const size_t whole_fields = (record_.size() - position_) / 12;
  const size_t count = std::min({targets.size(), static_cast<size_t>(repeats_left_), whole_fields});
  const size_t taken = parse_written_e12_4_run(record_.data() + position_, targets.first(count));
  position_ += 12 * taken;
  repeats_left_ -= static_cast<int>(taken);
  return taken;
}

void RecordStatement::transfer(std::span<char> target) {
  // The field's characters, blanks where the record ends inside it; a target shorter than
  // the field takes its last characters, a longer one is filled up with blanks.
  const std::string_view present = next_field_columns(ElementKind::kText);
  take_columns(present);
  const size_t width = static_cast<size_t>(field_->width);
  if (present.size() == width) {
    copy_text_field(present.data(), width, target);  // the usual case
    return;
  }
  const size_t offset = width > target.size() ? width - target.size() : 0;
  const size_t count = std::min(width, target.size());
  for (size_t i = 0; i < count; ++i) {
    const size_t column = offset + i;
    target[i] = column < present.size() ? present[column] : ' ';
  }
  std::fill(target.begin() + static_cast<std::ptrdiff_t>(count), target.end(), ' ');
}

}  // namespace pedpeel
