// AnalyzerConfig: the analyzer's switches and thresholds.
//
// The defaults are the production values; every recording session stores the configuration in
// use whole, so its JSON form is strict: all four keys are written, and all four are required.

#pragma once

#include "base/JsonFwd.h"

namespace qb {

struct AnalyzerConfig {
  // Every messaging window is communication, without asking the model.
  bool messagingByList = true;
  // A vague title without page text is unrelated to recent work instead of being compared.
  bool vagueTitleUnrelated = true;
  // The least model confidence taken for a site or application the site table lists...
  float headAbstain = 0.7f;
  // ...and for one it does not list.
  float headAbstainUnlisted = 0.8f;

  // What the program runs with and records.
  static const AnalyzerConfig production;  // exactly the defaults

  Json toJson() const;
  // Throws qb::Error (decoding domain) when a key is missing or has the wrong type.
  static AnalyzerConfig fromJson(const Json& json);

  friend bool operator==(const AnalyzerConfig&, const AnalyzerConfig&) = default;
};

inline constexpr AnalyzerConfig AnalyzerConfig::production{};

}  // namespace qb
