// ActivityHead: the logistic classifier on top of the sentence embedding.
//
// From an observation's embedding and its site-table entry it gives a logit whose sigmoid is the
// probability that the observation is work. The input vector is the embedding followed by five
// site features (the entry's confidence in the slot of its lean, or 1 in the last slot when the
// site is not listed), so the head has one weight per embedding dimension plus kSiteFeatureCount.
// The sum is taken in 32-bit floats, bias first, in index order, each product and sum rounded on
// its own (the build forbids fused multiply-add), so that every platform gets the same bits.
//
// The weights come from Knowledge/head.json: {"weights": [numbers, at least kMinWeightCount],
// "bias": number, "unlisted": {"scale": number, "shift": number}}; other keys are ignored.
// Loading throws the read error of the file domain unchanged, the JSON parser's error for text
// that is not JSON, and Error::fileReadCorrupt() (259) for content that cannot be a head: not an
// object, no "weights" array of numbers, fewer than kMinWeightCount weights, no numeric "bias",
// or a weight or the bias that is not finite as a 32-bit float (1e39 is a JSON number but an
// infinite float, and one infinite weight makes every score NaN). "unlisted" is lenient: when it
// is not an object holding only finite numbers both of its values take their defaults (and the
// log says so), and each one missing takes its own.
//
// A head trained for another embedder does not fail at run time: logit() answers 0 for an
// embedding of the wrong length. The loader cannot know the embedding length, so the caller checks
// the pair once both are built, with fits() or check().
//
// An immutable value: every operation may run on any thread at once.

#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/Moment.h"
#include "analysis/SiteKnowledge.h"

namespace qb {

class ActivityHead {
public:
  static constexpr size_t kSiteFeatureCount = 5;
  // One embedding dimension at least, and the site features.
  static constexpr size_t kMinWeightCount = 1 + kSiteFeatureCount;

  // The affine correction of the logit of a site or program that the table does not list.
  struct Unlisted {
    static constexpr float kDefaultScale = 1.0f;
    static constexpr float kDefaultShift = 0.0f;
    float scale = kDefaultScale;
    float shift = kDefaultShift;
    friend bool operator==(const Unlisted&, const Unlisted&) = default;
  };

  using Features = std::array<float, kSiteFeatureCount>;

  // Throws qb::Error (knowledge::kErrorDomain, kInvalidHeadCode) for fewer than kMinWeightCount
  // weights or a value that is not finite.
  ActivityHead(std::vector<float> weights, float bias, Unlisted unlisted);
  ActivityHead(std::vector<float> weights, float bias);

  // Reads head.json (see the header comment for what it throws).
  static ActivityHead load(const std::filesystem::path& contentsOf);

  const std::vector<float>& weights() const { return weights_; }
  float bias() const { return bias_; }
  const Unlisted& unlisted() const { return unlisted_; }

  // True when the head takes embeddings of this length.
  bool fits(size_t embeddingLength) const;
  // Throws Error::fileReadCorrupt() naming the weight count and the embedding length unless
  // fits(embeddingLength): without this check a mismatched head answers 0.5 for everything.
  void check(size_t embeddingLength) const;

  // The logit; 0 (with no correction) for an embedding of the wrong length.
  float logit(std::span<const float> embedding,
              const std::optional<SiteKnowledge::Entry>& entry) const;
  // 1 / (1 + e^-logit), in 32-bit floats.
  float probability(std::span<const float> embedding,
                    const std::optional<SiteKnowledge::Entry>& entry) const;

  // Work, leisure, mixed, neutral: the entry's confidence in its lean's slot; not listed: 1 last.
  static Features features(const std::optional<SiteKnowledge::Entry>& entry);

  // The one text that stands for an observation wherever it is embedded or keyed. On a site: the
  // title, ". ", the host, a space and the first path component, trimmed of blanks (tab and Unicode
  // space separators); elsewhere: the program's name, ". " and the title, untrimmed.
  static std::string text(const Moment& of);

private:
  std::vector<float> weights_;
  float bias_;
  Unlisted unlisted_;
};

}  // namespace qb
