// Renders one output field of a record: Iw, Ew.d and Aw, appended to a record buffer.
// A number that does not fit its field becomes a row of asterisks.
#ifndef PEDPEEL_RECORDS_FIELD_OUTPUT_H_
#define PEDPEEL_RECORDS_FIELD_OUTPUT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "records/short_copy.h"

namespace pedpeel {

// Iw: decimal digits, "-" for negatives, right-justified in `width` columns.
void append_integer(std::string& out, int64_t value, int width);

// Ew.d: [-].ddddE+xx right-justified in `width` columns. The value's 17-significant-digit
// expansion (correctly rounded) is rounded half up to `digits` digits. Zero of either sign
// is .0000E+00; a value that is not finite becomes asterisks.
void append_exponent(std::string& out, float value, int width, int digits);

// append_exponent by expanding every value to 17 digits. append_exponent takes a quicker
// road (one scaling in double precision) for values whose digits are not within rounding
// error of a tie, with the same results.
void append_exponent_by_expansion(std::string& out, float value, int width, int digits);

// The same fields rendered into field[0 .. width): exactly the characters the append
// functions above would append, without touching a string.
void format_exponent(char* field, float value, int width, int digits);
void format_any_integer(char* field, int64_t value, int width);
// format_any_integer, with the one-digit values most codes are written inline.
inline void format_integer(char* field, int64_t value, int width) {
  if (value >= 0 && value <= 9 && width >= 1) {
    fill_blanks(field, static_cast<size_t>(width - 1));
    field[width - 1] = static_cast<char>('0' + value);
    return;
  }
  format_any_integer(field, value, width);
}

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_FIELD_OUTPUT_H_
