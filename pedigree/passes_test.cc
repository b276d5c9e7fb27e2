// The two passes and the pass control of one pedigree, driven directly on the families of
// a population, with a sink that records every family taken. Every case runs on the
// shipped engine and on the test oracle.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pedigree/engine.h"
#include "pedigree/pass_context.h"
#include "pedigree/take_pedigrees.h"
#include "testing/oracle_engine.h"
#include "testing/population_builder.h"

namespace pedpeel {
namespace {

using testing::make_population;
using testing::Row;

struct EngineUnderTest {
  const char* name;
  std::function<std::unique_ptr<PeelingEngine>()> make;
};

const EngineUnderTest kEngines[] = {
    {"shipped", make_production_engine},
    {"oracle", testing::make_oracle_engine},
};

// Every record as "ITYPE IWAY NPOT: members".
class RecordingSink : public RecordSink {
 public:
  void emit(const FamilyRecord& record, const RowLookup&) override {
    std::string text = std::to_string(record.itype) + " " + std::to_string(record.iway) + " " +
                       std::to_string(record.npot) + ":";
    for (int16_t id : record.members) text += " " + std::to_string(id);
    records.push_back(text);
  }
  std::vector<std::string> records;
};

// Pedigree 1 of a population, grouped into families by an engine, with everything a pass
// needs.
class PedigreeUnderTest {
 public:
  PedigreeUnderTest(const std::vector<Row>& rows, const EngineUnderTest& engine)
      : population_(make_population(rows)), engine_(engine.make()) {
    engine_->start_pedigree(population_, 1, families_);
    context_ = std::make_unique<PassContext>(PassContext{sink_, engine_->lookup(), 1, families_});
  }

  PassContext& context() { return *context_; }
  PeelingEngine& engine() { return *engine_; }
  const Families& families() const { return families_; }
  const std::vector<std::string>& records() const { return sink_.records; }

  // The reason of the stop `step` raises, or nullopt.
  std::optional<StopReason> stop_of(const std::function<void()>& step) {
    try {
      step();
    } catch (const RunStop& stop) {
      return stop.reason;
    }
    return std::nullopt;
  }

 private:
  Population population_;
  std::unique_ptr<PeelingEngine> engine_;
  Families families_;
  RecordingSink sink_;
  std::unique_ptr<PassContext> context_;
};

// Rows of one pedigree: {ID, IPAR1, IPAR2}; rows with IPAR1 = 0 are founders.
std::vector<Row> rows(std::initializer_list<std::array<int16_t, 3>> list) {
  std::vector<Row> result;
  for (const auto& [id, first, second] : list) {
    result.push_back({.ID = id, .IPAR1 = first, .IPAR2 = second});
  }
  return result;
}

// ---------------------------------------------------------------------------------------
// Simple peeling

struct PeelCase {
  std::string name;
  std::vector<Row> rows;
  int passes;
  std::vector<std::string> records;
  int32_t untaken;  // families left after the passes
};

void PrintTo(const PeelCase& c, std::ostream* os) {
  *os << c.name;
}

class SimplePeelingTest : public ::testing::TestWithParam<PeelCase> {};

TEST_P(SimplePeelingTest, TakesFamiliesWithAtMostOneLink) {
  const PeelCase& c = GetParam();
  for (const EngineUnderTest& engine : kEngines) {
    PedigreeUnderTest pedigree(c.rows, engine);
    for (int pass = 0; pass < c.passes; ++pass) pedigree.engine().peel_pass(pedigree.context());
    EXPECT_EQ(pedigree.records(), c.records) << engine.name;
    EXPECT_EQ(pedigree.engine().untaken(pedigree.families()), c.untaken) << engine.name;
    EXPECT_EQ(pedigree.context().records_taken, static_cast<int64_t>(c.records.size()))
        << engine.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimplePeelingTest,
    ::testing::Values(
        // Family 1 no longer counts once taken, so family 2 follows in the same pass.
        PeelCase{"ThreeGenerations",
                 rows({{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 0, 0}, {5, 3, 4}}),
                 1,
                 {"1 3 1: 1 2 3", "1 0 1: 3 4 5"},
                 0},
        // The linking child 5 moves to the first child place; 3 takes its old place.
        PeelCase{
            "LinkingChildIsExchangedWithTheFirstChild",
            rows({{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 1, 2}, {5, 1, 2}, {6, 0, 0}, {7, 5, 6}}),
            1,
            {"1 5 3: 1 2 5 4 3", "1 0 1: 5 6 7"},
            0},
        PeelCase{
            "MiddleChildIsExchanged",
            rows({{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 1, 2}, {5, 1, 2}, {6, 0, 0}, {7, 4, 6}}),
            1,
            {"1 4 3: 1 2 4 3 5", "1 0 1: 4 6 7"},
            0},
        PeelCase{
            "FirstChildLinkStaysInPlace",
            rows({{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 1, 2}, {5, 1, 2}, {6, 0, 0}, {7, 3, 6}}),
            1,
            {"1 3 3: 1 2 3 4 5", "1 0 1: 3 6 7"},
            0},
        // The family (1, 2; 3) comes first; its first parent is a child of (8, 9; 1).
        PeelCase{"FirstParentLink",
                 rows({{3, 1, 2}, {1, 8, 9}, {2, 0, 0}, {8, 0, 0}, {9, 0, 0}}),
                 1,
                 {"1 1 1: 1 2 3", "1 0 1: 8 9 1"},
                 0},
        PeelCase{"SecondParentLink",
                 rows({{3, 1, 2}, {2, 8, 9}}),
                 1,
                 {"1 2 1: 1 2 3", "1 0 1: 8 9 2"},
                 0},
        // (1, 2; 3, 4) has two links; the other two families have one each.
        PeelCase{"TwoLinksWaitForTheNextPass",
                 rows({{3, 1, 2}, {4, 1, 2}, {6, 3, 5}, {8, 4, 7}}),
                 1,
                 {"1 3 1: 3 5 6", "1 4 1: 4 7 8"},
                 1},
        PeelCase{"TwoLinksTakenInTheNextPass",
                 rows({{3, 1, 2}, {4, 1, 2}, {6, 3, 5}, {8, 4, 7}}),
                 2,
                 {"1 3 1: 3 5 6", "1 4 1: 4 7 8", "1 0 2: 1 2 3 4"},
                 0},
        // A member in two untaken families counts once.
        PeelCase{"OnePositionCountsOnce",
                 rows({{3, 1, 2}, {5, 3, 4}, {7, 3, 6}}),
                 1,
                 {"1 3 1: 1 2 3", "1 3 1: 3 4 5", "1 0 1: 3 6 7"},
                 0},
        PeelCase{"SingleFamily", rows({{12, 10, 11}, {13, 10, 11}}), 1, {"1 0 2: 10 11 12 13"}, 0},
        PeelCase{"SeparateFounderPairs",
                 rows({{3, 1, 2}, {6, 4, 5}}),
                 1,
                 {"1 0 1: 1 2 3", "1 0 1: 4 5 6"},
                 0},
        // The shared second parent 0 is a link like any other member: IWAY 0, no exchange.
        PeelCase{"SharedSecondParentZero",
                 rows({{3, 1, 0}, {5, 1, 0}, {4, 2, 0}}),
                 1,
                 {"1 0 2: 1 0 3 5", "1 0 1: 2 0 4"},
                 0},
        PeelCase{"LoopTakesNothing", rows({{3, 1, 2}, {4, 1, 2}, {5, 3, 4}}), 1, {}, 2},
        PeelCase{"FoundersOnly", rows({{1, 0, 0}, {2, 0, 0}}), 1, {}, 0}),
    [](const auto& info) { return info.param.name; });

// The exchange is made in FAMLIST itself.
TEST(SimplePeelingTest, ExchangeIsMadeInFamlist) {
  for (const EngineUnderTest& engine : kEngines) {
    PedigreeUnderTest pedigree(rows({{3, 1, 2}, {4, 1, 2}, {5, 1, 2}, {6, 0, 0}, {7, 5, 6}}),
                               engine);
    pedigree.engine().peel_pass(pedigree.context());
    const auto members = pedigree.families().members(1);
    EXPECT_EQ(std::vector<int16_t>(members.begin(), members.end()),
              (std::vector<int16_t>{1, 2, 5, 4, 3}))
        << engine.name;
  }
}

// ---------------------------------------------------------------------------------------
// Loop resolution

struct ResolveCase {
  std::string name;
  std::vector<Row> rows;
  std::vector<std::string> records;
  ResolveOutcome outcome;
  bool resolved;
};

void PrintTo(const ResolveCase& c, std::ostream* os) {
  *os << c.name;
}

class LoopResolutionTest : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(LoopResolutionTest, TakesLoopHeadsWithTheirMatingFamilies) {
  const ResolveCase& c = GetParam();
  for (const EngineUnderTest& engine : kEngines) {
    PedigreeUnderTest pedigree(c.rows, engine);
    EXPECT_EQ(pedigree.engine().resolve_pass(pedigree.context()), c.outcome) << engine.name;
    EXPECT_EQ(pedigree.records(), c.records) << engine.name;
    EXPECT_EQ(pedigree.context().RESOLVED, c.resolved) << engine.name;
  }
}

// Full sibs 3 and 4, children of 1 and 2, with child 5.
const std::vector<Row> kFullSibs = rows({{3, 1, 2}, {4, 1, 2}, {5, 3, 4}});

std::vector<Row> children_of(int16_t first, int16_t second, int16_t from, int16_t to) {
  std::vector<Row> result;
  for (int16_t id = from; id <= to; ++id) {
    result.push_back({.ID = id, .IPAR1 = first, .IPAR2 = second});
  }
  return result;
}

std::vector<Row> concat(std::vector<Row> a, const std::vector<Row>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoopResolutionTest,
    ::testing::Values(
        // The KIDPAIR entries (3, 4) and (3, 4) collapse into one.
        ResolveCase{"FullSibsMate",
                    kFullSibs,
                    {"4 0 4: 1 2 3 4", "7 -1 3: 3 4 5"},
                    ResolveOutcome::kCompleted,
                    true},
        // 1 in (1, 3; 4) is ignored: its partner there is a child of the loop head.
        ResolveCase{"FirstParentMatesWithDaughter",
                    rows({{3, 1, 2}, {4, 1, 3}}),
                    {"4 0 3: 1 2 3", "5 -1 3: 1 3 4"},
                    ResolveOutcome::kCompleted,
                    true},
        ResolveCase{"SecondParentMatesWithSon",
                    rows({{3, 1, 2}, {4, 3, 2}}),
                    {"4 0 3: 1 2 3", "6 -1 3: 3 2 4"},
                    ResolveOutcome::kCompleted,
                    true},
        // The first loop head's parent 1 is linked to the untaken third family; once the
        // first group is taken, the second loop head has no linked parent.
        ResolveCase{"TwoSibMatingLoopsShareAParent",
                    rows({{1, 0, 0},
                          {2, 0, 0},
                          {3, 1, 2},
                          {4, 1, 2},
                          {5, 3, 4},
                          {6, 0, 0},
                          {7, 1, 6},
                          {8, 1, 6},
                          {9, 7, 8}}),
                    {"4 1 4: 1 2 3 4", "7 -1 3: 3 4 5", "4 0 4: 1 6 7 8", "7 -1 3: 7 8 9"},
                    ResolveOutcome::kCompleted,
                    true},
        // KIDPAIR (3, 4), (3, 4), (1, 5) becomes (3, 4), (1, 5): kind 7, then kind 5.
        ResolveCase{
            "KidpairOrderGivesKindSevenThenFive",
            rows({{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 1, 2}, {5, 1, 2}, {6, 3, 4}, {7, 1, 5}}),
            {"4 0 5: 1 2 3 4 5", "7 -1 3: 3 4 6", "5 -1 3: 1 5 7"},
            ResolveOutcome::kCompleted,
            true},
        // Only the first parent is linked (to (1, 6; 7)): the loop head's IWAY is 1. Then
        // (1, 6; 7) has no child that mates: handed back.
        ResolveCase{"OneLinkedParentGivesIway",
                    concat(kFullSibs, rows({{7, 1, 6}})),
                    {"4 1 4: 1 2 3 4", "7 -1 3: 3 4 5"},
                    ResolveOutcome::kHandedBack,
                    true},
        ResolveCase{"SecondLinkedParentGivesIway",
                    concat(kFullSibs, rows({{7, 6, 2}})),
                    {"4 2 4: 1 2 3 4", "7 -1 3: 3 4 5"},
                    ResolveOutcome::kHandedBack,
                    true},
        // Parent 1 is a child of (8, 9; 1), which is handed back once 1 no longer mates.
        ResolveCase{"LinkedAsAChildGivesIway",
                    concat(kFullSibs, rows({{1, 8, 9}})),
                    {"4 1 4: 1 2 3 4", "7 -1 3: 3 4 5"},
                    ResolveOutcome::kHandedBack,
                    true},
        // Both parents linked elsewhere: (1, 2; 3, 4) is rejected; (1, 6; 7) hands back.
        ResolveCase{"BothParentsLinkedIsRejected",
                    concat(kFullSibs, rows({{7, 1, 6}, {9, 2, 8}})),
                    {},
                    ResolveOutcome::kHandedBack,
                    false},
        // Child 3 is a parent in (3, 4; 5) and in (3, 1; 7).
        ResolveCase{"ChildMatingTwiceIsRejected",
                    concat(kFullSibs, rows({{7, 3, 1}})),
                    {},
                    ResolveOutcome::kCompleted,
                    false},
        // The offspring 5 of the mating is itself a parent of (5, 6; 7).
        ResolveCase{"MatingOffspringNotTerminalIsRejected",
                    concat(kFullSibs, rows({{7, 5, 6}})),
                    {},
                    ResolveOutcome::kHandedBack,
                    false},
        // Child 3 mates with 6, who is not in the loop head's list.
        ResolveCase{"MatingOutsideTheFamilyIsRejected",
                    rows({{3, 1, 2}, {7, 3, 6}}),
                    {},
                    ResolveOutcome::kHandedBack,
                    false},
        ResolveCase{"NoChildMatesHandsBack",
                    rows({{3, 1, 2}, {4, 1, 2}}),
                    {},
                    ResolveOutcome::kHandedBack,
                    false},
        // A child whose only mating has second parent 0 counts as without a mating.
        ResolveCase{"MatingWithZeroIsNoMating",
                    rows({{3, 1, 2}, {5, 3, 0}}),
                    {},
                    ResolveOutcome::kHandedBack,
                    false},
        // 300 children are within the capacity: the family is tested (and handed back).
        ResolveCase{"ThreeHundredChildren",
                    children_of(1, 2, 3, 302),
                    {},
                    ResolveOutcome::kHandedBack,
                    false},
        // A rejection in step 1 comes before the capacity test: no stop.
        ResolveCase{"ThreeHundredOneChildrenRejectedFirst",
                    concat(children_of(1, 2, 3, 303), rows({{1, 8, 9}, {2, 10, 11}})),
                    {},
                    ResolveOutcome::kCompleted,
                    false}),
    [](const auto& info) { return info.param.name; });

struct StopCase {
  std::string name;
  std::vector<Row> rows;
  std::vector<std::string> records;  // emitted before the stop
  StopReason reason;
};

void PrintTo(const StopCase& c, std::ostream* os) {
  *os << c.name;
}

class LoopResolutionStopTest : public ::testing::TestWithParam<StopCase> {};

TEST_P(LoopResolutionStopTest, StopsWithItsReason) {
  const StopCase& c = GetParam();
  for (const EngineUnderTest& engine : kEngines) {
    PedigreeUnderTest pedigree(c.rows, engine);
    EXPECT_EQ(pedigree.stop_of([&] { pedigree.engine().resolve_pass(pedigree.context()); }),
              c.reason)
        << engine.name;
    EXPECT_EQ(pedigree.records(), c.records) << engine.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoopResolutionStopTest,
    ::testing::Values(
        // The loop head (10, 11; 10) is emitted; its pair (11, 10) holds both its parents.
        StopCase{"BothMatesParentsOfTheLoopHead",
                 rows({{11, 0, 0}, {10, 10, 11}, {12, 11, 10}}),
                 {"4 10 3: 10 11 10"},
                 StopReason::kNotUnderstood},
        StopCase{"MoreThanThreeHundredChildren",
                 children_of(1, 2, 3, 303),
                 {},
                 StopReason::kTooManyLoopHeadChildren},
        // The capacity stop comes before any test of the children.
        StopCase{"MoreThanThreeHundredChildrenOneMatingTwice",
                 concat(children_of(1, 2, 3, 303), rows({{400, 3, 4}, {401, 3, 5}})),
                 {},
                 StopReason::kTooManyLoopHeadChildren}),
    [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------
// Pass control of one pedigree

struct ControlCase {
  std::string name;
  std::vector<Row> rows;
  std::vector<std::string> records;
  PedigreeOutcome outcome;
};

void PrintTo(const ControlCase& c, std::ostream* os) {
  *os << c.name;
}

class TakeFamiliesTest : public ::testing::TestWithParam<ControlCase> {};

TEST_P(TakeFamiliesTest, AlternatesThePassesUntilDoneOrLoop) {
  const ControlCase& c = GetParam();
  for (const EngineUnderTest& engine : kEngines) {
    PedigreeUnderTest pedigree(c.rows, engine);
    EXPECT_EQ(take_families(pedigree.context(), pedigree.engine()), c.outcome) << engine.name;
    EXPECT_EQ(pedigree.records(), c.records) << engine.name;
  }
}

// A sib-mating loop (1, 2; 3, 4), (3, 4; 5) and a family (1, 6; 7) linking it, through
// parent 6, to a second loop (6, 8; 9, 10), (9, 10; 11). Families in that order.
const std::vector<Row> kHandBack = rows({{1, 0, 0},
                                         {2, 0, 0},
                                         {3, 1, 2},
                                         {4, 1, 2},
                                         {5, 3, 4},
                                         {6, 0, 0},
                                         {7, 1, 6},
                                         {8, 0, 0},
                                         {9, 6, 8},
                                         {10, 6, 8},
                                         {11, 9, 10}});
const std::vector<std::string> kHandBackRecords = {
    "4 1 4: 1 2 3 4", "7 -1 3: 3 4 5", "1 6 1: 1 6 7", "4 0 4: 6 8 9 10", "7 -1 3: 9 10 11"};

std::vector<Row> shifted(std::vector<Row> list, int16_t by) {
  for (Row& row : list) {
    row.ID = static_cast<int16_t>(row.ID + by);
    if (row.IPAR1 != 0) row.IPAR1 = static_cast<int16_t>(row.IPAR1 + by);
    if (row.IPAR2 != 0) row.IPAR2 = static_cast<int16_t>(row.IPAR2 + by);
  }
  return list;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TakeFamiliesTest,
    ::testing::Values(
        ControlCase{"Tree",
                    rows({{1, 0, 0}, {2, 0, 0}, {3, 1, 2}, {4, 0, 0}, {5, 3, 4}}),
                    {"1 3 1: 1 2 3", "1 0 1: 3 4 5"},
                    PedigreeOutcome::kDone},
        ControlCase{"FoundersOnly", rows({{1, 0, 0}, {2, 0, 0}}), {}, PedigreeOutcome::kDone},
        // Peeling takes the tail (5, 6; 7) first, then the loop is resolved.
        ControlCase{"PeelThenResolve",
                    concat(kFullSibs, rows({{7, 5, 6}})),
                    {"1 5 1: 5 6 7", "4 0 4: 1 2 3 4", "7 -1 3: 3 4 5"},
                    PedigreeOutcome::kDone},
        // The ancestors of the loop are peeled down to it, one pass after another; the
        // loop head then has no linked parent.
        ControlCase{
            "PeelAncestorsThenResolve",
            concat(kFullSibs, rows({{1, 8, 9}, {8, 10, 11}, {9, 12, 13}})),
            {"1 8 1: 10 11 8", "1 9 1: 12 13 9", "1 1 1: 8 9 1", "4 0 4: 1 2 3 4", "7 -1 3: 3 4 5"},
            PedigreeOutcome::kDone},
        // The handed-back family is peeled at once, before the second loop.
        ControlCase{"HandBackThenPeel", kHandBack, kHandBackRecords, PedigreeOutcome::kDone},
        // Two hand-backs with records between them: no loop report.
        ControlCase{"TwoHandBacksWithRecordsBetween",
                    concat(kHandBack, shifted(kHandBack, 20)),
                    {"4 1 4: 1 2 3 4", "7 -1 3: 3 4 5", "1 6 1: 1 6 7", "4 0 4: 6 8 9 10",
                     "7 -1 3: 9 10 11", "4 21 4: 21 22 23 24", "7 -1 3: 23 24 25",
                     "1 26 1: 21 26 27", "4 0 4: 26 28 29 30", "7 -1 3: 29 30 31"},
                    PedigreeOutcome::kDone},
        // Founders 1 and 2 with children 3 and 4; 3 and 5 have 6; 4 and 7 have 8; 6 and 8
        // have 9. Neither pass can take a family.
        ControlCase{"CousinLoop",
                    rows({{1, 0, 0},
                          {2, 0, 0},
                          {3, 1, 2},
                          {4, 1, 2},
                          {5, 0, 0},
                          {6, 3, 5},
                          {7, 0, 0},
                          {8, 4, 7},
                          {9, 6, 8}}),
                    {},
                    PedigreeOutcome::kLoop},
        // Inconsistent data: 5 is a child of (1, 2) and of (3, 4); 1 and 3 are sibs. The
        // family (1, 2; 5) is handed back and peeling cannot take it, again and again.
        ControlCase{"HandBackCycleFromAChildOfTwoPairs",
                    rows({{6, 0, 0},
                          {7, 0, 0},
                          {1, 6, 7},
                          {3, 6, 7},
                          {2, 0, 0},
                          {4, 0, 0},
                          {5, 1, 2},
                          {5, 3, 4}}),
                    {},
                    PedigreeOutcome::kLoop},
        // Sibs 1 and 2 each have a child with second parent 0: the member 0 closes a loop,
        // and the sibs' family is handed back because its children's matings hold a 0.
        ControlCase{"HandBackCycleThroughSecondParentZero",
                    rows({{5, 0, 0}, {6, 0, 0}, {1, 5, 6}, {2, 5, 6}, {3, 1, 0}, {4, 2, 0}}),
                    {},
                    PedigreeOutcome::kLoop},
        // The same cycle after other groups: the first hand-back does not report, and
        // a group taken between two hand-backs defers the report. Family order: (11, 3;
        // 13, 14), (13, 14; 15), (11, 16; 17, 18), (17, 18; 19), (5, 6; 1, 2), (1, 0; 3),
        // (2, 0; 4). The first group can be taken only after the second one.
        ControlCase{
            "HandBackCycleAfterGroupsTakenBetweenHandBacks",
            rows({{13, 11, 3},
                  {14, 11, 3},
                  {15, 13, 14},
                  {17, 11, 16},
                  {18, 11, 16},
                  {19, 17, 18},
                  {1, 5, 6},
                  {2, 5, 6},
                  {3, 1, 0},
                  {4, 2, 0},
                  {11, 0, 0},
                  {16, 0, 0},
                  {5, 0, 0},
                  {6, 0, 0}}),
            {"4 11 4: 11 16 17 18", "7 -1 3: 17 18 19", "4 3 4: 11 3 13 14", "7 -1 3: 13 14 15"},
            PedigreeOutcome::kLoop}),
    [](const auto& info) { return info.param.name; });

// A stop inside the pass control leaves the records taken before it.
TEST(TakeFamiliesTest, NePonjalStopsTheRun) {
  for (const EngineUnderTest& engine : kEngines) {
    PedigreeUnderTest pedigree(rows({{11, 0, 0}, {10, 10, 11}, {12, 11, 10}}), engine);
    EXPECT_EQ(pedigree.stop_of([&] { take_families(pedigree.context(), pedigree.engine()); }),
              StopReason::kNotUnderstood)
        << engine.name;
    EXPECT_EQ(pedigree.records(), (std::vector<std::string>{"4 10 3: 10 11 10"})) << engine.name;
  }
}

}  // namespace
}  // namespace pedpeel
