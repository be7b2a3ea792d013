// The prompt over a real window under a window manager: it covers the window's frame without
// taking the focus, follows a move and a resize, answers Esc through its key grab, goes without an
// answer when the window does, and stays over a new window that took a closed one's id. A
// screenshot of it is written for people to look at.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include "desktop/x11/X11TestSupport.h"
#include "platform/Accessibility.h"
#include "platform/QtRuntime.h"
#include "platform/linux/LinuxPlatform.h"
#include "prompt/Overlay.h"
#include "prompt/OverlayPanel.h"
#include "sensing/AX.h"
#include "sensing/Snapshot.h"

namespace qb {
namespace {

class OverlayDesktopTest : public testing::Test {
protected:
  void SetUp() override {
    platform = LinuxPlatform::open();
    ASSERT_TRUE(platform) << "no X display";
    overlay = std::make_unique<Overlay>(platform->workspace(), platform->accessibility(),
                                        platform->keyGrab(), timers);
  }

  // Shows the prompt over a terminal in front; answers are collected.
  void showOver(const test::Programs::Window& window) {
    test::activate(window.id);
    const AXElement element =
        AX::element(platform->accessibility().application(window.pid), AXAttribute::focusedWindow);
    ASSERT_TRUE(element);
    overlay->show(PromptContent{"the report", "You have been away from it for 12 minutes.", 5,
                                std::nullopt, std::nullopt},
                  Target{window.pid, "debian-xterm", element, std::nullopt},
                  [this](PromptAction action) { answers.push_back(action); });
    // The program may close the prompt while the test waits (its window gone): the wait must
    // not outlive the panel.
    const QPointer<OverlayPanel> panel = overlay->panel();
    ASSERT_TRUE(test::waitUntil([&] {
      return panel && panel->windowHandle() && panel->windowHandle()->isExposed();
    })) << (panel ? "the prompt never showed" : "the prompt closed before it showed");
  }
  // Whether the panel, as the X server has it, covers the window's frame.
  bool covers(const test::Programs::Window& window) {
    std::optional<Rect> target, panel;
    if (test::waitUntil([&] {
          target = platform->desktop().frame(window.id);
          panel = overlay->panel() ? platform->desktop().frame(overlay->panel()->winId())
                                   : std::nullopt;
          return target && panel && *target == *panel;
        })) {
      return true;
    }
    ADD_FAILURE() << "the window's frame " << described(target) << ", the panel's "
                  << described(panel);
    return false;
  }
  static std::string described(const std::optional<Rect>& rect) {
    if (!rect) return "unknown";
    return std::to_string(rect->origin.x) + "," + std::to_string(rect->origin.y) + " " +
           std::to_string(rect->size.width) + "x" + std::to_string(rect->size.height);
  }

  QtTimers timers;
  std::unique_ptr<LinuxPlatform> platform;
  std::unique_ptr<Overlay> overlay;
  std::vector<PromptAction> answers;
  test::Programs programs;
};

TEST_F(OverlayDesktopTest, CoversAndFollowsTheWindowWithoutTakingTheFocus) {
  const auto window = programs.terminal("Distraction");
  showOver(window);
  EXPECT_TRUE(covers(window));
  EXPECT_EQ(platform->desktop().activeWindow(), window.id) << "the target stays active";

  test::waitUntil([] { return false; }, std::chrono::milliseconds(400));  // the fade-in
  const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
  EXPECT_TRUE(screen.save(QStringLiteral(QB_SCREENSHOTS) + "/prompt-over-window.png"));

  // --sync: the window has its new frame when xdotool returns, so the panel has something to
  // catch up with rather than the frame it already covers.
  test::run("xdotool", {"windowmove", "--sync", test::idText(window.id), "300", "200"});
  EXPECT_TRUE(covers(window)) << "after a move";
  test::run("xdotool", {"windowsize", "--sync", test::idText(window.id), "700", "450"});
  EXPECT_TRUE(covers(window)) << "after a resize";

  test::run("xdotool", {"key", "Escape"});
  EXPECT_TRUE(test::waitUntil([&] { return !answers.empty(); }))
      << "Esc brought no answer; the prompt is " << (overlay->panel() ? "still up" : "gone");
  EXPECT_EQ(answers, std::vector<PromptAction>{PromptAction::dismiss});
  EXPECT_EQ(overlay->panel(), nullptr);
}

TEST_F(OverlayDesktopTest, GoesWithoutAnAnswerWhenTheWindowCloses) {
  const auto window = programs.terminal("Short-lived");
  showOver(window);
  window.process->kill();
  EXPECT_TRUE(test::waitUntil([&] { return overlay->panel() == nullptr; }))
      << "the prompt stayed over a window that closed";
  EXPECT_TRUE(answers.empty());
}

// The program hears of the closing only after it put the prompt over the new window, as when the
// coordinator's read before the prompt found the new window in the same turn.
TEST_F(OverlayDesktopTest, StaysOverANewWindowThatTookAClosedOnesId) {
  test::OwnWindows own;
  const xcb_window_t id = xcb_generate_id(own.connection);
  const test::Programs::Window window{id, ::getpid(), nullptr};
  own.open(id, "Closing");
  showOver(window);
  xcb_destroy_window(own.connection, id);
  own.open(id, "Opening");
  showOver(window);

  ASSERT_FALSE(
      test::waitUntil([&] { return overlay->panel() == nullptr; }, std::chrono::seconds(1)))
      << "the prompt went with the closed window";
  // Followed as a window of its own: its moves reach the prompt.
  test::run("xdotool", {"windowmove", "--sync", test::idText(id), "300", "200"});
  EXPECT_TRUE(covers(window));
  EXPECT_TRUE(answers.empty());
}

}  // namespace
}  // namespace qb
