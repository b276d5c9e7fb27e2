// pedprep as a whole, in-process: the files of a run, the exit statuses, every refusal
// with its FILE:LINE and nothing written, the output directory rules, and the warnings.
#include "tools/pedprep/pedprep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "records/version.h"
#include "testing/temp_run.h"

namespace pedpeel::pedprep {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome run(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = run_pedprep(arguments, out, err);
  return {status, out.str(), err.str()};
}

// The names under `dir`, recursively, relative to it ("" when dir is missing).
std::vector<std::string> tree(const std::string& dir) {
  std::vector<std::string> names;
  if (!fs::exists(dir)) return names;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    names.push_back(fs::relative(entry.path(), dir).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

using pedpeel::testing::read_file;

TEST(PedprepTest, WritesARunThatMapsBack) {
  testing::TempDir dir;
  dir.write("herd.csv",
            "id,sire,dam,sex,race,hol\n"
            "C,S,D,M,1,0.5\n"
            "S,,,M,1,1\n"
            "E,C,,F,2,0.25\n"
            "DE0123456789012,C,D,F,1,0\n");
  const std::string out = dir.path() + "/out";
  const Outcome outcome = run({dir.path() + "/herd.csv", "--fractions", "hol", "--out", out});
  EXPECT_EQ(outcome.status, kExitDone) << outcome.err;
  EXPECT_EQ(outcome.out,
            "4 animals read, 2 parents added (1 named only as parents, 1 for rows with one known "
            "parent)\n"
            "1 pedigree in 1 run, listed in " +
                out + "/runs.txt; 1 warning\n");
  EXPECT_EQ(outcome.err,
            dir.path() +
                "/herd.csv:5: warning: 1 id is longer than the 12 bytes an INI_ID holds (the first "
                "\"DE0123456789012\"): INI_ID holds the last 12 bytes, which tell the animals "
                "apart; ids.tsv maps it back\n");
  EXPECT_EQ(tree(out),
            (std::vector<std::string>{"races.tsv", "run-0001", "run-0001/blood.dat",
                                      "run-0001/ids.tsv", "run-0001/input1.dat",
                                      "run-0001/pedigree.dat", "runs.txt", "warnings.tsv"}));
  EXPECT_EQ(read_file(out + "/runs.txt"), "run-0001\n");
  EXPECT_EQ(read_file(out + "/races.tsv"), "code\tname\tanimals\n1\t1\t3\n2\t2\t1\n");
  EXPECT_EQ(read_file(out + "/warnings.tsv"),
            "file\tline\tkind\tmessage\n" + dir.path() +
                "/herd.csv\t5\tlong-ids\t1 id is longer than the 12 bytes an INI_ID holds (the "
                "first \"DE0123456789012\"): INI_ID holds the last 12 bytes, which tell the "
                "animals apart; ids.tsv maps it back\n");
  EXPECT_EQ(read_file(out + "/run-0001/input1.dat"),
            "pedigree.dat        \r\nblood.dat           \r\n");
  // Parents first: S, then D (named only as a dam), C, E's added dam, E, the long id.
  EXPECT_EQ(read_file(out + "/run-0001/pedigree.dat"),
            "    6\r\n"
            "    1    1    0    0    1    1S           \r\n"
            "    1    2    0    0    0    2D           \r\n"
            "    1    3    1    2    1    1C           \r\n"
            "    1    4    0    0    0    2+dam~0001   \r\n"
            "    1    5    3    4    2    2E           \r\n"
            "    1    6    3    2    1    2123456789012\r\n");
  EXPECT_EQ(read_file(out + "/run-0001/blood.dat"),
            "    6    2\r\n   .1000E+01\r\n   .0000E+00\r\n   .5000E+00\r\n   .0000E+00\r\n"
            "   .2500E+00\r\n   .0000E+00\r\n");
  EXPECT_EQ(read_file(out + "/run-0001/ids.tsv"),
            "iped\tid\tfamily\toriginal\tsource\tini_id\tline\n"
            "1\t1\t\tS\trow\tS\t3\n"
            "1\t2\t\tD\tparent\tD\t2\n"
            "1\t3\t\tC\trow\tC\t2\n"
            "1\t4\t\t\tadded\t+dam~0001\t4\n"
            "1\t5\t\tE\trow\tE\t4\n"
            "1\t6\t\tDE0123456789012\trow\t123456789012\t5\n");
}

// A herd-book as a breed association exports it goes through with no hand edits: ';'
// separators, breed names, a birth year, a herd, and an own-ancestor cycle that --mend
// repairs. The fractions of a Holstein x Jersey calf and of its calf by a Holstein bull.
TEST(PedprepTest, AHerdBookExportWithMend) {
  testing::TempDir dir;
  dir.write("herdbook.csv",
            "Animal;Sire;Dam;Sex;Breed;BirthYear;Herd\r\n"
            "HS1;;;M;Holstein;2010;H1\r\n"
            "JD1;;;F;Jersey;2011;H1\r\n"
            "CALF;HS1;JD1;F;Holstein;2014;H1\r\n"
            "HB2;;;M;Holstein;2012;H1\r\n"
            "GRAND;HB2;CALF;M;Holstein;2017;H1\r\n"
            "X1;X2;;M;Holstein;2015;H1\r\n"
            "X2;X1;;M;Holstein;2016;H1\r\n");
  const std::string input = dir.path() + "/herdbook.csv";
  const std::string out = dir.path() + "/runs";

  const Outcome refused = run({input, "--out", out});
  EXPECT_EQ(refused.status, kExitRefused);
  EXPECT_NE(refused.err.find(":7: error: \"X1\" is its own ancestor"), std::string::npos)
      << refused.err;
  EXPECT_TRUE(
      refused.err.ends_with("pedprep: 2 errors (all of them --mend repairs); nothing "
                            "written\n"))
      << refused.err;

  const Outcome mended = run({input, "--mend", "--out", out});
  ASSERT_EQ(mended.status, kExitDone) << mended.err;
  EXPECT_EQ(mended.err, input +
                            ":7: warning: dropped sire \"X2\" of \"X1\": own-ancestor cycle: "
                            "\"X1\" has sire \"X2\", \"X2\" has sire \"X1\"; the sire is born "
                            "2016, after its offspring (born 2015)\n");
  EXPECT_EQ(mended.out,
            "7 animals read, 1 parent added (0 named only as parents, 1 for rows with one known "
            "parent); 1 repair, listed in " +
                out + "/mended.tsv\n2 pedigrees in 1 run, listed in " + out +
                "/runs.txt; 1 warning\n");
  EXPECT_EQ(read_file(out + "/races.tsv"), "code\tname\tanimals\n1\tHolstein\t6\n2\tJersey\t1\n");
  EXPECT_EQ(read_file(out + "/mended.tsv"),
            "line\tid\tdropped\twhy\n7\tX1\tsire \"X2\"\town-ancestor cycle: \"X1\" has sire "
            "\"X2\", \"X2\" has sire \"X1\"; the sire is born 2016, after its offspring (born "
            "2015)\n");
  // blood.dat line k + 1 holds the fractions of the k-th row of ids.tsv.
  std::istringstream ids(read_file(out + "/run-0001/ids.tsv"));
  std::istringstream blood(read_file(out + "/run-0001/blood.dat"));
  std::string ids_line;
  std::string blood_line;
  std::getline(ids, ids_line);
  std::getline(blood, blood_line);
  EXPECT_EQ(blood_line, "    8    3\r");
  std::map<std::string, std::string> fractions;
  while (std::getline(ids, ids_line) && std::getline(blood, blood_line)) {
    std::istringstream fields(ids_line);
    std::string iped, id, family, original;
    std::getline(fields, iped, '\t');
    std::getline(fields, id, '\t');
    std::getline(fields, family, '\t');
    std::getline(fields, original, '\t');
    fractions[original] = blood_line;
  }
  EXPECT_EQ(fractions["CALF"], "   .5000E+00   .5000E+00\r");
  EXPECT_EQ(fractions["GRAND"], "   .7500E+00   .2500E+00\r");
  EXPECT_EQ(fractions["JD1"], "   .0000E+00   .1000E+01\r");
}

// A bull used in another herd is copied there, and the copy carries his fractions.
TEST(PedprepTest, ACopyCarriesTheFractionsOfTheAnimalItCopies) {
  testing::TempDir dir;
  dir.write("herdbook.csv",
            "Animal,Sire,Dam,Sex,Breed,Herd\n"
            "JB,,,M,Jersey,H1\n"
            "HC,,,F,Holstein,H1\n"
            "C1,JB,HC,F,Holstein,H1\n"
            "HD,,,F,Holstein,H2\n"
            "C2,JB,HD,M,Holstein,H2\n");
  const std::string out = dir.path() + "/runs";
  const Outcome outcome = run({dir.path() + "/herdbook.csv", "--out", out});
  ASSERT_EQ(outcome.status, kExitDone) << outcome.err;
  // "original source" of each row of every run, and its blood.dat line.
  std::map<std::string, std::string> fractions;
  std::istringstream runs(read_file(out + "/runs.txt"));
  for (std::string run_name; std::getline(runs, run_name);) {
    std::istringstream ids(read_file(out + "/" + run_name + "/ids.tsv"));
    std::istringstream blood(read_file(out + "/" + run_name + "/blood.dat"));
    std::string ids_line;
    std::string blood_line;
    std::getline(ids, ids_line);
    std::getline(blood, blood_line);
    while (std::getline(ids, ids_line) && std::getline(blood, blood_line)) {
      std::istringstream fields(ids_line);
      std::string field[5];
      for (std::string& f : field) std::getline(fields, f, '\t');
      fractions[field[3] + " " + field[4]] = blood_line;
    }
  }
  EXPECT_EQ(fractions["JB row"], "   .0000E+00   .1000E+01\r");
  EXPECT_EQ(fractions["JB copy"], "   .0000E+00   .1000E+01\r");
  EXPECT_EQ(fractions["C2 row"], "   .5000E+00   .5000E+00\r");
}

TEST(PedprepTest, AShortenedIniIdIsNoOtherRowsId) {
  testing::TempDir dir;
  dir.write("in.csv", "id,sire,dam\n+dam~0001,,\nA,S,\n");
  const Outcome outcome = run({dir.path() + "/in.csv", "--out", dir.path() + "/out"});
  ASSERT_EQ(outcome.status, kExitDone) << outcome.err;
  EXPECT_EQ(read_file(dir.path() + "/out/run-0001/ids.tsv"),
            "iped\tid\tfamily\toriginal\tsource\tini_id\tline\n"
            "1\t1\t\t+dam~0001\trow\t+dam~0001\t2\n"
            "2\t1\t\tS\tparent\tS\t3\n"
            "2\t2\t\t\tadded\t+dam~0002\t3\n"
            "2\t3\t\tA\trow\tA\t3\n");
}

struct RefusalCase {
  std::string name;
  std::string text;
  std::string first_error;  // after "FILE:", from the line number on
};

class PedprepRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PedprepRefusalTest, ExitsOneAndWritesNothing) {
  testing::TempDir dir;
  dir.write("in.csv", GetParam().text);
  const std::string input = dir.path() + "/in.csv";
  const Outcome outcome = run({input, "--out", dir.path() + "/out"});
  EXPECT_EQ(outcome.status, kExitRefused);
  EXPECT_EQ(outcome.out, "");
  EXPECT_TRUE(outcome.err.starts_with(input + ":" + GetParam().first_error + "\n")) << outcome.err;
  EXPECT_TRUE(outcome.err.ends_with("; nothing written\n")) << outcome.err;
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.csv"});  // no DIR, no staging directory
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PedprepRefusalTest,
    ::testing::Values(
        RefusalCase{"Duplicate", "id,sire,dam\nA,,\nA,,\n",
                    "3: error: duplicate id \"A\": also at line 2"},
        RefusalCase{
            "OwnAncestor", "id,sire,dam\nA,B,C\nB,A,D\n",
            "2: error: \"A\" is its own ancestor: \"A\" has sire \"B\", \"B\" has sire \"A\""},
        RefusalCase{"BothRoles", "id,sire,dam\nA,X,Y\nB,Y,Z\n",
                    "3: error: \"Y\" is sire of \"B\" here but dam of \"A\" at line 2"},
        RefusalCase{"RaceCode", "id,sire,dam,race\nA,,,-128\n",
                    "2: error: race code -128 is outside -127..127 (column 4 \"race\")"},
        RefusalCase{"UnreadableField", "id,sire,dam\nA,\"B\"C,\n",
                    "2: error: cannot read column 2 \"sire\": text after the closing quote of a "
                    "quoted field"},
        RefusalCase{"NoRows", "id,sire,dam\n", "1: error: no animal to write"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST(PedprepTest, RefusesFractionsOutsideTheRange) {
  testing::TempDir dir;
  dir.write("in.csv", "id,sire,dam,hol\nA,,,2\nB,,,x\n");
  const Outcome outcome =
      run({dir.path() + "/in.csv", "--fractions=hol", "--out=" + dir.path() + "/out"});
  EXPECT_EQ(outcome.status, kExitRefused);
  EXPECT_EQ(
      outcome.err,
      dir.path() + "/in.csv:2: error: race fraction 2 is outside 0..1 (column 4 \"hol\")\n" +
          dir.path() +
          "/in.csv:3: error: cannot read race fraction \"x\": not a number (column 4 \"hol\")\n"
          "pedprep: 2 errors; nothing written\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.csv"});
}

TEST(PedprepTest, RefusesAPedigreeTooLargeNamingItsSize) {
  testing::TempDir dir;
  std::string text = "id,sire,dam\n";
  for (int k = 0; k < 40000; ++k) text += "a" + std::to_string(k) + ",S,D\n";
  dir.write("in.csv", text);
  const Outcome outcome = run({dir.path() + "/in.csv", "--no-cut", "--out", dir.path() + "/out"});
  EXPECT_EQ(outcome.status, kExitRefused);
  EXPECT_EQ(outcome.err,
            dir.path() +
                "/in.csv:2: error: pedigree of \"a0\" is too large for one run of pedpeel: "
                "40002 animals and 40002 family member entries; a run holds at most 32767 animals "
                "and 32767 entries\npedprep: 1 error; nothing written\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"in.csv"});
}

TEST(PedprepTest, AParentInAnotherFamilyIsACopyThere) {
  testing::TempDir dir;
  dir.write("in.csv", "id,sire,dam,family\nX,,,AI\nA,X,Y,1\nB,X,Z,2\nC,X,Z,2\n");
  const std::string out = dir.path() + "/out";
  const Outcome outcome = run({dir.path() + "/in.csv", "--out", out});
  EXPECT_EQ(outcome.status, kExitDone) << outcome.err;
  EXPECT_TRUE(
      outcome.out.ends_with("2 copies of 1 animal: 0 for loops (0 pedigrees of cyclomatic "
                            "number 0), 2 for herds, 0 for size; listed in " +
                            out + "/cuts.tsv\n"))
      << outcome.out;
  // X stays in AI; families 1 and 2 each get a copy, one for both of B and C.
  EXPECT_EQ(read_file(out + "/run-0001/ids.tsv"),
            "iped\tid\tfamily\toriginal\tsource\tini_id\tline\tcopy_of\n"
            "1\t1\tAI\tX\trow\tX\t2\t\n"
            "2\t1\t1\tX\tcopy\tX\t2\trun-0001/1/1\n"
            "2\t2\t1\tY\tparent\tY\t3\t\n"
            "2\t3\t1\tA\trow\tA\t3\t\n"
            "3\t1\t2\tX\tcopy\tX\t2\trun-0001/1/1\n"
            "3\t2\t2\tZ\tparent\tZ\t4\t\n"
            "3\t3\t2\tB\trow\tB\t4\t\n"
            "3\t4\t2\tC\trow\tC\t5\t\n");
  EXPECT_EQ(read_file(out + "/cuts.tsv"),
            "family\tfirst_id\tanimals\tfamilies\tcyclomatic\tloop_copies\tsize_copies\n");

  const Outcome no_cut = run({dir.path() + "/in.csv", "--out", dir.path() + "/no", "--no-cut"});
  EXPECT_EQ(no_cut.status, kExitRefused);
  EXPECT_TRUE(no_cut.err.starts_with(dir.path() +
                                     "/in.csv:3: error: sire \"X\" of \"A\" is in family "
                                     "\"AI\" (line 2), \"A\" in family \"1\"\n"))
      << no_cut.err;
}

TEST(PedprepTest, WarnsOfALoopPedpeelCannotTakeApart) {
  testing::TempDir dir;
  // Half sibs H1 and H2 (sire S, dams D1 and D2) mate; X's pedigree has no loop.
  dir.write("in.csv", "id,sire,dam\nH1,S,D1\nH2,S,D2\nK,H1,H2\nX,P,Q\n");
  const Outcome cut = run({dir.path() + "/in.csv", "--out", dir.path() + "/cut"});
  EXPECT_EQ(cut.err, "");
  EXPECT_EQ(read_file(dir.path() + "/cut/runs.txt"), "run-0001\n");
  // With --no-cut the loop's pedigree comes last, in a run of its own.
  const Outcome outcome = run({dir.path() + "/in.csv", "--out", dir.path() + "/out", "--no-cut"});
  EXPECT_EQ(outcome.status, kExitDone);
  EXPECT_EQ(read_file(dir.path() + "/out/runs.txt"), "run-0001\nrun-0002\n");
  EXPECT_NE(read_file(dir.path() + "/out/run-0001/ids.tsv").find("\tX\t"), std::string::npos);
  EXPECT_EQ(
      outcome.err,
      dir.path() +
          "/in.csv:2: warning: pedigree of \"H1\" has a loop pedpeel cannot take apart; "
          "shortest loop: \"S\", family (\"S\" x \"D2\"), \"H2\", family (\"H1\" x \"H2\"), "
          "\"H1\", "
          "family (\"S\" x \"D1\"), back to \"S\"; pedpeel will report it in def.err of run-0002 "
          "(IPED 1) and stop there\n");
}

TEST(PedprepTest, NoWarningForALoopPedpeelResolves) {
  testing::TempDir dir;
  // Full sibs B and C mate: a loop head and a sib mating, which pedpeel takes.
  dir.write("in.csv", "id,sire,dam\nB,S,D\nC,S,D\nK,B,C\n");
  const Outcome outcome = run({dir.path() + "/in.csv", "--out", dir.path() + "/out"});
  EXPECT_EQ(outcome.status, kExitDone);
  EXPECT_EQ(outcome.err, "");
}

TEST(PedprepTest, OutputDirectoryRules) {
  testing::TempDir dir;
  dir.write("in.fam", "F A 0 0 1 0\n");
  const std::string input = dir.path() + "/in.fam";
  const std::string out = dir.path() + "/out";
  fs::create_directory(out);  // empty: taken
  EXPECT_EQ(run({input, "--out", out}).status, kExitDone);
  EXPECT_EQ(read_file(out + "/runs.txt"), "run-0001\n");

  // Not empty: refused without --force, the files kept.
  const Outcome refused = run({input, "--out", out + "/"});
  EXPECT_EQ(refused.status, kExitRefused);
  EXPECT_EQ(refused.err,
            "pedprep: " + out + "/ is not empty; give --force to replace what it holds\n");
  EXPECT_TRUE(fs::exists(out + "/run-0001/ids.tsv"));

  // --force replaces it whole.
  std::ofstream(out + "/stale") << "x";
  EXPECT_EQ(run({input, "--out", out, "--force"}).status, kExitDone);
  EXPECT_EQ(tree(out),
            (std::vector<std::string>{"run-0001", "run-0001/blood.dat", "run-0001/ids.tsv",
                                      "run-0001/input1.dat", "run-0001/pedigree.dat", "runs.txt",
                                      "warnings.tsv"}));
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"in.fam", "out"}));

  // --force never replaces the directory that holds the input.
  const Outcome inside = run({input, "--out", dir.path(), "--force"});
  EXPECT_EQ(inside.status, kExitRefused);
  EXPECT_EQ(inside.err,
            "pedprep: " + input + " lies inside " + dir.path() + ", which --force would replace\n");

  // A file is never replaced.
  EXPECT_EQ(run({input, "--out", input, "--force"}).status, kExitRefused);

  // Nor a directory when where the input lies cannot be told.
  fs::create_symlink("loop", dir.path() + "/loop");
  const std::string unresolved = dir.path() + "/loop/in.fam";
  EXPECT_EQ(run({unresolved, "--out", out, "--force"}).err,
            "pedprep: cannot tell whether " + unresolved + " lies inside " + out +
                ": Too many levels of symbolic links\n");
}

TEST(PedprepTest, ReadsFamWithFamiliesInIdsTsv) {
  testing::TempDir dir;
  dir.write("p.fam", "F1 A 0 0 1 -9\nF2 A 0 0 1 -9\nF2 K A M 1 -9\n");
  const Outcome outcome = run({dir.path() + "/p.fam", "--out", dir.path() + "/out"});
  ASSERT_EQ(outcome.status, kExitDone) << outcome.err;
  EXPECT_EQ(outcome.out,
            "3 animals read, 1 parent added (1 named only as parents, 0 for rows with one known "
            "parent)\n2 pedigrees in 1 run, listed in " +
                dir.path() + "/out/runs.txt\n");
  EXPECT_EQ(read_file(dir.path() + "/out/run-0001/ids.tsv"),
            "iped\tid\tfamily\toriginal\tsource\tini_id\tline\n"
            "1\t1\tF1\tA\trow\tA\t1\n"
            "2\t1\tF2\tA\trow\tA\t2\n"
            "2\t2\tF2\tM\tparent\tM\t3\n"
            "2\t3\tF2\tK\trow\tK\t3\n");
}

struct UsageCase {
  std::vector<std::string> arguments;
  std::string message;
};

class PedprepUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(PedprepUsageTest, ExitsTwoWithOneLine) {
  const Outcome outcome = run(GetParam().arguments);
  EXPECT_EQ(outcome.status, kExitUsage);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "pedprep: " + GetParam().message + "\ntry 'pedprep --help'\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PedprepUsageTest,
    ::testing::Values(
        UsageCase{{}, "an INPUT file is needed"}, UsageCase{{"a.csv"}, "--out DIR is needed"},
        UsageCase{{"a.csv", "b.csv", "--out", "o"}, "one INPUT only (a.csv and b.csv given)"},
        UsageCase{{"a.csv", "--out"}, "--out needs a value"},
        UsageCase{{"a.csv", "--out", "o", "--frobnicate"}, "unknown option '--frobnicate'"},
        UsageCase{{"a.csv", "--out=o", "--force=yes"}, "--force takes no value"},
        UsageCase{{"--out", "o", "--", "-a.csv", "b.csv"},
                  "one INPUT only (-a.csv and b.csv given)"},
        UsageCase{{"a.csv", "--out", "o", "--format", "xls"},
                  "--format must be csv, tsv or fam, not 'xls'"},
        UsageCase{{"a.xls", "--out", "o"},
                  "cannot tell the format of a.xls from its name; give --format csv, tsv or fam"},
        UsageCase{{"a.fam", "--out", "o", "--fractions", "x"},
                  "--fractions needs a CSV or TSV input"},
        UsageCase{{"a.csv", "--out", "o", "--fractions", "x,,y"},
                  "--fractions holds an empty column name"},
        UsageCase{{"a.csv", "--out", "o", "--fractions", "a,b,c,d,e,f,g,h,i,j,k"},
                  "--fractions names 11 columns; at most 10"}));

TEST(PedprepTest, HelpAndVersion) {
  const Outcome help = run({"--out", "o", "--help"});
  EXPECT_EQ(help.status, kExitDone);
  EXPECT_TRUE(help.out.starts_with("usage: pedprep INPUT")) << help.out;
  EXPECT_EQ(run({"--version"}).out, "pedprep " + std::string(kProjectVersion) + "\n");
}

// An input that is missing, or a directory, is refused with the system's reason.
TEST(PedprepTest, AFileThatCannotBeRead) {
  const struct {
    bool directory;
    std::string reason;
  } cases[] = {{false, "No such file or directory"}, {true, "Is a directory"}};
  for (const auto& c : cases) {
    testing::TempDir dir;
    if (c.directory) std::filesystem::create_directory(dir.path() + "/in.csv");
    const Outcome outcome = run({dir.path() + "/in.csv", "--out", dir.path() + "/out"});
    EXPECT_EQ(outcome.status, kExitRefused);
    EXPECT_EQ(outcome.err, "pedprep: cannot read " + dir.path() + "/in.csv: " + c.reason + "\n");
    EXPECT_EQ(std::filesystem::exists(dir.path() + "/out"), false);
  }
}

}  // namespace
}  // namespace pedpeel::pedprep
