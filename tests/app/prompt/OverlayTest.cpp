#include <gtest/gtest.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>

#include "app/sensing/FakeTree.h"
#include "platform/fake/FakePlatform.h"
#include "prompt/Overlay.h"
#include "prompt/OverlayPanel.h"
#include "sensing/Snapshot.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

constexpr pid_t kTarget = 4242;
constexpr pid_t kOther = 4343;

// A target window with a web page inside it, and the overlay that covers one or the other.
class OverlayTest : public testing::Test {
protected:
  void SetUp() override {
    moveWindow(Rect{{100, 50}, {800, 600}});
    // The page scrolls in an area of its own, which is what is covered.
    tree.node(scroll).set(AXAttribute::position, Point{100, 130});
    tree.node(scroll).set(AXAttribute::size, Size{800, 520});
    platform.workspaceFake.frontmost = RunningApplication{kTarget, "firefox-esr", "Firefox"};
  }
  void moveWindow(const Rect& frame) {
    tree.node(window).set(AXAttribute::position, frame.origin);
    tree.node(window).set(AXAttribute::size, frame.size);
  }
  Target target(bool onPage) const {
    return Target{kTarget, "firefox-esr", window,
                  onPage ? std::optional(TabRef{BrowserKind::firefox, 0, 0}) : std::nullopt};
  }
  void show(bool onPage) {
    overlay.show(content, target(onPage), [this](PromptAction action) {
      answers.push_back(action);
      panelAtAnswer = overlay.panel();
    });
  }
  void activate(pid_t pid) {
    platform.workspaceFake.frontmost = RunningApplication{pid, std::nullopt, std::nullopt};
    emit platform.workspaceFake.applicationActivated();
  }
  QRect panelFrame() const { return overlay.panel()->geometry(); }
  bool holdsKeys() const { return !platform.keyGrabFake.held.empty(); }

  fake::FakePlatform platform;
  test::FakeTree tree{platform.accessibilityFake};
  AXElement window = tree.add(AXRole::window);
  AXElement scroll = tree.add(AXRole::scrollArea, &window);
  AXElement page = tree.add(AXRole::webArea, &scroll);
  test::ManualTimers timers;
  Overlay overlay{platform.workspaceFake, platform.accessibilityFake, platform.keyGrabFake, timers};
  PromptContent content{std::nullopt, "Test", 5, std::nullopt, std::nullopt};
  std::vector<PromptAction> answers;
  OverlayPanel* panelAtAnswer = reinterpret_cast<OverlayPanel*>(1);
};

TEST_F(OverlayTest, OneAnswerComesAfterThePanelIsGone) {
  show(false);
  ASSERT_TRUE(overlay.isPanelVisible());
  EXPECT_EQ(panelFrame(), QRect(100, 50, 800, 600));
  EXPECT_TRUE(platform.keyGrabFake.press(KeyChord{"Escape"}));
  EXPECT_EQ(answers, std::vector<PromptAction>{PromptAction::dismiss});
  EXPECT_EQ(panelAtAnswer, nullptr);
  EXPECT_FALSE(holdsKeys()) << "the keys go with the panel";
  EXPECT_FALSE(platform.keyGrabFake.press(KeyChord{"Return"}));

  show(false);
  EXPECT_TRUE(platform.keyGrabFake.press(KeyChord{"w", true}));
  show(false);
  show(false);  // the earlier prompt goes without an answer
  EXPECT_TRUE(platform.keyGrabFake.press(KeyChord{"Return"}));
  EXPECT_EQ(answers, (std::vector<PromptAction>{PromptAction::dismiss, PromptAction::back,
                                                PromptAction::back}));
}

TEST_F(OverlayTest, FollowsTheWindowAndGoesSilentlyWithIt) {
  show(false);
  moveWindow(Rect{{300, 200}, {640, 480}});
  EXPECT_EQ(platform.accessibilityFake.notify(kTarget, window, AXNotification::moved), 1);
  EXPECT_EQ(panelFrame(), QRect(300, 200, 640, 480));
  EXPECT_EQ(platform.accessibilityFake.notify(kTarget, window, AXNotification::elementDestroyed),
            1);
  EXPECT_EQ(overlay.panel(), nullptr);
  EXPECT_TRUE(answers.empty());
  EXPECT_EQ(platform.accessibilityFake.liveObservers(), 0);
}

TEST_F(OverlayTest, StepsAsideForOtherApplications) {
  show(false);
  activate(kOther);
  EXPECT_FALSE(overlay.isPanelVisible());
  EXPECT_FALSE(holdsKeys());
  activate(getpid());  // the program's own windows change nothing
  EXPECT_FALSE(overlay.isPanelVisible());
  activate(kTarget);
  EXPECT_TRUE(overlay.isPanelVisible());
  EXPECT_TRUE(holdsKeys());
  overlay.setVisible(false);  // only for a prompt over a page
  EXPECT_TRUE(overlay.isPanelVisible());

  show(true);
  activate(kOther);
  activate(kTarget);
  EXPECT_FALSE(overlay.isPanelVisible()) << "over a page the coordinator decides";
  overlay.setVisible(true);
  EXPECT_TRUE(overlay.isPanelVisible());
  EXPECT_TRUE(holdsKeys());
}

TEST_F(OverlayTest, OverAPageCoversThePageOnceItCanBeRead) {
  show(true);
  EXPECT_EQ(panelFrame(), QRect(100, 130, 800, 520)) << "the page's part of the window";

  // A page not yet readable: the whole window first, then the page a retry later.
  tree.node(page).remove(AXAttribute::role);
  show(true);
  EXPECT_EQ(panelFrame(), QRect(100, 50, 800, 600));
  tree.node(page).set(AXAttribute::role, std::string(AXRole::webArea));
  timers.advance(Overlay::kPageRetryInterval);
  EXPECT_EQ(panelFrame(), QRect(100, 130, 800, 520));

  // Never readable: the window stays covered, and the looking stops.
  tree.node(page).remove(AXAttribute::role);
  show(true);
  timers.advance(10 * Overlay::kPageRetryInterval);
  EXPECT_EQ(panelFrame(), QRect(100, 50, 800, 600));
  EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(OverlayTest, FadesInFasterWhenTheDesktopAsksForLessMotion) {
  const auto fadeIn = [&] {
    const auto* fade = overlay.panel()->findChild<QPropertyAnimation*>();
    return fade && fade->propertyName() == "windowOpacity" ? fade->duration() : -1;
  };
  show(false);
  EXPECT_EQ(fadeIn(), 220);
  platform.workspaceFake.motionFake.reduceMotion = true;
  show(false);
  EXPECT_EQ(fadeIn(), 120) << "the setting counts from the next prompt";
  overlay.show(content, QRect(10, 20, 300, 200), [](PromptAction) {});
  EXPECT_EQ(fadeIn(), 120);
}

TEST_F(OverlayTest, WithoutAWindowItCoversTheScreenAndAFixedFrameFollowsNothing) {
  overlay.show(content, Target{kTarget, "firefox-esr", AXElement(), std::nullopt},
               [this](PromptAction action) { answers.push_back(action); });
  EXPECT_EQ(panelFrame(), QGuiApplication::primaryScreen()->geometry());
  EXPECT_EQ(platform.accessibilityFake.liveObservers(), 0);

  overlay.show(content, QRect(10, 20, 300, 200),
               [this](PromptAction action) { answers.push_back(action); });
  EXPECT_EQ(panelFrame(), QRect(10, 20, 300, 200));
  activate(kOther);
  EXPECT_TRUE(overlay.isPanelVisible()) << "a demonstration follows nothing";
  overlay.close();
  EXPECT_EQ(overlay.panel(), nullptr);
  EXPECT_TRUE(answers.empty());
}

}  // namespace
}  // namespace qb
