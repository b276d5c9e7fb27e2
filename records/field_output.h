// Renders one numeric output field of a record into field[0 .. width): the one writer of
// each kind. A number that does not fit its field becomes a row of asterisks.
#ifndef PEDPEEL_RECORDS_FIELD_OUTPUT_H_
#define PEDPEEL_RECORDS_FIELD_OUTPUT_H_

#include <cstdint>

namespace pedpeel {

// Iw: decimal digits, "-" for negatives, right-justified in `width` columns.
void format_integer(char* field, int64_t value, int width);

// Ew.d: [-].ddddE+xx right-justified in `width` columns. The value's 17-significant-digit
// expansion (correctly rounded) is rounded half up to `digits` digits. Zero of either sign
// is .0000E+00; a value that is not finite becomes asterisks.
void format_exponent(char* field, float value, int width, int digits);

/// The digits of `value` with "-" when negative, as many as it takes (at most 20), at
/// `out`, for text that is not a record (ids.tsv); returns the end of what it wrote.
char* put_decimal(char* out, int64_t value);

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_FIELD_OUTPUT_H_
