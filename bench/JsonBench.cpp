// Cost of parsing the large JSON files the program reads (the knowledge head, the model's manifest
// and its safetensors header): parsing must stay linear in the number of values in one container.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "base/Json.h"

namespace qb {
namespace {

constexpr size_t kObjectsDocumentBytes = 1 << 20;
constexpr size_t kNumbersDocumentBytes = 512 << 10;

// One array of items, item(i) for i = 0, 1, ..., until the text reaches `bytes`.
template <typename Item>
std::string arrayOf(size_t bytes, Item item) {
  std::string text = "[";
  for (size_t i = 0; text.size() < bytes; ++i) {
    if (i > 0) text += ',';
    text += item(i);
  }
  text += ']';
  return text;
}

void parse(benchmark::State& state, const std::string& text) {
  for (auto _ : state) benchmark::DoNotOptimize(json::parse(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Shaped like the knowledge head: one small record per word.
void BM_ParseManySmallObjects(benchmark::State& state) {
  const std::string text = arrayOf(kObjectsDocumentBytes,
                                   [](size_t i) { return R"({"id":)" + std::to_string(i) + "}"; });
  parse(state, text);
}
BENCHMARK(BM_ParseManySmallObjects)->Unit(benchmark::kMillisecond);

// Shaped like a table of weights written as numbers.
void BM_ParseManyNumbers(benchmark::State& state) {
  const std::string text = arrayOf(kNumbersDocumentBytes, [](size_t i) {
    return std::to_string(static_cast<double>(i) * 0.001 - 7.5);
  });
  parse(state, text);
}
BENCHMARK(BM_ParseManyNumbers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
