// How pedinfo shows bytes and numbers from the files in its lines of output.
#ifndef PEDPEEL_TOOLS_PEDINFO_OUTPUT_TEXT_H_
#define PEDPEEL_TOOLS_PEDINFO_OUTPUT_TEXT_H_

#include <string>
#include <string_view>

namespace pedpeel::pedinfo {

/// Bytes as printable ASCII: `"` and `\` escaped with a backslash, every byte outside
/// 0x20..0x7E as `hex_prefix` and two hex digits.
std::string escaped(std::string_view bytes, std::string_view hex_prefix);

/// Bytes as text for a line of output: escaped(), with other bytes as \xNN.
std::string printable(std::string_view bytes);

/// A fraction as the BLOOD file's four decimals show it; huge values in exponent form.
std::string fixed4(double value);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_OUTPUT_TEXT_H_
