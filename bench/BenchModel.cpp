#include "BenchModel.h"

#include <cmath>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

#include "base/Json.h"

namespace qb::bench {

namespace fs = std::filesystem;

namespace {

constexpr int32_t kClsId = 101;
constexpr int32_t kSepId = 102;
constexpr int32_t kFirstWordId = 1000;  // ids below are special tokens and unused entries
constexpr uint64_t kSeed = 0x5eed'1234'abcd'0001ull;

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

}  // namespace

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

std::vector<int32_t> textIds(int tokens) {
  Random random(kSeed + static_cast<uint64_t>(tokens));
  std::vector<int32_t> ids{kClsId};
  while (static_cast<int>(ids.size()) < tokens - 1) {
    ids.push_back(kFirstWordId + static_cast<int32_t>(random.next() % (kVocab - kFirstWordId)));
  }
  ids.push_back(kSepId);
  return ids;
}

}  // namespace qb::bench
