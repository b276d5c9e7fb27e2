// Whole runs of the driver in a scratch directory: the control file, the names it gives,
// blank names, missing files, the options, and the loop report on standard error.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "pedigree/input_writer.h"
#include "records/version.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

using pedpeel::testing::first_difference;
using pedpeel::testing::RunResult;
using pedpeel::testing::TempDir;

// A population of one family: two founders and their child, two races.
const char kPedigreeFile[] =
    "    3\n"
    "    1    1    0    0    1    1FATHER      \n"
    "    1    2    0    0    1    2MOTHER      \n"
    "    1    3    1    2    1    1CHILD       \n";
const char kBloodFile[] =
    "    3    2\n"
    "      1.0000\n"
    "      1.0000\n"
    "      1.0000\n";

const char kPrompt[] = "File name missing or blank - please enter file name\r\nUNIT 3? ";

std::string report(const std::string& code_and_statement, const std::string& message) {
  return "\r\nrun-time error " + code_and_statement + "\r\n- " + message + "\r\n";
}

struct DriverCase {
  const char* name;
  std::optional<std::string> control;  // input1.dat; none when missing
  std::string pedigree_name;           // where the pedigree file is put; "" for nowhere
  std::string blood_name;              // where the BLOOD file is put; "" for nowhere
  std::vector<std::string> arguments;
  std::string input;
  int status;
  std::string out;
  std::string err;
  bool as_process = false;  // run the executable rather than in-process
  std::string pedigree_bytes = kPedigreeFile;
};

TEST(DriverTest, Runs) {
  const std::string eof_control = report("E6501: READ(input1.dat)", "end of file encountered");
  const DriverCase cases[] = {
      {"plain names", "peds.dat\nblood.dat\n", "peds.dat", "blood.dat", {}, "", 0, "", "", true},
      {"leading blanks, CR LF, text after column 20",
       "  peds.dat\r\n   blood.dat        ignored\r\n",
       "peds.dat",
       "blood.dat",
       {},
       "",
       0,
       "",
       ""},
      {"inner blank kept",
       "my peds.dat\nmy blood.dat\n",
       "my peds.dat",
       "my blood.dat",
       {},
       "",
       0,
       "",
       ""},
      {"20-character names",
       "pppppppppppppppp.dat\nbbbbbbbbbbbbbbbb.dat\n",
       "pppppppppppppppp.dat",
       "bbbbbbbbbbbbbbbb.dat",
       {},
       "",
       0,
       "",
       ""},
      {"25-character records give 20-character names",
       "pppppppppppppppp.datXXXXX\nbbbbbbbbbbbbbbbb.dat.old\n",
       "pppppppppppppppp.dat",
       "bbbbbbbbbbbbbbbb.dat",
       {},
       "",
       0,
       "",
       ""},
      {"records after the second are not read",
       "peds.dat\nblood.dat\n\x1a 1#2#3\n",
       "peds.dat",
       "blood.dat",
       {},
       "",
       0,
       "",
       ""},
      {"arguments unused when no name is blank",
       "peds.dat\nblood.dat\n",
       "peds.dat",
       "blood.dat",
       {"other.dat"},
       "",
       0,
       "",
       ""},
      {"control file names starting with '-'",
       "-peds.dat\n-blood.dat\n",
       "-peds.dat",
       "-blood.dat",
       {},
       "",
       0,
       "",
       ""},
      {"blank name from an argument written ./-name",
       "\nblood.dat\n",
       "-peds.dat",
       "blood.dat",
       {"./-peds.dat"},
       "",
       0,
       "",
       ""},
      // Control files too short.
      {"one-record control file",
       "peds.dat\n",
       "peds.dat",
       "blood.dat",
       {},
       "",
       1,
       "",
       eof_control},
      {"one record without a line end",
       "peds.dat",
       "peds.dat",
       "blood.dat",
       {},
       "",
       1,
       "",
       eof_control},
      {"empty control file", "", "peds.dat", "blood.dat", {}, "", 1, "", eof_control},
      // Missing files are reported at their open and never created.
      {"missing control file",
       std::nullopt,
       "peds.dat",
       "blood.dat",
       {},
       "",
       1,
       "",
       report("E6416: OPEN(input1.dat)", "file not found")},
      {"missing pedigree file",
       "peds.dat\nblood.dat\n",
       "",
       "blood.dat",
       {},
       "",
       1,
       "",
       report("E6416: OPEN(peds.dat)", "file not found"),
       true},
      {"missing BLOOD file",
       "peds.dat\nblood.dat\n",
       "peds.dat",
       "",
       {},
       "",
       1,
       "",
       report("E6416: OPEN(blood.dat)", "file not found")},
      {"pedigree file shorter than its count",
       "peds.dat\nblood.dat\n",
       "peds.dat",
       "blood.dat",
       {},
       "",
       1,
       "",
       report("E6501: READ(peds.dat)", "end of file encountered"),
       false,
       std::string("    4") + (kPedigreeFile + 5)},
      // Blank names: the arguments in order, then the prompt.
      {"blank name from the argument",
       "\nblood.dat\n",
       "peds.dat",
       "blood.dat",
       {"peds.dat"},
       "",
       0,
       "",
       ""},
      {"name field of blanks, argument trimmed",
       "                    \nblood.dat\n",
       "peds.dat",
       "blood.dat",
       {"  peds.dat  "},
       "",
       0,
       "",
       ""},
      {"a name that starts with '-', after --",
       "\nblood.dat\n",
       "-peds.dat",
       "blood.dat",
       {"--", "-peds.dat"},
       "",
       0,
       "",
       ""},
      {"empty and blank arguments are skipped",
       "\nblood.dat\n",
       "peds.dat",
       "blood.dat",
       {"", "   ", "peds.dat"},
       "",
       0,
       "",
       ""},
      {"second blank name after the arguments prompts",
       "\n\n",
       "peds.dat",
       "blood.dat",
       {"peds.dat"},
       "blood.dat\n",
       0,
       kPrompt,
       ""},
      {"blank name answered on standard input",
       "\nblood.dat\n",
       "peds.dat",
       "blood.dat",
       {},
       "  peds.dat\r\n",
       0,
       kPrompt,
       ""},
      {"blank answer prompts again",
       "\nblood.dat\n",
       "peds.dat",
       "blood.dat",
       {},
       "\npeds.dat",
       0,
       std::string(kPrompt) + kPrompt,
       ""},
      {"end of standard input at the prompt",
       "\nblood.dat\n",
       "peds.dat",
       "blood.dat",
       {},
       "",
       1,
       kPrompt,
       report("E6501: READ(stdin)", "end of file encountered"),
       true},
  };
  for (const DriverCase& c : cases) {
    TempDir dir;
    std::set<std::string> expected_files;
    if (c.control) {
      dir.write("input1.dat", *c.control);
      expected_files.insert("input1.dat");
    }
    if (!c.pedigree_name.empty()) {
      dir.write(c.pedigree_name, c.pedigree_bytes);
      expected_files.insert(c.pedigree_name);
    }
    if (!c.blood_name.empty()) {
      dir.write(c.blood_name, kBloodFile);
      expected_files.insert(c.blood_name);
    }
    if (c.status == 0) expected_files.insert({"VOLMA.DAT", "def.err", "iway.IVM", "iway.IWA"});

    const RunResult result = c.as_process ? testing::run_program(dir, c.arguments, c.input)
                                          : testing::run_in_process(dir, c.arguments, c.input);
    EXPECT_EQ(result.status, c.status) << c.name << "\n" << result.err;
    EXPECT_EQ(result.out, c.out) << c.name << ": " << first_difference(c.out, result.out);
    EXPECT_EQ(result.err, c.err) << c.name << ": " << first_difference(c.err, result.err);
    const std::vector<std::string> entries = dir.entries();
    EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()), expected_files) << c.name;
    if (c.status == 0) {
      // The population was read from the files named: three individuals, two races.
      EXPECT_EQ(result.files.at("VOLMA.DAT").substr(0, 12), "    3    2\r\n") << c.name;
      EXPECT_EQ(result.files.at("def.err"), "") << c.name;
    }
  }
}

std::string usage_text() {
  TempDir dir;
  return testing::run_in_process(dir, {"--help"}).out;
}

// An option is answered before any file is opened: help and version anywhere before `--`
// (the first one given), else any argument starting with '-' there is an unknown option. The run
// directory is left as it was, with or without a population in it.
TEST(DriverTest, Options) {
  const std::string usage = usage_text();
  const std::string version = "pedpeel " + std::string(kProjectVersion) + "\n";
  const auto unknown = [&](const std::string& option) {
    return "pedpeel: unknown option '" + option + "'\n" + usage;
  };
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string out;
    std::string err;
    bool as_process = false;
  } cases[] = {
      {{"--help"}, 0, usage, "", true},
      {{"-h"}, 0, usage, ""},
      {{"--version"}, 0, version, "", true},
      {{"peds.dat", "--help"}, 0, usage, ""},
      {{"--help", "x"}, 0, usage, ""},
      {{"--verbose", "--help"}, 0, usage, ""},
      {{"--version", "-h"}, 0, version, ""},
      {{"-h", "--version"}, 0, usage, ""},
      {{"--verbose"}, 2, "", unknown("--verbose"), true},
      {{"-"}, 2, "", unknown("-")},
      {{"peds.dat", "-x", "--also"}, 2, "", unknown("-x")},
      {{"--help=yes"}, 2, "", unknown("--help=yes")},
      {{"-H"}, 2, "", unknown("-H")},
      {{"-x", "--", "--help"}, 2, "", unknown("-x")},
  };
  for (const auto& c : cases) {
    for (const bool with_files : {false, true}) {
      const std::string label = c.arguments.front() + (with_files ? ", with files" : "");
      TempDir dir;
      if (with_files) {
        // The pedigree file's name is blank: a run would take an argument for it.
        dir.write("input1.dat", "\nblood.dat\n");
        dir.write("peds.dat", kPedigreeFile);
        dir.write("blood.dat", kBloodFile);
      }
      const std::vector<std::string> before = dir.entries();
      const RunResult result = c.as_process ? testing::run_program(dir, c.arguments)
                                            : testing::run_in_process(dir, c.arguments);
      EXPECT_EQ(result.status, c.status) << label;
      EXPECT_EQ(result.out, c.out) << label << ": " << first_difference(c.out, result.out);
      EXPECT_EQ(result.err, c.err) << label << ": " << first_difference(c.err, result.err);
      EXPECT_EQ(dir.entries(), before) << label;
    }
  }
  // The usage text names what the program reads and writes, the options and the statuses.
  for (const char* word : {"input1.dat", "VOLMA.DAT", "def.err", "iway.IWA", "iway.IVM", "--help",
                           "-h", "--version", "./-name", "0", "1", "2"}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
}

// `pedigrees` trios, then a pedigree of a cousin mating that neither pass can take apart.
std::vector<IndividualRecord> trios_then_cousin_loop(int pedigrees) {
  std::vector<IndividualRecord> rows;
  const auto add = [&](int pedigree, int id, int first_parent, int second_parent, int sex) {
    IndividualRecord row;
    row.IPED = static_cast<int16_t>(pedigree);
    row.ID = static_cast<int16_t>(id);
    row.IPAR1 = static_cast<int16_t>(first_parent);
    row.IPAR2 = static_cast<int16_t>(second_parent);
    row.RACE = 1;
    row.SEX = static_cast<int8_t>(sex);
    row.INI_ID.fill(' ');
    rows.push_back(row);
  };
  for (int p = 1; p <= pedigrees; ++p) {
    add(p, 1, 0, 0, 1);
    add(p, 2, 0, 0, 2);
    add(p, 3, 1, 2, 1);
  }
  const int loop = pedigrees + 1;
  add(loop, 1, 0, 0, 1);
  add(loop, 2, 0, 0, 2);
  add(loop, 5, 0, 0, 2);
  add(loop, 7, 0, 0, 1);
  add(loop, 3, 1, 2, 1);
  add(loop, 4, 1, 2, 2);
  add(loop, 6, 3, 5, 1);
  add(loop, 8, 7, 4, 2);
  add(loop, 9, 6, 8, 1);
  return rows;
}

// A loop report is said on standard error too, with the pedigree number in full where
// def.err's three columns cannot hold it; the status stays 2 and nothing else is printed.
TEST(DriverTest, LoopReportOnStandardError) {
  const struct {
    int trios;  // pedigrees before the one with the loop
    std::string def_err_first_line;
    std::string err;
    bool as_process;
  } cases[] = {
      {0, " PEDIGREE   1 contains LOOP\r\n",
       "pedpeel: pedigree 1 has a loop that cannot be taken apart; see def.err\n", true},
      {998, " PEDIGREE 999 contains LOOP\r\n",
       "pedpeel: pedigree 999 has a loop that cannot be taken apart; see def.err\n", false},
      {999, " PEDIGREE *** contains LOOP\r\n",
       "pedpeel: pedigree 1000 has a loop that cannot be taken apart; see def.err\n", false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    ASSERT_EQ(write_input_files(dir.path(), trios_then_cousin_loop(c.trios), 1), "");
    const RunResult result =
        c.as_process ? testing::run_program(dir) : testing::run_in_process(dir);
    EXPECT_EQ(result.status, 2) << c.err;
    EXPECT_EQ(result.out, "") << c.err;
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.files.at("def.err").substr(0, c.def_err_first_line.size()),
              c.def_err_first_line);
  }
}

}  // namespace
}  // namespace pedpeel
