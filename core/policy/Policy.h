// Policy: when to interrupt the user, and what the policy has learned about their work.
//
// One value holds everything the interruption policy knows: the learned work context, project
// memory and work sites, the user's presence and allowances, the drift clock and the cooldowns, and
// the time credited but not yet drained. The coordinator feeds it, on its one thread:
//   - observe() for every new thing in front, then ingest() when that thing's analysis comes back;
//   - tick() every 30 seconds and at the time a check decision names;
//   - record() with a prompt's outcome; interrupt() when watching is suspended or resumed;
// and reads its decisions, views and drains. While the policy has no work context it learns: once
// learnWorkSeconds of work have been counted within learnWindow it establishes one and starts
// protecting. With a context, a page the switch verdict calls a distraction starts the drift clock,
// and a prompt is due after the grace, the global cooldown and the page scope's cooldown.
//
// A plain value: copying copies all state. Not thread-safe, not even for reading: const operations
// fill small caches of derived answers. No clock, files or threads; time comes in as `at`, and
// operations that credit work take the calendar of the local days last. A time that is not a finite
// number changes nothing and is logged (observe() still takes the moment in front): such a date
// would stop the credit run or the learning windows for good. An idle time that is NaN or negative
// counts as no idle time.
//
// The learning windows are bounded by time (learnWindow) and the other collections by the records'
// own limits, so that every call stays cheap on a full day's state.

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Analysis.h"
#include "analysis/Moment.h"
#include "base/Calendar.h"
#include "base/Date.h"
#include "context/ProjectMemory.h"
#include "context/WorkContext.h"
#include "context/WorkSites.h"
#include "policy/Allowances.h"
#include "policy/PolicyConfig.h"
#include "policy/PolicyDecision.h"
#include "policy/Presence.h"
#include "policy/SwitchReading.h"

namespace qb {

class Policy {
public:
  // Long before any date the program meets: no cooldown runs until it.
  static constexpr Date kDistantPast = Date::fromReference(-63114076800.0);
  // Past this many titles with a project, only those of the recent work titles are kept.
  static constexpr size_t kMaxTitleProjects = 200;
  // An input pause shorter than this is ordinary typing rhythm, not a gap worth learning.
  static constexpr Duration kMinLearnedGap = 30;
  // Path components of a form page: what is typed into a form says nothing about its site.
  static constexpr std::string_view kFormPathComponents[] = {"forms", "form", "viewform"};
  // The key of the global cooldown in cooldowns().
  static constexpr std::string_view kGlobalCooldownKey = "global";

  // Seconds spent on a page whose analysis was unsure.
  struct UnsureTime {
    Moment moment;
    Duration seconds = 0;
    friend bool operator==(const UnsureTime&, const UnsureTime&) = default;
  };

  explicit Policy(PolicyConfig configuration = PolicyConfig());

  // --- Settings the coordinator writes; setting one has no further effect ---
  PolicyConfig config;
  bool waitingOnAgent =
      false;                  // a coding agent has finished and waits: the grace is agentWaitLimit
  bool mediaPlaying = false;  // idle time never counts as away
  // Hosts, or hosts followed by a path, never to prompt on. Entries are compared in the host's
  // normal form (lower-cased host, no leading "www.", no trailing "/"), whatever way they were
  // typed. Application windows never match.
  std::vector<std::string> neverInterrupt;
  bool promptOnChat = false;  // consumer chat counts as drift
  bool agentWorking =
      false;  // a coding agent of the work is busy: idle up to agentWaitLimit is presence

  // --- Learned state, read only ---
  const std::optional<WorkContext>& context() const { return context_; }
  const ProjectMemory& projects() const { return projects_; }
  const WorkSites& sites() const { return sites_; }
  const Allowances& allowances() const { return allowances_; }
  const Presence& presence() const { return presence_; }
  // The user is away: idle beyond the presence allowance, until the first step with input.
  bool isAway() const { return isAway_; }

  // --- Lifecycle ---
  // Everything back to a new policy's state; only the configuration survives.
  void reset();
  // Each replaces that one record wholesale (what the coordinator read from its files).
  void restore(ProjectMemory projects);
  void restore(WorkSites sites);
  void restore(Presence presence);
  void restore(Allowances allowances);
  // Installs a saved work context under this configuration's half-life, as last worked on at `at`,
  // and seeds the recent work titles with its titles (after any learned since start), so that the
  // analyser has something to compare with at once.
  void restore(WorkContext context, Date at);
  // Drops the work context, its titles and the learning so far; the next one is learned afresh.
  // The project memory goes too when config.projectMemory is off.
  void forgetContext();
  // Ends the allowance of a scope; its next grant starts over.
  void endAllowance(const std::string& scope);

  // --- Views ---
  bool isProtecting() const { return context_.has_value(); }
  // The recent work titles, newest first; empty without a context.
  std::vector<std::string> recentWork() const;
  // Work counted toward the first context so far, within the learning window.
  Duration learnedSeconds() const;
  // Seconds since the drift clock started (negative for an earlier `at`); absent without a drift.
  std::optional<Duration> driftSeconds(Date at) const;
  // The project names, ascending.
  std::vector<std::string> projectNames() const;
  // A short phrase of the work; absent without a context.
  std::optional<std::string> contextSummary(Date at) const;
  // The label of the largest subject of the work; absent without a context or such a subject.
  std::optional<std::string> contextDescription(Date at) const;
  // What the user works on, for the interface: at most max(1, contextSubjects) names.
  std::vector<std::string> workingOn(Date at) const;

  // --- Projects ---
  // The project a title mentions.
  std::optional<std::string> project(std::string_view in) const;
  // The project a page belongs to: named by its agent session, assistant project, title or
  // address, else by the recent work titles it resembles.
  std::optional<std::string> project(const Moment& of,
                                     const std::optional<Analysis>& analysis) const;
  // The name time on a page is logged under: its project, else its host, else its application;
  // "" without a moment.
  std::string task(const std::optional<Moment>& of, const std::optional<Analysis>& analysis) const;
  // Where a page's titles are learned from: its site, or its application unless that is a
  // browser; nothing for form pages.
  static std::optional<ProjectMemory::Source> source(const Moment& moment);
  // The project folders of recent coding-agent sessions.
  void learnAgentFolders(const std::vector<std::string>& folders, Date at);

  // --- Observations and analyses ---
  // Credits the time since the previous step to what was in front, then makes `moment` (absent
  // when nothing could be read) the thing in front. idle: seconds since the last input.
  void observe(const std::optional<Moment>& moment, Date at, Duration idle,
               const Calendar& calendar = Calendar::current());
  // Takes the analysis of a moment: learns from it, starts or stops the drift clock, and answers
  // whether to prompt. An analysis of a moment no longer in front teaches but decides nothing.
  PolicyDecision ingest(const Analysis& analysis, const Moment& moment, Date at);

  // --- Switch reading ---
  // How the page relates to the current work; absent without a context, without a similarity or
  // activity, or below minActivityScore.
  std::optional<SwitchReading> switchReading(const Analysis& analysis, const Moment& moment,
                                             Date at) const;

  // --- Cooldowns ---
  // The cooldowns still running at `at`, in seconds left: per scope, and kGlobalCooldownKey.
  std::map<std::string, Duration> cooldowns(Date at) const;

  // --- Explanation ---
  // Why the policy sees the page as it does, in one line (recorded as the decision's reason).
  // Numbers are written the same in every locale.
  std::string explain(const Analysis& analysis, const Moment& moment, Date at) const;

  // --- Tick and outcomes ---
  // Credits the time since the previous step, drops a context that has not seen work (or input)
  // for contextExpiry, and answers whether a running drift is due.
  PolicyDecision tick(Date at, Duration idle, const Calendar& calendar = Calendar::current());
  // Applies a prompt's outcome: stops the drift clock, and sets cooldowns, allowances and
  // confirmations as the answer implies. The analysis is the one the prompt was about, if any.
  void record(Outcome outcome, const Moment& moment, const std::optional<Analysis>& analysis,
              Date at);
  // Stops the drift clock and the credit run; time until the next step is not credited.
  void interrupt();

  // --- Drains: each hands back what accumulated since the last call and starts again ---
  std::map<std::string, Duration> drainFocus();  // work seconds per task
  std::vector<UnsureTime> drainUnsure();         // seconds on pages whose analysis was unsure
  Duration drainDetours();                       // seconds while a drift clock ran
  Duration drainAway();                          // seconds counted as away

  friend bool operator==(const Policy&, const Policy&) = default;

private:
  struct WorkStep {
    Date end;
    Duration seconds = 0;
    friend bool operator==(const WorkStep&, const WorkStep&) = default;
  };
  struct TitleDwell {
    std::string title;
    Duration seconds = 0;
    std::optional<std::string> subject;
    std::optional<std::string> label;
    std::optional<std::string> site;
    Date at;
    friend bool operator==(const TitleDwell&, const TitleDwell&) = default;
  };
  struct Evidence {
    std::string title;
    Date at;
    friend bool operator==(const Evidence&, const Evidence&) = default;
  };
  struct Drifting {
    std::string scope;
    Analysis analysis;
    friend bool operator==(const Drifting&, const Drifting&) = default;
  };
  struct PendingStep {
    Duration seconds = 0;
    std::optional<Moment> moment;
    std::optional<Analysis> analysis;
    bool work = false;
    bool detour = false;
    Date at;
    friend bool operator==(const PendingStep&, const PendingStep&) = default;
  };
  struct TitleProject {
    std::string name;
    bool named = false;  // the name came from the page itself, not from a similar title
    friend bool operator==(const TitleProject&, const TitleProject&) = default;
  };

  // Learning (PolicyLearning.cpp)
  bool isLearnable(const Analysis& analysis) const;
  std::optional<Analysis> continuing(const Analysis& analysis, const Moment& moment) const;
  void learn(const Moment& moment, const Analysis& analysis, Date at);
  std::optional<std::string> namedProject(const Moment& moment) const;
  std::optional<std::string> similarProject(const Analysis& analysis) const;
  WorkContext::ProjectResolver resolver() const;

  // Credit (PolicyCredit.cpp)
  void credit(Date now, Duration idle, const Calendar& calendar);
  void count(Duration seconds, const std::optional<Moment>& moment, const Analysis& analysis,
             Date at, const Calendar& calendar);
  void establish(Date at);

  // Switch (PolicySwitch.cpp)
  SwitchReading::Verdict verdict(const Moment& moment, ActivityKind activity, Date at,
                                 float similarity, float reading) const;
  bool isNeverInterrupted(const Moment& moment) const;

  // Drift (PolicyDrift.cpp)
  // How a page stands: a drift, or a page the user only passes through (a new site, a sign-in).
  // One switch verdict serves both, since the verdict is the costly part.
  struct Standing {
    bool drift = false;
    bool passingThrough = false;
  };
  Standing standing(const Moment& moment, const Analysis& analysis, Date at) const;
  bool isDrift(const Moment& moment, const Analysis& analysis, Date at) const;
  PolicyDecision due(const Moment& moment, Date now) const;

  // Explanation (PolicyExplain.cpp)
  std::string driftLine(const std::string& label, const Moment& moment, Date at) const;

  // Lifecycle (Policy.cpp)
  void expire();

  // The project memory's project() of a title and of an address, remembered while their answers
  // hold: the same few titles are looked up many times a step, and each lookup walks every
  // candidate.
  std::optional<std::string> projectIn(std::string_view title) const;
  std::optional<std::string> projectAt(const std::optional<Url>& url) const;
  // Every change of the project memory goes through here, so that remembered lookups whose answer
  // may have changed are forgotten.
  void changeProjects(const std::function<void(ProjectMemory&)>& change);

  struct ProjectCache {
    // What a lookup's answer depends on: the candidates that count as projects, in key order, with
    // their key, shown text and number of titles. While these stay the same, so do the answers.
    struct Project {
      std::string key;
      std::string text;
      size_t titles = 0;
      friend bool operator==(const Project&, const Project&) = default;
    };
    using Lookups = std::map<std::string, std::optional<std::string>, std::less<>>;
    std::vector<Project> projects;  // of projects_, always
    Lookups titles;
    Lookups paths;
    // A cache is no part of the policy's state.
    friend bool operator==(const ProjectCache&, const ProjectCache&) { return true; }
  };
  // Lookups remembered at most; past this the cache starts again.
  static constexpr size_t kMaxCachedProjects = 1024;

  // The never-interrupt entries in their normal form, kept for the list they were made from.
  struct NeverCache {
    std::vector<std::string> typed;
    std::vector<std::string> normal;
    friend bool operator==(const NeverCache&, const NeverCache&) { return true; }
  };
  const std::vector<std::string>& normalNeverInterrupt() const;

  std::optional<WorkContext> context_;
  ProjectMemory projects_;
  WorkSites sites_;
  Allowances allowances_;
  Presence presence_;
  bool isAway_ = false;

  std::optional<Moment> current_;
  std::optional<Analysis> currentAnalysis_;
  std::optional<Date> lastCredit_;
  std::map<std::string, Duration> credited_;
  std::vector<UnsureTime> unsureTime_;
  Duration detoured_ = 0;
  Duration away_ = 0;
  std::vector<WorkStep> workLog_;
  std::vector<TitleDwell> learnedDwell_;
  std::vector<Evidence> evidence_;
  std::optional<Date> lastWork_;
  std::optional<Date> driftSince_;
  std::optional<Drifting> drifting_;
  Date cooldownUntil_ = kDistantPast;
  std::map<std::string, Date> scopeCooldowns_;
  std::vector<PendingStep> pending_;
  Duration lastIdle_ = 0;
  bool gapCovered_ = false;
  std::vector<std::string> workTitles_;
  std::map<std::string, TitleProject> titleProjects_;
  mutable ProjectCache projectCache_;
  mutable NeverCache neverCache_;
};

}  // namespace qb
