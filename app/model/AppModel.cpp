#include "model/AppModel.h"

#include <cmath>

#include "analysis/GuardedAnalyzer.h"
#include "analysis/PersonalStore.h"
#include "base/Calendar.h"
#include "base/Log.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"
#include "prompt/Overlay.h"
#include "recording/ContextRecord.h"
#include "recording/EventStore.h"
#include "recording/Recorder.h"
#include "recording/Uploader.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"

namespace qb {

AppModel::AppModel(Services services, std::unique_ptr<Uploader> uploader)
    : services_(std::move(services)),
      prefs_(std::make_unique<Prefs>(services_.defaults, services_.loginItem)),
      accessibility_(services_.platform.accessibility().isProcessTrusted()),
      today_{Calendar::current().startOfDay(services_.wallClock.now()), {}, {}},
      sharingAvailable_(uploader != nullptr),
      observer_(std::make_unique<Observer>(services_.platform.workspace(),
                                           services_.platform.accessibility(), services_.timers,
                                           services_.clock, services_.wallClock)),
      overlay_(std::make_unique<Overlay>(services_.platform.workspace(),
                                         services_.platform.accessibility(),
                                         services_.platform.keyGrab(), services_.timers)),
      policy_(PolicyConfig()),
      personal_(std::make_shared<PersonalStore>()),
      uploader_(std::move(uploader)),
      waiter_(std::make_unique<SerialExecutor>()),
      files_([this, alive = alive_, &main = services_.main](bool unwritten) {
        main.post([this, alive, unwritten] {
          if (!*alive) return;
          memoriesUnwritten_ = unwritten;
          showMemoriesState();
        });
      }) {
  // The store outlives the model; a later model (or none) replaces what it calls.
  services_.defaults.setChanged([this, alive = std::weak_ptr<bool>(alive_)] {
    const std::shared_ptr<bool> live = alive.lock();
    if (live && *live) showSettingsState();
  });
  showSettingsState();
}

AppModel::~AppModel() {
  logBreak();  // a break running as the program ends was taken until now
  *alive_ = false;
  // The program is ending: an analysis still running would touch the model while the process
  // exits. A stuck one is left after the analysis time limit.
  if (analyzer_ && !analyzer_->waitUntilIdle(kAnalysisTimeout)) {
    log::error("An analysis was still running as the program ended");
  }
  waiter_.reset();  // its waits end before the fields they read go
  for (const std::filesystem::path& path : unreadMemories_) {
    log::error("Learned: " + path.string() +
               " could not be read this run; it is kept as it was, and what was learned of its "
               "kind since the start is lost");
  }
  for (const std::optional<Timers::Id>& timer :
       {ticker_, sharer_, accessPoll_, modelRetry_, checkTask_, agentPoll_}) {
    if (timer) services_.timers.cancel(*timer);
  }
}

bool AppModel::affectsStatus(Property property) {
  switch (property) {
    case Property::accessibility:
    case Property::modelState:
    case Property::paused:
    case Property::breakUntil:
    case Property::protecting:
    case Property::idleAway:
      return true;
    default:
      return false;
  }
}

AppModel::Status AppModel::status() const {
  using Kind = Status::Kind;
  if (!accessibility_) return {Kind::needsAccess, std::nullopt};
  if (modelState_ == ModelState::failed) return {Kind::modelUnavailable, std::nullopt};
  if (paused_) return {Kind::paused, std::nullopt};
  if (breakUntil_) return {Kind::onBreak, breakUntil_};
  if (idleAway_) return {Kind::away, std::nullopt};
  return {protecting_ ? Kind::protecting : Kind::learning, std::nullopt};
}

bool AppModel::running() const {
  const Status::Kind kind = status().kind;
  const bool live = kind == Status::Kind::learning || kind == Status::Kind::protecting ||
                    kind == Status::Kind::away;
  return live && !awaySince_;
}

void AppModel::setAccessibility(bool value) {
  assign(accessibility_, value, Property::accessibility);
}
void AppModel::setModelState(ModelState value) { assign(modelState_, value, Property::modelState); }
void AppModel::setShared(int64_t value) { assign(shared_, value, Property::shared); }

void AppModel::setLearned(double value) {
  // A NaN equals nothing, itself included: it always counts as a change.
  assign(learned_, value, Property::learned);
}

void AppModel::setRecorded(Recorded value) {
  recorded_ = value;
  emit changed(Property::recorded);
}

void AppModel::setUnsaved(Unsaved kind, bool waiting) {
  std::set<Unsaved> now = unsaved_;
  if (waiting) {
    now.insert(kind);
  } else {
    now.erase(kind);
  }
  assign(unsaved_, std::move(now), Property::unsaved);
}

void AppModel::showSettingsState() {
  setUnsaved(Unsaved::settings, services_.defaults.unsaved());
  setUnsaved(Unsaved::unreadSettings, services_.defaults.unread());
}

void AppModel::setAllowed(std::vector<Allowed> value) {
  allowed_ = std::move(value);
  emit changed(Property::allowed);
}

void AppModel::recordSystem(std::string_view event, std::optional<std::string> detail) {
  if (recorder_) {
    recorder_->system(std::string(event), std::nullopt, std::move(detail),
                      services_.wallClock.now());
  }
}

void AppModel::updateContext(std::optional<std::string_view> event) {
  const Date now = services_.wallClock.now();
  std::optional<std::string> summary = policy_.contextSummary(now);
  if (summary != recordedContext_) {
    std::string word = event               ? std::string(*event)
                       : !recordedContext_ ? "formed"
                       : !summary          ? "expired"
                                           : "updated";
    if (recorder_) recorder_->context(ContextRecord(word, policy_, now));
    recordedContext_ = std::move(summary);
    saveContext();
  }
  assign(protecting_, policy_.context().has_value(), Property::protecting);
  assign(workingOn_, policy_.workingOn(now), Property::workingOn);
  // Assigned only when it differs, which a NaN always does.
  const double learned = policy_.learnedSeconds();
  if (!(learned == learned_)) setLearned(learned);
}

void AppModel::refreshRecap() {
  const Date now = services_.wallClock.now();
  const Calendar calendar = Calendar::current();
  const Date today = calendar.startOfDay(now);
  // The first day's own start: six days back from today's start keeps today's wall time, which is
  // not midnight on a day whose clocks skip it.
  const std::vector<Date> starts = History::dayStarts(kRecapDays, now, calendar);
  const Date weekStart = starts.empty() ? today : starts.front();
  std::vector<EventStore::Event> events;
  if (store_) events = store_->events(weekStart);
  std::vector<EventStore::Event> todays;
  for (const EventStore::Event& event : events) {
    if (event.at >= today) todays.push_back(event);
  }
  assign(today_,
         Today{today, History::spans(todays, today, now, kSpanGap),
               History::prompts(todays, today, now)},
         Property::today);
  assign(week_, History::days(events, kRecapDays, now, calendar), Property::week);
  const auto tasks = [](const std::vector<EventStore::Event>& of) {
    std::vector<TaskTime> times;
    for (const History::Task& task : History::tasks(of)) times.push_back({task.name, task.seconds});
    return times;
  };
  assign(weekTasks_, tasks(events), Property::weekTasks);
  assign(todayTasks_, tasks(todays), Property::todayTasks);
}

void AppModel::refreshAnswers() {
  std::vector<Allowed> active;
  for (const Allowances::Active& entry : policy_.allowances().active(services_.wallClock.now())) {
    active.push_back({entry.scope, entry.allowance});
  }
  setAllowed(std::move(active));
  whenReady(personal_->memory(), [this](PersonalMemory memory) {
    std::vector<PersonalMemory::Example> newestFirst(memory.examples.rbegin(),
                                                     memory.examples.rend());
    assign(answers_, std::move(newestFirst), Property::answers);
  });
}

}  // namespace qb
