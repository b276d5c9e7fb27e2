// The text encodings of an input: pedprep reads ASCII and UTF-8. A file in UTF-16, or a
// field in an 8-bit encoding such as Latin-1, is named as such when it is refused.
#ifndef PEDPEEL_TOOLS_PEDPREP_ENCODING_H_
#define PEDPEEL_TOOLS_PEDPREP_ENCODING_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pedpeel::pedprep {

/// Why a file that starts with `bytes` cannot be read as text pedprep reads: it is UTF-16
/// (a byte order mark, or zero bytes among the first ones) or UTF-32. nullopt otherwise.
std::optional<std::string> wide_encoding(std::span<const char> bytes);

// What a field holds that ids.tsv and the run files cannot carry.
enum class TextFault { kNone, kTabOrLineBreak, kNotUtf8 };

/// Looks at a field eight bytes at a time; only a word with a byte at or below CR or above
/// 0x7F is looked at more closely.
TextFault text_fault(std::string_view text);

/// What to tell of a field that is not UTF-8.
inline constexpr char kEightBitEncoding[] =
    "is not UTF-8: the file is in an 8-bit encoding such as Latin-1 or Windows-1252; save it "
    "as UTF-8";

}  // namespace pedpeel::pedprep

#endif  // PEDPEEL_TOOLS_PEDPREP_ENCODING_H_
