#include "tools/pedprep/encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "tools/pedinfo/output_text.h"

namespace pedpeel::pedprep {
namespace {

// A fault is found wherever it lies: in a whole word, in the last bytes of a field, or on
// the boundary between them (fields of 7, 8, 9 and 15 bytes).
TEST(TextFault, FoundInWordsAndInTheLastBytes) {
  const struct {
    std::string text;
    TextFault fault;
  } cases[] = {
      {"", TextFault::kNone},
      {"M", TextFault::kNone},
      {"Brown Swiss", TextFault::kNone},
      {"DE000000001", TextFault::kNone},
      {"M\xC3\xBCller", TextFault::kNone},               // UTF-8 in the last bytes
      {"Fleckvieh-M\xC3\xBC", TextFault::kNone},         // across the boundary
      {"a\tb", TextFault::kTabOrLineBreak},              // in the last bytes
      {"1234567\r", TextFault::kTabOrLineBreak},         // last byte of a word
      {"12345678\n", TextFault::kTabOrLineBreak},        // first byte after a word
      {"12345678901234\t", TextFault::kTabOrLineBreak},  // last of fifteen
      {"M\xFCller", TextFault::kNotUtf8},                // Latin-1, in the last bytes
      {"Holstein\xE9", TextFault::kNotUtf8},             // after a word
      {"Holstei\xC3", TextFault::kNotUtf8},              // cut off at a word's end
      {std::string("ab\0cd", 5), TextFault::kNone},      // a control byte other than these
  };
  for (const auto& c : cases) EXPECT_EQ(text_fault(c.text), c.fault) << pedinfo::printable(c.text);
}

}  // namespace
}  // namespace pedpeel::pedprep
