#include "tools/pedinfo/shortest_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <random>

namespace pedpeel::pedinfo {
namespace {

struct ParentsAndChildren {
  int16_t first;
  int16_t second;
  std::vector<int16_t> children;
};

struct LoopCase {
  const char* name;
  std::vector<ParentsAndChildren> families;
  std::vector<int32_t> left;  // empty: every family
  std::vector<LoopNode> expected;
};

void PrintTo(const LoopCase& test, std::ostream* out) {
  *out << test.name;
}

LoopNode I(int32_t id) {
  return {false, id};
}
LoopNode F(int32_t family) {
  return {true, family};
}

std::vector<ParentsAndChildren> cousins() {
  return {{1, 2, {3, 4}}, {3, 5, {6}}, {7, 4, {8}}, {6, 8, {9}}};
}

const LoopCase kLoopCases[] = {
    {"CousinLoop", cousins(), {}, {I(3), F(2), I(6), F(4), I(8), F(3), I(4), F(1)}},
    {"SecondCousinLoop",
     {{1, 2, {3, 4}}, {3, 5, {6}}, {4, 7, {8}}, {6, 9, {10}}, {8, 11, {12}}, {10, 12, {13}}},
     {},
     {I(3), F(2), I(6), F(4), I(10), F(6), I(12), F(5), I(8), F(3), I(4), F(1)}},
    // The same parents in both orders: two families joined through both of them.
    {"ShortestOfTwoLoops",
     {{1, 2, {3, 4}}, {3, 5, {6}}, {7, 4, {8}}, {6, 8, {9}}, {20, 21, {22}}, {21, 20, {23}}},
     {},
     {I(20), F(6), I(21), F(5)}},
    {"Tree", {{1, 2, {3}}, {3, 4, {5}}, {5, 6, {7}}}, {}, {}},
    // A parent that is its own child closes no loop of the graph.
    {"IdTwiceInOneList", {{10, 11, {10}}}, {}, {}},
    {"OnlyTheFamiliesLeft", cousins(), {1, 2, 3}, {}},
    {"LoopAmongTheFamiliesLeft",
     {{30, 31, {32}}, {1, 2, {3, 4}}, {3, 5, {6}}, {7, 4, {8}}, {6, 8, {9}}},
     {2, 3, 4, 5},
     {I(3), F(3), I(6), F(5), I(8), F(4), I(4), F(2)}},
};

class ShortestLoopTest : public ::testing::TestWithParam<LoopCase> {};

TEST_P(ShortestLoopTest, FindsOneShortestCycle) {
  const LoopCase& test = GetParam();
  Families families;
  for (const ParentsAndChildren& family : test.families) {
    families.add(family.first, family.second, family.children);
  }
  std::vector<int32_t> left = test.left;
  if (left.empty()) {
    for (int32_t f = 1; f <= families.NFAM; ++f) left.push_back(f);
  }
  const std::vector<LoopNode> loop = shortest_loop(families, left);
  ASSERT_EQ(loop.size(), test.expected.size());
  for (size_t k = 0; k < loop.size(); ++k) {
    EXPECT_EQ(loop[k], test.expected[k]) << "node " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(Loops, ShortestLoopTest, ::testing::ValuesIn(kLoopCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Whatever the loop, consecutive nodes are a family and one of its members, and no node
// repeats.
TEST(ShortestLoopTest, PathIsACycleOfTheGraph) {
  Families families;
  for (const ParentsAndChildren& family : std::vector<ParentsAndChildren>{{1, 2, {3, 4, 5}},
                                                                          {3, 6, {7}},
                                                                          {4, 8, {9}},
                                                                          {5, 10, {11}},
                                                                          {7, 9, {12}},
                                                                          {12, 11, {13}}}) {
    families.add(family.first, family.second, family.children);
  }
  const std::vector<int32_t> left = {1, 2, 3, 4, 5, 6};
  const std::vector<LoopNode> loop = shortest_loop(families, left);
  ASSERT_EQ(loop.size(), 8u);
  for (size_t k = 0; k < loop.size(); ++k) {
    const LoopNode& a = loop[k];
    const LoopNode& b = loop[(k + 1) % loop.size()];
    ASSERT_NE(a.is_family, b.is_family);
    const LoopNode& family = a.is_family ? a : b;
    const LoopNode& person = a.is_family ? b : a;
    const auto members = families.members(family.value);
    EXPECT_NE(std::find(members.begin(), members.end(), person.value), members.end());
    for (size_t j = k + 1; j < loop.size(); ++j) EXPECT_FALSE(loop[j] == a);
  }
}

// The search from every individual in turn, kept straightforward: the loop that
// shortest_loop must return, found in time quadratic in the graph.
std::vector<LoopNode> loop_by_search_from_every_individual(const Families& families,
                                                           const std::vector<int32_t>& left) {
  std::vector<LoopNode> nodes;
  std::vector<std::vector<int32_t>> adjacent(left.size());
  for (int32_t f : left) nodes.push_back({true, f});
  std::map<int16_t, int32_t> node_of_id;
  for (size_t k = 0; k < left.size(); ++k) {
    for (int16_t id : families.members(left[k])) {
      auto [it, added] = node_of_id.emplace(id, static_cast<int32_t>(nodes.size()));
      if (added) {
        nodes.push_back({false, id});
        adjacent.emplace_back();
      }
      std::vector<int32_t>& members = adjacent[k];
      if (std::find(members.begin(), members.end(), it->second) != members.end()) continue;
      members.push_back(it->second);
      adjacent[it->second].push_back(static_cast<int32_t>(k));
    }
  }
  const int32_t n = static_cast<int32_t>(nodes.size());
  int32_t best = n + 1;
  std::vector<LoopNode> loop;
  for (int32_t start = static_cast<int32_t>(left.size()); start < n; ++start) {
    std::vector<int32_t> dist(n, -1), parent(n, -1);
    int32_t limit = best, u_best = -1, v_best = -1;
    std::deque<int32_t> queue{start};
    dist[start] = 0;
    while (!queue.empty()) {
      const int32_t u = queue.front();
      queue.pop_front();
      if (2 * dist[u] + 1 >= limit) break;
      for (int32_t v : adjacent[u]) {
        if (dist[v] < 0) {
          dist[v] = dist[u] + 1;
          parent[v] = u;
          queue.push_back(v);
        } else if (v != parent[u] && parent[v] != u && dist[u] + dist[v] + 1 < limit) {
          limit = dist[u] + dist[v] + 1;
          u_best = u;
          v_best = v;
        }
      }
    }
    if (u_best < 0) continue;
    best = limit;
    std::vector<int32_t> path;
    for (int32_t node = u_best; node != -1; node = parent[node]) path.push_back(node);
    std::reverse(path.begin(), path.end());
    for (int32_t node = v_best; node != start; node = parent[node]) path.push_back(node);
    loop.clear();
    for (int32_t node : path) loop.push_back(nodes[node]);
  }
  return loop;
}

// Random sets of families, from sparse trees to dense tangles with long chains: the
// contracted search finds the same loop as the search from every individual.
TEST(ShortestLoopTest, SameLoopAsASearchFromEveryIndividual) {
  std::mt19937 random(7);
  for (int round = 0; round < 900; ++round) {
    const int ids = 4 + static_cast<int>(random() % 60);
    const int count = 1 + static_cast<int>(random() % 40);
    const bool chains = round % 3 == 0;
    // Sparse: each family mates a child of an earlier family with one of its own mates, so
    // loops are rare and long.
    const bool sparse = round % 3 == 1;
    Families families;
    std::map<std::pair<int16_t, int16_t>, bool> pairs;
    for (int k = 0; k < count; ++k) {
      // Chains: each family's first parent is a child of the family before it.
      int16_t first = chains && k > 0 ? families.children(families.NFAM)[0]
                                      : static_cast<int16_t>(1 + random() % ids);
      int16_t second = static_cast<int16_t>(1 + random() % ids);
      if (sparse && k > 0) {
        first = families.children(1 + static_cast<int32_t>(random() % families.NFAM))[0];
        second = random() % 4 == 0
                     ? families.children(1 + static_cast<int32_t>(random() % families.NFAM))[0]
                     : static_cast<int16_t>(2000 + k);
      }
      if (!pairs.emplace(std::pair(first, second), true).second) continue;
      std::vector<int16_t> children;
      const int size = 1 + static_cast<int>(random() % 3);
      for (int c = 0; c < size; ++c) {
        children.push_back((chains || sparse) && c == 0 ? static_cast<int16_t>(1000 + k)
                                                        : static_cast<int16_t>(1 + random() % ids));
      }
      families.add(first, second, children);
    }
    std::vector<int32_t> left;
    for (int32_t f = 1; f <= families.NFAM; ++f) {
      if (round % 2 == 0 || random() % 4 != 0) left.push_back(f);
    }
    const std::vector<LoopNode> expected = loop_by_search_from_every_individual(families, left);
    const std::vector<LoopNode> actual = shortest_loop(families, left);
    ASSERT_EQ(actual.size(), expected.size()) << "round " << round;
    for (size_t k = 0; k < actual.size(); ++k) {
      ASSERT_EQ(actual[k], expected[k]) << "round " << round << ", node " << k;
    }
  }
}

}  // namespace
}  // namespace pedpeel::pedinfo
