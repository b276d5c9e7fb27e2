// Field conversion: E12.4 and I5 fields written, and the numeric input fields the loader
// reads, against the reference conversions of testing/.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "records/field_input.h"
#include "records/field_output.h"
#include "testing/reference_fields.h"

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

void BM_FormatExponentReference(benchmark::State& state) {
  const std::vector<float> values = fractions(4096);
  for (auto _ : state) {
    for (float value : values) {
      benchmark::DoNotOptimize(testing::reference_exponent_field(value, 12, 4));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}
BENCHMARK(BM_FormatExponentReference);

void BM_FormatInteger(benchmark::State& state) {
  std::vector<char> out(5 * 4096);
  for (auto _ : state) {
    for (int i = 0; i < 4096; ++i) format_integer(&out[5 * i], i * 7 - 900, 5);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * 4096);
}
BENCHMARK(BM_FormatInteger);

// E12.4 fields as the system writes them, and the same values as people write them
// ("0.5000", "0.0"), each right-justified in 12 columns.
std::vector<std::string> written_fields() {
  std::vector<std::string> fields;
  for (float value : fractions(4096)) {
    std::string field(12, ' ');
    format_exponent(field.data(), value, 12, 4);
    fields.push_back(field);
  }
  return fields;
}
std::vector<std::string> decimal_fields() {
  std::vector<std::string> fields;
  for (float value : fractions(4096)) {
    char text[16];
    std::snprintf(text, sizeof text, value == 0.0f ? "%12.1f" : "%12.4f",
                  static_cast<double>(value));
    fields.push_back(text);
  }
  return fields;
}

template <typename Parse>
void parse_fields(benchmark::State& state, const std::vector<std::string>& fields, Parse parse) {
  for (auto _ : state) {
    for (const std::string& field : fields) {
      float value;
      benchmark::DoNotOptimize(parse(field, 4, &value));
      benchmark::DoNotOptimize(value);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fields.size()));
}

void BM_ParseReal(benchmark::State& state) {
  parse_fields(state, written_fields(), parse_real);
}
BENCHMARK(BM_ParseReal);

void BM_ParseRealDecimal(benchmark::State& state) {
  parse_fields(state, decimal_fields(), parse_real);
}
BENCHMARK(BM_ParseRealDecimal);

void BM_ParseRealReference(benchmark::State& state) {
  parse_fields(state, written_fields(), testing::reference_parse_real);
}
BENCHMARK(BM_ParseRealReference);

void BM_ParseInteger(benchmark::State& state) {
  std::vector<std::string> fields;
  for (int i = 0; i < 4096; ++i) {
    std::string field(5, ' ');
    format_integer(field.data(), i * 7 - 900, 5);
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
