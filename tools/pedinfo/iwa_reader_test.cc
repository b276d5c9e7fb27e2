#include "tools/pedinfo/iwa_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "records/binary_records.h"
#include "testing/temp_run.h"
#include "tools/pedinfo/dump.h"
#include "tools/pedinfo/test_files.h"

namespace pedpeel::pedinfo {
namespace {

using pedpeel::testing::run_in_process;
using pedpeel::testing::TempDir;
using testing::ped_record;
using testing::write_population;

// iway.IWA as pedpeel writes it for `records`.
std::string iwa_of(const std::vector<std::string>& records) {
  TempDir dir;
  write_population(dir, records);
  run_in_process(dir);
  return dir.read("iway.IWA").value_or("");
}

// Three founders in one pedigree: the 50-byte file of a run without families.
std::string three_founders() {
  return iwa_of({ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 0, 0, 3, 2, "B"),
                 ped_record(1, 3, 0, 0, 3, 1, "C")});
}

// Two pedigrees: a sib mating taken as a loop head group, and a trio.
std::vector<std::string> two_pedigrees() {
  return {ped_record(1, 1, 0, 0, 3, 1, "A"),    ped_record(1, 2, 0, 0, 126, 2, "B"),
          ped_record(1, 3, 1, 2, 3, 1, "C"),    ped_record(1, 4, 1, 2, -1, 2, "D"),
          ped_record(1, 5, 3, 4, 100, -3, "E"), ped_record(2, 7, 0, 0, 3, 1, "G"),
          ped_record(2, 8, 0, 0, 3, 2, "H"),    ped_record(2, 9, 7, 8, 3, 1, "I")};
}

std::vector<int32_t> values_of(const IwaFile& file, int record, const std::string& name) {
  for (const IwaItem& item : file.records.at(static_cast<size_t>(record) - 1).items) {
    if (item.name == name) return item.values;
  }
  return {};
}

TEST(IwaReaderTest, DecodesEveryValueOfARun) {
  const IwaFile file = read_iwa(iwa_of(two_pedigrees()));
  ASSERT_FALSE(file.damage) << file.damage->expected;
  ASSERT_EQ(file.records.size(), 7u);
  using V = std::vector<int32_t>;
  EXPECT_EQ(values_of(file, 1, "NPED"), V{2});
  EXPECT_EQ(values_of(file, 1, "KEND"), (V{0, 5, 8}));
  EXPECT_EQ(values_of(file, 2, "PEDFAM"), (V{0, 2, 3}));
  EXPECT_EQ(values_of(file, 3, "NFAMREC+2"), V{5});
  EXPECT_EQ(values_of(file, 3, "NFAMREC"), V{3});
  EXPECT_EQ(values_of(file, 3, "LSTART"), (V{0, 4, 7, 10}));
  EXPECT_EQ(values_of(file, 4, "T"), V{10});
  EXPECT_EQ(values_of(file, 4, "MEMBERS"), (V{1, 2, 3, 4, 3, 4, 5, 7, 8, 9}));
  EXPECT_EQ(values_of(file, 5, "IWAYREC"), (V{0, -1, 0}));
  EXPECT_EQ(values_of(file, 6, "RACE"), (V{5, -128, 5, 1, 0, 5, 5, 5}));
  EXPECT_EQ(values_of(file, 7, "SEX"), (V{1, 2, 1, 2, -3, 1, 2, 1}));
  EXPECT_EQ(file.trailer, file.size - 1);
}

// Framing the decoded records again gives back the file, for runs whose records need
// one, two and three segments, and for a run that ended with a loop report.
TEST(IwaReaderTest, RecordsFrameBackToTheFile) {
  std::vector<std::vector<std::string>> runs = {two_pedigrees()};
  for (int size : {128, 129, 300}) {
    std::vector<std::string> founders;
    for (int id = 1; id <= size; ++id) founders.push_back(ped_record(1, id, 0, 0, 3, 1, "F"));
    runs.push_back(founders);
  }
  runs.push_back({ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 0, 0, 3, 2, "B"),
                  ped_record(1, 3, 1, 2, 3, 1, "C"), ped_record(1, 4, 1, 2, 3, 2, "D"),
                  ped_record(1, 5, 0, 0, 3, 2, "E"), ped_record(1, 6, 3, 5, 3, 1, "F"),
                  ped_record(1, 7, 0, 0, 3, 1, "G"), ped_record(1, 8, 7, 4, 3, 2, "H"),
                  ped_record(1, 9, 6, 8, 3, 1, "I")});
  for (const auto& records : runs) {
    const std::string bytes = iwa_of(records);
    const IwaFile file = read_iwa(bytes);
    ASSERT_FALSE(file.damage) << records.size() << " rows: " << file.damage->expected;
    std::string framed(1, static_cast<char>(kBinaryHeader));
    for (const IwaRecord& record : file.records) framed += frame_record(record.data);
    framed.push_back(static_cast<char>(kBinaryTrailer));
    EXPECT_EQ(framed, bytes) << records.size() << " rows";
  }
  const IwaFile large = read_iwa(iwa_of(runs[3]));
  EXPECT_EQ(large.records[5].segments.size(), 3u);  // 300 RACE bytes: 128, 128, 44
}

TEST(IwaReaderTest, DumpText) {
  const std::string bytes = three_founders();
  ASSERT_EQ(bytes.size(), 50u);
  std::ostringstream out;
  write_dump_text("iway.IWA", read_iwa(bytes), out);
  EXPECT_EQ(out.str(),
            "iway.IWA: 50 bytes\n"
            "offset 0: header byte 0x4B\n"
            "record 1 at offset 1: pedigrees (NPED, KEND), 10 data bytes in 1 segment\n"
            "  NPED = 1 (I4)\n"
            "  NPED = 1 (I2)\n"
            "  KEND(0..1) = 0 3\n"
            "record 2 at offset 13: family records per pedigree (PEDFAM), 6 data bytes in 1 "
            "segment\n"
            "  NPED = 1 (I2)\n"
            "  PEDFAM(1..2) = 0 0\n"
            "record 3 at offset 21: record starts (NFAMREC, LSTART), 8 data bytes in 1 segment\n"
            "  NFAMREC+2 = 2 (I4)\n"
            "  NFAMREC = 0 (I2)\n"
            "  LSTART(1) = 0\n"
            "record 4 at offset 31: members (MEMBERS), 4 data bytes in 1 segment\n"
            "  T = 0 (I4)\n"
            "  MEMBERS: none\n"
            "record 5 at offset 37: linking individuals (IWAYREC), 0 data bytes in 1 segment\n"
            "  IWAYREC: none\n"
            "record 6 at offset 39: race codes, recoded (RACE), 3 data bytes in 1 segment\n"
            "  RACE(1..3) = 5 5 5\n"
            "record 7 at offset 44: sex codes (SEX), 3 data bytes in 1 segment\n"
            "  SEX(1..3) = 1 2 1\n"
            "offset 49: trailer byte 0x82\n");
}

struct DamageCase {
  const char* name;
  std::function<void(std::string&)> damage;
  size_t offset;
  const char* expected;
  const char* found;
};

void PrintTo(const DamageCase& test, std::ostream* out) {
  *out << test.name;
}

void set(std::string& bytes, size_t offset, int value) {
  bytes[offset] = static_cast<char>(value);
}

// Offsets in the 50-byte file: record 1 at 1 (I4 NPED at 2, I2 NPED at 6, KEND at 8),
// record 2 at 13, record 3 at 21 (I4 at 22, NFAMREC at 26, LSTART(1) at 28), record 4 at
// 31 (T at 32), record 5 at 37, record 6 at 39, record 7 at 44, trailer at 49.
const DamageCase kDamageCases[] = {
    {"Empty", [](std::string& b) { b.clear(); }, 0, "the header byte 0x4B", "the end of the file"},
    {"Header", [](std::string& b) { set(b, 0, 0x4C); }, 0, "the header byte 0x4B", "0x4C"},
    {"NoTrailer", [](std::string& b) { b.pop_back(); }, 49, "the trailer byte 0x82 after record 7",
     "the end of the file"},
    {"AfterTrailer", [](std::string& b) { b.push_back('\0'); }, 50,
     "the end of the file after the trailer byte", "1 more byte"},
    {"ClosingLength", [](std::string& b) { set(b, 12, 0x0B); }, 12,
     "the closing length byte 0x0A of the segment at offset 1", "0x0B"},
    {"TrailerTooEarly", [](std::string& b) { set(b, 37, 0x82); }, 37,
     "a length byte 0..129 opening the first segment of record 5",
     "0x82 (the trailer byte: the file holds 4 records)"},
    {"SegmentPastTheEnd", [](std::string& b) { set(b, 1, 0x81); }, 2,
     "128 data bytes and the closing length byte 0x81 of the segment at offset 1",
     "48 bytes and the end of the file"},
    {"RecordOneLength", [](std::string& b) { set(b, 2, 2); }, 1,
     "record 1 of 12 data bytes (4 + 2 x (NPED + 2) for NPED 2)", "10 data bytes"},
    {"NpedCopy", [](std::string& b) { set(b, 6, 2); }, 6, "NPED again as I2 = 1", "2"},
    {"FirstKend", [](std::string& b) { set(b, 8, 1); }, 8, "KEND(0) = 0", "1"},
    {"NfamrecCopy", [](std::string& b) { set(b, 26, 1); }, 26, "NFAMREC = 0", "1"},
    {"FirstLstart", [](std::string& b) { set(b, 28, 5); }, 28, "LSTART(1) = 0", "5"},
    {"MemberCount", [](std::string& b) { set(b, 32, 1); }, 32, "T, as LSTART(NFAMREC+1) = 0", "1"},
    {"RaceCount", [](std::string& b) { set(b, 10, 4); }, 39,
     "record 6 of 4 data bytes (KEND(NPED), the number of individuals)", "3 data bytes"},
};

class IwaDamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(IwaDamageTest, ReportsOffsetAndExpectation) {
  const DamageCase& test = GetParam();
  std::string bytes = three_founders();
  test.damage(bytes);
  const IwaFile file = read_iwa(bytes);
  ASSERT_TRUE(file.damage);
  EXPECT_EQ(file.damage->offset, test.offset);
  EXPECT_EQ(file.damage->expected, test.expected);
  EXPECT_EQ(file.damage->found, test.found);
}

INSTANTIATE_TEST_SUITE_P(Damage, IwaDamageTest, ::testing::ValuesIn(kDamageCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IwaReaderTest, DumpTextEndsWithTheDamage) {
  std::string bytes = three_founders();
  set(bytes, 12, 0x0B);
  std::ostringstream out;
  write_dump_text("iway.IWA", read_iwa(bytes), out);
  EXPECT_EQ(out.str(),
            "iway.IWA: 50 bytes\n"
            "offset 0: header byte 0x4B\n"
            "iway.IWA: offset 12: damaged: expected the closing length byte 0x0A of the segment "
            "at offset 1, found 0x0B\n");
}

// Every cut of a file with multi-segment records is damaged at or before the cut.
TEST(IwaReaderTest, EveryTruncationIsDamaged) {
  std::vector<std::string> founders;
  for (int id = 1; id <= 260; ++id) founders.push_back(ped_record(1, id, 0, 0, 3, 1, "F"));
  const std::string bytes = iwa_of(founders);
  for (size_t length = 0; length < bytes.size(); ++length) {
    const IwaFile file = read_iwa(std::string_view(bytes).substr(0, length));
    ASSERT_TRUE(file.damage) << length;
    EXPECT_LE(file.damage->offset, length);
  }
}

// Any single changed byte is either still a whole file or reported; never read past.
TEST(IwaReaderTest, EveryChangedByteIsDecodedSafely) {
  const std::string bytes = iwa_of(two_pedigrees());
  for (size_t k = 0; k < bytes.size(); ++k) {
    for (int value : {0x00, 0x7F, 0x80, 0x81, 0x82, 0xFF}) {
      std::string changed = bytes;
      set(changed, k, value);
      const IwaFile file = read_iwa(changed);
      if (file.damage) {
        EXPECT_LE(file.damage->offset, changed.size());
      }
    }
  }
}

}  // namespace
}  // namespace pedpeel::pedinfo
