#include "app/model/AppModelRoadTest.h"
#include "sensing/Browsers.h"

namespace qb {
namespace {

using Kind = EventStore::Kind;

TEST_F(AppModelRoadTest, ForWorkAllowsThePageAndNeverHereKeepsItsSiteQuiet) {
  openEventLog();
  atWork();
  ASSERT_TRUE(promptedWithin(video(2), 10));
  answerOpenPrompt(PromptAction::related);
  ASSERT_TRUE(eventually([&] { return !model->answers().empty(); }));
  drainWaits();
  flushFiles();
  EXPECT_THAT(test::readFile(home / "allowed.json"), testing::HasSubstr("video.example"));
  EXPECT_THAT(test::readFile(home / "personal.json"), testing::HasSubstr("Video feed"));
  EXPECT_FALSE(promptedWithin(video(3), 300)) << "the page is for work now";

  ASSERT_TRUE(promptedWithin(games(4), 10)) << "another site is still watched";
  answerOpenPrompt(PromptAction::never);
  EXPECT_THAT(test::readFile(home / "settings.json"), testing::HasSubstr("games.example"));

  // Without their allowances, the page for work is watched again; the site never to interrupt is
  // not.
  model->endAllowance("video.example");
  model->endAllowance("games.example");
  flushFiles();
  EXPECT_THAT(test::readFile(home / "allowed.json"),
              testing::Not(testing::HasSubstr("video.example")));
  pass(policy().config.globalCooldown);
  EXPECT_FALSE(promptedWithin(games(5), 300));
  EXPECT_TRUE(promptedWithin(video(6), 10));
  EXPECT_EQ(promptEvents(), (std::vector<Kind>{Kind::prompt, Kind::related, Kind::prompt,
                                               Kind::related, Kind::prompt}));
}

TEST_F(AppModelRoadTest, BackToWorkDismissAndABreakFromThePromptDoWhatTheySay) {
  openEventLog();
  platform.workspaceFake.running = {10, 30};
  atWork();
  ASSERT_TRUE(promptedWithin(video(2), 10));
  answerOpenPrompt(PromptAction::back);
  EXPECT_EQ(platform.workspaceFake.activated, std::vector<pid_t>{10}) << "the editor, forward";

  // Going back asks for no quiet time: the next drift is prompted as soon as it is due.
  ASSERT_TRUE(promptedWithin(video(3), 10));
  answerOpenPrompt(PromptAction::dismiss);
  EXPECT_FALSE(promptedWithin(video(4), 2 * policy().config.globalCooldown))
      << "a dismissed site rests longer than the others";

  ASSERT_TRUE(promptedWithin(games(5), 10));
  answerOpenPrompt(PromptAction::breakTime);
  const Date until = wallClock.now() + model->prefs().breakMinutes() * 60.0;
  EXPECT_EQ(model->status(), (AppModel::Status{AppModel::Status::Kind::onBreak, until}));
  EXPECT_FALSE(promptedWithin(games(6), until.since(wallClock.now()) - 1));
  EXPECT_EQ(model->status().kind, AppModel::Status::Kind::onBreak) << "a second before its end";
  pass(1);
  EXPECT_EQ(model->status().kind, AppModel::Status::Kind::protecting);
  EXPECT_TRUE(promptedWithin(games(7), 10)) << "watched again after the break";
  EXPECT_EQ(promptEvents(),
            (std::vector<Kind>{Kind::prompt, Kind::back, Kind::prompt, Kind::dismissed,
                               Kind::prompt, Kind::breakTaken, Kind::prompt}));
  for (const EventStore::Event& event : events()) {
    if (event.kind == Kind::breakTaken) {
      EXPECT_EQ(event.value, until.since(event.at));
    }
  }
}

// Back to work from a Firefox tab beside the work tab, whose Ctrl+W brings the work tab forward.
class BackToWorkTest : public AppModelRoadTest {
protected:
  // The distracting tab in front, as the prompt over it read it.
  Snapshot distractionBesideWork() {
    startRecording();
    leaveAWorkTab(firefox);
    const Snapshot distraction =
        browserFront(3, "Video feed", "https://video.example/watch", firefox);
    handle(distraction);
    platform.keysFake.onPost =
        [this](const KeyChord&) {  // the closed tab's neighbour comes forward
          tree.node(*webPage).set(AXAttribute::url, std::string("https://docs.example/q3"));
        };
    return distraction;
  }
  std::vector<test::Reader::Row> backToWork() {
    return recorded("SELECT detail FROM system WHERE event = 'back to work'");
  }

  const RunningApplication firefox{30, "firefox-esr", "Firefox"};
};

// Just after the prompt went: the window manager has not yet handed the focus back to the
// browser, the one window its Ctrl+W may reach.
class BackToWorkFocusTest : public BackToWorkTest {
protected:
  void SetUp() override {
    const Snapshot distraction = distractionBesideWork();
    focusGoes();
    answer(PromptAction::back, distraction);
  }
  void focusGoes() {
    tree.node(*browserWindow).set(AXAttribute::focused, false);
    platform.keysFake.focusedPid = 0;
  }
  void focusComesBack() {
    tree.node(*browserWindow).set(AXAttribute::focused, true);
    platform.keysFake.focusedPid = firefox.pid;
  }
  bool saidNoFocus() const { return logged("did not take the focus back"); }
};

// Just after the distracting page opened: the browser, busy with it, leaves a look at its page
// unanswered (its tree reads as holding no page).
class BackToWorkUnreadPageTest : public BackToWorkTest {
protected:
  void SetUp() override {
    const Snapshot distraction = distractionBesideWork();
    pageAnswers(false);
    answer(PromptAction::back, distraction);
  }
  void pageAnswers(bool answers) {
    if (answers) {
      tree.node(*webPage).set(AXAttribute::role, std::string(AXRole::webArea));
    } else {
      tree.node(*webPage).remove(AXAttribute::role);
    }
  }
  bool saidUnread() const { return logged("did not show its page"); }
};

TEST_F(BackToWorkUnreadPageTest, TheTabClosesOnceALaterLookReadsThePage) {
  timers.advance(AppModel::kPageLookWait / 2);
  EXPECT_TRUE(platform.steps().empty()) << "no key, and the work waits for the tab";
  pageAnswers(true);
  timers.advance(AppModel::kPageLookInterval);
  EXPECT_EQ(platform.steps(), (fake::Steps{"post 30 Control+w", "AXPress", "AXRaise"}));
  EXPECT_EQ(backToWork(), (std::vector<test::Reader::Row>{{SqlValue("closed the tab")}}));
  EXPECT_FALSE(saidUnread());
}

TEST_F(BackToWorkUnreadPageTest, APageThatNeverAnswersIsGivenUpWithinTheWaitAndLogged) {
  timers.advance(AppModel::kPageLookWait - AppModel::kPageLookInterval);
  EXPECT_FALSE(saidUnread()) << "still within the wait";
  EXPECT_TRUE(backToWork().empty());
  timers.advance(2 * AppModel::kPageLookInterval);
  EXPECT_TRUE(saidUnread());
  EXPECT_EQ(platform.steps(), (fake::Steps{"AXPress", "AXRaise"})) << "the work, without a key";
  EXPECT_EQ(backToWork(), (std::vector<test::Reader::Row>{{SqlValue("nothing closed")}}));
}

// A look that finds the user gone on, to another page or another program, decides at once.
TEST_F(BackToWorkUnreadPageTest, ALookThatFindsTheUserGoneOnLeavesTheTabAtOnce) {
  pageAnswers(true);
  tree.node(*webPage).set(AXAttribute::url, std::string("https://news.example/today"));
  timers.advance(AppModel::kPageLookInterval);
  EXPECT_EQ(backToWork(), (std::vector<test::Reader::Row>{{SqlValue("nothing closed")}}));
  EXPECT_FALSE(saidUnread());

  const Snapshot distraction =
      browserFront(4, "Video feed", "https://video.example/watch", firefox);
  pageAnswers(false);
  answer(PromptAction::back, distraction);
  (void)front(5, "Notes", 40);
  timers.advance(AppModel::kPageLookInterval);
  EXPECT_EQ(backToWork(), (std::vector<test::Reader::Row>{{SqlValue("nothing closed")},
                                                          {SqlValue("nothing closed")}}));
  EXPECT_EQ(std::count(platform.steps().begin(), platform.steps().end(), "post 30 Control+w"), 0);
  EXPECT_FALSE(saidUnread());
}

// The user quits while the browser is still slow to answer: what was done by then is recorded,
// before the quit, and nothing after it; what was recorded already is not recorded again.
TEST_F(BackToWorkUnreadPageTest, AQuitWithinTheWaitRecordsWhatWasDoneByThen) {
  pageAnswers(true);
  timers.advance(AppModel::kPageLookInterval);
  const Snapshot distraction =
      browserFront(4, "Video feed", "https://video.example/watch", firefox);
  pageAnswers(false);
  answer(PromptAction::back, distraction);
  timers.advance(AppModel::kPageLookInterval);
  model->stopRecording().get();
  pageAnswers(true);
  timers.advance(AppModel::kPageLookWait);
  EXPECT_EQ(recorded("SELECT event, detail FROM system WHERE event IN ('back to work', 'quit') "
                     "ORDER BY rowid"),
            (std::vector<test::Reader::Row>{{SqlValue("back to work"), SqlValue("closed the tab")},
                                            {SqlValue("back to work"), SqlValue("nothing closed")},
                                            {SqlValue("quit"), SqlValue()}}));
}

TEST_F(BackToWorkFocusTest, TheTabClosesWhenTheFocusComesBackLate) {
  timers.advance(Browsers::kFocusWait / 2);
  EXPECT_TRUE(platform.steps().empty()) << "no key, and the work waits for the tab";
  focusComesBack();
  timers.advance(Browsers::kFocusInterval);
  EXPECT_EQ(platform.steps(), (fake::Steps{"post 30 Control+w", "AXPress", "AXRaise"}));
  EXPECT_EQ(backToWork(), (std::vector<test::Reader::Row>{{SqlValue("closed the tab")}}));
  EXPECT_FALSE(saidNoFocus());
}

TEST_F(BackToWorkFocusTest, AFocusThatNeverComesBackIsGivenUpWithinTheWaitAndLogged) {
  timers.advance(Browsers::kFocusWait - Browsers::kFocusInterval);
  EXPECT_FALSE(saidNoFocus()) << "still within the wait";
  EXPECT_TRUE(backToWork().empty());
  timers.advance(2 * Browsers::kFocusInterval);
  EXPECT_TRUE(saidNoFocus());
  EXPECT_EQ(platform.steps(), (fake::Steps{"AXPress", "AXRaise"})) << "the work, without a key";
  EXPECT_EQ(backToWork(), (std::vector<test::Reader::Row>{{SqlValue("nothing closed")}}));

  focusComesBack();
  timers.advance(Browsers::kFocusWait);
  EXPECT_EQ(platform.steps().size(), 2u) << "no key once the wait is over";
}

}  // namespace
}  // namespace qb
