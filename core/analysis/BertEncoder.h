// BertEncoder: a BERT sentence encoder, the model runtime under the sentence embedder.
//
// It loads float32 weights with the standard BERT tensor names (an optional "bert." prefix is
// accepted) from a safetensors file, and the architecture from the file's metadata or, when the
// metadata carries none of its keys, from config.json beside the file (num_hidden_layers,
// num_attention_heads, hidden_size, intermediate_size, max_position_embeddings, vocab_size,
// layer_norm_eps). The configuration and every tensor's shape are checked against each other.
// Each tensor is read from the file straight into the place it is kept, so loading needs memory
// for the model and, beyond it, for one layer's weights at a time.
//
// run() takes "input_ids" and "attention_mask" (one entry per position, 0 or 1) and gives
// "embedding": the mean of the last hidden states over the positions whose mask is 1, scaled to
// unit length. Only those positions are computed, each at its own position in the sequence and
// attending only to the others; this is exactly what BERT's additive attention mask computes for
// them, so padding changes nothing and costs nothing. Any mask is accepted, not only a prefix of
// ones. Token type is 0 throughout; GELU is the exact (erf) form.
//
// runBatch() gives the embeddings of several such sequences, each of its own length, in one pass:
// the real tokens of all of them go through every linear layer together, so that the weights
// stream from memory once per batch rather than once per sequence, while each token attends only
// to its own sequence.
// Each vector is the one run() gives for that sequence alone, up to rounding: a kernel may order
// the sums of a row differently when the product has more rows. run() is the batch of one.
//
// Errors: load() throws what SafeTensors throws, Error::fileReadCorrupt() for a configuration or
// tensor that does not fit, the read error of a missing config.json, and an Error in kErrorDomain
// (kInvalidInputCode) when asked for kernels this processor cannot run. run() throws an Error in
// kErrorDomain with kInvalidInputCode for bad input (lengths that differ or exceed the model's
// positions, an id outside the vocabulary, a mask value other than 0 and 1, no position with
// mask 1). runBatch() checks every sequence so before it computes anything, and its message names
// the first bad sequence by its index ("sequence 2: ...") when the batch has more than one.
//
// Threads: a run computes on the calling thread only (kThreads). A BertEncoder is not reentrant:
// a run (of one or of a batch) reuses scratch buffers held by the encoder, so calls must not
// overlap; the embedder's serial executor provides that. Moving an encoder to another thread
// between runs is fine.

#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "analysis/EncoderKernels.h"

namespace qb {

class BertEncoder {
public:
  // The one place that says how many threads the encoder uses: the caller's, and no other. On
  // the short texts it sees, one core finishes a text in milliseconds, and threads would only
  // compete with the program's own work.
  static constexpr int kThreads = 1;

  // The kernels' errors and the encoder's are one kind.
  static constexpr const char* kErrorDomain = EncoderKernels::kErrorDomain;
  static constexpr long kInvalidInputCode = EncoderKernels::kInvalidInputCode;

  struct Config {
    int layers = 0;
    int heads = 0;
    int hidden = 0;
    int intermediate = 0;
    int maxPositions = 0;
    int vocabSize = 0;
    double layerNormEps = 0;
    bool operator==(const Config&) const = default;
  };

  // Which kernels compute: `best` is EncoderKernels::best(), the fastest build the processor
  // runs under the environment's cap; the others name a build, which the processor must have.
  enum class Kernels { best, portable, avx2, avx512 };

  // Throws as described above.
  static BertEncoder load(const std::filesystem::path& file, Kernels kernels = Kernels::best);

  BertEncoder(BertEncoder&&) noexcept;
  BertEncoder& operator=(BertEncoder&&) noexcept;
  ~BertEncoder();

  // One sequence of a batch. The spans must stay valid for the call.
  struct Sequence {
    std::span<const int32_t> inputIds;
    std::span<const int32_t> attentionMask;
  };

  std::vector<float> run(std::span<const int32_t> inputIds, std::span<const int32_t> attentionMask);
  // One vector per sequence, in order; an empty batch gives none.
  std::vector<std::vector<float>> runBatch(std::span<const Sequence> sequences);

  const Config& config() const;
  int dimension() const { return config().hidden; }
  // The kernels in use: portable, avx2 or avx512.
  Kernels kernels() const;

private:
  struct Model;
  explicit BertEncoder(std::unique_ptr<Model> model);
  std::unique_ptr<Model> model_;
};

}  // namespace qb
