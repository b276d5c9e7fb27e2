#include "tools/pedinfo/find.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "testing/temp_run.h"

namespace pedpeel::pedinfo {
namespace {

using pedpeel::testing::TempDir;

constexpr char kHeader[] = "iped\tid\tfamily\toriginal\tsource\tini_id\tline\tcopy_of\n";

// Two runs: run-0001 has run (A and B with their child C, and C's mating with D) and holds
// a copy of F; run-0002 holds F and a copy of A, and has not run.
void write_runs(const TempDir& dir) {
  std::filesystem::create_directories(dir.path() + "/run-0001");
  std::filesystem::create_directories(dir.path() + "/run-0002");
  dir.write("runs.txt", "run-0001\nrun-0002\n");
  dir.write("run-0001/ids.tsv", std::string(kHeader) +
                                    "1\t1\t\tA\trow\tA\t2\t\n"
                                    "1\t2\t\tB\trow\tB\t3\t\n"
                                    "1\t3\t\tC\trow\tC\t4\t\n"
                                    "1\t4\t\tD\tparent\tD\t4\t\n"
                                    "1\t5\t\tE\trow\tE\t5\t\n"
                                    "1\t6\t\tF\tcopy\tF\t6\trun-0002/1/1\n");
  dir.write("run-0001/VOLMA.DAT",
            "    5    1\n"
            "NPEDIGREE=   1 NPOT=   1 IWAY=    3 ITYPE=  1\n"
            "    1    2    3\n"
            "INI_ID  A             B             C           \n"
            "TRAIT     0    0    0\n"
            "BLOOD \n"
            "NPEDIGREE=   1 NPOT=   1 IWAY=    0 ITYPE=  1\n"
            "    3    4    5\n"
            "INI_ID  C             D             E           \n");
  dir.write("run-0002/ids.tsv", std::string(kHeader) +
                                    "1\t1\t\tF\trow\tF\t6\t\n"
                                    "2\t1\t\tA\tcopy\tA\t2\trun-0001/1/1\n");
}

TEST(FindTest, RowsCopiesAndFamilyRecords) {
  TempDir dir;
  write_runs(dir);
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"A"},
       "A: 2 rows (1 copy)\n"
       "  run-0001: pedigree 1 (IPED 1), ID 1, row 1 (source: row)\n"
       "    run-0001/VOLMA.DAT:2: first parent in family (1 [A], 2 [B]; 3 [C]), ITYPE 1, IWAY 3\n"
       "  run-0002: pedigree 2 (IPED 2), ID 1, row 2 (source: copy of run-0001/1/1)\n"
       "    not run yet (no VOLMA.DAT)\n"},
      {{"C", "F"},
       "C: 1 row\n"
       "  run-0001: pedigree 1 (IPED 1), ID 3, row 3 (source: row)\n"
       "    run-0001/VOLMA.DAT:2: child in family (1 [A], 2 [B]; 3 [C]), ITYPE 1, IWAY 3\n"
       "    run-0001/VOLMA.DAT:7: first parent in family (3 [C], 4 [D]; 5 [E]), ITYPE 1, IWAY 0\n"
       "F: 2 rows (1 copy)\n"
       "  run-0002: pedigree 1 (IPED 1), ID 1, row 1 (source: row)\n"
       "    not run yet (no VOLMA.DAT)\n"
       "  run-0001: pedigree 1 (IPED 1), ID 6, row 6 (source: copy of run-0002/1/1)\n"
       "    in no family record\n"},
      // "row" and "1" stand in other columns only.
      {{"row", "1"}, "row: not found\n1: not found\n"},
  };
  for (const auto& [originals, expected] : cases) {
    FindReport report;
    ASSERT_EQ(find_animals(dir.path(), originals, &report), std::nullopt);
    std::ostringstream out;
    write_find_text(report, out);
    EXPECT_EQ(out.str(), expected);
  }
}

TEST(FindTest, OneRunDirectoryIsNamedAsGiven) {
  TempDir dir;
  write_runs(dir);
  const std::string run = dir.path() + "/run-0001";
  FindReport report;
  ASSERT_EQ(find_animals(run, {"E"}, &report), std::nullopt);
  std::ostringstream out;
  write_find_text(report, out);
  EXPECT_EQ(out.str(),
            "E: 1 row\n  " + run + ": pedigree 1 (IPED 1), ID 5, row 5 (source: row)\n    " + run +
                "/VOLMA.DAT:7: child in family (3 [C], 4 [D]; 5 [E]), ITYPE 1, IWAY 0\n");
}

TEST(FindTest, FilesThatCannotBeRead) {
  TempDir dir;
  write_runs(dir);
  dir.write("run-0001/VOLMA.DAT", "    5    1\nNPEDIGREE=   x NPOT=   1 IWAY=    3 ITYPE=  1\n");
  FindReport report;
  EXPECT_EQ(find_animals(dir.path(), {"A"}, &report),
            "run-0001/VOLMA.DAT:2: the header of a family record does not read");
  dir.write("run-0001/ids.tsv", "iped\tid\n");
  EXPECT_EQ(find_animals(dir.path(), {"A"}, &report),
            dir.path() +
                "/run-0001/ids.tsv:1: the header line has no column \"family\" (an ids.tsv as "
                "pedprep writes it)");
}

}  // namespace
}  // namespace pedpeel::pedinfo
