// Cost of the personal correction on a full memory: 2000 answers of 384-float sentence vectors,
// the default limit and the width of the shipped embedder. shift() runs for every analysed page;
// add() runs when the user answers.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/PersonalMemory.h"

namespace qb {
namespace {

constexpr size_t kWidth = 384;
const Date kNow = Date::fromReference(700000000);

std::vector<float> unitVector(std::mt19937& random) {
  std::normal_distribution<float> normal;
  std::vector<float> v(kWidth);
  float norm = 0;
  for (float& x : v) {
    x = normal(random);
    norm += x * x;
  }
  for (float& x : v) x /= std::sqrt(norm);
  return v;
}

// Random unit vectors are nearly orthogonal, so none replaces another and the memory fills up.
PersonalMemory fullMemory(std::mt19937& random) {
  PersonalMemory memory;
  for (int64_t i = 0; i < memory.limit; ++i) {
    memory.add(unitVector(random), i % 3 != 0, kNow - 3600.0 * static_cast<double>(i),
               "Some page title", "example.com", Uuid::random());
  }
  return memory;
}

void BM_PersonalShift(benchmark::State& state) {
  std::mt19937 random(3);
  PersonalMemory memory = fullMemory(random);
  std::vector<float> query = unitVector(random);
  for (auto _ : state) benchmark::DoNotOptimize(memory.shift(query, kNow));
  state.SetItemsProcessed(state.iterations() * memory.limit);  // answers scanned
}
BENCHMARK(BM_PersonalShift)->Unit(benchmark::kMicrosecond);

// The same similarities one answer at a time: the baseline that shift()'s side-by-side sums beat
// while giving bit-identical results.
void BM_PersonalSimilarityOneByOne(benchmark::State& state) {
  std::mt19937 random(3);
  PersonalMemory memory = fullMemory(random);
  std::vector<float> query = unitVector(random);
  for (auto _ : state) {
    float total = 0;
    for (const auto& example : memory.examples)
      total += PersonalMemory::similarity(example.vector, query);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * memory.limit);
}
BENCHMARK(BM_PersonalSimilarityOneByOne)->Unit(benchmark::kMicrosecond);

// One answer added to a full memory: the duplicate scan, the append and dropping the oldest.
void BM_PersonalAdd(benchmark::State& state) {
  std::mt19937 random(5);
  PersonalMemory memory = fullMemory(random);
  std::vector<std::vector<float>> fresh;
  for (int i = 0; i < 64; ++i) fresh.push_back(unitVector(random));
  size_t i = 0;
  for (auto _ : state) {
    memory.add(fresh[i++ % fresh.size()], true, kNow, "Another page", "example.org", Uuid{});
    benchmark::DoNotOptimize(memory.examples.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PersonalAdd)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qb
