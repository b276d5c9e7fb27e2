#include "records/record_writer.h"

#include <algorithm>
#include <stdexcept>

#include "records/exponent_field_cache.h"
#include "records/field_output.h"

namespace pedpeel {

ErrorCode field_kind_error(ElementKind kind) {
  switch (kind) {
    case ElementKind::kInteger:
      return ErrorCode::kIntegerFieldExpected;
    case ElementKind::kExponent:
      return ErrorCode::kRealFieldExpected;
    default:
      return ErrorCode::kTextFieldExpected;
  }
}

void RecordWriter::fail_too_long() {
  throw std::length_error("a record pattern longer than the writer's record");
}

void RecordWriter::fail(ErrorCode code) {
  length_ = 0;
  throw RunError{code, StatementKind::kWrite, std::string(file_)};
}

void RecordWriter::write_literal(std::string_view text) {
  copy_short(record_.data() + length_, text.data(), text.size());
  length_ += text.size();
}

void RecordWriter::pass(const Element& element) {
  if (element.kind == ElementKind::kLiteral) {
    write_literal(element.literal);
  } else {
    end_record();
  }
}

const Element& RecordWriter::walk_to_field(ElementKind kind) {
  const Element& field = cursor_.next_field([this](const Element& element) { pass(element); });
  if (field.kind != kind) fail(field_kind_error(kind));
  return field;
}

void RecordWriter::put(float value) {
  const Element& field = this->field(ElementKind::kExponent);
  char* text = record_.data() + length_;
  if (exponents_ != nullptr && exponents_->renders(field.width, field.digits)) {
    exponents_->format(text, value);
  } else {
    format_exponent(text, value, field.width, field.digits);
  }
  length_ += static_cast<size_t>(field.width);
}

template <typename Value, typename WriteRun>
void RecordWriter::put_each(std::span<const Value> values, ElementKind kind, WriteRun&& write_run) {
  size_t written = 0;
  while (written < values.size()) {
    // The next field, then its further repeats that the values reach, in one step.
    const Element& field = this->field(kind);
    const size_t run =
        std::min(values.size() - written, 1 + static_cast<size_t>(cursor_.repeats_left()));
    cursor_.take_repeats(static_cast<int>(run - 1));
    write_run(field, values.subspan(written, run));
    written += run;
  }
}

void RecordWriter::put(std::span<const int32_t> values) {
  put_each(values, ElementKind::kInteger,
           [this](const Element& field, std::span<const int32_t> part) {
             for (int32_t value : part) {
               format_integer(record_.data() + length_, value, field.width);
               length_ += static_cast<size_t>(field.width);
             }
           });
}

void RecordWriter::put(std::span<const float> values) {
  put_each(values, ElementKind::kExponent,
           [this](const Element& field, std::span<const float> part) {
             const auto width = static_cast<size_t>(field.width);
             if (exponents_ != nullptr && exponents_->renders(field.width, field.digits)) {
               for (float value : part) {
                 exponents_->format(record_.data() + length_, value);
                 length_ += width;
               }
             } else {
               for (float value : part) {
                 format_exponent(record_.data() + length_, value, field.width, field.digits);
                 length_ += width;
               }
             }
           });
}

}  // namespace pedpeel
