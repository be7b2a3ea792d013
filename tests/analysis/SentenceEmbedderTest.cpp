#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "analysis/SentenceEmbedder.h"
#include "base/File.h"
#include "base/Json.h"
#include "base/Log.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using test::ThrowsError;
using Kernels = BertEncoder::Kernels;
using Inputs = std::pair<std::vector<int32_t>, std::vector<int32_t>>;  // ids, mask

// The tiny BERT of tools/make_tiny_bert.py (2 layers, hidden 32, 64 positions, 189 tokens) and
// its float64 reference vectors, computed independently by tools/reference_vectors.py.
const fs::path kTinyBert = fs::path(QB_TEST_DATA) / "tiny-bert";
constexpr float kTolerance = 1e-5f;
// Between a batch's vector and a run of the sequence alone: only the order of sums may differ.
constexpr float kBatchTolerance = 1e-6f;

auto ThrowsCorrupt(const std::string& reason) {
  return ThrowsError(Error::kFileDomain, Error::kFileReadCorruptCode, reason);
}

void expectNear(const Vector& actual, const std::vector<float>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], kTolerance) << i;
}

// A folder of the tiny BERT's files and a manifest of length 16; record() keeps each run's inputs.
class SentenceEmbedderTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* name : {"vocab.txt", "Embedder.safetensors", "config.json"}) {
      fs::copy_file(kTinyBert / name, folder_ / name);
    }
    manifest(R"({"L": 16})");
  }
  void manifest(const std::string& text) { test::writeFile(folder_ / "manifest.json", text); }
  SentenceEmbedder::RunObserver record() {
    return [this](std::span<const int32_t> ids, std::span<const int32_t> mask) {
      runs_.emplace_back(std::vector(ids.begin(), ids.end()),
                         std::vector(mask.begin(), mask.end()));
    };
  }

  test::TempDir folder_;
  std::vector<Inputs> runs_;
};

class ReferenceTest : public SentenceEmbedderTest, public ::testing::WithParamInterface<Kernels> {
protected:
  void SetUp() override {
    if (GetParam() == Kernels::avx2 && !EncoderKernels::available(EncoderKernels::Isa::avx2)) {
      GTEST_SKIP() << "this processor lacks AVX2";
    }
    if (GetParam() == Kernels::avx512 && !EncoderKernels::available(EncoderKernels::Isa::avx512)) {
      GTEST_SKIP() << "this processor lacks AVX-512";
    }
    SentenceEmbedderTest::SetUp();
  }
};

TEST_P(ReferenceTest, EncoderAndEmbedderGiveTheReferenceVectors) {
  BertEncoder encoder = BertEncoder::load(kTinyBert / "Embedder.safetensors", GetParam());
  ASSERT_EQ(encoder.kernels(), GetParam());
  EXPECT_EQ(encoder.config(), (BertEncoder::Config{2, 4, 32, 64, 64, 189, 1e-12}));
  std::map<std::vector<int32_t>, Vector> byRealTokens;
  const Json reference = json::parse(test::readFile(kTinyBert / "reference.json"));
  size_t embedded = 0;
  // In file order, so that short runs follow the longest: its scratch must not leak into them.
  for (const Json& c : reference.at("cases")) {
    SCOPED_TRACE(c.at("name").get<std::string>());
    const Inputs inputs{c.at("input_ids").get<std::vector<int32_t>>(),
                        c.at("attention_mask").get<std::vector<int32_t>>()};
    const auto& [ids, mask] = inputs;
    const auto expected = c.at("embedding").get<std::vector<float>>();
    const Vector vector = encoder.run(ids, mask);
    expectNear(vector, expected);
    // The same real tokens at the same positions give the same bits, whatever the padding is.
    std::vector<int32_t> real;
    for (size_t i = 0; i < ids.size(); ++i) real.push_back(mask[i] == 1 ? ids[i] : -1);
    while (!real.empty() && real.back() < 0) real.pop_back();
    EXPECT_EQ(vector, byRealTokens.emplace(real, vector).first->second);

    // Cases with a text, laid out as the embedder does (ids then 0s, under 1s then 0s): embedded.
    if (!c.at("text").is_string() || std::count(real.begin(), real.end(), -1) > 0 ||
        std::any_of(ids.begin() + real.size(), ids.end(), [](int32_t id) { return id != 0; })) {
      continue;
    }
    manifest(R"({"L": )" + std::to_string(ids.size()) + "}");
    SentenceEmbedder embedder(folder_.path(), GetParam(), record());
    expectNear(embedder.embed(c.at("text").get<std::string>()), expected);
    ASSERT_EQ(runs_.size(), ++embedded);
    EXPECT_EQ(runs_.back(), inputs);
  }
  EXPECT_GE(embedded, 6u);
}

TEST_P(ReferenceTest, ABatchGivesEachSequenceItsOwnVector) {
  BertEncoder encoder = BertEncoder::load(kTinyBert / "Embedder.safetensors", GetParam());
  const Json reference = json::parse(test::readFile(kTinyBert / "reference.json"));
  std::vector<Inputs> inputs;
  for (const Json& c : reference.at("cases")) {
    inputs.emplace_back(c.at("input_ids").get<std::vector<int32_t>>(),
                        c.at("attention_mask").get<std::vector<int32_t>>());
  }
  // One real token: alone, the portable kernels take a matrix-vector path that sums differently.
  inputs.emplace_back(std::vector<int32_t>{2, 40, 41, 3}, std::vector<int32_t>{0, 1, 0, 0});
  // Every case twice, the second time in reverse, so that each sits at two offsets among rows of
  // other lengths, holes in masks among them.
  std::vector<BertEncoder::Sequence> batch;
  std::vector<Vector> alone;
  for (size_t i = 0; i < 2 * inputs.size(); ++i) {
    const auto& [ids, mask] = inputs[i < inputs.size() ? i : 2 * inputs.size() - 1 - i];
    batch.push_back({ids, mask});
    alone.push_back(encoder.run(ids, mask));
  }
  const std::vector<Vector> together = encoder.runBatch(batch);
  ASSERT_EQ(together.size(), batch.size());
  for (size_t i = 0; i < batch.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(together[i].size(), alone[i].size());
    for (size_t j = 0; j < alone[i].size(); ++j)
      EXPECT_NEAR(together[i][j], alone[i][j], kBatchTolerance);
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, ReferenceTest,
                         ::testing::Values(Kernels::portable, Kernels::avx2, Kernels::avx512),
                         [](const auto& test) {
                           const Kernels k = test.param;
                           return k == Kernels::avx512 ? "avx512"
                                  : k == Kernels::avx2 ? "avx2"
                                                       : "portable";
                         });

TEST_F(SentenceEmbedderTest, RevisionTakesTheFirstSevenCharactersAndSaysWhenItIsUnknown) {
  std::vector<std::string> logged;
  log::setSink([&](log::Level, std::string_view message) { logged.emplace_back(message); });
  // The manifest's "revision" (none for null), and the revision after the model's name; in
  // characters, not bytes or scalars: e with a combining acute is one, as is a flag.
  const std::pair<const char*, std::string> cases[] = {
      {R"("0123456789abcdef")", "0123456"},
      {R"("abc")", "abc"},
      {R"("")", ""},
      {nullptr, "unknown"},
      {"1234567890", "unknown"},
      {"null", "unknown"},
      {"\"e\u0301\U0001F1EB\U0001F1F7abcdefgh\"", "e\u0301\U0001F1EB\U0001F1F7abcde"}};
  for (const auto& [value, revision] : cases) {
    logged.clear();
    manifest(std::string(R"({"L": 16, "other": [1, 2])") +
             (value ? std::string(R"(, "revision": )") + value : "") + "}");
    EXPECT_EQ(SentenceEmbedder(folder_.path()).revision(), "all-MiniLM-L6-v2@" + revision);
    // Only a revision that is there but not a string is mended, and the log says so.
    EXPECT_EQ(logged.size(), value && revision == "unknown" ? 1u : 0u) << value;
    EXPECT_THAT(logged, ::testing::Each(::testing::HasSubstr("\"revision\" is not a string")));
  }
  log::setSink({});
}

TEST_F(SentenceEmbedderTest, TheLengthIsAWholeNumberWithinTheModelsPositions) {
  for (const auto& [l, length] : {std::pair{"64", 64}, {"64.0", 64}, {"6.4e1", 64}, {"2", 2}}) {
    manifest(std::string(R"({"L": )") + l + "}");
    const SentenceEmbedder embedder(folder_.path());
    EXPECT_EQ(std::pair(embedder.length(), embedder.dimension()), std::pair(int64_t{length}, 32ul));
  }
  auto refused = [&](const std::string& text, const char* reason) {
    manifest(text);
    EXPECT_THAT([&] { SentenceEmbedder{folder_.path()}; }, ThrowsCorrupt(reason)) << text;
  };
  for (const char* text : {"{}", "[]", "[128]", "128", "null", R"({"l": 16})"}) {
    refused(text, "the manifest ");
  }
  const std::pair<const char*, std::vector<std::string>> lengths[] = {
      {"\"L\" is not an integer", {"16.5", R"("16")", "[16]", "{}", "true", "null"}},
      {"outside [2, 8192]",
       {"1", "0", "-1", "1.0", "-0.0", "1e9", "1e300", "-9223372036854775808",
        "100000000000000000000"}},
      {"more than 8192", {"8193", "9223372036854775807", "18446744073709551615"}},
      {"more than the model's 64 positions", {"65", "8192"}},
  };
  for (const auto& [reason, ls] : lengths) {
    for (const std::string& l : ls) refused(R"({"L": )" + l + "}", reason);
  }
}

TEST_F(SentenceEmbedderTest, FileErrorsPassThrough) {
  const std::string vocabulary = test::readFile(kTinyBert / "vocab.txt");
  const struct {
    const char* file;
    std::optional<std::string> content;  // removed when absent
    ::testing::Matcher<std::function<void()>> throws;
  } cases[] = {
      {"vocab.txt", vocabulary + "\nextra\n", ThrowsCorrupt("is outside the model's vocabulary")},
      {"Embedder.safetensors", {}, ThrowsError(Error::kFileDomain, file::kNoSuchFileCode, "Embe")},
      {"vocab.txt", {}, ThrowsError(Error::kFileDomain, file::kNoSuchFileCode, "vocab.txt")},
      {"manifest.json", R"({"L": 16)", test::ThrowsDecoding()},
      {"manifest.json", {}, ThrowsError(Error::kFileDomain, file::kNoSuchFileCode, "manifest")},
  };
  // Each case damages a file that is loaded before those damaged above it: its error comes first.
  for (const auto& c : cases) {
    c.content ? test::writeFile(folder_ / c.file, *c.content) : void(fs::remove(folder_ / c.file));
    EXPECT_THAT([&] { SentenceEmbedder{folder_.path()}; }, c.throws) << c.file;
  }
}

TEST_F(SentenceEmbedderTest, TheSameOrACanonicallyEquivalentTextRunsTheModelOnce) {
  SentenceEmbedder embedder(folder_.path(), Kernels::best, record());
  const Vector first = embedder.embed("caf\u00E9 report");
  EXPECT_EQ(embedder.embed("caf\u00E9 report"), first);
  EXPECT_EQ(embedder.embed("cafe\u0301 report"), first);
  EXPECT_EQ(runs_.size(), 1u);
  // A trailing space, or only the same after accent stripping: keys of their own.
  embedder.embed("caf\u00E9 report ");
  embedder.embed("cafe report");
  EXPECT_EQ(runs_.size(), 3u);
}

TEST_F(SentenceEmbedderTest, MemoIsClearedWholeAtAThousandEntries) {
  SentenceEmbedder embedder(folder_.path(), Kernels::best, record());
  // All 1000 are held; the next new text empties the memo first, then is its only entry.
  for (int text = 1; text <= 1000; ++text) embedder.embed(std::to_string(text));
  const std::pair<int, size_t> steps[] = {{1, 1000},    {1000, 1000}, {1001, 1001},
                                          {1001, 1001}, {500, 1002},  {1, 1003}};
  for (const auto& [text, total] : steps) {
    embedder.embed(std::to_string(text));
    EXPECT_EQ(runs_.size(), total) << text;
  }
}

TEST_F(SentenceEmbedderTest, EmbedAllRunsEachKeyTheMemoLacksOnceWithItsOwnInputs) {
  const std::vector<std::string> texts = {"weather map", "budget report",   "caf\u00E9 menu",
                                          "weather map", "cafe\u0301 menu", "tax forms"};
  SentenceEmbedder batched(folder_.path(), Kernels::best, record());
  batched.embed("budget report");
  const std::vector<Vector> vectors = batched.embedAll(texts);
  const std::vector<Inputs> batchRuns(runs_.begin() + 1, runs_.end());

  // The same texts one at a time, on an embedder that has seen the same before.
  runs_.clear();
  SentenceEmbedder alone(folder_.path(), Kernels::best, record());
  alone.embed("budget report");
  runs_.clear();
  ASSERT_EQ(vectors.size(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(texts[i]);
    const Vector expected = alone.embed(texts[i]);
    ASSERT_EQ(vectors[i].size(), expected.size());
    for (size_t j = 0; j < expected.size(); ++j) {
      EXPECT_NEAR(vectors[i][j], expected[j], kBatchTolerance);
    }
  }
  EXPECT_EQ(batchRuns, runs_);
  EXPECT_EQ(batchRuns.size(), 3u);
  EXPECT_EQ(vectors[3], vectors[0]);
  EXPECT_EQ(vectors[4], vectors[2]);
  EXPECT_TRUE(batched.embedAll({}).empty());
}

TEST_F(SentenceEmbedderTest, AFailedBatchLeavesTheMemoAsItWas) {
  bool failing = true;
  SentenceEmbedder embedder(folder_.path(), Kernels::best,
                            [&](std::span<const int32_t> ids, std::span<const int32_t> mask) {
                              record()(ids, mask);
                              if (failing && runs_.size() == 3) throw std::runtime_error("broken");
                            });
  embedder.embed("budget report");
  const std::vector<std::string> texts = {"weather map", "budget report", "tax forms"};
  EXPECT_THROW(embedder.embedAll(texts), std::runtime_error);
  failing = false;
  runs_.clear();
  embedder.embedAll(texts);
  EXPECT_EQ(runs_.size(), 2u);  // both new texts again, the one held before not
}

TEST_F(SentenceEmbedderTest, EmbedAllStoresTheNewVectorsOneByOneUnderTheMemoRule) {
  SentenceEmbedder embedder(folder_.path(), Kernels::best, record());
  for (int text = 1; text <= 999; ++text) embedder.embed(std::to_string(text));
  // The hit is taken before anything is stored; "a" fills the memo, so "b" empties it first.
  embedder.embedAll({"a", "5", "b"});
  EXPECT_EQ(runs_.size(), 1001u);
  const std::pair<const char*, size_t> steps[] = {{"b", 1001}, {"a", 1002}, {"5", 1003}};
  for (const auto& [text, total] : steps) {
    embedder.embed(text);
    EXPECT_EQ(runs_.size(), total) << text;
  }
}

TEST_F(SentenceEmbedderTest, SimilaritiesAreDotProductsInOrder) {
  SentenceEmbedder embedder(folder_.path(), Kernels::best, record());
  EXPECT_TRUE(embedder.similarities("budget report", {}).empty());
  EXPECT_EQ(runs_.size(), 1u);  // an empty list still embeds the text
  const Vector v = embedder.embed("budget report"), w = embedder.embed("weather map");
  EXPECT_EQ(embedder.similarities("budget report", {"weather map", "budget report"}),
            (std::vector{dot(v, w), dot(v, v)}));
}

}  // namespace
}  // namespace qb
