// The UTF-8 byte order mark an editor may put at the start of a text file. pedpeel reads it
// as the first bytes of the first field; the tools skip it (pedprep) or name it as the
// cause of a field that does not convert (pedinfo check).
#ifndef PEDPEEL_RECORDS_BYTE_ORDER_MARK_H_
#define PEDPEEL_RECORDS_BYTE_ORDER_MARK_H_

#include <cstddef>
#include <string_view>

namespace pedpeel {

inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

/// How many bytes at the start of `text` are a byte order mark: 3 or 0.
inline size_t byte_order_mark_length(std::string_view text) {
  return text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
}

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_BYTE_ORDER_MARK_H_
