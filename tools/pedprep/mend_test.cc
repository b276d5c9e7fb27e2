// --mend, each rule on a small file where the right link to drop is known: refused
// without --mend; with it, the links that are left and mended.tsv.
#include "tools/pedprep/mend.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/pedprep/breeds.h"

namespace pedpeel::pedprep {
namespace {

struct MendCase {
  std::string name;
  std::string text;
  std::vector<std::string> links;  // each row animal as "id<sire,dam>", "+" for one added
  std::string mended;              // mended.tsv without its header
};

class MendTest : public ::testing::TestWithParam<MendCase> {};

TEST_P(MendTest, DropsTheRightLink) {
  const MendCase& c = GetParam();
  for (const bool mend : {false, true}) {
    InputTable table;
    table.text.assign(c.text.begin(), c.text.end());
    Report report("in");
    read_table(Format::kCsv, {}, table, report);
    code_races(table, {}, report);
    Repairs repairs;
    const Animals animals = complete_animals(table, report, mend ? &repairs : nullptr);
    if (!mend) {
      // Refused: by complete_animals, or for a cycle by find_pedigrees.
      EXPECT_TRUE(report.mendable_errors() > 0 || c.mended.find("cycle") != std::string::npos);
      continue;
    }
    EXPECT_EQ(report.errors(), 0);
    std::vector<std::string> links;
    auto name = [&](int32_t a) {
      const Animal& animal = animals.list[static_cast<size_t>(a)];
      return animal.source == Source::kAdded ? std::string("+") : std::string(animals.original(a));
    };
    for (const Animal& animal : animals.list) {
      if (animal.source != Source::kRow) continue;
      links.push_back(
          std::string(animals.original(animal)) +
          (animal.sire < 0 ? "" : "<" + name(animal.sire) + "," + name(animal.dam) + ">"));
    }
    EXPECT_EQ(links, c.links);
    EXPECT_EQ(mended_tsv(repairs), kMendedHeader + c.mended);
    EXPECT_EQ(report.warnings(), static_cast<int64_t>(repairs.list.size()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MendTest,
    ::testing::Values(
        MendCase{"CycleLosesTheLinkOfTheLastRow",
                 "id,sire,dam\nA,B,X\nC,A,Y\nB,C,Z\n",
                 {"A<B,X>", "C<A,Y>", "B<+,Z>"},
                 "4\tB\tsire \"C\"\town-ancestor cycle: \"A\" has sire \"B\", \"B\" has sire "
                 "\"C\", \"C\" has sire \"A\"; its row comes last in the file\n"},
        MendCase{"CycleLosesTheLinkToAYoungerParent",
                 "id,sire,dam,born\nA,B,X,2010\nB,A,Y,2012\n",
                 {"A<+,X>", "B<A,Y>"},
                 "2\tA\tsire \"B\"\town-ancestor cycle: \"A\" has sire \"B\", \"B\" has sire "
                 "\"A\"; the sire is born 2012, after its offspring (born 2010)\n"},
        MendCase{"OwnParent",
                 "id,sire,dam\nA,A,X\n",
                 {"A<+,X>"},
                 "2\tA\tsire \"A\"\town-ancestor cycle: \"A\" has sire \"A\"; its row comes last "
                 "in the file\n"},
        MendCase{"SireAndDamKeepsTheRoleHeldMoreOften",
                 "id,sire,dam\nA,P,X\nB,P,Y\nC,Q,P\n",
                 {"A<P,X>", "B<P,Y>", "C<Q,+>"},
                 "4\tC\tdam \"P\"\t\"P\" is sire of 2 and dam of 1 and keeps the role of sire\n"},
        MendCase{"SireAndDamTiedKeepsTheRoleOfItsSex",
                 "id,sire,dam,sex\nP,,,F\nA,P,X,\nC,Q,P,\n",
                 {"P", "A<+,X>", "C<Q,P>"},
                 "3\tA\tsire \"P\"\t\"P\" is dam of 1 and sire of 1 and keeps the role of dam\n"},
        MendCase{"SireAndDamOfOneRow",
                 "id,sire,dam\nA,X,X\n",
                 {"A<X,+>"},
                 "2\tA\tdam \"X\"\t\"X\" is sire of 1 and dam of 1 and keeps the role of sire\n"},
        MendCase{"ParentBornAfterItsOffspring",
                 "id,sire,dam,born\nS,,,2016-05-01\nD,,,2010\nA,S,D,2016-04-30\n",
                 {"S", "D", "A<+,D>"},
                 "4\tA\tsire \"S\"\tthe sire is born 2016-05-01, after its offspring (born "
                 "2016-04-30)\n"},
        MendCase{"ParentBornAfterItsOffspringPastADuplicate",
                 "id,sire,dam,born\nS,,,2016\nS,,,2016\nD,,,2010\nA,S,D,2015\n",
                 {"S", "D", "A<+,D>"},
                 "3\tS\trow\tduplicate id, the same as the row at line 2 (merged)\n"
                 "5\tA\tsire \"S\"\tthe sire is born 2016, after its offspring (born 2015)\n"},
        MendCase{"DuplicatesThatAgreeAreMerged",
                 "id,sire,dam,race\nA,S,D,1\nA,S,D,1\n",
                 {"A<S,D>"},
                 "3\tA\trow\tduplicate id, the same as the row at line 2 (merged)\n"},
        MendCase{"DuplicatesThatDifferKeepTheFirst",
                 "id,sire,dam\nA,S,D\nA,T,D\n",
                 {"A<S,D>"},
                 "3\tA\trow\tduplicate id, the row at line 2 is kept\n"}),
    [](const ::testing::TestParamInfo<MendCase>& info) { return info.param.name; });

}  // namespace
}  // namespace pedpeel::pedprep
