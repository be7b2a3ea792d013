// How close the encoder's linear products come to what one core can compute.
//
//   quillbrook_bench --benchmark_filter=Kernels
//
// Kernels/fmaPeak/<build>: the one-core peak of fused multiply-adds of the build's vector width,
// measured with independent accumulators and no memory traffic. GFLOPs counter.
// Kernels/linearProducts/<build>/tokens:N: the 24 linear products of a run of the encoder on N
// tokens (six layers of query-key-value, attention output with its residual, intermediate with
// GELU, output with its residual), with six layers' distinct weights, 42 MB, so that they come
// from memory as in a real run. GFLOPs counts the products' multiply-adds as two operations;
// peak is that over the build's fmaPeak.

#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <chrono>
#include <map>
#include <random>
#include <vector>

#include "BenchModel.h"
#include "analysis/EncoderKernels.h"

namespace qb {
namespace {

using Isa = EncoderKernels::Isa;

constexpr int kTokenCounts[] = {8, 16, 32, 64, 128};
// Tokens run through the products at each token count, spread over as many runs as that takes:
// each case then takes about the same time, some half a second on a vector build and two on the
// portable one, and pays its setup (42 MB of weights) once, where Google Benchmark left to find
// its own count runs the whole function again for each try.
constexpr int kTokensPerCase = 2048;
// Independent accumulators in the peak loop: more than the FMA latency times the units, so that
// none waits on another.
constexpr int kChains = 12;
constexpr long kPeakSteps = 20'000'000;
// Runs of the peak loop, the best of which is the peak: for its own benchmark and, once per
// build, for the products' peak fraction.
constexpr int kPeakRuns = 5;
// Operations per fused multiply-add.
constexpr double kFlopsPerFma = 2;

__attribute__((target("avx2,fma"))) float fmaLoop256(long steps) {
  __m256 acc[kChains];
  for (int i = 0; i < kChains; ++i) acc[i] = _mm256_set1_ps(static_cast<float>(i));
  const __m256 scale = _mm256_set1_ps(0.999999f), shift = _mm256_set1_ps(1e-7f);
  for (long k = 0; k < steps; ++k) {
#pragma GCC unroll 12
    for (int i = 0; i < kChains; ++i) acc[i] = _mm256_fmadd_ps(acc[i], scale, shift);
  }
  for (int i = 1; i < kChains; ++i) acc[0] = _mm256_add_ps(acc[0], acc[i]);
  return _mm256_cvtss_f32(acc[0]);
}

__attribute__((target("avx512f"))) float fmaLoop512(long steps) {
  __m512 acc[kChains];
  for (int i = 0; i < kChains; ++i) acc[i] = _mm512_set1_ps(static_cast<float>(i));
  const __m512 scale = _mm512_set1_ps(0.999999f), shift = _mm512_set1_ps(1e-7f);
  for (long k = 0; k < steps; ++k) {
#pragma GCC unroll 12
    for (int i = 0; i < kChains; ++i) acc[i] = _mm512_fmadd_ps(acc[i], scale, shift);
  }
  for (int i = 1; i < kChains; ++i) acc[0] = _mm512_add_ps(acc[0], acc[i]);
  return _mm512_cvtss_f32(acc[0]);
}

// GFLOP/s of one run of the build's peak loop.
double peakOnce(Isa isa) {
  const auto start = std::chrono::steady_clock::now();
  const float sum = isa == Isa::avx512 ? fmaLoop512(kPeakSteps) : fmaLoop256(kPeakSteps);
  benchmark::DoNotOptimize(sum);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int lanes = isa == Isa::avx512 ? 16 : 8;
  return kPeakSteps * kChains * lanes * kFlopsPerFma / seconds / 1e9;
}

// The best of kPeakRuns runs, measured once per build and kept for the products' peak fraction.
double peak(Isa isa) {
  static std::map<Isa, double> peaks;
  auto [it, inserted] = peaks.emplace(isa, 0.0);
  if (inserted) {
    for (int run = 0; run < kPeakRuns; ++run) it->second = std::max(it->second, peakOnce(isa));
  }
  return it->second;
}

void BM_FmaPeak(benchmark::State& state, Isa isa) {
  if (!EncoderKernels::available(isa)) return state.SkipWithError("this processor lacks it");
  double gflops = 0;
  for (auto _ : state) gflops = std::max(gflops, peakOnce(isa));
  state.counters["GFLOPs"] = gflops;
}

// One layer's four products, their weights and their activations.
struct Layer {
  EncoderKernels::Linear qkv, attentionOut, intermediate, output;
};

std::vector<float> randomValues(size_t count, std::mt19937& random) {
  std::uniform_real_distribution<float> uniform(-0.05f, 0.05f);
  std::vector<float> values(count);
  for (float& v : values) v = uniform(random);
  return values;
}

void BM_LinearProducts(benchmark::State& state, Isa isa) {
  if (!EncoderKernels::available(isa)) return state.SkipWithError("this processor lacks it");
  using namespace bench;
  const int tokens = static_cast<int>(state.range(0));
  EncoderKernels kernels(isa);
  std::mt19937 random(17);
  auto linear = [&](int in, int out) {
    return kernels.linear(randomValues(size_t(in) * out, random), randomValues(out, random), in,
                          out);
  };
  std::vector<Layer> layers;
  for (int i = 0; i < kLayers; ++i) {
    layers.push_back({linear(kHidden, 3 * kHidden), linear(kHidden, kHidden),
                      linear(kHidden, kIntermediate), linear(kIntermediate, kHidden)});
  }
  const size_t rows = static_cast<size_t>(tokens);
  std::vector<float> hidden = randomValues(rows * kHidden, random);
  std::vector<float> qkv(rows * 3 * kHidden), attention(rows * kHidden),
      intermediate(rows * kIntermediate);
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (const Layer& layer : layers) {
      kernels.apply(layer.qkv, hidden.data(), tokens, kHidden, qkv.data(), 3 * kHidden, {});
      // The context is the queries' third of qkv: the same shape and traffic as the real one.
      kernels.apply(layer.attentionOut, qkv.data(), tokens, 3 * kHidden, attention.data(), kHidden,
                    {hidden.data(), kHidden, false});
      kernels.apply(layer.intermediate, attention.data(), tokens, kHidden, intermediate.data(),
                    kIntermediate, {nullptr, 0, true});
      kernels.apply(layer.output, intermediate.data(), tokens, kIntermediate, hidden.data(),
                    kHidden, {attention.data(), kHidden, false});
    }
    benchmark::DoNotOptimize(hidden.data());
    benchmark::ClobberMemory();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double fmasPerToken = kLayers * (double(kHidden) * 3 * kHidden + double(kHidden) * kHidden +
                                         2.0 * kHidden * kIntermediate);
  const double flops = kFlopsPerFma * fmasPerToken * tokens;
  const double gflops = flops * static_cast<double>(state.iterations()) / seconds / 1e9;
  state.counters["GFLOPs"] = gflops;
  if (isa != Isa::portable) state.counters["peak"] = gflops / peak(isa);
  state.SetLabel(EncoderKernels::name(isa));
}

BENCHMARK_CAPTURE(BM_FmaPeak, avx2, Isa::avx2)->Name("Kernels/fmaPeak/avx2")->Iterations(kPeakRuns);
BENCHMARK_CAPTURE(BM_FmaPeak, avx512, Isa::avx512)
    ->Name("Kernels/fmaPeak/avx512")
    ->Iterations(kPeakRuns);

// Each token count is registered on its own, since its count of runs is its own.
bool registerLinearProducts(const char* name, Isa isa) {
  for (int tokens : kTokenCounts) {
    benchmark::RegisterBenchmark(name, BM_LinearProducts, isa)
        ->Arg(tokens)
        ->ArgName("tokens")
        ->Iterations(kTokensPerCase / tokens)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}

[[maybe_unused]] const bool kLinearProductsRegistered =
    registerLinearProducts("Kernels/linearProducts/avx512", Isa::avx512) &&
    registerLinearProducts("Kernels/linearProducts/avx2", Isa::avx2) &&
    registerLinearProducts("Kernels/linearProducts/portable", Isa::portable);

}  // namespace
}  // namespace qb
