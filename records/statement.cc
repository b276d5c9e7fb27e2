#include "records/statement.h"

#include "records/exponent_field_cache.h"
#include "records/field_input.h"

namespace pedpeel {

namespace {

// The characters that end a numeric field early: a comma, and Ctrl-Z, which ends the file.
constexpr std::string_view kCommaOrCtrlZ = ",\x1a";

}  // namespace

void RecordStatement::fail(ErrorCode code) {
  throw RunError{code, StatementKind::kRead, unit_->name};
}

void RecordStatement::start_record() {
  if (!units_.read_record(*unit_, &record_, &storage_, keep_, &text_past_))
    fail(ErrorCode::kEndOfFile);
  position_ = 0;
}

ExponentFieldCache* RecordStatement::make_exponent_fields(Unit& unit, const Pattern& pattern) {
  const Element& field = pattern.elements[static_cast<size_t>(pattern.first_exponent)];
  if (field.width > ExponentFieldCache::kMaxWidth) return nullptr;
  unit.exponent_fields = std::make_unique<ExponentFieldCache>(field.width, field.digits);
  return unit.exponent_fields.get();
}

void RecordStatement::begin_read(int unit, const Pattern& pattern) {
  unit_ = &units_.unit(unit, StatementKind::kRead);
  cursor_.start(pattern, [](const Element&) {});  // literals take no columns on input
  keep_ = pattern.columns;
  start_record();
}

void RecordStatement::end_read() {
  // Record breaks before the next data field or the end mark take their records.
  cursor_.finish([this](const Element& element) {
    if (element.kind == ElementKind::kBreak) start_record();
  });
}

void RecordStatement::transfer(float value) {
  writer_.put(value);
}

void RecordStatement::transfer(std::span<const float> values) {
  writer_.put(values);
}

std::string_view RecordStatement::take_field(ElementKind kind) {
  const Element& field = cursor_.next_field([this](const Element& element) {
    if (element.kind == ElementKind::kBreak) start_record();
  });
  if (field.kind != kind) fail(field_kind_error(kind));
  const size_t begin = position_ < record_.size() ? position_ : record_.size();
  const std::string_view columns = record_.substr(begin, static_cast<size_t>(field.width));
  position_ = begin + columns.size();
  return columns;
}

template <typename Convert>
void RecordStatement::read_numeric_field(ElementKind kind, Convert convert) {
  const std::string_view columns = take_field(kind);
  std::optional<ErrorCode> error = convert(columns);
  if (!error) return;
  // No field the conversions take holds a comma or a Ctrl-Z: they are looked for only now.
  const size_t stop = columns.find_first_of(kCommaOrCtrlZ);
  if (stop != std::string_view::npos) {
    if (columns[stop] == kCommaOrCtrlZ[1]) fail(ErrorCode::kEndOfFile);
    // A comma inside the field ends it and is consumed.
    position_ -= columns.size() - stop - 1;
    error = convert(columns.substr(0, stop));
  }
  if (error) fail(*error);
}

int64_t RecordStatement::read_integer(int64_t minimum, int64_t maximum) {
  int64_t value = 0;
  read_numeric_field(ElementKind::kInteger, [&](std::string_view field) {
    return parse_integer(field, minimum, maximum, &value);
  });
  return value;
}

void RecordStatement::transfer(int8_t* target) {
  using Range = IntegerTargetRange<int8_t>;
  *target = static_cast<int8_t>(read_integer(Range::kMin, Range::kMax));
}

void RecordStatement::transfer(int16_t* target) {
  using Range = IntegerTargetRange<int16_t>;
  *target = static_cast<int16_t>(read_integer(Range::kMin, Range::kMax));
}

void RecordStatement::transfer(int32_t* target) {
  using Range = IntegerTargetRange<int32_t>;
  *target = static_cast<int32_t>(read_integer(Range::kMin, Range::kMax));
}

void RecordStatement::transfer(float* target) {
  float value = 0.0f;
  read_numeric_field(ElementKind::kExponent, [&](std::string_view field) {
    return parse_real(field, cursor_.field()->digits, &value);
  });
  *target = value;
}

void RecordStatement::transfer(std::span<float> targets) {
  for (float& target : targets) transfer(&target);
}

void RecordStatement::transfer(std::span<char> target) {
  const std::string_view present = take_field(ElementKind::kText);
  read_text_field(present, static_cast<size_t>(cursor_.field()->width), target);
}

}  // namespace pedpeel
