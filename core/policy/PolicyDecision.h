// PolicyDecision and Outcome: what the interruption policy answers, and what became of a prompt.
//
// The policy answers every analysis and every tick with a decision: look again at a time (the
// coordinator schedules a tick then), show the prompt now for one observation, or nothing. After a
// prompt the coordinator reports its outcome back, which sets the cooldowns and allowances.

#pragma once

#include <cstdint>
#include <string_view>

#include "base/Date.h"

namespace qb {

struct PolicyDecision {
  enum class Kind { check, intervene, none };

  Kind kind = Kind::none;
  Date at;                     // check: when to look again
  uint64_t observationID = 0;  // intervene: Moment::id of the moment to prompt about

  static constexpr PolicyDecision check(Date at) { return {Kind::check, at, 0}; }
  static constexpr PolicyDecision intervene(uint64_t observationID) {
    return {Kind::intervene, Date{}, observationID};
  }
  static constexpr PolicyDecision none() { return {}; }

  bool isNone() const { return kind == Kind::none; }

  // The same case with equal payloads; the payload of another case plays no part.
  friend constexpr bool operator==(const PolicyDecision& a, const PolicyDecision& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
      case Kind::check:
        return a.at == b.at;
      case Kind::intervene:
        return a.observationID == b.observationID;
      case Kind::none:
        return true;
    }
    return true;
  }
};

// What became of a prompt: shown, back to work, accepted as belonging to the work, put away.
enum class Outcome { prompted, back, related, dismissed };

// "prompted", "back", "related" or "dismissed", for logs and test messages.
std::string_view rawValue(Outcome outcome);

}  // namespace qb
