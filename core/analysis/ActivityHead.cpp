#include "analysis/ActivityHead.h"

#include <cfloat>
#include <cmath>

#include "base/Date.h"
#include "base/Error.h"
#include "base/File.h"
#include "base/Json.h"
#include "base/Log.h"

namespace qb {

// Each product and sum must be rounded to float as it happens; an x87-style wider evaluation
// would change the logit's last bits.
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must be evaluated in float");

namespace {

// The leans' slots follow their declaration order; the last slot means "not listed".
static_assert(static_cast<size_t>(SiteKnowledge::Lean::work) == 0 &&
              static_cast<size_t>(SiteKnowledge::Lean::neutral) == 3);
constexpr size_t kNotListedSlot = 4;
// Enough of a value that was set aside to recognise it in the log.
constexpr size_t kMaxLoggedBytes = 200;

// The number as a 32-bit float, absent when it is not a JSON number or not finite as a float.
std::optional<float> finiteFloat(const Json& value) {
  if (!value.is_number()) return std::nullopt;
  auto number = static_cast<float>(value.get<double>());
  if (!std::isfinite(number)) return std::nullopt;
  return number;
}

ActivityHead::Unlisted readUnlisted(const Json& head) {
  ActivityHead::Unlisted unlisted;
  auto found = head.find("unlisted");
  if (found == head.end()) return unlisted;
  bool usable = found->is_object();
  for (auto it = found->begin(); usable && it != found->end(); ++it)
    usable = finiteFloat(*it).has_value();
  if (!usable) {
    log::error(
        "Head \"unlisted\" is not an object of finite numbers; both of its values take "
        "their defaults: " +
        json::dump(*found).substr(0, kMaxLoggedBytes));
    return unlisted;
  }
  if (auto scale = found->find("scale"); scale != found->end())
    unlisted.scale = *finiteFloat(*scale);
  if (auto shift = found->find("shift"); shift != found->end())
    unlisted.shift = *finiteFloat(*shift);
  return unlisted;
}

std::string describe(size_t weightCount, size_t embeddingLength) {
  return "the head has " + std::to_string(weightCount) + " weights; an embedding of length " +
         std::to_string(embeddingLength) + " needs " +
         std::to_string(embeddingLength + ActivityHead::kSiteFeatureCount);
}

}  // namespace

ActivityHead::ActivityHead(std::vector<float> weights, float bias, Unlisted unlisted)
    : weights_(std::move(weights)), bias_(bias), unlisted_(unlisted) {
  if (weights_.size() < kMinWeightCount) {
    throw Error(knowledge::kErrorDomain, knowledge::kInvalidHeadCode,
                "a head needs " + std::to_string(kMinWeightCount) + " weights, not " +
                    std::to_string(weights_.size()));
  }
  bool finite = allFinite(bias_, unlisted_.scale, unlisted_.shift);
  for (float weight : weights_) finite = finite && std::isfinite(weight);
  if (!finite) {
    throw Error(knowledge::kErrorDomain, knowledge::kInvalidHeadCode,
                "a head's weights, bias and correction must be finite");
  }
}

ActivityHead::ActivityHead(std::vector<float> weights, float bias)
    : ActivityHead(std::move(weights), bias, Unlisted{}) {}

ActivityHead ActivityHead::load(const std::filesystem::path& contentsOf) {
  Json head = json::parse(file::read(contentsOf, knowledge::kMaxFileBytes));
  if (!head.is_object() || head.empty()) throw Error::fileReadCorrupt("head is not an object");

  auto weightsValue = head.find("weights");
  if (weightsValue == head.end() || !weightsValue->is_array()) {
    throw Error::fileReadCorrupt("head has no \"weights\" array");
  }
  std::vector<float> weights;
  weights.reserve(weightsValue->size());
  for (const Json& value : *weightsValue) {
    if (!value.is_number()) throw Error::fileReadCorrupt("a head weight is not a number");
    auto weight = finiteFloat(value);
    if (!weight) {
      throw Error::fileReadCorrupt("head weight " + std::to_string(weights.size()) +
                                   " is not finite as a 32-bit float");
    }
    weights.push_back(*weight);
  }

  auto biasValue = head.find("bias");
  if (biasValue == head.end() || !biasValue->is_number()) {
    throw Error::fileReadCorrupt("head has no numeric \"bias\"");
  }
  if (weights.size() < kMinWeightCount) {
    throw Error::fileReadCorrupt("head has " + std::to_string(weights.size()) +
                                 " weights, fewer than " + std::to_string(kMinWeightCount));
  }
  auto bias = finiteFloat(*biasValue);
  if (!bias) throw Error::fileReadCorrupt("head bias is not finite as a 32-bit float");
  return ActivityHead(std::move(weights), *bias, readUnlisted(head));
}

bool ActivityHead::fits(size_t embeddingLength) const {
  return embeddingLength + kSiteFeatureCount == weights_.size();
}

void ActivityHead::check(size_t embeddingLength) const {
  if (!fits(embeddingLength))
    throw Error::fileReadCorrupt(describe(weights_.size(), embeddingLength));
}

float ActivityHead::logit(std::span<const float> embedding,
                          const std::optional<SiteKnowledge::Entry>& entry) const {
  if (!fits(embedding.size())) return 0;
  Features site = features(entry);
  float z = bias_;
  size_t i = 0;
  for (float x : embedding) {
    float product = weights_[i++] * x;
    z = z + product;
  }
  for (float x : site) {
    float product = weights_[i++] * x;
    z = z + product;
  }
  if (entry) return z;
  float scaled = unlisted_.scale * z;
  return unlisted_.shift + scaled;
}

float ActivityHead::probability(std::span<const float> embedding,
                                const std::optional<SiteKnowledge::Entry>& entry) const {
  return 1.0f / (1.0f + std::exp(-logit(embedding, entry)));
}

ActivityHead::Features ActivityHead::features(const std::optional<SiteKnowledge::Entry>& entry) {
  Features site{};
  if (!entry) {
    site[kNotListedSlot] = 1.0f;
    return site;
  }
  site[static_cast<size_t>(entry->lean)] = entry->confidence;
  return site;
}

std::string ActivityHead::text(const Moment& of) {
  auto host = of.host();
  if (!host) return of.appName + ". " + of.title;
  std::string word;
  for (std::string& component : of.url->pathComponents()) {
    if (component != "/") {
      word = std::move(component);
      break;
    }
  }
  std::string text = of.title + ". " + *host + " " + word;
  return std::string(knowledge::trimBlanks(text));
}

}  // namespace qb
