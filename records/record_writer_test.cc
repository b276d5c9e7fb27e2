#include "records/record_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pedpeel {
namespace {

// What the readers keep and the writer holds, derived from the pattern table.
static_assert(record_columns(PAT_NAME20) == 20);
static_assert(record_columns(PAT_PEDREC) == 42);  // six I5 fields and a 12-column INI_ID
static_assert(record_columns(PAT_BLOODREC) == 120);
static_assert(record_columns(PAT_LOOP) == 3);
static_assert(record_length(PAT_HEADER) == 45);
static_assert(record_length(PAT_LOOP) == 44);  // the longer of its two records
static_assert(kLongestRecord == 6 + 100 * 14);  // "INI_ID" and 100 A14 fields
static_assert(PAT_IDS.lead == 0 && PAT_HEADER.lead == 1 && PAT_LOOP.lead == 1);
static_assert(leading_literals(std::span<const Element>(pattern_data::kLoop).subspan(2)) == -1);

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

// An array of reals writes what its elements write one at a time, with a cache of exponent
// fields or without, whatever the count against the field's repeats.
TEST(RecordWriterTest, ArraysWriteAsSingleReals) {
  const std::vector<float> values = {0.5f, 0.0f, -0.25f, 1e-12f, 3e38f, 0.5f, 1.0f / 3.0f,
                                     -0.0f, 7.0f, 0.125f, 0.5f, 2e-7f, 1e6f};
  ExponentFieldCache cache(12, 4);
  for (const Pattern* pattern : {&PAT_BLOOD, &PAT_BLOODREC}) {
    for (size_t count : {0u, 1u, 9u, 10u, 11u, 13u}) {
      const std::span<const float> items(values.data(), count);
      std::string one_by_one, as_array;
      RecordWriter single(&one_by_one);
      single.begin(*pattern);
      for (float value : items) single.put(value);
      single.end();
      RecordWriter array(&as_array, {}, &cache);
      array.begin(*pattern);
      array.put(items);
      array.end();
      EXPECT_EQ(as_array, one_by_one) << count;
    }
  }
}

// write_record() writes what begin(), put() of each item and end() write: the same bytes,
// or the same error with the same records left, on its quick road and off it.
template <typename... Items>
void expect_whole_record_as_items(const Pattern& pattern, Items... items) {
  const auto write = [&](bool whole, std::string* out) -> int {
    ExponentFieldCache cache(12, 4);
    RecordWriter writer(out, "x.dat", &cache);
    try {
      if (whole) {
        writer.write_record(pattern, items...);
      } else {
        writer.begin(pattern);
        (writer.put(items), ...);
        writer.end();
      }
    } catch (const RunError& error) {
      return static_cast<int>(error.code);
    }
    return -1;
  };
  std::string whole = "before\r\n", by_items = whole;
  EXPECT_EQ(write(true, &whole), write(false, &by_items));
  EXPECT_EQ(whole, by_items);
}

TEST(RecordWriterTest, WholeRecordsWriteAsItemByItem) {
  const std::vector<float> values(11, 0.5f);
  const auto first = [&](size_t count) { return std::span<const float>(values.data(), count); };
  expect_whole_record_as_items(PAT_NAME12, std::string_view("ABC"));
  expect_whole_record_as_items(PAT_NAME12, std::string_view("ABCDEFGHIJKLMNO"));
  expect_whole_record_as_items(PAT_NAME12, std::string_view("A"), std::string_view("B"));
  expect_whole_record_as_items(PAT_NAME12, int32_t{5});
  expect_whole_record_as_items(PAT_COUNTS, int32_t{32767}, int32_t{-12});
  expect_whole_record_as_items(PAT_COUNTS, int32_t{1}, 0.5f);
  expect_whole_record_as_items(PAT_HEADER, int32_t{1}, int32_t{2}, int32_t{3}, int32_t{4});
  expect_whole_record_as_items(PAT_LOOP, int32_t{7});
  for (size_t count : {0u, 1u, 10u, 11u}) {
    expect_whole_record_as_items(PAT_BLOOD, first(count));
    expect_whole_record_as_items(PAT_BLOODREC, first(count));
  }
  expect_whole_record_as_items(PAT_BLOOD, 0.25f, first(9));
  expect_whole_record_as_items(PAT_BLOOD, int32_t{1});
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
