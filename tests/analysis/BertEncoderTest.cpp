// The encoder's input checks and model files; SentenceEmbedderTest checks its vectors.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "analysis/BertEncoder.h"
#include "base/File.h"
#include "base/Json.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::ThrowsError;

const fs::path kTinyBert = fs::path(QB_TEST_DATA) / "tiny-bert";
const fs::path kModel = kTinyBert / "Embedder.safetensors";
const std::vector<int32_t> kIds{2, 40, 41, 3}, kOnes{1, 1, 1, 1};

auto ThrowsCorrupt(const std::string& reason) {
  return ThrowsError(Error::kFileDomain, Error::kFileReadCorruptCode, reason);
}

// The tiny model's architecture as metadata.
const Json kArchitecture = {{"num_hidden_layers", "2"}, {"num_attention_heads", "4"},
                            {"hidden_size", "32"},      {"intermediate_size", "64"},
                            {"vocab_size", "189"},      {"layer_norm_eps", "1e-12"},
                            {"hidden_act", "gelu"},     {"max_position_embeddings", "64"}};

// Writes the tiny model to `path` once `edit` has changed its header and added to its data.
void writeEdited(const fs::path& path, const std::function<void(Json&, std::string&)>& edit) {
  const std::string file = test::readFile(kModel);
  uint64_t length = 0;
  std::memcpy(&length, file.data(), sizeof length);
  Json header = json::parse(file.substr(sizeof length, length));
  std::string data = file.substr(sizeof length + length);
  edit(header, data);
  const std::string text = header.dump();
  length = text.size();
  test::writeFile(path, std::string(reinterpret_cast<const char*>(&length), 8) + text + data);
}

TEST(BertEncoderTest, RefusesBadInputAndStaysUsable) {
  BertEncoder encoder = BertEncoder::load(kModel);
  const std::vector<float> expected = encoder.run(kIds, kOnes);
  std::vector<int32_t> oneOf65(65, 0);
  oneOf65[0] = 1;
  const struct {
    std::vector<int32_t> ids, mask;
    const char* reason;
  } cases[] = {
      {kIds, {1, 1, 1}, "input_ids has 4 entries, attention_mask 3"},
      {{}, {}, "selects no position"},
      {kIds, {0, 0, 0, 0}, "selects no position"},
      {kIds, {1, 2, 1, 1}, "attention_mask[1] is neither 0 nor 1"},
      {kIds, {1, -1, 1, 1}, "attention_mask[1] is neither 0 nor 1"},
      {{2, -1, 41, 3}, kOnes, "input_ids[1] = -1 is outside the vocabulary of 189"},
      {{2, 189, 41, 3}, kOnes, "input_ids[1] = 189 is outside"},
      {{2, 40, 41, 3, 2'000'000'000}, {1, 1, 1, 1, 0}, "input_ids[4] = 2000000000 is outside"},
      {std::vector<int32_t>(65, 5), oneOf65, "65 positions, the model takes at most 64"},
  };
  for (const auto& c : cases) {
    EXPECT_THAT([&] { encoder.run(c.ids, c.mask); },
                ThrowsError(BertEncoder::kErrorDomain, BertEncoder::kInvalidInputCode, c.reason));
  }
  EXPECT_EQ(encoder.run(kIds, kOnes), expected);
}

TEST(BertEncoderTest, ABatchNamesItsFirstBadSequence) {
  BertEncoder encoder = BertEncoder::load(kModel);
  const std::vector<int32_t> outside{2, 40, 189, 3}, threeOnes{1, 1, 1};
  const struct {
    std::vector<BertEncoder::Sequence> batch;
    const char* reason;
  } cases[] = {
      {{{kIds, kOnes}, {outside, kOnes}}, "sequence 1: input_ids[2] = 189 is outside"},
      {{{kIds, threeOnes}, {outside, kOnes}}, "sequence 0: input_ids has 4 entries"},
      {{{kIds, kOnes}, {kIds, kOnes}, {kIds, {}}}, "sequence 2: input_ids has 4 entries"},
      {{{kIds, kOnes}, {{}, {}}}, "sequence 1: attention_mask selects no position"},
  };
  for (const auto& c : cases) {
    EXPECT_THAT([&] { encoder.runBatch(c.batch); },
                ThrowsError(BertEncoder::kErrorDomain, BertEncoder::kInvalidInputCode, c.reason));
  }
  EXPECT_TRUE(encoder.runBatch({}).empty());
}

TEST(BertEncoderLoadTest, TakesTheArchitectureFromMetadataAndNamesWithTheBertPrefix) {
  test::TempDir dir;  // and no config.json in it
  writeEdited(dir / "Embedder.safetensors", [](Json& header, std::string&) {
    Json edited = {{"__metadata__", kArchitecture}};
    header.erase("__metadata__");
    for (const auto& [name, entry] : header.items()) edited["bert." + name] = entry;
    header = edited;
  });
  BertEncoder prefixed = BertEncoder::load(dir / "Embedder.safetensors");
  BertEncoder original = BertEncoder::load(kModel);
  EXPECT_EQ(prefixed.config(), original.config());
  EXPECT_EQ(prefixed.run(kIds, kOnes), original.run(kIds, kOnes));
}

TEST(BertEncoderLoadTest, RefusesArchitecturesThatDoNotFitTheWeights) {
  test::TempDir dir;
  fs::copy_file(kModel, dir / "Embedder.safetensors");
  const Json good = json::parse(test::readFile(kTinyBert / "config.json"));
  auto with = [&](const char* key, Json value) {
    Json config = good;
    value.is_null() ? void(config.erase(key)) : void(config[key] = value);
    return config.dump();
  };
  const std::pair<std::string, const char*> cases[] = {
      {with("hidden_size", 48), "has shape [189, 32], expected [189, 48]"},
      {with("num_hidden_layers", 3), "missing tensor \"encoder.layer.2."},
      {with("num_hidden_layers", 0), "architecture size out of range"},
      {with("hidden_size", 2147483647), "architecture size out of range"},
      {with("num_attention_heads", 5), "hidden_size is not a multiple of the heads"},
      {with("intermediate_size", 32), "has shape [64, 32], expected [32, 32]"},
      {with("layer_norm_eps", 0), "layer_norm_eps out of range"},
      {with("layer_norm_eps", "small"), "config.json: The data couldn't be read: layer_norm_eps"},
      {with("num_hidden_layers", "2"), "num_hidden_layers: expected an integer"},
      {with("vocab_size", nullptr), "vocab_size: key not found"},
      {with("hidden_act", "relu"), "unsupported hidden_act \"relu\""},
      {with("position_embedding_type", "relative_key"), "unsupported position_embedding_type"},
      {"[]", "config.json is not an object"},
      {"{\"hidden_size\": ", "config.json: "},
  };
  for (const auto& [config, reason] : cases) {
    test::writeFile(dir / "config.json", config);
    EXPECT_THAT([&] { BertEncoder::load(dir / "Embedder.safetensors"); }, ThrowsCorrupt(reason));
  }
  fs::remove(dir / "config.json");
  EXPECT_THAT([&] { BertEncoder::load(dir / "Embedder.safetensors"); },
              ThrowsError(Error::kFileDomain, file::kNoSuchFileCode, "config.json"));
}

TEST(BertEncoderLoadTest, RefusesMissingMistypedOrMisdescribedTensors) {
  test::TempDir dir;
  fs::copy_file(kTinyBert / "config.json", dir / "config.json");
  const char* intermediate = "encoder.layer.0.intermediate.dense.weight";
  Json junk = kArchitecture;
  junk["num_hidden_layers"] = "2x";
  // A patch of one entry of the header; null hides the tensor under another name.
  const struct {
    const char* key;
    Json patch;
    const char* reason;
  } cases[] = {
      {"encoder.layer.1.output.LayerNorm.bias", nullptr, "missing tensor"},
      {"embeddings.token_type_embeddings.weight", nullptr, "missing or misshapen tensor"},
      {intermediate, {{"dtype", "F16"}, {"shape", {64, 64}}}, "is F16, not F32"},
      {intermediate, {{"dtype", "I32"}}, "is I32, not F32"},
      {intermediate, {{"shape", {32, 64}}}, "has shape [32, 64], expected [64, 32]"},
      {"__metadata__", {{"num_hidden_layers", "2"}}, "metadata lacks num_attention_heads"},
      {"__metadata__", junk, "metadata num_hidden_layers is not an integer"},
  };
  for (const auto& [key, patch, reason] : cases) {
    writeEdited(dir / "Embedder.safetensors", [&](Json& header, std::string&) {
      if (!patch.is_null()) return header[key].merge_patch(patch);
      header["unused"] = header[key];
      header.erase(key);
    });
    EXPECT_THAT([&] { BertEncoder::load(dir / "Embedder.safetensors"); }, ThrowsCorrupt(reason));
  }
}

}  // namespace
}  // namespace qb
