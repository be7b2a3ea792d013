// The accessibility bus against a real Qt window on the session's desktop.

#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <chrono>

#include "desktop/DesktopLimits.h"
#include "desktop/window/TestWindowProcess.h"
#include "desktop/x11/X11TestSupport.h"
#include "platform/linux/AtspiBus.h"
#include "sensing/AX.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

using test::TestWindowProcess;

// Long enough for this process's own focus event to come back to it through the bus.
constexpr int kOwnFocusSettleMs = 1500;

class AtspiBusTest : public testing::Test {
protected:
  void SetUp() override {
    bus_ = AtspiBus::open();
    ASSERT_TRUE(bus_) << "no accessibility bus";
    ASSERT_TRUE(bus_->isEnabled()) << "the session should have enabled the bus";
    bus_->setTimeout(1.0);
  }

  // Starts a window and waits until its frame is on the bus.
  AXElement show(TestWindowProcess& window, const std::string& title) {
    EXPECT_TRUE(window.started()) << title << " did not say it showed itself";
    AXElement frame;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return static_cast<bool>(frame = bus_->frameOf(window.pid(), title)); },
        test::kDesktopLimitMs))
        << title << " showed itself, and the bus names no frame of it: its application is "
        << (bus_->applicationOf(window.pid()) ? "on the bus" : "not on the bus");
    return frame;
  }

  // The role of the element that has the focus in the process's window, for a failure to show.
  std::string focusedRole(pid_t pid) const {
    return AX::string(AX::element(bus_->applicationOf(pid), AXAttribute::focusedUIElement),
                      AXAttribute::role)
        .value_or("unknown");
  }

  std::unique_ptr<AtspiBus> bus_;
};

std::vector<std::string> rolesAndTitles(const AXElement& frame) {
  std::vector<std::string> seen;
  for (const AXElement& child : AX::children(frame))
    seen.push_back(AX::string(child, AXAttribute::role).value_or("?") + " " +
                   AX::string(child, AXAttribute::title).value_or("?"));
  return seen;
}

TEST_F(AtspiBusTest, TheBusSwitchIsFollowedAndCanBeTurnedBackOn) {
  // Another program (a settings panel) turns the bus off.
  QDBusMessage off = QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus",
                                                    "org.freedesktop.DBus.Properties", "Set");
  off << "org.a11y.Status"
      << "IsEnabled" << QVariant::fromValue(QDBusVariant(false));
  ASSERT_EQ(QDBusConnection::sessionBus().call(off).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !bus_->isEnabled(); }, test::kDesktopLimitMs))
      << "the bus still reads as on";

  EXPECT_TRUE(bus_->enable());
  EXPECT_TRUE(bus_->isEnabled());
}

TEST_F(AtspiBusTest, FindsTheFrontFrameOfAProcessAndFollowsItsTitle) {
  TestWindowProcess window("Plan review");
  AXElement frame = show(window, "Plan review");
  ASSERT_TRUE(frame);
  EXPECT_EQ(AX::string(frame, AXAttribute::title), "Plan review");
  AXElement application = AX::element(frame, AXAttribute::parent);
  EXPECT_EQ(AX::string(application, AXAttribute::role), "AXApplication");
  EXPECT_EQ(application, bus_->applicationOf(window.pid()));
  // The frame turns active once the window manager has given it the focus, a moment later.
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return AX::element(application, AXAttribute::focusedWindow) == frame; },
                      test::kDesktopLimitMs))
      << "the application's focused window is titled "
      << testing::PrintToString(
             AX::string(AX::element(application, AXAttribute::focusedWindow), AXAttribute::title));

  ASSERT_TRUE(window.command("title Budget draft"));
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return AX::string(frame, AXAttribute::title) == "Budget draft"; },
                      test::kDesktopLimitMs))
      << "the frame's title reads "
      << testing::PrintToString(AX::string(frame, AXAttribute::title));
  EXPECT_EQ(bus_->frameOf(window.pid(), "Budget draft"), frame);

  EXPECT_FALSE(bus_->frameOf(0, "Budget draft"));
  EXPECT_FALSE(bus_->frameOf(getpid(), "Budget draft")) << "this process shows no window";
}

TEST_F(AtspiBusTest, ReadsTheRolesOfAWindowsControlsAndNeverAPassword) {
  TestWindowProcess window("Controls");
  AXElement frame = show(window, "Controls");
  ASSERT_TRUE(frame);
  EXPECT_EQ(rolesAndTitles(frame), (std::vector<std::string>{
                                       "AXTextField Text",
                                       "AXSecureTextField Password",
                                       "AXButton Press",
                                   }));

  std::vector<AXElement> controls = AX::children(frame);
  ASSERT_EQ(controls.size(), 3u);
  EXPECT_EQ(AX::string(controls[0], AXAttribute::value), "");
  EXPECT_EQ(AX::string(controls[1], AXAttribute::value), std::nullopt);
  EXPECT_EQ(AX::element(controls[2], AXAttribute::parent), frame);
  EXPECT_NE(controls[0], controls[1]);
}

TEST_F(AtspiBusTest, ExtentsAreOnTheScreenAndControlsInsideTheirWindow) {
  TestWindowProcess window("Extents");
  AXElement frame = show(window, "Extents");
  ASSERT_TRUE(frame);
  std::optional<Rect> outer = AX::frame(frame);
  ASSERT_TRUE(outer);
  // The session's screen is 1280 x 800; the window asks for 400 x 200.
  EXPECT_GE(outer->minX(), 0);
  EXPECT_GE(outer->minY(), 0);
  EXPECT_LE(outer->maxX(), 1280);
  EXPECT_LE(outer->maxY(), 800);
  EXPECT_EQ(outer->size, (Size{400, 200}));
  for (const AXElement& control : AX::children(frame)) {
    std::optional<Rect> inner = AX::frame(control);
    ASSERT_TRUE(inner);
    EXPECT_GT(inner->size.width, 0);
    EXPECT_GE(inner->minX(), outer->minX());
    EXPECT_GE(inner->minY(), outer->minY());
    EXPECT_LE(inner->maxX(), outer->maxX());
    EXPECT_LE(inner->maxY(), outer->maxY());
  }
}

TEST_F(AtspiBusTest, SecureInputFollowsTheFocusInAndOutOfAPasswordField) {
  auto window = std::make_unique<TestWindowProcess>("Sign in");
  ASSERT_TRUE(show(*window, "Sign in"));

  ASSERT_TRUE(window->command("focus password"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return bus_->isSecureInputEnabled(); }, test::kDesktopLimitMs))
      << "secure input stayed off; the focus is on a " << focusedRole(window->pid());
  ASSERT_TRUE(window->command("focus text"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !bus_->isSecureInputEnabled(); }, test::kDesktopLimitMs))
      << "secure input stayed on; the focus is on a " << focusedRole(window->pid());

  ASSERT_TRUE(window->command("focus password"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return bus_->isSecureInputEnabled(); }, test::kDesktopLimitMs))
      << "secure input stayed off; the focus is on a " << focusedRole(window->pid());
  window.reset();  // the window goes with the focus still in its password field
  EXPECT_FALSE(bus_->isSecureInputEnabled());
}

TEST_F(AtspiBusTest, ItsOwnPasswordFieldIsNeverAskedOfItself) {
  // Asked from the thread that answers for it, the field would hold this thread for the whole
  // time-out, and the failed question would be logged.
  test::LogCapture log;
  QWidget window;
  window.setWindowTitle("Own");
  auto* password = new QLineEdit(&window);
  password->setEchoMode(QLineEdit::Password);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window, test::kDesktopLimitMs))
      << "the window never became active; the active window is "
      << test::quietly("xdotool", {"getactivewindow", "getwindowname"});
  password->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return password->hasFocus(); }, test::kDesktopLimitMs))
      << "the password field never took the focus; the focus is on "
      << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                      : "no widget of this process");
  QTest::qWait(kOwnFocusSettleMs);
  EXPECT_FALSE(bus_->isSecureInputEnabled());
  for (const std::string& line : log.lines())
    EXPECT_EQ(line.find("AT-SPI"), std::string::npos) << line;
}

TEST_F(AtspiBusTest, AProgramThatStopsAnsweringCostsAboutTheTimeoutPerRead) {
  using Clock = std::chrono::steady_clock;
  constexpr double timeout = 0.3;
  // Scheduling and the bus's own delivery on a loaded machine (sanitizers, parallel tests); far
  // below the waits a peer that never answers would otherwise cost (15 s for a new program).
  constexpr double slack = 1.0;
  bus_->setTimeout(timeout);
  TestWindowProcess window("Frozen");
  AXElement frame = show(window, "Frozen");
  ASSERT_TRUE(frame);
  std::vector<AXElement> controls = AX::children(frame);
  ASSERT_FALSE(controls.empty());

  ASSERT_EQ(::kill(window.pid(), SIGSTOP), 0);
  auto seconds = [](Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
  };

  Clock::time_point start = Clock::now();
  EXPECT_EQ(AX::string(frame, AXAttribute::title), std::nullopt);
  double titleTime = seconds(start);
  EXPECT_GE(titleTime, timeout * 0.9) << "the read did not wait for the stopped program";
  EXPECT_LT(titleTime, timeout + slack);

  start = Clock::now();
  EXPECT_EQ(AX::string(controls.front(), AXAttribute::role), std::nullopt);
  EXPECT_LT(seconds(start), timeout + slack);

  start = Clock::now();
  EXPECT_EQ(AX::frame(controls.front()), std::nullopt);
  EXPECT_LT(seconds(start), timeout + slack) << "no size is asked once the position failed";

  start = Clock::now();
  EXPECT_TRUE(AX::children(frame).empty());
  EXPECT_LT(seconds(start), timeout + slack);

  start = Clock::now();
  EXPECT_FALSE(bus_->frameOf(window.pid(), "Frozen"));
  EXPECT_LT(seconds(start), timeout + slack);

  ASSERT_EQ(::kill(window.pid(), SIGCONT), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return AX::string(frame, AXAttribute::title) == "Frozen"; },
                              test::kDesktopLimitMs))
      << "once continued, the program's title reads "
      << testing::PrintToString(AX::string(frame, AXAttribute::title));
}

}  // namespace
}  // namespace qb
