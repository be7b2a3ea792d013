// The user's commands from the menu and the pages: pause and resume, breaks, the daily question,
// and forgetting an answer.

#include <cmath>
#include <filesystem>

#include "analysis/PersonalStore.h"
#include "model/AppModel.h"
#include "recording/EventStore.h"
#include "recording/Recorder.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"

namespace qb {

void AppModel::pause() {
  assign(paused_, true, Property::paused);
  // An absence already counts this time; a pause on top of it would count it twice.
  pausedSince_ = awaySince_ ? std::nullopt : std::optional(services_.wallClock.now());
  recordSystem("pause", std::nullopt);
  suspend();
  // The break's end is a scheduled check, which suspending cancels: it must still come on time.
  if (breakUntil_) schedule(*breakUntil_);
}

void AppModel::resume() {
  logPause(false);
  assign(paused_, false, Property::paused);
  recordSystem("resume", std::nullopt);
  policy_.interrupt();
  observer_->refresh();
  refreshRecap();
}

void AppModel::startBreak(std::optional<int> minutes) {
  const int length = minutes.value_or(static_cast<int>(prefs_->breakMinutes()));
  const Date now = services_.wallClock.now();
  logBreak();  // a break that replaces a running one ends that one here
  breakStarted_ = now;
  assign(breakUntil_, std::optional(now + length * 60.0), Property::breakUntil);
  recordSystem("break start", std::to_string(length) + " min");
  suspend();
  schedule(*breakUntil_);
}

void AppModel::endBreak() {
  logBreak();
  assign(breakUntil_, std::optional<Date>(), Property::breakUntil);
  recordSystem("break end", std::nullopt);
  policy_.interrupt();
  observer_->refresh();
}

void AppModel::logBreak() {
  if (!breakStarted_ || !breakUntil_) return;
  const Date started = *std::exchange(breakStarted_, std::nullopt);
  // The event sits at the break's start, as the time it was taken; it counts only the time
  // really taken, so a break ended early does not fill the day's figures with the rest.
  const Date ended = std::min(services_.wallClock.now(), *breakUntil_);
  if (store_)
    store_->log(EventStore::Kind::breakTaken, ended.since(started), std::nullopt, started);
}

void AppModel::answerQuestion(bool work) {
  if (!question_) return;
  const Date now = services_.wallClock.now();
  const Moment moment = question_->moment;
  learn(moment, work, [this, work, id = moment.id, now](std::optional<Uuid> answer) {
    if (recorder_) recorder_->label(work ? "work" : "distraction", id, "question", answer, now);
  });
  daily_.answer(now);
  prefs_->setQuestionAnswered(daily_.answered);
  assign(question_, std::optional<DailyQuestion::Page>(), Property::question);
}

void AppModel::endAllowance(const std::string& scope) {
  policy_.endAllowance(scope);
  saveAllowances();
  refreshAnswers();
}

void AppModel::forgetAnswer(const Uuid& id) {
  const Date now = services_.wallClock.now();
  std::error_code ignored;
  if (std::filesystem::exists(recordingURL(), ignored)) {
    if (Recorder* recorder = openRecorder()) recorder->retract(id, now);
  }
  whenReady(personal_->forget(id), [this] {
    savePersonal();
    refreshAnswers();
  });
}

}  // namespace qb
