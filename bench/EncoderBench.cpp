// The sentence encoder's speed and memory on a model of all-MiniLM-L6-v2's exact shape.
//
// The weights are random (deterministic) and made here, not committed: speed does not depend on
// their values. They go to a temporary folder, or to $QB_ENCODER_BENCH_DIR when it is set, where
// they stay, with the inputs used and our vectors for them, so that bench/compare-encoder.sh can
// run ONNX Runtime on the same model and check it computes the same thing.
//
//   quillbrook_bench --benchmark_filter=Encoder
//
// Encoder/run/N: one text of N real tokens (no padding), the best kernels of this processor.
// Encoder/runPortable/N: the same on the portable Eigen kernels, for comparison.
// Encoder/runPadded/N: N real tokens in a 128-position input, as the embedder pads them.
// Encoder/load: reading the file into a ready encoder; rss_MB is what the loaded model adds to
// the resident set, peak_MB the most it added while loading.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/BertEncoder.h"
#include "base/Json.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

// all-MiniLM-L6-v2's shape.
constexpr int kLayers = 6;
constexpr int kHeads = 12;
constexpr int kHidden = 384;
constexpr int kIntermediate = 1536;
constexpr int kVocab = 30522;
constexpr int kMaxPositions = 512;
constexpr int kTokenTypes = 2;
constexpr double kLayerNormEps = 1e-12;
// The length the embedder pads its inputs to.
constexpr int kPaddedLength = 128;
constexpr int32_t kClsId = 101;
constexpr int32_t kSepId = 102;
constexpr int32_t kFirstWordId = 1000;  // ids below are special tokens and unused entries
constexpr uint64_t kSeed = 0x5eed'1234'abcd'0001ull;
constexpr int kTokenCounts[] = {16, 32, 64, 128};

// splitmix64: a fixed, fast stream of numbers that every platform reproduces.
class Random {
public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  // Uniform in [-bound, bound).
  float uniform(float bound) {
    return bound * (static_cast<float>(next() >> 40) * 0x1p-23f - 1.0f);
  }

private:
  uint64_t state_;
};

struct TensorSpec {
  std::string name;
  std::vector<int64_t> shape;
  float bound;       // values uniform in [-bound, bound) around centre
  float centre = 0;  // 1 for LayerNorm scales
};

std::vector<TensorSpec> modelTensors() {
  const float embeddingBound = 0.1f;
  const float biasBound = 0.02f;
  auto linearBound = [](int in) { return std::sqrt(3.0f / static_cast<float>(in)); };
  std::vector<TensorSpec> specs{
      {"embeddings.word_embeddings.weight", {kVocab, kHidden}, embeddingBound},
      {"embeddings.position_embeddings.weight", {kMaxPositions, kHidden}, embeddingBound},
      {"embeddings.token_type_embeddings.weight", {kTokenTypes, kHidden}, embeddingBound},
      {"embeddings.LayerNorm.weight", {kHidden}, 0.1f, 1.0f},
      {"embeddings.LayerNorm.bias", {kHidden}, biasBound},
  };
  auto linear = [&](const std::string& name, int out, int in) {
    specs.push_back({name + ".weight", {out, in}, linearBound(in)});
    specs.push_back({name + ".bias", {out}, biasBound});
  };
  auto norm = [&](const std::string& name) {
    specs.push_back({name + ".weight", {kHidden}, 0.1f, 1.0f});
    specs.push_back({name + ".bias", {kHidden}, biasBound});
  };
  for (int i = 0; i < kLayers; ++i) {
    const std::string p = "encoder.layer." + std::to_string(i) + ".";
    linear(p + "attention.self.query", kHidden, kHidden);
    linear(p + "attention.self.key", kHidden, kHidden);
    linear(p + "attention.self.value", kHidden, kHidden);
    linear(p + "attention.output.dense", kHidden, kHidden);
    norm(p + "attention.output.LayerNorm");
    linear(p + "intermediate.dense", kIntermediate, kHidden);
    linear(p + "output.dense", kHidden, kIntermediate);
    norm(p + "output.LayerNorm");
  }
  return specs;
}

void writeModel(const fs::path& path) {
  std::vector<TensorSpec> specs = modelTensors();
  Json header = Json::object();
  std::map<std::string, std::string> metadata{
      {"format", "pt"},
      {"num_hidden_layers", std::to_string(kLayers)},
      {"num_attention_heads", std::to_string(kHeads)},
      {"hidden_size", std::to_string(kHidden)},
      {"intermediate_size", std::to_string(kIntermediate)},
      {"max_position_embeddings", std::to_string(kMaxPositions)},
      {"vocab_size", std::to_string(kVocab)},
      {"layer_norm_eps", "1e-12"},
      {"hidden_act", "gelu"},
  };
  header["__metadata__"] = metadata;
  uint64_t offset = 0;
  for (const TensorSpec& spec : specs) {
    uint64_t bytes = sizeof(float);
    for (int64_t dim : spec.shape) bytes *= static_cast<uint64_t>(dim);
    header[spec.name] = {
        {"dtype", "F32"}, {"shape", spec.shape}, {"data_offsets", {offset, offset + bytes}}};
    offset += bytes;
  }
  std::string text = header.dump();
  text.append((8 - text.size() % 8) % 8, ' ');
  const uint64_t length = text.size();

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&length), sizeof length);
  out << text;
  Random random(kSeed);
  std::vector<float> values;
  for (const TensorSpec& spec : specs) {
    size_t count = 1;
    for (int64_t dim : spec.shape) count *= static_cast<size_t>(dim);
    values.resize(count);
    for (float& v : values) v = spec.centre + random.uniform(spec.bound);
    out.write(reinterpret_cast<const char*>(values.data()),
              static_cast<std::streamsize>(count * sizeof(float)));
  }
  if (!out) throw std::runtime_error("could not write " + path.string());

  // The same architecture for tools that read config.json rather than the metadata.
  Json config = {{"num_hidden_layers", kLayers},
                 {"num_attention_heads", kHeads},
                 {"hidden_size", kHidden},
                 {"intermediate_size", kIntermediate},
                 {"max_position_embeddings", kMaxPositions},
                 {"vocab_size", kVocab},
                 {"type_vocab_size", kTokenTypes},
                 {"layer_norm_eps", kLayerNormEps},
                 {"hidden_act", "gelu"}};
  std::ofstream(path.parent_path() / "config.json") << config.dump(2) << "\n";
}

// [CLS], tokens - 2 word ids, [SEP].
std::vector<int32_t> textIds(int tokens) {
  Random random(kSeed + static_cast<uint64_t>(tokens));
  std::vector<int32_t> ids{kClsId};
  while (static_cast<int>(ids.size()) < tokens - 1) {
    ids.push_back(kFirstWordId + static_cast<int32_t>(random.next() % (kVocab - kFirstWordId)));
  }
  ids.push_back(kSepId);
  return ids;
}

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
    writeModel(file());
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
      std::vector<int32_t> ids = textIds(tokens);
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

BertEncoder& sharedEncoder(BertEncoder::Kernels kernels) {
  static std::map<BertEncoder::Kernels, std::unique_ptr<BertEncoder>> encoders;
  auto& slot = encoders[kernels];
  if (!slot) {
    slot = std::make_unique<BertEncoder>(BertEncoder::load(BenchModel::shared().file(), kernels));
  }
  return *slot;
}

void runText(benchmark::State& state, BertEncoder::Kernels kernels, int length) {
  BertEncoder& encoder = sharedEncoder(kernels);
  const int tokens = static_cast<int>(state.range(0));
  std::vector<int32_t> ids = textIds(tokens);
  std::vector<int32_t> mask(ids.size(), 1);
  ids.resize(static_cast<size_t>(std::max(length, tokens)), 0);
  mask.resize(ids.size(), 0);
  for (auto _ : state) {
    std::vector<float> vector = encoder.run(ids, mask);
    benchmark::DoNotOptimize(vector.data());
  }
  state.SetLabel(encoder.kernels() == BertEncoder::Kernels::avx2 ? "avx2" : "portable");
  state.counters["texts/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_EncoderRun(benchmark::State& state) { runText(state, BertEncoder::Kernels::best, 0); }
void BM_EncoderRunPortable(benchmark::State& state) {
  runText(state, BertEncoder::Kernels::portable, 0);
}
void BM_EncoderRunPadded(benchmark::State& state) {
  runText(state, BertEncoder::Kernels::best, kPaddedLength);
}

// A line of /proc/self/status in kB ("VmRSS", "VmHWM"); 0 when absent.
double statusKilobytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::strtod(line.c_str() + key.size() + 1, nullptr);
  }
  return 0;
}

// Resets VmHWM to the current resident set, where the kernel allows it.
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_EncoderLoad(benchmark::State& state) {
  const fs::path file = BenchModel::shared().file();
  // Memory is taken from the first load only: later ones reuse heap pages that the previous
  // encoder freed, and would understate it.
  double added = -1, peak = -1;
  for (auto _ : state) {
    resetPeak();
    const double before = statusKilobytes("VmRSS");
    BertEncoder encoder = BertEncoder::load(file);
    if (added < 0) {
      added = statusKilobytes("VmRSS") - before;
      peak = statusKilobytes("VmHWM") - before;
    }
    benchmark::DoNotOptimize(&encoder);
  }
  state.counters["rss_MB"] = added / 1024.0;
  state.counters["peak_MB"] = peak / 1024.0;
  state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);
}

void tokenCounts(benchmark::internal::Benchmark* b) {
  for (int tokens : kTokenCounts) b->Arg(tokens);
  b->ArgName("tokens")->Unit(benchmark::kMillisecond);
}

// Load first, while no other encoder has left freed pages behind.
BENCHMARK(BM_EncoderLoad)->Name("Encoder/load")->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncoderRun)->Name("Encoder/run")->Apply(tokenCounts);
BENCHMARK(BM_EncoderRunPortable)->Name("Encoder/runPortable")->Apply(tokenCounts);
BENCHMARK(BM_EncoderRunPadded)
    ->Name("Encoder/runPadded")
    ->Arg(16)
    ->ArgName("tokens")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb
