// Analysis: the analyzer's answer for one observation.

#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "analysis/ActivityKind.h"

namespace qb {

struct Analysis {
  uint64_t observationID = 0;            // Moment::id of the classified observation
  std::optional<ActivityKind> activity;  // absent when the analyzer abstains
  float activityScore = 0;  // 0 to 1: model confidence, 1 for rules, 0 for rule abstentions
  // Highest similarity to the recent work texts; absent when not computed, 0 for a vague title.
  std::optional<float> similarity;
  std::map<std::string, float> similarities;  // per recent work text; empty when not computed
  std::string revision;                       // the embedder's revision followed by "/head"
  bool unsure = false;  // abstained because the model was not confident enough

  // The same analysis reused for a later observation of the same thing.
  Analysis rebound(uint64_t newObservationID) const {
    Analysis copy = *this;
    copy.observationID = newObservationID;
    return copy;
  }

  friend bool operator==(const Analysis&, const Analysis&) = default;
};

}  // namespace qb
