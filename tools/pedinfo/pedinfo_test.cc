#include "tools/pedinfo/pedinfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <tuple>

#include "testing/temp_run.h"
#include "tools/pedinfo/json_writer.h"
#include "tools/pedinfo/test_files.h"

namespace pedpeel::pedinfo {
namespace {

using pedpeel::testing::TempDir;
using testing::ped_record;

struct PedinfoRun {
  int status;
  std::string out;
  std::string err;
};

PedinfoRun pedinfo(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  const int status = run_pedinfo(arguments, out, err);
  return {status, out.str(), err.str()};
}

const std::string kExample = PEDINFO_TEST_DATA "/example";

TEST(PedinfoTest, HelpOfEveryCommand) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--help"}, "usage: pedinfo COMMAND [ARGUMENTS]"},
      {{"check", "--help"}, "usage: pedinfo check [DIR] [--json] [--ids FILE]"},
      {{"dump", "-h"}, "usage: pedinfo dump FILE [--json] [--ids FILE]"},
      {{"find", "--help"}, "usage: pedinfo find DIR ID... [--json]"},
      {{"draw", "--help"},
       "usage: pedinfo draw [DIR] --pedigree P [--loop] [--limit N] [--ids FILE]"},
  };
  for (const auto& [arguments, first_line] : cases) {
    const PedinfoRun run = pedinfo(arguments);
    EXPECT_EQ(run.status, kNothingToReport);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), first_line);
    EXPECT_EQ(run.err, "");
  }
}

TEST(PedinfoTest, UsageErrorsAreOneLineAndStatusTwo) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "pedinfo: a command is needed\ntry 'pedinfo --help'\n"},
      {{"frob"}, "pedinfo: unknown command 'frob'\ntry 'pedinfo --help'\n"},
      {{"check", "--jsn"}, "pedinfo: check: unknown option '--jsn'\ntry 'pedinfo --help'\n"},
      {{"check", "a", "b"}, "pedinfo: check: unexpected argument 'b'\ntry 'pedinfo --help'\n"},
      {{"dump"}, "pedinfo: dump needs the name of an iway.IWA file\ntry 'pedinfo --help'\n"},
      {{"dump", "/nonexistent/iway.IWA"},
       "pedinfo dump: /nonexistent/iway.IWA: No such file or directory\n"},
      {{"dump", "--", "-iway.IWA"}, "pedinfo dump: -iway.IWA: No such file or directory\n"},
      {{"draw", kExample},
       "pedinfo: draw needs --pedigree P or --around ID\ntry 'pedinfo --help'\n"},
      {{"draw", "--pedigree", "0"},
       "pedinfo: draw: --pedigree needs a number from 1, not \"0\"\ntry 'pedinfo --help'\n"},
      {{"draw", "--pedigree"}, "pedinfo: draw: --pedigree needs a value\ntry 'pedinfo --help'\n"},
      {{"draw", "--loop=yes", "--pedigree=1"},
       "pedinfo: draw: --loop takes no value\ntry 'pedinfo --help'\n"},
      {{"draw", kExample, "--pedigree=3"}, "pedinfo draw: PEDS.DAT holds 2 pedigrees, not 3\n"},
      {{"check", "/nonexistent"}, "pedinfo check: /nonexistent: cannot open the directory\n"},
  };
  for (const auto& [arguments, message] : cases) {
    const PedinfoRun run = pedinfo(arguments);
    EXPECT_EQ(run.status, kUsageOrIoError) << message;
    EXPECT_EQ(run.err, message);
    EXPECT_EQ(run.out, "");
  }
}

TEST(PedinfoTest, CheckStatusAndNoFileWritten) {
  TempDir clean;
  testing::write_population(clean,
                            {ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 0, 0, 3, 2, "B"),
                             ped_record(1, 3, 1, 2, 3, 1, "C")});
  const PedinfoRun ok = pedinfo({"check", clean.path()});
  EXPECT_EQ(ok.status, kNothingToReport);
  EXPECT_EQ(ok.out, "no problems\n");
  EXPECT_EQ(clean.entries(), (std::vector<std::string>{"PEDS.DAT", "blood.dat", "input1.dat"}));

  const PedinfoRun problems = pedinfo({"check", kExample});
  EXPECT_EQ(problems.status, kProblemsReported);
  EXPECT_NE(problems.out.find("4 problems: 2 errors, 2 warnings\n"), std::string::npos);
}

TEST(PedinfoTest, CheckJson) {
  TempDir dir;
  testing::write_population(
      dir, {ped_record(1, 1, 0, 0, 3, 1, "A\"\xE9"), ped_record(1, 2, 1, 0, 3, 1, "B\\")});
  const PedinfoRun run = pedinfo({"check", "--json", dir.path()});
  EXPECT_EQ(run.status, kProblemsReported);
  EXPECT_EQ(run.out,
            "{\n"
            "  \"directory\": " +
                json_string(dir.path()) +
                ",\n"
                "  \"control_file\": \"input1.dat\",\n"
                "  \"pedigree_file\": \"PEDS.DAT\",\n"
                "  \"blood_file\": \"blood.dat\",\n"
                "  \"findings\": [\n"
                "    {\n"
                "      \"file\": \"PEDS.DAT\",\n"
                "      \"line\": 3,\n"
                "      \"severity\": \"warning\",\n"
                "      \"kind\": \"second-parent-zero\",\n"
                "      \"pedigree\": 1,\n"
                "      \"iped\": 1,\n"
                "      \"row\": 2,\n"
                "      \"id\": 2,\n"
                "      \"ini_id\": \"B\\\\\",\n"
                "      \"message\": \"IPAR1 1 given but IPAR2 is 0: pedpeel makes ID 0 the second "
                "parent of the family\"\n"
                "    }\n"
                "  ],\n"
                "  \"problems\": 1,\n"
                "  \"errors\": 0,\n"
                "  \"warnings\": 1\n"
                "}\n");
}

TEST(PedinfoTest, JsonStringsHoldOneCharacterPerByte) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""},
      {"q\"b\\", "\"q\\\"b\\\\\""},
      {"\n\r\t", "\"\\n\\r\\t\""},
      {std::string("\0\x1f\x7f", 3), "\"\\u0000\\u001F\\u007F\""},
      {"\xE9\xFF", "\"\\u00E9\\u00FF\""},
  };
  for (const auto& [bytes, json] : cases) EXPECT_EQ(json_string(bytes), json);
}

TEST(PedinfoTest, DumpStatusFollowsDamage) {
  TempDir dir;
  testing::write_population(dir, {ped_record(1, 1, 0, 0, 3, 1, "A")});
  pedpeel::testing::run_in_process(dir);
  const std::string path = dir.path() + "/iway.IWA";
  EXPECT_EQ(pedinfo({"dump", path}).status, kNothingToReport);
  const PedinfoRun json = pedinfo({"dump", "--json", path});
  EXPECT_EQ(json.status, kNothingToReport);
  EXPECT_NE(json.out.find("\"damage\": null\n}\n"), std::string::npos);

  dir.write("iway.IWA", "K");
  const PedinfoRun damaged = pedinfo({"dump", "--json", path});
  EXPECT_EQ(damaged.status, kProblemsReported);
  EXPECT_EQ(
      damaged.out,
      "{\n"
      "  \"file\": " +
          json_string(path) +
          ",\n"
          "  \"size\": 1,\n"
          "  \"header\": true,\n"
          "  \"records\": [],\n"
          "  \"trailer\": null,\n"
          "  \"damage\": {\n"
          "    \"offset\": 1,\n"
          "    \"expected\": \"a length byte 0..129 opening the first segment of record 1\",\n"
          "    \"found\": \"the end of the file\"\n"
          "  }\n"
          "}\n");
}

TEST(PedinfoTest, DrawRefusesFilesThatDoNotRead) {
  TempDir dir;
  testing::write_population(dir, "    1\n    1    x\n", testing::blood_file(1));
  const PedinfoRun run = pedinfo({"draw", dir.path(), "--pedigree", "1"});
  EXPECT_EQ(run.status, kProblemsReported);
  EXPECT_EQ(
      run.err,
      "pedinfo draw: PEDS.DAT:2: error: row 1: field ID (columns 6-10, \"    x\"): E6101 invalid "
      "INTEGER; pedpeel ends here with a run-time error (run pedinfo check)\n");
}

}  // namespace
}  // namespace pedpeel::pedinfo

namespace pedpeel::pedinfo {
namespace {

// An ids.tsv as pedprep writes it for `rows` (IPED, ID, original, copy_of), one line per
// row.
std::string ids_file(const std::vector<std::tuple<int, int, std::string, std::string>>& rows) {
  std::string text = "iped\tid\tfamily\toriginal\tsource\tcopy_of\n";
  for (const auto& [iped, id, original, copy_of] : rows) {
    text += std::to_string(iped) + "\t" + std::to_string(id) + "\therd\t" + original + "\t" +
            (copy_of.empty() ? "row" : "copy") + "\t" + copy_of + "\n";
  }
  return text;
}

TEST(PedinfoTest, IdsShowOriginalIdsBesideEveryId) {
  TempDir dir;
  testing::write_population(dir,
                            {ped_record(1, 1, 0, 0, 3, 1, "A"), ped_record(1, 2, 0, 0, 3, 2, "B"),
                             ped_record(1, 3, 1, 9, 3, 1, "C"), ped_record(2, 1, 0, 0, 3, 1, "D"),
                             ped_record(2, 2, 1, 0, 3, 1, "E")});
  dir.write("ids.tsv", ids_file({{1, 1, "SIRE-1", ""},
                                 {1, 2, "DAM-2", ""},
                                 {1, 3, "KID-3", ""},
                                 {2, 1, "OTHER-1", "run-0002/1/57"},
                                 {2, 2, "OTHER-2", ""}}));
  const std::string ids = dir.path() + "/ids.tsv";
  const PedinfoRun check = pedinfo({"check", dir.path(), "--ids", ids});
  EXPECT_EQ(check.status, kProblemsReported);
  EXPECT_EQ(
      check.out,
      "PEDS.DAT:4: warning: pedigree 1 (IPED 1), ID 3 [KID-3] \"C\": parent ID 9 (IPAR2) has no "
      "row "
      "in this pedigree: pedpeel writes it with a blank INI_ID and SEX and RACE 0\n"
      "PEDS.DAT:6: warning: pedigree 2 (IPED 2), ID 2 [OTHER-2] \"E\": IPAR1 1 [OTHER-1, copy of "
      "run-0002/1/57] "
      "given but "
      "IPAR2 is 0: pedpeel makes ID 0 the second parent of the family\n"
      "2 problems: 0 errors, 2 warnings\n");
  const PedinfoRun json = pedinfo({"check", "--json", "--ids=" + ids, dir.path()});
  EXPECT_NE(json.out.find("\"ini_id\": \"C\",\n      \"original\": \"KID-3\",\n"),
            std::string::npos)
      << json.out;

  pedpeel::testing::run_in_process(dir);
  const PedinfoRun dump = pedinfo({"dump", dir.path() + "/iway.IWA", "--ids", ids});
  EXPECT_EQ(dump.status, kNothingToReport);
  EXPECT_NE(
      dump.out.find("  MEMBERS(1..3) = 1 [SIRE-1] 9 3 [KID-3]   (family record 1)\n"
                    "  MEMBERS(4..6) = 1 [OTHER-1, copy of run-0002/1/57] 0 2 [OTHER-2]   (family "
                    "record 2)\n"),
      std::string::npos)
      << dump.out;
  const PedinfoRun dump_json = pedinfo({"dump", "--json", dir.path() + "/iway.IWA", "--ids", ids});
  EXPECT_NE(dump_json.out.find("\"originals\": [\"SIRE-1\", null, \"KID-3\", \"OTHER-1\", null, "
                               "\"OTHER-2\"],\n          \"copies_of\": [null, null, null, "
                               "\"run-0002/1/57\", null, null]"),
            std::string::npos)
      << dump_json.out;
}

TEST(PedinfoTest, IdsFileThatCannotBeUsed) {
  TempDir dir;
  testing::write_population(dir, {ped_record(1, 1, 0, 0, 3, 1, "A")});
  dir.write("ids.tsv", "iped\tid\toriginal\n1\t1\tX\n");
  const PedinfoRun run = pedinfo({"check", dir.path(), "--ids", dir.path() + "/ids.tsv"});
  EXPECT_EQ(run.status, kUsageOrIoError);
  EXPECT_EQ(run.err, "pedinfo check: " + dir.path() +
                         "/ids.tsv:1: the header line has no column \"family\" (an ids.tsv as "
                         "pedprep writes it)\n");
  EXPECT_EQ(pedinfo({"check", "--ids"}).err,
            "pedinfo: check: --ids needs a value\ntry 'pedinfo --help'\n");
}

// A runs directory as pedprep writes it: every run is checked with its own ids.tsv, files
// are named from the runs directory, and a run that cannot be read does not stop the rest.
TEST(PedinfoTest, CheckEveryRunOfARunsDirectory) {
  TempDir dir;
  for (const char* run : {"run-0001", "run-0002"}) {
    std::filesystem::create_directories(dir.path() + "/" + run);
    dir.write(std::string(run) + "/input1.dat", "PEDS.DAT\nblood.dat\n");
  }
  const std::vector<std::string> clean = {ped_record(1, 1, 0, 0, 3, 1, "A"),
                                          ped_record(1, 2, 0, 0, 3, 2, "B")};
  const std::vector<std::string> orphan = {ped_record(1, 1, 0, 0, 3, 1, "C"),
                                           ped_record(1, 2, 1, 9, 3, 2, "D")};
  dir.write("run-0001/PEDS.DAT", testing::pedigree_file(clean));
  dir.write("run-0001/blood.dat", testing::blood_file(2));
  dir.write("run-0002/PEDS.DAT", testing::pedigree_file(orphan));
  dir.write("run-0002/blood.dat", testing::blood_file(2));
  dir.write("run-0002/ids.tsv", ids_file({{1, 1, "HB-C", ""}, {1, 2, "HB-D", ""}}));
  dir.write("runs.txt", "run-0001\nrun-0002\nrun-0003\n");
  const std::string finding =
      "run-0002/PEDS.DAT:3: warning: pedigree 1 (IPED 1), ID 2 [HB-D] \"D\": parent ID 9 (IPAR2) "
      "has no "
      "row in this pedigree: pedpeel writes it with a blank INI_ID and SEX and RACE 0\n";
  const PedinfoRun missing = pedinfo({"check", dir.path()});
  EXPECT_EQ(missing.status, kUsageOrIoError);
  EXPECT_EQ(missing.out, finding +
                             "3 runs checked: 1 problem (0 errors, 1 warning) in 1 run; 1 run "
                             "could not be read in full\n");
  EXPECT_EQ(missing.err, "pedinfo check: run-0003: cannot open the directory\n");

  dir.write("runs.txt", "run-0001\nrun-0002\n");
  const PedinfoRun text = pedinfo({"check", dir.path()});
  EXPECT_EQ(text.status, kProblemsReported);
  EXPECT_EQ(text.out, finding + "2 runs checked: 1 problem (0 errors, 1 warning) in 1 run\n");
  const PedinfoRun json = pedinfo({"check", dir.path(), "--json"});
  EXPECT_EQ(json.status, kProblemsReported);
  for (const char* part : {"\"directory\": \"run-0002\"", "\"file\": \"run-0002/PEDS.DAT\"",
                           "\"original\": \"HB-D\"", "\"runs_checked\": 2", "\"warnings\": 1\n}"}) {
    EXPECT_NE(json.out.find(part), std::string::npos) << part << " in " << json.out;
  }
  EXPECT_EQ(pedinfo({"check", dir.path(), "--ids", "x"}).status, kUsageOrIoError);
}

// pedprep cut A's second mating off onto a copy (row 4): drawn around its original id, both
// rows are centres, and the copy is dashed and says what it copies.
TEST(PedinfoTest, DrawAroundAnOriginalIdWithItsCopies) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() + "/run-0001");
  // run-0002 holds one more copy, not drawn.
  std::filesystem::create_directories(dir.path() + "/run-0002");
  dir.write("run-0002/ids.tsv", ids_file({{1, 1, "HB-A", "run-0001/1/1"}}));
  dir.write("runs.txt", "run-0001\nrun-0002\n");
  dir.write("run-0001/input1.dat", "PEDS.DAT\nblood.dat\n");
  const std::vector<std::string> records = {
      ped_record(1, 1, 0, 0, 3, 1, "HB-A"), ped_record(1, 2, 0, 0, 3, 2, "HB-B"),
      ped_record(1, 3, 1, 2, 3, 2, "HB-C"), ped_record(1, 4, 0, 0, 3, 1, "HB-A~0001"),
      ped_record(1, 5, 0, 0, 3, 2, "HB-E"), ped_record(1, 6, 4, 5, 3, 1, "HB-F")};
  dir.write("run-0001/PEDS.DAT", testing::pedigree_file(records));
  dir.write("run-0001/blood.dat", testing::blood_file(6));
  dir.write("run-0001/ids.tsv", ids_file({{1, 1, "HB-A", ""},
                                          {1, 2, "HB-B", ""},
                                          {1, 3, "HB-C", ""},
                                          {1, 4, "HB-A", "run-0001/1/1"},
                                          {1, 5, "HB-E", ""},
                                          {1, 6, "HB-F", ""}}));
  const PedinfoRun run = pedinfo({"draw", dir.path(), "--around", "HB-A", "--generations=1"});
  EXPECT_EQ(run.status, kNothingToReport) << run.err;
  for (const char* part :
       {"\\naround ID 1 [HB-A] and its 1 copy in this pedigree, 1 generation of ancestors and "
        "descendants, with their mates\\n1 more row of it in other runs, not drawn: pedinfo find ",
        "\"i1\" [shape=box, label=\"1\\nHB-A\", fillcolor=\"#fff0a0\", style=\"filled\"];",
        "\"i4\" [shape=box, label=\"4\\nHB-A\\nHB-A~0001\\ncopy of run-0001/1/1\", "
        "fillcolor=\"#fff0a0\", style=\"dashed,filled\"];",
        "\"i6\" [shape=box, label=\"6\\nHB-F\"];"}) {
    EXPECT_NE(run.out.find(part), std::string::npos) << part << " in " << run.out;
  }
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"draw", kExample, "--around", "1"},
       "pedinfo draw: ID 1 is in 2 pedigrees of PEDS.DAT (the first 1): name one with "
       "--pedigree P, or give an original id with --ids\n"},
      {{"draw", kExample, "--around", "99", "--pedigree", "2"},
       "pedinfo draw: PEDS.DAT has no row for ID 99 in pedigree 2\n"},
      {{"draw", dir.path(), "--around", "HB-Z"},
       "pedinfo draw: no run of " + dir.path() + " holds the id \"HB-Z\"\n"},
      {{"draw", dir.path(), "--pedigree", "1"},
       "pedinfo: draw: " + dir.path() +
           " holds runs; name a run directory, or draw --around an original id (each run's "
           "ids.tsv is used)\ntry 'pedinfo --help'\n"},
      {{"draw", kExample, "--loop", "--around", "3"},
       "pedinfo: draw: --loop or --around, not both\ntry 'pedinfo --help'\n"},
  };
  for (const auto& [arguments, message] : refused) {
    const PedinfoRun refusal = pedinfo(arguments);
    EXPECT_EQ(refusal.status, kUsageOrIoError) << message;
    EXPECT_EQ(refusal.err, message);
  }
  EXPECT_EQ(pedinfo({"draw", kExample, "--around", "13"}).status, kNothingToReport);
}

// A copy pedprep made keeps its original's INI_ID on purpose: the origin check is to take
// both rows as one animal. Only without ids.tsv (named, or the run's own) is the shared
// INI_ID a warning.
TEST(PedinfoTest, CopiesShareTheirOriginalsIniId) {
  TempDir dir;
  testing::write_population(
      dir, {ped_record(1, 1, 0, 0, 3, 1, "HB-A"), ped_record(1, 2, 0, 0, 3, 2, "HB-B"),
            ped_record(1, 3, 1, 2, 3, 2, "HB-C"), ped_record(1, 4, 0, 0, 3, 1, "HB-A"),
            ped_record(1, 5, 4, 3, 3, 1, "HB-D")});
  dir.write("ids.tsv", ids_file({{1, 1, "HB-A", ""},
                                 {1, 2, "HB-B", ""},
                                 {1, 3, "HB-C", ""},
                                 {1, 4, "HB-A", "run-0001/1/1"},
                                 {1, 5, "HB-D", ""}}));
  EXPECT_EQ(pedinfo({"check", dir.path(), "--ids", dir.path() + "/ids.tsv"}).out, "no problems\n");
  EXPECT_EQ(pedinfo({"check", dir.path()}).out, "no problems\n");
  ASSERT_TRUE(std::filesystem::remove(dir.path() + "/ids.tsv"));
  EXPECT_NE(pedinfo({"check", dir.path()})
                .out.find("PEDS.DAT:5: warning: pedigree 1 (IPED 1), ID 4 "
                          "\"HB-A\": same INI_ID as ID 1 on line 2"),
            std::string::npos);
}

// A control file saved with a byte order mark names a file that pedpeel cannot open.
TEST(PedinfoTest, ByteOrderMarkInTheControlFile) {
  TempDir dir;
  testing::write_population(dir, {ped_record(1, 1, 0, 0, 3, 1, "A")});
  dir.write("input1.dat", "\xEF\xBB\xBFPEDS.DAT\nblood.dat\n");
  const PedinfoRun run = pedinfo({"check", dir.path()});
  EXPECT_EQ(run.status, kUsageOrIoError);
  EXPECT_EQ(run.err, "pedinfo check: " + dir.path() +
                         "/\\xEF\\xBB\\xBFPEDS.DAT: file not found (E6416); input1.dat starts "
                         "with a UTF-8 byte order mark (bytes EF BB BF), which pedpeel reads as "
                         "the first characters of this name\n");
}

}  // namespace
}  // namespace pedpeel::pedinfo
