#include "tools/pedinfo/json_writer.h"

#include <cstdio>

namespace pedpeel::pedinfo {

std::string json_string(std::string_view bytes) {
  std::string text = "\"";
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        text += "\\\"";
        break;
      case '\\':
        text += "\\\\";
        break;
      case '\n':
        text += "\\n";
        break;
      case '\r':
        text += "\\r";
        break;
      case '\t':
        text += "\\t";
        break;
      default:
        if (byte < 0x20 || byte >= 0x7F) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04X", byte);
          text += escape;
        } else {
          text.push_back(c);
        }
    }
  }
  text.push_back('"');
  return text;
}

void JsonWriter::new_line() {
  out_ << '\n' << std::string(2 * open_.size(), ' ');
}

void JsonWriter::before_value() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (open_.empty()) return;
  Container& container = open_.back();
  if (container.compact) {
    if (container.filled) out_ << ", ";
  } else {
    if (container.filled) out_ << ',';
    new_line();
  }
  container.filled = true;
}

void JsonWriter::begin_object() {
  before_value();
  out_ << '{';
  open_.push_back({false, false});
}

void JsonWriter::end_object() {
  const Container container = open_.back();
  open_.pop_back();
  if (container.filled) new_line();
  out_ << '}';
  if (open_.empty()) out_ << '\n';
}

void JsonWriter::begin_array(bool compact) {
  before_value();
  out_ << '[';
  open_.push_back({false, compact});
}

void JsonWriter::end_array() {
  const Container container = open_.back();
  open_.pop_back();
  if (container.filled && !container.compact) new_line();
  out_ << ']';
  if (open_.empty()) out_ << '\n';
}

void JsonWriter::key(std::string_view name) {
  before_value();
  out_ << json_string(name) << ": ";
  after_key_ = true;
}

void JsonWriter::value(std::string_view text) {
  before_value();
  out_ << json_string(text);
}

void JsonWriter::value(int64_t number) {
  before_value();
  out_ << number;
}

void JsonWriter::value(bool flag) {
  before_value();
  out_ << (flag ? "true" : "false");
}

void JsonWriter::null() {
  before_value();
  out_ << "null";
}

}  // namespace pedpeel::pedinfo
