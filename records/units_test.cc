#include "records/units.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "records/binary_records.h"
#include "records/patterns.h"
#include "records/statement.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

using pedpeel::testing::TempDir;

class UnitsTest : public ::testing::Test {
 protected:
  ~UnitsTest() override {
    units_.reset();
    if (directory_fd_ >= 0) ::close(directory_fd_);
  }

  // The unit table of a run started with these arguments and this standard input.
  Units& units(std::vector<std::string> arguments = {}, const std::string& input = "") {
    directory_fd_ = ::open(dir_.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    in_.clear();
    in_.str(input);
    console_ = std::make_unique<Console>(out_);
    names_ = std::make_unique<BlankNameSource>(std::move(arguments), in_, *console_);
    units_ = std::make_unique<Units>(directory_fd_, *names_);
    return *units_;
  }

  // One record of `values` I5 fields written to `unit`.
  void write_ids(int unit, int values) {
    RecordStatement statement(*units_);
    statement.begin_statement(unit, PAT_IDS, Direction::kWrite);
    for (int32_t i = 0; i < values; ++i) statement.transfer(i);
    statement.end_statement();
  }

  // The report of the RunError that `action` throws, or "no error".
  template <typename Action>
  static std::string report_of(Action action) {
    try {
      action();
    } catch (const RunError& error) {
      return error.report();
    }
    return "no error";
  }

  TempDir dir_;
  int directory_fd_ = -1;
  std::istringstream in_;
  std::ostringstream out_;
  std::unique_ptr<Console> console_;
  std::unique_ptr<BlankNameSource> names_;
  std::unique_ptr<Units> units_;
};

// ---------------------------------------------------------------------------------------
// Open, first write, close

TEST_F(UnitsTest, FirstWriteCutsTheFile) {
  dir_.write("VOLMA.DAT", std::string(10000, 'o'));
  Units& table = units();
  table.open(20, "VOLMA.DAT", Form::kFormatted, OpenIntent::kOutput);
  write_ids(20, 58);                             // 5 * 58 + 2 = 292 bytes
  for (int i = 0; i < 4; ++i) write_ids(20, 0);  // 2 bytes each
  table.close(20);
  const std::string written = dir_.read("VOLMA.DAT").value();
  EXPECT_EQ(written.size(), 300u);
  EXPECT_EQ(written.substr(0, 10), "    0    1");
  EXPECT_EQ(written.substr(280), "   56   57\r\n\r\n\r\n\r\n\r\n");
}

TEST_F(UnitsTest, OpenAndCloseWithoutWriteLeavesAFileAsItWas) {
  dir_.write("def.err", "old report\r\n");
  dir_.write("iway.IWA", "\x4B\x01\x07\x01\x82");
  Units& table = units();
  table.open(35, "def.err", Form::kFormatted, OpenIntent::kOutput);
  table.open(11, "iway.IWA", Form::kBinary, OpenIntent::kOutput);
  table.close(35);
  table.close(11);
  EXPECT_EQ(dir_.read("def.err"), "old report\r\n");
  EXPECT_EQ(dir_.read("iway.IWA"), "\x4B\x01\x07\x01\x82");
}

TEST_F(UnitsTest, OutputOpenCreatesAMissingFile) {
  Units& table = units();
  table.open(20, "VOLMA.DAT", Form::kFormatted, OpenIntent::kOutput);
  table.open(11, "iway.IWA", Form::kBinary, OpenIntent::kOutput);
  table.close(20);
  table.close(11);
  EXPECT_EQ(dir_.read("VOLMA.DAT"), "");
  // A binary record file created by its open holds header and trailer even without a record.
  EXPECT_EQ(dir_.read("iway.IWA"), "\x4B\x82");
}

// An output name that is a symbolic link to a missing file creates the file it points to.
TEST_F(UnitsTest, OutputOpenThroughALinkToAMissingFile) {
  ASSERT_EQ(::symlink("volma.target", (dir_.path() + "/VOLMA.DAT").c_str()), 0);
  ASSERT_EQ(::symlink("iwa.target", (dir_.path() + "/iway.IWA").c_str()), 0);
  Units& table = units();
  table.open(20, "VOLMA.DAT", Form::kFormatted, OpenIntent::kOutput);
  table.open(11, "iway.IWA", Form::kBinary, OpenIntent::kOutput);
  write_ids(20, 2);
  table.close(20);
  table.close(11);
  EXPECT_EQ(dir_.read("volma.target"), "    0    1\r\n");
  EXPECT_EQ(dir_.read("iwa.target"), "\x4B\x82");
}

TEST_F(UnitsTest, CutAtOpenEmptiesAnExistingFileWithoutAWrite) {
  dir_.write("def.err", "stale report\r\n");
  Units& table = units();
  table.open(35, "def.err", Form::kFormatted, OpenIntent::kOutputCutAtOpen);
  table.close(35);
  EXPECT_EQ(dir_.read("def.err"), "");
}

TEST_F(UnitsTest, CloseTwiceAndReopen) {
  dir_.write("peds.dat", "    1\n");
  Units& table = units();
  table.close(3);  // never connected
  table.open(3, "peds.dat", Form::kFormatted, OpenIntent::kInput);
  table.close(3);
  table.close(3);
  table.open(3, "peds.dat", Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(table);
  int32_t value = 0;
  statement.begin_statement(3, PAT_COUNTS, Direction::kRead);
  statement.transfer(&value);
  statement.end_statement();
  EXPECT_EQ(value, 1);  // read from the start again
  table.close(3);
  EXPECT_EQ(dir_.read("peds.dat"), "    1\n");
}

// A statement on a unit that is not connected (never opened, or closed since its last
// statement) ends the run with the report of that statement, not a stray write.
TEST_F(UnitsTest, StatementOnAUnitNotConnected) {
  Units& table = units();
  table.open(20, "a.txt", Form::kFormatted, OpenIntent::kOutput);
  write_ids(20, 1);
  table.close(20);
  RecordStatement statement(table);
  int32_t value = 0;
  const std::vector<std::pair<std::function<void()>, std::string>> cases = {
      {[&] { statement.read_statement(3, PAT_COUNTS, &value); },
       "\r\nrun-time error E6500: READ(unit 3)\r\n- file not open for reading or file locked\r\n"},
      {[&] { write_ids(20, 1); },
       "\r\nrun-time error E6421: WRITE(unit 20)\r\n"
       "- file read-only or locked against writing\r\n"},
      {[&] { write_binary_record(table, 11, "x"); },
       "\r\nrun-time error E6421: WRITE(unit 11)\r\n"
       "- file read-only or locked against writing\r\n"},
  };
  for (const auto& [action, report] : cases) EXPECT_EQ(report_of(action), report);
  EXPECT_EQ(dir_.read("a.txt"), "    0\r\n");
}

TEST_F(UnitsTest, ReopenRules) {
  Units& table = units();
  table.open(20, "a.txt", Form::kFormatted, OpenIntent::kOutput);
  write_ids(20, 1);
  // The same file on the same unit: the connection is kept with its position.
  table.open(20, "a.txt", Form::kFormatted, OpenIntent::kOutput);
  write_ids(20, 1);
  EXPECT_EQ(
      report_of([&] { table.open(20, "a.txt", Form::kBinary, OpenIntent::kOutput); }),
      "\r\nrun-time error E6209: OPEN(a.txt)\r\n- file already open : parameter mismatch\r\n");
  EXPECT_EQ(report_of([&] { table.open(21, "a.txt", Form::kFormatted, OpenIntent::kOutput); }),
            "\r\nrun-time error E6413: OPEN(a.txt)\r\n"
            "- file already connected to a different unit\r\n");
  // Another file on the same unit closes the first one.
  table.open(20, "b.txt", Form::kFormatted, OpenIntent::kOutput);
  EXPECT_EQ(dir_.read("a.txt"), "    0\r\n    0\r\n");
  table.close(20);
}

TEST_F(UnitsTest, SixtySecondConnection) {
  Units& table = units();
  for (int unit = 1; unit <= 61; ++unit) {
    table.open(unit, "f" + std::to_string(unit), Form::kFormatted, OpenIntent::kOutput);
  }
  EXPECT_EQ(report_of([&] { table.open(62, "f62", Form::kFormatted, OpenIntent::kOutput); }),
            "\r\nrun-time error E6418: OPEN(f62)\r\n- too many units connected\r\n");
  EXPECT_FALSE(table.close_all());
  EXPECT_FALSE(dir_.read("f62"));
}

// Files the run only reads are never created.
TEST_F(UnitsTest, InputOpenOfAMissingFile) {
  Units& table = units();
  EXPECT_EQ(report_of([&] {
              table.open(3, "  peds.dat          ", Form::kFormatted, OpenIntent::kInput);
            }),
            "\r\nrun-time error E6416: OPEN(peds.dat)\r\n- file not found\r\n");
  EXPECT_EQ(
      report_of([&] { table.open(3, "nowhere/peds.dat", Form::kFormatted, OpenIntent::kInput); }),
      "\r\nrun-time error E6416: OPEN(nowhere/peds.dat)\r\n- file not found\r\n");
  EXPECT_TRUE(dir_.entries().empty());
}

TEST_F(UnitsTest, InputNamingADirectoryFailsAtTheFirstRead) {
  ASSERT_EQ(::mkdir((dir_.path() + "/sub").c_str(), 0755), 0);
  Units& table = units();
  table.open(3, "sub", Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(table);
  EXPECT_EQ(report_of([&] { statement.begin_statement(3, PAT_COUNTS, Direction::kRead); }),
            "\r\nrun-time error E6500: READ(sub)\r\n"
            "- file not open for reading or file locked\r\n");
  table.close(3);
}

// ---------------------------------------------------------------------------------------
// Names

TEST(FileNameTest, Trimming) {
  const struct {
    std::string field;
    std::string name;
  } cases[] = {
      {"  peds.dat          ", "peds.dat"},
      {"my peds.dat         ", "my peds.dat"},
      {"abcdefghijklmnopqrst", "abcdefghijklmnopqrst"},
      {"\tpeds.dat\t ", "\tpeds.dat\t"},  // only spaces are trimmed
      {"                    ", ""},
      {"", ""},
      {std::string(300, 'a'), std::string(259, 'a')},
      {std::string(258, ' ') + "ab", "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(trim_file_name(c.field), c.name) << c.field;
}

struct BlankNameCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string input;
  int blank_fields;
  std::vector<std::string> expected;  // the names opened; "!" + report line on an error
  std::string out;
};

const char kPrompt[] = "File name missing or blank - please enter file name\r\nUNIT 3? ";

TEST_F(UnitsTest, BlankNames) {
  const std::string prompt = kPrompt;
  const BlankNameCase cases[] = {
      {"argument", {"a.dat"}, "", 1, {"a.dat"}, ""},
      {"argument trimmed", {"  a.dat  "}, "", 1, {"a.dat"}, ""},
      {"blank arguments are used up", {"", "   ", "b.dat"}, "", 1, {"b.dat"}, ""},
      {"arguments in order", {"a.dat", "b.dat"}, "", 2, {"a.dat", "b.dat"}, ""},
      {"then the prompt", {"a.dat"}, "c.dat\n", 2, {"a.dat", "c.dat"}, prompt},
      {"answer trimmed, CR LF", {}, "  c d.dat  \r\n", 1, {"c d.dat"}, prompt},
      {"CR LF is one line end", {}, "e.dat\r\nf.dat\r\n", 2, {"e.dat", "f.dat"}, prompt + prompt},
      {"lone CR ends a line", {}, "e.dat\rf.dat", 2, {"e.dat", "f.dat"}, prompt + prompt},
      {"blank answers prompt again", {}, "\n  \r\nd.dat", 1, {"d.dat"}, prompt + prompt + prompt},
      {"end of input", {}, "", 1, {"!run-time error E6501: READ(stdin)"}, prompt},
      {"end of input after blank answers",
       {""},
       "\n \n",
       1,
       {"!run-time error E6501: READ(stdin)"},
       prompt + prompt + prompt},
  };
  for (const BlankNameCase& c : cases) {
    out_.str("");
    units_.reset();
    if (directory_fd_ >= 0) ::close(directory_fd_);
    Units& table = units(c.arguments, c.input);
    std::vector<std::string> opened;
    for (int i = 0; i < c.blank_fields; ++i) {
      try {
        table.open(3, "                    ", Form::kFormatted, OpenIntent::kOutput);
        opened.push_back(table.unit(3, StatementKind::kRead).name);
        table.close(3);
      } catch (const RunError& error) {
        const std::string report = error.report();
        opened.push_back("!" + report.substr(2, report.find('\r', 2) - 2));
        EXPECT_EQ(report, "\r\nrun-time error E6501: READ(stdin)\r\n- end of file encountered\r\n");
        break;
      }
    }
    EXPECT_EQ(opened, c.expected) << c.name;
    EXPECT_EQ(out_.str(), c.out) << c.name;
  }
}

// The prompt ends a waiting console line first and leaves none waiting itself.
TEST_F(UnitsTest, PromptAfterAConsoleLine) {
  Units& table = units({}, "x.dat\n");
  console_->console_begin();
  console_->console_item(" before");
  console_->console_end();
  table.open(7, "", Form::kFormatted, OpenIntent::kOutput);
  console_->console_begin();
  console_->console_item(" after");
  console_->console_end();
  console_->end_pending_line();
  console_->flush();
  EXPECT_EQ(out_.str(),
            " before\r\nFile name missing or blank - please enter file name\r\nUNIT 7?  after\r\n");
  EXPECT_EQ(table.unit(7, StatementKind::kRead).name, "x.dat");
}

// ---------------------------------------------------------------------------------------
// Reading records: only the columns a pattern reads are kept, whatever the line's length.

TEST_F(UnitsTest, ReadRecordKeepsTheColumnsAskedForAndSkipsTheRest) {
  struct Case {
    const char* name;
    std::string bytes;
    size_t keep;
    std::string record;
    size_t text_past;
  };
  const std::string big(3 << 20, 'x');  // spans many input blocks
  const Case cases[] = {
      {"shorter line", "abc\r\n", 5, "abc", 0},
      {"CR just past the kept columns ends the line", "abcde\r\n", 5, "abcde", 0},
      {"CR inside the kept columns ends the line", "abcd\r\n", 5, "abcd", 0},
      {"blanks past the kept columns are not text", "abcde   \r\n", 5, "abcde", 0},
      {"text past the kept columns", "abcde  fg\n", 5, "abcde", 8},
      {"lone CR past the kept columns is text", "abcde\rx\n", 5, "abcde", 6},
      {"CR at the very end of the file", "abcdefg\r", 5, "abcde", 6},
      {"a line of megabytes without its LF", "ab" + big, 5, "abxxx", 6},
      {"a line of megabytes", big + "\r\n", 4, "xxxx", 5},
  };
  for (const Case& c : cases) {
    dir_.write("data.txt", c.bytes);
    Units& table = units();
    table.open(3, "data.txt", Form::kFormatted, OpenIntent::kInput);
    std::string_view record;
    std::string storage;
    size_t text_past = 99;
    ASSERT_TRUE(table.read_record(table.unit(3, StatementKind::kRead), &record, &storage, c.keep,
                                  &text_past))
        << c.name;
    EXPECT_EQ(record, c.record) << c.name;
    EXPECT_EQ(text_past, c.text_past) << c.name;
    EXPECT_LE(storage.capacity(), size_t{64}) << c.name << ": the skipped bytes were kept";
    EXPECT_FALSE(table.read_record(table.unit(3, StatementKind::kRead), &record, &storage, c.keep,
                                   &text_past))
        << c.name;
    table.close(3);
    ::close(directory_fd_);
  }
}

}  // namespace
}  // namespace pedpeel
