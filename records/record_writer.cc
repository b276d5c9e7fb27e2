#include "records/record_writer.h"

#include <algorithm>

#include "records/field_output.h"
#include "records/short_copy.h"

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

void RecordWriter::begin(const Pattern& pattern) {
  elements_ = pattern.elements.data();
  element_count_ = pattern.elements.size();
  length_ = 0;
  if (pattern.lead < 0) {
    next_element_ = 0;
    field_ = nullptr;
    repeats_left_ = 0;
    return;
  }
  write_lead(pattern);
  next_element_ = static_cast<size_t>(pattern.lead) + 1;
}

void RecordWriter::fail(ErrorCode code) {
  length_ = 0;
  throw RunError{code, StatementKind::kWrite, std::string(file_)};
}

void RecordWriter::write_literal(std::string_view text) {
  copy_short(record_.data() + length_, text.data(), text.size());
  length_ += text.size();
}

void RecordWriter::end_record() {
  record_[length_] = '\r';
  record_[length_ + 1] = '\n';
  out_->append(record_.data(), length_ + 2);
  length_ = 0;
}

const Element& RecordWriter::walk_to_field(ElementKind kind) {
  if (field_ != nullptr && repeats_left_ > 0) {
    --repeats_left_;
  } else {
    walk();
  }
  if (field_->kind != kind) fail(field_kind_error(kind));
  return *field_;
}

void RecordWriter::walk() {
  // Every pattern holds a data field, so the walk meets one within two rounds.
  for (;;) {
    if (next_element_ == element_count_) {
      end_record();
      next_element_ = 0;
      continue;
    }
    const Element& element = elements_[next_element_++];
    if (element.kind == ElementKind::kLiteral) {
      write_literal(element.literal);
    } else if (element.kind == ElementKind::kBreak) {
      end_record();
    } else {
      field_ = &element;
      repeats_left_ = element.repeat - 1;
      return;
    }
  }
}

void RecordWriter::put(float value) {
  field(ElementKind::kExponent);
  render(value);
}

void RecordWriter::render(float value) {
  char* text = record_.data() + length_;
  if (exponents_ != nullptr && exponents_->renders(field_->width, field_->digits)) {
    exponents_->format(text, value);
  } else {
    format_exponent(text, value, field_->width, field_->digits);
  }
  length_ += static_cast<size_t>(field_->width);
}

void RecordWriter::render(std::span<const float> values) {
  if (exponents_ == nullptr || !exponents_->renders(field_->width, field_->digits)) {
    for (float value : values) render(value);
    return;
  }
  const size_t width = static_cast<size_t>(field_->width);
  for (float value : values) {
    exponents_->format(record_.data() + length_, value);
    length_ += width;
  }
}

void RecordWriter::put(std::span<const float> values) {
  size_t done = 0;
  while (done < values.size()) {
    put(values[done++]);
    // The repeats left of the field just written, in one loop.
    const size_t run = std::min(values.size() - done, static_cast<size_t>(repeats_left_));
    render(values.subspan(done, run));
    repeats_left_ -= static_cast<int>(run);
    done += run;
  }
}

void RecordWriter::put(std::string_view text) {
  field(ElementKind::kText);
  render(text);
}

void RecordWriter::render(std::string_view text) {
  const size_t width = static_cast<size_t>(field_->width);
  char* place = record_.data() + length_;
  if (text.size() < width) {
    // Blanks on the left of a shorter item.
    place = std::fill_n(place, width - text.size(), ' ');
    copy_short(place, text.data(), text.size());
  } else {
    copy_short(place, text.data(), width);
  }
  length_ += width;
}

void RecordWriter::end() {
  if (field_ == nullptr || repeats_left_ == 0) {
    while (next_element_ < element_count_) {
      const Element& element = elements_[next_element_];
      if (element.kind == ElementKind::kLiteral) {
        write_literal(element.literal);
      } else if (element.kind == ElementKind::kBreak) {
        end_record();
      } else {
        break;
      }
      ++next_element_;
    }
  }
  end_record();
}

}  // namespace pedpeel
