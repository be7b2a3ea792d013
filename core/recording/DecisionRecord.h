// DecisionRecord: one evaluation of the policy, with the policy's state at that time.

#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/Analysis.h"
#include "analysis/Moment.h"
#include "base/Date.h"
#include "policy/Policy.h"
#include "policy/PolicyDecision.h"

namespace qb {

// The word the decisions table stores for what the policy answered: "check", "intervene" or
// "none".
std::string_view name(const PolicyDecision& decision);

struct DecisionRecord {
  // The decisions table's words besides name(): what the coordinator records for an intervention
  // it did not show.
  static constexpr std::string_view kNotShown = "not shown";

  // Reads the policy at `at`: the moment is the moment's id, else the analysis's observation id,
  // else absent; activity and score come from the analysis (the score also when the analysis
  // abstained); the reason is the one given, else the policy's explanation when both an analysis
  // and a moment are given, else empty.
  DecisionRecord(const Policy& policy, const std::optional<Analysis>& analysis,
                 const std::optional<Moment>& moment, std::string decision,
                 std::optional<std::string> reason, bool inFront, Date at);

  std::optional<uint64_t> moment;             // decisions.moment
  Date at;                                    // decisions.at
  bool protecting = false;                    // decisions.mode: "protecting" or "learning"
  Duration learned = 0;                       // decisions.learned: work seconds toward a context
  std::optional<Duration> drift;              // decisions.drift: seconds since the drift began
  std::map<std::string, Duration> cooldowns;  // decisions.cooldowns (JSON): seconds left
  std::optional<std::string> activity;        // decisions.activity
  std::optional<float> score;                 // decisions.score
  bool inFront = false;  // decisions.in_front: the analysed moment still in front
  std::string decision;  // decisions.decision
  std::string reason;    // decisions.reason

  friend bool operator==(const DecisionRecord&, const DecisionRecord&) = default;
};

}  // namespace qb
