#include "records/statement.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "records/run_end.h"
#include "records/whole_record.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

using pedpeel::testing::first_difference;
using pedpeel::testing::TempDir;

constexpr int kUnit = 20;

// Statements on real units in a scratch directory.
class StatementTest : public ::testing::Test {
 protected:
  StatementTest() {
    environment_.directory = dir_.path();
    environment_.in = &in_;
    environment_.out = &out_;
    environment_.err = &err_;
    directory_fd_ = ::open(dir_.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    io_ = std::make_unique<RunIo>(directory_fd_, environment_);
  }
  ~StatementTest() override {
    io_.reset();
    ::close(directory_fd_);
  }

  TempDir dir_;
  std::istringstream in_;
  std::ostringstream out_, err_;
  RunEnvironment environment_;
  int directory_fd_ = -1;
  std::unique_ptr<RunIo> io_;
};

// ---------------------------------------------------------------------------------------
// Writing

using Item = std::variant<int32_t, float, std::string>;

std::vector<Item> repeated(int count, Item item) {
  return std::vector<Item>(static_cast<size_t>(count), item);
}

void transfer_item(RecordStatement& statement, const Item& item) {
  std::visit(
      [&](const auto& value) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, std::string>)
          statement.transfer(std::string_view(value));
        else
          statement.transfer(value);
      },
      item);
}

std::string repeat(int count, const std::string& text) {
  std::string out;
  for (int i = 0; i < count; ++i) out += text;
  return out;
}

struct WriteCase {
  const char* name;
  const Pattern& pattern;
  std::vector<Item> items;
  std::string expected;
};

TEST_F(StatementTest, Writes) {
  const std::string trait_100 = "TRAIT " + repeat(100, "    7") + "\r\n";
  const WriteCase cases[] = {
      {"250 through PAT_TRAIT", PAT_TRAIT, repeated(250, 7),
       trait_100 + trait_100 + "TRAIT " + repeat(50, "    7") + "\r\n"},
      {"100 through PAT_TRAIT", PAT_TRAIT, repeated(100, 7), trait_100},
      {"101 through PAT_TRAIT", PAT_TRAIT, repeated(101, 7), trait_100 + "TRAIT     7\r\n"},
      {"none through PAT_TRAIT", PAT_TRAIT, {}, "TRAIT \r\n"},
      {"none through PAT_IDS", PAT_IDS, {}, "\r\n"},
      {"PAT_IDS", PAT_IDS, {1, -2, 30000}, "    1   -230000\r\n"},
      {"PAT_SEX", PAT_SEX, {1, 2}, "SEX       1    2\r\n"},
      {"PAT_RACE", PAT_RACE, {-1, 0}, "RACE     -1    0\r\n"},
      {"PAT_COUNTS", PAT_COUNTS, {3, 123456}, "    3*****\r\n"},
      {"ten through PAT_BLOOD",
       PAT_BLOOD,
       {0.5f, 0.25f, 0.125f, 0.0f, 1.0f, 0.0625f, 0.75f, 1.0f / 3.0f, 2.0f / 3.0f, 0.9999f},
       "BLOOD    .5000E+00   .2500E+00   .1250E+00   .0000E+00   .1000E+01"
       "   .6250E-01   .7500E+00   .3333E+00   .6667E+00   .9999E+00\r\n"},
      {"twelve through PAT_BLOOD", PAT_BLOOD, repeated(12, 0.5f),
       "BLOOD " + repeat(10, "   .5000E+00") + "\r\nBLOOD    .5000E+00   .5000E+00\r\n"},
      {"none through PAT_BLOOD", PAT_BLOOD, {}, "BLOOD \r\n"},
      {"PAT_LOOP 5",
       PAT_LOOP,
       {5},
       " PEDIGREE   5 contains LOOP\r\n  THE CORRECTION OF INITIAL DATA IS REQUIRED\r\n"},
      {"PAT_LOOP 1234",
       PAT_LOOP,
       {1234},
       " PEDIGREE *** contains LOOP\r\n  THE CORRECTION OF INITIAL DATA IS REQUIRED\r\n"},
      {"PAT_HEADER",
       PAT_HEADER,
       {7, 12, -1, 1},
       "NPEDIGREE=   7 NPOT=  12 IWAY=   -1 ITYPE=  1\r\n"},
      {"PAT_HEADER five-digit pedigree",
       PAT_HEADER,
       {12345, 3, 0, 4},
       "NPEDIGREE=**** NPOT=   3 IWAY=    0 ITYPE=  4\r\n"},
      // The literals up to the next data field are written, and no more.
      {"PAT_HEADER two values", PAT_HEADER, {7, 12}, "NPEDIGREE=   7 NPOT=  12 IWAY=\r\n"},
      {"PAT_INI_ID",
       PAT_INI_ID,
       {std::string("A12         "), std::string("B 7,x       ")},
       "INI_ID  A12           B 7,x       \r\n"},
      {"PAT_NAME12 short", PAT_NAME12, {std::string("ID1")}, "         ID1\r\n"},
      {"PAT_NAME12 long", PAT_NAME12, {std::string("ABCDEFGHIJKLMNO")}, "ABCDEFGHIJKL\r\n"},
  };
  int index = 0;
  for (const WriteCase& c : cases) {
    const std::string name = "out" + std::to_string(index++) + ".txt";
    io_->units.open(kUnit, name, Form::kFormatted, OpenIntent::kOutput);
    RecordStatement statement(io_->units);
    statement.begin_statement(kUnit, c.pattern, Direction::kWrite);
    for (const Item& item : c.items) transfer_item(statement, item);
    statement.end_statement();
    io_->units.close(kUnit);
    const std::string written = dir_.read(name).value_or("<missing>");
    EXPECT_EQ(written, c.expected) << c.name << ": " << first_difference(c.expected, written);
  }
}

TEST_F(StatementTest, TwoWritesNeverShareALine) {
  io_->units.open(kUnit, "out.txt", Form::kFormatted, OpenIntent::kOutput);
  RecordStatement statement(io_->units);
  for (int32_t value : {1, 2}) {
    statement.begin_statement(kUnit, PAT_IDS, Direction::kWrite);
    statement.transfer(value);
    statement.end_statement();
  }
  io_->units.close(kUnit);
  EXPECT_EQ(dir_.read("out.txt"), "    1\r\n    2\r\n");
}

struct WriteMismatchCase {
  const Pattern& pattern;
  Item item;
  const char* report;
};

// A field that does not suit its item ends the run; the file keeps the complete records
// written before.
TEST_F(StatementTest, WriteKindMismatch) {
  const WriteMismatchCase cases[] = {
      {PAT_BLOOD, 1,
       "\r\nrun-time error E6207: WRITE(out.txt)\r\n- I edit descriptor expected for INTEGER\r\n"},
      {PAT_TRAIT, 0.5f,
       "\r\nrun-time error E6206: WRITE(out.txt)\r\n"
       "- E, F, D or G edit descriptor expected for REAL\r\n"},
      {PAT_IDS, std::string("x"),
       "\r\nrun-time error E6205: WRITE(out.txt)\r\n"
       "- A edit descriptor expected for CHARACTER\r\n"},
  };
  for (const WriteMismatchCase& c : cases) {
    io_->units.open(kUnit, "out.txt", Form::kFormatted, OpenIntent::kOutput);
    RecordStatement statement(io_->units);
    statement.begin_statement(kUnit, PAT_NAME12, Direction::kWrite);
    statement.transfer(std::string_view("kept"));
    statement.end_statement();
    statement.begin_statement(kUnit, c.pattern, Direction::kWrite);
    try {
      transfer_item(statement, c.item);
      ADD_FAILURE() << "no error for " << c.report;
    } catch (const RunError& error) {
      EXPECT_EQ(error.report(), c.report);
    }
    io_->units.close(kUnit);
    EXPECT_EQ(dir_.read("out.txt"), "        kept\r\n") << c.report;
    ::unlink((dir_.path() + "/out.txt").c_str());
  }
}

// ---------------------------------------------------------------------------------------
// Reading

// One read statement: its pattern and its targets, one letter each: 'b' 8-bit, 'h' 16-bit,
// 'i' 32-bit integer, 'f' real, 'a' an array of 10 reals, 'n' 20 characters, 't' 12
// characters, 's' 8 characters.
struct Read {
  const Pattern& pattern;
  std::string targets;
};

// Reads `reads` from data.txt holding `bytes`. The values of each statement are joined by
// blanks, statements by "|"; texts stand in brackets; a run-time error ends the result with
// "!E6501 READ(data.txt)".
std::string read_back(Units& units, const TempDir& dir, const std::string& bytes,
                      const std::vector<Read>& reads) {
  dir.write("data.txt", bytes);
  units.open(3, "data.txt", Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(units);
  std::string result;
  try {
    for (size_t r = 0; r < reads.size(); ++r) {
      if (r > 0) result += "|";
      statement.begin_statement(3, reads[r].pattern, Direction::kRead);
      for (size_t t = 0; t < reads[r].targets.size(); ++t) {
        if (t > 0) result += " ";
        switch (reads[r].targets[t]) {
          case 'b': {
            int8_t value = 99;
            statement.transfer(&value);
            result += std::to_string(value);
            break;
          }
          case 'h': {
            int16_t value = 99;
            statement.transfer(&value);
            result += std::to_string(value);
            break;
          }
          case 'i': {
            int32_t value = 99;
            statement.transfer(&value);
            result += std::to_string(value);
            break;
          }
          case 'f': {
            float value = 99;
            statement.transfer(&value);
            char text[32];
            result.append(text, std::to_chars(text, text + sizeof text, value).ptr);
            break;
          }
          case 'a': {
            // On a failure, the elements stored before it are shown, then the error.
            std::array<float, 10> values;
            values.fill(std::numeric_limits<float>::quiet_NaN());
            const auto show = [&] {
              for (size_t v = 0; v < values.size() && !std::isnan(values[v]); ++v) {
                char text[32];
                result.append(text, std::to_chars(text, text + sizeof text, values[v]).ptr);
                result += v + 1 < values.size() ? " " : "";
              }
            };
            try {
              statement.transfer(std::span<float>(values));
            } catch (const RunError&) {
              show();
              throw;
            }
            show();
            break;
          }
          default: {
            const size_t length = reads[r].targets[t] == 'n'   ? 20
                                  : reads[r].targets[t] == 't' ? 12
                                                               : 8;
            std::string value(length, '?');
            statement.transfer(std::span<char>(value));
            result += "[" + value + "]";
          }
        }
      }
      statement.end_statement();
    }
  } catch (const RunError& error) {
    const std::string report = error.report();
    // "\r\nrun-time error E6501: READ(data.txt)\r\n- ..." -> "!E6501 READ(data.txt)"
    const size_t begin = report.find('E');
    const size_t end = report.find('\r', begin);
    std::string line = report.substr(begin, end - begin);
    line.erase(line.find(':'), 1);
    result += "!" + line;
  }
  units.close(3);
  return result;
}

// A 20-character text as read_back shows it: the characters, blanks, brackets.
std::string name20(const std::string& text) {
  return "[" + text + std::string(20 - text.size(), ' ') + "]";
}

// Ten E12.4 fields as the system writes them.
const std::string kWrittenFractions =
    "   .5000E+00   .2500E+00   .1250E+00  -.5000E+00   .0000E+00   .1000E+01   .1234E-03"
    "   .1000E+07   .5000E-01   .7500E+00";

struct ReadCase {
  const char* name;
  std::string bytes;
  std::vector<Read> reads;
  std::string expected;
};

TEST_F(StatementTest, Reads) {
  const ReadCase cases[] = {
      // Numeric fields.
      {"counts", "   12    3\n", {{PAT_COUNTS, "ii"}}, "12 3"},
      {"line too short for the second field", "12\n", {{PAT_COUNTS, "ii"}}, "12 0"},
      {"blanks inside a field", " 1 2 \n", {{PAT_COUNTS, "i"}}, "12"},
      {"tabs inside a field", "\t1\t2\n", {{PAT_COUNTS, "i"}}, "12"},
      {"commas end fields", "1,2,-3\n", {{PAT_COUNTS, "iii"}}, "1 2 -3"},
      {"empty fields between commas", ",,5\n", {{PAT_COUNTS, "iii"}}, "0 0 5"},
      {"comma right after a full field", "12345,6\n", {{PAT_COUNTS, "iii"}}, "12345 0 6"},
      {"I5 takes five columns", "9999999999\n", {{PAT_COUNTS, "ii"}}, "99999 99999"},
      {"16-bit overflow", "99999\n", {{PAT_COUNTS, "h"}}, "!E6100 READ(data.txt)"},
      {"pedigree record",
       "    1    2    0    0    1    2JOHN SMITH  extra\n",
       {{PAT_PEDREC, "hhhhbbt"}},
       "1 2 0 0 1 2 [JOHN SMITH  ]"},
      {"short INI_ID",
       "    1    2    0    0    1    2AB\n",
       {{PAT_PEDREC, "hhhhbbt"}},
       "1 2 0 0 1 2 [AB          ]"},
      {"race -127", "    1    2    0    0 -127    2\n", {{PAT_PEDREC, "hhhhbb"}}, "1 2 0 0 -127 2"},
      {"race -128",
       "    1    2    0    0 -128    2\n",
       {{PAT_PEDREC, "hhhhbb"}},
       "1 2 0 0 !E6100 READ(data.txt)"},
      {"race 128",
       "    1    2    0    0  128    2\n",
       {{PAT_PEDREC, "hhhhbb"}},
       "1 2 0 0 !E6100 READ(data.txt)"},
      {"invalid integer", "    1   x2\n", {{PAT_COUNTS, "ii"}}, "1 !E6101 READ(data.txt)"},
      {"two radix marks", "1#2#3\n", {{PAT_COUNTS, "i"}}, "!E6302 READ(data.txt)"},
      {"illegal radix", "37#1\n", {{PAT_COUNTS, "i"}}, "!E6303 READ(data.txt)"},
      {"fractions", "      0.5000      0.2500\n", {{PAT_BLOODREC, "fff"}}, "0.5 0.25 0"},
      {"implied decimals", "        5000\n", {{PAT_BLOODREC, "f"}}, "0.5"},
      {"array of written fractions",
       kWrittenFractions + "\n",
       {{PAT_BLOODREC, "a"}},
       "0.5 0.25 0.125 -0.5 0 1 0.0001234 1e+06 0.05 0.75"},
      {"invalid real", "       1.2.3\n", {{PAT_BLOODREC, "f"}}, "!E6103 READ(data.txt)"},
      {"real overflow", "       1.E39\n", {{PAT_BLOODREC, "f"}}, "!E6104 READ(data.txt)"},
      {"15 fractions take two lines",
       "1.,2.,3.,4.,5.,6.,7.,8.,9.,10.\n11.,12.,13.,14.,15.\n    7\n",
       {{PAT_BLOODREC, std::string(15, 'f')}, {PAT_COUNTS, "i"}},
       "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15|7"},
      {"a statement without items consumes a line",
       "not read\n    7\n",
       {{PAT_BLOODREC, ""}, {PAT_COUNTS, "i"}},
       "|7"},
      {"rest of a long line skipped",
       "    1    2 and more\n    3\n",
       {{PAT_COUNTS, "i"}, {PAT_COUNTS, "i"}},
       "1|3"},
      // Text fields.
      {"name of 8 characters", "peds.dat\n", {{PAT_NAME20, "n"}}, name20("peds.dat")},
      {"name of 25 characters",
       "abcdefghijklmnopqrstuvwxy\n",
       {{PAT_NAME20, "n"}},
       "[abcdefghijklmnopqrst]"},
      {"A20 into 8 characters keeps the last 8",
       "abcdefghijklmnopqrst\n",
       {{PAT_NAME20, "s"}},
       "[mnopqrst]"},
      {"comma and tab are data in a text field", "a,b\tc\n", {{PAT_NAME20, "n"}}, name20("a,b\tc")},
      // Line ends.
      {"CR LF", "   12    3\r\n    4\r\n", {{PAT_COUNTS, "ii"}, {PAT_COUNTS, "i"}}, "12 3|4"},
      {"CR LF in a text field", "abc\r\n", {{PAT_NAME20, "n"}}, name20("abc")},
      {"last line without LF", "   12\n    4", {{PAT_COUNTS, "i"}, {PAT_COUNTS, "i"}}, "12|4"},
      {"last line ending in CR alone", "abc\r", {{PAT_NAME20, "n"}}, name20("abc")},
      {"lone CR is a character of a text field", "a\rb\n", {{PAT_NAME20, "n"}}, name20("a\rb")},
      {"only the CR before LF is the line end", "a\r\r\n", {{PAT_NAME20, "n"}}, name20("a\r")},
      {"lone CR in a numeric field",
       "    1\r   2\n",
       {{PAT_COUNTS, "ii"}},
       "1 !E6101 READ(data.txt)"},
      {"empty line reads zeros", "\n    5\n", {{PAT_COUNTS, "ii"}, {PAT_COUNTS, "i"}}, "0 0|5"},
      {"empty line reads blanks", "\r\n", {{PAT_NAME20, "n"}}, name20("")},
      // End of file.
      {"empty file", "", {{PAT_COUNTS, "i"}}, "!E6501 READ(data.txt)"},
      {"empty file without items", "", {{PAT_BLOODREC, ""}}, "!E6501 READ(data.txt)"},
      {"no record after a final LF",
       "    4\n",
       {{PAT_COUNTS, "i"}, {PAT_COUNTS, "i"}},
       "4|!E6501 READ(data.txt)"},
      {"reversion past the last line",
       "1.,2.\n",
       {{PAT_BLOODREC, std::string(11, 'f')}},
       "1 2 0 0 0 0 0 0 0 0 !E6501 READ(data.txt)"},
      // Ctrl-Z: end of file inside a numeric field, wherever it stands; data in a text field.
      {"Ctrl-Z in a numeric field",
       "  1\x1a"
       "2\n",
       {{PAT_COUNTS, "i"}},
       "!E6501 READ(data.txt)"},
      {"Ctrl-Z line before more data",
       "    1\n\x1a\n    3\n",
       {{PAT_COUNTS, "i"}, {PAT_COUNTS, "i"}},
       "1|!E6501 READ(data.txt)"},
      {"Ctrl-Z in a real field", "      0.5\x1a\n", {{PAT_BLOODREC, "f"}}, "!E6501 READ(data.txt)"},
      {"Ctrl-Z after the fields read", "    1\x1a\n", {{PAT_COUNTS, "i"}}, "1"},
      {"Ctrl-Z in a text field", "ab\x1a\n", {{PAT_NAME20, "n"}}, name20("ab\x1a")},
      // A field kind that does not suit the target.
      {"integer field for a real", "    1\n", {{PAT_COUNTS, "f"}}, "!E6206 READ(data.txt)"},
      {"text field for an integer", "    1\n", {{PAT_NAME20, "i"}}, "!E6207 READ(data.txt)"},
      {"integer field for a text", "    1\n", {{PAT_COUNTS, "n"}}, "!E6205 READ(data.txt)"},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(read_back(io_->units, dir_, c.bytes, c.reads), c.expected) << c.name;
  }
}

// Records that cross the reader's blocks, with the CR and LF of a line end in different
// blocks.
TEST_F(StatementTest, LongRecords) {
  for (size_t length : {65535u, 65536u, 200000u}) {
    const std::string line(length, 'x');
    const std::string bytes = line + "\r\n" + line + "\n    9\n";
    EXPECT_EQ(read_back(io_->units, dir_, bytes,
                        {{PAT_NAME20, "s"}, {PAT_NAME20, "s"}, {PAT_COUNTS, "i"}}),
              "[xxxxxxxx]|[xxxxxxxx]|9")
        << length;
  }
}

// Reads a blank line then `text`, one statement per record and more past them, into the
// targets of a pedigree record (`fractions` 0) or into `fractions` reals through
// PAT_BLOODREC: by read_statement() when `whole`, else item by item. Shows, for each
// statement, its targets, each set to a sentinel first, reals by their bits, and the code
// of its error. The blank line takes the first statement, which finds the unit's block
// still empty and so never takes the whole-record road.
std::string read_by_road(Units& units, const TempDir& dir, const std::string& text,
                         size_t fractions, bool whole) {
  const std::string bytes = "\n" + text;
  dir.write("data.txt", bytes);
  units.open(3, "data.txt", Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(units);
  const auto read = [&](const Pattern& pattern, auto... targets) {
    if (whole) return read_statement(statement, 3, pattern, targets...);
    statement.begin_statement(3, pattern, Direction::kRead);
    (statement.transfer(targets), ...);
    statement.end_statement();
  };
  std::string result;
  for (auto s = std::count(bytes.begin(), bytes.end(), '\n') + 2; s > 0; --s) {
    std::array<int16_t, 4> ids;
    ids.fill(std::numeric_limits<int16_t>::min());
    std::array<int8_t, 2> codes;
    codes.fill(std::numeric_limits<int8_t>::min());
    std::array<char, 12> ini_id;
    ini_id.fill('?');
    std::array<float, 10> reals;
    reals.fill(std::numeric_limits<float>::quiet_NaN());
    std::string error_code;
    try {
      if (fractions == 0) {
        read(PAT_PEDREC, &ids[0], &ids[1], &ids[2], &ids[3], &codes[0], &codes[1],
             std::span<char>(ini_id));
      } else {
        read(PAT_BLOODREC, std::span<float>(reals.data(), fractions));
      }
    } catch (const RunError& error) {
      error_code = " !" + std::string(error_code_text(error.code));
    }
    if (fractions == 0) {
      for (int value : ids) result += std::to_string(value) + " ";
      for (int value : codes) result += std::to_string(value) + " ";
      result += "[" + std::string(ini_id.data(), ini_id.size()) + "]";
    }
    for (size_t i = 0; i < fractions; ++i) {
      char bits[16];
      std::snprintf(bits, sizeof bits, "%08x ", std::bit_cast<uint32_t>(reals[i]));
      result += bits;
    }
    result += error_code + "|";
  }
  units.close(3);
  return result;
}

struct RoadCase {
  const char* name;
  std::string text;
};

// read_statement() stores what the items one by one store, fails where and as they fail,
// and leaves the unit on the same record, whatever the records.
TEST_F(StatementTest, WholeReadStatementsReadAsItemByItem) {
  const std::string p = "    1    2    0    0    1    2JOHN SMITH  ";  // all 42 columns
  const std::string& f = kWrittenFractions;                            // all 120 columns
  // `record` with its first columns replaced by `start`.
  const auto starting = [](const std::string& start, const std::string& record) {
    return start + record.substr(start.size());
  };
  // `lines` beginning `before_end` bytes before the end of the unit's first block.
  const auto near_block_end = [](size_t before_end, const std::string& lines) {
    return std::string(65536 - 2 - before_end, ' ') + "\n" + lines;
  };
  const RoadCase cases[] = {
      {"plain records", p + "\n" + p + "\n" + f + "\n" + f + "\n"},
      {"pedigree lines cut short", p.substr(0, 27) + "\n" + p.substr(0, 36) + "\n" +
                                       p.substr(0, 30) + "\n" + p.substr(0, 20) + "\n\n" + p +
                                       "\n"},
      {"fraction lines cut short",
       f.substr(0, 30) + "\n" + f.substr(0, 36) + "\n" + f.substr(0, 119) + "\n" + f + "\n"},
      {"CR LF", p + "\r\n" + f + "\r\n" + p.substr(0, 41) + "\r\n" + f.substr(0, 119) + "\r\n" +
                    p.substr(0, 30) + "\r\n" + p + "\r\n"},
      {"CR past the columns and CR as data",
       p + "\rx\n" + p.substr(0, 41) + "\rx\n" + f + "\r\r\n" + p + "\n"},
      {"text past the columns", p + "extra\n" + f + "   .5000E+00\n" + p + "  \r\n"},
      {"signs", starting("   +1   -2   -0   +0  +12   -1", p) + "\n" +
                    starting("  +.5000E+00  -.0000E+00   -.5000E+00", f) + "\n" + p + "\n"},
      {"lone signs", starting("    -    +", p) + "\n" +
                         starting("    1    2    0    0    1    -", p) + "\n" +
                         starting("           -           +", f) + "\n" + p + "\n"},
      {"blanks and tabs inside digits",
       starting("    1  2 3    0    0 1  1", p) + "\n" + starting("\t1\t2", p) + "\n" +
           starting("   .50 0E+00", f) + "\n" + starting("   .5000E+00   .5000E 00", f) + "\n" + p +
           "\n"},
      {"commas", starting("    1,2,3", p) + "\n" +
                     starting("    1    2    0    0    1    2JO,N", p) + "\n" +
                     starting("0.5,0.25,", f) + "\n" + p + "\n"},
      {"Ctrl-Z", starting("    1    2\x1a", p) + "\n" +
                     starting("    1    2    0    0    1    2J\x1a", p) + "\n" + p + "\x1a\n" +
                     starting("   .5000E+00   .25\x1a", f) + "\n" + p + "\n"},
      {"integer ranges", starting("32767-9999", p) + "\n" + starting("32768", p) + "\n" +
                             starting("    1    299999", p) + "\n" +
                             starting("    1    2    0    0  127 -127", p) + "\n" +
                             starting("    1    2    0    0 -128", p) + "\n" +
                             starting("    1    2    0    0    1  128", p) + "\n" + p + "\n"},
      {"fractions in other forms",
       starting("         1.5"
                "1.5         "
                "    .5000E+0"
                "   .1234E-09"
                "  -.1000E+01"
                "   .9999E+14"
                "   .9999E+15"
                "   .1000E-06"
                "   .1000E-07"
                "  0.5000E+00",
                f) +
           "\n" + starting("   .5000e+00   .5000D+00   .5000+001   .1000E+40", f) + "\n" + f +
           "\n"},
      {"fractions as people write them",
       starting("      0.5000         1.0    -0.25000    0.009234  0.00001144"
                "          .5          5.      +0.125",
                f) +
           "\n" + starting("         0.0       0.5 0.1.2", f) + "\n" + f + "\n"},
      {"record across the block end", near_block_end(20, p + "\n" + p + "\n")},
      {"fractions across the block end", near_block_end(20, f + "\n" + f + "\n")},
      {"LF last in the block", near_block_end(p.size() + 1, p + "\n" + p + "\n")},
      {"CR last in the block", near_block_end(p.size() + 1, p + "\r\n" + p + "\n")},
      {"last pedigree line without LF", p + "\n" + p},
      {"last fraction line without LF", f + "\n" + f},
      {"last line ending in CR", p + "\n" + p + "\r"},
      {"last line cut short without LF", p + "\n" + p.substr(0, 30)},
  };
  for (const RoadCase& c : cases) {
    for (size_t fractions : {0, 3, 10}) {
      const std::string items = read_by_road(io_->units, dir_, c.text, fractions, false);
      const std::string whole = read_by_road(io_->units, dir_, c.text, fractions, true);
      EXPECT_EQ(whole, items) << c.name << ", " << fractions
                              << " fractions: " << first_difference(items, whole);
    }
  }
}

// A read statement takes the record breaks that follow its last item, the statement read
// whole as much as the one read item by item.
TEST_F(StatementTest, RecordBreaksAfterTheLastItem) {
  static constexpr Element kBreakAfter[] = {integer_field(1, 5), record_break()};
  const Pattern break_after{kBreakAfter};
  dir_.write("data.txt", "    1\n    2\n    3\n    4\n");
  io_->units.open(3, "data.txt", Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(io_->units);
  int32_t first = 0, second = 0;
  read_statement(statement, 3, break_after, &first);
  statement.begin_statement(3, break_after, Direction::kRead);
  statement.transfer(&second);
  statement.end_statement();
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 3);
  io_->units.close(3);
}

// A conversion error names the statement and the unit's file, and stores nothing.
TEST_F(StatementTest, ConversionErrorReport) {
  dir_.write("peds.dat", "    1    2    0    0 -128\n");
  io_->units.open(3, "  peds.dat  ", Form::kFormatted, OpenIntent::kInput);
  RecordStatement statement(io_->units);
  statement.begin_statement(3, PAT_PEDREC, Direction::kRead);
  int16_t values[4];
  for (int16_t& value : values) statement.transfer(&value);
  int8_t race = 42;
  try {
    statement.transfer(&race);
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.code, ErrorCode::kIntegerOverflow);
    EXPECT_EQ(error.statement, StatementKind::kRead);
    EXPECT_EQ(error.file, "peds.dat");
    EXPECT_EQ(error.report(),
              "\r\nrun-time error E6100: READ(peds.dat)\r\n- INTEGER overflow on input\r\n");
  }
  EXPECT_EQ(race, 42);
}

}  // namespace
}  // namespace pedpeel
