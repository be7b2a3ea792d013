// The one-line explanation of how the policy sees a page. The recording keeps the line as the
// decision's reason, so its wording and number formats are data: numbers are written with
// std::to_chars, which ignores the user's locale.

#include <charconv>
#include <cmath>
#include <limits>

#include "analysis/Redaction.h"
#include "policy/Policy.h"

namespace qb {
namespace {

constexpr const char* kAllowedLine = "allowed for now (It's for work)";
constexpr const char* kNeverLine = "never interrupted on this site (your list)";
constexpr const char* kChatLabel = "chat, Prompt on chat";
constexpr double kSecondsPerMinute = 60;
constexpr int kDecimals = 2;

// A score, similarity or weight with two decimals, as "%.2f" writes it in the C locale.
std::string twoDecimals(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char buffer[64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, kDecimals);
  if (error != std::errc()) return "0.00";
  return std::string(buffer, end);
}

// A whole number, cut toward zero. Values beyond the 64-bit range are held at its ends, and a value
// that is not a number reads 0, rather than converting with undefined behaviour.
std::string whole(double value) {
  int64_t number = 0;
  if (std::isnan(value)) {
    number = 0;
  } else if (value >= static_cast<double>(std::numeric_limits<int64_t>::max())) {
    number = std::numeric_limits<int64_t>::max();
  } else if (value <= static_cast<double>(std::numeric_limits<int64_t>::min())) {
    number = std::numeric_limits<int64_t>::min();
  } else {
    number = static_cast<int64_t>(std::trunc(value));
  }
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number);
  (void)error;  // 32 characters hold every 64-bit integer
  return std::string(buffer, end);
}

std::string activityWord(const Analysis& analysis) {
  return analysis.activity ? std::string(rawValue(*analysis.activity)) : "";
}

}  // namespace

std::string Policy::explain(const Analysis& analysis, const Moment& moment, Date at) const {
  const std::string score = twoDecimals(analysis.activityScore);
  if (!context_) {
    return "learning: " + whole(learnedSeconds()) + "/" + whole(config.learnWorkSeconds) +
           " s of work";
  }
  if (std::optional<Analysis> carried = continuing(analysis, moment)) {
    return "unsure (" + score + "), continues " + explain(*carried, moment, at);
  }
  if (!analysis.activity) return "activity unsure (" + score + ")";
  if (isNeverInterrupted(moment)) return kNeverLine;

  const bool allowed = allowances_.isAllowed(moment.scope(), at);
  if (*analysis.activity == ActivityKind::communication && promptOnChat &&
      Redaction::isChat(moment)) {
    return allowed ? kAllowedLine : driftLine(kChatLabel, moment, at);
  }
  if (!analysis.similarity) return activityWord(analysis) + " " + score + ", nothing to compare";
  if (analysis.activityScore >= config.minActivityScore) {
    if (allowed) return kAllowedLine;
    const std::string similarity = "similarity " + twoDecimals(*analysis.similarity);
    if (std::optional<SwitchReading> reading = switchReading(analysis, moment, at)) {
      if (reading->verdict == SwitchReading::Verdict::distraction) {
        return driftLine(similarity, moment, at);
      }
      return std::string(rawValue(reading->verdict)) + " (" + similarity + ", work " + score +
             ", site " + twoDecimals(reading->siteWeight) + ")";
    }
  }
  return activityWord(analysis) + " but unsure (" + score + ")";
}

std::string Policy::driftLine(const std::string& label, const Moment& moment, Date at) const {
  const Duration drifted = driftSince_ ? at.since(*driftSince_) : 0;
  std::string line = "drift (" + label + "): " + whole(drifted) + "/" + whole(config.grace) + " s";
  if (waitingOnAgent) {
    line += ", waiting on the agent (up to " + whole(config.agentWaitLimit / kSecondsPerMinute) +
            " min)";
  }
  if (cooldownUntil_ > at) line += ", cooldown " + whole(cooldownUntil_.since(at)) + " s";
  if (auto scoped = scopeCooldowns_.find(moment.scope());
      scoped != scopeCooldowns_.end() && scoped->second > at) {
    line += ", site cooldown " + whole(scoped->second.since(at)) + " s";
  }
  return line;
}

}  // namespace qb
