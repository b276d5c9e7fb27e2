#include "tools/pedprep/family_graph.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace pedpeel::pedprep {

namespace {

// A child with its parents, as the sorts move it.
struct Child {
  int32_t sire;
  int32_t dam;
  int32_t animal;
};

// `items` by dam, then sire, then animal: a counting sort by dam (the items are read in
// order and written scattered, cheaper than reading them scattered), then each dam's
// items, in animal order, sorted stably by sire where they lie: by insertion, as a dam
// has few matings.
std::vector<Child> sorted_by_dam_and_sire(const std::vector<Child>& items, size_t animals) {
  std::vector<int32_t> start(animals + 1, 0);
  for (const Child& item : items) ++start[static_cast<size_t>(item.dam) + 1];
  for (size_t k = 0; k < animals; ++k) start[k + 1] += start[k];
  std::vector<Child> sorted(items.size());
  for (const Child& item : items) {
    sorted[static_cast<size_t>(start[static_cast<size_t>(item.dam)]++)] = item;
  }
  auto by_sire = [](const Child& x, const Child& y) { return x.sire < y.sire; };
  for (size_t first = 0; first < sorted.size();) {
    size_t end = first + 1;
    while (end < sorted.size() && sorted[end].dam == sorted[first].dam) ++end;
    if (end - first > 32) {
      std::stable_sort(sorted.begin() + static_cast<ptrdiff_t>(first),
                       sorted.begin() + static_cast<ptrdiff_t>(end), by_sire);
    } else {
      for (size_t k = first + 1; k < end; ++k) {
        const Child item = sorted[k];
        size_t to = k;
        for (; to > first && by_sire(item, sorted[to - 1]); --to) sorted[to] = sorted[to - 1];
        sorted[to] = item;
      }
    }
    first = end;
  }
  return sorted;
}

}  // namespace

FamilyGraph family_graph(const Animals& animals, std::span<const uint8_t> active) {
  const size_t n = static_cast<size_t>(animals.count());
  std::vector<Child> children;
  children.reserve(n);  // pages are taken only as the children come
  // The copies, last, are founders: no child among them.
  const size_t before_copies =
      animals.copy_of.empty() ? n : static_cast<size_t>(animals.first_copy);
  for (size_t a = 0; a < before_copies; ++a) {
    const Animal& animal = animals.list[a];
    if (animal.sire < 0 || animal.dam < 0) continue;
    if (!active.empty() && (a >= active.size() || active[a] == 0)) continue;
    children.push_back({animal.sire, animal.dam, static_cast<int32_t>(a)});
  }
  children = sorted_by_dam_and_sire(children, n);

  FamilyGraph graph;
  graph.family_of.assign(n, -1);
  graph.children.resize(children.size());
  graph.sire.reserve(children.size());
  graph.dam.reserve(children.size());
  graph.child_start.reserve(children.size() + 1);
  for (size_t k = 0; k < children.size(); ++k) {
    const Child& child = children[k];
    if (graph.sire.empty() || graph.sire.back() != child.sire || graph.dam.back() != child.dam) {
      graph.sire.push_back(child.sire);
      graph.dam.push_back(child.dam);
      graph.child_start.push_back(static_cast<int32_t>(k));
    }
    graph.family_of[static_cast<size_t>(child.animal)] = graph.families() - 1;
    graph.children[k] = child.animal;
  }
  graph.child_start.push_back(static_cast<int32_t>(children.size()));
  return graph;
}

void regroup_families(FamilyGraph& graph) {
  // The copies are the animals past those the graph was made for, and every copy a parent
  // in one family. A family whose dam a copy replaced goes after all others, by that
  // copy. The others keep their dams, and their order by dam: among a dam's families,
  // those whose sire a copy replaced move to the end, which an insertion sort by sire
  // does at the cost of one step each.
  const auto made_for = static_cast<int32_t>(graph.family_of.size());
  const int32_t families = graph.families();
  std::vector<int32_t> order;  // the families in their new order
  order.reserve(static_cast<size_t>(families));
  std::vector<int32_t> dam_copied;
  int32_t dam = -1;
  size_t dam_first = 0;  // in `order`, of the current dam's families
  for (int32_t f = 0; f < families; ++f) {
    const int32_t dam_now = graph.dam[static_cast<size_t>(f)];
    if (dam_now >= made_for) {
      dam_copied.push_back(f);
      continue;
    }
    if (dam_now != dam) {
      dam = dam_now;
      dam_first = order.size();
    }
    const int32_t sire = graph.sire[static_cast<size_t>(f)];
    size_t k = order.size();
    order.push_back(f);
    for (; k > dam_first && graph.sire[static_cast<size_t>(order[k - 1])] > sire; --k) {
      order[k] = order[k - 1];
    }
    order[k] = f;
  }
  std::sort(dam_copied.begin(), dam_copied.end(), [&](int32_t x, int32_t y) {
    return graph.dam[static_cast<size_t>(x)] < graph.dam[static_cast<size_t>(y)];
  });
  order.insert(order.end(), dam_copied.begin(), dam_copied.end());

  // The tables by family are rewritten through one spare table, which takes each old one
  // in turn: fresh memory costs a page fault a page.
  std::vector<int32_t> spare(static_cast<size_t>(families) + 1);
  std::vector<int32_t> children(graph.children.size());
  size_t placed = 0;
  for (size_t k = 0; k < order.size(); ++k) {
    spare[k] = static_cast<int32_t>(placed);
    for (const int32_t child : graph.children_of(order[k])) {
      graph.family_of[static_cast<size_t>(child)] = static_cast<int32_t>(k);
      children[placed++] = child;
    }
  }
  spare.back() = static_cast<int32_t>(placed);
  graph.children.swap(children);
  graph.child_start.swap(spare);
  spare.pop_back();
  for (std::vector<int32_t>* by_family : {&graph.sire, &graph.dam}) {
    for (size_t k = 0; k < order.size(); ++k) {
      spare[k] = (*by_family)[static_cast<size_t>(order[k])];
    }
    by_family->swap(spare);
  }
}

int32_t add_copy(Animals& animals, int32_t of) {
  if (animals.copy_of.empty()) animals.first_copy = animals.count();
  const int32_t original = animals.original_of(of);
  Animal copy = animals.list[static_cast<size_t>(original)];
  copy.family = animals.list[static_cast<size_t>(of)].family;
  copy.sire = -1;
  copy.dam = -1;
  copy.source = Source::kCopy;
  animals.list.push_back(copy);
  animals.copy_of.push_back(original);
  return animals.count() - 1;
}

void replace_parent(Animals& animals, std::span<const int32_t> children, int32_t parent,
                    int32_t copy) {
  for (int32_t child : children) {
    Animal& animal = animals.list[static_cast<size_t>(child)];
    if (animal.sire == parent) animal.sire = copy;
    if (animal.dam == parent) animal.dam = copy;
  }
}

void replace_parents(Animals& animals, const FamilyGraph& graph) {
  for (size_t a = 0; a < graph.family_of.size(); ++a) {
    const int32_t f = graph.family_of[a];
    if (f < 0) continue;
    animals.list[a].sire = graph.sire[static_cast<size_t>(f)];
    animals.list[a].dam = graph.dam[static_cast<size_t>(f)];
  }
}

}  // namespace pedpeel::pedprep
