#include <algorithm>
#include <cctype>
#include <set>

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

TEST_F(AppModelRoadTest, APauseTakesThePromptDownAndWatchesNothingUntilResumed) {
  openEventLog();
  startRecording();
  atWork();
  ASSERT_TRUE(promptedWithin(video(2), 10));
  model->pause();
  EXPECT_FALSE(model->overlay().isPanelVisible());
  EXPECT_FALSE(promptedWithin(video(3), 600));
  model->resume();
  EXPECT_TRUE(promptedWithin(video(4), 10)) << "watched again";

  EXPECT_EQ(recorded("SELECT id FROM moments WHERE id >= 2 ORDER BY rowid"),
            (Rows{{SqlValue(int64_t{2})}, {SqlValue(int64_t{4})}}))
      << "nothing recorded while paused";
  double paused = 0;
  for (const EventStore::Event& event : events()) {
    if (event.kind == EventStore::Kind::paused) paused += event.value;
  }
  EXPECT_EQ(paused, 600) << "logged in slices as it runs, each second once";
}

TEST_F(AppModelRoadTest, AnAnswerToTheDailyQuestionIsKeptUntilForgotten) {
  startRecording();
  askAbout(front(7, "Zephyr notes").observation);
  model->answerQuestion(false);
  ASSERT_TRUE(eventually([&] { return !model->answers().empty(); }));
  const PersonalMemory::Example answer = model->answers().front();
  EXPECT_FALSE(answer.work);
  drainWaits();
  flushFiles();
  EXPECT_THAT(test::readFile(home / "personal.json"), testing::HasSubstr("Zephyr notes"));
  EXPECT_EQ(recorded("SELECT label FROM labels"), (Rows{{SqlValue("distraction")}}));

  model->forgetAnswer(answer.id);
  ASSERT_TRUE(eventually([&] { return model->answers().empty(); }));
  drainWaits();
  flushFiles();
  EXPECT_THAT(test::readFile(home / "personal.json"),
              testing::Not(testing::HasSubstr("Zephyr notes")));
  EXPECT_EQ(recorded("SELECT answer FROM retractions"), (Rows{{SqlValue(answer.id.string())}}));
}

TEST_F(AppModelRoadTest, RecordingOffRecordsNothingAndTheExportHoldsWhatWasRecorded) {
  model->prefs().setRecording(false);
  model->setRecording(true);
  handle(front(1, "Ledger report"));
  timers.advance(10);
  model->setRecording(false);
  timers.advance(50);
  handle(front(2, "Holiday photos"));
  model->setRecording(true);
  handle(front(3, "Ledger report, page 2"));
  // Going off ended the moment in front then; going on opened a session of its own.
  EXPECT_EQ(recorded("SELECT id, ended - started, session = (SELECT max(id) FROM sessions) "
                     "FROM moments ORDER BY rowid"),
            (Rows{{SqlValue(int64_t{1}), SqlValue(10.0), SqlValue(int64_t{0})},
                  {SqlValue(int64_t{3}), SqlValue(), SqlValue(int64_t{1})}}));

  std::optional<std::optional<std::string>> told;
  model->exportRecording(home / "export",
                         [&](std::optional<std::string> failure) { told = std::move(failure); });
  ASSERT_TRUE(eventually([&] { return told.has_value(); }));
  const std::string moments = test::readFile(home / "export/moments.jsonl");
  EXPECT_EQ(std::count(moments.begin(), moments.end(), '\n'), 2);
  EXPECT_THAT(moments, testing::HasSubstr("Ledger report, page 2"));
  EXPECT_THAT(moments, testing::Not(testing::HasSubstr("Holiday photos")));
}

// The files below `folder` whose bytes hold `word`, in any case.
std::vector<std::string> holding(const std::filesystem::path& folder, std::string word) {
  const auto lower = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  };
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() &&
        lower(test::readFile(entry.path())).find(lower(word)) != std::string::npos) {
      found.push_back(std::filesystem::relative(entry.path(), folder).string());
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

TEST_F(AppModelRoadTest, DeletingAllDataLeavesNoTraceOnDiskAndTheProgramGoesOn) {
  openEventLog();
  startRecording();
  // Some minutes on one project leave it in the event log, the recording, the memories, the
  // answers, an old diagnostics file and a damaged recording set aside.
  WorkContext context;
  context.add("Zephyr ledger report");
  policy().restore(context, wallClock.now());
  const Snapshot work = browserFront(1, "Zephyr ledger report", "https://zephyr.example/ledger");
  handle(work);
  pass(120);
  answer(PromptAction::related, work);
  askAbout(work.observation);
  ASSERT_TRUE(model->question());
  ASSERT_TRUE(eventually([&] { return !model->answers().empty(); }));
  drainWaits();
  flushFiles();
  recorder()->flush().get();
  const std::filesystem::path data = AppModel::recordingURL().parent_path();
  test::writeFile(data / "recording-damaged-1.sqlite", "Zephyr ledger report");
  test::writeFile(home / "diagnostics.jsonl", R"({"title": "Zephyr ledger report"})");
  for (const char* name : {"events.sqlite", "personal.json", "allowed.json", "context.json"}) {
    ASSERT_THAT(holding(home.path(), "zephyr"), testing::Contains(testing::StartsWith(name)));
  }

  const Date deleted = wallClock.now();
  model->deleteAllData();
  drainWaits();
  recorder()->flush().get();
  flushFiles();
  EXPECT_EQ(holding(home.path(), "zephyr"), std::vector<std::string>{});
  // Nor do the pages show any of it.
  EXPECT_TRUE(model->answers().empty());
  EXPECT_TRUE(model->allowed().empty());
  EXPECT_EQ(model->week().back(), History::Day(model->today().start));

  // The program goes on, into the emptied files.
  handle(browserFront(2, "Fresh notes report", "https://fresh.example/notes"));
  pass(90);
  EXPECT_EQ(recorded("SELECT title FROM moments"), (Rows{{SqlValue("Fresh notes report")}}));
  std::set<std::optional<std::string>> labels;
  for (const EventStore::Event& event : events()) {
    EXPECT_GE(event.at, deleted);
    if (event.kind == EventStore::Kind::work) labels.insert(event.label);
  }
  EXPECT_EQ(labels, (std::set<std::optional<std::string>>{"fresh.example"}));
  EXPECT_FALSE(model->question()) << "the question about the deleted page does not come back";
}

TEST_F(AppModelRoadTest, ARunningProgramKeepsNoEventsOlderThanItsHistory) {
  openEventLog();
  model->prefs().setKeepDays(1);
  handle(front(1, "quarterly report"));
  pass(120);
  const auto logged = [&] {
    std::vector<Date> times;
    test::Reader reader(home / "events.sqlite");
    for (const test::Reader::Row& row : reader.rows("SELECT ts FROM events ORDER BY ts")) {
      times.push_back(Date::fromUnix(std::get<double>(row[0].storage())));
    }
    return times;
  };
  const std::vector<Date> first = logged();
  ASSERT_GE(first.size(), 2u);

  // Left running over the night, locked: a day after the first events, the tick has let the
  // older of them go, and only those.
  setAway(true, "lock");
  pass(first[0].since(wallClock.now()) + 86400 + AppModel::kTickInterval);
  const std::vector<Date> kept = logged();
  ASSERT_FALSE(kept.empty());
  EXPECT_GE(kept.front(), wallClock.now() - 86400);
  EXPECT_LT(kept.size(), first.size());
  EXPECT_EQ(kept.back(), first.back());
}

}  // namespace
}  // namespace qb
