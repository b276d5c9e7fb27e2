#include "tools/pedprep/pedigrees.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <utility>

namespace pedpeel::pedprep {

namespace {

// The sire and the dam of an animal (-1 for none). The graph walks below read these, a
// table small enough to stay in the cache, and not the animals.
using Parents = std::array<int32_t, 2>;

// Every animal once, parents before offspring: a depth-first walk up the parent links from
// each animal in index order, taking an animal when both its parents are taken. Keeps the
// input order where it already puts parents first. A parent link back to an animal on the
// walk closes a cycle, reported with its chain of ids; returns false then.
bool parents_first(const Animals& animals, std::span<const Parents> parents, Report& report,
                   std::vector<int32_t>* order) {
  const int32_t count = animals.count();
  enum : uint8_t { kNew, kOnWalk, kTaken };
  std::vector<uint8_t> state(static_cast<size_t>(count), kNew);
  struct Step {
    int32_t animal;
    int8_t next_role;  // 0: look at the sire next, 1: the dam, 2: both done
    int8_t via_role;   // the role this animal has for the step below it
  };
  std::vector<Step> walk;
  order->clear();
  order->reserve(static_cast<size_t>(count));
  bool ok = true;
  for (int32_t start = 0; start < count; ++start) {
    if (state[static_cast<size_t>(start)] != kNew) continue;
    state[static_cast<size_t>(start)] = kOnWalk;
    walk.push_back({start, 0, -1});
    while (!walk.empty()) {
      Step& step = walk.back();
      if (step.next_role == 2) {
        state[static_cast<size_t>(step.animal)] = kTaken;
        order->push_back(step.animal);
        walk.pop_back();
        continue;
      }
      const int8_t role = step.next_role++;
      const size_t i = static_cast<size_t>(step.animal);
      const int32_t parent = parents[i][static_cast<size_t>(role)];
      if (parent < 0 || state[static_cast<size_t>(parent)] == kTaken) continue;
      if (state[static_cast<size_t>(parent)] == kNew) {
        state[static_cast<size_t>(parent)] = kOnWalk;
        walk.push_back({parent, 0, role});
        continue;
      }
      // The parent is on the walk: the walk from it to here, and back to it, is a cycle.
      size_t from = walk.size() - 1;
      while (walk[from].animal != parent) --from;
      std::string chain;
      for (size_t k = from; k < walk.size(); ++k) {
        const int32_t next = k + 1 < walk.size() ? walk[k + 1].animal : parent;
        const int8_t next_role = k + 1 < walk.size() ? walk[k + 1].via_role : role;
        if (!chain.empty()) chain += ", ";
        chain += animal_name(animals, walk[k].animal) +
                 (next_role == 0 ? " has sire " : " has dam ") + animal_name(animals, next);
      }
      report.error(animals.list[static_cast<size_t>(parent)].line,
                   animal_name(animals, parent) + " is its own ancestor: " + chain);
      ok = false;
    }
  }
  return ok;
}

// Union-find root with path halving.
int32_t root_of(std::vector<int32_t>& up, int32_t a) {
  while (up[static_cast<size_t>(a)] != a) {
    up[static_cast<size_t>(a)] = up[static_cast<size_t>(up[static_cast<size_t>(a)])];
    a = up[static_cast<size_t>(a)];
  }
  return a;
}

}  // namespace

Pedigrees find_pedigrees(const Animals& animals, Report& report) {
  Pedigrees result;
  const int32_t count = animals.count();
  const size_t n = static_cast<size_t>(count);
  std::vector<Parents> parents(n);
  for (size_t i = 0; i < n; ++i) parents[i] = {animals.list[i].sire, animals.list[i].dam};
  std::vector<int32_t> order;
  if (!parents_first(animals, parents, report, &order)) return result;

  // Components of the parent links.
  std::vector<int32_t> up(n);
  for (int32_t a = 0; a < count; ++a) up[static_cast<size_t>(a)] = a;
  for (int32_t a = 0; a < count; ++a) {
    for (int32_t parent : parents[static_cast<size_t>(a)]) {
      if (parent < 0) continue;
      const int32_t x = root_of(up, a);
      const int32_t y = root_of(up, parent);
      if (x != y) up[static_cast<size_t>(std::max(x, y))] = std::min(x, y);
    }
  }

  // Pedigrees numbered by their first animal in index order: the input rows come first.
  result.pedigree_of.assign(n, -1);
  std::vector<int32_t> pedigree_of_root(n, -1);
  for (int32_t a = 0; a < count; ++a) {
    int32_t& pedigree = pedigree_of_root[static_cast<size_t>(root_of(up, a))];
    if (pedigree < 0) {
      pedigree = static_cast<int32_t>(result.list.size());
      result.list.push_back({});
      result.list.back().named_by = a;
    }
    result.pedigree_of[static_cast<size_t>(a)] = pedigree;
    ++result.list[static_cast<size_t>(pedigree)].rows;
  }

  // Members by pedigree, in the parents-first order (a stable bucket sort).
  int32_t first = 0;
  for (Pedigree& pedigree : result.list) {
    pedigree.first = first;
    first += pedigree.rows;
  }
  std::vector<int32_t> next(result.list.size());
  for (size_t p = 0; p < result.list.size(); ++p) next[p] = result.list[p].first;
  result.members.resize(n);
  result.id_of.resize(n);
  for (int32_t a : order) {
    const size_t p = static_cast<size_t>(result.pedigree_of[static_cast<size_t>(a)]);
    result.id_of[static_cast<size_t>(a)] = next[p] - result.list[p].first + 1;
    result.members[static_cast<size_t>(next[p]++)] = a;
  }

  // Families: the distinct dams among the children of each sire. Children are bucketed by
  // sire; last_sire[d] marks dam d as met for the sire being counted.
  std::vector<int32_t> children_start(n + 1, 0);
  for (int32_t a = 0; a < count; ++a) {
    const int32_t sire = parents[static_cast<size_t>(a)][0];
    if (sire >= 0) ++children_start[static_cast<size_t>(sire) + 1];
  }
  for (size_t i = 0; i < n; ++i) children_start[i + 1] += children_start[i];
  std::vector<int32_t> children(static_cast<size_t>(children_start[n]));
  {
    std::vector<int32_t> fill(children_start.begin(), children_start.end() - 1);
    for (int32_t a = 0; a < count; ++a) {
      const int32_t sire = parents[static_cast<size_t>(a)][0];
      if (sire >= 0) children[static_cast<size_t>(fill[static_cast<size_t>(sire)]++)] = a;
    }
  }
  std::vector<int32_t> last_sire(n, -1);
  std::vector<int32_t> child_count(result.list.size(), 0);
  for (int32_t sire = 0; sire < count; ++sire) {
    const size_t s = static_cast<size_t>(sire);
    Pedigree& pedigree = result.list[static_cast<size_t>(result.pedigree_of[s])];
    for (int32_t k = children_start[s]; k < children_start[s + 1]; ++k) {
      const int32_t child = children[static_cast<size_t>(k)];
      const int32_t dam = parents[static_cast<size_t>(child)][1];
      ++child_count[static_cast<size_t>(result.pedigree_of[s])];
      if (dam < 0 || last_sire[static_cast<size_t>(dam)] == sire) continue;
      last_sire[static_cast<size_t>(dam)] = sire;
      ++pedigree.families;
    }
  }
  for (size_t p = 0; p < result.list.size(); ++p) {
    Pedigree& pedigree = result.list[p];
    const int64_t entries = 2 * int64_t{pedigree.families} + child_count[p];
    pedigree.entries = static_cast<int32_t>(std::min<int64_t>(entries, INT32_MAX));
    // A connected graph of V nodes is a tree when it has V - 1 edges; here V = rows +
    // families and the edges are the member entries.
    pedigree.has_cycle = entries > int64_t{pedigree.rows} + pedigree.families - 1;
  }
  return result;
}

std::string pedigree_name(const Animals& animals, const Pedigree& pedigree) {
  const size_t a = static_cast<size_t>(pedigree.named_by);
  std::string name = "pedigree of " + quoted(animals.list[a].original);
  if (!animals.list[a].family.empty()) name += " in family " + quoted(animals.list[a].family);
  return name;
}

}  // namespace pedpeel::pedprep
