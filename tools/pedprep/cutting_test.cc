// Cutting with copies: on small pedigrees an exhaustive search over the parent links to
// replace by copies finds the fewest copies after which pedpeel takes every pedigree, and
// the cuts made for loops are that many, never more than the cyclomatic number; the size
// split keeps every piece within the limits given, and keeps only the loops pedpeel takes
// wherever the pieces fall; a family too large for one record is split.
#include "tools/pedprep/cutting.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tools/pedprep/family_graph.h"
#include "tools/pedprep/loop_warnings.h"

namespace pedpeel::pedprep {
namespace {

struct Prepared {
  InputTable table;
  Animals animals;
  Pedigrees pedigrees;
  CutSummary summary;
};

// Reads `text` (a CSV of id,sire,dam) into `prepared` and finds its pedigrees.
void read(const std::string& text, Prepared* prepared) {
  prepared->table.text.assign(text.begin(), text.end());
  Report report("in");
  read_table(Format::kCsv, {}, prepared->table, report);
  prepared->animals = complete_animals(prepared->table, report);
  prepared->pedigrees = find_pedigrees(prepared->animals, report);
  ASSERT_EQ(report.errors(), 0);
}

bool pedpeel_takes_all(const Animals& animals, const Pedigrees& pedigrees) {
  const std::vector<uint8_t> refused = pedigrees_pedpeel_refuses(animals, pedigrees);
  return std::find(refused.begin(), refused.end(), 1) == refused.end();
}

// The fewest parent links to replace by copies for pedpeel to take every pedigree: every
// set of k links, k = 0, 1, ... in turn.
int fewest_copies(const Animals& animals) {
  const FamilyGraph graph = family_graph(animals, {});
  const int links = 2 * graph.families();
  for (int k = 0; k <= links; ++k) {
    std::vector<bool> chosen(static_cast<size_t>(links), false);
    std::fill(chosen.end() - k, chosen.end(), true);
    do {
      Animals copied = animals;
      for (int link = 0; link < links; ++link) {
        if (!chosen[static_cast<size_t>(link)]) continue;
        const int32_t f = link / 2;
        const int32_t parent =
            link % 2 == 0 ? graph.sire[static_cast<size_t>(f)] : graph.dam[static_cast<size_t>(f)];
        replace_parent(copied, graph.children_of(f), parent, add_copy(copied, parent));
      }
      Report report("in");
      if (pedpeel_takes_all(copied, find_pedigrees(copied, report))) return k;
    } while (std::next_permutation(chosen.begin(), chosen.end()));
  }
  return -1;
}

// A random pedigree of `animals` rows: three founders, then animals whose parents are
// drawn among those before them (a sire among the males, a dam among the females).
std::string random_pedigree(int animals, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> males = {"m0", "m1"}, females = {"f0"};
  std::string text = "id,sire,dam\n";
  for (int k = 0; k < animals; ++k) {
    const std::string& sire = males[random() % males.size()];
    const std::string& dam = females[random() % females.size()];
    const std::string id = "a" + std::to_string(k);
    text += id + "," + sire + "," + dam + "\n";
    (random() % 2 == 0 ? males : females).push_back(id);
  }
  return text;
}

TEST(CuttingTest, FewestCopiesForLoops) {
  const struct {
    std::string name;
    std::string text;
    int64_t cyclomatic;
    int copies;
  } cases[] = {
      {"half sibs mate", "id,sire,dam\nA,S,D1\nB,S,D2\nC,A,B\n", 1, 1},
      {"full sibs mate (pedpeel takes it)", "id,sire,dam\nA,S,D\nB,S,D\nC,A,B\n", 1, 0},
      {"sire and daughter (pedpeel takes it)", "id,sire,dam\nB,S,D\nC,S,B\n", 1, 0},
      {"two sires on two dams", "id,sire,dam\nA,S1,D1\nB,S1,D2\nC,S2,D1\nE,S2,D2\n", 1, 1},
      {"a bull in three herds, his grandsons used back",
       "id,sire,dam\nA,S,D1\nB,S,D2\nC,S,D3\nG,A,B\nH,G,C\nI,S,B\n", 3, 2},
      {"uncle and niece", "id,sire,dam\nA,S,D\nB,S,D\nC,X,B\nK,A,C\n", 1, 1},
  };
  for (const auto& c : cases) {
    Prepared prepared;
    read(c.text, &prepared);
    EXPECT_EQ(fewest_copies(prepared.animals), c.copies) << c.name;
    const Pedigrees cut = cut_pedigrees(prepared.animals, prepared.pedigrees, RunLimits{},
                                        *std::make_unique<Report>("in"), prepared.summary);
    EXPECT_EQ(prepared.summary.loop_copies, c.copies) << c.name;
    EXPECT_TRUE(pedpeel_takes_all(prepared.animals, cut)) << c.name;
    if (c.copies > 0) {
      ASSERT_EQ(prepared.summary.pedigrees.size(), 1u) << c.name;
      EXPECT_EQ(prepared.summary.pedigrees[0].cyclomatic, c.cyclomatic) << c.name;
    }
  }
  // Random pedigrees: never fewer copies than the search, never more than the cyclomatic
  // number, and pedpeel takes the result. The fewest in most: where pedpeel cannot take
  // a kept mating of sibs or of a parent and child after all, its pedigree is cut into a
  // tree, and the search may find a cheaper cut that keeps another such loop.
  int fewest = 0;
  for (uint32_t seed = 1; seed <= 24; ++seed) {
    Prepared prepared;
    read(random_pedigree(6, seed), &prepared);
    const int search = fewest_copies(prepared.animals);
    Report report("in");
    const Pedigrees cut =
        cut_pedigrees(prepared.animals, prepared.pedigrees, RunLimits{}, report, prepared.summary);
    EXPECT_TRUE(pedpeel_takes_all(prepared.animals, cut)) << seed;
    EXPECT_GE(prepared.summary.loop_copies, search) << seed;
    int64_t cyclomatic = 0;
    for (const CutPedigree& pedigree : prepared.summary.pedigrees)
      cyclomatic += pedigree.cyclomatic;
    EXPECT_LE(prepared.summary.loop_copies, cyclomatic) << seed;
    fewest += prepared.summary.loop_copies == search;
  }
  EXPECT_GE(fewest, 16);
}

TEST(CuttingTest, PiecesWithinTheLimits) {
  // Generations of a herd: each dam's daughters bred to the sire of the next generation:
  // one large pedigree, its loops through the sires.
  std::string text = "id,sire,dam\n";
  std::vector<std::string> dams = {"d"};
  for (int generation = 0; generation < 5; ++generation) {
    std::vector<std::string> daughters;
    const std::string sire = "s" + std::to_string(generation);
    for (const std::string& dam : dams) {
      for (int k = 0; k < 4; ++k) {
        daughters.push_back(dam + "." + std::to_string(k));
        text += daughters.back() + "," + sire + "," + dam + "\n";
      }
    }
    dams = daughters;
  }
  // Two full-sib matings on the first dam: pedpeel takes the first wherever the pieces
  // fall, so it is kept; the second's sire also mates in the herd, so it is cut.
  text += "k1,K,d\nk2,K,d\nk3,k1,k2\nl1,L,d\nl2,L,d\nl3,l1,l2\nl4,l1,d.0\n";
  // And a family too large for one record.
  for (int k = 0; k < 250; ++k) text += "big" + std::to_string(k) + ",S,D\n";
  Prepared prepared;
  read(text, &prepared);
  const RunLimits limits{120, 150};
  Report report("in");
  const Pedigrees cut =
      cut_pedigrees(prepared.animals, prepared.pedigrees, limits, report, prepared.summary);
  EXPECT_GT(prepared.summary.size_copies, 0);
  EXPECT_TRUE(pedpeel_takes_all(prepared.animals, cut));
  int64_t cyclomatic = 0;
  for (const CutPedigree& pedigree : prepared.summary.pedigrees) cyclomatic += pedigree.cyclomatic;
  EXPECT_EQ(prepared.summary.loop_copies, cyclomatic - 1);  // all but the kept loop
  int32_t rows = 0;
  for (const Pedigree& pedigree : cut.list) {
    EXPECT_LE(pedigree.rows, limits.rows);
    EXPECT_LE(pedigree.entries, limits.entries);
    EXPECT_LE(pedigree.most_children, 98);
    rows += pedigree.rows;
  }
  EXPECT_EQ(rows, prepared.animals.count());
  // Each copy is a founder of its original's id and sex.
  for (int32_t a = prepared.animals.first_copy; a < prepared.animals.count(); ++a) {
    const Animal& copy = prepared.animals.list[static_cast<size_t>(a)];
    const Animal& original =
        prepared.animals.list[static_cast<size_t>(prepared.animals.original_of(a))];
    EXPECT_EQ(copy.source, Source::kCopy);
    EXPECT_EQ(copy.sire, -1);
    EXPECT_EQ(prepared.animals.original(copy), prepared.animals.original(original));
    EXPECT_EQ(copy.sex, original.sex);
    EXPECT_NE(original.source, Source::kCopy);
  }
}

}  // namespace
}  // namespace pedpeel::pedprep
