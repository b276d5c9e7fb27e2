#include "tools/pedprep/encoding.h"

#include <cstdint>
#include <cstring>

namespace pedpeel::pedprep {

namespace {

bool valid_utf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    size_t more = 0;
    uint32_t code = 0;
    if (byte < 0x80) {
      ++i;
      continue;
    } else if (byte >= 0xC2 && byte <= 0xDF) {
      more = 1;
      code = byte & 0x1F;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
      more = 2;
      code = byte & 0x0F;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
      more = 3;
      code = byte & 0x07;
    } else {
      return false;
    }
    if (i + more >= text.size()) return false;  // cut off
    for (size_t k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += more + 1;
  }
  return true;
}

TextFault text_fault_bytewise(std::string_view text) {
  bool high = false;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\t' || byte == '\r' || byte == '\n') return TextFault::kTabOrLineBreak;
    high = high || byte >= 0x80;
  }
  return high && !valid_utf8(text) ? TextFault::kNotUtf8 : TextFault::kNone;
}

}  // namespace

std::optional<std::string> wide_encoding(std::span<const char> bytes) {
  auto at = [&](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 1; };
  if (at(0) == 0xFF && at(1) == 0xFE && at(2) == 0 && at(3) == 0) {
    return "the file is UTF-32 (little-endian); save it as UTF-8";
  }
  if (at(0) == 0xFF && at(1) == 0xFE) return "the file is UTF-16 (little-endian); save it as UTF-8";
  if (at(0) == 0xFE && at(1) == 0xFF) return "the file is UTF-16 (big-endian); save it as UTF-8";
  // Without a byte order mark: ASCII text in UTF-16 has a zero byte beside every character.
  const size_t look = bytes.size() < 64 ? bytes.size() : 64;
  size_t even_zeros = 0;
  size_t odd_zeros = 0;
  for (size_t i = 0; i < look; ++i) {
    if (bytes[i] != 0) continue;
    (i % 2 == 0 ? even_zeros : odd_zeros) += 1;
  }
  if (look >= 4 && even_zeros + odd_zeros >= look / 4) {
    const char* order = odd_zeros >= even_zeros ? "little-endian" : "big-endian";
    return std::string("the file is UTF-16 (") + order +
           ", without a byte order mark); save it as UTF-8";
  }
  return std::nullopt;
}

TextFault text_fault(std::string_view text) {
  constexpr uint64_t kOnes = 0x0101010101010101;
  constexpr uint64_t kHighs = 0x8080808080808080;
  constexpr uint64_t kAboveCr = kOnes * ('\r' + 1);
  // A byte of x below n (n <= 128) sets its high bit in (x - n * 0x01..) & ~x & 0x80..
  // when no lower byte is below n, so no such word is missed; a byte above 0x7F sets it in x.
  const auto suspect = [&](uint64_t word) {
    return ((((word - kAboveCr) & ~word) | word) & kHighs) != 0;
  };
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    if (suspect(word)) return text_fault_bytewise(text);
  }
  // The last bytes: in a field of eight bytes or more, the word that ends it (its first
  // bytes were looked at already); in a shorter one, the field blank-padded to a word.
  uint64_t tail = kOnes * ' ';
  if (i < text.size() && i > 0) {
    std::memcpy(&tail, text.data() + text.size() - 8, sizeof tail);
  } else if (i < text.size()) {
    std::memcpy(&tail, text.data(), text.size());
  }
  return suspect(tail) ? text_fault_bytewise(text) : TextFault::kNone;
}

}  // namespace pedpeel::pedprep
