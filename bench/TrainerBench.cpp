// Cost of fitting the activity head as scripts/fetch-model does, at the real encoder's width:
// Newton's method on some 3,000 examples of 384 embedding values and the five site features, for
// one regularisation. The trainer fits seven times (six candidates and the final fit).

#include <benchmark/benchmark.h>

#include <random>

#include "training/HeadTrainer.h"

namespace qb {
namespace {

constexpr size_t kExamples = 3000;
constexpr size_t kWidth = 384;

void BM_HeadFit(benchmark::State& state) {
  std::mt19937 random(7);
  std::normal_distribution<float> value(0, 0.05f);
  std::vector<training::Example> examples(kExamples);
  for (size_t i = 0; i < kExamples; ++i) {
    examples[i].embedding.resize(kWidth);
    for (float& x : examples[i].embedding) x = value(random);
    examples[i].work = i % 2 == 0;
    // A direction that carries the label, so that the fit has something to find.
    examples[i].embedding[0] += examples[i].work ? 0.1f : -0.1f;
  }
  int iterations = 0;
  for (auto _ : state) iterations = training::fit(examples, 1).iterations;
  state.counters["newton_steps"] = iterations;
}
BENCHMARK(BM_HeadFit)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
