// The periodic tick, the bookkeeping after a prompt's outcome, and the interruption of watching.

#include <algorithm>

#include "context/RecordInput.h"
#include "policy/Policy.h"

namespace qb {

PolicyDecision Policy::tick(Date at, Duration idle, const Calendar& calendar) {
  if (!at.isFinite()) {
    logRefused("Policy::tick");
    return PolicyDecision::none();
  }
  credit(at, idle, calendar);

  if (context_) {
    const Duration since = lastWork_ ? at.since(*lastWork_) : 0;
    if (since > config.contextExpiry || idle > config.contextExpiry) {
      expire();
      return PolicyDecision::none();
    }
  }
  if (isAway_ || !driftSince_ || !current_ || !currentAnalysis_) return PolicyDecision::none();
  // The tick never starts a drift clock; it only asks whether a running one is due.
  if (!isDrift(*current_, *currentAnalysis_, at)) return PolicyDecision::none();
  return due(*current_, at);
}

void Policy::record(Outcome outcome, const Moment& moment,
                    const std::optional<Analysis>& /*analysis*/, Date at) {
  if (!at.isFinite()) return logRefused("Policy::record");
  driftSince_.reset();
  const std::string scope = moment.scope();

  if (outcome == Outcome::back) {
    cooldownUntil_ = at;
    allowances_.remove(scope);
    return;
  }
  cooldownUntil_ = std::max(cooldownUntil_, at + config.globalCooldown);

  if (outcome == Outcome::related) {
    allowances_.allow(scope, at);
    sites_.confirm(moment, at);
    if (config.projectCorrections && !moment.namesOnlyApp(moment.title)) {
      changeProjects(
          [&](ProjectMemory& projects) { projects.confirm(moment.title, source(moment), at); });
    }
  } else if (outcome == Outcome::dismissed) {
    // Cooldowns that have run out decide nothing any more; dropping them here keeps the map to
    // the scopes dismissed within the last scopeCooldown.
    std::erase_if(scopeCooldowns_, [&](const auto& entry) { return entry.second <= at; });
    scopeCooldowns_[scope] = at + config.scopeCooldown;
  }
}

void Policy::interrupt() {
  driftSince_.reset();
  lastCredit_.reset();
  pending_.clear();
}

}  // namespace qb
