#include "tools/pedprep/packing.h"

#include <algorithm>
#include <string>

namespace pedpeel::pedprep {

std::vector<Run> pack_runs(const Pedigrees& pedigrees, const Animals& animals, Report& report,
                           const RunLimits& limits, const std::vector<uint8_t>& alone) {
  const std::vector<Pedigree>& list = pedigrees.list;
  bool too_large = false;
  for (const Pedigree& pedigree : list) {
    if (pedigree.rows <= limits.rows && pedigree.entries <= limits.entries) continue;
    report.error(animals.list[static_cast<size_t>(pedigree.named_by)].line,
                 pedigree_name(animals, pedigree) +
                     " is too large for one run of pedpeel: " + std::to_string(pedigree.rows) +
                     " animals and " + std::to_string(pedigree.entries) +
                     " family member entries; a run holds at most " + std::to_string(limits.rows) +
                     " animals and " + std::to_string(limits.entries) + " entries");
    too_large = true;
  }
  if (too_large) return {};

  // Share of a run, scaled to compare without division: rows / R against entries / E.
  auto share = [&](const Pedigree& pedigree) {
    return std::max(int64_t{pedigree.rows} * limits.entries,
                    int64_t{pedigree.entries} * limits.rows);
  };
  auto is_alone = [&](size_t p) { return !alone.empty() && alone[p] != 0; };
  std::vector<int32_t> order;
  order.reserve(list.size());
  for (size_t p = 0; p < list.size(); ++p) {
    if (!is_alone(p)) order.push_back(static_cast<int32_t>(p));
  }
  std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
    return share(list[static_cast<size_t>(a)]) > share(list[static_cast<size_t>(b)]);
  });

  std::vector<Run> runs;
  size_t first_open = 0;  // runs before it have no row left
  for (int32_t p : order) {
    const Pedigree& pedigree = list[static_cast<size_t>(p)];
    size_t r = first_open;
    for (; r < runs.size(); ++r) {
      if (runs[r].rows + pedigree.rows <= limits.rows &&
          runs[r].entries + pedigree.entries <= limits.entries) {
        break;
      }
    }
    if (r == runs.size()) runs.emplace_back();
    Run& run = runs[r];
    run.pedigrees.push_back(p);
    run.rows += pedigree.rows;
    run.entries += pedigree.entries;
    while (first_open < runs.size() && runs[first_open].rows >= limits.rows) ++first_open;
  }
  for (Run& run : runs) std::sort(run.pedigrees.begin(), run.pedigrees.end());
  for (size_t p = 0; p < list.size(); ++p) {
    if (is_alone(p)) runs.push_back({{static_cast<int32_t>(p)}, list[p].rows, list[p].entries});
  }
  return runs;
}

}  // namespace pedpeel::pedprep
