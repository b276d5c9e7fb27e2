#include "records/field_output.h"

#include <charconv>
#include <cmath>

namespace pedpeel {

namespace {

void append_right_justified(std::string& out, const char* text, int length, int width) {
  if (length > width) {
    out.append(width, '*');
    return;
  }
  out.append(width - length, ' ');
  out.append(text, length);
}

}  // namespace

void append_integer(std::string& out, int64_t value, int width) {
  char text[24];
  auto result = std::to_chars(text, text + sizeof text, value);
  append_right_justified(out, text, static_cast<int>(result.ptr - text), width);
}

void append_exponent(std::string& out, float value, int width, int digits) {
  if (!std::isfinite(value)) {
    out.append(width, '*');
    return;
  }
  char text[64];
  int length = 0;
  if (value == 0.0f) {
    text[length++] = '.';
    for (int i = 0; i < digits; ++i) text[length++] = '0';
    text[length++] = 'E';
    text[length++] = '+';
    text[length++] = '0';
    text[length++] = '0';
    append_right_justified(out, text, length, width);
    return;
  }
  // d.dddddddddddddddde±x: 17 significant digits, correctly rounded.
  char expansion[40];
  const double magnitude = std::fabs(static_cast<double>(value));
  auto end = std::to_chars(expansion, expansion + sizeof expansion, magnitude,
                           std::chars_format::scientific, 16)
                 .ptr;
  char significant[17];
  significant[0] = expansion[0];
  for (int i = 1; i < 17; ++i) significant[i] = expansion[i + 1];
  const char* exponent_text = expansion + 19;  // after "d.16digits" and 'e'
  int exponent = 0;
  std::from_chars(exponent_text + (*exponent_text == '+' ? 1 : 0), end, exponent);
  exponent += 1;  // value = 0.d1d2... x 10^exponent

  const int kept = digits < 17 ? digits : 17;
  char mantissa[17];
  for (int i = 0; i < kept; ++i) mantissa[i] = significant[i];
  if (kept < 17 && significant[kept] >= '5') {
    int i = kept - 1;
    while (i >= 0 && mantissa[i] == '9') mantissa[i--] = '0';
    if (i >= 0) {
      ++mantissa[i];
    } else {
      mantissa[0] = '1';
      exponent += 1;
    }
  }
  if (value < 0) text[length++] = '-';
  text[length++] = '.';
  for (int i = 0; i < kept; ++i) text[length++] = mantissa[i];
  for (int i = kept; i < digits; ++i) text[length++] = '0';
  text[length++] = 'E';
  text[length++] = exponent < 0 ? '-' : '+';
  const int absolute = exponent < 0 ? -exponent : exponent;
  if (absolute < 10) text[length++] = '0';
  length = static_cast<int>(std::to_chars(text + length, text + sizeof text, absolute).ptr - text);
  append_right_justified(out, text, length, width);
}

void append_text(std::string& out, std::string_view text, int width) {
  const int length = static_cast<int>(text.size());
  if (width > length) {
    out.append(width - length, ' ');
    out.append(text);
  } else {
    out.append(text.substr(0, width));
  }
}

}  // namespace pedpeel
