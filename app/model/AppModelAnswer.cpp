// The user's answer to a prompt: learned as an example of work or not, recorded, told to the
// policy and the event log, and acted on: back to the work page, a break, or never here.

#include <algorithm>

#include "analysis/ActivityHead.h"
#include "analysis/GuardedAnalyzer.h"
#include "analysis/PersonalStore.h"
#include "base/Log.h"
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
  // The outcome waits for the learning, so that it names an answer only when one was stored.
  const auto learnedOutcome = [this, record = prompt.record, now](PromptOutcome result) {
    return [this, record, now, result](std::optional<Uuid> answer) {
      if (recorder_) recorder_->outcome(result, record, answer, now);
    };
  };
  const auto outcome = [&](PromptOutcome result) { learnedOutcome(result)(std::nullopt); };
  const auto logged = [&](EventStore::Kind kind) {
    if (store_) store_->log(kind, 1, std::nullopt, now);
  };
  switch (action) {
    case PromptAction::back: {
      learn(moment, false, learnedOutcome(PromptOutcome::back));
      policy_.record(Outcome::back, moment, prompt.analysis, now);
      logged(EventStore::Kind::back);
      auto record = std::make_shared<Returned>([this, id = moment.id, now](Return result) {
        if (recorder_) recorder_->system("back to work", id, std::string(detail(result)), now);
      });
      returnsUnderWay_.push_back(record);
      goBack(prompt, [this, record](Return result) {
        std::erase(returnsUnderWay_, record);
        (*record)(result);
      });
      break;
    }
    case PromptAction::related:
      learn(moment, true, learnedOutcome(PromptOutcome::related));
      policy_.record(Outcome::related, moment, prompt.analysis, now);
      logged(EventStore::Kind::related);
      break;
    case PromptAction::breakTime:
      outcome(PromptOutcome::breakTime);
      startBreak(std::nullopt);
      break;
    case PromptAction::dismiss:
      outcome(PromptOutcome::dismiss);
      policy_.record(Outcome::dismissed, moment, prompt.analysis, now);
      logged(EventStore::Kind::dismissed);
      break;
    case PromptAction::never: {
      learn(moment, true, learnedOutcome(PromptOutcome::never));
      const std::vector<std::string>& never = prefs_->neverInterrupt();
      const std::string scope = moment.scope();
      // An edit, not the whole list: while the settings are unread the list shown is not theirs.
      if (moment.host() && std::find(never.begin(), never.end(), scope) == never.end()) {
        prefs_->appendNeverInterrupt(scope);
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

void AppModel::learn(const Moment& moment, bool work, Learned learned) {
  if (!analyzer_) {
    learned(std::nullopt);
    return;
  }
  const Uuid id = Uuid::random();
  std::shared_ptr<Embedding> embedder = analyzer_->analyzer().embedder;
  inBackground(
      *waiter_,
      [embedder, text = ActivityHead::text(moment)]() -> std::optional<Vector> {
        try {
          return embedder->embed(text);
        } catch (const std::exception& error) {
          log::error(std::string("An answer could not be learned: ") + error.what());
          return std::nullopt;
        }
      },
      [this, work, id, site = moment.host().value_or(moment.appName), title = moment.title,
       learned = std::move(learned), epoch = answersEpoch_](std::optional<Vector> vector) mutable {
        // An answer given before all data was deleted is not stored after it.
        if (!vector || epoch != answersEpoch_) {
          learned(std::nullopt);
          return;
        }
        learned(id);
        whenReady(
            personal_->add(std::move(*vector), work, services_.wallClock.now(), title, site, id),
            [this] {
              savePersonal();
              refreshAnswers();
            });
      });
}

void AppModel::bringForward(pid_t pid) {
  const std::optional<RunningApplication> front =
      services_.platform.workspace().frontmostApplication();
  if (front && front->pid == pid) return;
  (void)services_.platform.workspace().activate(pid);
}

void AppModel::whenFocused(const AXElement& window, std::function<void(bool focused)> then) {
  Browsers::whenFocused(
      services_.timers, window, [then = std::move(then), alive = alive_](bool focused) {
        if (!*alive) return;
        if (!focused) {
          log::error(
              "Back to work: the browser window did not take the focus back in time; no "
              "keys were sent to it, and its tab is as it was");
        }
        then(focused);
      });
}

void AppModel::closeDistraction(const OpenPrompt& prompt, const std::optional<Url>& pageToClose,
                                Returned done) {
  const Target& target = prompt.snapshot.target;
  if (!target.tab || !pageToClose) return done(Return::nothing);
  // The prompt has just gone: the window manager may not have handed the focus back yet.
  whenFocused(target.window,
              [this, target, page = *pageToClose, done = std::move(done)](bool focused) {
                done(focused && Browsers::closeTab(services_.platform.keys(), *target.tab, page,
                                                   target.pid, target.window)
                         ? Return::closedTab
                         : Return::nothing);
              });
}

void AppModel::goBack(const OpenPrompt& prompt, Returned done) {
  whenPromptPageRead(prompt, kPageLookWait,
                     [this, prompt, done = std::move(done)](std::optional<Url> page) mutable {
                       goBack(prompt, page, std::move(done));
                     });
}

void AppModel::whenPromptPageRead(const OpenPrompt& prompt, Duration left,
                                  std::function<void(std::optional<Url> page)> then) {
  const std::optional<Snapshot> fresh = observer_->read();
  if (fresh && samePage(*fresh, prompt.snapshot)) return then(fresh->observation.url);
  // The browser is still in front, and its page was not read: it did not answer in time.
  const bool unanswered = fresh && prompt.snapshot.target.tab && !fresh->target.tab &&
                          fresh->target.pid == prompt.snapshot.target.pid;
  if (!unanswered) return then(std::nullopt);
  if (left <= 0) {
    log::error(
        "Back to work: the browser did not show its page to a look in time; its tab is as it "
        "was");
    return then(std::nullopt);
  }
  services_.timers.schedule(
      kPageLookInterval, [this, prompt, left, then = std::move(then), alive = alive_]() mutable {
        if (*alive) whenPromptPageRead(prompt, left - kPageLookInterval, std::move(then));
      });
}

void AppModel::goBack(const OpenPrompt& prompt, const std::optional<Url>& pageToClose,
                      Returned done) {
  const Target& distracting = prompt.snapshot.target;
  const std::optional<LastWork<Snapshot>::Page> work = returnTo_.page();
  if (!work) {
    if (!distracting.tab) {
      done(services_.platform.workspace().hide(distracting.pid) ? Return::hidApp : Return::nothing);
      return;
    }
    closeDistraction(prompt, pageToClose, std::move(done));
    return;
  }
  const Target& workTarget = work->item.target;
  // A Chromium-family tab is known by no number of its own: every tab of that family names the
  // same TabRef, and the distraction is taken to be the work tab itself.
  if (workTarget.tab && workTarget.tab->browser != BrowserKind::firefox && distracting.tab &&
      *distracting.tab == *workTarget.tab) {
    reopen(prompt, pageToClose, std::move(done));
    return;
  }
  // Keys reach only the window that holds the focus: on every path below, the distracting tab is
  // closed before the work window takes it.
  AXElement firefoxTab;  // the work tab to press, in a Firefox window
  if (workTarget.tab && workTarget.window) {
    const AXElement tab = Browsers::workTab(workTarget.window, work->moment.title);
    if (!tab) {
      reopen(prompt, pageToClose, std::move(done));
      return;
    }
    if (workTarget.tab->browser != BrowserKind::firefox) {
      // Raising the window brings the browser forward with it; a tab that could not be chosen
      // leaves the browser where it is, rather than show another page.
      closeDistraction(prompt, pageToClose,
                       [tab, window = workTarget.window, done = std::move(done)](Return result) {
                         if (!Browsers::select(tab, window)) {
                           log::error(
                               "Back to work: the browser did not bring the work tab "
                               "forward");
                         }
                         done(result);
                       });
      return;
    }
    firefoxTab = tab;
  }
  // A Firefox window comes forward whatever the press of its tab gave: the work tab is in it, a
  // click away.
  closeDistraction(prompt, pageToClose,
                   [this, firefoxTab, pid = workTarget.pid, window = workTarget.window,
                    done = std::move(done)](Return result) {
                     if (firefoxTab && !firefoxTab.node()->perform(AXAction::press)) {
                       log::error("Back to work: the browser did not choose the work tab");
                     }
                     bringForward(pid);
                     if (window) (void)window.node()->perform(AXAction::raise);
                     done(result);
                   });
}

void AppModel::reopen(const OpenPrompt& prompt, const std::optional<Url>& pageToClose,
                      Returned done) {
  const Target& distracting = prompt.snapshot.target;
  const std::optional<LastWork<Snapshot>::Page> work = returnTo_.page();
  const bool sameSite = lastWorkName() == prompt.snapshot.observation.host();
  if (work && work->moment.url && !sameSite) {
    if (!distracting.tab || !pageToClose) {
      done(Return::nothing);
      return;
    }
    // Told only once the browser shows the work page: a redirect that never arrived opened nothing.
    whenFocused(distracting.window, [this, distracting, page = *pageToClose, to = *work->moment.url,
                                     done = std::move(done)](bool focused) mutable {
      if (!focused) return done(Return::nothing);
      Browsers::redirect(services_.platform.keys(), services_.timers, *distracting.tab, page, to,
                         distracting.pid, distracting.window,
                         [done = std::move(done), alive = alive_](bool arrived) {
                           if (*alive) done(arrived ? Return::openedPage : Return::nothing);
                         });
    });
    return;
  }
  closeDistraction(prompt, pageToClose, std::move(done));
}

}  // namespace qb
