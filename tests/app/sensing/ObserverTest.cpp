#include <gtest/gtest.h>

#include <map>

#include "base/Text.h"
#include "platform/fake/FakePlatform.h"
#include "sensing/Observer.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

using Cause = Observer::Cause;

struct Window {
  AXElement element;
  std::shared_ptr<fake::FakeNode> node;
};

class ObserverTest : public testing::Test {
protected:
  ObserverTest() {
    observer.onChange = [this](std::optional<Snapshot> snapshot) {
      reports.push_back(std::move(snapshot));
      reportTimes.push_back(timers.now());
    };
    observer.onAway = [this](bool away, std::string_view event) {
      awayEvents.emplace_back(away, std::string(event));
    };
  }

  // Puts an application in front, focused on a new window with that title.
  Window& bringToFront(pid_t pid, const std::string& id, const std::string& title) {
    platform.workspaceFake.frontmost = RunningApplication{pid, id, id + " app"};
    auto [element, node] = ax().makeElement();
    node->set(AXAttribute::title, title);
    ax().applicationNode(pid)->set(AXAttribute::focusedWindow, element);
    return windows[pid] = Window{element, node};
  }
  Window& activate(pid_t pid, const std::string& id, const std::string& title) {
    Window& window = bringToFront(pid, id, title);
    emit platform.workspaceFake.applicationActivated();
    return window;
  }
  void retitle(pid_t pid, const std::string& title) {
    windows[pid].node->set(AXAttribute::title, title);
    ax().notify(pid, windows[pid].element, AXNotification::titleChanged);
  }
  fake::FakeAccessibility& ax() { return platform.accessibilityFake; }
  std::vector<std::string> titles() const {
    std::vector<std::string> out;
    for (const auto& report : reports) out.push_back(report ? report->observation.title : "-");
    return out;
  }
  Cause lastCause() const { return reports.back().value().cause; }

  fake::FakePlatform platform;
  test::ManualTimers timers;
  test::ManualTimersClock clock{timers};
  test::ManualTimersWallClock wallClock{timers};
  Observer observer{platform.workspaceFake, platform.accessibilityFake, timers, clock, wallClock};
  std::vector<std::optional<Snapshot>> reports;
  std::vector<Duration> reportTimes;
  std::vector<std::pair<bool, std::string>> awayEvents;
  std::map<pid_t, Window> windows;
};

TEST_F(ObserverTest, SwitchReadsAfterItsDelayAndSettlesLater) {
  bringToFront(10, "org.gnome.TextEditor", "Notes");
  observer.start();
  timers.advance(0);
  EXPECT_TRUE(reports.empty()) << "a switch waits its delay";
  timers.advance(Observer::kSwitchDelay);
  ASSERT_EQ(titles(), std::vector<std::string>{"Notes"});
  EXPECT_EQ(lastCause(), Cause::appSwitch);
  EXPECT_EQ(reports[0]->observation.id, 1u);
  EXPECT_EQ(reports[0]->observation.appName, "org.gnome.TextEditor app");
  EXPECT_EQ(reports[0]->target.pid, 10);
  EXPECT_EQ(reports[0]->target.window, windows[10].element);

  // The settle read finds the same key and passes nothing, but it did read.
  windows[10].node->set(AXAttribute::title, "Notes 2");  // changed without a notification
  timers.advance(Observer::kSettleDelay - Observer::kSwitchDelay);
  EXPECT_EQ(titles(), (std::vector<std::string>{"Notes", "Notes 2"}));
  EXPECT_EQ(lastCause(), Cause::settle);
  EXPECT_DOUBLE_EQ(reportTimes.back(), Observer::kSettleDelay);
}

TEST_F(ObserverTest, ChangesInsideThePendingDelayAreAbsorbed) {
  bringToFront(10, "xterm", "shell");
  observer.start();
  timers.advance(0.05);
  retitle(10, "shell 2");  // due at 0.3, later than the pending switch read
  timers.advance(1);
  ASSERT_EQ(titles(), std::vector<std::string>{"shell 2"});
  EXPECT_EQ(lastCause(), Cause::appSwitch);
  EXPECT_DOUBLE_EQ(reportTimes[0], Observer::kSwitchDelay);
}

TEST_F(ObserverTest, AnEarlierRequestReplacesThePendingRead) {
  bringToFront(10, "xterm", "shell");
  observer.start();
  timers.advance(2);
  retitle(10, "make");
  timers.advance(0.05);
  observer.scheduleRead(0, Cause::tick);
  observer.scheduleRead(0, Cause::settle);  // due no earlier: dropped with its cause
  timers.advance(1);
  ASSERT_EQ(titles(), (std::vector<std::string>{"shell", "make"}));
  EXPECT_EQ(lastCause(), Cause::tick);
  EXPECT_EQ(timers.pending(), 0u) << "the replaced read is cancelled, not left to run";
}

TEST_F(ObserverTest, TitleAndWindowNotificationsReadAfterTheirDelay) {
  Window& first = bringToFront(10, "xterm", "shell");
  observer.start();
  timers.advance(2);

  retitle(10, "vim notes.txt");
  timers.advance(Observer::kChangeDelay);
  EXPECT_EQ(lastCause(), Cause::titleChange);

  // Another window of the same application takes the focus: its title is watched, the old one's
  // is not.
  auto [second, node] = ax().makeElement();
  node->set(AXAttribute::title, "man bash");
  ax().applicationNode(10)->set(AXAttribute::focusedWindow, second);
  ax().notify(10, ax().application(10), AXNotification::focusedWindowChanged);
  timers.advance(Observer::kChangeDelay);
  EXPECT_EQ(lastCause(), Cause::windowChange);
  EXPECT_EQ(ax().notify(10, first.element, AXNotification::titleChanged), 0);
  EXPECT_EQ(ax().notify(10, second, AXNotification::titleChanged), 1);
  EXPECT_EQ(ax().registrations(10, AXNotification::titleChanged), 2)
      << "the application's registration and the focused window's";
}

TEST_F(ObserverTest, OnlyChangedKeysArePassedOn) {
  bringToFront(10, "xterm", "shell");
  observer.start();
  timers.advance(2);
  windows[10].node->set(AXAttribute::document, "file:///home/ada/notes.txt");
  observer.scheduleRead(0, Cause::tick);
  timers.advance(0);
  EXPECT_EQ(reports.size(), 1u) << "a different document alone is the same key";

  // Identifiers are consumed by every read, passed on or not.
  retitle(10, "other");
  timers.advance(1);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1]->observation.id, 4u);
  EXPECT_EQ(reports[1]->observation.document, "notes.txt");
}

TEST_F(ObserverTest, ExcludedApplicationsReportNothingOnceAndAreNotAsked) {
  observer.isExcludedApp = [](const std::string& id) { return id.starts_with("secret"); };
  bringToFront(10, "xterm", "shell");
  observer.start();
  timers.advance(2);

  const int readsBefore = ax().reads();
  activate(20, "secret.one", "vault");
  timers.advance(2);
  activate(30, "secret.two", "vault");
  timers.advance(2);
  EXPECT_EQ(ax().reads(), readsBefore) << "nothing is asked of an excluded application";

  activate(10, "xterm", "shell");
  timers.advance(2);
  EXPECT_EQ(titles(), (std::vector<std::string>{"shell", "-", "shell"}));
}

TEST_F(ObserverTest, RefreshPassesTheSameFrontAgain) {
  bringToFront(10, "xterm", "shell");
  observer.start();
  timers.advance(2);
  observer.refresh();
  timers.advance(2);
  EXPECT_EQ(titles(), (std::vector<std::string>{"shell", "shell"}));

  ax().secureInput = true;
  observer.refresh();
  timers.advance(2);
  observer.refresh();
  timers.advance(2);
  EXPECT_EQ(titles(), (std::vector<std::string>{"shell", "shell", "-", "-"}));
}

TEST_F(ObserverTest, WithoutPermissionNothingIsAttachedOrRead) {
  ax().trusted = false;
  bringToFront(10, "xterm", "shell");
  observer.start();
  timers.advance(2);
  EXPECT_EQ(ax().liveObservers(), 0);
  EXPECT_EQ(titles(), std::vector<std::string>{"-"});

  ax().trusted = true;
  observer.refresh();
  timers.advance(2);
  EXPECT_EQ(ax().liveObservers(), 1);
  ASSERT_EQ(titles(), (std::vector<std::string>{"-", "shell"}));
  EXPECT_EQ(reports.back()->observation.id, 1u) << "refused reads consume no identifier";
}

TEST_F(ObserverTest, DirectReadsLeaveTheLastKeyAlone) {
  bringToFront(10, "xterm", "shell");
  observer.start();
  timers.advance(2);
  std::optional<Snapshot> direct = observer.read();
  ASSERT_TRUE(direct);
  EXPECT_EQ(direct->cause, Cause::tick);
  EXPECT_EQ(direct->readTime, 0);
  EXPECT_EQ(direct->observation.id, 3u);

  observer.scheduleRead(0, Cause::tick);
  timers.advance(0);
  EXPECT_EQ(reports.size(), 1u) << "the direct read did not make the same key new";
}

TEST_F(ObserverTest, NoFrontApplicationDropsTheOldOnesWork) {
  bringToFront(10, "xterm", "shell");
  observer.start();
  timers.advance(Observer::kSwitchDelay);
  platform.workspaceFake.frontmost.reset();
  emit platform.workspaceFake.applicationActivated();
  EXPECT_EQ(ax().liveObservers(), 0);
  windows[10].node->set(AXAttribute::title, "changed");
  timers.advance(5);
  EXPECT_EQ(titles(), std::vector<std::string>{"shell"}) << "no settle read for a program gone";
}

TEST_F(ObserverTest, DocumentsAreNamedByTheirAddressesLastComponent) {
  Window& window = bringToFront(10, "org.gnome.TextEditor", "Notes");
  const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
      {"file:///home/ada/My%20Notes.txt", "My Notes.txt"},
      {"https://example.org/a/report.pdf", "report.pdf"},
      {"", std::nullopt},
  };
  for (const auto& [document, expected] : cases) {
    SCOPED_TRACE(document);
    window.node->set(AXAttribute::document, document);
    EXPECT_EQ(observer.read().value().observation.document, expected);
  }
  window.node->set(AXAttribute::document, 42.0);
  EXPECT_EQ(observer.read().value().observation.document, std::nullopt) << "not text";
}

TEST_F(ObserverTest, LongAddressesAreCutAsTitlesAreOnceExclusionsSawThemWhole) {
  Window& window = bringToFront(10, "firefox", "Page");
  auto [page, node] = ax().makeElement();
  node->set(AXAttribute::role, std::string(AXRole::webArea));
  window.node->set(AXAttribute::children, std::vector<AXElement>{page});
  const size_t bound = Observer::kMaxAddressScalars;
  // Scalars of two bytes each, so that a cut counting bytes would show.
  const auto accents = [](size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += "\xC3\xA9";
    return text;
  };
  node->set(AXAttribute::url, "https://work.example/" + accents(3 * bound));
  window.node->set(AXAttribute::document, "file:///home/ada/" + accents(bound + 1));
  const Moment seen = observer.read().value().observation;
  EXPECT_EQ(text::scalarCount(seen.url.value().absoluteString()), bound);
  EXPECT_EQ(seen.host(), "work.example");
  EXPECT_EQ(text::scalarCount(seen.document.value()), bound);

  // A cut inside the authority would leave another site: part of the user as the host, or the
  // user as the host and the password as a port, even where that user is the host's own name.
  // Such an address is not kept at all.
  for (const std::string& address :
       {"https://" + std::string(bound + 52, 'u') + ":pw@example.com/",
        "https://bank.example:" + std::string(bound + 52, '0') + "@good.example/",
        "https://good.example:" + std::string(bound + 52, '0') + "@good.example/"}) {
    SCOPED_TRACE(address.substr(0, 24));
    node->set(AXAttribute::url, address);
    const Moment cut = observer.read().value().observation;
    EXPECT_FALSE(cut.url.has_value()) << "kept, with the host " << cut.host().value_or("");
    EXPECT_EQ(cut.title, "Page");
  }

  // A host told only by the whole address: cut first, it would pass as "uuu...".
  observer.isExcludedHost = [](const std::string& host) { return host == "hidden.example"; };
  node->set(AXAttribute::url, "https://" + std::string(bound, 'u') + "@hidden.example/");
  EXPECT_FALSE(observer.read().has_value());
}

TEST_F(ObserverTest, SessionEventsReachOnAwayAsWords) {
  observer.start();
  emit platform.workspaceFake.willSleep();
  emit platform.workspaceFake.didWake();
  emit platform.workspaceFake.screensDidSleep();
  emit platform.workspaceFake.screensDidWake();
  emit platform.workspaceFake.screenLocked();
  emit platform.workspaceFake.screenUnlocked();
  const std::vector<std::pair<bool, std::string>> expected = {
      {true, "sleep"},         {false, "wake"}, {true, "screens sleep"},
      {false, "screens wake"}, {true, "lock"},  {false, "unlock"}};
  EXPECT_EQ(awayEvents, expected);
}

}  // namespace
}  // namespace qb
