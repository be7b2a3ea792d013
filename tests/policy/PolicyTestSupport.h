// Small builders shared by the policy's tests: pages, application windows, analyses and a policy
// that already protects a work context.

#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Analysis.h"
#include "analysis/Moment.h"
#include "base/Calendar.h"
#include "base/NoDestructor.h"
#include "context/WorkContext.h"
#include "context/WorkSites.h"
#include "policy/Policy.h"

namespace qb {

// Readable decisions in test failures.
inline void PrintTo(const PolicyDecision& decision, std::ostream* out) {
  switch (decision.kind) {
    case PolicyDecision::Kind::check:
      *out << "check(at: " << decision.at.sinceReferenceDate << ")";
      break;
    case PolicyDecision::Kind::intervene:
      *out << "intervene(" << decision.observationID << ")";
      break;
    case PolicyDecision::Kind::none:
      *out << "none";
      break;
  }
}

inline void PrintTo(SwitchReading::Verdict verdict, std::ostream* out) {
  *out << rawValue(verdict);
}

}  // namespace qb

namespace qb::policytest {

inline constexpr Duration kMinute = 60;
inline constexpr Duration kHour = 3600;

inline const Date t0 = Date::fromReference(780000000);  // a date in September 2025
inline Date at(double seconds) { return t0 + seconds; }

inline const Calendar& berlin() {
  static const NoDestructor<Calendar> calendar(Calendar::inZone("Europe/Berlin"));
  return *calendar;
}

inline Moment page(uint64_t id, std::string_view title, std::string_view address) {
  return Moment(id, t0, "Firefox", "firefox", title, Url::parse(address));
}

inline Moment window(uint64_t id, std::string_view title, std::string_view app = "Terminal",
                     std::string_view bundle = "org.gnome.Terminal") {
  return Moment(id, t0, app, bundle, title);
}

inline Analysis analysis(uint64_t id, std::optional<ActivityKind> activity, float score,
                         std::optional<float> similarity = std::nullopt) {
  Analysis result;
  result.observationID = id;
  result.activity = activity;
  result.activityScore = score;
  result.similarity = similarity;
  result.revision = "test/head";
  return result;
}

inline Analysis work(uint64_t id, float score = 0.9f, std::optional<float> similarity = 0.6f) {
  return analysis(id, ActivityKind::work, score, similarity);
}

inline Analysis fun(uint64_t id, float score = 0.9f, std::optional<float> similarity = 0.05f) {
  return analysis(id, ActivityKind::entertainment, score, similarity);
}

// A work-site record that has seen enough work for unknown sites to count as distractions, and
// has known each of the hosts for a day.
inline WorkSites builtSites(const std::vector<std::string>& hosts = {}) {
  WorkSites sites;
  const double day = 86400;
  sites.days[t0.unixTime() - 2 * day] = 6000;
  sites.days[t0.unixTime() - day] = 6000;
  for (const std::string& host : hosts) sites.visits[host] = WorkSites::Visit{t0 - day, t0 - day};
  return sites;
}

// A policy protecting a context of the given titles since t0, with a built work-site record that
// knows video.example and news.example.
inline Policy protecting(std::vector<std::string> titles = {"Quarterly budget spreadsheet"},
                         PolicyConfig config = PolicyConfig()) {
  Policy policy(config);
  policy.restore(builtSites({"video.example", "news.example", "chat.example"}));
  WorkContext context;
  context.id = *Uuid::parse("00000000-0000-4000-8000-000000000001");  // policies compare equal
  for (auto it = titles.rbegin(); it != titles.rend(); ++it) context.add(*it);
  policy.restore(context, t0);
  return policy;
}

// Puts the moment in front at `when` and hands in its analysis there.
inline PolicyDecision show(Policy& policy, const Moment& moment, const Analysis& result, Date when,
                           double idle = 0) {
  policy.observe(moment, when, idle, berlin());
  return policy.ingest(result, moment, when);
}

// The context's titles, newest first.
inline std::vector<std::string> contextTitles(const Policy& policy) {
  return {policy.context()->titles.begin(), policy.context()->titles.end()};
}

inline double total(const std::map<std::string, Duration>& seconds) {
  double sum = 0;
  for (const auto& [task, value] : seconds) sum += value;
  return sum;
}

}  // namespace qb::policytest
