#include "records/short_copy.h"

#include <gtest/gtest.h>

#include <string>

namespace pedpeel {
namespace {

// Every count up to past the longest short copy: the bytes copied, and none beside them.
TEST(ShortCopyTest, CopiesExactlyTheBytesAskedFor) {
  const std::string source = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (size_t count = 0; count <= 24; ++count) {
    std::string target(40, '.');
    copy_short(target.data() + 3, source.data() + 1, count);
    EXPECT_EQ(target,
              std::string(3, '.') + source.substr(1, count) + std::string(40 - 3 - count, '.'))
        << count;
  }
}

TEST(ShortCopyTest, FillsExactlyTheBlanksAskedFor) {
  for (size_t count = 0; count <= 24; ++count) {
    std::string target(40, '.');
    fill_blanks(target.data() + 3, count);
    EXPECT_EQ(target,
              std::string(3, '.') + std::string(count, ' ') + std::string(40 - 3 - count, '.'))
        << count;
  }
}

}  // namespace
}  // namespace pedpeel
