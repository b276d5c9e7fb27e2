// Reads the value of one numeric input field (Iw or Ew.d) from the characters the field
// took from its record. Blanks and tabs anywhere in the field are ignored; an empty field
// is zero. The caller has already cut the field at the line end or a comma.
#ifndef PEDPEEL_RECORDS_FIELD_INPUT_H_
#define PEDPEEL_RECORDS_FIELD_INPUT_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "records/plain_fields.h"
#include "records/run_error.h"

namespace pedpeel {

// Iw input into a target that holds minimum..maximum. Accepts [sign]digits and the radix
// form [sign][base]#digits (base 2 to 36, 16 when omitted). On failure returns the error
// (E6302, E6303, E6101 or E6100, checked in that order) and leaves *value unchanged.
std::optional<ErrorCode> parse_integer(std::string_view field, int64_t minimum, int64_t maximum,
                                       int64_t* value);

// Ew.d input into a 32-bit real. Without a decimal point the last `digits` digits of the
// mantissa are the fraction. The decimal value is rounded once to the nearest 32-bit real;
// a magnitude above the largest finite one is E6104, any malformed field E6103.
std::optional<ErrorCode> parse_real(std::string_view field, int digits, float* value);

// The general conversions behind parse_integer and parse_real, which take a quicker road
// for plain fields (blanks, a sign, digits, a point, an exponent of small size) and give
// the same results.
std::optional<ErrorCode> parse_integer_general(std::string_view field, int64_t minimum,
                                               int64_t maximum, int64_t* value);
std::optional<ErrorCode> parse_real_general(std::string_view field, int digits, float* value);

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_FIELD_INPUT_H_
