#include "analysis/SentenceEmbedder.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "base/Error.h"
#include "base/File.h"
#include "base/Json.h"
#include "base/Log.h"
#include "base/Text.h"

namespace qb {

namespace {

namespace fs = std::filesystem;

// A manifest is a few dozen bytes; one this large is not one.
constexpr uint64_t kMaxManifestBytes = 1 << 20;

Error corrupt(const fs::path& path, const std::string& what) {
  return Error::fileReadCorrupt(path.string() + ": " + what);
}

// "L" as an integer: a JSON integer, or a number with a whole value (128.0); nothing else.
int64_t sequenceLength(const Json& value, const fs::path& path) {
  int64_t length = 0;
  if (value.is_number_unsigned()) {
    const auto v = value.get<uint64_t>();
    if (v > static_cast<uint64_t>(SentenceEmbedder::kMaxLength)) {
      throw corrupt(path, "\"L\" is " + std::to_string(v) + ", more than " +
                              std::to_string(SentenceEmbedder::kMaxLength));
    }
    length = static_cast<int64_t>(v);
  } else if (value.is_number_integer()) {
    length = value.get<int64_t>();
  } else if (value.is_number_float()) {
    const double v = value.get<double>();
    if (!std::isfinite(v) || std::floor(v) != v) throw corrupt(path, "\"L\" is not an integer");
    // Compared as doubles first, so that no conversion of a huge value overflows.
    if (v < static_cast<double>(SentenceEmbedder::kMinLength) ||
        v > static_cast<double>(SentenceEmbedder::kMaxLength)) {
      throw corrupt(path, "\"L\" is " + value.dump() + ", outside [" +
                              std::to_string(SentenceEmbedder::kMinLength) + ", " +
                              std::to_string(SentenceEmbedder::kMaxLength) + "]");
    }
    length = static_cast<int64_t>(v);
  } else {
    throw corrupt(path, "\"L\" is not an integer");
  }
  if (length < SentenceEmbedder::kMinLength || length > SentenceEmbedder::kMaxLength) {
    throw corrupt(path, "\"L\" is " + std::to_string(length) + ", outside [" +
                            std::to_string(SentenceEmbedder::kMinLength) + ", " +
                            std::to_string(SentenceEmbedder::kMaxLength) + "]");
  }
  return length;
}

}  // namespace

SentenceEmbedder::Manifest SentenceEmbedder::readManifest(const fs::path& file) {
  const Json manifest = json::parse(qb::file::read(file, kMaxManifestBytes));
  if (!manifest.is_object() || manifest.empty()) {
    throw corrupt(file, "the manifest is not a non-empty object");
  }
  const auto l = manifest.find("L");
  if (l == manifest.end()) throw corrupt(file, "the manifest has no \"L\"");

  Manifest result;
  result.length = sequenceLength(*l, file);
  const auto revision = manifest.find("revision");
  if (revision != manifest.end() && revision->is_string()) {
    result.revision =
        text::characterPrefix(revision->get_ref<const std::string&>(), kRevisionCharacters);
  } else {
    if (revision != manifest.end()) {
      log::error(file.string() + ": \"revision\" is not a string; the model's revision is unknown");
    }
    result.revision = "unknown";
  }
  return result;
}

SentenceEmbedder::SentenceEmbedder(const fs::path& directory, BertEncoder::Kernels kernels,
                                   RunObserver observer)
    : SentenceEmbedder(readManifest(directory / "manifest.json"), directory, kernels,
                       std::move(observer)) {}

SentenceEmbedder::SentenceEmbedder(Manifest manifest, const fs::path& directory,
                                   BertEncoder::Kernels kernels, RunObserver observer)
    : revision_(kRevisionPrefix + manifest.revision),
      length_(manifest.length),
      tokenizer_(directory / "vocab.txt"),
      encoder_(BertEncoder::load(directory / "Embedder.safetensors", kernels)),
      dimension_(static_cast<size_t>(encoder_.dimension())),
      observer_(std::move(observer)) {
  const BertEncoder::Config& config = encoder_.config();
  if (length_ > config.maxPositions) {
    throw corrupt(directory / "manifest.json",
                  "\"L\" is " + std::to_string(length_) + ", more than the model's " +
                      std::to_string(config.maxPositions) + " positions");
  }
  if (tokenizer_.largestId() >= config.vocabSize) {
    throw corrupt(directory / "vocab.txt", "token id " + std::to_string(tokenizer_.largestId()) +
                                               " is outside the model's vocabulary of " +
                                               std::to_string(config.vocabSize));
  }
}

SentenceEmbedder::~SentenceEmbedder() = default;

Vector SentenceEmbedder::embed(const std::string& text) {
  return std::move(embedTexts({&text, 1}).front());
}

std::vector<Vector> SentenceEmbedder::embedAll(const std::vector<std::string>& texts) {
  return embedTexts(texts);
}

std::vector<Vector> SentenceEmbedder::embedTexts(std::span<const std::string> texts) {
  if (executor_.isCurrent()) return embedOnExecutor(texts);
  // The caller waits, so the texts outlive the task.
  return executor_.submit([this, texts] { return embedOnExecutor(texts); }).get();
}

std::vector<Vector> SentenceEmbedder::embedOnExecutor(std::span<const std::string> texts) {
  std::vector<Vector> vectors(texts.size());
  // The keys the memo lacks, each with the first text that has it, which is the one tokenized;
  // and for each text that waits on the model, the key it takes its vector from.
  std::vector<std::string> keys;
  std::vector<size_t> sources;
  std::unordered_map<std::string, size_t> pending;  // key, its index in keys
  std::vector<std::pair<size_t, size_t>> waiting;   // text, key
  for (size_t i = 0; i < texts.size(); ++i) {
    std::string key = text::nfc(texts[i]);
    if (auto found = memo_.find(key); found != memo_.end()) {
      vectors[i] = found->second;
      continue;
    }
    auto [slot, added] = pending.try_emplace(key, keys.size());
    if (added) {
      keys.push_back(std::move(key));
      sources.push_back(i);
    }
    waiting.emplace_back(i, slot->second);
  }
  if (keys.empty()) return vectors;

  // Both inputs of each text at the fixed length: the ids then 0s (the number 0, not a token
  // looked up), and 1s over the ids then 0s.
  const auto length = static_cast<size_t>(length_);
  std::vector<int32_t> inputs(2 * length * keys.size(), 0);
  std::vector<BertEncoder::Sequence> batch;
  batch.reserve(keys.size());
  for (size_t k = 0; k < keys.size(); ++k) {
    const std::vector<int32_t> ids = tokenizer_.encode(texts[sources[k]], length_);
    const std::span<int32_t> inputIds(inputs.data() + 2 * length * k, length);
    const std::span<int32_t> attentionMask(inputIds.data() + length, length);
    const size_t count = std::min(ids.size(), length);
    std::copy_n(ids.begin(), count, inputIds.begin());
    std::fill_n(attentionMask.begin(), count, 1);
    if (observer_) observer_(inputIds, attentionMask);
    batch.push_back({inputIds, attentionMask});
  }

  std::vector<Vector> computed = encoder_.runBatch(batch);
  // Checked whole before the memo takes any, so that a failure leaves it as it was.
  if (computed.size() != keys.size()) {
    throw Error::fileReadCorrupt("the encoder gave " + std::to_string(computed.size()) +
                                 " vectors for " + std::to_string(keys.size()) + " texts");
  }
  for (const Vector& vector : computed) {
    if (vector.size() != dimension_) {
      throw Error::fileReadCorrupt("the encoder gave " + std::to_string(vector.size()) +
                                   " values instead of " + std::to_string(dimension_));
    }
  }
  for (const auto& [text, key] : waiting) vectors[text] = computed[key];
  for (size_t k = 0; k < keys.size(); ++k) {
    if (memo_.size() >= kMemoCapacity) memo_.clear();
    memo_.emplace(std::move(keys[k]), std::move(computed[k]));
  }
  return vectors;
}

}  // namespace qb
