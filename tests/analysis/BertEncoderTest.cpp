#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/BertEncoder.h"
#include "analysis/EncoderKernels.h"
#include "analysis/SafeTensors.h"
#include "base/Error.h"
#include "base/File.h"
#include "base/Json.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

const fs::path kModelDir = fs::path(QB_TEST_DATA) / "tiny-bert";
const fs::path kModel = kModelDir / "Embedder.safetensors";
// Our float32 against the float64 reference of tools/reference_vectors.py.
constexpr float kTolerance = 1e-5f;

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct ReferenceCase {
  std::string name;
  std::vector<int32_t> ids;
  std::vector<int32_t> mask;
  std::vector<float> embedding;
};

std::vector<ReferenceCase> referenceCases() {
  Json document = json::parse(readText(kModelDir / "reference.json"));
  std::vector<ReferenceCase> cases;
  for (const Json& c : document.at("cases")) {
    cases.push_back({c.at("name").get<std::string>(), c.at("input_ids").get<std::vector<int32_t>>(),
                     c.at("attention_mask").get<std::vector<int32_t>>(),
                     c.at("embedding").get<std::vector<float>>()});
  }
  return cases;
}

ReferenceCase referenceCase(const std::string& name) {
  for (ReferenceCase& c : referenceCases()) {
    if (c.name == name) return c;
  }
  throw std::runtime_error("no reference case " + name);
}

// One tensor as a safetensors file holds it.
struct Entry {
  std::string name;
  std::string dtype;
  std::vector<int64_t> shape;
  std::string bytes;
};

std::vector<Entry> tinyModelEntries() {
  SafeTensors file = SafeTensors::open(kModel);
  std::vector<Entry> entries;
  for (const auto& [name, tensor] : file.tensors()) {
    auto bytes = file.bytes(tensor);
    entries.push_back({name, tensor.dtype, tensor.shape,
                       std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size())});
  }
  return entries;
}

void writeSafeTensors(const fs::path& path, const std::vector<Entry>& entries,
                      const std::map<std::string, std::string>& metadata) {
  Json header = Json::object();
  if (!metadata.empty()) header["__metadata__"] = metadata;
  std::string data;
  for (const Entry& e : entries) {
    header[e.name] = {{"dtype", e.dtype},
                      {"shape", e.shape},
                      {"data_offsets", {data.size(), data.size() + e.bytes.size()}}};
    data += e.bytes;
  }
  std::string text = header.dump();
  uint64_t length = text.size();
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&length), sizeof length);
  out << text << data;
}

std::vector<BertEncoder::Kernels> kernelsOfThisProcessor() {
  std::vector<BertEncoder::Kernels> kernels{BertEncoder::Kernels::portable};
  if (EncoderKernels::avx2Available()) kernels.push_back(BertEncoder::Kernels::avx2);
  return kernels;
}

class TempDir {
public:
  TempDir() {
    path_ = fs::temp_directory_path() /
            ("qb-encoder-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

private:
  fs::path path_;
};

// Loading `path` fails as corrupt content.
void expectCorruptLoad(const fs::path& path, const std::string& why) {
  try {
    BertEncoder::load(path);
    ADD_FAILURE() << why << ": loaded";
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), Error::kFileReadCorruptCode) << why << ": " << e.what();
  }
}

// --- Computation, on every kernel build this processor runs ---

class BertEncoderTest : public ::testing::TestWithParam<BertEncoder::Kernels> {};

TEST_P(BertEncoderTest, MatchesTheIndependentReference) {
  BertEncoder encoder = BertEncoder::load(kModel, GetParam());
  ASSERT_EQ(encoder.kernels(), GetParam());
  EXPECT_EQ(encoder.config(), (BertEncoder::Config{2, 4, 32, 64, 64, 189, 1e-12}));
  std::vector<ReferenceCase> cases = referenceCases();
  ASSERT_GE(cases.size(), 8u);
  for (const ReferenceCase& c : cases) {
    std::vector<float> vector = encoder.run(c.ids, c.mask);
    ASSERT_EQ(vector.size(), c.embedding.size()) << c.name;
    double norm = 0;
    for (size_t i = 0; i < vector.size(); ++i) {
      EXPECT_NEAR(vector[i], c.embedding[i], kTolerance) << c.name << " [" << i << "]";
      norm += double(vector[i]) * vector[i];
    }
    EXPECT_NEAR(std::sqrt(norm), 1.0, kTolerance) << c.name;
  }
}

TEST_P(BertEncoderTest, PaddingAndTrimmingChangeNothing) {
  BertEncoder encoder = BertEncoder::load(kModel, GetParam());
  ReferenceCase title = referenceCase("title");
  const std::vector<float> trimmed = encoder.run(title.ids, title.mask);

  const int maxPositions = encoder.config().maxPositions;
  std::vector<int32_t> ids = title.ids, mask = title.mask;
  ids.resize(maxPositions, 0);
  mask.resize(maxPositions, 0);
  EXPECT_EQ(encoder.run(ids, mask), trimmed) << "padded with 0";
  for (size_t i = title.ids.size(); i < ids.size(); ++i) ids[i] = static_cast<int32_t>(i * 7 % 189);
  EXPECT_EQ(encoder.run(ids, mask), trimmed) << "padded with other ids";

  // Scratch left by a longer run must not leak into a shorter one.
  ReferenceCase full = referenceCase("fills every position");
  std::vector<float> long1 = encoder.run(full.ids, full.mask);
  EXPECT_EQ(encoder.run(title.ids, title.mask), trimmed);
  EXPECT_EQ(encoder.run(full.ids, full.mask), long1);
}

TEST_P(BertEncoderTest, RefusesBadInputAndStaysUsable) {
  BertEncoder encoder = BertEncoder::load(kModel, GetParam());
  const std::vector<int32_t> ids{2, 40, 41, 3}, ones{1, 1, 1, 1};
  auto refused = [&](std::vector<int32_t> i, std::vector<int32_t> m, const char* why) {
    try {
      encoder.run(i, m);
      ADD_FAILURE() << why << ": accepted";
    } catch (const Error& e) {
      EXPECT_EQ(e.domain(), BertEncoder::kErrorDomain) << why;
      EXPECT_EQ(e.code(), BertEncoder::kInvalidInputCode) << why;
    }
  };
  refused(ids, {1, 1, 1}, "lengths differ");
  refused({}, {}, "no positions");
  refused(ids, {0, 0, 0, 0}, "mask selects nothing");
  refused(ids, {1, 2, 1, 1}, "mask value 2");
  refused(ids, {1, -1, 1, 1}, "mask value -1");
  refused({2, -1, 41, 3}, ones, "negative id");
  refused({2, 189, 41, 3}, ones, "id = vocabulary size");
  refused({2, 40, 41, 3, 2'000'000'000}, {1, 1, 1, 1, 0}, "bad id under the mask");
  refused(std::vector<int32_t>(65, 5), std::vector<int32_t>(65, 1),
          "more positions than the model has");
  refused(
      std::vector<int32_t>(65, 5),
      [] {
        std::vector<int32_t> m(65, 0);
        m[0] = 1;
        return m;
      }(),
      "more positions, even if padded");

  ReferenceCase title = referenceCase("title");
  std::vector<float> vector = encoder.run(title.ids, title.mask);
  for (size_t i = 0; i < vector.size(); ++i) EXPECT_NEAR(vector[i], title.embedding[i], kTolerance);
}

INSTANTIATE_TEST_SUITE_P(BertEncoderKernels, BertEncoderTest,
                         ::testing::ValuesIn(kernelsOfThisProcessor()), [](const auto& test) {
                           return test.param == BertEncoder::Kernels::avx2 ? "avx2" : "portable";
                         });

// --- Loading ---

TEST(BertEncoderLoadTest, TakesTheArchitectureFromMetadataAndAcceptsTheBertPrefix) {
  TempDir dir;
  std::vector<Entry> entries = tinyModelEntries();
  for (Entry& e : entries) e.name = "bert." + e.name;
  std::map<std::string, std::string> metadata{
      {"format", "pt"},      {"num_hidden_layers", "2"},  {"num_attention_heads", "4"},
      {"hidden_size", "32"}, {"intermediate_size", "64"}, {"max_position_embeddings", "64"},
      {"vocab_size", "189"}, {"layer_norm_eps", "1e-12"}, {"hidden_act", "gelu"}};
  // No config.json beside it: the metadata is all there is.
  writeSafeTensors(dir.path() / "Embedder.safetensors", entries, metadata);
  BertEncoder fromMetadata = BertEncoder::load(dir.path() / "Embedder.safetensors");
  BertEncoder original = BertEncoder::load(kModel);
  EXPECT_EQ(fromMetadata.config(), original.config());
  ReferenceCase c = referenceCase("site and title");
  EXPECT_EQ(fromMetadata.run(c.ids, c.mask), original.run(c.ids, c.mask));
}

TEST(BertEncoderLoadTest, RefusesArchitecturesThatDoNotFitTheWeights) {
  TempDir dir;
  fs::copy_file(kModel, dir.path() / "Embedder.safetensors");
  const Json good = json::parse(readText(kModelDir / "config.json"));
  auto corrupt = [&](const std::string& configText, const std::string& why) {
    std::ofstream(dir.path() / "config.json", std::ios::trunc) << configText;
    expectCorruptLoad(dir.path() / "Embedder.safetensors", why);
  };
  auto with = [&](const char* key, Json value) {
    Json config = good;
    value.is_null() ? void(config.erase(key)) : void(config[key] = value);
    return config.dump();
  };
  corrupt(with("hidden_size", 48), "hidden size other than the tensors'");
  corrupt(with("num_hidden_layers", 3), "more layers than the file has");
  corrupt(with("num_hidden_layers", 0), "no layers");
  corrupt(with("num_attention_heads", 5), "heads do not divide the hidden size");
  corrupt(with("vocab_size", 190), "vocabulary larger than the table");
  corrupt(with("max_position_embeddings", 65), "more positions than the table");
  corrupt(with("intermediate_size", 32), "intermediate size other than the tensors'");
  corrupt(with("hidden_size", 2147483647), "absurd hidden size");
  corrupt(with("layer_norm_eps", 0), "zero epsilon");
  corrupt(with("layer_norm_eps", "small"), "epsilon not a number");
  corrupt(with("num_hidden_layers", "2"), "layers as a string");
  corrupt(with("vocab_size", nullptr), "vocab_size missing");
  corrupt(with("hidden_act", "relu"), "another activation");
  corrupt(with("position_embedding_type", "relative_key"), "another position scheme");
  corrupt("[]", "not an object");
  corrupt("{\"hidden_size\": ", "not JSON");

  fs::remove(dir.path() / "config.json");
  try {
    BertEncoder::load(dir.path() / "Embedder.safetensors");
    ADD_FAILURE() << "loaded without an architecture";
  } catch (const Error& e) {
    EXPECT_EQ(e.domain(), Error::kFileDomain);
    EXPECT_EQ(e.code(), file::kNoSuchFileCode) << e.what();
  }
}

TEST(BertEncoderLoadTest, RefusesMissingMistypedOrMisdescribedTensors) {
  TempDir dir;
  fs::copy_file(kModelDir / "config.json", dir.path() / "config.json");
  const fs::path path = dir.path() / "Embedder.safetensors";
  auto corrupt = [&](const std::vector<Entry>& entries,
                     const std::map<std::string, std::string>& metadata, const char* why) {
    writeSafeTensors(path, entries, metadata);
    expectCorruptLoad(path, why);
  };
  const std::vector<Entry> entries = tinyModelEntries();
  // The entries with `name` edited, or left out when `edit` is null.
  auto edited = [&](const std::string& name, void (*edit)(Entry&)) {
    std::vector<Entry> copy = entries;
    auto it =
        std::find_if(copy.begin(), copy.end(), [&](const Entry& e) { return e.name == name; });
    if (it == copy.end()) throw std::runtime_error("no tensor " + name);
    edit ? edit(*it) : void(copy.erase(it));
    return copy;
  };
  corrupt(edited("encoder.layer.1.output.LayerNorm.bias", nullptr), {}, "missing tensor");
  corrupt(edited("embeddings.token_type_embeddings.weight", nullptr), {}, "no token types");
  corrupt(edited("encoder.layer.0.intermediate.dense.weight",
                 [](Entry& e) {
                   e.dtype = "F16";
                   e.bytes.resize(e.bytes.size() / 2);
                 }),
          {}, "half-precision weight");
  corrupt(edited("encoder.layer.0.attention.self.key.weight", [](Entry& e) { e.dtype = "I32"; }),
          {}, "integer weight");
  corrupt(edited("encoder.layer.0.intermediate.dense.weight",
                 [](Entry& e) {
                   e.shape = {32, 64};
                 }),
          {}, "transposed weight");
  corrupt(entries, {{"num_hidden_layers", "2"}}, "metadata with part of the architecture");
  corrupt(entries,
          {{"num_hidden_layers", "2x"},
           {"num_attention_heads", "4"},
           {"hidden_size", "32"},
           {"intermediate_size", "64"},
           {"max_position_embeddings", "64"},
           {"vocab_size", "189"},
           {"layer_norm_eps", "1e-12"}},
          "metadata number with junk");
}

TEST(BertEncoderLoadTest, DamagedFilesFailCleanly) {
  TempDir dir;
  fs::copy_file(kModelDir / "config.json", dir.path() / "config.json");
  const std::string original = readText(kModel);
  uint64_t headerLength = 0;
  std::memcpy(&headerLength, original.data(), sizeof headerLength);
  const fs::path path = dir.path() / "Embedder.safetensors";

  int loaded = 0, refused = 0;
  auto attempt = [&](const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    try {
      BertEncoder encoder = BertEncoder::load(path);
      std::vector<int32_t> ids{2, 40, 3}, mask{1, 1, 1};
      EXPECT_EQ(encoder.run(ids, mask).size(), 32u);
      ++loaded;
    } catch (const Error& e) {
      EXPECT_EQ(e.code(), Error::kFileReadCorruptCode) << e.what();
      ++refused;
    }
  };
  // Truncated anywhere: in the length, the header or the data.
  for (size_t size :
       {size_t{0}, size_t{7}, size_t{8}, size_t{100}, size_t(8 + headerLength - 1),
        size_t(8 + headerLength), size_t(8 + headerLength + 1), original.size() - 1}) {
    attempt(original.substr(0, size));
  }
  EXPECT_EQ(loaded, 0);
  // Bytes of the length and the header overwritten: each mutant loads (a changed digit in a
  // weight's bytes would) or is refused, and never crashes.
  const char replacements[] = {'9', '"', '}', '\xff'};
  for (size_t at = 0; at < 8 + headerLength; at += 67) {
    for (char replacement : replacements) {
      std::string mutant = original;
      if (mutant[at] == replacement) continue;
      mutant[at] = replacement;
      attempt(mutant);
    }
  }
  EXPECT_GT(refused, 150);
}

}  // namespace
}  // namespace qb
