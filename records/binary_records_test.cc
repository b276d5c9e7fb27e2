#include "records/binary_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/population_builder.h"

namespace pedpeel {
namespace {

using testing::first_difference;
using testing::ScratchIo;

// n data bytes 0, 1, 2, ... (mod 256).
std::string data_of(size_t n) {
  std::string data;
  for (size_t i = 0; i < n; ++i) data.push_back(static_cast<char>(i & 0xFF));
  return data;
}

// A segment: its length byte, the chunk, the length byte again.
std::string segment(uint8_t length, const std::string& chunk) {
  const char l = static_cast<char>(length);
  return l + chunk + l;
}

struct FramingCase {
  size_t n;
  std::string framed;
};

void PrintTo(const FramingCase& c, std::ostream* os) {
  *os << c.n << " bytes";
}

class FrameRecordTest : public ::testing::TestWithParam<FramingCase> {};

TEST_P(FrameRecordTest, CutsIntoSegmentsOfAtMost128Bytes) {
  const FramingCase& c = GetParam();
  const std::string framed = frame_record(data_of(c.n));
  EXPECT_EQ(framed, c.framed) << first_difference(c.framed, framed);
}

const std::string kData = data_of(300);

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameRecordTest,
    ::testing::Values(
        FramingCase{0, std::string("\x00\x00", 2)}, FramingCase{1, segment(1, kData.substr(0, 1))},
        FramingCase{10, segment(10, kData.substr(0, 10))},
        // 128 is one segment: its length byte is 128, not the continuation mark 129.
        FramingCase{128, segment(128, kData.substr(0, 128))},
        FramingCase{129, segment(129, kData.substr(0, 128)) + segment(1, kData.substr(128, 1))},
        FramingCase{256, segment(129, kData.substr(0, 128)) + segment(128, kData.substr(128, 128))},
        FramingCase{300, segment(129, kData.substr(0, 128)) + segment(129, kData.substr(128, 128)) +
                             segment(44, kData.substr(256, 44))}),
    [](const auto& info) { return "Bytes" + std::to_string(info.param.n); });

TEST(BinaryRecordTest, IntegersAreLittleEndianTwosComplement) {
  BinaryRecord record;
  record.add_i4(-2);
  record.add_i4(0x01020304);
  const std::vector<int16_t> twos = {1, -1, 0x1234, -32767};
  record.add_i2(twos);
  const std::vector<int8_t> ones = {-128, 127, -1};
  record.add_i1(ones);
  record.add_i2({});
  EXPECT_EQ(record.data(), std::string("\xFE\xFF\xFF\xFF"
                                       "\x04\x03\x02\x01"
                                       "\x01\x00\xFF\xFF\x34\x12\x01\x80"
                                       "\x80\x7F\xFF",
                                       19));
}

// Header byte before the first record only; trailer byte at close.
TEST(BinaryRecordFileTest, HeaderRecordsAndTrailer) {
  ScratchIo scratch;
  Units& units = scratch.io().units;
  units.open(11, "file.bin", Form::kBinary, OpenIntent::kOutput);
  write_binary_record(units, 11, "ab");
  write_binary_record(units, 11, "");
  write_binary_record(units, 11, data_of(129));
  units.close(11);
  const std::string expected = "\x4B" + segment(2, "ab") + segment(0, "") +
                               segment(129, data_of(128)) + segment(1, data_of(129).substr(128)) +
                               "\x82";
  EXPECT_EQ(scratch.file("file.bin"), expected);
}

TEST(BinaryRecordFileTest, CreatedAndClosedWithoutRecordsIsHeaderAndTrailer) {
  ScratchIo scratch;
  scratch.io().units.open(11, "file.bin", Form::kBinary, OpenIntent::kOutput);
  scratch.io().units.close(11);
  EXPECT_EQ(scratch.file("file.bin"), "\x4B\x82");
}

}  // namespace
}  // namespace pedpeel
