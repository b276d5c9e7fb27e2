// Whole files: the bytes written come back alike across the read block's size, and every
// failure comes back with the system's reason, never as an empty file.
#include "records/whole_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/temp_run.h"

namespace pedpeel {
namespace {

TEST(WholeFileTest, WrittenBytesReadBack) {
  testing::TempDir dir;
  for (const size_t size : {size_t{0}, size_t{1}, size_t{65536}, size_t{65537}, size_t{200000}}) {
    std::string bytes(size, '\0');
    for (size_t k = 0; k < size; ++k) bytes[k] = static_cast<char>(k * 7 + k / 251);
    const std::string path = dir.path() + "/f";
    ASSERT_FALSE(write_whole_file(path, bytes)) << size;
    std::string as_string = "left over";
    EXPECT_FALSE(read_whole_file(path, &as_string)) << size;
    EXPECT_EQ(as_string, bytes) << size;
    std::vector<char> as_vector(3, 'x');
    EXPECT_FALSE(read_whole_file(path, &as_vector)) << size;
    EXPECT_EQ(std::string(as_vector.begin(), as_vector.end()), bytes) << size;
  }
}

TEST(WholeFileTest, FailuresSayWhy) {
  testing::TempDir dir;
  const std::string missing = dir.path() + "/none";
  const struct {
    std::string path;
    bool write;
    std::string said;
  } cases[] = {
      {missing, false, missing + ": No such file or directory"},
      {dir.path(), false, dir.path() + ": Is a directory"},
      {missing + "/f", true, missing + "/f: No such file or directory"},
      {"/dev/full", true, "/dev/full: No space left on device"},
  };
  for (const auto& c : cases) {
    std::string bytes = "old";
    const std::error_code error =
        c.write ? write_whole_file(c.path, "some bytes") : read_whole_file(c.path, &bytes);
    EXPECT_EQ(describe_file_error(c.path, error), c.said);
    if (!c.write) {
      EXPECT_EQ(bytes, "");
    }
  }
  EXPECT_EQ(describe_file_error("x", {}), "");
}

}  // namespace
}  // namespace pedpeel
