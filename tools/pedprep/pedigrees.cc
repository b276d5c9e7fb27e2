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
  order->clear();
  order->reserve(static_cast<size_t>(animals.count()));
  bool ok = true;
  walk_parents_first(
      animals.count(),
      [&](int32_t a, int role) {
        return parents[static_cast<size_t>(a)][static_cast<size_t>(role)];
      },
      [&](int32_t a) { __builtin_prefetch(&parents[static_cast<size_t>(a)]); },
      [&](int32_t a) { order->push_back(a); },
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

// Sorts `keys` by 16-bit digits from the lowest, as many as the largest key has
// (`scratch` is reused): in a few passes over them, where a comparison sort takes some
// twenty over a million.
void radix_sort(std::vector<uint64_t>& keys, std::vector<uint64_t>& scratch) {
  uint64_t largest = 0;
  for (uint64_t key : keys) largest = std::max(largest, key);
  scratch.resize(keys.size());
  std::vector<uint32_t> start(size_t{1} << 16);
  for (int shift = 0; shift < 64 && (largest >> shift) != 0; shift += 16) {
    std::fill(start.begin(), start.end(), 0);
    for (uint64_t key : keys) ++start[(key >> shift) & 0xFFFF];
    uint32_t sum = 0;
    for (uint32_t& count : start) sum += std::exchange(count, sum);
    for (uint64_t key : keys) scratch[start[(key >> shift) & 0xFFFF]++] = key;
    keys.swap(scratch);
  }
}

// The families of each pedigree (the distinct (sire, dam) pairs of its members, found by
// sorting them), its member entries and whether its graph has a cycle.
void count_families(std::span<const Parents> parents, Pedigrees* result) {
  std::vector<uint64_t> pairs;
  std::vector<uint64_t> scratch;
  for (Pedigree& pedigree : result->list) {
    pairs.clear();
    int32_t children = 0;
    for (int32_t k = pedigree.first; k < pedigree.first + pedigree.rows; ++k) {
      const size_t ahead = static_cast<size_t>(k) + kAhead;
      if (ahead < result->members.size()) {
        __builtin_prefetch(&parents[static_cast<size_t>(result->members[ahead])]);
      }
      const Parents& of = parents[static_cast<size_t>(result->members[static_cast<size_t>(k)])];
      if (of[0] < 0) continue;
      ++children;
      if (of[1] < 0) continue;
      pairs.push_back((uint64_t{static_cast<uint32_t>(of[0])} << 32) |
                      static_cast<uint32_t>(of[1]));
    }
    if (pairs.size() < 4096) {
      std::sort(pairs.begin(), pairs.end());
    } else {
      radix_sort(pairs, scratch);
    }
    for (size_t k = 0, run = 0; k < pairs.size(); ++k) {
      run = k > 0 && pairs[k] == pairs[k - 1] ? run + 1 : 1;
      pedigree.most_children = std::max(pedigree.most_children, static_cast<int32_t>(run));
    }
    pedigree.families =
        static_cast<int32_t>(std::unique(pairs.begin(), pairs.end()) - pairs.begin());
    const int64_t entries = 2 * int64_t{pedigree.families} + children;
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
  std::string name = "pedigree of " + quoted(animals.list[a].original);
  if (!animals.list[a].family.empty()) name += " in family " + quoted(animals.list[a].family);
  return name;
}

}  // namespace pedpeel::pedprep
