#include "tools/pedprep/field_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "tools/pedprep/columns.h"
#include "tools/pedprep/findings.h"

namespace pedpeel::pedprep {

namespace {

bool is_any_of(std::string_view field, std::initializer_list<std::string_view> words) {
  for (std::string_view word : words) {
    if (equals_ignoring_case(field, word)) return true;
  }
  return false;
}

// The whole of `digits` as a number of exactly `width` digits; -1 when it is not one.
int32_t digits_value(std::string_view digits, size_t width) {
  if (digits.size() != width) return -1;
  int32_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

// A month or day of one or two digits; -1 when it is not one.
int32_t small_value(std::string_view digits) {
  return digits.size() == 1 || digits.size() == 2 ? digits_value(digits, digits.size()) : -1;
}

std::optional<BirthDate> whole_date(int32_t year, int32_t month, int32_t day) {
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  return year * 10000 + month * 100 + day;
}

// The parts of `text` between `separator`s, when there are exactly three.
bool three_parts(std::string_view text, char separator, std::string_view parts[3]) {
  const size_t first = text.find(separator);
  if (first == std::string_view::npos) return false;
  const size_t second = text.find(separator, first + 1);
  if (second == std::string_view::npos || text.find(separator, second + 1) != text.npos)
    return false;
  parts[0] = text.substr(0, first);
  parts[1] = text.substr(first + 1, second - first - 1);
  parts[2] = text.substr(second + 1);
  return true;
}

}  // namespace

std::optional<int8_t> read_sex(std::string_view field, const SexWords& extra) {
  // Most herd-books write one letter or digit.
  if (field.size() == 1 && extra.male.empty()) {
    switch (field[0]) {
      case '1':
      case 'M':
      case 'm':
        return int8_t{1};
      case '2':
      case 'F':
      case 'f':
        return int8_t{2};
      case '0':
      case '.':
      case 'U':
      case 'u':
        return int8_t{0};
      default:
        return std::nullopt;
    }
  }
  if (is_any_of(field, {"1", "m", "male", "bull", "steer"}) ||
      (!extra.male.empty() && equals_ignoring_case(field, extra.male))) {
    return int8_t{1};
  }
  if (is_any_of(field, {"2", "f", "female", "cow", "heifer"}) ||
      (!extra.female.empty() && equals_ignoring_case(field, extra.female))) {
    return int8_t{2};
  }
  if (is_any_of(field, {"", "0", "na", ".", "u", "unknown"})) return int8_t{0};
  return std::nullopt;
}

std::optional<BirthDate> read_birth_date(std::string_view field) {
  // Most herd-books write the year.
  if (const int32_t year = digits_value(field, 4); year > 0) return year * 10000;
  if (is_any_of(field, {"", "0", "na", "."})) return 0;
  // A time of day after the date.
  const size_t time = field.find_first_of(" T");
  if (time != std::string_view::npos && time >= 8) field = field.substr(0, time);
  if (const int32_t year = digits_value(field, 4); year > 0) return year * 10000;
  if (const int32_t date = digits_value(field, 8); date > 0) {
    return whole_date(date / 10000, date / 100 % 100, date % 100);
  }
  std::string_view parts[3];
  for (char separator : {'-', '/'}) {
    if (three_parts(field, separator, parts) && parts[0].size() == 4) {
      return whole_date(digits_value(parts[0], 4), small_value(parts[1]), small_value(parts[2]));
    }
  }
  if (three_parts(field, '.', parts)) {
    return whole_date(digits_value(parts[2], 4), small_value(parts[1]), small_value(parts[0]));
  }
  // 31/03/2015 or 03/31/2015: which is the day is not told, the year is.
  if (three_parts(field, '/', parts) && parts[0].size() <= 2 && parts[1].size() <= 2) {
    if (const int32_t year = digits_value(parts[2], 4); year > 0) return year * 10000;
  }
  return std::nullopt;
}

bool born_after(BirthDate parent, BirthDate child) {
  if (parent == 0 || child == 0) return false;
  if (parent % 10000 == 0 || child % 10000 == 0) return parent / 10000 > child / 10000;
  return parent > child;
}

std::string birth_date_text(BirthDate date) {
  char text[16];
  if (date % 10000 == 0) {
    std::snprintf(text, sizeof text, "%d", date / 10000);
  } else {
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
  }
  return text;
}

std::optional<std::string> read_fraction(std::string_view text, bool decimal_comma,
                                         float* fraction) {
  std::string_view digits = text;
  if (digits.starts_with('+')) digits.remove_prefix(1);
  std::string with_point;
  if (decimal_comma && digits.find(',') != std::string_view::npos) {
    with_point = digits;
    for (char& c : with_point) c = c == ',' ? '.' : c;
    digits = with_point;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::general);
  const bool number = !digits.empty() && error == std::errc() &&
                      end == digits.data() + digits.size() && std::isfinite(value);
  if (!number) return "cannot read race fraction " + quoted(text) + ": not a number";
  if (!(value >= 0.0 && value <= 1.0)) {
    return "race fraction " + std::string(text) + " is outside 0..1";
  }
  *fraction = static_cast<float>(value);
  return std::nullopt;
}

}  // namespace pedpeel::pedprep
