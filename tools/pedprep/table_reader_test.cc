// The readers: CSV quoting, line ends, byte order mark, header names and separators as
// herd-books write them, missing-parent and sex spellings, birth dates, TSV, .fam; and
// every field that cannot be read, with its line and column.
#include "tools/pedprep/table_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tools/pedprep/breeds.h"

namespace pedpeel::pedprep {
namespace {

struct ReadResult {
  std::vector<std::string> rows;  // "line:id/sire/dam/family/sex/race[/born]" per row
  std::vector<float> fractions;
  std::string findings;
};

ReadOptions fractions(std::vector<std::string> columns) {
  ReadOptions options;
  options.fractions = std::move(columns);
  return options;
}

ReadResult read(Format format, const std::string& text, const ReadOptions& options = {}) {
  InputTable table;
  table.text.assign(text.begin(), text.end());
  Report report("in");
  read_table(format, options, table, report);
  code_races(table, {}, report);
  ReadResult result;
  for (size_t r = 0; r < table.rows.size(); ++r) {
    const InputRow& row = table.rows[r];
    result.rows.push_back(
        std::to_string(row.line) + ":" + std::string(table.text_of(row.id)) + "/" +
        std::string(table.text_of(row.sire)) + "/" + std::string(table.text_of(row.dam)) + "/" +
        std::string(table.text_of(row.family)) + "/" + std::to_string(row.sex) + "/" +
        std::to_string(row.race) + (table.born.empty() ? "" : "/" + std::to_string(table.born[r])));
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
  ReadOptions options = {};
};

class ReaderTest : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTest, ReadsRows) {
  const ReaderCase& c = GetParam();
  const ReadResult result = read(c.format, c.text, c.options);
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
                   "\ni,,,0\nj,,,Bull\nk,,,heifer\nl,,,steer\nm,,,COW\nn,,,x\no,,,U\n",
                   {"2:a////1/0", "3:b////1/0", "4:c////1/0", "5:d////2/0", "6:e////2/0",
                    "7:f////2/0", "8:g////0/0", "9:h////0/0", "10:i////0/0", "11:j////1/0",
                    "12:k////2/0", "13:l////1/0", "14:m////2/0", "15:n////0/0", "16:o////0/0"},
                   "in:8: warning: 2 sex values in column 4 \"sex\" are none of the sexes: \"x\" "
                   "(2); read as unknown (0); M/F, male/female, bull/cow, steer/heifer and 1/2 are "
                   "read, --sex-codes MALE,FEMALE names others\n"},
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
                   "in:1: error: expected 6 fields (FID IID PAT MAT SEX PHENO), found 5\n"
                   "in:2: error: expected 6 fields (FID IID PAT MAT SEX PHENO), found 7\n"},
        ReaderCase{"EmptyFile",
                   Format::kCsv,
                   "",
                   {},
                   "in:1: error: no header row: the file holds no line\n"},
        ReaderCase{
            "MissingColumns",
            Format::kCsv,
            "id,father\n",
            {},
            "in:1: error: no column for the dam (dam, mother or mat) in the header, which holds "
            "\"id\", \"father\"; name the column with --dam COL\n"},
        ReaderCase{
            "SemicolonsReadAsCommaSeparated",
            Format::kCsv,
            "id;sire;dam\nA;;\n",
            {},
            "in:1: error: no column for the id (id, animal, indiv, individual or iid), the sire "
            "(sire, father or pat) and the dam (dam, mother or mat) in the header, which is "
            "read as the one column \"id;sire;dam\": is the file comma-separated?\n"},
        ReaderCase{
            "ColumnNamedTwice",
            Format::kCsv,
            "id,sire,dam,father\n",
            {},
            "in:1: error: column 2 \"sire\" and column 4 \"father\" both name the sire: --sire "
            "COL picks one\n"},
        ReaderCase{"FieldCount",
                   Format::kCsv,
                   "id,sire,dam\nA,B\nC,D,E,F\nG,,\n",
                   {"4:G////0/0"},
                   "in:2: error: row has 2 fields, the header has 3\nin:3: error: row has 4 "
                   "fields, the header has 3\n"},
        ReaderCase{
            "EmptyAndMissingIds",
            Format::kCsv,
            "id,sire,dam\n,A,B\n0,,\nNA,,\n",
            {},
            "in:2: error: empty id in column 1 \"id\"\n"
            "in:3: error: id \"0\" in column 1 \"id\" is a spelling of a missing parent and cannot "
            "name an animal\n"
            "in:4: error: id \"NA\" in column 1 \"id\" is a spelling of a missing parent and "
            "cannot name an animal\n"},
        ReaderCase{
            "UnclosedQuote",
            Format::kCsv,
            "id,sire,dam\nA,,\nB,\"C,\nD,,\n",
            {"2:A////0/0"},
            "in:3: error: cannot read column 2 \"sire\": a quoted field is not closed before the "
            "end of the file\n"},
        ReaderCase{"TextAfterQuote",
                   Format::kCsv,
                   "id,sire,dam\n\"A\"x,,\nB,,\n",
                   {"3:B////0/0"},
                   "in:2: error: cannot read column 1 \"id\": text after the closing quote of a "
                   "quoted field\n"},
        ReaderCase{
            "TabInId",
            Format::kCsv,
            "id,sire,dam\n\"A\tB\",,\n",
            {},
            "in:2: error: \"A\tB\" in column 1 \"id\" holds a tab or a line break, which ids.tsv "
            "cannot carry\n"},
        ReaderCase{"RaceCodes",
                   Format::kCsv,
                   "id,sire,dam,race\nA,,,127\nB,,,-127\nC,,,+5\nD,,,\nE,,,128\nF,,,NA\n",
                   {"2:A////0/127", "3:B////0/-127", "4:C////0/5", "5:D////0/0", "6:E////0/0",
                    "7:F////0/0"},
                   "in:6: error: race code 128 is outside -127..127 (column 4 \"race\")\n"},
        ReaderCase{"RepeatedHeaderSkipped",
                   Format::kCsv,
                   "id,sire,dam\nA,,\nid,sire,dam\nB,A,\n",
                   {"2:A////0/0", "4:B/A///0/0"},
                   "in:3: warning: the header line again: skipped, as are all lines that repeat "
                   "it\n"},
        ReaderCase{"NotUtf8",
                   Format::kCsv,
                   "id,sire,dam\nM\xFCller,,\nA,M\xFCller,\n",
                   {},
                   "in:2: error: \"M\\xFCller\" in column 1 \"id\" is not UTF-8: the file is in an "
                   "8-bit encoding such as Latin-1 or Windows-1252; save it as UTF-8 (2 such "
                   "fields)\n"},
        ReaderCase{"Utf16",
                   Format::kTable,
                   std::string("\xFF\xFEi\0d\0", 6),
                   {},
                   "in:1: error: the file is UTF-16 (little-endian); save it as UTF-8\n"}),
    [](const ::testing::TestParamInfo<ReaderCase>& info) { return info.param.name; });

ReadOptions named(ColumnNames columns, SexWords sex_words = {}) {
  ReadOptions options;
  options.columns = std::move(columns);
  options.sex_words = std::move(sex_words);
  return options;
}

// Header spellings and separators as herd-books write them, each file read as a table
// whose separator its header line tells.
INSTANTIATE_TEST_SUITE_P(
    HerdBooks, ReaderTest,
    ::testing::Values(
        ReaderCase{"SemicolonsWithHerdAndBirthYear",
                   Format::kTable,
                   "Animal;Sire;Dam;Sex;Breed;BirthYear;Herd\r\nC;S;D;bull;HOL;2015;h1\r\n"
                   "\"X;1\";C;;cow;HOL;31.03.2016;h1\r\n",
                   {"2:C/S/D/h1/1/1/20150000", "3:X;1/C//h1/2/1/20160331"}},
        ReaderCase{"CommasWithIndivAndBorn",
                   Format::kTable,
                   "Indiv,Sire,Dam,Sex,Breed,Born\nC,S,D,M,3,2015-03-31\nE,C,,F,,\n",
                   {"2:C/S/D//1/3/20150331", "3:E/C///2/0/0"}},
        ReaderCase{"TabsWithPlinkNames",
                   Format::kTable,
                   "FID\tIID\tPAT\tMAT\tSEX\tYOB\nf\tA\t0\t0\t2\t1999\n",
                   {"2:A///f/2/0/19990000"}},
        ReaderCase{"IndividualFatherMotherFamily",
                   Format::kTable,
                   "individual;father;mother;family;race\nA;B;C;f;x\n",
                   {"2:A/B/C/f/0/1"}},
        ReaderCase{"ColumnsNamedOnTheCommandLine",
                   Format::kTable,
                   "Nr;Vater;Mutter;Geschlecht;Stall\nA;B;C;w;1\nB;;;m;1\n",
                   {"2:A/B/C/1/2/0", "3:B///1/1/0"},
                   "",
                   named({.id = "nr",
                          .sire = "Vater",
                          .dam = "Mutter",
                          .sex = "Geschlecht",
                          .family = "Stall",
                          .race = "",
                          .born = ""},
                         {"m", "w"})},
        ReaderCase{
            "AColumnNamedOnTheCommandLineIsMissing",
            Format::kTable,
            "id,sire,dam\n",
            {},
            "in:1: error: no column for the birth date (--born \"Geburt\") in the header, which "
            "holds \"id\", \"sire\", \"dam\"; name the column with --born COL\n",
            named({.id = "",
                   .sire = "",
                   .dam = "",
                   .sex = "",
                   .family = "",
                   .race = "",
                   .born = "Geburt"})},
        ReaderCase{"BirthDatesThatCannotBeRead",
                   Format::kTable,
                   "id,sire,dam,born\nA,,,2015\nB,,,03/31/2015\nC,,,yesterday\nD,,,2015-13-01\n",
                   {"2:A////0/0/20150000", "3:B////0/0/20150000", "4:C////0/0/0", "5:D////0/0/0"},
                   "in:4: warning: 2 birth dates in column 4 \"born\" cannot be read: "
                   "\"yesterday\" (1), \"2015-13-01\" (1); read as unknown; a year (2015) or a "
                   "date (2015-03-31, 31.03.2015) is read\n"}),
    [](const ::testing::TestParamInfo<ReaderCase>& info) { return info.param.name; });

TEST(ReaderTest, DecimalCommaInASemicolonSeparatedFile) {
  const ReadResult result =
      read(Format::kTable, "id;sire;dam;hol\nA;;;0,5\nB;;;\"0,25\"\n", fractions({"hol"}));
  EXPECT_EQ(result.findings, "");
  EXPECT_EQ(result.fractions, (std::vector<float>{0.5f, 0.25f}));
}

TEST(ReaderTest, ReadsFractionsInTheOrderNamed) {
  const ReadResult result =
      read(Format::kCsv, "id,sire,dam,jer,hol\nA,,,0.25,.5\nB,,,1,0\n", fractions({"HOL", "jer"}));
  EXPECT_EQ(result.findings, "");
  EXPECT_EQ(result.fractions, (std::vector<float>{0.5f, 0.25f, 0.0f, 1.0f}));
}

TEST(ReaderTest, RefusesFractionsOutOfRangeOrNotNumbers) {
  const ReadResult result =
      read(Format::kCsv,
           "id,sire,dam,hol,jer\nA,,,1.5,0\nB,,,-0.1,0\nC,,,x,0\nD,,,,0\nE,,,nan,0\nF,,,0.7,0.6\n",
           fractions({"hol", "jer"}));
  EXPECT_EQ(result.findings,
            "in:2: error: race fraction 1.5 is outside 0..1 (column 4 \"hol\")\n"
            "in:3: error: race fraction -0.1 is outside 0..1 (column 4 \"hol\")\n"
            "in:4: error: cannot read race fraction \"x\": not a number (column 4 \"hol\")\n"
            "in:5: error: cannot read race fraction \"\": not a number (column 4 \"hol\")\n"
            "in:6: error: cannot read race fraction \"nan\": not a number (column 4 \"hol\")\n"
            "in:7: warning: race fractions of \"F\" sum to 1.3000, above 1\n");
}

TEST(ReaderTest, RefusesAMissingFractionColumn) {
  EXPECT_EQ(read(Format::kCsv, "id,sire,dam\n", fractions({"hol"})).findings,
            "in:1: error: no column for \"hol\" in the header, which holds \"id\", \"sire\", "
            "\"dam\"\n");
}

TEST(ReaderTest, FormatFromTheFileName) {
  EXPECT_EQ(format_of_file("dir.x/herd.CSV"), Format::kTable);
  EXPECT_EQ(format_of_file("herd.tsv"), Format::kTable);
  EXPECT_EQ(format_of_file("herd.txt"), Format::kTable);
  EXPECT_EQ(format_of_file("plink.fam"), Format::kFam);
  EXPECT_EQ(format_of_file("herd.xls"), std::nullopt);
  EXPECT_EQ(format_of_file("dir.csv/herd"), std::nullopt);
}

// Unquoted fields of every length up to past two words of eight bytes, with bytes above
// 0x7F among them, end at their delimiter or line end wherever it falls.
TEST(ReaderTest, UnquotedFieldsOfEveryLength) {
  for (const char delimiter : {',', '\t'}) {
    for (size_t length = 1; length <= 20; ++length) {
      std::string id;
      // "ä" in UTF-8 (C3 A4) where it fits.
      for (size_t k = 0; k < length; ++k) {
        id += k % 3 == 1 && k + 1 < length ? '\xC3'
              : k % 3 == 2                 ? '\xA4'
                                           : static_cast<char>('a' + k);
      }
      std::string parent = id.substr(0, length / 2);
      if (parent.ends_with('\xC3')) parent.pop_back();
      parent += "P";
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

// A file without a quote is split a line at a time, one with a quote field by field: both
// read the same rows and findings. Blanks around fields, CR LF, blank lines, empty fields,
// a last line with no line end, a delimiter at every place within a word of eight, and a
// byte that a text check looks at in every place of a line two words long.
TEST(ReaderTest, FilesWithoutQuotesSplitAsFilesWithQuotesDo) {
  std::vector<std::string> bodies = {
      " A , B ,C\r\n\r\nD,,\n\tE\t,A,\r\n", "A,B,C\nD,E,F",   "A,B,C\r", "A,B,C\n\n \nD,E\n",
      "A,B,C \r \nD\r\r,E,F\r\n",           "A,B\nC,D,E,F\n",
  };
  for (size_t length = 1; length <= 17; ++length) {
    const std::string id(length, 'x');
    bodies.push_back(id + ",y," + id + "\n" + id + "z,," + id + "\r\n" + id + ",0,0");
  }
  for (const char* odd : {"\t", "\r", "\x01", "\xE9", "\xC3\xA4"}) {
    for (size_t at = 0; at <= 17; ++at) {
      std::string line = "abcdefgh,ijklmnop,qr";
      line.insert(at, odd);
      bodies.push_back(line + "\n" + line + "\r\n" + line);
    }
  }
  for (const char delimiter : {',', '\t', ';'}) {
    for (std::string body : bodies) {
      std::replace(body.begin(), body.end(), ',', delimiter);
      const std::string d(1, delimiter);
      const std::string plain = "id" + d + "sire" + d + "dam\n" + body;
      const std::string with_quote = plain + "\n\"Q\"" + d + d + "\n";
      const ReadResult split_by_lines = read(Format::kTable, plain);
      ReadResult split_by_fields = read(Format::kTable, with_quote);
      ASSERT_FALSE(split_by_fields.rows.empty()) << body;
      split_by_fields.rows.pop_back();  // the quoted row
      EXPECT_EQ(split_by_lines.rows, split_by_fields.rows) << body;
      EXPECT_EQ(split_by_lines.findings, split_by_fields.findings) << body;
    }
  }
}

// An id is refused for a tab, CR or LF at any place in it, and for a byte above 0x7F that
// is no part of a UTF-8 character: the other bytes at or below CR are kept.
TEST(ReaderTest, TabOrLineBreakAnywhereInAnId) {
  for (size_t length = 1; length <= 20; ++length) {
    for (size_t at = 0; at < length; ++at) {
      for (const char byte : {'\t', '\r', '\n', '\x01', '\x0B', '\x0C', '\x0E', '\x80', '\xFF'}) {
        std::string id(length, 'x');
        id[at] = byte;
        const ReadResult result = read(Format::kCsv, "id,sire,dam\n\"" + id + "\",,\n");
        const bool refused =
            byte == '\t' || byte == '\r' || byte == '\n' || byte == '\x80' || byte == '\xFF';
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
    const ReadResult result = read(Format::kCsv, text.substr(0, size), fractions({"hol"}));
    std::istringstream lines(result.findings);
    for (std::string line; std::getline(lines, line);) EXPECT_TRUE(line.starts_with("in:")) << line;
  }
}

}  // namespace
}  // namespace pedpeel::pedprep
