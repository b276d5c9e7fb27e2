#include "tools/pedgen/shapes.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <unordered_set>

namespace pedpeel::pedgen {

namespace {

// Adds individuals in file order while keeping count of the rows and member entries the
// families will need; finish() spreads unrelated founders through the file up to N rows.
class Builder {
 public:
  explicit Builder(const Options& options)
      : random_(options.seed), options_(options), fractions_(options.races - 1) {}

  /// Whether `rows` more individuals making `entries` more member entries still fit.
  bool room(int32_t rows, int32_t entries) const {
    return static_cast<int32_t>(rows_.size()) + rows <= options_.individuals &&
           entries_ + entries <= kMaxMemberEntries;
  }

  int16_t founder(int16_t iped, int8_t sex, bool unknown_race = false) {
    Individual& row = add(iped, 0, 0, sex);
    if (unknown_race || chance(0.1)) {
      row.RACE = chance(0.5) ? int8_t{100} : int8_t{0};
      for (int j = 0; j < fractions_; ++j) row.BLOOD[j] = quantised(uniform() / fractions_);
    } else {
      const int race = 1 + pick(options_.races);
      row.RACE = static_cast<int8_t>(race);
      if (race <= fractions_) row.BLOOD[race - 1] = 1.0f;
    }
    return row.ID;
  }

  int16_t child(int16_t iped, int16_t first, int16_t second) {
    const uint64_t pair = (uint64_t{static_cast<uint16_t>(iped)} << 32) |
                          (uint64_t{static_cast<uint16_t>(first)} << 16) |
                          static_cast<uint16_t>(second);
    entries_ += pairs_.insert(pair).second ? 3 : 1;
    const Individual& sire = by_id(first);
    const Individual& dam = by_id(second);
    const int8_t race = sire.RACE != 100 && sire.RACE != 0 ? sire.RACE : dam.RACE;
    Fractions blood{};
    for (int j = 0; j < fractions_; ++j) blood[j] = quantised((sire.BLOOD[j] + dam.BLOOD[j]) / 2);
    Individual& row = add(iped, first, second, static_cast<int8_t>(1 + pick(2)));
    row.RACE = race;
    row.BLOOD = blood;
    return row.ID;
  }

  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  /// The rows with unrelated founders of known race spread among them, up to N rows. An
  /// added founder joins the pedigree of the row before it.
  std::vector<Individual> finish() {
    const int32_t wanted = options_.individuals;
    int32_t padding = wanted - static_cast<int32_t>(rows_.size());
    std::vector<Individual> all;
    all.reserve(wanted);
    size_t next = 0;
    while (static_cast<int32_t>(all.size()) < wanted) {
      const int32_t left = wanted - static_cast<int32_t>(all.size());
      if (padding > 0 && (next == rows_.size() || pick(left) < padding)) {
        const int16_t iped = !all.empty()          ? all.back().IPED
                             : next < rows_.size() ? rows_[next].IPED
                                                   : int16_t{1};
        Individual row = make_row(iped, 0, 0, static_cast<int8_t>(1 + pick(2)));
        const int race = 1 + pick(options_.races);
        row.RACE = static_cast<int8_t>(race);
        if (race <= fractions_) row.BLOOD[race - 1] = 1.0f;
        all.push_back(row);
        --padding;
      } else {
        all.push_back(rows_[next++]);
      }
    }
    return all;
  }

 private:
  float uniform() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(random_); }
  // The value as the BLOOD file carries it, four digits.
  static float quantised(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3e", static_cast<double>(value));
    return std::strtof(text, nullptr);
  }

  const Individual& by_id(int16_t id) const { return rows_[static_cast<size_t>(id) - 1]; }

  Individual make_row(int16_t iped, int16_t first, int16_t second, int8_t sex) {
    Individual row;
    row.IPED = iped;
    row.ID = static_cast<int16_t>(++last_id_);
    row.IPAR1 = first;
    row.IPAR2 = second;
    row.SEX = sex;
    char name[16];
    std::snprintf(name, sizeof name, "PG%010d", static_cast<int>(row.ID));
    std::copy(name, name + kIniIdLength, row.INI_ID.begin());
    return row;
  }

  Individual& add(int16_t iped, int16_t first, int16_t second, int8_t sex) {
    rows_.push_back(make_row(iped, first, second, sex));
    return rows_.back();
  }

  std::mt19937 random_;
  Options options_;
  int fractions_;
  int32_t last_id_ = 0;
  int32_t entries_ = 0;
  std::vector<Individual> rows_;  // row r - 1 has ID r until finish()
  std::unordered_set<uint64_t> pairs_;
};

constexpr int8_t kMale = 1;
constexpr int8_t kFemale = 2;

void draw_families(Builder& builder) {
  for (int16_t iped = 1;; ++iped) {
    int kids = 1 + builder.pick(6);
    int grandchildren = builder.chance(0.3) ? 1 + builder.pick(3) : 0;
    if (!builder.room(2 + kids + (grandchildren > 0 ? 1 + grandchildren : 0),
                      2 + kids + (grandchildren > 0 ? 2 + grandchildren : 0))) {
      kids = 1;
      grandchildren = 0;
      if (!builder.room(3, 3)) return;
    }
    const int16_t sire = builder.founder(iped, kMale);
    const int16_t dam = builder.founder(iped, kFemale);
    int16_t first_child = 0;
    for (int k = 0; k < kids; ++k) {
      const int16_t id = builder.child(iped, sire, dam);
      if (k == 0) first_child = id;
    }
    if (grandchildren > 0) {
      const int16_t mate = builder.founder(iped, kFemale);
      for (int k = 0; k < grandchildren; ++k) builder.child(iped, first_child, mate);
    }
  }
}

void draw_deep(Builder& builder) {
  constexpr int16_t kIped = 1;
  // The top: founders a and b, children c and d, and a's child e by his daughter d.
  if (!builder.room(5, 7)) return;
  const int16_t a = builder.founder(kIped, kMale);
  const int16_t b = builder.founder(kIped, kFemale);
  int16_t line = builder.child(kIped, a, b);
  const int16_t d = builder.child(kIped, a, b);
  builder.child(kIped, a, d);
  // Each generation: the line's next individual and a sib, both children of the line and a
  // founder mate; the sib and a founder mate have leaf children.
  for (;;) {
    const int leaf_sibs = builder.chance(0.2) ? 1 : 0;
    const int side_kids = 1 + builder.pick(2);
    if (!builder.room(4 + leaf_sibs + side_kids, 4 + leaf_sibs + 2 + side_kids)) return;
    const int16_t mate = builder.founder(kIped, kFemale);
    const int16_t next = builder.child(kIped, line, mate);
    const int16_t side = builder.child(kIped, line, mate);
    for (int k = 0; k < leaf_sibs; ++k) builder.child(kIped, line, mate);
    const int16_t side_mate = builder.founder(kIped, kFemale);
    for (int k = 0; k < side_kids; ++k) builder.child(kIped, side, side_mate);
    line = next;
  }
}

// One chain of `generations` loops: a loop head whose children mate with each other or with
// a parent; the mating's first child carries the line to the next loop head. Other
// children of a loop head may start leaf families with founders. False when out of room.
bool draw_inbred_chain(Builder& builder, int16_t iped, int generations) {
  if (!builder.room(1, 0)) return false;
  int16_t line = builder.founder(iped, kMale);
  for (int g = 0; g < generations; ++g) {
    const int kids = 2 + builder.pick(3);
    const int offspring = 1 + builder.pick(2);
    const bool side = kids > 2 && builder.chance(0.5);
    if (!builder.room(1 + kids + offspring + (side ? 2 : 0),
                      2 + kids + 2 + offspring + (side ? 3 : 0))) {
      return false;
    }
    const int16_t mate = builder.founder(iped, kFemale);
    std::vector<int16_t> children;
    for (int k = 0; k < kids; ++k) children.push_back(builder.child(iped, line, mate));
    int16_t first = 0;
    int16_t second = 0;
    switch (builder.pick(3)) {
      case 0:  // sibs (kind 7)
        first = children[0];
        second = children[1];
        break;
      case 1:  // the first parent and his daughter (kind 5)
        first = line;
        second = children[0];
        break;
      default:  // a son and the second parent (kind 6)
        first = children[0];
        second = mate;
        break;
    }
    int16_t next = 0;
    for (int k = 0; k < offspring; ++k) {
      const int16_t id = builder.child(iped, first, second);
      if (k == 0) next = id;
    }
    if (side) builder.child(iped, children.back(), builder.founder(iped, kFemale));
    line = next;
  }
  return true;
}

void draw_inbred(Builder& builder) {
  // The first pedigree is one long chain; simple peeling and loop resolution alternate
  // once per generation on it.
  if (!draw_inbred_chain(builder, 1, 400)) return;
  for (int16_t iped = 2;; ++iped) {
    if (!draw_inbred_chain(builder, iped, 1 + builder.pick(24))) return;
  }
}

void draw_founders(Builder& builder) {
  int16_t iped = 1;
  int left_in_pedigree = 1 + builder.pick(50);
  while (builder.room(1, 0)) {
    builder.founder(iped, static_cast<int8_t>(1 + builder.pick(2)), /*unknown_race=*/true);
    if (--left_in_pedigree == 0) {
      ++iped;
      left_in_pedigree = 1 + builder.pick(50);
    }
  }
}

}  // namespace

std::optional<Shape> parse_shape(std::string_view name) {
  if (name == "families") return Shape::kFamilies;
  if (name == "deep") return Shape::kDeep;
  if (name == "inbred") return Shape::kInbred;
  if (name == "founders") return Shape::kFounders;
  return std::nullopt;
}

std::vector<Individual> generate(const Options& options) {
  Builder builder(options);
  switch (options.shape) {
    case Shape::kFamilies:
      draw_families(builder);
      break;
    case Shape::kDeep:
      draw_deep(builder);
      break;
    case Shape::kInbred:
      draw_inbred(builder);
      break;
    case Shape::kFounders:
      draw_founders(builder);
      break;
  }
  return builder.finish();
}

}  // namespace pedpeel::pedgen
