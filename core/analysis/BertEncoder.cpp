#include "analysis/BertEncoder.h"

#include <Eigen/Core>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "analysis/EncoderKernels.h"
#include "analysis/SafeTensors.h"
#include "base/Error.h"
#include "base/File.h"
#include "base/Json.h"

namespace qb {

namespace {

using RowMatrix = Eigen::Matrix<float, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

// Far above any BERT that would run here; they keep every size product well inside int and
// size_t, whatever a configuration claims before the tensors are checked against it.
constexpr int kMaxLayers = 256;
constexpr int kMaxHidden = 1 << 16;
constexpr int kMaxIntermediate = 1 << 18;
constexpr int kMaxPositions = 1 << 16;
constexpr int kMaxVocab = 1 << 24;
// config.json is a few hundred bytes; anything much larger is not one.
constexpr uint64_t kMaxConfigBytes = 1 << 20;
// The floor under the norm when the embedding is scaled to unit length, as torch's normalize.
constexpr float kNormFloor = 1e-12f;

constexpr const char* kLayersKey = "num_hidden_layers";
constexpr const char* kHeadsKey = "num_attention_heads";
constexpr const char* kHiddenKey = "hidden_size";
constexpr const char* kIntermediateKey = "intermediate_size";
constexpr const char* kPositionsKey = "max_position_embeddings";
constexpr const char* kVocabKey = "vocab_size";
constexpr const char* kEpsKey = "layer_norm_eps";
constexpr const char* kActivationKey = "hidden_act";
constexpr const char* kPositionTypeKey = "position_embedding_type";
constexpr const char* kArchitectureKeys[] = {kLayersKey,    kHeadsKey, kHiddenKey, kIntermediateKey,
                                             kPositionsKey, kVocabKey, kEpsKey};

Error invalidInput(const std::string& detail) {
  return Error(BertEncoder::kErrorDomain, BertEncoder::kInvalidInputCode,
               "Invalid encoder input: " + detail);
}

// Only the exact GELU and absolute positions are computed; a model trained with another
// activation or position scheme would load and give wrong vectors, so it is refused.
void checkVariant(const std::optional<std::string>& activation,
                  const std::optional<std::string>& positions) {
  if (activation && *activation != "gelu") {
    throw Error::fileReadCorrupt("unsupported hidden_act \"" + activation->substr(0, 40) + "\"");
  }
  if (positions && *positions != "absolute") {
    throw Error::fileReadCorrupt("unsupported position_embedding_type \"" +
                                 positions->substr(0, 40) + "\"");
  }
}

std::optional<std::string> lookup(const std::map<std::string, std::string>& metadata,
                                  const char* key) {
  auto it = metadata.find(key);
  if (it == metadata.end()) return std::nullopt;
  return it->second;
}

std::optional<BertEncoder::Config> configFromMetadata(
    const std::map<std::string, std::string>& metadata) {
  bool any = std::any_of(std::begin(kArchitectureKeys), std::end(kArchitectureKeys),
                         [&](const char* key) { return metadata.count(key) > 0; });
  if (!any) return std::nullopt;

  auto text = [&](const char* key) {
    auto value = lookup(metadata, key);
    if (!value) throw Error::fileReadCorrupt(std::string("metadata lacks ") + key);
    return *value;
  };
  auto integer = [&](const char* key) {
    std::string value = text(key);
    int result = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), result);
    if (ec != std::errc{} || end != value.data() + value.size()) {
      throw Error::fileReadCorrupt(std::string("metadata ") + key + " is not an integer");
    }
    return result;
  };

  BertEncoder::Config config;
  config.layers = integer(kLayersKey);
  config.heads = integer(kHeadsKey);
  config.hidden = integer(kHiddenKey);
  config.intermediate = integer(kIntermediateKey);
  config.maxPositions = integer(kPositionsKey);
  config.vocabSize = integer(kVocabKey);
  std::string eps = text(kEpsKey);
  auto [end, ec] = std::from_chars(eps.data(), eps.data() + eps.size(), config.layerNormEps);
  if (ec != std::errc{} || end != eps.data() + eps.size()) {
    throw Error::fileReadCorrupt(std::string("metadata ") + kEpsKey + " is not a number");
  }
  checkVariant(lookup(metadata, kActivationKey), lookup(metadata, kPositionTypeKey));
  return config;
}

BertEncoder::Config configFromJson(const std::filesystem::path& path) {
  std::string text = file::read(path, kMaxConfigBytes);
  try {
    Json object = json::parse(text);
    if (!object.is_object()) throw Error::fileReadCorrupt("config.json is not an object");
    BertEncoder::Config config;
    config.layers = json::require<int>(object, kLayersKey);
    config.heads = json::require<int>(object, kHeadsKey);
    config.hidden = json::require<int>(object, kHiddenKey);
    config.intermediate = json::require<int>(object, kIntermediateKey);
    config.maxPositions = json::require<int>(object, kPositionsKey);
    config.vocabSize = json::require<int>(object, kVocabKey);
    config.layerNormEps = json::require<double>(object, kEpsKey);
    checkVariant(json::optional<std::string>(object, kActivationKey),
                 json::optional<std::string>(object, kPositionTypeKey));
    return config;
  } catch (const Error& e) {
    if (e.code() == Error::kFileReadCorruptCode) throw;
    throw Error::fileReadCorrupt(std::string("config.json: ") + e.what());
  }
}

void validate(const BertEncoder::Config& c) {
  auto within = [](int value, int most) { return value >= 1 && value <= most; };
  if (!within(c.layers, kMaxLayers) || !within(c.heads, kMaxHidden) ||
      !within(c.hidden, kMaxHidden) || !within(c.intermediate, kMaxIntermediate) ||
      !within(c.maxPositions, kMaxPositions) || !within(c.vocabSize, kMaxVocab)) {
    throw Error::fileReadCorrupt("architecture size out of range");
  }
  if (c.hidden % c.heads != 0) {
    throw Error::fileReadCorrupt("hidden_size is not a multiple of the heads");
  }
  if (!std::isfinite(c.layerNormEps) || c.layerNormEps <= 0 || c.layerNormEps > 1) {
    throw Error::fileReadCorrupt("layer_norm_eps out of range");
  }
}

// In place: each row to zero mean and unit variance (biased, as BERT's LayerNorm), then
// scaled and shifted.
void layerNorm(float* data, int rows, int width, const std::vector<float>& gamma,
               const std::vector<float>& beta, float eps) {
  Eigen::Map<RowMatrix> x(data, rows, width);
  Eigen::Map<const Eigen::RowVectorXf> scale(gamma.data(), width);
  Eigen::Map<const Eigen::RowVectorXf> shift(beta.data(), width);
  for (int r = 0; r < rows; ++r) {
    auto row = x.row(r);
    const float mean = row.mean();
    row.array() -= mean;
    const float variance = row.squaredNorm() / static_cast<float>(width);
    const float inverse = 1.0f / std::sqrt(variance + eps);
    row = (row.array() * inverse * scale.array() + shift.array()).matrix();
  }
}

}  // namespace

struct BertEncoder::Model {
  struct Layer {
    EncoderKernels::Linear qkv;           // [q | k | v] in one product
    EncoderKernels::Linear attentionOut;  // attention.output.dense
    std::vector<float> attentionGamma, attentionBeta;
    EncoderKernels::Linear intermediate;
    EncoderKernels::Linear output;
    std::vector<float> outputGamma, outputBeta;
  };

  Config config;
  EncoderKernels kernels;
  std::vector<float> wordEmbeddings;      // [vocab × hidden]
  std::vector<float> positionEmbeddings;  // [maxPositions × hidden]
  std::vector<float> tokenType;           // row 0 of the token-type table
  std::vector<float> embeddingGamma, embeddingBeta;
  std::vector<Layer> layers;

  // Scratch of runBatch(), kept between runs so that a run allocates nothing once warm.
  struct Token {
    int32_t id;
    int position;  // in its own sequence
  };
  std::vector<Token> rows;     // the real tokens of all sequences, one row each
  std::vector<size_t> starts;  // each sequence's first row, then the number of rows
  std::vector<float> hidden, qkv, context, attention, intermediate;

  explicit Model(EncoderKernels::Isa isa) : kernels(isa) {}
};

BertEncoder::BertEncoder(std::unique_ptr<Model> model) : model_(std::move(model)) {}
BertEncoder::BertEncoder(BertEncoder&&) noexcept = default;
BertEncoder& BertEncoder::operator=(BertEncoder&&) noexcept = default;
BertEncoder::~BertEncoder() = default;

const BertEncoder::Config& BertEncoder::config() const { return model_->config; }

BertEncoder::Kernels BertEncoder::kernels() const {
  switch (model_->kernels.isa()) {
    case EncoderKernels::Isa::avx2:
      return Kernels::avx2;
    case EncoderKernels::Isa::avx512:
      return Kernels::avx512;
    case EncoderKernels::Isa::portable:
      break;
  }
  return Kernels::portable;
}

BertEncoder BertEncoder::load(const std::filesystem::path& file, Kernels kernels) {
  SafeTensors tensors = SafeTensors::open(file);
  Config config;
  if (auto fromMetadata = configFromMetadata(tensors.metadata())) {
    config = *fromMetadata;
  } else {
    config = configFromJson(file.parent_path() / "config.json");
  }
  validate(config);

  EncoderKernels::Isa isa = EncoderKernels::best();
  if (kernels == Kernels::portable) isa = EncoderKernels::Isa::portable;
  if (kernels == Kernels::avx2) isa = EncoderKernels::Isa::avx2;
  if (kernels == Kernels::avx512) isa = EncoderKernels::Isa::avx512;
  // The kernels refuse a build the processor lacks.
  auto model = std::make_unique<Model>(isa);
  model->config = config;

  const std::string prefix =
      tensors.contains("bert.embeddings.word_embeddings.weight") ? "bert." : "";
  // Each tensor is read straight into the buffer it is kept in, the word embeddings above all:
  // they are half the model.
  auto read = [&](const std::string& name, std::initializer_list<int64_t> shape) {
    return tensors.floats(prefix + name, shape);
  };
  const int hidden = config.hidden;
  const int inner = config.intermediate;

  model->wordEmbeddings = read("embeddings.word_embeddings.weight", {config.vocabSize, hidden});
  model->positionEmbeddings =
      read("embeddings.position_embeddings.weight", {config.maxPositions, hidden});
  // The token-type table has as many rows as the model has types (two in BERT, a few kB); only
  // type 0 is used, and only it is kept.
  const std::string typeName = prefix + "embeddings.token_type_embeddings.weight";
  auto typeTensor = tensors.tensors().find(typeName);
  if (typeTensor == tensors.tensors().end() || typeTensor->second.shape.size() != 2 ||
      typeTensor->second.shape[0] < 1) {
    throw Error::fileReadCorrupt("missing or misshapen tensor " + typeName);
  }
  const std::vector<float> typeTable =
      read("embeddings.token_type_embeddings.weight", {typeTensor->second.shape[0], hidden});
  model->tokenType.assign(typeTable.begin(), typeTable.begin() + hidden);
  model->embeddingGamma = read("embeddings.LayerNorm.weight", {hidden});
  model->embeddingBeta = read("embeddings.LayerNorm.bias", {hidden});

  {
    // The kernels keep each linear layer in a layout of their own, so its weight and bias are read
    // into these two buffers, one layer at a time, and packed from there: beyond the model, loading
    // holds only the largest layer, [q | k | v] or the intermediate one.
    const auto widest = static_cast<size_t>(std::max(3 * hidden, inner));
    std::vector<float> weights(widest * static_cast<size_t>(hidden));
    std::vector<float> biases(widest);
    // The layer `name` of [out × in] weights into the buffers, after the first `row` rows.
    auto readLinear = [&](const std::string& name, int in, int out, int row) {
      const auto first = static_cast<size_t>(row), rows = static_cast<size_t>(out);
      const auto width = static_cast<size_t>(in);
      tensors.read(prefix + name + ".weight", {out, in},
                   std::span(weights).subspan(first * width, rows * width));
      tensors.read(prefix + name + ".bias", {out}, std::span(biases).subspan(first, rows));
    };
    // The first `out` rows of the buffers, laid out for the kernels, all layers in one block.
    EncoderKernels& k = model->kernels;
    k.reserve(static_cast<size_t>(config.layers) *
              (k.packedFloats(config.hidden, 3 * config.hidden) +
               k.packedFloats(config.hidden, config.hidden) +
               k.packedFloats(config.hidden, config.intermediate) +
               k.packedFloats(config.intermediate, config.hidden)));
    auto pack = [&](int in, int out) {
      const auto rows = static_cast<size_t>(out);
      return k.linear(std::span(weights).first(rows * static_cast<size_t>(in)),
                      std::span(biases).first(rows), in, out);
    };

    model->layers.reserve(static_cast<size_t>(config.layers));
    for (int i = 0; i < config.layers; ++i) {
      const std::string layer = "encoder.layer." + std::to_string(i) + ".";
      Model::Layer& l = model->layers.emplace_back();
      // q, k and v side by side: one product computes all three.
      readLinear(layer + "attention.self.query", hidden, hidden, 0);
      readLinear(layer + "attention.self.key", hidden, hidden, hidden);
      readLinear(layer + "attention.self.value", hidden, hidden, 2 * hidden);
      l.qkv = pack(hidden, 3 * hidden);
      readLinear(layer + "attention.output.dense", hidden, hidden, 0);
      l.attentionOut = pack(hidden, hidden);
      l.attentionGamma = read(layer + "attention.output.LayerNorm.weight", {hidden});
      l.attentionBeta = read(layer + "attention.output.LayerNorm.bias", {hidden});
      readLinear(layer + "intermediate.dense", hidden, inner, 0);
      l.intermediate = pack(hidden, inner);
      readLinear(layer + "output.dense", inner, hidden, 0);
      l.output = pack(inner, hidden);
      l.outputGamma = read(layer + "output.LayerNorm.weight", {hidden});
      l.outputBeta = read(layer + "output.LayerNorm.bias", {hidden});
    }
  }
#if defined(__GLIBC__)
  // The layer buffers are gone now. Where earlier frees have raised malloc's mmap threshold above
  // their size, they came from the heap, and without this a layer's worth of freed pages would
  // stay resident.
  malloc_trim(0);
#endif
  return BertEncoder(std::move(model));
}

std::vector<float> BertEncoder::run(std::span<const int32_t> inputIds,
                                    std::span<const int32_t> attentionMask) {
  const Sequence sequence{inputIds, attentionMask};
  return std::move(runBatch({&sequence, 1}).front());
}

std::vector<std::vector<float>> BertEncoder::runBatch(std::span<const Sequence> sequences) {
  if (sequences.empty()) return {};
  Model& m = *model_;
  const Config& c = m.config;
  // With one sequence there is none to tell apart, and run()'s messages stay as they were.
  auto refuse = [&](size_t s, const std::string& detail) {
    return invalidInput((sequences.size() > 1 ? "sequence " + std::to_string(s) + ": " : "") +
                        detail);
  };
  // Every sequence is checked before any is computed, so that a bad one costs nothing.
  m.rows.clear();
  m.starts.clear();
  for (size_t s = 0; s < sequences.size(); ++s) {
    const auto& [inputIds, attentionMask] = sequences[s];
    if (inputIds.size() != attentionMask.size()) {
      throw refuse(s, "input_ids has " + std::to_string(inputIds.size()) +
                          " entries, attention_mask " + std::to_string(attentionMask.size()));
    }
    if (inputIds.size() > static_cast<size_t>(c.maxPositions)) {
      throw refuse(s, std::to_string(inputIds.size()) + " positions, the model takes at most " +
                          std::to_string(c.maxPositions));
    }
    m.starts.push_back(m.rows.size());
    for (size_t i = 0; i < inputIds.size(); ++i) {
      if (inputIds[i] < 0 || inputIds[i] >= c.vocabSize) {
        throw refuse(s, "input_ids[" + std::to_string(i) + "] = " + std::to_string(inputIds[i]) +
                            " is outside the vocabulary of " + std::to_string(c.vocabSize));
      }
      if (attentionMask[i] != 0 && attentionMask[i] != 1) {
        throw refuse(s, "attention_mask[" + std::to_string(i) + "] is neither 0 nor 1");
      }
      if (attentionMask[i] == 1) m.rows.push_back({inputIds[i], static_cast<int>(i)});
    }
    if (m.rows.size() == m.starts.back()) throw refuse(s, "attention_mask selects no position");
  }
  // The kernels count rows in int.
  if (m.rows.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
    throw invalidInput(std::to_string(m.rows.size()) + " tokens in one batch, more than an int");
  }
  m.starts.push_back(m.rows.size());

  const int tokens = static_cast<int>(m.rows.size());
  const int hidden = c.hidden;
  const size_t rows = m.rows.size();
  m.hidden.resize(rows * hidden);
  m.qkv.resize(rows * 3 * hidden);
  m.context.resize(rows * hidden);
  m.attention.resize(rows * hidden);
  m.intermediate.resize(rows * c.intermediate);

  for (size_t t = 0; t < rows; ++t) {
    const auto [id, position] = m.rows[t];
    const float* word = m.wordEmbeddings.data() + static_cast<size_t>(id) * hidden;
    const float* place = m.positionEmbeddings.data() + static_cast<size_t>(position) * hidden;
    float* row = m.hidden.data() + t * hidden;
    // In BERT's order: word and type first, then position.
    for (int j = 0; j < hidden; ++j) row[j] = (word[j] + m.tokenType[j]) + place[j];
  }
  const auto eps = static_cast<float>(c.layerNormEps);
  layerNorm(m.hidden.data(), tokens, hidden, m.embeddingGamma, m.embeddingBeta, eps);

  // Every product takes all the batch's rows at once; only attention, which mixes rows, goes
  // sequence by sequence over that sequence's own rows.
  EncoderKernels& k = m.kernels;
  const int qkvStride = 3 * hidden;
  for (const Model::Layer& layer : m.layers) {
    k.apply(layer.qkv, m.hidden.data(), tokens, hidden, m.qkv.data(), qkvStride, {});
    for (size_t s = 0; s + 1 < m.starts.size(); ++s) {
      const size_t start = m.starts[s];
      k.attention(m.qkv.data() + start * qkvStride, static_cast<int>(m.starts[s + 1] - start),
                  qkvStride, c.heads, hidden / c.heads, m.context.data() + start * hidden, hidden);
    }
    k.apply(layer.attentionOut, m.context.data(), tokens, hidden, m.attention.data(), hidden,
            {m.hidden.data(), hidden, false});
    layerNorm(m.attention.data(), tokens, hidden, layer.attentionGamma, layer.attentionBeta, eps);
    k.apply(layer.intermediate, m.attention.data(), tokens, hidden, m.intermediate.data(),
            c.intermediate, {nullptr, 0, true});
    k.apply(layer.output, m.intermediate.data(), tokens, c.intermediate, m.hidden.data(), hidden,
            {m.attention.data(), hidden, false});
    layerNorm(m.hidden.data(), tokens, hidden, layer.outputGamma, layer.outputBeta, eps);
  }

  std::vector<std::vector<float>> vectors;
  vectors.reserve(sequences.size());
  for (size_t s = 0; s + 1 < m.starts.size(); ++s) {
    const auto count = static_cast<Eigen::Index>(m.starts[s + 1] - m.starts[s]);
    Eigen::Map<const RowMatrix> states(m.hidden.data() + m.starts[s] * hidden, count, hidden);
    Eigen::RowVectorXf mean = states.colwise().sum() / static_cast<float>(count);
    mean /= std::max(mean.norm(), kNormFloor);
    vectors.emplace_back(mean.data(), mean.data() + hidden);
  }
  return vectors;
}

}  // namespace qb
