// pedgen's shapes: the size asked for, member entries a run can hold, and the structure
// each shape promises, checked by running the pedigree core on it.
#include "tools/pedgen/shapes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "pedigree/engine.h"
#include "pedigree/take_pedigrees.h"

namespace pedpeel::pedgen {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// What the core did with a population: records by kind, peeling passes that took
// something, member entries, and how it ended.
struct CoreSummary {
  std::map<int32_t, int> kinds;
  std::vector<int> taken_per_peeling_pass;  // of the pedigrees in order
  int64_t member_entries = 0;
  bool loop_report = false;
};

class CountingSink : public RecordSink {
 public:
  explicit CountingSink(CoreSummary* summary) : summary_(summary) {}
  void emit(const FamilyRecord& record, const RowLookup&) override {
    ++summary_->kinds[record.itype];
    summary_->member_entries += static_cast<int64_t>(record.members.size());
    ++taken_;
  }
  int taken_ = 0;

 private:
  CoreSummary* summary_;
};

class PassCounter : public PeelingEngine {
 public:
  PassCounter(PeelingEngine& inner, CountingSink& sink, CoreSummary* summary)
      : inner_(inner), sink_(sink), summary_(summary) {}
  void start_pedigree(const Population& population, int pedigree, Families& families) override {
    inner_.start_pedigree(population, pedigree, families);
  }
  const RowLookup& lookup() const override { return inner_.lookup(); }
  void peel_pass(PassContext& context) override {
    const int before = sink_.taken_;
    inner_.peel_pass(context);
    if (sink_.taken_ > before) summary_->taken_per_peeling_pass.push_back(sink_.taken_ - before);
  }
  ResolveOutcome resolve_pass(PassContext& context) override {
    return inner_.resolve_pass(context);
  }
  int32_t untaken(const Families& families) const override { return inner_.untaken(families); }

 private:
  PeelingEngine& inner_;
  CountingSink& sink_;
  CoreSummary* summary_;
};

CoreSummary run_core(const Population& population) {
  CoreSummary summary;
  auto engine = make_production_engine();
  CountingSink sink(&summary);
  PassCounter counter(*engine, sink, &summary);
  summary.loop_report = take_pedigrees(population, counter, sink) != 0;
  return summary;
}

Options options(Shape shape, int32_t individuals, uint32_t seed = 7) {
  Options result;
  result.shape = shape;
  result.individuals = individuals;
  result.races = 11;
  result.seed = seed;
  return result;
}

TEST(PedgenTest, EveryShapeGivesTheSizeAskedForAndFitsARun) {
  for (Shape shape : {Shape::kFamilies, Shape::kDeep, Shape::kInbred, Shape::kFounders}) {
    // The largest size only where it runs fast: sanitized builds keep to the smaller ones.
    for (int32_t individuals : {1, 2, 7, 100, 5000, kSanitized ? 5000 : 32767}) {
      SCOPED_TRACE(static_cast<int>(shape));
      SCOPED_TRACE(individuals);
      const std::vector<Individual> rows = generate(options(shape, individuals));
      ASSERT_EQ(static_cast<int32_t>(rows.size()), individuals);
      std::set<int16_t> ids;
      for (const Individual& row : rows) ids.insert(row.ID);
      EXPECT_EQ(static_cast<int32_t>(ids.size()), individuals);
      const CoreSummary summary = run_core(population_of(rows, 11));
      EXPECT_FALSE(summary.loop_report);
      EXPECT_LE(summary.member_entries, kMaxMemberEntries);
    }
  }
}

TEST(PedgenTest, SameSeedSameFiles) {
  const auto first = generate(options(Shape::kInbred, 3000, 5));
  const auto second = generate(options(Shape::kInbred, 3000, 5));
  ASSERT_EQ(first.size(), second.size());
  for (size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].IPAR1, second[i].IPAR1);
    EXPECT_EQ(first[i].BLOOD, second[i].BLOOD);
  }
}

TEST(PedgenTest, DeepTakesOneFamilyPerPeelingPassAfterTheFirst) {
  const std::vector<Individual> rows = generate(options(Shape::kDeep, 4000));
  std::set<int16_t> pedigrees;
  for (const Individual& row : rows) pedigrees.insert(row.IPED);
  EXPECT_EQ(pedigrees.size(), 1u);
  const CoreSummary summary = run_core(population_of(rows, 11));
  ASSERT_GT(summary.taken_per_peeling_pass.size(), 500u);
  for (size_t pass = 1; pass < summary.taken_per_peeling_pass.size(); ++pass) {
    ASSERT_EQ(summary.taken_per_peeling_pass[pass], 1) << "pass " << pass + 1;
  }
  // The loop at the top of the line is taken by loop resolution.
  EXPECT_EQ(summary.kinds.at(4), 1);
  EXPECT_EQ(summary.kinds.at(5), 1);
}

TEST(PedgenTest, InbredHasEveryKindOfLoopRecord) {
  CoreSummary summary = run_core(population_of(generate(options(Shape::kInbred, 8000)), 11));
  for (int32_t kind : {1, 4, 5, 6, 7}) EXPECT_GT(summary.kinds[kind], 10) << "kind " << kind;
}

TEST(PedgenTest, FoundersAreAllOfUnknownRaceWithDistinctIniIds) {
  const std::vector<Individual> rows = generate(options(Shape::kFounders, 2000));
  std::set<std::string> names;
  for (const Individual& row : rows) {
    EXPECT_EQ(row.IPAR1, 0);
    EXPECT_TRUE(row.RACE == 100 || row.RACE <= 0) << int{row.RACE};
    names.insert(std::string(row.INI_ID.data(), row.INI_ID.size()));
  }
  EXPECT_EQ(names.size(), rows.size());
}

TEST(PedgenTest, FamiliesAreManySmallPedigrees) {
  const std::vector<Individual> rows = generate(options(Shape::kFamilies, 10000));
  std::map<int16_t, int> sizes;
  for (const Individual& row : rows) ++sizes[row.IPED];
  EXPECT_GT(sizes.size(), 1000u);
  for (const auto& [iped, size] : sizes) EXPECT_LE(size, 40) << "pedigree " << iped;
}

}  // namespace
}  // namespace pedpeel::pedgen
