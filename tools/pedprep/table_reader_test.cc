// The readers: CSV quoting, line ends, byte order mark, header names, missing-parent and
// sex spellings, TSV, .fam; and every field that cannot be read, with its line and column.
#include "tools/pedprep/table_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace pedpeel::pedprep {
namespace {

struct ReadResult {
  std::vector<std::string> rows;  // "line:id/sire/dam/family/sex/race" per row
  std::vector<float> fractions;
  std::string findings;
};

ReadResult read(Format format, const std::string& text, std::vector<std::string> fractions = {}) {
  InputTable table;
  table.text.assign(text.begin(), text.end());
  Report report("in");
  read_table(format, fractions, table, report);
  ReadResult result;
  for (const InputRow& row : table.rows) {
    result.rows.push_back(std::to_string(row.line) + ":" + std::string(row.id) + "/" +
                          std::string(row.sire) + "/" + std::string(row.dam) + "/" +
                          std::string(row.family) + "/" + std::to_string(row.sex) + "/" +
                          std::to_string(row.race));
  }
  result.fractions = table.fractions;
  std::ostringstream findings;
  report.write(findings);
  result.findings = findings.str();
  return result;
}

struct ReaderCase {
  std::string name;
  Format format;
  std::string text;
  std::vector<std::string> rows;
  std::string findings = "";
};

class ReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTest, ReadsRows) {
  const ReaderCase& c = GetParam();
  const ReadResult result = read(c.format, c.text);
  EXPECT_EQ(result.rows, c.rows);
  EXPECT_EQ(result.findings, c.findings);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderTest,
    ::testing::Values(
        ReaderCase{
            "Plain", Format::kCsv, "id,sire,dam\nA,,\nB,A,C\n", {"2:A////0/0", "3:B/A/C//0/0"}},
        ReaderCase{"HeaderNamesAnyCaseAndOrder",
                   Format::kCsv,
                   "Mother,X,ID,Father,SEX,Family,Race\nm,1,c,f,F,h,-3\n",
                   {"2:c/f/m/h/2/-3"}},
        ReaderCase{"CrLfAndByteOrderMark",
                   Format::kCsv,
                   "\xEF\xBB\xBFid,sire,dam\r\nA,B,C\r\nD,,\r\n",
                   {"2:A/B/C//0/0", "3:D////0/0"}},
        ReaderCase{
            "QuotedFields",
            Format::kCsv,
            "id,sire,dam,note\n\"A,1\",\"B \"\"x\"\"\",\"C\",\"two\r\nlines\"\nE,\"A,1\",,\n",
            {"2:A,1/B \"x\"/C//0/0", "4:E/A,1///0/0"}},
        ReaderCase{"BlanksAroundFieldsAndBlankLines",
                   Format::kCsv,
                   "id , sire, dam\n\n A , B ,C\n \n",
                   {"3:A/B/C//0/0"}},
        ReaderCase{"MissingParentSpellings",
                   Format::kCsv,
                   "id,sire,dam\nA,0,NA\nB,.,na\nC,,\"\"\n",
                   {"2:A////0/0", "3:B////0/0", "4:C////0/0"}},
        ReaderCase{"SexSpellings",
                   Format::kCsv,
                   "id,sire,dam,sex\na,,,1\nb,,,m\nc,,,Male\nd,,,2\ne,,,f\nf,,,FEMALE\ng,,,x\nh,,,"
                   "\ni,,,0\n",
                   {"2:a////1/0", "3:b////1/0", "4:c////1/0", "5:d////2/0", "6:e////2/0",
                    "7:f////2/0", "8:g////0/0", "9:h////0/0", "10:i////0/0"}},
        ReaderCase{"Tsv",
                   Format::kTsv,
                   "id\tsire\tdam\tpedigree\nA B\tS, 1\t0\th 1\n",
                   {"2:A B/S, 1//h 1/0/0"}},
        ReaderCase{"FamSameIidInTwoFamilies",
                   Format::kFam,
                   "F1 A 0 0 1 -9\r\nF2\tA\t0  0 2 1\n\nF1 B A 0 0 0\n",
                   {"1:A///F1/1/0", "2:A///F2/2/0", "4:B/A//F1/0/0"}},
        ReaderCase{"FamFieldCount",
                   Format::kFam,
                   "F1 A 0 0 1\nF1 B 0 0 1 1 7\nF1 C 0 0 1 1\n",
                   {"3:C///F1/1/0"},
                   "in:1: expected 6 fields (FID IID PAT MAT SEX PHENO), found 5\n"
                   "in:2: expected 6 fields (FID IID PAT MAT SEX PHENO), found 7\n"},
        ReaderCase{
            "EmptyFile", Format::kCsv, "", {}, "in:1: no header row: the file holds no line\n"},
        ReaderCase{"MissingColumns",
                   Format::kCsv,
                   "id,father\n",
                   {},
                   "in:1: no column \"dam\" (or \"mother\") in the header\n"},
        ReaderCase{
            "SemicolonSeparated",
            Format::kCsv,
            "id;sire;dam\nA;;\n",
            {},
            "in:1: no column \"id\", \"sire\" (or \"father\") or \"dam\" (or \"mother\") in the "
            "header, "
            "which is read as the one column \"id;sire;dam\": is the file comma-separated?\n"},
        ReaderCase{"ColumnNamedTwice",
                   Format::kCsv,
                   "id,sire,dam,father\n",
                   {},
                   "in:1: column 2 \"sire\" and column 4 \"father\" both name the sire\n"},
        ReaderCase{
            "FieldCount",
            Format::kCsv,
            "id,sire,dam\nA,B\nC,D,E,F\nG,,\n",
            {"4:G////0/0"},
            "in:2: row has 2 fields, the header has 3\nin:3: row has 4 fields, the header has 3\n"},
        ReaderCase{"EmptyAndMissingIds",
                   Format::kCsv,
                   "id,sire,dam\n,A,B\n0,,\nNA,,\n",
                   {},
                   "in:2: empty id in column 1 \"id\"\n"
                   "in:3: id \"0\" in column 1 \"id\" is a spelling of a missing parent and cannot "
                   "name an animal\n"
                   "in:4: id \"NA\" in column 1 \"id\" is a spelling of a missing parent and "
                   "cannot name an animal\n"},
        ReaderCase{"UnclosedQuote",
                   Format::kCsv,
                   "id,sire,dam\nA,,\nB,\"C,\nD,,\n",
                   {"2:A////0/0"},
                   "in:3: cannot read column 2 \"sire\": a quoted field is not closed before the "
                   "end of the file\n"},
        ReaderCase{
            "TextAfterQuote",
            Format::kCsv,
            "id,sire,dam\n\"A\"x,,\nB,,\n",
            {"3:B////0/0"},
            "in:2: cannot read column 1 \"id\": text after the closing quote of a quoted field\n"},
        ReaderCase{"TabInId",
                   Format::kCsv,
                   "id,sire,dam\n\"A\tB\",,\n",
                   {},
                   "in:2: \"A\tB\" in column 1 \"id\" holds a tab or a line break, which ids.tsv "
                   "cannot carry\n"},
        ReaderCase{
            "RaceCodes",
            Format::kCsv,
            "id,sire,dam,race\nA,,,127\nB,,,-127\nC,,,+5\nD,,,\nE,,,128\nF,,,1.5\n",
            {"2:A////0/127", "3:B////0/-127", "4:C////0/5", "5:D////0/0", "6:E////0/0",
             "7:F////0/0"},
            "in:6: race code 128 is outside -127..127 (column 4 \"race\")\n"
            "in:7: cannot read race code \"1.5\": not a whole number (column 4 \"race\")\n"}),
    [](const ::testing::TestParamInfo<ReaderCase>& info) { return info.param.name; });

TEST(ReaderTest, ReadsFractionsInTheOrderNamed) {
  const ReadResult result =
      read(Format::kCsv, "id,sire,dam,jer,hol\nA,,,0.25,.5\nB,,,1,0\n", {"HOL", "jer"});
  EXPECT_EQ(result.findings, "");
  EXPECT_EQ(result.fractions, (std::vector<float>{0.5f, 0.25f, 0.0f, 1.0f}));
}

TEST(ReaderTest, RefusesFractionsOutOfRangeOrNotNumbers) {
  const ReadResult result =
      read(Format::kCsv,
           "id,sire,dam,hol,jer\nA,,,1.5,0\nB,,,-0.1,0\nC,,,x,0\nD,,,,0\nE,,,nan,0\nF,,,0.7,0.6\n",
           {"hol", "jer"});
  EXPECT_EQ(result.findings,
            "in:2: race fraction 1.5 is outside 0..1 (column 4 \"hol\")\n"
            "in:3: race fraction -0.1 is outside 0..1 (column 4 \"hol\")\n"
            "in:4: cannot read race fraction \"x\": not a number (column 4 \"hol\")\n"
            "in:5: cannot read race fraction \"\": not a number (column 4 \"hol\")\n"
            "in:6: cannot read race fraction \"nan\": not a number (column 4 \"hol\")\n"
            "in:7: warning: race fractions of \"F\" sum to 1.3000, above 1\n");
}

TEST(ReaderTest, RefusesAMissingFractionColumn) {
  EXPECT_EQ(read(Format::kCsv, "id,sire,dam\n", {"hol"}).findings,
            "in:1: no column \"hol\" in the header\n");
}

TEST(ReaderTest, FormatFromTheFileName) {
  EXPECT_EQ(format_of_file("dir.x/herd.CSV"), Format::kCsv);
  EXPECT_EQ(format_of_file("herd.tsv"), Format::kTsv);
  EXPECT_EQ(format_of_file("herd.tab"), Format::kTsv);
  EXPECT_EQ(format_of_file("plink.fam"), Format::kFam);
  EXPECT_EQ(format_of_file("herd.txt"), std::nullopt);
  EXPECT_EQ(format_of_file("dir.csv/herd"), std::nullopt);
}

// Unquoted fields of every length up to past two words of eight bytes, with bytes above
// 0x7F among them, end at their delimiter or line end wherever it falls.
TEST(ReaderTest, UnquotedFieldsOfEveryLength) {
  for (const char delimiter : {',', '\t'}) {
    for (size_t length = 1; length <= 20; ++length) {
      std::string id;
      for (size_t k = 0; k < length; ++k) id += k % 3 == 2 ? '\xC3' : static_cast<char>('a' + k);
      const std::string parent = id.substr(0, length / 2) + "P";
      const std::string d(1, delimiter);
      const std::string text = "id" + d + "sire" + d + "dam\n" + id + d + parent + d + "\n" +
                               parent + d + d + "\r\n" + "x" + d + id + d + id;
      const ReadResult result = read(delimiter == ',' ? Format::kCsv : Format::kTsv, text);
      const std::vector<std::string> expected = {"2:" + id + "/" + parent + "///0/0",
                                                 "3:" + parent + "////0/0",
                                                 "4:x/" + id + "/" + id + "//0/0"};
      EXPECT_EQ(result.rows, expected) << length;
    }
  }
}

// An id is refused for a tab, CR or LF at any place in it, and only for those: the other
// bytes at or below CR, and bytes above 0x7F, are kept.
TEST(ReaderTest, TabOrLineBreakAnywhereInAnId) {
  for (size_t length = 1; length <= 20; ++length) {
    for (size_t at = 0; at < length; ++at) {
      for (const char byte : {'\t', '\r', '\n', '\x01', '\x0B', '\x0C', '\x0E', '\x80', '\xFF'}) {
        std::string id(length, 'x');
        id[at] = byte;
        const ReadResult result = read(Format::kCsv, "id,sire,dam\n\"" + id + "\",,\n");
        const bool refused = byte == '\t' || byte == '\r' || byte == '\n';
        EXPECT_EQ(result.rows.empty(), refused) << length << " " << at << " " << int{byte};
      }
    }
  }
}

// Every cut of a file reads without a crash, its findings all naming a line.
TEST(ReaderTest, EveryTruncationReads) {
  const std::string text =
      "\xEF\xBB\xBFid,sire,dam,race,hol\r\n\"A\"\"1\",B,C,3,0.5\r\nD,\"A\"\"1\",,x,2\r\n";
  for (size_t size = 0; size <= text.size(); ++size) {
    const ReadResult result = read(Format::kCsv, text.substr(0, size), {"hol"});
    std::istringstream lines(result.findings);
    for (std::string line; std::getline(lines, line);) EXPECT_TRUE(line.starts_with("in:")) << line;
  }
}

}  // namespace
}  // namespace pedpeel::pedprep
