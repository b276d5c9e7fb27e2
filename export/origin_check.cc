#include "export/origin_check.h"

#include <string_view>
#include <unordered_set>

namespace pedpeel {

namespace {

// A race above 2 after the recode is a known race.
bool race_known(const Population& population, int32_t row) {
  return population.RACE[row] > 2;
}

// A row that tells the race of its INI_ID: it has parents or a known race.
bool resolves(const Population& population, int32_t row) {
  return population.IPAR1[row] != 0 || race_known(population, row);
}

std::string_view ini_id(const Population& population, int32_t row) {
  return {population.INI_ID[row].data(), population.INI_ID[row].size()};
}

}  // namespace

std::vector<int32_t> unresolved_founders(const Population& population) {
  // A candidate never resolves its own INI_ID, so "another row" needs no exclusion here.
  std::unordered_set<std::string_view> resolved;
  for (int32_t j = 1; j <= population.NIND; ++j) {
    if (resolves(population, j)) resolved.insert(ini_id(population, j));
  }
  std::vector<int32_t> rows;
  for (int32_t i = 1; i <= population.NIND; ++i) {
    if (!resolves(population, i) && !resolved.contains(ini_id(population, i))) rows.push_back(i);
  }
  return rows;
}

std::vector<int32_t> unresolved_founders_by_scan(const Population& population) {
  std::vector<int32_t> rows;
  for (int32_t i = 1; i <= population.NIND; ++i) {
    if (race_known(population, i) || population.IPAR1[i] != 0) continue;
    bool found = false;
    for (int32_t j = 1; j <= population.NIND && !found; ++j) {
      found = j != i && population.INI_ID[j] == population.INI_ID[i] && resolves(population, j);
    }
    if (!found) rows.push_back(i);
  }
  return rows;
}

void run_origin_check(Console& console, const Population& population) {
  for (int32_t row : unresolved_founders(population)) {
    console.console_begin();
    console.console_item(ini_id(population, row));
    console.console_end();
  }
}

}  // namespace pedpeel
