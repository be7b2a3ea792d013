#include "recording/DecisionRecord.h"

#include <utility>

namespace qb {

std::string_view name(const PolicyDecision& decision) {
  switch (decision.kind) {
    case PolicyDecision::Kind::check:
      return "check";
    case PolicyDecision::Kind::intervene:
      return "intervene";
    case PolicyDecision::Kind::none:
      return "none";
  }
  return "none";
}

DecisionRecord::DecisionRecord(const Policy& policy, const std::optional<Analysis>& analysis,
                               const std::optional<Moment>& of, std::string word,
                               std::optional<std::string> given, bool front, Date when)
    : at(when),
      protecting(policy.isProtecting()),
      learned(policy.learnedSeconds()),
      drift(policy.driftSeconds(when)),
      cooldowns(policy.cooldowns(when)),
      inFront(front),
      decision(std::move(word)) {
  if (of) {
    moment = of->id;
  } else if (analysis) {
    moment = analysis->observationID;
  }
  if (analysis) {
    if (analysis->activity) activity = std::string(rawValue(*analysis->activity));
    score = analysis->activityScore;
  }
  if (given) {
    reason = std::move(*given);
  } else if (analysis && of) {
    reason = policy.explain(*analysis, *of, when);
  }
}

}  // namespace qb
