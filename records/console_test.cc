#include "records/console.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <variant>

#include "records/patterns.h"
#include "records/run_end.h"
#include "records/statement.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

using pedpeel::testing::TempDir;

// ---------------------------------------------------------------------------------------
// Free-form lines

struct LineCase {
  const char* name;
  std::function<void(Console&)> lines;
  std::string expected;  // standard output once the last line end is written
};

void line(Console& console, std::initializer_list<std::variant<const char*, int32_t>> items) {
  console.console_begin();
  for (const auto& item : items) {
    if (std::holds_alternative<int32_t>(item))
      console.console_item(std::get<int32_t>(item));
    else
      console.console_item(std::string_view(std::get<const char*>(item)));
  }
  console.console_end();
}

TEST(ConsoleTest, Lines) {
  const std::string text56(56, 't'), text67(67, 't'), text68(68, 't');
  const std::string raw(100000, 'r');  // more than the console keeps before a write
  const LineCase cases[] = {
      {"text keeps its own leading blank", [](Console& c) { line(c, {" Ne ponjal..."}); },
       " Ne ponjal...\r\n"},
      {"integers in 11, then 12 columns",
       [](Console& c) {
         line(c, {3, 17, 0, 2});
       },
       "          3          17           0           2\r\n"},
      {"negative and widest integers",
       [](Console& c) {
         line(c, {-5, -2147483647});
       },
       "         -5 -2147483647\r\n"},
      {"text then integer",
       [](Console& c) {
         line(c, {" N=", 5, " of", 12});
       },
       " N=          5 of          12\r\n"},
      {"line ends between lines",
       [](Console& c) {
         line(c, {" A"});
         line(c, {"B"});
       },
       " A\r\nB\r\n"},
      {"empty line", [](Console& c) { line(c, {}); }, "\r\n"},
      // 11 + 5 * 12 = 71 columns; a seventh integer needs 12 of the 8 left.
      {"seventh integer starts a new line",
       [](Console& c) {
         line(c, {1, 2, 3, 4, 5, 6, 7});
       },
       "          1           2           3           4           5           6\r\n"
       "          7\r\n"},
      {"integer in the last 11 columns",
       [&](Console& c) {
         line(c, {text67.c_str(), 9});
       },
       text67 + "          9\r\n"},
      {"integer needing exactly the columns left",
       [&](Console& c) {
         line(c, {text68.c_str(), 9});
       },
       text68 + "\r\n          9\r\n"},
      // 1 + 56 + 11 columns used, 12 left: a second integer (12 columns) moves on.
      {"second integer needing exactly the columns left",
       [&](Console& c) {
         line(c, {text56.c_str(), 1, 2});
       },
       text56 + "          1\r\n          2\r\n"},
      {"text past the line's end goes on on the next",
       [&](Console& c) { line(c, {(text56 + text56).c_str()}); },
       text56 + text56.substr(0, 22) + "\r\n" + text56.substr(22) + "\r\n"},
      {"raw text longer than the buffer, between lines",
       [&](Console& c) {
         line(c, {" A"});
         c.end_pending_line();
         c.write_raw(raw);
         line(c, {" B"});
       },
       " A\r\n" + raw + " B\r\n"},
  };
  for (const LineCase& c : cases) {
    std::ostringstream out;
    Console console(out);
    c.lines(console);
    console.end_pending_line();
    console.flush();
    EXPECT_EQ(out.str(), c.expected) << c.name;
  }
}

TEST(ConsoleTest, LineEndWaitsForTheNextLine) {
  std::ostringstream out;
  Console console(out);
  const auto shown = [&] {
    console.flush();
    return out.str();
  };
  console.end_pending_line();
  EXPECT_EQ(shown(), "");  // no line shown, nothing waits
  line(console, {" X"});
  EXPECT_EQ(shown(), " X");
  console.repeat_pending_line_end();
  console.repeat_pending_line_end();
  EXPECT_EQ(shown(), " X\r\n\r\n");
  console.end_pending_line();
  console.end_pending_line();
  EXPECT_EQ(shown(), " X\r\n\r\n\r\n");
}

// Shown text reaches the stream in large writes, whole and in order.
TEST(ConsoleTest, ManyLinesReachTheStreamInOrder) {
  std::ostringstream out;
  std::string expected;
  {
    Console console(out);
    for (int i = 0; i < 20000; ++i) {
      line(console, {" line", i});
      expected += (i == 0 ? "" : "\r\n") + std::string(" line") +
                  std::string(11 - std::to_string(i).size(), ' ') + std::to_string(i);
    }
    console.end_pending_line();
    console.flush();
  }
  expected += "\r\n";
  EXPECT_EQ(out.str(), expected);
}

// ---------------------------------------------------------------------------------------
// How a run ends

struct RunCase {
  const char* name;
  std::function<int(RunIo&)> stages;
  int status;
  std::string out;
  std::string err;
};

void show(RunIo& io, const char* text) {
  io.console.console_begin();
  io.console.console_item(std::string_view(text));
  io.console.console_end();
}

void read_count(RunIo& io, const char* name) {
  io.units.open(3, name, Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(io.units);
  statement.begin_statement(3, PAT_COUNTS, Direction::kRead);
  statement.end_statement();
}

void write_header(RunIo& io) {
  io.units.open(20, "VOLMA.DAT", Form::kFormatted, OpenIntent::kOutput);
  RecordStatement statement(io.units);
  statement.begin_statement(20, PAT_IDS, Direction::kWrite);
  statement.transfer(int32_t{3});
  statement.end_statement();
}

const char kStop[] = "Stop - Program terminated.\r\n";
const char kEndOfFile[] =
    "\r\nrun-time error E6501: READ(peds.dat)\r\n- end of file encountered\r\n";

TEST(RunEndTest, WaysToEnd) {
  const RunCase cases[] = {
      {"normal end, silent", [](RunIo&) { return kExitNormal; }, 0, "", ""},
      {"normal end after a console line",
       [](RunIo& io) {
         show(io, " X");
         return kExitNormal;
       },
       0, " X\r\n", ""},
      {"stages report failure", [](RunIo&) { return kExitStop; }, 2, "", ""},
      {"stop", [](RunIo&) -> int { throw RunStop{StopReason::kNotUnderstood}; }, 2,
       std::string(" Ne ponjal...\r\n") + kStop + "\r\n", ""},
      {"stop after an earlier line",
       [](RunIo& io) -> int {
         show(io, " A");
         throw RunStop{StopReason::kTooManyLoopHeadChildren};
       },
       2, std::string(" A\r\n Error: icros overflow. More then 300 kids.\r\n") + kStop + "\r\n",
       ""},
      {"end of file",
       [](RunIo& io) {
         read_count(io, "peds.dat");
         return kExitNormal;
       },
       1, "", kEndOfFile},
      {"end of file after a console line",
       [](RunIo& io) {
         show(io, " X");
         read_count(io, "  peds.dat  ");
         return kExitNormal;
       },
       1, " X\r\n", kEndOfFile},
      {"open of a missing input file",
       [](RunIo& io) {
         read_count(io, "gone.dat");
         return kExitNormal;
       },
       1, "", "\r\nrun-time error E6416: OPEN(gone.dat)\r\n- file not found\r\n"},
  };
  for (const RunCase& c : cases) {
    TempDir dir;
    dir.write("peds.dat", "");
    std::istringstream in;
    std::ostringstream out, err;
    RunEnvironment environment{dir.path(), {}, &in, &out, &err};
    EXPECT_EQ(run_to_end(environment, c.stages), c.status) << c.name;
    EXPECT_EQ(out.str(), c.out) << c.name;
    EXPECT_EQ(err.str(), c.err) << c.name;
    EXPECT_FALSE(dir.read("gone.dat")) << c.name;
  }
}

// Whichever way a run ends, the files being written hold every record written before.
TEST(RunEndTest, OutputReachesItsFileAtEveryEnd) {
  const std::function<int(RunIo&)> ends[] = {
      [](RunIo& io) {
        write_header(io);
        return kExitNormal;
      },
      [](RunIo& io) -> int {
        write_header(io);
        throw RunStop{StopReason::kNotUnderstood};
      },
      [](RunIo& io) {
        write_header(io);
        read_count(io, "peds.dat");
        return kExitNormal;
      },
  };
  for (const auto& stages : ends) {
    TempDir dir;
    dir.write("peds.dat", "");
    dir.write("VOLMA.DAT", std::string(10000, 'o'));
    std::istringstream in;
    std::ostringstream out, err;
    RunEnvironment environment{dir.path(), {}, &in, &out, &err};
    run_to_end(environment, stages);
    EXPECT_EQ(dir.read("VOLMA.DAT"), "    3\r\n");
  }
}

TEST(RunEndTest, MissingWorkingDirectory) {
  std::istringstream in;
  std::ostringstream out, err;
  RunEnvironment environment{"/nonexistent/pedpeel-dir", {}, &in, &out, &err};
  EXPECT_EQ(run_to_end(environment, [](RunIo&) { return kExitNormal; }), kExitRunError);
  EXPECT_EQ(err.str(),
            "\r\nrun-time error E6416: OPEN(/nonexistent/pedpeel-dir)\r\n- file not found\r\n");
}

TEST(RunErrorTest, ReportBytes) {
  const struct {
    ErrorCode code;
    StatementKind statement;
    const char* report;
  } cases[] = {
      {ErrorCode::kEndOfFile, StatementKind::kRead, "E6501: READ(f)\r\n- end of file encountered"},
      {ErrorCode::kIntegerOverflow, StatementKind::kRead,
       "E6100: READ(f)\r\n- INTEGER overflow on input"},
      {ErrorCode::kInvalidInteger, StatementKind::kRead, "E6101: READ(f)\r\n- invalid INTEGER"},
      {ErrorCode::kMultipleRadix, StatementKind::kRead,
       "E6302: READ(f)\r\n- multiple radix specifiers"},
      {ErrorCode::kIllegalRadix, StatementKind::kRead,
       "E6303: READ(f)\r\n- illegal radix specifier"},
      {ErrorCode::kInvalidReal, StatementKind::kRead, "E6103: READ(f)\r\n- invalid REAL"},
      {ErrorCode::kRealOverflow, StatementKind::kRead, "E6104: READ(f)\r\n- REAL math overflow"},
      {ErrorCode::kTextFieldExpected, StatementKind::kWrite,
       "E6205: WRITE(f)\r\n- A edit descriptor expected for CHARACTER"},
      {ErrorCode::kRealFieldExpected, StatementKind::kWrite,
       "E6206: WRITE(f)\r\n- E, F, D or G edit descriptor expected for REAL"},
      {ErrorCode::kIntegerFieldExpected, StatementKind::kWrite,
       "E6207: WRITE(f)\r\n- I edit descriptor expected for INTEGER"},
      {ErrorCode::kFileNotFound, StatementKind::kOpen, "E6416: OPEN(f)\r\n- file not found"},
      {ErrorCode::kAccessNotAllowed, StatementKind::kOpen,
       "E6414: OPEN(f)\r\n- access not allowed"},
      {ErrorCode::kTooManyOpenFiles, StatementKind::kOpen,
       "E6417: OPEN(f)\r\n- too many open files"},
      {ErrorCode::kInvalidName, StatementKind::kOpen, "E6412: OPEN(f)\r\n- SHARE not installed"},
      {ErrorCode::kTooManyUnits, StatementKind::kOpen,
       "E6418: OPEN(f)\r\n- too many units connected"},
      {ErrorCode::kParameterMismatch, StatementKind::kOpen,
       "E6209: OPEN(f)\r\n- file already open : parameter mismatch"},
      {ErrorCode::kConnectedElsewhere, StatementKind::kOpen,
       "E6413: OPEN(f)\r\n- file already connected to a different unit"},
      {ErrorCode::kReadRefused, StatementKind::kRead,
       "E6500: READ(f)\r\n- file not open for reading or file locked"},
      {ErrorCode::kWriteRefused, StatementKind::kWrite,
       "E6421: WRITE(f)\r\n- file read-only or locked against writing"},
      {ErrorCode::kNoSpace, StatementKind::kClose, "E6422: CLOSE(f)\r\n- no space left on device"},
  };
  for (const auto& c : cases) {
    const RunError error{c.code, c.statement, "f"};
    EXPECT_EQ(error.report(), std::string("\r\nrun-time error ") + c.report + "\r\n");
  }
}

}  // namespace
}  // namespace pedpeel
