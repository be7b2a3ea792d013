// SentenceEmbedder: the one Embedding, the WordPiece tokenizer in front of our BERT encoder.
//
// Embedder folder (the caller passes it): manifest.json ({"L": sequence length, "revision":
// optional string}), vocab.txt (WordPiece) and Embedder.safetensors (BertEncoder; its architecture
// from the file's metadata or config.json beside it).
//
// Loading happens in the constructor, in the caller's thread: manifest, vocabulary, then weights,
// so that a folder with several faults reports the first. It throws:
//   - manifest.json unreadable: the read error (file domain, WordPiece's read codes);
//   - manifest not JSON: the JSON parser's error (decoding domain);
//   - manifest not an object, empty, without "L", "L" not an integer (128.0 counts as one; 128.5,
//     a string or an array do not), or "L" outside [kMinLength, kMaxLength]: fileReadCorrupt (259);
//   - the vocabulary's errors (WordPiece), then the encoder's (BertEncoder::load);
//   - "L" above the loaded model's max_position_embeddings, or a vocabulary whose ids reach past
//     the model's vocab_size: fileReadCorrupt (259). (An L below the model's positions is fine:
//     texts are cut to it. These checks turn a mismatched folder into one load failure instead of
//     a failure at every run.)
//
// A manifest whose "revision" is there but not a string loads with the revision "unknown", and
// the log says so.
//
// Threads: embed() and embedAll() run on the embedder's own SerialExecutor, one call at a time,
// and block the caller until they are done: call them off the main thread. Called from the
// executor's own thread (an operation of the embedder calling another) they run directly.
// revision() is a constant, readable from anywhere without waiting. Destroying the embedder runs
// what is queued first.
//
// similarities() is Embedding's: the text, then each other text in turn, each an embed().
//
// Memo: vectors already computed, keyed by the NFC form of the text (so canonically equivalent
// texts share an entry); at kMemoCapacity entries the next new text empties it whole first.
//
// embedAll() takes the vectors the memo holds, and runs the other texts, one per key, through the
// encoder in one batch, which streams the model's weights from memory once instead of once per
// text (bench/AnalyzerBench.cpp measures the gain on a new title). The new vectors then enter the
// memo one by one in the order of the texts, under the rule above. A failed batch leaves the memo
// as it was.

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <unordered_map>

#include "analysis/BertEncoder.h"
#include "analysis/Embedding.h"
#include "analysis/Tokenizer.h"
#include "base/SerialExecutor.h"

namespace qb {

class SentenceEmbedder final : public Embedding {
public:
  static constexpr const char* kRevisionPrefix = "all-MiniLM-L6-v2@";
  // Characters of the manifest's revision that the revision keeps.
  static constexpr size_t kRevisionCharacters = 7;

  // Bounds of the manifest's "L": [CLS] and [SEP] need 2; BERT-family models have at most a few
  // thousand positions (all-MiniLM-L6-v2: 512, of which the manifest asks for 128), and each run
  // allocates two arrays of L.
  static constexpr int64_t kMinLength = 2;
  static constexpr int64_t kMaxLength = 8192;

  static constexpr size_t kMemoCapacity = 1000;

  // Test seam: when set, called on the executor once for each text that goes through the model,
  // before the model runs, with that text's two inputs exactly as the encoder gets them (each of
  // the manifest's length: ids then 0s, 1s then 0s). A memo hit runs nothing and calls nothing.
  // An exception from it ends that embed() or embedAll() as a failed run would. Tests count runs
  // and check the inputs with it; the program passes none.
  using RunObserver = std::function<void(std::span<const int32_t> inputIds,
                                         std::span<const int32_t> attentionMask)>;

  // Loads the folder. `kernels` picks the processor's matrix kernels (the program passes `best`;
  // a benchmark may pick one). The encoder computes on one thread (BertEncoder::kThreads), so
  // there is no thread count to pass. Throws as described above.
  explicit SentenceEmbedder(const std::filesystem::path& directory,
                            BertEncoder::Kernels kernels = BertEncoder::Kernels::best,
                            RunObserver observer = {});
  ~SentenceEmbedder() override;
  SentenceEmbedder(const SentenceEmbedder&) = delete;
  SentenceEmbedder& operator=(const SentenceEmbedder&) = delete;

  // kRevisionPrefix followed by the first 7 characters of the manifest's revision when it is a
  // string (all of it when shorter), else by "unknown".
  const std::string& revision() const override { return revision_; }

  // The text's vector (the model's output as it stands: mean-pooled, unit length). Throws the
  // encoder's errors; a failed run leaves the memo unchanged.
  Vector embed(const std::string& text) override;
  // The texts' vectors in order, as embed() would give each (see above for how they are computed).
  // Throws what embed() throws; a failure leaves the memo unchanged.
  std::vector<Vector> embedAll(const std::vector<std::string>& texts) override;

  // The manifest's sequence length, and the length of the vectors; constants, readable anywhere.
  int64_t length() const { return length_; }
  size_t dimension() const { return dimension_; }

private:
  struct Manifest {
    int64_t length = 0;
    std::string revision;  // what follows kRevisionPrefix
  };
  static Manifest readManifest(const std::filesystem::path& file);

  SentenceEmbedder(Manifest manifest, const std::filesystem::path& directory,
                   BertEncoder::Kernels kernels, RunObserver observer);

  std::vector<Vector> embedTexts(std::span<const std::string> texts);
  std::vector<Vector> embedOnExecutor(std::span<const std::string> texts);

  // Initialised in this order, which is the order of loading: manifest, vocabulary, model.
  std::string revision_;
  int64_t length_ = 0;
  WordPiece tokenizer_;
  BertEncoder encoder_;
  size_t dimension_ = 0;
  RunObserver observer_;
  std::unordered_map<std::string, Vector> memo_;  // touched only on the executor
  // Last, so that it is destroyed first: what is queued runs while everything above still lives.
  SerialExecutor executor_;
};

}  // namespace qb
