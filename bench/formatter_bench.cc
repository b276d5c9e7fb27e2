// The record formatter and field conversion: E12.4 and I5 fields, a whole VOLMA.DAT block,
// and the numeric input fields the loader reads.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "records/field_input.h"
#include "records/field_output.h"

namespace pedpeel {
namespace {

// Race fractions as a BLOOD file gives them: many zeros and ones, halves and quarters, and
// four-digit values.
std::vector<float> fractions(size_t n) {
  std::mt19937 random(42);
  std::vector<float> values;
  for (size_t i = 0; i < n; ++i) {
    switch (random() % 4) {
      case 0:
        values.push_back(0.0f);
        break;
      case 1:
        values.push_back(1.0f / static_cast<float>(1u << (random() % 6)));
        break;
      default:
        values.push_back(static_cast<float>(random() % 10000) / 10000.0f);
        break;
    }
  }
  return values;
}

void BM_AppendExponent(benchmark::State& state) {
  const std::vector<float> values = fractions(4096);
  std::string out;
  for (auto _ : state) {
    out.clear();
    for (float value : values) append_exponent(out, value, 12, 4);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_AppendExponent);

void BM_AppendExponentByExpansion(benchmark::State& state) {
  const std::vector<float> values = fractions(4096);
  std::string out;
  for (auto _ : state) {
    out.clear();
    for (float value : values) append_exponent_by_expansion(out, value, 12, 4);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_AppendExponentByExpansion);

void BM_FormatExponent(benchmark::State& state) {
  const std::vector<float> values = fractions(4096);
  std::vector<char> out(12 * values.size());
  for (auto _ : state) {
    for (size_t i = 0; i < values.size(); ++i) format_exponent(&out[12 * i], values[i], 12, 4);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_FormatExponent);

void BM_FormatInteger(benchmark::State& state) {
  std::vector<char> out(5 * 4096);
  for (auto _ : state) {
    for (int i = 0; i < 4096; ++i) format_integer(&out[5 * i], i * 7 - 900, 5);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * 4096);
}
BENCHMARK(BM_FormatInteger);

void BM_ParseReal(benchmark::State& state) {
  std::vector<std::string> fields;
  for (float value : fractions(4096)) {
    std::string field;
    append_exponent(field, value, 12, 4);
    fields.push_back(field);
  }
  for (auto _ : state) {
    for (const std::string& field : fields) {
      float value;
      benchmark::DoNotOptimize(parse_real(field, 4, &value));
      benchmark::DoNotOptimize(value);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fields.size()));
}
BENCHMARK(BM_ParseReal);

void BM_ParseRealGeneral(benchmark::State& state) {
  std::vector<std::string> fields;
  for (float value : fractions(4096)) {
    std::string field;
    append_exponent(field, value, 12, 4);
    fields.push_back(field);
  }
  for (auto _ : state) {
    for (const std::string& field : fields) {
      float value;
      benchmark::DoNotOptimize(parse_real_general(field, 4, &value));
      benchmark::DoNotOptimize(value);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fields.size()));
}
BENCHMARK(BM_ParseRealGeneral);

void BM_ParseInteger(benchmark::State& state) {
  std::vector<std::string> fields;
  for (int i = 0; i < 4096; ++i) {
    std::string field;
    append_integer(field, i * 7 - 900, 5);
    fields.push_back(field);
  }
  for (auto _ : state) {
    for (const std::string& field : fields) {
      int64_t value;
      benchmark::DoNotOptimize(parse_integer(field, -32767, 32767, &value));
      benchmark::DoNotOptimize(value);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fields.size()));
}
BENCHMARK(BM_ParseInteger);

}  // namespace
}  // namespace pedpeel
