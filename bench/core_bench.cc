// The pedigree core on pedgen's shapes: grouping, both passes and the member lookup of every
// pedigree, with the family records discarded. The test oracle runs only the small sizes:
// its passes grow with the cube of a deep pedigree.
#include <benchmark/benchmark.h>

#include "pedigree/engine.h"
#include "pedigree/take_pedigrees.h"
#include "testing/oracle_engine.h"
#include "tools/pedgen/shapes.h"

namespace pedpeel {
namespace {

Population generated_population(pedgen::Shape shape, int32_t individuals) {
  pedgen::Options options;
  options.shape = shape;
  options.individuals = individuals;
  options.races = 11;
  const std::vector<pedgen::Individual> rows = pedgen::generate(options);
  return population_of(rows, options.races);
}

// Looks up every member, as writing the block would, and drops the record.
class LookupSink : public RecordSink {
 public:
  void emit(const FamilyRecord& record, const RowLookup& lookup) override {
    for (int16_t id : record.members) rows_ += lookup.row_of(id);
  }
  int64_t rows() const { return rows_; }

 private:
  int64_t rows_ = 0;
};

void run_core(benchmark::State& state, pedgen::Shape shape, bool oracle) {
  const Population population = generated_population(shape, static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    auto engine = oracle ? testing::make_oracle_engine() : make_production_engine();
    LookupSink sink;
    if (take_pedigrees(population, *engine, sink) != 0) {
      state.SkipWithError("loop report");
      break;
    }
    benchmark::DoNotOptimize(sink.rows());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_CoreFamilies(benchmark::State& state) {
  run_core(state, pedgen::Shape::kFamilies, false);
}
void BM_CoreDeep(benchmark::State& state) {
  run_core(state, pedgen::Shape::kDeep, false);
}
void BM_CoreInbred(benchmark::State& state) {
  run_core(state, pedgen::Shape::kInbred, false);
}
void BM_OracleCoreFamilies(benchmark::State& state) {
  run_core(state, pedgen::Shape::kFamilies, true);
}
void BM_OracleCoreDeep(benchmark::State& state) {
  run_core(state, pedgen::Shape::kDeep, true);
}
void BM_OracleCoreInbred(benchmark::State& state) {
  run_core(state, pedgen::Shape::kInbred, true);
}

BENCHMARK(BM_CoreFamilies)->Arg(8192)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CoreDeep)->Arg(1024)->Arg(8192)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CoreInbred)->Arg(1024)->Arg(8192)->Arg(32767)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OracleCoreFamilies)->Arg(8192)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OracleCoreDeep)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OracleCoreInbred)->Arg(1024)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pedpeel
