#include "app/model/AppModelRoadTest.h"

namespace qb {
namespace {

using Rows = std::vector<test::Reader::Row>;

TEST_F(AppModelRoadTest, BreaksEndOnTimeAndLogTheTimeReallyTaken) {
  openEventLog();
  startRecording();
  const Date start = wallClock.now();
  model->prefs().setBreakMinutes(5);
  model->startBreak(std::nullopt);
  EXPECT_EQ(model->status().kind, AppModel::Status::Kind::onBreak);
  timers.advance(60);
  model->pause();  // pausing must not push the break's end back
  timers.advance(240);
  EXPECT_FALSE(model->breakUntil()) << "ended by its own scheduled check";
  model->resume();

  const Date second = wallClock.now();
  model->startBreak(10);
  timers.advance(120);
  model->endBreak();  // ended early by the user

  std::vector<EventStore::Event> breaks;
  for (const EventStore::Event& event : events()) {
    if (event.kind == EventStore::Kind::breakTaken) breaks.push_back(event);
  }
  EXPECT_EQ(breaks, (std::vector<EventStore::Event>{
                        {start, EventStore::Kind::breakTaken, 300, std::nullopt},
                        {second, EventStore::Kind::breakTaken, 120, std::nullopt}}));
  EXPECT_EQ(recorded("SELECT event, detail FROM system WHERE event LIKE 'break%' OR event IN "
                     "('pause', 'resume')"),
            (Rows{{SqlValue("break start"), SqlValue("5 min")},
                  {SqlValue("pause"), SqlValue()},
                  {SqlValue("break end"), SqlValue()},
                  {SqlValue("resume"), SqlValue()},
                  {SqlValue("break start"), SqlValue("10 min")},
                  {SqlValue("break end"), SqlValue()}}));
}

TEST_F(AppModelRoadTest, APauseWhileAwayLogsNoPausedTimeOnTopOfTheAbsence) {
  openEventLog();
  setAway(true, "lock");
  model->pause();
  timers.advance(600);
  model->resume();
  for (const EventStore::Event& event : events()) EXPECT_NE(event.kind, EventStore::Kind::paused);

  setAway(false, "unlock");
  model->pause();
  timers.advance(600);
  model->resume();
  ASSERT_FALSE(events().empty());
  EXPECT_EQ(events().back().kind, EventStore::Kind::paused);
  EXPECT_EQ(events().back().value, 600);
}

TEST_F(AppModelRoadTest, TheDailyQuestionIsAnsweredOnceAndLabelsThePage) {
  startRecording();
  model->answerQuestion(true);  // no question: nothing at all
  EXPECT_TRUE(recorded("SELECT 1 FROM labels").empty());

  const Snapshot page = front(7, "quarterly report");
  askAbout(page.observation);
  ASSERT_TRUE(model->question());
  model->answerQuestion(true);
  EXPECT_FALSE(model->question());
  EXPECT_TRUE(model->prefs().questionAnswered());
  ASSERT_TRUE(eventually([&] { return !model->answers().empty(); }));
  ASSERT_TRUE(eventually([&] { return !recorded("SELECT 1 FROM labels").empty(); }));
  EXPECT_EQ(recorded("SELECT label, moment, source, answer FROM labels"),
            (Rows{{SqlValue("work"), SqlValue(int64_t{7}), SqlValue("question"),
                   SqlValue(model->answers().front().id.string())}}));

  askAbout(page.observation);
  EXPECT_FALSE(model->question()) << "one question a day";
}

TEST_F(AppModelRoadTest, RecordingSwitchesAndAnExportThatTellsHowItWent) {
  model->prefs().setRecording(false);  // on by default
  model->setRecording(true);
  model->setRecording(true);  // already on: nothing
  model->setRecording(false);
  ASSERT_NE(recorder(), nullptr);
  EXPECT_EQ(recorded("SELECT event FROM system"),
            (Rows{{SqlValue("record on")}, {SqlValue("record off")}}));

  std::optional<std::optional<std::string>> told;
  model->exportRecording(home / "export",
                         [&](std::optional<std::string> failure) { told = std::move(failure); });
  ASSERT_TRUE(eventually([&] { return told.has_value(); }));
  EXPECT_EQ(*told, std::nullopt);
  EXPECT_TRUE(std::filesystem::exists(home / "export/system.jsonl"));

  test::writeFile(home / "a file", "");
  told.reset();
  model->exportRecording(home / "a file/export",
                         [&](std::optional<std::string> failure) { told = std::move(failure); });
  ASSERT_TRUE(eventually([&] { return told.has_value(); }));
  EXPECT_TRUE(told->has_value()) << "a failed export is told, not only logged";
}

TEST_F(AppModelRoadTest, DeletingAllDataForgetsWhatWasLearnedAndKeepsTheSettings) {
  openEventLog();
  model->prefs().setNeverInterrupt({"video.example"});
  WorkContext context;
  context.add("Budget review");
  policy().restore(context, wallClock.now());
  model->saveContext();
  model->saveProjects();
  flushFiles();
  test::writeFile(home / "diagnostics.jsonl", "{}\n");
  ASSERT_TRUE(std::filesystem::exists(home / "context.json"));

  // An answer being learned as the data goes must not come back afterwards.
  const Snapshot slow = front(1, "slow feed");
  offer(slow);
  answer(PromptAction::related, slow);
  model->deleteAllData();
  letGo();
  settle();
  drainWaits();
  model->refreshAnswers();
  drainWaits();
  EXPECT_TRUE(model->answers().empty());

  flushFiles();
  // The project, site and presence memories are written back empty; the rest is gone.
  for (const char* name : {"context.json", "personal.json", "allowed.json", "diagnostics.jsonl"}) {
    EXPECT_FALSE(std::filesystem::exists(home / name)) << name;
  }
  EXPECT_FALSE(policy().context());
  EXPECT_TRUE(events().empty());
  EXPECT_EQ(model->prefs().neverInterrupt(), std::vector<std::string>{"video.example"});
}

TEST_F(AppModelRoadTest, SharingGoesOffWhenSharedDataIsDeletedEvenWithoutAServer) {
  ASSERT_FALSE(model->sharingAvailable()) << "the tests' build names no server";
  model->prefs().setSharing(true);
  model->deleteShared();
  EXPECT_FALSE(model->prefs().sharing());
}

TEST_F(AppModelRoadTest, BrowserAccessIsRecordedOnlyWhenItChanges) {
  startRecording();
  install("chromium", "Categories=Network;WebBrowser;\n");
  model->refreshAutomation();
  model->refreshAutomation();
  EXPECT_EQ(model->automation().at(BrowserKind::chrome), Access::granted);
  EXPECT_EQ(Browsers::automation().at(BrowserKind::chrome), Access::granted);

  platform.accessibilityFake.trusted = false;
  model->refreshAutomation();
  EXPECT_EQ(model->automation().at(BrowserKind::chrome), Access::granted)
      << "a silent check cannot tell a closed browser from one never asked";

  platform.accessibilityFake.trustOnRequest = false;
  model->requestAutomation(BrowserKind::chrome);
  EXPECT_EQ(model->automation().at(BrowserKind::chrome), Access::denied);
  EXPECT_EQ(recorded("SELECT detail FROM system WHERE event = 'automation'"),
            (Rows{{SqlValue("Safari: notInstalled")},
                  {SqlValue("Chrome: granted")},
                  {SqlValue("Chrome: denied")}}));

  EXPECT_EQ(category("chromium"), "Network");
  EXPECT_EQ(category("not-installed"), std::nullopt);
}

}  // namespace
}  // namespace qb
