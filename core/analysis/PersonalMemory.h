// PersonalMemory: the user's own answers about pages, and the bounded correction they add to the
// activity head's work logit for pages that resemble an answered one.
//
// Each answer keeps the sentence embedding of the page's text, so "the same kind of page" means
// "a similar vector", not the same address or title. The memory is a plain value without locking;
// PersonalStore is the shared owner.
//
// Similarity is the dot product summed in index order in 32-bit floats, and 0 when the lengths
// differ or a vector is empty: an answer made under another embedding model never counts as near,
// whatever `nearby` is.
//
// Saved form (personal.json): {"examples": [...], "limit", "halfLife", "nearby", "strength"}, all
// keys required. An example is {"id", "vector", "work", "at", "title"?, "site"?}: "vector" is the
// Base64 of the floats as little-endian IEEE-754 binary32; "id" may be absent (a fresh UUID is
// drawn). Anything missing or of the wrong type fails the whole memory; no partial memory is made.
//
// Constants that cannot give a finite correction (from a hand-edited file) are replaced by their
// defaults on reading, and shift() answers 0 rather than NaN for a memory built with them in code:
// a NaN here would count as a failed analysis and reload the model over and over. Numbers that
// are not finite, or a float constant beyond the float range, fail the whole memory, as every
// reader's numbers do.

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/Date.h"
#include "base/JsonFwd.h"
#include "base/Uuid.h"

namespace qb {

struct PersonalMemory {
  struct Example {
    Uuid id = Uuid::random();
    std::vector<float> vector;
    bool work = false;
    Date at;
    std::optional<std::string> title;
    std::optional<std::string> site;

    friend bool operator==(const Example&, const Example&) = default;
  };

  static constexpr int64_t kDefaultLimit = 2000;
  static constexpr double kDefaultHalfLife = 90 * 86400.0;
  static constexpr float kDefaultNearby = 0.6f;
  static constexpr float kDefaultStrength = 6.0f;
  // An answer at least this similar to a new one is the same page answered again, and is replaced.
  static constexpr float kDuplicateSimilarity = 0.98f;
  // Longest vector a file may hold: far above any sentence model's width, and it keeps one hostile
  // "vector" string from costing more than this many floats. A longer one fails the whole memory.
  static constexpr size_t kMaxVectorLength = 16384;

  std::vector<Example> examples;  // oldest first
  int64_t limit = kDefaultLimit;  // below 0 is taken as 0
  double halfLife = kDefaultHalfLife;
  float nearby = kDefaultNearby;
  float strength = kDefaultStrength;

  // Replaces near-duplicates of vector (whatever they answered), appends the answer, then drops the
  // earliest added answers beyond limit.
  void add(std::vector<float> vector, bool work, Date at, std::optional<std::string> title,
           std::optional<std::string> site, Uuid id);
  // Removes every answer with this identifier.
  void forget(const Uuid& id);
  // The correction for a page with this embedding at this time, within [-strength, strength];
  // positive pushes towards work. Never NaN.
  float shift(std::span<const float> vector, Date at) const;

  static float similarity(std::span<const float> a, std::span<const float> b);

  Json toJson() const;
  // Throws qb::Error (decoding domain) for a missing key, a wrong type, a number that is not
  // finite, invalid Base64 or a vector longer than kMaxVectorLength. Repairs unusable constants to
  // their defaults, and keeps only the newest `limit` answers, so that what is loaded obeys the
  // same bound as what add() builds; both are logged.
  static PersonalMemory fromJson(const Json& json);

  friend bool operator==(const PersonalMemory&, const PersonalMemory&) = default;
};

}  // namespace qb
