// Copies and blank fills of a few bytes, as a record's fields and literals need them: 4 to
// 16 bytes move in two overlapping fixed-size moves, which the compiler turns into plain
// loads and stores, instead of a call to memcpy or memset.
#ifndef PEDPEEL_RECORDS_SHORT_COPY_H_
#define PEDPEEL_RECORDS_SHORT_COPY_H_

#include <cstddef>
#include <cstring>

namespace pedpeel {

/// Copies `count` bytes from `from` to `to`; the ranges must not overlap.
inline void copy_short(char* to, const char* from, size_t count) {
  if (count >= 8 && count <= 16) {
    std::memcpy(to, from, 8);
    std::memcpy(to + count - 8, from + count - 8, 8);
  } else if (count >= 4 && count < 8) {
    std::memcpy(to, from, 4);
    std::memcpy(to + count - 4, from + count - 4, 4);
  } else {
    std::memcpy(to, from, count);
  }
}

/// Writes `count` blanks at `to`: up to 16 of them with no call.
inline void fill_blanks(char* to, size_t count) {
  if (count >= 8 && count <= 16) {
    std::memset(to, ' ', 8);
    std::memset(to + count - 8, ' ', 8);
  } else if (count >= 4 && count < 8) {
    std::memset(to, ' ', 4);
    std::memset(to + count - 4, ' ', 4);
  } else if (count > 0 && count < 4) {  // the first, middle and last: all of 1 to 3
    to[0] = ' ';
    to[count / 2] = ' ';
    to[count - 1] = ' ';
  } else if (count > 16) {
    std::memset(to, ' ', count);
  }
}

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_SHORT_COPY_H_
