// The drift test and the due time of an intervention, with the cooldowns that delay it.

#include <algorithm>

#include "analysis/Redaction.h"
#include "policy/Policy.h"

namespace qb {

Policy::Standing Policy::standing(const Moment& moment, const Analysis& analysis, Date at) const {
  Standing result;
  if (!context_ || !analysis.activity) return result;
  if (!(config.minActivityScore <= analysis.activityScore)) return result;
  const std::optional<SwitchReading> reading = switchReading(analysis, moment, at);
  if (reading) {
    result.passingThrough = reading->verdict == SwitchReading::Verdict::newSite ||
                            reading->verdict == SwitchReading::Verdict::signIn;
  }
  if (allowances_.isAllowed(moment.scope(), at) || isNeverInterrupted(moment)) return result;
  if (*analysis.activity == ActivityKind::communication && promptOnChat &&
      Redaction::isChat(moment)) {
    result.drift = true;
  } else {
    result.drift = reading && reading->verdict == SwitchReading::Verdict::distraction;
  }
  return result;
}

bool Policy::isDrift(const Moment& moment, const Analysis& analysis, Date at) const {
  return standing(moment, analysis, at).drift;
}

PolicyDecision Policy::due(const Moment& moment, Date now) const {
  if (!driftSince_) return PolicyDecision::none();
  Date due = *driftSince_ + (waitingOnAgent ? config.agentWaitLimit : config.grace);
  due = std::max(due, cooldownUntil_);
  if (auto scoped = scopeCooldowns_.find(moment.scope()); scoped != scopeCooldowns_.end()) {
    due = std::max(due, scoped->second);
  }
  if (due <= now) return PolicyDecision::intervene(moment.id);
  return PolicyDecision::check(due);
}

std::map<std::string, Duration> Policy::cooldowns(Date at) const {
  std::map<std::string, Duration> running;
  for (const auto& [scope, until] : scopeCooldowns_) {
    if (until > at) running[scope] = until.since(at);
  }
  if (cooldownUntil_ > at) running[std::string(kGlobalCooldownKey)] = cooldownUntil_.since(at);
  return running;
}

}  // namespace qb
