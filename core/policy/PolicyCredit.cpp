// The credit step: wall-clock time between two calls becomes work, unsure, detour or away time,
// input pauses are learned as presence, and while there is no work context the work seen within
// the learning window establishes one.

#include <algorithm>
#include <cmath>
#include <limits>

#include "context/ProjectMemory.h"
#include "context/RecordInput.h"
#include "policy/Policy.h"

namespace qb {
namespace {

// Idle seconds as the credit step uses them: a reading that is not a number, or below zero, is no
// idle time at all rather than a reason to hold every step back for ever.
Duration usableIdle(Duration idle) { return std::isnan(idle) || idle < 0 ? 0 : idle; }

}  // namespace

void Policy::observe(const std::optional<Moment>& moment, Date at, Duration idle,
                     const Calendar& calendar) {
  if (at.isFinite()) {
    credit(at, idle, calendar);
    if (moment) sites_.visit(*moment, at);
  } else {
    logRefused("Policy::observe");
  }
  current_ = moment;
  currentAnalysis_.reset();
}

void Policy::credit(Date now, Duration idle, const Calendar& calendar) {
  idle = usableIdle(idle);
  if (!lastCredit_) {
    lastCredit_ = now;
    lastIdle_ = idle;
    return;
  }
  const Duration step = std::min(std::max(0.0, now.since(*lastCredit_)), config.maxCredit);

  std::optional<std::string> key;
  if (current_) key = current_->scope();

  Duration limit = std::numeric_limits<Duration>::infinity();
  if (mediaPlaying) {
    gapCovered_ = true;
  } else {
    const Duration allowance = presence_.allowance(key);
    if (agentWorking) {
      gapCovered_ = true;
      limit = std::max(config.agentWaitLimit, allowance);
    } else {
      limit = allowance > 0 ? allowance : 0;
    }
  }

  // Playing media keeps the user present whatever the idle time, even an endless one.
  if (!mediaPlaying && idle >= limit) {
    Duration awayStep = step;
    for (const PendingStep& entry : pending_) awayStep += entry.seconds;
    away_ += awayStep;
    pending_.clear();
    isAway_ = true;
    lastCredit_ = now;
    lastIdle_ = idle;
    return;
  }

  const bool covered = mediaPlaying || agentWorking;
  const bool active = idle < step;
  if (active && !covered) {
    // The pause that just ended is learned only when the user was really there and working: not
    // on coming back from away, and not when media or an agent kept them present.
    if (!isAway_ && !gapCovered_ && lastIdle_ >= kMinLearnedGap && key && currentAnalysis_ &&
        isLearnable(*currentAnalysis_)) {
      presence_.learn(lastIdle_, *key);
    }
    gapCovered_ = false;
  }

  // The grace of a running drift counts from the user's return.
  if (isAway_ && driftSince_) driftSince_ = now;
  isAway_ = false;

  PendingStep entry;
  entry.seconds = step;
  entry.moment = current_;
  entry.analysis = currentAnalysis_;
  if (currentAnalysis_ && isLearnable(*currentAnalysis_)) {
    if (current_) {
      const Standing stands = standing(*current_, *currentAnalysis_, now);
      entry.work = !stands.drift && !stands.passingThrough;
    } else {
      entry.work = true;
    }
  }
  entry.detour = driftSince_.has_value();
  entry.at = now;
  pending_.push_back(std::move(entry));

  // Within a pause the steps wait: the next step with input counts them, or the pause turns them
  // into away time once it reaches the limit.
  if (covered || active) {
    std::vector<PendingStep> steps = std::move(pending_);
    pending_.clear();
    for (const PendingStep& held : steps) {
      if (held.work && held.analysis) {
        count(held.seconds, held.moment, *held.analysis, held.at, calendar);
      } else if (held.detour) {
        detoured_ += held.seconds;
      }
    }
  }

  lastCredit_ = now;
  lastIdle_ = idle;
}

void Policy::count(Duration seconds, const std::optional<Moment>& moment, const Analysis& analysis,
                   Date at, const Calendar& calendar) {
  const bool neutral = analysis.activity == ActivityKind::neutral;
  // The page's project is both the task its time is logged under and the label of its work.
  std::optional<std::string> label;
  if (moment) label = project(*moment, analysis);
  if (!neutral) {
    std::string task;
    if (label) {
      task = *label;
    } else if (moment) {
      // A browser's own page is no site: its host would name a task after the page's inner name.
      const bool site = !ProjectMemory::isBrowserPage(moment->url);
      task = site ? moment->host().value_or(moment->appName) : moment->appName;
    }
    credited_[task] += seconds;
    if (analysis.unsure && seconds > 0 && moment)
      unsureTime_.push_back(UnsureTime{*moment, seconds});
    float reading = 0;
    if (analysis.activity == ActivityKind::work) {
      reading =
          moment ? sites_.reading(analysis.activityScore, *moment, at) : analysis.activityScore;
    }
    sites_.credit(moment, seconds, reading, config.switchWorkBar, at, calendar);
  }
  lastWork_ = at;

  std::optional<std::string> title;
  std::optional<std::string> subject;
  std::optional<std::string> site;
  if (moment) {
    if (!neutral && !moment->namesOnlyApp(moment->title)) title = moment->title;
    if (moment->agent) subject = moment->agent->task();
    site = moment->host();
  }

  if (context_) {
    if (title) context_->credit(*title, seconds, subject, label, site, at);
    return;
  }

  workLog_.push_back(WorkStep{at, seconds});
  std::erase_if(workLog_,
                [&](const WorkStep& step) { return at.since(step.end) > config.learnWindow; });
  if (title) {
    learnedDwell_.push_back(TitleDwell{*title, seconds, subject, label, site, at});
    std::erase_if(learnedDwell_,
                  [&](const TitleDwell& dwell) { return at.since(dwell.at) > config.learnWindow; });
  }
  if (learnedSeconds() >= config.learnWorkSeconds) establish(at);
}

void Policy::establish(Date at) {
  WorkContext context;
  context.sessionHalfLife = config.sessionHalfLife;
  for (const Evidence& seen : evidence_) {
    if (!seen.title.empty()) context.add(seen.title);
  }
  for (const TitleDwell& dwell : learnedDwell_) {
    context.credit(dwell.title, dwell.seconds, dwell.subject, dwell.label, dwell.site, dwell.at);
  }
  context_ = std::move(context);
  evidence_.clear();
  workLog_.clear();
  learnedDwell_.clear();
  lastWork_ = at;
  driftSince_.reset();
}

}  // namespace qb
