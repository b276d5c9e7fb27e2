#include "tools/pedprep/pedigrees.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <span>
#include <utility>

#include "tools/pedprep/parent_walk.h"

namespace pedpeel::pedprep {

namespace {

// The sire and the dam of an animal (-1 for none). The graph walks below read these, a
// table small enough to stay in the cache, and not the animals.
using Parents = std::array<int32_t, 2>;

// How many animals ahead a pass over the animals in one order fetches what it will read of
// them in another.
constexpr int32_t kAhead = 8;

// Reports an own-ancestor cycle at the line of the animal it starts from, with its chain.
void report_cycle(const Animals& animals, const std::vector<CycleLink>& cycle, Report& report) {
  const int32_t first = cycle.front().child;
  std::string chain;
  for (size_t k = 0; k < cycle.size(); ++k) {
    const int32_t next = k + 1 < cycle.size() ? cycle[k + 1].child : first;
    if (!chain.empty()) chain += ", ";
    chain += animal_name(animals, cycle[k].child) +
             (cycle[k].role == 0 ? " has sire " : " has dam ") + animal_name(animals, next);
  }
  report.mendable_error(animals.list[static_cast<size_t>(first)].line,
                        animal_name(animals, first) + " is its own ancestor: " + chain);
}

// Every animal once, parents before offspring (parent_walk.h), reading the parent links
// from `parents`. A cycle is reported with its chain of ids; returns false then.
bool parents_first(const Animals& animals, std::span<const Parents> parents, Report& report,
                   std::vector<int32_t>* order) {
  // Each animal is taken once: the order is written in place, not pushed.
  order->resize(static_cast<size_t>(animals.count()));
  size_t taken = 0;
  bool ok = true;
  walk_parents_first(
      animals.count(),
      [&](int32_t a, int role) {
        return parents[static_cast<size_t>(a)][static_cast<size_t>(role)];
      },
      [&](int32_t a) { __builtin_prefetch(&parents[static_cast<size_t>(a)]); },
      [&](int32_t a) { (*order)[taken++] = a; },
      [&](const std::vector<CycleLink>& cycle) {
        report_cycle(animals, cycle, report);
        ok = false;
        return cycle.size() - 1;  // the walk goes on past the closing link
      });
  return ok;
}

// Union-find root with path halving. Links go from the larger root to the smaller, so
// up[a] <= a throughout and a component's root is its first animal.
int32_t root_of(std::vector<int32_t>& up, int32_t a) {
  while (up[static_cast<size_t>(a)] != a) {
    up[static_cast<size_t>(a)] = up[static_cast<size_t>(up[static_cast<size_t>(a)])];
    a = up[static_cast<size_t>(a)];
  }
  return a;
}

// Makes the components of a and b one.
void join(std::vector<int32_t>& up, int32_t a, int32_t b) {
  const int32_t x = root_of(up, a);
  const int32_t y = root_of(up, b);
  if (x != y) up[static_cast<size_t>(std::max(x, y))] = std::min(x, y);
}

// Pedigrees numbered by their first animal in index order: the input rows come first. An
// animal that is not a root has up[a] < a in its own pedigree, numbered before it.
void number_pedigrees(const std::vector<int32_t>& up, Pedigrees* result) {
  const size_t n = up.size();
  result->pedigree_of.resize(n);
  for (size_t a = 0; a < n; ++a) {
    const int32_t link = up[a];
    if (static_cast<size_t>(link) == a) {
      result->pedigree_of[a] = static_cast<int32_t>(result->list.size());
      result->list.push_back({});
      result->list.back().named_by = static_cast<int32_t>(a);
    } else {
      result->pedigree_of[a] = result->pedigree_of[static_cast<size_t>(link)];
    }
    ++result->list[static_cast<size_t>(result->pedigree_of[a])].rows;
  }
}

// Members by pedigree, in the parents-first order (a stable bucket sort), and their IDs.
void place_members(const std::vector<int32_t>& order, Pedigrees* result) {
  int32_t first = 0;
  for (Pedigree& pedigree : result->list) {
    pedigree.first = first;
    first += pedigree.rows;
  }
  std::vector<int32_t> next(result->list.size());
  for (size_t p = 0; p < result->list.size(); ++p) next[p] = result->list[p].first;
  result->members.resize(order.size());
  result->id_of.resize(order.size());
  for (size_t k = 0; k < order.size(); ++k) {
    if (k + kAhead < order.size()) {
      const size_t ahead = static_cast<size_t>(order[k + kAhead]);
      __builtin_prefetch(&result->pedigree_of[ahead]);
      __builtin_prefetch(&result->id_of[ahead], 1);
    }
    const int32_t a = order[k];
    const size_t p = static_cast<size_t>(result->pedigree_of[static_cast<size_t>(a)]);
    result->id_of[static_cast<size_t>(a)] = next[p] - result->list[p].first + 1;
    result->members[static_cast<size_t>(next[p]++)] = a;
  }
}

// Sorts a dam's few sires where they lie: by insertion, or std::sort for many.
void sort_sires(std::span<int32_t> sires) {
  if (sires.size() > 32) {
    std::sort(sires.begin(), sires.end());
    return;
  }
  for (size_t k = 1; k < sires.size(); ++k) {
    const int32_t sire = sires[k];
    size_t to = k;
    for (; to > 0 && sire < sires[to - 1]; --to) sires[to] = sires[to - 1];
    sires[to] = sire;
  }
}

// The families of each pedigree (the distinct (sire, dam) pairs of its animals), its
// member entries and whether its graph has a cycle. A family is in the pedigree of its
// dam: the sires of each dam's children, gathered by a counting sort over the dams, give
// her families, visiting the dams in index order.
void count_families(std::span<const Parents> parents, Pedigrees* result) {
  const size_t n = parents.size();
  std::vector<int32_t> children(result->list.size(), 0);  // by pedigree
  std::vector<int32_t> start(n + 1, 0);                   // by dam, and one past the last
  for (size_t a = 0; a < n; ++a) {
    const Parents& of = parents[a];
    if (of[0] < 0) continue;
    ++children[static_cast<size_t>(result->pedigree_of[a])];
    if (of[1] >= 0) ++start[static_cast<size_t>(of[1]) + 1];
  }
  for (size_t d = 0; d < n; ++d) start[d + 1] += start[d];
  std::vector<int32_t> sires(static_cast<size_t>(start[n]));
  for (size_t a = 0; a < n; ++a) {
    const Parents& of = parents[a];
    if (of[0] >= 0 && of[1] >= 0)
      sires[static_cast<size_t>(start[static_cast<size_t>(of[1])]++)] = of[0];
  }
  // Each dam's sires now end where the next dam's begin.
  for (size_t d = 0, first = 0; d < n; first = static_cast<size_t>(start[d++])) {
    const auto end = static_cast<size_t>(start[d]);
    if (first == end) continue;
    const std::span<int32_t> of_dam = std::span<int32_t>(sires).subspan(first, end - first);
    sort_sires(of_dam);
    Pedigree& pedigree = result->list[static_cast<size_t>(result->pedigree_of[d])];
    for (size_t k = 0, run = 0; k < of_dam.size(); ++k) {
      run = k > 0 && of_dam[k] == of_dam[k - 1] ? run + 1 : 1;
      pedigree.families += run == 1;
      pedigree.most_children = std::max(pedigree.most_children, static_cast<int32_t>(run));
    }
  }
  for (size_t p = 0; p < result->list.size(); ++p) {
    Pedigree& pedigree = result->list[p];
    const int64_t entries = 2 * int64_t{pedigree.families} + children[p];
    pedigree.entries = static_cast<int32_t>(std::min<int64_t>(entries, INT32_MAX));
    // A connected graph of V nodes is a tree when it has V - 1 edges; here V = rows +
    // families and the edges are the member entries.
    pedigree.has_cycle = entries > int64_t{pedigree.rows} + pedigree.families - 1;
  }
}

}  // namespace

Pedigrees find_pedigrees(const Animals& animals, Report& report) {
  Pedigrees result;
  const size_t n = static_cast<size_t>(animals.count());
  // The parent links, and the components they join.
  std::vector<Parents> parents(n);
  std::vector<int32_t> up(n);
  std::iota(up.begin(), up.end(), 0);
  for (size_t i = 0; i < n; ++i) {
    if (i + kAhead < n) {
      const Animal& ahead = animals.list[i + kAhead];
      if (ahead.sire >= 0) __builtin_prefetch(&up[static_cast<size_t>(ahead.sire)]);
      if (ahead.dam >= 0) __builtin_prefetch(&up[static_cast<size_t>(ahead.dam)]);
    }
    parents[i] = {animals.list[i].sire, animals.list[i].dam};
    for (int32_t parent : parents[i]) {
      if (parent >= 0) join(up, static_cast<int32_t>(i), parent);
    }
  }
  std::vector<int32_t> order;
  if (!parents_first(animals, parents, report, &order)) return result;
  number_pedigrees(up, &result);
  place_members(order, &result);
  count_families(parents, &result);
  return result;
}

std::string pedigree_name(const Animals& animals, const Pedigree& pedigree) {
  const size_t a = static_cast<size_t>(pedigree.named_by);
  const std::string_view family = animals.family(animals.list[a]);
  std::string name = "pedigree of " + quoted(animals.original(animals.list[a]));
  if (!family.empty()) name += " in family " + quoted(family);
  return name;
}

}  // namespace pedpeel::pedprep
