// Test support: small random populations for comparing the peeling engines. Each pedigree
// is a tree, a tree with sib and parent-child matings, a mesh of any matings (any loop), or
// degenerate data (duplicate IDs, parents without rows, IPAR2 = 0, child ID 0, an ID that is
// its own parent, an ID listed under two parent pairs). Rendered as the three input files.
#ifndef PEDPEEL_TESTING_RANDOM_POPULATION_H_
#define PEDPEEL_TESTING_RANDOM_POPULATION_H_

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "pedigree/population.h"

namespace pedpeel::testing {

using PopulationRow = IndividualRecord;

struct RandomPopulation {
  int32_t NRACE = 1;
  std::vector<PopulationRow> rows;
};

enum class PedigreeShape { kTree, kInbred, kAnyLoop, kDegenerate };

// Draws the rows of one pedigree.
class PedigreeDrawer {
 public:
  PedigreeDrawer(std::mt19937& random, PedigreeShape shape, int16_t iped, int16_t first_id)
      : random_(random), shape_(shape), iped_(iped), next_id_(first_id) {}

  std::vector<PopulationRow> draw(int rows) {
    while (static_cast<int>(rows_.size()) < rows) add_row();
    if (chance(0.15)) std::shuffle(rows_.begin(), rows_.end(), random_);
    return rows_;
  }

 private:
  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool degenerate() const { return shape_ == PedigreeShape::kDegenerate; }

  int16_t new_id() {
    if (degenerate() && !rows_.empty()) {
      if (chance(0.08)) return rows_[pick(static_cast<int>(rows_.size()))].ID;  // duplicate
      if (chance(0.04)) return 0;
      if (chance(0.04)) return static_cast<int16_t>(-1 - pick(3));  // IDs may be negative
    }
    return next_id_++;
  }

  PopulationRow& push(int16_t id, int16_t first, int16_t second) {
    PopulationRow row;
    row.IPED = iped_;
    row.ID = id;
    row.IPAR1 = first;
    row.IPAR2 = second;
    rows_.push_back(row);
    return rows_.back();
  }

  int16_t add_founder() {
    const int16_t id = new_id();
    // A founder's IPAR2 is never read as a parent; degenerate data may still fill it.
    push(id, 0, degenerate() && chance(0.2) ? any_id() : int16_t{0});
    return id;
  }

  int16_t any_id() { return rows_.empty() ? int16_t{1} : rows_[pick(rows_.size())].ID; }

  // A relative of x for an inbred mating: a sib, a parent or a child of x.
  int16_t relative_of(int16_t x) {
    std::vector<int16_t> relatives;
    const PopulationRow* own = nullptr;
    for (const PopulationRow& row : rows_) {
      if (row.ID == x) own = &row;
    }
    for (const PopulationRow& row : rows_) {
      if (row.ID == x) continue;
      if (own != nullptr && own->IPAR1 != 0 && row.IPAR1 == own->IPAR1 && row.IPAR2 == own->IPAR2) {
        relatives.push_back(row.ID);  // sib
      }
      if (row.IPAR1 == x || row.IPAR2 == x) relatives.push_back(row.ID);  // child
    }
    if (own != nullptr && own->IPAR1 != 0) {
      relatives.push_back(own->IPAR1);
      if (own->IPAR2 != 0) relatives.push_back(own->IPAR2);
    }
    if (relatives.empty()) return add_founder();
    return relatives[pick(static_cast<int>(relatives.size()))];
  }

  void add_row() {
    if (rows_.size() < 2 || chance(0.25)) {
      add_founder();
      return;
    }
    int16_t first = 0;
    int16_t second = 0;
    if (!pairs_.empty() && chance(0.35)) {
      std::tie(first, second) = pairs_[pick(static_cast<int>(pairs_.size()))];  // a sib
    } else {
      first = any_id();
      switch (shape_) {
        case PedigreeShape::kTree:
          second = add_founder();
          break;
        case PedigreeShape::kInbred:
          second = chance(0.6) ? relative_of(first) : add_founder();
          break;
        case PedigreeShape::kAnyLoop:
          second = chance(0.5) ? any_id() : add_founder();
          break;
        case PedigreeShape::kDegenerate: {
          const int kind = pick(6);
          second = kind == 0   ? int16_t{0}
                   : kind == 1 ? static_cast<int16_t>(900 + pick(3))  // no row of its own
                   : kind == 2 ? first
                   : kind == 3 ? relative_of(first)
                               : any_id();
          if (chance(0.1)) first = static_cast<int16_t>(950 + pick(2));
          break;
        }
      }
      if (second != 0 && chance(0.4)) std::swap(first, second);
      pairs_.emplace_back(first, second);
    }
    int16_t id = new_id();
    if (degenerate() && chance(0.06)) id = first;  // an ID that is its own first parent
    push(id, first, second);
  }

  std::mt19937& random_;
  PedigreeShape shape_;
  int16_t iped_;
  int16_t next_id_;
  std::vector<PopulationRow> rows_;
  std::vector<std::pair<int16_t, int16_t>> pairs_;
};

/// A population of one to four pedigrees of up to `max_rows` rows each.
inline RandomPopulation random_population(std::mt19937& random, int max_rows = 16) {
  RandomPopulation population;
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  population.NRACE = 1 + pick(4);
  const int pedigrees = 1 + pick(4);
  for (int p = 1; p <= pedigrees; ++p) {
    const auto shape = static_cast<PedigreeShape>(pick(4));
    const int16_t first_id = static_cast<int16_t>(pick(2) == 0 ? 1 : 100 * p + 1);
    PedigreeDrawer drawer(random, shape, static_cast<int16_t>(p), first_id);
    for (PopulationRow& row : drawer.draw(1 + pick(max_rows))) population.rows.push_back(row);
  }
  static constexpr int8_t kRaces[] = {1, 2, 3, 5, 100, 0, -1};
  static constexpr float kFractions[] = {0.0f, 0.5f, 0.25f, 0.125f, 1.0f / 3, 0.75f, 0.99996f};
  for (PopulationRow& row : population.rows) {
    row.RACE = kRaces[pick(7)];
    row.SEX = static_cast<int8_t>(1 + pick(2));
    row.INI_ID.fill(' ');
    const std::string name = "N" + std::to_string(pick(8));
    std::copy(name.begin(), name.end(), row.INI_ID.begin());
    for (int j = 0; j < population.NRACE - 1; ++j) row.BLOOD[j] = kFractions[pick(7)];
  }
  return population;
}

/// The population tables the loader and the grouping pass make of the population.
inline Population to_population(const RandomPopulation& random_population) {
  return population_of(random_population.rows, random_population.NRACE);
}

/// The pedigree file: NIND, then 6I5 and A12 per row.
inline std::string pedigree_file(const RandomPopulation& population) {
  char line[64];
  std::snprintf(line, sizeof line, "%5zu\r\n", population.rows.size());
  std::string text = line;
  for (const PopulationRow& row : population.rows) {
    std::snprintf(line, sizeof line, "%5d%5d%5d%5d%5d%5d%.12s\r\n", row.IPED, row.ID, row.IPAR1,
                  row.IPAR2, row.RACE, row.SEX, row.INI_ID.data());
    text += line;
  }
  return text;
}

/// The BLOOD file: NIND and NRACE, then the NRACE - 1 fractions of each row on one record.
inline std::string blood_file(const RandomPopulation& population) {
  char field[32];
  std::snprintf(field, sizeof field, "%5zu%5d\r\n", population.rows.size(), population.NRACE);
  std::string text = field;
  for (const PopulationRow& row : population.rows) {
    for (int j = 0; j < population.NRACE - 1; ++j) {
      std::snprintf(field, sizeof field, "%12.5E", static_cast<double>(row.BLOOD[j]));
      text += field;
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace pedpeel::testing

#endif  // PEDPEEL_TESTING_RANDOM_POPULATION_H_
