// The coordinator moving on time: the 30-second tick and the scheduled check, the user's absences,
// and what the tick shares with the snapshot's road (presence, credited work, the check).

#include "model/AppModel.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "prompt/Overlay.h"
#include "recording/DecisionRecord.h"
#include "recording/EventStore.h"
#include "recording/Recorder.h"
#include "sensing/Media.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"

namespace qb {

void AppModel::tick() {
  const Date now = services_.wallClock.now();
  const bool trusted = services_.platform.accessibility().isProcessTrusted();
  if (trusted != accessibility_) {
    recordSystem(trusted ? "accessibility on" : "accessibility off", std::nullopt);
  }
  setAccessibility(trusted);
  if (breakUntil_ && now >= *breakUntil_) endBreak();
  if (paused_) logPause(true);
  retrySaving();
  // The history's length is the user's to choose: the default does not prune while it answers.
  if (store_ && !services_.defaults.unread()) {
    store_->prune(static_cast<int>(prefs_->keepDays()), now);
  }
  refreshRecap();
  refreshAgents();
  learnAgentFolders();
  if (!running()) return;

  returnTo_.tick(now);
  observer_->scheduleRead(0, ObserverCause::tick);
  policy_.mediaPlaying =
      current_ && Media::isPlaying(services_.platform.media(), current_->target.pid);
  if (prefs_->recording() && recorder_) recorder_->tick(inputCounts(), policy_.mediaPlaying, now);
  policy_.agentWorking = frontAgentWorking();
  policy_.neverInterrupt = prefs_->neverInterrupt();
  policy_.promptOnChat = prefs_->promptOnChat();
  const PolicyDecision decision = policy_.tick(now, idleSeconds());
  notePresence();
  drainWork();
  if (policy_.context()) saveContext();
  const bool drifting = policy_.driftSeconds(now).has_value();
  if ((!decision.isNone() || drifting) && current_ && prefs_->recording() && recorder_) {
    const Moment& moment = current_->observation;
    const auto analysis = analyses_.find(moment.id);
    recorder_->decision(DecisionRecord(
        policy_, analysis == analyses_.end() ? std::nullopt : std::optional(analysis->second),
        moment, std::string(qb::name(decision)), std::nullopt, true, now));
  }
  updateContext();
  act(decision);
}

bool AppModel::frontAgentWorking() const {
  if (!current_ || !current_->observation.agent) return false;
  const AgentSession& front = *current_->observation.agent;
  for (const AgentSession& session : agentSessions_) {
    if (session.agent == front.agent && session.folder == front.folder) return session.busy;
  }
  return false;
}

void AppModel::notePresence() {
  const bool away = policy_.isAway();
  if (away == idleAway_) return;
  assign(idleAway_, away, Property::idleAway);
  if (recorder_) {
    recorder_->system(away ? "away" : "back",
                      current_ ? std::optional(current_->observation.id) : std::nullopt,
                      std::nullopt, services_.wallClock.now());
  }
}

void AppModel::drainWork() {
  const Date now = services_.wallClock.now();
  for (const auto& [task, seconds] : policy_.drainFocus()) {
    if (seconds > 0 && store_) store_->log(EventStore::Kind::work, seconds, task, now);
  }
  // Drained whether or not there is a log to write them to.
  const Duration detours = policy_.drainDetours();
  if (detours > 0 && store_) store_->log(EventStore::Kind::detour, detours, std::nullopt, now);
  const Duration away = policy_.drainAway();
  if (away > 0 && store_) store_->log(EventStore::Kind::away, away, std::nullopt, now);
  for (const Policy::UnsureTime& unsure : policy_.drainUnsure()) {
    daily_.add(unsure.moment, unsure.seconds, now);
  }
  assign(question_, daily_.question(now), Property::question);
}

void AppModel::schedule(Date at) {
  if (checkTask_) services_.timers.cancel(*checkTask_);
  const Duration wait = std::max(0.0, at.since(services_.wallClock.now()));
  checkTask_ = services_.timers.schedule(wait, [this] {
    checkTask_.reset();
    tick();
  });
}

void AppModel::setAway(bool away, std::string_view event) {
  const Date now = services_.wallClock.now();
  if (recorder_) recorder_->system(std::string(event), std::nullopt, std::nullopt, now);
  if (away) {
    if (!awaySince_) awaySince_ = now;
    logPause(false);
    suspend();
    return;
  }
  if (paused_) pausedSince_ = now;
  if (awaySince_ && now.since(*awaySince_) > policy_.config.contextExpiry) policy_.forgetContext();
  awaySince_.reset();
  policy_.interrupt();
  observer_->refresh();
  updateContext();
  if (event == "wake") share();
}

void AppModel::suspend() {
  policy_.interrupt();
  if (checkTask_) services_.timers.cancel(*checkTask_);
  checkTask_.reset();
  // The panel goes without an answer; a prompt that is gone must not steer later snapshots.
  overlay_->close();
  openPrompt_.reset();
  if (recorder_) recorder_->end(services_.wallClock.now(), inputCounts());
}

void AppModel::logPause(bool continuing) {
  if (!pausedSince_) return;
  const Date now = services_.wallClock.now();
  if (store_) store_->log(EventStore::Kind::paused, now.since(*pausedSince_), std::nullopt, now);
  pausedSince_ = continuing ? std::optional(now) : std::nullopt;
}

}  // namespace qb
