// regroup_families: a graph whose parents some copies replaced, put back in order, is the
// graph family_graph makes of the animals as they are then.
#include "tools/pedprep/family_graph.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pedpeel::pedprep {
namespace {

// Rows first (a b c e f g), then the parents as met: s1 d1 s2 s3 d2. The families of d1
// have sires s1, s2 and s3; those of d2, s1 and s2.
constexpr char kPedigree[] =
    "id,sire,dam\n"
    "a,s1,d1\n"
    "b,s2,d1\n"
    "c,s3,d1\n"
    "e,s1,d2\n"
    "f,s2,d2\n"
    "g,s1,d1\n";

// A parent link to replace by a copy: the family of `sire` and `dam`, role 0 the sire.
struct Cut {
  const char* sire;
  const char* dam;
  int role;
};

int32_t animal_named(const Animals& animals, std::string_view id) {
  for (int32_t a = 0; a < animals.count(); ++a) {
    if (animals.original(a) == id) return a;
  }
  return -1;
}

TEST(RegroupFamiliesTest, GivesTheOrderOfANewGraph) {
  const struct {
    const char* name;
    std::vector<Cut> cuts;  // in the order the copies are made
  } cases[] = {
      {"none", {}},
      {"one sire", {{"s1", "d1", 0}}},
      {"two sires of a dam, the later family first", {{"s3", "d1", 0}, {"s1", "d1", 0}}},
      {"a sire of each dam", {{"s2", "d2", 0}, {"s2", "d1", 0}}},
      {"a dam", {{"s1", "d1", 1}}},
      {"two dams, the later family first", {{"s2", "d2", 1}, {"s1", "d1", 1}}},
      {"both parents of a family", {{"s2", "d1", 1}, {"s2", "d1", 0}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    InputTable table;
    table.text.assign(kPedigree, kPedigree + sizeof(kPedigree) - 1);
    Report report("in");
    read_table(Format::kCsv, {}, table, report);
    Animals animals = complete_animals(table, report);
    ASSERT_EQ(report.errors(), 0);
    FamilyGraph graph = family_graph(animals, {});
    const size_t made_for = graph.family_of.size();
    for (const Cut& cut : c.cuts) {
      const int32_t sire = animal_named(animals, cut.sire);
      const int32_t dam = animal_named(animals, cut.dam);
      for (int32_t f = 0; f < graph.families(); ++f) {
        const auto k = static_cast<size_t>(f);
        if (graph.sire[k] != sire || graph.dam[k] != dam) continue;
        int32_t& parent = cut.role == 0 ? graph.sire[k] : graph.dam[k];
        const int32_t copy = add_copy(animals, parent);
        replace_parent(animals, graph.children_of(f), parent, copy);
        parent = copy;
      }
    }
    regroup_families(graph);
    const FamilyGraph expected = family_graph(animals, {});
    EXPECT_EQ(graph.sire, expected.sire);
    EXPECT_EQ(graph.dam, expected.dam);
    EXPECT_EQ(graph.child_start, expected.child_start);
    EXPECT_EQ(graph.children, expected.children);
    ASSERT_EQ(graph.family_of.size(), made_for);
    EXPECT_EQ(graph.family_of,
              std::vector<int32_t>(expected.family_of.begin(),
                                   expected.family_of.begin() + static_cast<ptrdiff_t>(made_for)));
  }
}

}  // namespace
}  // namespace pedpeel::pedprep
