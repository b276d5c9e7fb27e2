#include "tools/pedinfo/output_text.h"

#include <cstdio>

namespace pedpeel::pedinfo {

std::string escaped(std::string_view bytes, std::string_view hex_prefix) {
  std::string text;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      text.push_back('\\');
      text.push_back(c);
    } else if (byte >= 0x20 && byte < 0x7F) {
      text.push_back(c);
    } else {
      char digits[3];
      std::snprintf(digits, sizeof digits, "%02X", byte);
      text += hex_prefix;
      text += digits;
    }
  }
  return text;
}

std::string printable(std::string_view bytes) {
  return escaped(bytes, "\\x");
}

std::string fixed4(double value) {
  char text[64];
  std::snprintf(text, sizeof text, value > -1e6 && value < 1e6 ? "%.4f" : "%.4E", value);
  return text;
}

}  // namespace pedpeel::pedinfo
