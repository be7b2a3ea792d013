// The observer on a real desktop: other programs' windows switched and retitled under a window
// manager, a password field taking the focus, the program's own window in front, and stand-ins
// for the screen saver and logind announcing lock and sleep over D-Bus.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

#include "base/WallClock.h"
#include "desktop/window/TestWindowProcess.h"
#include "desktop/x11/X11TestSupport.h"
#include "platform/Accessibility.h"
#include "platform/ApplicationIdentity.h"
#include "platform/QtRuntime.h"
#include "platform/Workspace.h"
#include "platform/linux/LinuxPlatform.h"
#include "sensing/AX.h"
#include "sensing/Observer.h"

namespace qb {
namespace {

struct Report {
  std::optional<Snapshot> snapshot;
  qint64 atMs;  // since the test began
};

class ObserverDesktopTest : public testing::Test {
protected:
  void SetUp() override {
    // The stand-ins own their names before the platform subscribes to them.
    ASSERT_TRUE(screenSaver_.registerService("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(login_.registerService("org.freedesktop.login1"));
    platform = LinuxPlatform::open();
    ASSERT_TRUE(platform) << "no X display";
    platform->accessibility().setMessagingTimeout(1.0);
    observer = std::make_unique<Observer>(platform->workspace(), platform->accessibility(), timers,
                                          MonotonicClock::steady(), WallClock::system());
    observer->onChange = [this](std::optional<Snapshot> snapshot) {
      reports.push_back({std::move(snapshot), clock.elapsed()});
    };
    observer->onAway = [this](bool away, std::string_view event) {
      awayEvents.emplace_back(away, std::string(event));
    };
    clock.start();
  }
  void TearDown() override {
    observer.reset();
    platform.reset();
    QDBusConnection::disconnectFromBus("fake-screensaver");
    QDBusConnection::disconnectFromBus("fake-login");
  }

  // A copy of the first report from index `from` on that satisfies `matches` (later reports may
  // move the list); fails the test when none comes in time.
  template <typename Matches>
  std::optional<Report> waitForReport(size_t from, Matches matches) {
    std::optional<Report> found;
    (void)QTest::qWaitFor(
        [&] {
          for (size_t i = from; i < reports.size() && !found; ++i) {
            if (matches(reports[i].snapshot)) found = reports[i];
          }
          return found.has_value();
        },
        test::kDesktopLimitMs);
    if (!found) ADD_FAILURE() << "not among the reports: " << described();
    return found;
  }
  std::optional<Report> waitForTitle(const std::string& title, size_t from = 0) {
    return waitForReport(from, [&](const std::optional<Snapshot>& snapshot) {
      return snapshot && snapshot->observation.title == title;
    });
  }
  std::string described() const {
    std::string text;
    for (const Report& report : reports) {
      text += report.snapshot ? "[" + report.snapshot->observation.title + " / " +
                                    std::string(rawValue(report.snapshot->cause)) + "] "
                              : "[-] ";
    }
    return text;
  }
  void sendSignal(QDBusConnection& bus, const char* path, const char* interface, const char* name,
                  bool value) {
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
    signal << value;
    ASSERT_TRUE(bus.send(signal));
  }

  QDBusConnection screenSaver_ =
      QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-screensaver");
  QDBusConnection login_ = QDBusConnection::connectToBus(QDBusConnection::SystemBus, "fake-login");
  QtTimers timers;
  std::unique_ptr<LinuxPlatform> platform;
  std::unique_ptr<Observer> observer;
  std::vector<Report> reports;
  std::vector<std::pair<bool, std::string>> awayEvents;
  QElapsedTimer clock;
  test::Programs programs;
};

TEST_F(ObserverDesktopTest, SwitchesAndRetitlesArriveWithTheirCauses) {
  const auto alpha = programs.terminal("Alpha");
  const auto bravo = programs.terminal("Bravo");
  test::activate(alpha.id);
  observer->start();
  const std::optional<Report> first = waitForTitle("Alpha");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->snapshot->target.pid, alpha.pid);
  EXPECT_EQ(first->snapshot->observation.bundleID, "debian-xterm");
  EXPECT_EQ(first->snapshot->observation.appName, "XTerm");

  const size_t before = reports.size();
  const qint64 switched = clock.elapsed();
  test::activate(bravo.id);
  const std::optional<Report> second = waitForTitle("Bravo", before);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->snapshot->cause, ObserverCause::appSwitch);
  EXPECT_GE(second->atMs - switched, 100) << "a switch is read once its delay has passed";
  EXPECT_EQ(
      second->snapshot->target.window,
      AX::element(platform->accessibility().application(bravo.pid), AXAttribute::focusedWindow));

  const size_t beforeTitle = reports.size();
  test::run("xdotool", {"set_window", "--name", "Bravo 2", test::idText(bravo.id)});
  const std::optional<Report> retitled = waitForTitle("Bravo 2", beforeTitle);
  ASSERT_TRUE(retitled);
  EXPECT_EQ(retitled->snapshot->cause, ObserverCause::titleChange);
  EXPECT_GT(retitled->snapshot->observation.id, second->snapshot->observation.id);
}

TEST_F(ObserverDesktopTest, APasswordFieldInFrontStopsReading) {
  test::TestWindowProcess window("Sign in");
  ASSERT_TRUE(window.started());
  observer->start();
  const std::optional<Report> first = waitForTitle("Sign in");
  ASSERT_TRUE(first);
  // The window's contents are reached through the same element the observer names.
  const AXElement field = AX::find(
      first->snapshot->target.window, 100,
      [](const AXElement&, std::string_view role) { return role == AXRole::secureTextField; });
  EXPECT_TRUE(field) << "the password field, through the window's accessible tree";

  ASSERT_TRUE(window.command("focus password"));
  const auto focusedRole = [&] {
    return AX::string(AX::element(platform->accessibility().application(window.pid()),
                                  AXAttribute::focusedUIElement),
                      AXAttribute::role);
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return platform->accessibility().isSecureInputEnabled(); },
                              test::kDesktopLimitMs))
      << "secure input stayed off; the focused element's role is "
      << testing::PrintToString(focusedRole());
  EXPECT_EQ(focusedRole(), std::string(AXRole::secureTextField));
  const size_t before = reports.size();
  observer->scheduleRead(0, ObserverCause::tick);
  ASSERT_TRUE(waitForReport(before, [](const auto& snapshot) { return !snapshot; }));

  ASSERT_TRUE(window.command("focus text"));
  const size_t typing = reports.size();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !platform->accessibility().isSecureInputEnabled(); },
                              test::kDesktopLimitMs))
      << "secure input stayed on; the focused element's role is "
      << testing::PrintToString(focusedRole());
  observer->scheduleRead(0, ObserverCause::tick);
  EXPECT_TRUE(waitForTitle("Sign in", typing));
}

TEST_F(ObserverDesktopTest, ItsOwnWindowIsNeverReported) {
  observer->isExcludedApp = [](const std::string& id) { return id == kApplicationID; };
  const auto other = programs.terminal("Elsewhere");
  test::activate(other.id);
  observer->start();
  ASSERT_TRUE(waitForTitle("Elsewhere"));

  QWidget own;
  own.setWindowTitle("Quillbrook");
  own.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&own, test::kDesktopLimitMs))
      << "its own window was never exposed";
  const size_t before = reports.size();
  test::activate(own.winId());
  EXPECT_TRUE(waitForReport(before, [](const auto& snapshot) { return !snapshot; }));
  EXPECT_EQ(platform->workspace().frontmostApplication()->bundleID, std::string(kApplicationID));
}

TEST_F(ObserverDesktopTest, LockAndSleepArriveAsAwayWords) {
  observer->start();
  const auto expect = [&](bool away, const std::string& event) {
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !awayEvents.empty() && awayEvents.back() == std::pair(away, event); },
        test::kDesktopLimitMs))
        << "no " << (away ? "away" : "back") << " \"" << event << "\" last among "
        << testing::PrintToString(awayEvents);
  };
  sendSignal(screenSaver_, "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
             "ActiveChanged", true);
  expect(true, "lock");
  sendSignal(login_, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
             true);
  expect(true, "sleep");
  sendSignal(login_, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
             false);
  expect(false, "wake");
  sendSignal(screenSaver_, "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
             "ActiveChanged", false);
  expect(false, "unlock");
  test::run("xset", {"s", "activate"});
  expect(true, "screens sleep");
  test::run("xset", {"s", "reset"});
  expect(false, "screens wake");
  EXPECT_EQ(awayEvents.size(), 6u);
}

// 120 kB of title (as much as one argument of xdotool can carry), cut by the X layer and cleaned
// to its 200 characters by the observation.
TEST_F(ObserverDesktopTest, AHugeTitleArrivesCleaned) {
  constexpr int kCharacters = 60'000;
  constexpr int kKept = 200;
  const auto window = programs.terminal("Small");
  test::activate(window.id);
  observer->start();
  ASSERT_TRUE(waitForTitle("Small"));
  const size_t before = reports.size();
  test::run("xdotool",
            {"set_window", "--name", QString(kCharacters, QChar(0xe9)), test::idText(window.id)});
  std::string expected;
  for (int i = 0; i < kKept; ++i) expected += "\u00e9";
  EXPECT_TRUE(waitForTitle(expected, before));
}

}  // namespace
}  // namespace qb
