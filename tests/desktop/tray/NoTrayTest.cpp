// The program on a desktop with no tray: no StatusNotifierWatcher on the session bus and no XEmbed
// tray on the screen, as on a stock GNOME Shell. The main window is then the only way in, so it
// must open at launch and survive the window manager's close button. A tray that starts later,
// as panels do at login, takes the icon, and closing hides the window again. (TrayMenuTest is the
// desktop with a StatusNotifierItem host from the start.)
//
// Each test runs in a process of its own (test::inOwnProcess), so that no earlier test in the
// same process can have settled Qt's once-a-process choice of tray protocol.

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <string>
#include <utility>

#include "app/model/ModelHarness.h"
#include "desktop/x11/X11TestSupport.h"
#include "sensing/Prefs.h"
#include "shell/AppDelegate.h"
#include "shell/AppWindow.h"
#include "shell/StatusItem.h"
#include "shell/WindowContent.h"

// Last: its macros (Status, None, Bool) would rewrite the names of the headers above.
#include <X11/Xlib.h>

namespace qb {
namespace {

// An XEmbed tray, as a panel that starts after the program: it owns the screen's tray selection
// and announces itself to the root window the way the tray protocol asks. Docking requests are
// never answered; owning the selection is what makes it a tray.
class LateXEmbedTray {
public:
  LateXEmbedTray() : display_(XOpenDisplay(nullptr)) {
    if (display_ == nullptr) return;
    const int screen = DefaultScreen(display_);
    const Window root = RootWindow(display_, screen);
    window_ = XCreateSimpleWindow(display_, root, 0, 0, 1, 1, 0, 0, 0);
    const Atom selection =
        XInternAtom(display_, ("_NET_SYSTEM_TRAY_S" + std::to_string(screen)).c_str(), False);
    XSetSelectionOwner(display_, selection, window_, CurrentTime);
    XEvent manager{};
    manager.xclient.type = ClientMessage;
    manager.xclient.window = root;
    manager.xclient.message_type = XInternAtom(display_, "MANAGER", False);
    manager.xclient.format = 32;
    manager.xclient.data.l[0] = CurrentTime;
    manager.xclient.data.l[1] = static_cast<long>(selection);
    manager.xclient.data.l[2] = static_cast<long>(window_);
    XSendEvent(display_, root, False, StructureNotifyMask, &manager);
    XSync(display_, False);
    owns_ = XGetSelectionOwner(display_, selection) == window_;
  }
  ~LateXEmbedTray() {
    if (display_ == nullptr) return;
    if (window_ != 0) XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
  }
  LateXEmbedTray(const LateXEmbedTray&) = delete;
  LateXEmbedTray& operator=(const LateXEmbedTray&) = delete;

  bool owns() const { return owns_; }

private:
  Display* display_;
  Window window_ = 0;
  bool owns_ = false;
};

class NoTrayTest : public testing::Test, protected test::ModelHarness {
protected:
  NoTrayTest() {
    environment.set("QB_MODEL_DIR", (home / "no model").string());
    environment.set("XDG_DATA_HOME", (home / "data").string());
  }

  // Closes the window as its title bar's close button does: the window manager is asked, and it
  // sends the window its delete request.
  static void closeFromTheWindowManager(const QWidget& window) {
    test::run(QStringLiteral("wmctrl"),
              {QStringLiteral("-i"), QStringLiteral("-c"), QString::number(window.winId())});
  }
  // The screen once the window manager's animations have run: alike over kSettleMs.
  static void saveScreen(const QString& name) {
    constexpr int kSettleMs = 200;
    QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    EXPECT_TRUE(test::waitUntil([&] {
      QTest::qWait(kSettleMs);
      QImage again = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
      std::swap(screen, again);
      return screen == again;
    })) << "the screen never stood still for "
        << name.toStdString();
    EXPECT_TRUE(screen.save(QStringLiteral(QB_SCREENSHOTS) + "/" + name));
  }
};

TEST_F(NoTrayTest, TheWindowOpensAtLaunchAndStaysWithinReachUntilATrayComes) {
  if (!test::inOwnProcess()) return;
  EXPECT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  defaults.setBool("onboarded", true);
  AppDelegate delegate(services(home / "Quillbrook"), nullptr);
  delegate.applicationDidFinishLaunching();
  EXPECT_FALSE(delegate.statusItem()->isInTray());

  WindowContent* shown = delegate.window().window();
  ASSERT_NE(shown, nullptr) << "nothing to click: no window at launch";
  ASSERT_TRUE(QTest::qWaitForWindowExposed(shown, test::kDesktopLimitMs))
      << "the window at launch was never exposed";
  EXPECT_TRUE(test::waitUntil([&] { return shown->isActiveWindow(); }))
      << "the window at launch never became active; the active window is "
      << test::quietly("xdotool", {"getactivewindow", "getwindowname"});
  saveScreen("no-tray-window-at-launch.png");

  // The close button leaves the window in the desktop's window list, minimised, not gone.
  closeFromTheWindowManager(*shown);
  const auto iconic = [&] {
    return test::run(
               QStringLiteral("xprop"),
               {QStringLiteral("-id"), QString::number(shown->winId()), QStringLiteral("WM_STATE")})
               .find("Iconic") != std::string::npos;
  };
  EXPECT_TRUE(test::waitUntil([&] {
    return shown->isVisible() && !shown->windowHandle()->isExposed() && iconic();
  })) << "closed, the window is "
      << (shown->isVisible() ? "" : "not ") << "visible, "
      << (shown->windowHandle()->isExposed() ? "" : "not ") << "exposed and "
      << (iconic() ? "" : "not ") << "iconic";
  EXPECT_TRUE(shown->isMinimized());
  saveScreen("no-tray-window-closed.png");

  // Starting the program again brings it back.
  delegate.applicationShouldHandleReopen();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(shown, test::kDesktopLimitMs))
      << "the window did not come back for a launch";
  EXPECT_FALSE(shown->isMinimized());

  // A tray that starts later holds the icon: the window then closes into it.
  const LateXEmbedTray tray;
  ASSERT_TRUE(tray.owns());
  ASSERT_TRUE(test::waitUntil([&] { return delegate.statusItem()->isInTray(); }))
      << "the icon stayed out of a tray that came later";
  closeFromTheWindowManager(*shown);
  EXPECT_TRUE(test::waitUntil([&] { return !shown->isVisible(); }))
      << "with a tray, the closed window stayed visible";
  EXPECT_FALSE(shown->isMinimized());
}

// A quit closes every window first and ends nothing while one refuses: the window that keeps the
// program within reach must not hold it open.
TEST_F(NoTrayTest, QuitEndsTheProgramWhileTheWindowIsOpen) {
  if (!test::inOwnProcess()) return;
  defaults.setBool("onboarded", true);
  AppDelegate delegate(services(home / "Quillbrook"), nullptr);
  delegate.applicationDidFinishLaunching();
  WindowContent* shown = delegate.window().window();
  ASSERT_NE(shown, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(shown, test::kDesktopLimitMs))
      << "the window at launch was never exposed";

  QAction* quit = nullptr;
  for (QAction* each : shown->actions()) {
    if (each->text() == QStringLiteral("Quit Quillbrook")) quit = each;
  }
  ASSERT_NE(quit, nullptr);
  // The program's own event loop: a quit asks nothing of any other.
  QTimer::singleShot(0, quit, &QAction::trigger);
  QTimer::singleShot(test::kDesktopLimitMs, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QCoreApplication::exec(), 0) << "the quit was refused";
}

}  // namespace
}  // namespace qb
