// The sentence encoder's speed and memory on a model of all-MiniLM-L6-v2's exact shape.
//
// The weights are random (deterministic, BenchModel.h) and made here, not committed. They go to a
// temporary folder, or to $QB_ENCODER_BENCH_DIR when it is set, where they stay, with the inputs
// used and our vectors for them, so that bench/compare-encoder.sh can run ONNX Runtime on the same
// model and check it computes the same thing.
//
//   quillbrook_bench --benchmark_filter=Encoder
//
// Encoder/run/N: one text of N real tokens (no padding), the best kernels of this processor under
// the cap of QB_ENCODER_KERNELS (portable, avx2, avx512), which runs the others on it.
// Encoder/runPadded/N: N real tokens in a 128-position input, as the embedder pads them.
// Encoder/load: reading the file into a ready encoder; rss_MB is what the loaded model adds to
// the resident set, peak_MB the most it added while loading, peak_ratio the one over the other.

#include <benchmark/benchmark.h>
#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BenchModel.h"
#include "BenchSupport.h"
#include "analysis/BertEncoder.h"
#include "base/Json.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

// The length the embedder pads its inputs to.
constexpr int kPaddedLength = 128;
constexpr int kTokenCounts[] = {8, 16, 32, 64, 128};

// The folder with the model, made on first use; a temporary one is removed at exit.
class BenchModel {
public:
  BenchModel() {
    if (const char* chosen = std::getenv("QB_ENCODER_BENCH_DIR"); chosen && *chosen) {
      dir_ = chosen;
    } else {
      dir_ = fs::temp_directory_path() / ("qb-encoder-bench-" + std::to_string(::getpid()));
      temporary_ = true;
    }
    fs::create_directories(dir_);
    bench::writeModel(file());
    if (!temporary_) writeInputsAndVectors();
  }
  ~BenchModel() {
    if (temporary_) {
      std::error_code ignored;
      fs::remove_all(dir_, ignored);
    }
  }
  fs::path file() const { return dir_ / "Embedder.safetensors"; }

  static BenchModel& shared() {
    static BenchModel model;
    return model;
  }

private:
  // inputs.json: the ids of each length; ours.json: our vector for each.
  void writeInputsAndVectors() {
    BertEncoder encoder = BertEncoder::load(file());
    Json inputs = Json::object(), vectors = Json::object();
    for (int tokens : kTokenCounts) {
      std::vector<int32_t> ids = bench::textIds(tokens);
      std::vector<int32_t> mask(ids.size(), 1);
      inputs[std::to_string(tokens)] = ids;
      vectors[std::to_string(tokens)] = encoder.run(ids, mask);
    }
    std::ofstream(dir_ / "inputs.json") << inputs.dump() << "\n";
    std::ofstream(dir_ / "ours.json") << vectors.dump() << "\n";
  }

  fs::path dir_;
  bool temporary_ = false;
};

// The model's file, written on first use; empty, with the benchmark skipped for the reason, when
// it cannot be written.
fs::path modelFile(benchmark::State& state) {
  try {
    return BenchModel::shared().file();
  } catch (const std::exception& e) {
    state.SkipWithError(
        (std::string("skipped: the model could not be written: ") + e.what()).c_str());
    return {};
  }
}

// Null, with the benchmark skipped for the reason, when the model cannot be written or loaded.
BertEncoder* sharedEncoder(benchmark::State& state, BertEncoder::Kernels kernels) {
  static std::map<BertEncoder::Kernels, std::unique_ptr<BertEncoder>> encoders;
  auto& slot = encoders[kernels];
  if (!slot) {
    const fs::path file = modelFile(state);
    if (file.empty()) return nullptr;
    try {
      slot = std::make_unique<BertEncoder>(BertEncoder::load(file, kernels));
    } catch (const std::exception& e) {
      state.SkipWithError((std::string("skipped: the model did not load: ") + e.what()).c_str());
      return nullptr;
    }
  }
  return slot.get();
}

const char* kernelsName(BertEncoder::Kernels kernels) {
  switch (kernels) {
    case BertEncoder::Kernels::avx512:
      return EncoderKernels::name(EncoderKernels::Isa::avx512);
    case BertEncoder::Kernels::avx2:
      return EncoderKernels::name(EncoderKernels::Isa::avx2);
    default:
      return EncoderKernels::name(EncoderKernels::Isa::portable);
  }
}

void runText(benchmark::State& state, BertEncoder::Kernels kernels, int length) {
  BertEncoder* loaded = sharedEncoder(state, kernels);
  if (loaded == nullptr) return;
  BertEncoder& encoder = *loaded;
  const int tokens = static_cast<int>(state.range(0));
  std::vector<int32_t> ids = bench::textIds(tokens);
  std::vector<int32_t> mask(ids.size(), 1);
  ids.resize(static_cast<size_t>(std::max(length, tokens)), 0);
  mask.resize(ids.size(), 0);
  for (auto _ : state) {
    std::vector<float> vector = encoder.run(ids, mask);
    benchmark::DoNotOptimize(vector.data());
  }
  state.SetLabel(kernelsName(encoder.kernels()));
  state.counters["texts/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_EncoderRun(benchmark::State& state) { runText(state, BertEncoder::Kernels::best, 0); }
void BM_EncoderRunPadded(benchmark::State& state) {
  runText(state, BertEncoder::Kernels::best, kPaddedLength);
}

void BM_EncoderLoad(benchmark::State& state) {
  const fs::path file = modelFile(state);
  if (file.empty()) return;
  resetPeak();
  if (statusKilobytes("VmHWM") > statusKilobytes("VmRSS") + kResetSlackKilobytes) {
    state.SkipWithError("VmHWM cannot be reset through /proc/self/clear_refs");
  }
  // Memory is taken from the first load only, and each load starts from a trimmed heap: pages
  // that earlier work freed (the model's writer, a previous encoder) would otherwise be reused
  // and hide part of what a load adds. The time is the load alone, from the page cache (the file
  // was just written); the previous encoder is destroyed and the heap trimmed while timing is
  // paused.
  std::optional<BertEncoder> encoder;
  double added = -1, peak = -1;
  for (auto _ : state) {
    state.PauseTiming();
    encoder.reset();
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    resetPeak();
    const double before = statusKilobytes("VmRSS");
    state.ResumeTiming();
    encoder = BertEncoder::load(file);
    state.PauseTiming();
    if (added < 0) {
      added = statusKilobytes("VmRSS") - before;
      peak = statusKilobytes("VmHWM") - before;
    }
    state.ResumeTiming();
  }
  state.counters["rss_MB"] = added / 1024.0;
  state.counters["peak_MB"] = peak / 1024.0;
  state.counters["peak_ratio"] = peak / added;
  state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);
}

void tokenCounts(benchmark::internal::Benchmark* b) {
  for (int tokens : kTokenCounts) b->Arg(tokens);
  b->ArgName("tokens")->Unit(benchmark::kMillisecond);
}

// Load first, while no other encoder has left freed pages behind.
BENCHMARK(BM_EncoderLoad)->Name("Encoder/load")->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncoderRun)->Name("Encoder/run")->Apply(tokenCounts);
BENCHMARK(BM_EncoderRunPadded)
    ->Name("Encoder/runPadded")
    ->Arg(16)
    ->ArgName("tokens")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
