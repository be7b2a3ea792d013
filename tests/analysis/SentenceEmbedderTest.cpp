#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/SafeTensors.h"
#include "analysis/SentenceEmbedder.h"
#include "base/Error.h"
#include "base/File.h"
#include "base/Json.h"

namespace qb {
namespace {

namespace fs = std::filesystem;

// The encoder's tiny BERT (tools/make_tiny_bert.py): 2 layers, hidden 32, 64 positions, a
// vocabulary of 189 tokens, with reference vectors computed independently
// (tools/reference_vectors.py).
const fs::path kTinyBert = fs::path(QB_TEST_DATA) / "tiny-bert";
constexpr int64_t kTinyPositions = 64;
constexpr size_t kTinyDimension = 32;
// Our float32 against the float64 reference.
constexpr float kTolerance = 1e-5f;

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// An embedder folder in a temporary folder of its own: the tiny BERT's vocabulary, weights and
// config.json, and the manifest that a test writes.
class ModelFolder {
public:
  ModelFolder() {
    static std::atomic<int> counter{0};
    std::random_device random;
    path_ = fs::temp_directory_path() /
            ("qb-embedder-" + std::to_string(random()) + "-" + std::to_string(counter++));
    fs::create_directories(path_);
    for (const char* name : {"vocab.txt", "Embedder.safetensors", "config.json"}) {
      fs::copy_file(kTinyBert / name, path_ / name);
    }
  }
  ~ModelFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ModelFolder(const ModelFolder&) = delete;
  ModelFolder& operator=(const ModelFolder&) = delete;

  const fs::path& path() const { return path_; }
  void manifest(const std::string& text) const { writeText(path_ / "manifest.json", text); }
  void length(int64_t l) const {
    manifest(R"({"L": )" + std::to_string(l) + R"(, "revision": "0123456789abcdef"})");
  }

  // Rewrites the weights and config.json with `positions` positions: the position table's rows
  // repeated to that many (the tiny model has 64), everything else as it was.
  void widen(int64_t positions) const {
    const SafeTensors in = SafeTensors::open(kTinyBert / "Embedder.safetensors");
    Json header = Json::object();
    header["__metadata__"] = {{"format", "pt"}};
    std::string data;
    for (const auto& [name, tensor] : in.tensors()) {
      if (name.ends_with("position_ids")) continue;  // a buffer the encoder does not read
      const auto bytes = in.bytes(tensor);
      std::string blob(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      std::vector<int64_t> shape = tensor.shape;
      if (name.ends_with("position_embeddings.weight")) {
        const size_t row = blob.size() / static_cast<size_t>(shape[0]);
        const std::string rows = blob;
        while (blob.size() < row * static_cast<size_t>(positions)) {
          blob += rows.substr(blob.size() % rows.size(), row);
        }
        shape[0] = positions;
      }
      header[name] = {{"dtype", tensor.dtype},
                      {"shape", shape},
                      {"data_offsets", {data.size(), data.size() + blob.size()}}};
      data += blob;
    }
    std::string text = header.dump();
    text.append((8 - text.size() % 8) % 8, ' ');
    std::string file(8, '\0');
    const uint64_t length = text.size();
    for (int i = 0; i < 8; ++i) file[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    writeText(path_ / "Embedder.safetensors", file + text + data);

    Json config = json::parse(readText(kTinyBert / "config.json"));
    config["max_position_embeddings"] = positions;
    writeText(path_ / "config.json", config.dump());
  }

private:
  fs::path path_;
};

// What the observer saw: one entry per model run.
struct Runs {
  std::mutex mutex;
  std::vector<std::vector<int32_t>> ids;
  std::vector<std::vector<int32_t>> masks;

  SentenceEmbedder::RunObserver observer() {
    return [this](std::span<const int32_t> inputIds, std::span<const int32_t> mask) {
      std::lock_guard lock(mutex);
      ids.emplace_back(inputIds.begin(), inputIds.end());
      masks.emplace_back(mask.begin(), mask.end());
    };
  }
  size_t count() {
    std::lock_guard lock(mutex);
    return ids.size();
  }
};

// Runs f and gives the qb::Error it throws; fails the test when it throws none.
template <typename F>
Error errorOf(F&& f) {
  try {
    f();
  } catch (const Error& error) {
    return error;
  }
  ADD_FAILURE() << "no error thrown";
  return Error("none", 0, "none");
}

void expectCorrupt(const ModelFolder& folder, const std::string& manifest) {
  folder.manifest(manifest);
  const Error error = errorOf([&] { SentenceEmbedder embedder(folder.path()); });
  EXPECT_EQ(error.domain(), Error::kFileDomain) << manifest;
  EXPECT_EQ(error.code(), Error::kFileReadCorruptCode) << manifest << ": " << error.what();
}

// --- Manifest ---

TEST(SentenceEmbedderTest, RevisionTakesTheFirstSevenCharacters) {
  ModelFolder folder;
  const std::pair<std::string, std::string> cases[] = {
      {R"({"L": 16, "revision": "0123456789abcdef"})", "0123456"},
      {R"({"L": 16, "revision": "abc"})", "abc"},
      {R"({"L": 16, "revision": ""})", ""},
      {R"({"L": 16})", "unknown"},
      {R"({"L": 16, "revision": 1234567890})", "unknown"},
      {R"({"L": 16, "revision": null})", "unknown"},
      // Characters, not bytes or scalars: e with a combining acute is one, as is a flag.
      {"{\"L\": 16, \"revision\": \"e\u0301\U0001F1EB\U0001F1F7abcdefgh\"}",
       "e\u0301\U0001F1EB\U0001F1F7abcde"},
      {R"({"L": 16, "revision": "abcdefgh", "other": [1, 2]})", "abcdefg"},
  };
  for (const auto& [manifest, revision] : cases) {
    folder.manifest(manifest);
    EXPECT_EQ(SentenceEmbedder(folder.path()).revision(), "all-MiniLM-L6-v2@" + revision);
  }
}

TEST(SentenceEmbedderTest, TheLengthIsAWholeNumberWithinTheModelsPositions) {
  ModelFolder folder;
  for (const char* l : {"64", "64.0", "6.4e1", "2", "2.0"}) {
    folder.manifest(std::string(R"({"L": )") + l + "}");
    const SentenceEmbedder embedder(folder.path());
    EXPECT_EQ(embedder.length(), static_cast<int64_t>(std::stod(l))) << l;
    EXPECT_EQ(embedder.dimension(), kTinyDimension);
  }
  for (const char* manifest :
       {"{}", "[]", "[128]", "128", "\"L\"", "null", R"({"revision": "abc"})", R"({"l": 16})",
        R"({"L": 16.5})", R"({"L": "16"})", R"({"L": [16]})", R"({"L": {}})", R"({"L": true})",
        R"({"L": null})"}) {
    expectCorrupt(folder, manifest);
  }
  // Out of bounds, or within them but past the model's 64 positions.
  for (const char* l : {"1", "0", "-1", "-128", "1.0", "-0.0", "8193", "1e9", "1e300",
                        "9223372036854775807", "9223372036854775808", "18446744073709551615",
                        "-9223372036854775808", "100000000000000000000", "65", "128", "8192"}) {
    expectCorrupt(folder, std::string(R"({"L": )") + l + "}");
  }
}

TEST(SentenceEmbedderTest, AWiderModelTakesLengthsUpToItsOwnPositions) {
  ModelFolder folder;
  folder.widen(128);
  folder.manifest(R"({"L": 128.0, "revision": "abc"})");
  SentenceEmbedder embedder(folder.path());
  EXPECT_EQ(embedder.length(), 128);
  const Vector vector = embedder.embed("weekly budget report");
  // The widened table repeats the first 64 rows, so a short text embeds as in the original.
  ModelFolder original;
  original.length(64);
  const Vector expected = SentenceEmbedder(original.path()).embed("weekly budget report");
  ASSERT_EQ(vector.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(vector[i], expected[i], 1e-6f);
  expectCorrupt(folder, R"({"L": 129})");
}

TEST(SentenceEmbedderTest, FileErrorsPassThrough) {
  struct Case {
    const char* what;
    std::function<void(const ModelFolder&)> damage;
    std::string domain;
    int code;  // -1: any
    std::string mentions = "";
  };
  const std::string vocabulary = readText(kTinyBert / "vocab.txt");
  const Case cases[] = {
      {"no manifest", [](const ModelFolder& f) { fs::remove(f.path() / "manifest.json"); },
       Error::kFileDomain, file::kNoSuchFileCode},
      {"manifest not JSON", [](const ModelFolder& f) { f.manifest(R"({"L": 16)"); },
       Error::kDecodingDomain, -1},
      {"no vocabulary", [](const ModelFolder& f) { fs::remove(f.path() / "vocab.txt"); },
       Error::kFileDomain, file::kNoSuchFileCode},
      {"vocabulary without [CLS]",
       [](const ModelFolder& f) { writeText(f.path() / "vocab.txt", "[PAD]\n[UNK]\n[SEP]\n"); },
       Error::kFileDomain, Error::kFileReadCorruptCode, "vocab.txt"},
      {"no weights", [](const ModelFolder& f) { fs::remove(f.path() / "Embedder.safetensors"); },
       Error::kFileDomain, file::kNoSuchFileCode},
      {"more tokens than embeddings",
       [&](const ModelFolder& f) { writeText(f.path() / "vocab.txt", vocabulary + "\nextra\n"); },
       Error::kFileDomain, Error::kFileReadCorruptCode},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ModelFolder folder;
    folder.length(16);
    c.damage(folder);
    const Error error = errorOf([&] { SentenceEmbedder embedder(folder.path()); });
    EXPECT_EQ(error.domain(), c.domain);
    if (c.code >= 0) {
      EXPECT_EQ(error.code(), c.code) << error.what();
    }
    EXPECT_NE(std::string(error.what()).find(c.mentions), std::string::npos) << error.what();
  }
}

// --- Embedding ---

TEST(SentenceEmbedderTest, MatchesTheIndependentReference) {
  const Json reference = json::parse(readText(kTinyBert / "reference.json"));
  int checked = 0;
  for (const Json& c : reference.at("cases")) {
    if (!c.at("text").is_string()) continue;
    const auto text = c.at("text").get<std::string>();
    const auto ids = c.at("input_ids").get<std::vector<int32_t>>();
    const auto mask = c.at("attention_mask").get<std::vector<int32_t>>();
    const auto expected = c.at("embedding").get<std::vector<float>>();
    // Only the cases laid out as the embedder lays out its inputs: ids, then 0s under a mask of
    // 1s then 0s.
    const auto real = static_cast<size_t>(std::count(mask.begin(), mask.end(), 1));
    bool asLaidOut = true;
    for (size_t i = 0; i < mask.size(); ++i) {
      asLaidOut = asLaidOut && mask[i] == (i < real ? 1 : 0) && (i < real || ids[i] == 0);
    }
    if (!asLaidOut) continue;

    ModelFolder folder;
    folder.length(static_cast<int64_t>(ids.size()));
    Runs runs;
    SentenceEmbedder embedder(folder.path(), BertEncoder::Kernels::best, runs.observer());
    const Vector vector = embedder.embed(text);
    ASSERT_EQ(runs.count(), 1u);
    EXPECT_EQ(runs.ids[0], ids) << c.at("name");
    EXPECT_EQ(runs.masks[0], mask) << c.at("name");
    ASSERT_EQ(vector.size(), expected.size());
    for (size_t i = 0; i < vector.size(); ++i) {
      EXPECT_NEAR(vector[i], expected[i], kTolerance) << c.at("name") << " [" << i << "]";
    }
    ++checked;
  }
  EXPECT_GE(checked, 5);
}

TEST(SentenceEmbedderTest, ShortTextHasOnesThenZerosAndFullTextAllOnes) {
  ModelFolder folder;
  folder.length(16);
  Runs runs;
  SentenceEmbedder embedder(folder.path(), BertEncoder::Kernels::best, runs.observer());
  embedder.embed("budget report");
  ASSERT_EQ(runs.count(), 1u);
  ASSERT_EQ(runs.ids[0].size(), 16u);
  const auto real = static_cast<size_t>(std::count(runs.masks[0].begin(), runs.masks[0].end(), 1));
  ASSERT_GE(real, 3u);  // [CLS], at least one piece, [SEP]
  ASSERT_LT(real, 16u);
  for (size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(runs.masks[0][i], i < real ? 1 : 0) << i;
    EXPECT_TRUE(i < real || runs.ids[0][i] == 0) << i;
  }
  EXPECT_EQ(runs.ids[0][0], 2);         // [CLS] of the tiny vocabulary
  EXPECT_EQ(runs.ids[0][real - 1], 3);  // [SEP]

  std::string many;
  for (int i = 0; i < 40; ++i) many += "budget report ";
  embedder.embed(many);
  ASSERT_EQ(runs.count(), 2u);
  EXPECT_EQ(runs.masks[1], std::vector<int32_t>(16, 1));
  EXPECT_EQ(runs.ids[1].front(), 2);
  EXPECT_EQ(runs.ids[1].back(), 3);
  EXPECT_EQ(std::count(runs.ids[1].begin(), runs.ids[1].end(), 0), 0);

  // An empty text still gives a unit vector.
  const Vector empty = embedder.embed("");
  ASSERT_EQ(empty.size(), kTinyDimension);
  EXPECT_NEAR(dot(empty, empty), 1.0f, 1e-5f);

  // The shortest length leaves room for [CLS] and [SEP] only.
  ModelFolder shortest;
  shortest.length(2);
  Runs shortRuns;
  SentenceEmbedder(shortest.path(), BertEncoder::Kernels::best, shortRuns.observer())
      .embed("budget report");
  EXPECT_EQ(shortRuns.ids[0], (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(shortRuns.masks[0], (std::vector<int32_t>{1, 1}));
}

// --- Memo ---

TEST(SentenceEmbedderTest, TheSameOrACanonicallyEquivalentTextRunsTheModelOnce) {
  ModelFolder folder;
  folder.length(16);
  Runs runs;
  SentenceEmbedder embedder(folder.path(), BertEncoder::Kernels::best, runs.observer());
  const Vector first = embedder.embed("caf\u00E9 report");
  EXPECT_EQ(embedder.embed("caf\u00E9 report"), first);
  EXPECT_EQ(embedder.embed("cafe\u0301 report"), first);
  EXPECT_EQ(runs.count(), 1u);
  // A trailing space, or only the same after accent stripping: keys of their own.
  embedder.embed("caf\u00E9 report ");
  embedder.embed("cafe report");
  EXPECT_EQ(runs.count(), 3u);
}

TEST(SentenceEmbedderTest, MemoIsClearedWholeAtAThousandEntries) {
  ModelFolder folder;
  folder.length(8);
  Runs runs;
  SentenceEmbedder embedder(folder.path(), BertEncoder::Kernels::best, runs.observer());
  auto runsAfter = [&](int i) {
    embedder.embed("report " + std::to_string(i));
    return runs.count();
  };
  for (int i = 1; i <= 1000; ++i) runsAfter(i);
  ASSERT_EQ(runs.count(), 1000u);
  // All 1000 are held.
  EXPECT_EQ(runsAfter(1), 1000u);
  EXPECT_EQ(runsAfter(1000), 1000u);
  // The next new text empties the memo first, then is its only entry.
  EXPECT_EQ(runsAfter(1001), 1001u);
  EXPECT_EQ(runsAfter(1001), 1001u);
  EXPECT_EQ(runsAfter(500), 1002u);
  EXPECT_EQ(runsAfter(1), 1003u);
}

TEST(SentenceEmbedderTest, AFailedRunLeavesTheMemoUnchanged) {
  ModelFolder folder;
  folder.length(16);
  int calls = 0;
  SentenceEmbedder embedder(folder.path(), BertEncoder::Kernels::best,
                            [&](std::span<const int32_t>, std::span<const int32_t>) {
                              if (++calls == 1) throw Error("test", 1, "run failed");
                            });
  EXPECT_THROW(embedder.embed("budget report"), Error);
  const Vector v = embedder.embed("budget report");  // runs again: nothing was stored
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(v.size(), kTinyDimension);
  embedder.embed("budget report");
  EXPECT_EQ(calls, 2);
}

// --- Similarities ---

TEST(SentenceEmbedderTest, SimilaritiesAreDotProductsInOrder) {
  ModelFolder folder;
  folder.length(16);
  Runs runs;
  SentenceEmbedder embedder(folder.path(), BertEncoder::Kernels::best, runs.observer());
  // An empty list still embeds (and memoises) the text.
  EXPECT_TRUE(embedder.similarities("budget report", {}).empty());
  EXPECT_EQ(runs.count(), 1u);
  const std::vector<std::string> others = {"weather map", "budget report", "linux server news",
                                           "budget report"};
  const std::vector<float> similarities = embedder.similarities("budget report", others);
  EXPECT_EQ(runs.count(), 3u);  // the text and two new others; the rest are memoised
  ASSERT_EQ(similarities.size(), others.size());
  const Vector v = embedder.embed("budget report");
  for (size_t i = 0; i < others.size(); ++i) {
    EXPECT_EQ(similarities[i], dot(v, embedder.embed(others[i]))) << others[i];
  }
  EXPECT_NEAR(similarities[1], 1.0f, 1e-5f);
  EXPECT_EQ(similarities[1], similarities[3]);
}

// --- Threads ---

TEST(SentenceEmbedderTest, ConcurrentCallersShareOneRun) {
  ModelFolder folder;
  folder.length(16);
  Runs runs;
  SentenceEmbedder embedder(folder.path(), BertEncoder::Kernels::best, runs.observer());
  std::vector<std::future<Vector>> results;
  for (int i = 0; i < 8; ++i) {
    results.push_back(
        std::async(std::launch::async, [&] { return embedder.embed("budget report"); }));
  }
  std::vector<Vector> vectors;
  for (auto& result : results) vectors.push_back(result.get());
  EXPECT_EQ(runs.count(), 1u);
  for (const Vector& v : vectors) EXPECT_EQ(v, vectors.front());
}

TEST(SentenceEmbedderTest, RevisionIsReadableWhileARunIsUnderWay) {
  ModelFolder folder;
  folder.length(16);
  std::promise<void> entered;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  SentenceEmbedder embedder(folder.path(), BertEncoder::Kernels::best,
                            [&](std::span<const int32_t>, std::span<const int32_t>) {
                              entered.set_value();
                              released.wait();
                            });
  auto running = std::async(std::launch::async, [&] { return embedder.embed("budget report"); });
  entered.get_future().wait();
  EXPECT_EQ(embedder.revision(), "all-MiniLM-L6-v2@0123456");  // does not wait for the run
  release.set_value();
  EXPECT_EQ(running.get().size(), kTinyDimension);
}

TEST(SentenceEmbedderTest, CallsFromItsOwnExecutorRunDirectly) {
  ModelFolder folder;
  folder.length(16);
  SentenceEmbedder* self = nullptr;
  Vector nested;
  bool once = false;
  SentenceEmbedder embedder(folder.path(), BertEncoder::Kernels::best,
                            [&](std::span<const int32_t>, std::span<const int32_t>) {
                              if (once) return;
                              once = true;
                              // Waiting on the executor from its own thread would deadlock.
                              nested = self->embed("weather map");
                            });
  self = &embedder;
  embedder.embed("budget report");
  ASSERT_EQ(nested.size(), kTinyDimension);
  EXPECT_EQ(nested, embedder.embed("weather map"));
}

}  // namespace
}  // namespace qb
