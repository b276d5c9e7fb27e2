#include "records/record_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pedpeel {
namespace {

// Aw output: blanks on the left of a shorter item, the first w characters of a longer one,
// bytes unchanged.
TEST(RecordWriterTest, TextFields) {
  struct Case {
    const Pattern& pattern;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {PAT_NAME12, "ABC", "         ABC\r\n"},
      {PAT_NAME12, "ABCDEFGHIJKLMNO", "ABCDEFGHIJKL\r\n"},
      {PAT_NAME12, "", "            \r\n"},
      {PAT_NAME12, std::string("a,b\tc\0d", 7), std::string("     a,b\tc\0d\r\n", 14)},
      {PAT_INI_ID, "A12         ", "INI_ID  A12         \r\n"},
      {PAT_NAME20, "peds.dat", "            peds.dat\r\n"},
  };
  for (const Case& c : cases) {
    std::string out;
    RecordWriter writer(&out);
    writer.begin(c.pattern);
    writer.put(c.text);
    writer.end();
    EXPECT_EQ(out, c.expected) << c.text;
  }
}

// A failed item drops the record begun and keeps the records the statement completed.
TEST(RecordWriterTest, FailedItemLeavesCompleteRecords) {
  std::string out = "before\r\n";
  RecordWriter writer(&out, "x.dat");
  writer.begin(PAT_LOOP);
  writer.put(int32_t{7});
  try {
    writer.put(0.5f);
    ADD_FAILURE() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.code, ErrorCode::kRealFieldExpected);
    EXPECT_EQ(error.file, "x.dat");
  }
  EXPECT_EQ(out,
            "before\r\n PEDIGREE   7 contains LOOP\r\n  THE CORRECTION OF INITIAL DATA IS "
            "REQUIRED\r\n");
}

}  // namespace
}  // namespace pedpeel
