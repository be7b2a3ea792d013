// Embedding: what the analyzer holds as its sentence embedder.
//
// Vectors are lists of 32-bit floats compared by their plain dot product; the model's vectors are
// unit length, so the dot product serves as their cosine similarity. embed() may block while the
// embedder works through its queue: call it only off the main thread.

#pragma once

#include <span>
#include <string>
#include <vector>

namespace qb {

using Vector = std::vector<float>;

// The dot product over the shorter of the two lengths, summed in 32-bit floats from the first
// element on, so that every caller gets bit-identical similarities.
float dot(std::span<const float> a, std::span<const float> b);

class Embedding {
public:
  virtual ~Embedding() = default;

  // Names the model and its version; copied into every analysis.
  virtual const std::string& revision() const = 0;

  // The text's vector. Throws when the model fails.
  virtual Vector embed(const std::string& text) = 0;

  // One vector per text, in order, each the one embed() gives for it. An embedder that can
  // compute several texts at once for less than one at a time overrides this; here each text is
  // an embed() in turn, and a failure ends the call with its error.
  virtual std::vector<Vector> embedAll(const std::vector<std::string>& texts);

  // One similarity per other text, in order: the text is embedded first (even for an empty list),
  // then each other text in turn; a failure ends the call with its error.
  virtual std::vector<float> similarities(const std::string& text,
                                          const std::vector<std::string>& others);
};

}  // namespace qb
