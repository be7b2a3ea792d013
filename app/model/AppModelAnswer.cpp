// The user's answer to a prompt: learned as an example of work or not, recorded, told to the
// policy and the event log, and acted on: back to the work page, a break, or never here.

#include <algorithm>

#include "analysis/ActivityHead.h"
#include "analysis/GuardedAnalyzer.h"
#include "analysis/PersonalStore.h"
#include "model/AppModel.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"
#include "recording/EventStore.h"
#include "recording/PromptOutcome.h"
#include "recording/Recorder.h"
#include "sensing/AX.h"
#include "sensing/Browsers.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"

namespace qb {

std::string_view AppModel::detail(Return result) {
  switch (result) {
    case Return::closedTab:
      return "closed the tab";
    case Return::openedPage:
      return "opened the work page";
    case Return::hidApp:
      return "hid the app";
    case Return::nothing:
      break;
  }
  return "nothing closed";
}

void AppModel::finish(PromptAction action, const OpenPrompt& prompt) {
  const Moment moment = prompt.snapshot.observation;
  const Date now = services_.wallClock.now();
  openPrompt_.reset();
  const auto outcome = [&](PromptOutcome result, std::optional<Uuid> answer) {
    if (recorder_) recorder_->outcome(result, prompt.record, answer, now);
  };
  const auto logged = [&](EventStore::Kind kind) {
    if (store_) store_->log(kind, 1, std::nullopt, now);
  };
  switch (action) {
    case PromptAction::back: {
      outcome(PromptOutcome::back, learn(moment, false));
      policy_.record(Outcome::back, moment, prompt.analysis, now);
      logged(EventStore::Kind::back);
      const Return result = goBack(prompt);
      if (recorder_) {
        recorder_->system("back to work", moment.id, std::string(detail(result)), now);
      }
      break;
    }
    case PromptAction::related:
      outcome(PromptOutcome::related, learn(moment, true));
      policy_.record(Outcome::related, moment, prompt.analysis, now);
      logged(EventStore::Kind::related);
      break;
    case PromptAction::breakTime:
      outcome(PromptOutcome::breakTime, std::nullopt);
      startBreak(std::nullopt);
      break;
    case PromptAction::dismiss:
      outcome(PromptOutcome::dismiss, std::nullopt);
      policy_.record(Outcome::dismissed, moment, prompt.analysis, now);
      logged(EventStore::Kind::dismissed);
      break;
    case PromptAction::never: {
      outcome(PromptOutcome::never, learn(moment, true));
      std::vector<std::string> never = prefs_->neverInterrupt();
      const std::string scope = moment.scope();
      if (moment.host() && std::find(never.begin(), never.end(), scope) == never.end()) {
        never.push_back(scope);
        prefs_->setNeverInterrupt(never);
      }
      policy_.neverInterrupt = prefs_->neverInterrupt();
      // Never here is for work, as far as the policy and the log are concerned.
      policy_.record(Outcome::related, moment, prompt.analysis, now);
      logged(EventStore::Kind::related);
      break;
    }
  }
  saveAllowances();
  refreshAnswers();
  updateContext();
  refreshRecap();
}

std::optional<Uuid> AppModel::learn(const Moment& moment, bool work) {
  if (!analyzer_) return std::nullopt;
  const Uuid id = Uuid::random();
  std::shared_ptr<Embedding> embedder = analyzer_->analyzer().embedder;
  const std::string text = ActivityHead::text(moment);
  const std::string site = moment.host().value_or(moment.appName);
  // The encoder runs off the main thread; the answer is stored once its vector is known.
  waiter_->post([this, embedder, text, work, id, site, title = moment.title, alive = alive_,
                 &main = services_.main] {
    std::optional<Vector> vector;
    try {
      vector = embedder->embed(text);
    } catch (const std::exception&) {
      return;  // nothing is stored for an answer that cannot be embedded
    }
    main.post([this, vector = std::move(*vector), work, id, site, title, alive]() mutable {
      if (!*alive) return;
      whenReady(personal_->add(std::move(vector), work, services_.wallClock.now(), title, site, id),
                [this] {
                  savePersonal();
                  refreshAnswers();
                });
    });
  });
  return id;
}

void AppModel::bringForward(pid_t pid) {
  const std::optional<RunningApplication> front =
      services_.platform.workspace().frontmostApplication();
  if (front && front->pid == pid) return;
  (void)services_.platform.workspace().activate(pid);
}

AppModel::Return AppModel::closeDistraction(const OpenPrompt& prompt,
                                            const std::optional<Url>& pageToClose) {
  const Target& target = prompt.snapshot.target;
  if (!target.tab || !pageToClose) return Return::nothing;
  return Browsers::closeTab(services_.platform.keys(), *target.tab, *pageToClose, target.pid,
                            target.window)
             ? Return::closedTab
             : Return::nothing;
}

AppModel::Return AppModel::goBack(const OpenPrompt& prompt) {
  const Target& distracting = prompt.snapshot.target;
  std::optional<Url> pageToClose;
  if (const std::optional<Snapshot> fresh = observer_->read();
      fresh && samePage(*fresh, prompt.snapshot)) {
    pageToClose = fresh->observation.url;
  }
  const std::optional<LastWork<Snapshot>::Page> work = returnTo_.page();
  if (!work) {
    if (!distracting.tab) {
      return services_.platform.workspace().hide(distracting.pid) ? Return::hidApp
                                                                  : Return::nothing;
    }
    return closeDistraction(prompt, pageToClose);
  }
  const Target& workTarget = work->item.target;
  if (workTarget.tab && workTarget.tab->browser != BrowserKind::firefox) {
    if (!distracting.tab) {
      Browsers::select(*workTarget.tab);
      return Return::nothing;
    }
    if (*distracting.tab != *workTarget.tab) {
      Browsers::select(*workTarget.tab);
      return closeDistraction(prompt, pageToClose);
    }
    return reopen(prompt, pageToClose);
  }
  if (workTarget.tab && workTarget.window) {
    const AXElement tab = AX::find(workTarget.window, Browsers::kWindowSearchNodes,
                                   Browsers::firefoxTab(work->moment.title));
    if (!tab) return reopen(prompt, pageToClose);
    const Return result = closeDistraction(prompt, pageToClose);
    (void)tab.node()->perform(AXAction::press);
    bringForward(workTarget.pid);
    (void)workTarget.window.node()->perform(AXAction::raise);
    return result;
  }
  const Return result = closeDistraction(prompt, pageToClose);
  bringForward(workTarget.pid);
  if (workTarget.window) (void)workTarget.window.node()->perform(AXAction::raise);
  return result;
}

AppModel::Return AppModel::reopen(const OpenPrompt& prompt, const std::optional<Url>& pageToClose) {
  const Target& distracting = prompt.snapshot.target;
  const std::optional<LastWork<Snapshot>::Page> work = returnTo_.page();
  const bool sameSite = lastWorkName() == prompt.snapshot.observation.host();
  if (work && work->moment.url && !sameSite) {
    if (!distracting.tab || !pageToClose) return Return::nothing;
    Browsers::redirect(services_.platform.keys(), services_.timers, *distracting.tab, *pageToClose,
                       *work->moment.url, distracting.pid, distracting.window, [](bool) {});
    return Return::openedPage;
  }
  return closeDistraction(prompt, pageToClose);
}

}  // namespace qb
