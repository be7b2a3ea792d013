// The road of one snapshot: from the observer to the recording and the policy, through the one-slot
// analysis queue and its cache, to the policy's decision on the finished analysis.

#include <QGuiApplication>
#include <cstdio>

#include "agents/AgentSessions.h"
#include "analysis/GuardedAnalyzer.h"
#include "base/Error.h"
#include "base/Log.h"
#include "base/Regex.h"
#include "model/AppModel.h"
#include "platform/InputMonitor.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "prompt/Overlay.h"
#include "recording/DecisionRecord.h"
#include "recording/EventStore.h"
#include "recording/MomentRecord.h"
#include "recording/Recorder.h"
#include "recording/SwitchRecord.h"
#include "sensing/AX.h"
#include "sensing/Prefs.h"

namespace qb {

namespace {

// Tabs read through the accessibility bus; the scripted browsers have no Linux build.
std::string readVia(BrowserKind kind) {
  return kind == BrowserKind::firefox || kind == BrowserKind::chrome ? "accessibility" : "script";
}

bool sameTab(const std::optional<TabRef>& a, const std::optional<TabRef>& b) { return a == b; }

}  // namespace

std::string AppModel::analysisKey(const Moment& moment) {
  static const Regex digits("\\d+");
  return digits.replaceAll(moment.key(), "#");
}

bool AppModel::isNavigating(const Snapshot& from, const Snapshot& to) {
  const Moment& before = from.observation;
  const Moment& after = to.observation;
  return from.target.pid == to.target.pid && from.target.window && to.target.window &&
         from.target.window == to.target.window && !after.title.empty() &&
         after.title == before.title && after.host() && before.host() != after.host();
}

bool AppModel::samePage(const Snapshot& a, const Snapshot& b) {
  return a.target.pid == b.target.pid && sameTab(a.target.tab, b.target.tab) &&
         a.observation.scope() == b.observation.scope() && a.target.window && b.target.window &&
         a.target.window == b.target.window;
}

InputCounts AppModel::inputCounts() const { return services_.platform.input().counts(); }

Duration AppModel::idleSeconds() const {
  return services_.platform.input().secondsSinceLastInput();
}

void AppModel::handle(std::optional<Snapshot> snapshot) {
  if (snapshot) {
    snapshot->observation.agent = AgentSessions::session(snapshot->observation, agentSessions_);
  }
  refreshAgents();
  if (snapshot && snapshot->cause == ObserverCause::appSwitch) {
    const std::optional<BrowserKind> kind = parseBrowserKind(snapshot->target.bundleID);
    if (kind && *kind != BrowserKind::firefox) {
      const auto found = automation_.find(*kind);
      if (found == automation_.end() || found->second != Access::granted) refreshAutomation();
    }
  }
  // A tab in a snapshot is the proof that the browser publishes its tabs, which the bus being on
  // does not promise for every browser.
  if (snapshot && snapshot->target.tab && tabsShown_.insert(snapshot->target.tab->browser).second) {
    emit changed(Property::tabsShown);
  }
  if (current_ && snapshot && isNavigating(*current_, *snapshot)) snapshot->navigating = true;
  current_ = snapshot;
  if (openPrompt_ && openPrompt_->snapshot.target.tab) {
    overlay_->setVisible(snapshot && samePage(*snapshot, openPrompt_->snapshot));
  }
  std::optional<Seen> seen;
  if (snapshot) {
    const Moment& moment = snapshot->observation;
    seen = Seen{moment.host().value_or(moment.appName), moment.bundleID, snapshot->target.pid,
                std::nullopt, false};
  }
  assign(seen_, std::move(seen), Property::seen);
  if (!running()) return;
  record(snapshot);
  policy_.observe(snapshot ? std::optional(snapshot->observation) : std::nullopt,
                  services_.wallClock.now(), idleSeconds());
  notePresence();
  drainWork();
  if (snapshot && !snapshot->navigating) enqueue(*snapshot);
}

void AppModel::record(const std::optional<Snapshot>& snapshot) {
  if (!prefs_->recording() || !recorder_) return;
  const Date now = services_.wallClock.now();
  if (!snapshot) {
    recorder_->begin(MomentRecord::excludedAt(now), inputCounts());
    return;
  }
  const Moment& moment = snapshot->observation;
  const Target& target = snapshot->target;
  MomentRecord row(moment);
  row.cause = std::string(rawValue(snapshot->cause));
  row.readTime = snapshot->readTime;
  row.idle = idleSeconds();
  if (target.tab) {
    row.browser = std::string(displayName(target.tab->browser));
    row.tab = std::to_string(target.tab->windowID) + "/" + std::to_string(target.tab->tab);
    row.readVia = readVia(target.tab->browser);
  } else if (parseBrowserKind(target.bundleID)) {
    row.readVia = "window";
  }
  if (target.window) {
    const std::optional<Rect> frame = AX::frame(target.window);
    if (frame) {
      row.frame = MomentRecord::Rect{frame->origin.x, frame->origin.y, frame->size.width,
                                     frame->size.height};
      row.windowShare = screenShare(*frame);
    }
    row.fullScreen = AX::flag(target.window, AXAttribute::fullScreen);
  }
  row.displays = static_cast<int64_t>(QGuiApplication::screens().size());
  row.appCategory = category(moment.bundleID);
  if (moment.agent) {
    const std::string& folder = moment.agent->folder;
    auto known = repositories_.find(folder);
    if (known == repositories_.end()) {
      bool inRepository = false;
      try {
        inRepository = AgentSessions::inRepository(folder, paths::home());
      } catch (const Error&) {
        // Without a home folder there is nothing to look below.
      }
      known = repositories_.emplace(folder, inRepository).first;
    }
    row.agentRepository = known->second;
  }
  recorder_->begin(std::move(row), inputCounts());
  readText(*snapshot);
}

void AppModel::enqueue(const Snapshot& snapshot) {
  if (!running() || !analyzer_) return;
  queued_ = snapshot;
  pump();
}

void AppModel::pump() {
  if (busy_ || !queued_ || !analyzer_) return;
  const Snapshot snapshot = *std::exchange(queued_, std::nullopt);
  const Moment& moment = snapshot.observation;
  const std::string key = analysisKey(moment);
  const Date now = services_.wallClock.now();
  std::optional<std::string> summary = policy_.contextSummary(now);
  std::vector<std::string> work = policy_.recentWork();

  if (const auto skipped = skipped_.find(key); skipped != skipped_.end() && skipped->second > now) {
    if (recorder_) recorder_->system("skipped", moment.id, "failed before", now);
    pump();
    return;
  }
  if (const auto cached = cache_.find(key); cached != cache_.end()) {
    const Analysis& analysis = cached->second.analysis;
    const bool confidentWork = analysis.activity == ActivityKind::work &&
                               analysis.activityScore >= policy_.config.switchWorkBar;
    if (cached->second.work == work || confidentWork) {
      if (recorder_) {
        recorder_->runs(cached->second.passes, moment.id, summary, analysis.revision, true, now);
      }
      receive(analysis.rebound(moment.id), snapshot);
      return;
    }
  }
  busy_ = true;
  analyzer_->start(
      moment, work, services_.main, services_.timers,
      [this, snapshot, key, summary, work, alive = alive_](GuardedAnalyzer::Result result) {
        if (!*alive) return;
        const uint64_t id = snapshot.observation.id;
        const Date done = services_.wallClock.now();
        switch (result.outcome.kind) {
          case GuardedAnalyzer::Outcome::Kind::failed:
            skip(key);
            if (recorder_) recorder_->system("failure", id, std::nullopt, done);
            analysisFailed(false);
            break;
          case GuardedAnalyzer::Outcome::Kind::timedOut:
            // The reload that follows would bring the same page straight back, and on a machine
            // that is still loaded it would time out again: it rests like a failed page.
            skip(key);
            if (recorder_) recorder_->system("timeout", id, std::nullopt, done);
            analysisFailed(true);
            break;
          case GuardedAnalyzer::Outcome::Kind::done: {
            const Analysis& analysis = *result.outcome.analysis;
            failures_ = 0;
            if (cache_.size() > kMaxCached) cache_.clear();
            cache_[key] = Cached{work, analysis, result.passes};
            if (recorder_) {
              recorder_->runs(result.passes, id, summary, analysis.revision, false, done);
            }
            receive(analysis, snapshot);
            break;
          }
        }
        busy_ = false;
        pump();
      });
}

void AppModel::skip(const std::string& key) {
  if (skipped_.size() > kMaxSkipped) skipped_.clear();
  skipped_[key] = services_.wallClock.now() + kSkipDuration;
}

void AppModel::analysisFailed(bool timedOut) {
  ++failures_;
  char message[96];
  std::snprintf(message, sizeof message, "Analysis %s; skipped (%d in a row)",
                timedOut ? "timed out" : "failed", failures_);
  log::error(message);
  if (!timedOut && failures_ < kFailuresBeforeReload) return;
  // A stuck model keeps its worker: the guard is replaced, with the model loaded afresh.
  analyzer_.reset();
  if (failures_ >= kFailuresBeforeReload) setModelState(ModelState::failed);
  recordSystem("reload", std::nullopt);
  loadModel();
}

void AppModel::receive(const Analysis& analysis, const Snapshot& snapshot) {
  analyses_[analysis.observationID] = analysis;
  if (analyses_.size() > kMaxAnalyses) analyses_.erase(analyses_.begin());
  if (!running()) return;
  const Moment& moment = snapshot.observation;
  const bool inFront = current_ && current_->observation.id == moment.id;
  if (inFront && seen_) {
    // Changed in place: always announced.
    seen_->activity = analysis.activity;
    seen_->analyzed = true;
    emit changed(Property::seen);
  }
  const bool isWork = analysis.activity == ActivityKind::work &&
                      analysis.activityScore >= policy_.config.minActivityScore &&
                      !moment.namesOnlyApp(moment.title);
  if (isWork) lastWorkAgent_ = moment.agent;
  returnTo_.front(snapshot, moment, isWork, moment.time);
  policy_.neverInterrupt = prefs_->neverInterrupt();
  policy_.promptOnChat = prefs_->promptOnChat();
  noteSwitch(analysis, moment);
  const Date now = services_.wallClock.now();
  const PolicyDecision decision = policy_.ingest(analysis, moment, now);
  if (prefs_->recording() && recorder_) {
    recorder_->decision(DecisionRecord(policy_, analysis, moment, std::string(qb::name(decision)),
                                       std::nullopt, inFront, now));
  }
  act(decision);
  updateContext();
}

void AppModel::act(const PolicyDecision& decision) {
  switch (decision.kind) {
    case PolicyDecision::Kind::check:
      schedule(decision.at);
      break;
    case PolicyDecision::Kind::intervene:
      intervene(decision.observationID);
      break;
    case PolicyDecision::Kind::none:
      break;
  }
}

void AppModel::noteSwitch(const Analysis& analysis, const Moment& moment) {
  const Date now = services_.wallClock.now();
  const std::optional<SwitchReading> reading = policy_.switchReading(analysis, moment, now);
  if (!reading || reading->verdict == SwitchReading::Verdict::sameTask) return;
  if (recorder_) {
    recorder_->switched(SwitchRecord(*reading, analysis, moment, policy_.recentWork(), now));
  }
  using Verdict = SwitchReading::Verdict;
  const Verdict verdict = reading->verdict;
  const bool logged = verdict == Verdict::project || verdict == Verdict::otherWork ||
                      verdict == Verdict::unknownSite || verdict == Verdict::newSite ||
                      verdict == Verdict::signIn || verdict == Verdict::neverInterrupt;
  if (logged && store_) {
    store_->log(EventStore::Kind::switched, 1, policy_.task(moment, std::nullopt), now);
  }
}

}  // namespace qb
