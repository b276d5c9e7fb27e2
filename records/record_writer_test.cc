#include "records/record_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "records/exponent_field_cache.h"

namespace pedpeel {
namespace {

// What the readers keep and the writer holds, derived from the pattern table.
static_assert(record_columns(PAT_NAME20) == 20);
static_assert(record_columns(PAT_PEDREC) == 42);  // six I5 fields and a 12-column INI_ID
static_assert(record_columns(PAT_BLOODREC) == 120);
static_assert(record_columns(PAT_LOOP) == 3);
static_assert(record_length(PAT_HEADER) == 45);
static_assert(record_length(PAT_LOOP) == 44);   // the longer of its two records
static_assert(kLongestRecord == 6 + 100 * 14);  // "INI_ID" and 100 A14 fields
static_assert(PAT_IDS.lead == 0 && PAT_HEADER.lead == 1 && PAT_LOOP.lead == 1);
static_assert(leading_literals(std::span<const Element>(pattern_data::kLoop).subspan(2)) == -1);

// A pattern outside the system's table is written whole when its records fit the writer,
// and refused before anything is written when they do not.
TEST(RecordWriterTest, PatternOutsideTheTable) {
  constexpr Element kFits[] = {literal("W"), text_field(1, kLongestRecord - 1)};
  constexpr Element kTooLong[] = {literal("W"), text_field(1, kLongestRecord)};
  const std::string item(kLongestRecord - 1, 'x');
  std::string out;
  RecordWriter writer(&out);
  writer.begin(Pattern{kFits});
  writer.put(item);
  writer.end();
  EXPECT_EQ(out, "W" + item + "\r\n");
  EXPECT_THROW(writer.begin(Pattern{kTooLong}), std::length_error);
  EXPECT_EQ(out, "W" + item + "\r\n");
}

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

// An array of reals is written as its elements one by one are: across the repeats of a
// field, the pattern's end and the literal it starts again with, through a unit's cache
// of the field or without one, and with an item before it.
TEST(RecordWriterTest, ArrayOfRealsAsItsElements) {
  constexpr Element kAfterInteger[] = {integer_field(1, 3), exponent_field(4, 12, 4)};
  constexpr Element kTwoFields[] = {exponent_field(3, 12, 4), literal("|"),
                                    exponent_field(2, 10, 3)};
  struct Case {
    Pattern pattern;
    bool integer_first;
    size_t count;
  };
  const Case cases[] = {
      {PAT_BLOOD, false, 0},
      {PAT_BLOOD, false, 3},
      {PAT_BLOOD, false, 10},
      {PAT_BLOOD, false, 23},
      {PAT_BLOODREC, false, 11},
      {Pattern{kAfterInteger}, true, 4},
      {Pattern{kTwoFields}, false, 12},
  };
  std::vector<float> values;
  for (int i = 0; i < 23; ++i) values.push_back(i % 5 == 0 ? 0.0f : 1.0f / static_cast<float>(i));
  for (const Case& c : cases) {
    for (const bool cached : {false, true}) {
      ExponentFieldCache cache(12, 4);
      const auto write = [&](bool whole) {
        std::string out;
        RecordWriter writer(&out, {}, cached ? &cache : nullptr);
        writer.begin(c.pattern);
        if (c.integer_first) writer.put(int32_t{7});
        const std::span<const float> items(values.data(), c.count);
        if (whole) {
          writer.put(items);
        } else {
          for (float value : items) writer.put(value);
        }
        writer.end();
        return out;
      };
      EXPECT_EQ(write(true), write(false)) << c.count << (cached ? " cached" : "");
    }
  }
}

// An array of integers is written as its elements one by one are: across the repeats of a
// field, the pattern's end, fields of other widths, and with a text item after it.
TEST(RecordWriterTest, ArrayOfIntegersAsItsElements) {
  constexpr Element kTwoWidths[] = {integer_field(2, 3), literal("|"), integer_field(3, 6)};
  struct Case {
    Pattern pattern;
    size_t count;
    bool text_after;
  };
  const Case cases[] = {
      {PAT_PEDREC, 6, true},   {PAT_COUNTS, 0, false}, {PAT_COUNTS, 3, false},
      {PAT_COUNTS, 12, false}, {PAT_IDS, 101, false},  {Pattern{kTwoWidths}, 7, false},
  };
  std::vector<int32_t> values;
  for (int32_t i = 0; i < 101; ++i) values.push_back(i % 7 == 3 ? -i : i * i * 37);
  for (const Case& c : cases) {
    const auto write = [&](bool whole) {
      std::string out;
      RecordWriter writer(&out);
      writer.begin(c.pattern);
      const std::span<const int32_t> items(values.data(), c.count);
      if (whole) {
        writer.put(items);
      } else {
        for (int32_t value : items) writer.put(value);
      }
      if (c.text_after) writer.put("INI_ID");
      writer.end();
      return out;
    };
    EXPECT_EQ(write(true), write(false)) << c.count;
  }
}

}  // namespace
}  // namespace pedpeel
