// Taking in analyses: learning work titles, projects and the evidence for a first context, and
// starting and stopping the drift clock.

#include <algorithm>

#include "context/RecordInput.h"
#include "policy/Policy.h"

namespace qb {

bool Policy::isLearnable(const Analysis& analysis) const {
  if (!analysis.activity) return config.learnFromNonLeisure;
  const float score = analysis.activityScore;
  switch (*analysis.activity) {
    case ActivityKind::work:
      return score >= config.learnMinScore || config.learnFromNonLeisure;
    case ActivityKind::entertainment:
      return config.learnFromNonLeisure && score < config.minActivityScore;
    case ActivityKind::communication:
      return config.learnFromNonLeisure && score < 1.0f;
    case ActivityKind::neutral:
      return config.learnFromNonLeisure;
  }
  return false;
}

std::optional<Analysis> Policy::continuing(const Analysis& analysis, const Moment& moment) const {
  if (!driftSince_ || !drifting_ || drifting_->scope != moment.scope()) return std::nullopt;
  if (analysis.activity && analysis.activityScore >= config.minActivityScore) return std::nullopt;
  // An unsure look at another page of the drifting site does not end the drift.
  return drifting_->analysis.rebound(analysis.observationID);
}

std::optional<ProjectMemory::Source> Policy::source(const Moment& moment) {
  if (moment.url) {
    for (const std::string& component : moment.url->pathComponents()) {
      for (std::string_view form : kFormPathComponents) {
        if (component == form) return std::nullopt;
      }
    }
    if (moment.url->host() && !moment.url->host()->empty()) {
      return ProjectMemory::Source::site(moment.host().value_or(""));
    }
  }
  if (ProjectMemory::browsers().count(moment.bundleID) > 0) return std::nullopt;
  return ProjectMemory::Source::app(moment.bundleID);
}

PolicyDecision Policy::ingest(const Analysis& analysis, const Moment& moment, Date at) {
  if (!at.isFinite()) {
    logRefused("Policy::ingest");
    return PolicyDecision::none();
  }
  const Analysis taken = continuing(analysis, moment).value_or(analysis);
  const Standing stands = standing(moment, taken, at);
  const bool drift = stands.drift;
  bool learned = false;
  if (!drift && isLearnable(taken) && !stands.passingThrough) {
    learn(moment, taken, at);
    learned = true;
  }

  if (!current_ || current_->id != moment.id) return PolicyDecision::none();
  currentAnalysis_ = taken;
  if (!context_) return PolicyDecision::none();

  if (!drift) {
    if (learned || (taken.similarity && *taken.similarity >= config.switchSimilarity)) {
      driftSince_.reset();
    }
    return PolicyDecision::none();
  }
  if (!driftSince_) driftSince_ = at;
  drifting_ = Drifting{moment.scope(), taken};
  if (isAway_) return PolicyDecision::none();
  return due(moment, at);
}

void Policy::learn(const Moment& moment, const Analysis& analysis, Date at) {
  std::optional<std::string> title;
  if (!moment.namesOnlyApp(moment.title)) title = moment.title;
  const bool confidentWork =
      analysis.activity == ActivityKind::work && analysis.activityScore >= config.learnMinScore;

  std::vector<std::string> names;
  if (title && confidentWork) names = ProjectMemory::names(moment);
  const std::optional<std::string> assistant = ProjectMemory::assistantProject(moment.url);
  changeProjects([&](ProjectMemory& projects) {
    projects.observe(names, title, source(moment), at);
    if (moment.agent) projects.agentWorks(moment.agent->project, at);
    if (assistant) projects.assistantWorks(*assistant, at);
  });

  if (title) {
    if (context_) {
      context_->add(*title);
    } else {
      evidence_.push_back(Evidence{*title, at});
      std::erase_if(evidence_,
                    [&](const Evidence& seen) { return at.since(seen.at) > config.learnWindow; });
    }
  }

  if (!title || !confidentWork) return;
  std::erase(workTitles_, *title);
  workTitles_.insert(workTitles_.begin(), *title);
  if (workTitles_.size() > WorkContext::kMaxTitles) workTitles_.resize(WorkContext::kMaxTitles);

  if (titleProjects_.size() > kMaxTitleProjects) {
    std::erase_if(titleProjects_, [&](const auto& entry) {
      return std::find(workTitles_.begin(), workTitles_.end(), entry.first) == workTitles_.end();
    });
  }

  // Only the page itself names a project for sure; a name borrowed from a similar title is kept
  // apart, so that it never spreads further through similarity.
  std::optional<TitleProject> found;
  if (auto named = namedProject(moment)) {
    found = TitleProject{*named, true};
  } else if (auto similar = similarProject(analysis)) {
    found = TitleProject{*similar, false};
  }
  if (found) {
    titleProjects_[*title] = *found;
  } else {
    titleProjects_.erase(*title);
  }
}

std::optional<std::string> Policy::project(std::string_view in) const { return projectIn(in); }

std::optional<std::string> Policy::namedProject(const Moment& moment) const {
  if (moment.agent) return projects_.spelling(moment.agent->project);
  if (auto assistant = ProjectMemory::assistantProject(moment.url)) {
    return projects_.spelling(*assistant);
  }
  if (auto named = projectIn(moment.title)) return named;
  return projectAt(moment.url);
}

std::optional<std::string> Policy::project(const Moment& of,
                                           const std::optional<Analysis>& analysis) const {
  if (auto named = namedProject(of)) return named;
  if (analysis) return similarProject(*analysis);
  auto entry = titleProjects_.find(of.title);
  if (entry == titleProjects_.end()) return std::nullopt;
  return entry->second.name;
}

std::optional<std::string> Policy::similarProject(const Analysis& analysis) const {
  // The similarities are walked in title order, so among equal similarities the first title in
  // that order names the project.
  std::optional<std::string> best;
  float bestSimilarity = 0;
  for (const auto& [title, similarity] : analysis.similarities) {
    if (!(similarity >= config.switchSimilarity)) continue;
    std::optional<std::string> name;
    auto entry = titleProjects_.find(title);
    if (entry != titleProjects_.end() && entry->second.named) {
      name = entry->second.name;
    } else {
      name = projectIn(title);
    }
    if (!name) continue;
    if (!best || similarity > bestSimilarity) {
      best = std::move(name);
      bestSimilarity = similarity;
    }
  }
  return best;
}

std::string Policy::task(const std::optional<Moment>& of,
                         const std::optional<Analysis>& analysis) const {
  if (!of) return "";
  if (auto name = project(*of, analysis)) return *name;
  if (auto host = of->host()) return *host;
  return of->appName;
}

std::vector<std::string> Policy::workingOn(Date at) const {
  if (!context_) return {};
  const size_t wanted = static_cast<size_t>(std::max<int64_t>(1, config.contextSubjects));
  std::vector<std::string> labels;
  for (const WorkContext::Subject& subject :
       context_->subjects(at, config.subjectSeconds, resolver())) {
    if (labels.size() >= wanted) break;
    if (std::find(labels.begin(), labels.end(), subject.label) != labels.end()) continue;
    labels.push_back(subject.label);
  }
  if (!labels.empty()) return labels;
  if (auto description = contextDescription(at)) return {*description};
  return {};
}

void Policy::learnAgentFolders(const std::vector<std::string>& folders, Date at) {
  if (!at.isFinite()) return logRefused("Policy::learnAgentFolders");
  changeProjects([&](ProjectMemory& projects) {
    for (const std::string& folder : folders) projects.agentWorks(folder, at);
  });
}

}  // namespace qb
