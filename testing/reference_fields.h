// The field conversions of records/ done the plain way: slow, and written apart from the
// system's own, so that tests, benchmarks and fuzz targets can check those against them.
#ifndef PEDPEEL_TESTING_REFERENCE_FIELDS_H_
#define PEDPEEL_TESTING_REFERENCE_FIELDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/run_error.h"

namespace pedpeel::testing {

// parse_integer: the field without its blanks, its radix marks counted, then taken apart.
std::optional<ErrorCode> reference_parse_integer(std::string_view field, int64_t minimum,
                                                 int64_t maximum, int64_t* value);

// parse_real: the field without its blanks taken apart, its value rounded by strtof.
std::optional<ErrorCode> reference_parse_real(std::string_view field, int digits, float* value);

// The Iw field of `value`, from std::to_chars.
std::string reference_integer_field(int64_t value, int width);

// The Ew.d field of `value`, from the 17 digits printf gives.
std::string reference_exponent_field(float value, int width, int digits);

}  // namespace pedpeel::testing

#endif  // PEDPEEL_TESTING_REFERENCE_FIELDS_H_
