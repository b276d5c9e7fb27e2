// The indexed engine against the test oracle, pass by pass, on random and hand-made
// pedigrees: the same families in each pass, in the same order, with the same lists, IWAY,
// kinds, member rows, hand-backs, stops and loop reports.
#include "pedigree/indexed_engine.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>

#include "pedigree/pair_grouping.h"
#include "pedigree/row_index.h"
#include "pedigree/take_pedigrees.h"
#include "testing/oracle_engine.h"
#include "testing/random_cases.h"
#include "testing/random_population.h"

namespace pedpeel {
namespace {

using testing::PopulationRow;
using testing::RandomPopulation;

// One event of a pedigree's processing: a family record, or the end of a pass.
struct Event {
  std::string text;
  bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& event) {
  return out << event.text;
}

class RecordingSink : public RecordSink {
 public:
  explicit RecordingSink(std::vector<Event>* events) : events_(events) {}
  void emit(const FamilyRecord& record, const RowLookup& lookup) override {
    std::ostringstream text;
    text << "ped " << record.pedigree << " type " << record.itype << " iway " << record.iway
         << " npot " << record.npot << " members";
    for (int16_t id : record.members) text << ' ' << id << '@' << lookup.row_of(id);
    events_->push_back({text.str()});
  }

 private:
  std::vector<Event>* events_;
};

// Passes through to an engine, noting the end of every pass and how it ended.
class ObservedEngine : public PeelingEngine {
 public:
  ObservedEngine(PeelingEngine& inner, std::vector<Event>* events, int* handbacks)
      : inner_(inner), events_(events), handbacks_(handbacks) {}
  void start_pedigree(const Population& population, int pedigree, Families& families) override {
    inner_.start_pedigree(population, pedigree, families);
  }
  const RowLookup& lookup() const override { return inner_.lookup(); }
  void peel_pass(PassContext& context) override {
    inner_.peel_pass(context);
    events_->push_back({"end of peeling pass"});
  }
  ResolveOutcome resolve_pass(PassContext& context) override {
    const ResolveOutcome outcome = inner_.resolve_pass(context);
    if (outcome == ResolveOutcome::kHandedBack) ++*handbacks_;
    events_->push_back(
        {outcome == ResolveOutcome::kHandedBack ? "hand-back" : "end of resolution pass"});
    return outcome;
  }
  int32_t untaken(const Families& families) const override { return inner_.untaken(families); }

 private:
  PeelingEngine& inner_;
  std::vector<Event>* events_;
  int* handbacks_;
};

struct CoreRun {
  std::vector<Event> events;
  int handbacks = 0;
};

// Takes the population's pedigrees with `engine`, as the core does, without files.
CoreRun run_core(const Population& population, PeelingEngine& engine) {
  CoreRun run;
  RecordingSink sink(&run.events);
  ObservedEngine observed(engine, &run.events, &run.handbacks);
  try {
    const int loop_pedigree = take_pedigrees(population, observed, sink);
    if (loop_pedigree != 0) run.events.push_back({"loop report " + std::to_string(loop_pedigree)});
  } catch (const RunStop& stop) {
    run.events.push_back({"stop " + std::string(stop_message(stop.reason))});
  }
  return run;
}

// Both engines, kept from case to case: every pedigree starts afresh.
struct Engines {
  std::unique_ptr<PeelingEngine> reference = testing::make_oracle_engine();
  std::unique_ptr<PeelingEngine> production = make_production_engine();
};

void expect_same_core_runs(Engines& engines, const Population& population, const std::string& label,
                           CoreRun* production_run = nullptr) {
  const CoreRun expected = run_core(population, *engines.reference);
  const CoreRun actual = run_core(population, *engines.production);
  ASSERT_EQ(expected.events, actual.events) << label;
  if (production_run != nullptr) *production_run = actual;
}

std::string describe(const RandomPopulation& population) {
  std::ostringstream text;
  for (const PopulationRow& row : population.rows) {
    text << row.IPED << ':' << row.ID << '(' << row.IPAR1 << ',' << row.IPAR2 << ") ";
  }
  return text.str();
}

// Counts of what the random cases went through, so the comparison is known to reach every
// branch of both passes.
struct Coverage {
  std::set<std::string> seen;
  void add(const CoreRun& run) {
    for (const Event& event : run.events) {
      for (const char* kind : {"type 1 ", "type 4 ", "type 5 ", "type 6 ", "type 7 "}) {
        if (event.text.find(kind) != std::string::npos) seen.insert(kind);
      }
      if (event.text.starts_with("loop report")) seen.insert("loop report");
      if (event.text.starts_with("stop")) seen.insert("stop");
      if (event.text == "stop " + std::string(stop_message(StopReason::kNotUnderstood))) {
        seen.insert("mating stop");
      }
    }
    if (run.handbacks > 0) seen.insert("hand-back");
  }
};

TEST(IndexedEngineTest, RandomPopulationsTakeTheSameFamiliesInEveryPass) {
  std::mt19937 random(20240611);
  Engines engines;
  Coverage coverage;
  for (int n = 0; n < testing::random_cases(10000); ++n) {
    const RandomPopulation drawn = testing::random_population(random);
    CoreRun run;
    expect_same_core_runs(engines, testing::to_population(drawn), describe(drawn), &run);
    if (::testing::Test::HasFatalFailure()) return;
    coverage.add(run);
  }
  const std::set<std::string> expected = {"type 1 ", "type 4 ",   "type 5 ",
                                          "type 6 ", "type 7 ",   "loop report",
                                          "stop",    "hand-back", "mating stop"};
  EXPECT_EQ(coverage.seen, expected);
}

TEST(IndexedEngineTest, LargerRandomPedigreesTakeTheSameFamilies) {
  std::mt19937 random(77);
  Engines engines;
  for (int n = 0; n < testing::random_cases(400); ++n) {
    const RandomPopulation drawn = testing::random_population(random, 120);
    expect_same_core_runs(engines, testing::to_population(drawn), describe(drawn));
    if (::testing::Test::HasFatalFailure()) return;
  }
}

// Rows as (ID, IPAR1, IPAR2), one pedigree.
using Rows = std::vector<std::array<int16_t, 3>>;

Population one_pedigree(const Rows& rows) {
  RandomPopulation population;
  for (const auto& [id, first, second] : rows) {
    PopulationRow row;
    row.ID = id;
    row.IPAR1 = first;
    row.IPAR2 = second;
    row.INI_ID.fill(' ');
    population.rows.push_back(row);
  }
  return testing::to_population(population);
}

Rows loop_head_with_children(int children) {
  // Founders 1, 2 with `children` children; the first two mate and have child 9000.
  Rows rows = {{1, 0, 0}, {2, 0, 0}};
  for (int c = 0; c < children; ++c) rows.push_back({static_cast<int16_t>(10 + c), 1, 2});
  rows.push_back({9000, 10, 11});
  return rows;
}

struct NamedRows {
  const char* name;
  Rows rows;
};

TEST(IndexedEngineTest, DegenerateAndLimitCasesTakeTheSameFamilies) {
  const NamedRows cases[] = {
      {"sib mating", {{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 1, 2}, {5, 3, 4}}},
      {"first parent with daughter", {{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 1, 3}}},
      {"second parent with son", {{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 3, 2}}},
      {"own parent, both parents mate", {{11, 0, 0}, {10, 10, 11}, {12, 11, 10}}},
      {"cousins",
       {{1, 0, 0},
        {2, 0, 0},
        {3, 1, 2},
        {4, 1, 2},
        {5, 0, 0},
        {6, 3, 5},
        {7, 0, 0},
        {8, 4, 7},
        {9, 6, 8}}},
      {"child of two pairs", {{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {3, 4, 5}, {6, 3, 1}}},
      {"second parents 0 and child 0",
       {{1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {3, 2, 0}, {4, 0, 1}, {5, 3, 0}}},
      {"duplicate IDs", {{1, 0, 0}, {1, 0, 0}, {2, 1, 1}, {3, 2, 1}, {3, 1, 2}}},
      {"parents without rows", {{3, 901, 902}, {4, 901, 902}, {5, 3, 4}, {6, 903, 3}}},
      // Child 211 of loop head (205, 0) is a parent of (211, 0) and of (211, 205); the
      // mating that counts is the one met last in family order.
      {"a child with a mating after a mating with 0",
       {{201, 0, 0},
        {202, 0, 0},
        {203, 201, 201},
        {204, 201, 201},
        {205, 201, 203},
        {206, 0, 0},
        {207, 0, 0},
        {208, 206, 207},
        {209, 201, 204},
        {210, 0, 0},
        {211, 205, 0},
        {212, 0, 0},
        {210, 206, 211},
        {211, 211, 0},
        {213, 0, 0},
        {214, 900, 207},
        {215, 211, 205}}},
      {"300 children in a loop head", loop_head_with_children(300)},
      {"301 children in a loop head", loop_head_with_children(301)},
  };
  Engines engines;
  for (const NamedRows& named : cases) {
    expect_same_core_runs(engines, one_pedigree(named.rows), named.name);
  }
}

TEST(IndexedEngineTest, PairGroupingMatchesTheRowScan) {
  std::mt19937 random(5);
  for (int n = 0; n < testing::random_cases(3000); ++n) {
    const Population population = testing::to_population(testing::random_population(random));
    for (int p = 1; p <= population.NPED; ++p) {
      const int32_t first = population.KEND[p - 1] + 1;
      const int32_t last = population.KEND[p];
      Families expected, actual;
      testing::group_families(population, first, last, expected);
      group_families_by_pair(population, first, last, actual);
      ASSERT_EQ(expected.NFAM, actual.NFAM);
      ASSERT_EQ(expected.FAMLIST, actual.FAMLIST);
      ASSERT_EQ(expected.FAMEND, actual.FAMEND);
      ASSERT_EQ(expected.FAMDONE, actual.FAMDONE);
    }
  }
}

TEST(IndexedEngineTest, RowIndexFindsTheFirstRowOfEachId) {
  std::mt19937 random(9);
  IndexedRowLookup indexed;
  for (int n = 0; n < testing::random_cases(2000); ++n) {
    const Population population = testing::to_population(testing::random_population(random));
    for (int p = 1; p <= population.NPED; ++p) {
      indexed.index_pedigree(population, p);
      const testing::LinearRowLookup linear(population, p);
      for (int id = -2; id <= 960; ++id) {
        ASSERT_EQ(linear.row_of(static_cast<int16_t>(id)), indexed.row_of(static_cast<int16_t>(id)))
            << "ID " << id;
      }
    }
  }
}

TEST(FamilySetTest, NextFromAgreesWithAnOrderedSet) {
  std::mt19937 random(3);
  for (int32_t size : {1, 63, 64, 65, 4095, 4096, 4097, 20000}) {
    FamilySet set;
    set.reset(size);
    std::set<int32_t> model;
    std::uniform_int_distribution<int32_t> family(1, size);
    for (int step = 0; step < 3000; ++step) {
      const int32_t f = family(random);
      if (random() % 3 == 0) {
        set.erase(f);
        model.erase(f);
      } else {
        set.insert(f);
        model.insert(f);
      }
      const int32_t from = family(random);
      const auto it = model.lower_bound(from);
      ASSERT_EQ(it == model.end() ? 0 : *it, set.next_from(from)) << size << " from " << from;
      ASSERT_EQ(model.empty() ? 0 : *model.begin(), set.next_from(1));
    }
  }
}

}  // namespace
}  // namespace pedpeel
