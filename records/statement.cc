#include "records/statement.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "records/field_input.h"
#include "records/field_output.h"

namespace pedpeel {

namespace {
constexpr char kCtrlZ = 26;
}  // namespace

void RecordStatement::fail(ErrorCode code) {
  // Leave no part of a record behind: the file ends with the last complete record.
  if (direction_ == Direction::kWrite) unit_->output.resize(record_start_);
  throw RunError{code,
                 direction_ == Direction::kRead ? StatementKind::kRead : StatementKind::kWrite,
                 unit_->name};
}

void RecordStatement::start_record() {
  if (direction_ == Direction::kWrite) return;
  if (!units_.read_record(*unit_, &record_)) fail(ErrorCode::kEndOfFile);
  position_ = 0;
  // Most records hold neither: their numeric fields are then plain column ranges.
  plain_record_ = std::memchr(record_.data(), ',', record_.size()) == nullptr &&
                  std::memchr(record_.data(), kCtrlZ, record_.size()) == nullptr;
}

void RecordStatement::complete_record() {
  if (direction_ == Direction::kWrite) {
    unit_->output.append("\r\n", 2);
    record_start_ = unit_->output.size();
  }
}

void RecordStatement::begin_statement(int unit, const Pattern& pattern, Direction direction) {
  unit_ = &units_.unit(unit);
  elements_ = pattern.elements.data();
  element_count_ = pattern.elements.size();
  direction_ = direction;
  next_element_ = 0;
  field_ = nullptr;
  repeats_left_ = 0;
  plain_record_ = false;
  if (direction == Direction::kWrite) {
    units_.begin_write(*unit_);
    record_start_ = unit_->output.size();
  }
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
      complete_record();
      start_record();
      next_element_ = 0;
      continue;
    }
    const Element& element = elements_[next_element_++];
    switch (element.kind) {
      case ElementKind::kLiteral:
        if (direction_ == Direction::kWrite) unit_->output.append(element.literal);
        break;
      case ElementKind::kBreak:
        complete_record();
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
  if (field_ == nullptr || repeats_left_ == 0) {
    while (next_element_ < element_count_) {
      const Element& element = elements_[next_element_];
      if (element.kind == ElementKind::kLiteral) {
        if (direction_ == Direction::kWrite) unit_->output.append(element.literal);
      } else if (element.kind == ElementKind::kBreak) {
        complete_record();
        start_record();
      } else {
        break;
      }
      ++next_element_;
    }
  }
  complete_record();
  if (direction_ == Direction::kWrite) units_.flush_if_full(*unit_);
  unit_ = nullptr;
}

const Element& RecordStatement::field_for(ElementKind kind) {
  const Element& field = next_field();
  if (field.kind != kind) {
    switch (kind) {
      case ElementKind::kInteger:
        fail(ErrorCode::kIntegerFieldExpected);
      case ElementKind::kExponent:
        fail(ErrorCode::kRealFieldExpected);
      default:
        fail(ErrorCode::kTextFieldExpected);
    }
  }
  return field;
}

void RecordStatement::transfer(int32_t value) {
  append_integer(unit_->output, value, field_for(ElementKind::kInteger).width);
}

void RecordStatement::transfer(float value) {
  const Element& field = field_for(ElementKind::kExponent);
  append_exponent(unit_->output, value, field.width, field.digits);
}

void RecordStatement::transfer(std::string_view text) {
  append_text(unit_->output, text, field_for(ElementKind::kText).width);
}

std::string_view RecordStatement::take_numeric_field(int width) {
  const size_t begin = std::min(position_, record_.size());
  const size_t limit = std::min(record_.size(), begin + static_cast<size_t>(width));
  const char* start = record_.data() + begin;
  if (plain_record_) {
    position_ = limit;
    return {start, limit - begin};
  }
  const void* comma = std::memchr(start, ',', limit - begin);
  const size_t end = comma != nullptr
                         ? static_cast<size_t>(static_cast<const char*>(comma) - record_.data())
                         : limit;
  position_ = end;
  if (end < limit) ++position_;  // a comma inside the field ends it and is consumed
  const std::string_view field(start, end - begin);
  if (std::memchr(start, kCtrlZ, field.size()) != nullptr) fail(ErrorCode::kEndOfFile);
  return field;
}

bool RecordStatement::next_plain_field(ElementKind kind, std::string_view* field) {
  if (!plain_record_ || field_ == nullptr || repeats_left_ == 0 || field_->kind != kind) {
    return false;
  }
  --repeats_left_;
  const size_t begin = std::min(position_, record_.size());
  const size_t limit = std::min(record_.size(), begin + static_cast<size_t>(field_->width));
  position_ = limit;
  *field = {record_.data() + begin, limit - begin};
  return true;
}

void RecordStatement::read_integer(int64_t minimum, int64_t maximum, int64_t* value) {
  std::string_view field;
  if (!next_plain_field(ElementKind::kInteger, &field)) {
    field = take_numeric_field(field_for(ElementKind::kInteger).width);
  }
  if (auto error = parse_integer(field, minimum, maximum, value)) fail(*error);
}

void RecordStatement::transfer(int8_t* target) {
  int64_t value;
  read_integer(-127, 127, &value);
  *target = static_cast<int8_t>(value);
}

void RecordStatement::transfer(int16_t* target) {
  int64_t value;
  read_integer(-32767, 32767, &value);
  *target = static_cast<int16_t>(value);
}

void RecordStatement::transfer(int32_t* target) {
  int64_t value;
  read_integer(-std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(), &value);
  *target = static_cast<int32_t>(value);
}

void RecordStatement::transfer(float* target) {
  std::string_view field;
  if (!next_plain_field(ElementKind::kExponent, &field)) {
    field = take_numeric_field(field_for(ElementKind::kExponent).width);
  }
  float value;
  if (auto error = parse_real(field, field_->digits, &value)) fail(*error);
  *target = value;
}

void RecordStatement::transfer(std::span<char> target) {
  const size_t width = static_cast<size_t>(field_for(ElementKind::kText).width);
  // The field's characters, blanks where the record ends inside it.
  std::string field = record_.substr(std::min(position_, record_.size()), width);
  position_ += width;
  field.resize(width, ' ');
  const size_t length = target.size();
  if (width >= length) {
    std::copy(field.end() - static_cast<std::ptrdiff_t>(length), field.end(), target.begin());
  } else {
    std::copy(field.begin(), field.end(), target.begin());
    std::fill(target.begin() + static_cast<std::ptrdiff_t>(width), target.end(), ' ');
  }
}

}  // namespace pedpeel
