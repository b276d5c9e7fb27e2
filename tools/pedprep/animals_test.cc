// Completion and the checks on ids and parents: parents named only as parents, rows with
// one known parent, duplicates, an animal in both parent roles, a parent in another
// family, an animal that is its own ancestor, and the pedigrees found.
#include "tools/pedprep/animals.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/pedprep/pedigrees.h"

namespace pedpeel::pedprep {
namespace {

struct Prepared {
  InputTable table;
  Animals animals;
  Pedigrees pedigrees;
  std::string findings;
};

// Reads, completes and finds the pedigrees of `text`.
void prepare(Format format, const std::string& text, Prepared* prepared) {
  prepared->table.text.assign(text.begin(), text.end());
  Report report("in");
  read_table(format, {}, prepared->table, report);
  prepared->animals = complete_animals(prepared->table, report);
  prepared->pedigrees = find_pedigrees(prepared->animals, report);
  std::ostringstream findings;
  report.write(findings);
  prepared->findings = findings.str();
}

// Each animal as "id<sire,dam>source@line", a parent by id or "+" for one added.
std::vector<std::string> describe(const Animals& animals) {
  std::vector<std::string> lines;
  auto name = [&](int32_t a) {
    if (a < 0) return std::string("-");
    const Animal& animal = animals.list[static_cast<size_t>(a)];
    return animal.source == Source::kAdded ? std::string("+") : std::string(animals.original(a));
  };
  for (int32_t a = 0; a < animals.count(); ++a) {
    const Animal& animal = animals.list[static_cast<size_t>(a)];
    lines.push_back(name(a) + "<" + name(animal.sire) + "," + name(animal.dam) + ">" +
                    std::string(source_name(animal.source)) + "@" + std::to_string(animal.line) +
                    " sex " + std::to_string(animal.sex));
  }
  return lines;
}

TEST(CompletionTest, ParentsNamedOnlyAsParentsBecomeFounders) {
  Prepared p;
  prepare(Format::kCsv, "id,sire,dam,sex\nC,S,D,1\nE,S,D,2\n", &p);
  EXPECT_EQ(p.findings, "");
  EXPECT_EQ(describe(p.animals),
            (std::vector<std::string>{"C<S,D>row@2 sex 1", "E<S,D>row@3 sex 2",
                                      "S<-,->parent@2 sex 1", "D<-,->parent@2 sex 2"}));
  EXPECT_EQ(p.animals.parents_named, 2);
  EXPECT_EQ(p.animals.parents_added, 0);
}

TEST(CompletionTest, ARowWithOneKnownParentGetsAnAddedFounder) {
  Prepared p;
  prepare(Format::kCsv, "id,sire,dam\nS,,\nA,S,\nB,,D\nC,S,0\n", &p);
  EXPECT_EQ(p.findings, "");
  // Each row its own added parent: half sibs are not made full sibs.
  EXPECT_EQ(
      describe(p.animals),
      (std::vector<std::string>{"S<-,->row@2 sex 0", "A<S,+>row@3 sex 0", "B<+,D>row@4 sex 0",
                                "C<S,+>row@5 sex 0", "D<-,->parent@4 sex 2", "+<-,->added@3 sex 2",
                                "+<-,->added@4 sex 1", "+<-,->added@5 sex 2"}));
  EXPECT_EQ(p.animals.parents_added, 3);
  for (const Animal& animal : p.animals.list) EXPECT_EQ(animal.sire < 0, animal.dam < 0);
}

// Ids the index keeps itself and longer ones, ids that differ in their last byte only and
// in their length only (by a letter, or by a zero byte): each parent is found by its id,
// and a duplicate is refused.
TEST(CompletionTest, IdsOfEveryLength) {
  for (const size_t length : {1, 4, 7, 8, 11, 12, 13, 14, 40, 300}) {
    for (const char last : {'a', '\0'}) {
      const std::string a(length, 'a');
      const std::string b = a.substr(0, length - 1) + "b";
      const std::string longer = a + last;
      Prepared p;
      prepare(Format::kCsv,
              "id,sire,dam\n" + a + ",,\n" + b + ",,\n" + longer + ",,\nC," + a + "," + b + "\nD," +
                  longer + "," + b + "\n" + a + ",,\n",
              &p);
      EXPECT_EQ(p.findings, "in:7: error: duplicate id \"" + a + "\": also at line 2\n") << length;
      ASSERT_EQ(p.animals.count(), 5) << length;
      EXPECT_EQ(p.animals.list[3].sire, 0) << length;
      EXPECT_EQ(p.animals.list[3].dam, 1) << length;
      EXPECT_EQ(p.animals.list[4].sire, 2) << length;
    }
  }
}

// Of the input's bytes, the animals keep their ids and families, each family once for
// the animals in a row that share it.
TEST(CompletionTest, AnimalsKeepTheirTextAlone) {
  Prepared p;
  prepare(Format::kCsv,
          "id,sire,dam,family,sex\nA,S,D,herd 1,M\nB,S,D,herd 1,F\nC,,,herd 2,M\nE,A,,herd 1,F\n",
          &p);
  ASSERT_EQ(p.findings, "");
  std::vector<std::string> before;
  for (int32_t a = 0; a < p.animals.count(); ++a) {
    before.push_back(std::string(p.animals.original(a)) + "/" + std::string(p.animals.family(a)));
  }
  keep_animal_text(p.table, p.animals);
  std::vector<std::string> after;
  for (int32_t a = 0; a < p.animals.count(); ++a) {
    after.push_back(std::string(p.animals.original(a)) + "/" + std::string(p.animals.family(a)));
  }
  EXPECT_EQ(after, before);
  EXPECT_EQ(std::string(p.table.text.begin(), p.table.text.end()), "Aherd 1BCherd 2Eherd 1SD");
  EXPECT_TRUE(p.table.rows.empty());
}

TEST(CompletionTest, FamIdsAreUniqueOnlyWithinTheirFamily) {
  Prepared p;
  prepare(Format::kFam, "F1 A 0 0 1 0\nF2 A 0 0 1 0\nF1 K A M 1 0\nF2 K A M 2 0\n", &p);
  EXPECT_EQ(p.findings, "");
  ASSERT_EQ(p.animals.count(), 6);  // A, A, K, K and a dam M in each family
  EXPECT_EQ(p.animals.list[2].sire, 0);
  EXPECT_EQ(p.animals.list[3].sire, 1);
  EXPECT_NE(p.animals.list[2].dam, p.animals.list[3].dam);
  EXPECT_EQ(p.pedigrees.list.size(), 2u);
}

struct RefusalCase {
  std::string name;
  Format format;
  std::string text;
  std::string findings;
};

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, NamesLinesAndIds) {
  Prepared p;
  prepare(GetParam().format, GetParam().text, &p);
  EXPECT_EQ(p.findings, GetParam().findings);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusalTest,
    ::testing::Values(
        RefusalCase{"DuplicateId", Format::kCsv, "id,sire,dam\nA,,\nB,,\nA,B,\n",
                    "in:4: error: duplicate id \"A\": also at line 2\n"},
        RefusalCase{"DuplicateIidInOneFamily", Format::kFam,
                    "F A 0 0 1 0\nG A 0 0 1 0\nF A 0 0 1 0\n",
                    "in:3: error: duplicate id \"A\" in family \"F\": also at line 1\n"},
        RefusalCase{"SireAndDam", Format::kCsv, "id,sire,dam\nA,X,Y\nB,Y,Z\n",
                    "in:3: error: \"Y\" is sire of \"B\" here but dam of \"A\" at line 2\n"},
        RefusalCase{"SireAndDamOfOneRow", Format::kCsv, "id,sire,dam\nA,X,X\n",
                    "in:2: error: \"X\" is both sire and dam of \"A\"\n"},
        RefusalCase{"ParentInAnotherFamily", Format::kCsv, "id,sire,dam,family\nS,,,h1\nA,S,D,h2\n",
                    "in:3: error: sire \"S\" of \"A\" is in family \"h1\" (line 2), \"A\" in "
                    "family \"h2\"\n"},
        RefusalCase{"ParentNamedInAnotherFamily", Format::kCsv,
                    "id,sire,dam,family\nA,S,D,h1\nB,S,E,h2\n",
                    "in:3: error: sire \"S\" of \"B\" is in family \"h1\" (line 2), \"B\" in "
                    "family \"h2\"\n"},
        RefusalCase{"OwnParent", Format::kCsv, "id,sire,dam\nA,A,B\n",
                    "in:2: error: \"A\" is its own ancestor: \"A\" has sire \"A\"\n"},
        RefusalCase{
            "OwnAncestor", Format::kCsv, "id,sire,dam\nA,B,X\nB,Y,C\nC,A,Z\n",
            "in:2: error: \"A\" is its own ancestor: \"A\" has sire \"B\", \"B\" has dam \"C\", "
            "\"C\" has sire \"A\"\n"},
        RefusalCase{"SexAgainstRole", Format::kCsv, "id,sire,dam,sex\nS,,,F\nD,,,M\nA,S,D,1\n",
                    "in:2: warning: \"S\" has sex 2 (female) but is sire of \"A\" (line 4)\n"
                    "in:3: warning: \"D\" has sex 1 (male) but is dam of \"A\" (line 4)\n"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST(PedigreesTest, ComponentsWithParentsFirstAndTheirSizes) {
  Prepared p;
  // Three pedigrees, listed offspring first; the first has a full-sib mating (a cycle).
  prepare(Format::kCsv, "id,sire,dam\nK,C,D\nC,A,B\nD,A,B\nX,,\nA,,\nB,,\nQ,E,F\nE,G,H\nF,I,J\n",
          &p);
  ASSERT_EQ(p.findings, "");
  ASSERT_EQ(p.pedigrees.list.size(), 3u);
  const Pedigree& first = p.pedigrees.list[0];
  EXPECT_EQ(first.rows, 5);
  EXPECT_EQ(first.families, 2);  // (A,B) and (C,D)
  EXPECT_EQ(first.entries, 7);   // 2 + 2 children, 2 + 1 child
  EXPECT_TRUE(first.has_cycle);
  EXPECT_EQ(p.pedigrees.list[1].rows, 1);  // X alone
  EXPECT_FALSE(p.pedigrees.list[1].has_cycle);
  EXPECT_EQ(p.pedigrees.list[2].rows, 7);
  EXPECT_EQ(p.pedigrees.list[2].entries, 9);
  EXPECT_FALSE(p.pedigrees.list[2].has_cycle);
  // Parents before offspring, IDs 1.. in that order.
  for (const Pedigree& pedigree : p.pedigrees.list) {
    for (int32_t k = 0; k < pedigree.rows; ++k) {
      const int32_t a = p.pedigrees.members[static_cast<size_t>(pedigree.first + k)];
      EXPECT_EQ(p.pedigrees.id_of[static_cast<size_t>(a)], k + 1);
      const Animal& animal = p.animals.list[static_cast<size_t>(a)];
      for (int32_t parent : {animal.sire, animal.dam}) {
        if (parent < 0) continue;
        EXPECT_LT(p.pedigrees.id_of[static_cast<size_t>(parent)], k + 1);
        EXPECT_EQ(p.pedigrees.pedigree_of[static_cast<size_t>(parent)],
                  p.pedigrees.pedigree_of[static_cast<size_t>(a)]);
      }
    }
  }
}

// A table per concern of find_pedigrees: the order of each pedigree's members, and its
// families and entries.

// A population, and what `shown` makes of its pedigrees.
struct PedigreesCase {
  const char* name;
  std::string (*shown)(const Prepared&);
  const char* csv;
  const char* expected;
};

std::string case_name(const ::testing::TestParamInfo<PedigreesCase>& info) {
  return info.param.name;
}

// The members of each pedigree by id, the pedigrees apart by " | ".
std::string member_ids(const Prepared& p) {
  std::string text;
  for (const Pedigree& pedigree : p.pedigrees.list) {
    if (!text.empty()) text += " |";
    for (int32_t k = 0; k < pedigree.rows; ++k) {
      const int32_t a = p.pedigrees.members[static_cast<size_t>(pedigree.first + k)];
      text += (text.empty() ? "" : " ") + std::string(p.animals.original(a));
    }
  }
  return text;
}

// Each pedigree's "rows families entries most_children", and "cycle" when it has one.
std::string family_counts(const Prepared& p) {
  std::string text;
  for (const Pedigree& pedigree : p.pedigrees.list) {
    if (!text.empty()) text += " | ";
    text += std::to_string(pedigree.rows) + " " + std::to_string(pedigree.families) + " " +
            std::to_string(pedigree.entries) + " " + std::to_string(pedigree.most_children) +
            (pedigree.has_cycle ? " cycle" : "");
  }
  return text;
}

class ShownPedigreesTest : public ::testing::TestWithParam<PedigreesCase> {};

TEST_P(ShownPedigreesTest, AsExpected) {
  Prepared p;
  prepare(Format::kCsv, GetParam().csv, &p);
  ASSERT_EQ(p.findings, "");
  EXPECT_EQ(GetParam().shown(p), GetParam().expected);
}

// Members: each animal right after its parents, as found in input order.
INSTANTIATE_TEST_SUITE_P(
    MemberOrder, ShownPedigreesTest,
    ::testing::Values(PedigreesCase{"InputOrderKept", member_ids,
                                    "id,sire,dam\nA,,\nB,,\nC,A,B\nD,A,B\n", "A B C D"},
                      PedigreesCase{"FoundersRightBeforeTheirChild", member_ids,
                                    "id,sire,dam\nC,A,B\nX,,\nA,,\nB,,\n", "A B C | X"},
                      PedigreesCase{"ParentsNamedOnlyAsParents", member_ids,
                                    "id,sire,dam\nC,S,D\nE,S,D\n", "S D C E"},
                      PedigreesCase{"AFounderSireBeforeTheDamsParents", member_ids,
                                    "id,sire,dam\nK,C,D\nD,A,B\nC,,\nA,,\nB,,\n", "C A B D K"},
                      PedigreesCase{"TheSiresParentsBeforeAFounderDam", member_ids,
                                    "id,sire,dam\nK,S,D\nS,A,B\nA,,\nB,,\nD,,\n", "A B S D K"}),
    case_name);
// Families: the distinct parent pairs, their member entries and largest family.
INSTANTIATE_TEST_SUITE_P(
    FamilyCount, ShownPedigreesTest,
    ::testing::Values(PedigreesCase{"HalfSibsOfOneSire", family_counts,
                                    "id,sire,dam\nC1,S,D1\nC2,S,D2\nC3,S,D1\n", "6 2 7 2"},
                      PedigreesCase{"OneDamWithTwoSires", family_counts,
                                    "id,sire,dam\nC1,S1,D\nC2,S2,D\nC3,S1,D\nC4,S1,D\n", "7 2 8 3"},
                      PedigreesCase{"AFullSibMating", family_counts,
                                    "id,sire,dam\nK,C,D\nC,A,B\nD,A,B\n", "5 2 7 2 cycle"},
                      PedigreesCase{"AHalfSibMating", family_counts,
                                    "id,sire,dam\nC,S,D1\nE,S,D2\nK,C,E\n", "6 3 9 1 cycle"},
                      PedigreesCase{"EachFamilyInItsOwnPedigree", family_counts,
                                    "id,sire,dam\nX,,\nC1,S,D\nY,,\nC2,S,D\nC3,T,E\n",
                                    "1 0 0 0 | 4 1 4 2 | 1 0 0 0 | 3 1 3 1"}),
    case_name);

}  // namespace
}  // namespace pedpeel::pedprep
