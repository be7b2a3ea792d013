#include "policy/Policy.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "context/RecordInput.h"

namespace qb {

std::string_view rawValue(Outcome outcome) {
  switch (outcome) {
    case Outcome::prompted:
      return "prompted";
    case Outcome::back:
      return "back";
    case Outcome::related:
      return "related";
    case Outcome::dismissed:
      return "dismissed";
  }
  return "prompted";
}

Policy::Policy(PolicyConfig configuration) : config(std::move(configuration)) {}

void Policy::reset() { *this = Policy(config); }

void Policy::restore(ProjectMemory projects) {
  changeProjects([&](ProjectMemory& memory) { memory = std::move(projects); });
}
void Policy::restore(WorkSites sites) { sites_ = std::move(sites); }
void Policy::restore(Presence presence) { presence_ = std::move(presence); }
void Policy::restore(Allowances allowances) { allowances_ = std::move(allowances); }

void Policy::restore(WorkContext context, Date at) {
  if (!at.isFinite()) return logRefused("Policy::restore");
  context.sessionHalfLife = config.sessionHalfLife;
  // Without work titles the analyser computes no similarity, and a restored context could never
  // see a drift until a new work title was learned. Titles learned since start are newer than the
  // saved ones, so they stay in front.
  std::vector<std::string> titles = std::move(workTitles_);
  for (const std::string& title : context.titles) {
    if (titles.size() >= WorkContext::kMaxTitles) break;
    if (title.empty() || std::find(titles.begin(), titles.end(), title) != titles.end()) continue;
    titles.push_back(title);
  }
  if (titles.size() > WorkContext::kMaxTitles) titles.resize(WorkContext::kMaxTitles);
  workTitles_ = std::move(titles);
  context_ = std::move(context);
  lastWork_ = at;
}

void Policy::forgetContext() { expire(); }

void Policy::expire() {
  if (!config.projectMemory)
    changeProjects([](ProjectMemory& memory) { memory = ProjectMemory(); });
  context_.reset();
  workTitles_.clear();
  evidence_.clear();
  workLog_.clear();
  learnedDwell_.clear();
  driftSince_.reset();
}

void Policy::endAllowance(const std::string& scope) { allowances_.remove(scope); }

std::vector<std::string> Policy::recentWork() const {
  if (!context_) return {};
  return workTitles_;
}

Duration Policy::learnedSeconds() const {
  Duration sum = 0;
  for (const WorkStep& step : workLog_) sum += step.seconds;
  return sum;
}

std::optional<Duration> Policy::driftSeconds(Date at) const {
  if (!driftSince_) return std::nullopt;
  return at.since(*driftSince_);
}

std::vector<std::string> Policy::projectNames() const { return projects_.projects(); }

WorkContext::ProjectResolver Policy::resolver() const {
  // Called and dropped within one const operation, so capturing this is safe.
  return [this](const std::string& title) { return projectIn(title); };
}

namespace {

using Lookups = std::map<std::string, std::optional<std::string>, std::less<>>;

template <typename Lookup>
std::optional<std::string> remembered(Lookups& lookups, std::string_view key, size_t limit,
                                      Lookup lookup) {
  if (auto found = lookups.find(key); found != lookups.end()) return found->second;
  if (lookups.size() >= limit) lookups.clear();
  std::optional<std::string> answer = lookup();
  lookups.emplace(std::string(key), answer);
  return answer;
}

}  // namespace

std::optional<std::string> Policy::projectIn(std::string_view title) const {
  return remembered(projectCache_.titles, title, kMaxCachedProjects,
                    [&] { return projects_.project(title); });
}

std::optional<std::string> Policy::projectAt(const std::optional<Url>& url) const {
  if (!url) return std::nullopt;
  return remembered(projectCache_.paths, url->path(), kMaxCachedProjects,
                    [&] { return projects_.project(url); });
}

void Policy::changeProjects(const std::function<void(ProjectMemory&)>& change) {
  change(projects_);
  // Most changes only touch titles of candidates that are not projects, or add a sighting to a
  // project that already had it: then every remembered answer still holds.
  std::vector<ProjectCache::Project> now;
  for (const auto& [key, candidate] : projects_.candidates) {
    if (projects_.isProject(candidate)) {
      now.push_back(ProjectCache::Project{key, candidate.text, candidate.titles.size()});
    }
  }
  if (now == projectCache_.projects) return;
  projectCache_.projects = std::move(now);
  projectCache_.titles.clear();
  projectCache_.paths.clear();
}

namespace {

// The summary counts in int; a configuration may hold any 64-bit count.
int clampedCount(int64_t count) {
  return static_cast<int>(std::clamp<int64_t>(count, 0, std::numeric_limits<int>::max()));
}

}  // namespace

std::optional<std::string> Policy::contextSummary(Date at) const {
  if (!context_) return std::nullopt;
  return context_->summary(at, clampedCount(config.contextSubjects), config.subjectSeconds,
                           clampedCount(config.contextTitles), config.contextSeparator, resolver());
}

std::optional<std::string> Policy::contextDescription(Date at) const {
  if (!context_) return std::nullopt;
  return context_->description(at, config.subjectSeconds, resolver());
}

std::map<std::string, Duration> Policy::drainFocus() { return std::exchange(credited_, {}); }
std::vector<Policy::UnsureTime> Policy::drainUnsure() { return std::exchange(unsureTime_, {}); }
Duration Policy::drainDetours() { return std::exchange(detoured_, 0); }
Duration Policy::drainAway() { return std::exchange(away_, 0); }

}  // namespace qb
