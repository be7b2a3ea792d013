// The program as a person meets it on first launch: onboarding, the sample prompt, the main
// window on demand, the main menu's commands, and the recording closed as the program quits.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <optional>

#include "app/model/ModelHarness.h"
#include "design/QBButtonBody.h"
#include "platform/UserDefaults.h"
#include "prompt/Overlay.h"
#include "recording/RecorderTestSupport.h"
#include "sensing/Prefs.h"
#include "shell/AppDelegate.h"
#include "shell/AppWindow.h"
#include "shell/Navigation.h"
#include "shell/OnboardingView.h"
#include "shell/WindowContent.h"

namespace qb {
namespace {

class AppDelegateTest : public testing::Test, protected test::ModelHarness {
protected:
  AppDelegateTest() {
    environment.set("QB_MODEL_DIR", (home / "no model").string());
    environment.set("XDG_DATA_HOME", (home / "data").string());
  }
  // The launch as the event loop starts it.
  AppDelegate& launch() {
    delegate = std::make_unique<AppDelegate>(services(home / "Quillbrook"), nullptr);
    delegate->applicationDidFinishLaunching();
    return *delegate;
  }
  // The same with other settings.
  AppDelegate& launch(UserDefaults& settings) {
    delegate = std::make_unique<AppDelegate>(
        AppModel::Services{platform, settings, loginItem, main, timers, clock, wallClock,
                           home / "Quillbrook"},
        nullptr);
    delegate->applicationDidFinishLaunching();
    return *delegate;
  }
  OnboardingView* onboardingView() const {
    return delegate->onboarding()->findChild<OnboardingView*>();
  }
  // The main menu as its titles, a submenu's items after its title, "-" for a separator.
  std::vector<std::string> mainMenu() const {
    std::vector<std::string> titles;
    for (QAction* entry : delegate->mainMenu()->actions()) {
      titles.push_back(entry->text().toStdString());
      for (QAction* item : entry->menu()->actions()) {
        titles.push_back(item->isSeparator() ? "-" : "  " + item->text().toStdString());
      }
    }
    return titles;
  }
  QAction* command(const QString& title) const {
    for (QMenu* menu : delegate->mainMenu()->findChildren<QMenu*>()) {
      for (QAction* item : menu->actions()) {
        if (item->text() == title) return item;
      }
    }
    return nullptr;
  }

  std::unique_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateTest, OnboardingShowsUntilStartedAndItsTestShowsOneSamplePrompt) {
  // Settings the system refuses answer with the defaults, which say nobody onboarded: onboarding
  // waits for a start that can read them.
  const std::filesystem::path file = home / "Settings" / "settings.json";
  std::filesystem::create_directories(file.parent_path());
  test::writeFile(file, R"({"onboarded": true})");
  std::filesystem::permissions(file, std::filesystem::perms::none);
  std::filesystem::permissions(home.path(), std::filesystem::perms::others_exec,
                               std::filesystem::perm_options::add);
  {
    std::optional<UserDefaults> unread;
    {
      test::OrdinaryUser user(file.parent_path());
      unread.emplace(file);
    }
    ASSERT_TRUE(unread->unread());
    launch(*unread);
    EXPECT_EQ(delegate->onboarding(), nullptr);
    delegate.reset();  // before the settings it reads
  }

  launch();
  ASSERT_NE(delegate->onboarding(), nullptr);
  EXPECT_TRUE(delegate->onboarding()->isVisible());
  EXPECT_EQ(delegate->onboarding()->windowTitle(), "Quillbrook");
  EXPECT_FALSE(delegate->onboarding()->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(delegate->onboarding()->minimumSize(), delegate->onboarding()->maximumSize())
      << "not resizable";

  delegate->model().overlay().close();
  onboardingView()->testButton()->click();
  OverlayPanel* first = delegate->model().overlay().panel();
  ASSERT_NE(first, nullptr);
  onboardingView()->testButton()->click();
  EXPECT_TRUE(delegate->model().overlay().isPanelVisible()) << "one sample, the second";

  // Closing the window is not finishing onboarding: it comes back at the next launch.
  delegate->onboarding()->close();
  EXPECT_FALSE(delegate->model().prefs().onboarded());
  delegate->showOnboarding();
  platform.accessibilityFake.trusted = true;
  delegate->model().pollAccessibility();
  timers.advance(AppModel::kAccessPollInterval);
  ASSERT_TRUE(onboardingView()->startButton()->isEnabled());
  onboardingView()->startButton()->click();
  EXPECT_TRUE(delegate->model().prefs().onboarded());
  EXPECT_FALSE(delegate->onboarding()->isVisible());

  delegate.reset();
  launch();
  EXPECT_EQ(delegate->onboarding(), nullptr) << "finished once: not shown again";
}

TEST_F(AppDelegateTest, TheMainWindowOpensOnDemandWithTheMainMenusCommands) {
  launch();
  EXPECT_EQ(mainMenu(),
            (std::vector<std::string>{"Quillbrook", "  About Quillbrook", "-", "  Settings\u2026",
                                      "-", "  Hide Quillbrook", "  Quit Quillbrook", "Edit",
                                      "  Undo", "  Redo", "-", "  Cut", "  Copy", "  Paste",
                                      "  Select All", "Window", "  Minimize", "  Close"}));
  EXPECT_EQ(command("Redo")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  EXPECT_EQ(command("Settings\u2026")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));

  command("Settings\u2026")->trigger();
  AppWindow& window = delegate->window();
  ASSERT_NE(window.window(), nullptr);
  EXPECT_TRUE(window.window()->isVisible());
  EXPECT_EQ(window.navigation().page(), AppPage::settings);
  EXPECT_TRUE(window.window()->actions().contains(command("Quit Quillbrook")))
      << "the window carries the main menu's shortcuts";

  delegate->applicationShouldHandleReopen();
  EXPECT_EQ(window.navigation().page(), AppPage::home) << "a second launch shows the home page";
}

// A copy started once the quit hands the program over, while this one still closes its
// recording, reads the settings: the window's place is in them first.
TEST_F(AppDelegateTest, QuittingFirstKeepsTheWindowsPlaceForTheNextLaunch) {
  launch();
  delegate->applicationShouldHandleReopen();
  const QRect frame = delegate->window().window()->normalGeometry();
  std::optional<QRect> readByNext;
  bool handedOver = false;
  delegate->applicationWillTerminate([&] {
    handedOver = true;
    EXPECT_FALSE(delegate->window().window()->isVisible());
    UserDefaults next(defaults.file());
    readByNext = Prefs(next, loginItem).windowFrame();
  });
  ASSERT_TRUE(handedOver);
  EXPECT_EQ(readByNext, frame);
}

// What the event log kept in memory while another program held it, with the break that runs as
// the program quits, is written before the hand-over: the next copy reads it, and it is not lost.
TEST_F(AppDelegateTest, QuittingWritesWhatTheEventLogKeptInMemoryBeforeHandingOver) {
  const std::filesystem::path file = home / "Quillbrook" / "events.sqlite";
  std::filesystem::create_directories(file.parent_path());
  auto holder = std::make_unique<test::Reader>(file);
  holder->holdExclusively();
  launch();
  while (!delegate->model().unsaved().contains(AppModel::Unsaved::eventLog)) {
    ASSERT_TRUE(main.awaitTask()) << "the event log's check never came back";
    main.runAll();
  }
  delegate->model().startBreak(5);
  timers.advance(30);
  holder.reset();  // let go before the next try, which comes 60 s after the refusal
  std::vector<test::Reader::Row> readByNext;
  delegate->applicationWillTerminate(
      [&] { readByNext = test::Reader(file).rows("SELECT kind, value FROM events"); });
  EXPECT_EQ(readByNext, (std::vector<test::Reader::Row>{{SqlValue("break"), SqlValue(30.0)}}));
}

TEST_F(AppDelegateTest, QuittingClosesTheRecordingSession) {
  launch();
  ASSERT_TRUE(delegate->model().prefs().recording());
  delegate->applicationWillTerminate();
  EXPECT_EQ(test::Reader(AppModel::recordingURL())
                .rows("SELECT event FROM system WHERE event IN ('launch', 'quit')"),
            (std::vector<test::Reader::Row>{{SqlValue("launch")}, {SqlValue("quit")}}));
}

}  // namespace
}  // namespace qb
