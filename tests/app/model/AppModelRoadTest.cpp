#include "app/model/AppModelRoadTest.h"

#include "base/Calendar.h"

namespace qb {
namespace {

TEST_F(AppModelRoadTest, OnlyTheNewestWaitingSnapshotIsAnalysedNext) {
  offer(snapshot(1, "slow page"));
  ASSERT_TRUE(busy());
  offer(snapshot(2, "first"));
  offer(snapshot(3, "second"));
  offer(snapshot(4, "quarterly report"));
  letGo();
  settle();
  EXPECT_TRUE(analysed(1));
  EXPECT_FALSE(analysed(2));
  EXPECT_FALSE(analysed(3));
  EXPECT_TRUE(analysed(4));
  EXPECT_EQ(model->seen()->activity, ActivityKind::work) << "the page in front, analysed";
}

TEST_F(AppModelRoadTest, PagesThatDifferInNumbersShareOneAnalysis) {
  handle(snapshot(1, "(3) Inbox report"));
  const int calls = embedder->calls;
  handle(snapshot(2, "(12) Inbox report"));
  EXPECT_EQ(embedder->calls, calls) << "served from the cache";
  ASSERT_TRUE(analysed(2));
  EXPECT_EQ(analysis(2).observationID, 2u);
  EXPECT_EQ(AppModel::analysisKey(snapshot(1, "a 7 b 88").observation),
            AppModel::analysisKey(snapshot(1, "a 1 b 2").observation));
}

TEST_F(AppModelRoadTest, AFailedPageRestsAndThreeFailuresReloadTheModel) {
  handle(snapshot(1, "broken page 1"));
  const int calls = embedder->calls;
  handle(snapshot(2, "broken page 2"));
  EXPECT_EQ(embedder->calls, calls) << "the same page once its digits are folded: skipped";
  timers.advance(AppModel::kSkipDuration);
  handle(snapshot(3, "broken page 3"));
  EXPECT_GT(embedder->calls, calls) << "tried again once its rest is over";
  EXPECT_NE(model->modelState(), AppModel::ModelState::failed) << "two in a row";
  handle(snapshot(4, "broken other"));
  EXPECT_EQ(model->modelState(), AppModel::ModelState::failed) << "the third in a row";
  EXPECT_TRUE(analyserDropped()) << "dropped for a reload";
  EXPECT_TRUE(reloaded());
}

TEST_F(AppModelRoadTest, ATimeOutReloadsAtOnceAndThePageRestsLikeAFailedOne) {
  offer(snapshot(1, "slow page"));
  timers.advance(AppModel::kAnalysisTimeout);
  settle();
  EXPECT_TRUE(analyserDropped());
  EXPECT_TRUE(reloaded());
  const auto lines = log.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Analysis timed out; skipped (1 in a row)"),
            lines.end());
  letGo();

  // The model is back: the page that timed out rests, and a changed page does not wait for it.
  load();
  const int calls = embedder->calls;
  handle(snapshot(2, "slow page"));
  EXPECT_EQ(embedder->calls, calls);
  handle(snapshot(3, "slow page, edited"));
  EXPECT_TRUE(analysed(3));
  timers.advance(AppModel::kSkipDuration - 1);
  handle(snapshot(4, "slow page"));
  EXPECT_FALSE(analysed(4)) << "still resting";
  timers.advance(1);
  handle(snapshot(5, "slow page"));
  EXPECT_TRUE(analysed(5)) << "tried again once its rest is over";
}

TEST_F(AppModelRoadTest, NavigationAndSamePageAreToldByProcessWindowTitleAndSite) {
  auto [window, node] = platform.accessibilityFake.makeElement();
  const auto tab = [&](uint64_t id, const std::string& title, const char* url) {
    Snapshot shown = snapshot(id, title);
    shown.observation = Moment(id, wallClock.now(), "Firefox", "firefox", title,
                               url ? Url::parse(url) : std::nullopt);
    shown.target.window = window;
    shown.target.tab = TabRef{BrowserKind::firefox, 0, 0};
    return shown;
  };
  const Snapshot work = tab(1, "Budget", "https://docs.example/budget");
  EXPECT_TRUE(AppModel::isNavigating(work, tab(2, "Budget", "https://video.example/")));
  EXPECT_FALSE(AppModel::isNavigating(work, tab(2, "Budget", "https://docs.example/other")));
  EXPECT_FALSE(AppModel::isNavigating(work, tab(2, "Videos", "https://video.example/")));
  EXPECT_TRUE(AppModel::samePage(work, tab(2, "Budget v2", "https://docs.example/x")));
  EXPECT_FALSE(AppModel::samePage(work, tab(2, "Budget", "https://video.example/")));

  // A navigation is shown but not analysed; the page that then retitles is.
  handle(work);
  handle(tab(2, "Budget", "https://video.example/"));
  EXPECT_FALSE(analysed(2));
  handle(tab(3, "Videos", "https://video.example/"));
  EXPECT_TRUE(analysed(3));
}

TEST_F(AppModelRoadTest, AnAbsenceStopsTheRoadAndALongOneEndsTheWork) {
  WorkContext context;
  context.add("Budget review");
  policy().restore(context, wallClock.now());
  setAway(true, "lock");
  EXPECT_FALSE(running());
  handle(snapshot(1, "quarterly report"));
  EXPECT_FALSE(analysed(1)) << "nothing is analysed while away";
  timers.advance(policy().config.contextExpiry + 1);
  setAway(false, "unlock");
  EXPECT_TRUE(running());
  EXPECT_FALSE(policy().context().has_value()) << "a long absence ends the work context";
  EXPECT_FALSE(model->protecting());
}

TEST_F(AppModelRoadTest, ShortSwitchesLogOnlyTheWorkedSecondsAndTheTimelineBridgesTheGaps) {
  openEventLog();
  const Date start = wallClock.now();
  int elapsed = 0;
  const auto pass = [&](int seconds) {
    for (int i = 0; i < seconds; ++i) {
      timers.advance(1);
      if (++elapsed % static_cast<int>(AppModel::kTickInterval) == 0) tick();
    }
  };
  // Twenty times: six seconds on the report, four on a video, before any work context exists.
  uint64_t id = 1;
  for (int round = 0; round < 20; ++round) {
    handle(front(id++, "quarterly report"));
    pass(6);
    handle(front(id++, "Video feed", 20, "player"));
    pass(4);
  }
  tick();

  double logged = 0;
  for (const EventStore::Event& event : events()) {
    if (event.kind == EventStore::Kind::work) logged += event.value;
  }
  EXPECT_EQ(logged, 120) << "the seconds the report was in front, and nothing else";
  EXPECT_EQ(model->week().back().focus, 120);
  EXPECT_EQ(model->todayTasks(), (std::vector<AppModel::TaskTime>{{"editor", 120}}));
  // The gaps are shorter than the timeline's, so today's focus is one stretch from the first
  // report to the last: what the home page adds up, and more than the work logged.
  EXPECT_EQ(model->today().spans,
            (std::vector<History::Span>{{History::Kind::focus, start, start + 196}}));
}

TEST_F(AppModelRoadTest, APromptGoesUpOnlyOverThePageStillInFront) {
  handle(front(1, "Video feed"));
  intervene(2);
  EXPECT_FALSE(promptOpen()) << "no longer in front";

  platform.workspaceFake.frontmost = RunningApplication{11, "player", "Player"};
  intervene(1);
  EXPECT_FALSE(promptOpen()) << "the fresh read finds another application";

  handle(front(1, "Video feed"));
  intervene(1);
  ASSERT_TRUE(promptOpen());
  EXPECT_EQ(promptTexts()[0], "Back to work?") << "no work page yet";
  OverlayPanel* shown = model->overlay().panel();
  intervene(1);
  EXPECT_EQ(model->overlay().panel(), shown) << "never a second prompt over the first";

  setAway(true, "lock");
  EXPECT_FALSE(model->overlay().isPanelVisible());
  EXPECT_FALSE(promptOpen()) << "a prompt that is gone steers nothing";
}

TEST_F(AppModelRoadTest, TheRecordedAnswerNamesOnlyWhatWasLearned) {
  startRecording();
  const auto answerPrompt = [&](uint64_t id, const std::string& title, PromptAction action) {
    handle(front(id, title));
    intervene(id);
    ASSERT_TRUE(promptOpen());
    answerOpenPrompt(action);
  };
  answerPrompt(1, "Video feed", PromptAction::related);
  ASSERT_TRUE(eventually([&] { return !model->answers().empty(); }));
  answerPrompt(2, "broken feed", PromptAction::related);  // cannot be embedded
  answerPrompt(3, "Match replay", PromptAction::dismiss);
  ASSERT_TRUE(eventually(
      [&] { return recorded("SELECT 1 FROM prompts WHERE outcome IS NOT NULL").size() == 3; }));
  EXPECT_EQ(recorded("SELECT outcome, answer FROM prompts LEFT JOIN labels ON "
                     "labels.prompt = prompts.id ORDER BY prompts.rowid"),
            (std::vector<test::Reader::Row>{
                {SqlValue("related"), SqlValue(model->answers().front().id.string())},
                {SqlValue("related"), SqlValue()},
                {SqlValue("dismiss"), SqlValue()}}));
}

TEST_F(AppModelRoadTest, BackToWorkBringsTheWorkForwardOrHidesTheDistraction) {
  platform.workspaceFake.running = {10, 20};
  const Snapshot distraction = front(2, "Video feed", 20, "player");
  answer(PromptAction::back, distraction);
  EXPECT_EQ(platform.workspaceFake.hidden, std::vector<pid_t>{20}) << "no work page yet";

  handle(front(3, "quarterly report"));  // work, in the editor
  handle(front(2, "Video feed", 20, "player"));
  answer(PromptAction::back, distraction);
  EXPECT_EQ(platform.workspaceFake.activated, std::vector<pid_t>{10});
  EXPECT_EQ(platform.workspaceFake.hidden.size(), 1u) << "nothing more hidden";
}

TEST_F(AppModelRoadTest, BackToWorkInTheSameTabTellsWhetherTheWorkPageOpened) {
  startRecording();
  handle(browserFront(1, "Quarterly report", "https://docs.example/q3"));
  timers.advance(LastWork<Snapshot>::minimum);
  handle(browserFront(2, "Quarterly report, page 2", "https://docs.example/q3?p=2"));
  handle(browserFront(3, "Video feed", "https://video.example/watch"));
  intervene(3);
  ASSERT_TRUE(promptOpen());
  // The work page is to come back in this very tab, but the browser has no address bar to steer.
  answerOpenPrompt(PromptAction::back);

  // With one, the work page opens, and is said to once the tab shows it. Then the bar holds the
  // focus with its caret after the page's address, and every key that would select that is lost:
  // nothing is typed, and nothing is said to have opened.
  const AXElement toolbar = tree.add(AXRole::toolbar, &*browserWindow);
  const AXElement bar = tree.add(AXRole::comboBox, &toolbar);
  bool selectingKeysLost = false;
  platform.keysFake.onPost = [&](const KeyChord& chord) {
    const auto held = std::get<std::string>(tree.node(bar).attribute(AXAttribute::value));
    if (chord == KeyChord{"l", true} && !selectingKeysLost) {
      tree.node(bar).set(AXAttribute::focused, true);
      tree.node(bar).set(AXAttribute::selectedTextRange,
                         TextRange{0, static_cast<int64_t>(held.size())});
    }
    if (chord.key == "Return") tree.node(*webPage).set(AXAttribute::url, held);
  };
  platform.keysFake.onType = [&](std::string_view text) {
    const auto selected =
        std::get<TextRange>(tree.node(bar).attribute(AXAttribute::selectedTextRange));
    std::string held = std::get<std::string>(tree.node(bar).attribute(AXAttribute::value));
    held.replace(static_cast<size_t>(selected.location), static_cast<size_t>(selected.length),
                 text);
    tree.node(bar).set(AXAttribute::value, held);
    tree.node(bar).set(AXAttribute::selectedTextRange,
                       TextRange{static_cast<int64_t>(held.size()), 0});
  };
  for (const bool lost : {false, true}) {
    selectingKeysLost = lost;
    const Snapshot distraction = browserFront(4, "Video feed", "https://video.example/watch");
    const std::string shown = distraction.observation.url->absoluteString();
    tree.node(bar).set(AXAttribute::value, shown);
    tree.node(bar).set(AXAttribute::focused, lost);
    tree.node(bar).set(AXAttribute::selectedTextRange,
                       TextRange{static_cast<int64_t>(shown.size()), 0});
    answer(PromptAction::back, distraction);
    timers.advance(Browsers::kTypingTries * (Browsers::kBarFocusWait + Browsers::kTypedWait) +
                   Browsers::kRedirectWait + Browsers::kArrivalWait);
  }
  EXPECT_EQ(recorded("SELECT detail FROM system WHERE event = 'back to work'"),
            (std::vector<test::Reader::Row>{{SqlValue("nothing closed")},
                                            {SqlValue("opened the work page")},
                                            {SqlValue("nothing closed")}}));
  EXPECT_EQ(platform.keysFake.typed.size(), 1u);
}

TEST_F(AppModelRoadTest, BackToAChromiumWorkTabChoosesItAndRaisesItsWindowOrSaysItCouldNot) {
  const auto [workTab, distraction] = leaveAWorkTab();

  answer(PromptAction::back, distraction);  // a browser that refuses the tab
  EXPECT_EQ(tree.node(workTab).performed(), std::vector<std::string>{"AXPress"});
  EXPECT_TRUE(tree.node(*browserWindow).performed().empty()) << "not raised over another tab";
  EXPECT_TRUE(platform.workspaceFake.activated.empty());
  EXPECT_TRUE(logged("did not bring the work tab forward"));

  tree.node(workTab).accept(AXAction::press);
  answer(PromptAction::back, distraction);
  EXPECT_EQ(tree.node(workTab).performed().size(), 2u);
  EXPECT_EQ(tree.node(*browserWindow).performed(), std::vector<std::string>{"AXRaise"});
}

TEST_F(AppModelRoadTest,
       BackToAFirefoxWorkTabPressesItAndBringsItsWindowForwardWhateverThePressGave) {
  const auto [workTab, distraction] = leaveAWorkTab({30, "firefox-esr", "Firefox"});

  answer(PromptAction::back, distraction);  // a tab that refuses the press
  EXPECT_EQ(tree.node(workTab).performed(), std::vector<std::string>{"AXPress"});
  EXPECT_EQ(platform.workspaceFake.activated, std::vector<pid_t>{30});
  EXPECT_EQ(tree.node(*browserWindow).performed(), std::vector<std::string>{"AXRaise"});
  EXPECT_TRUE(logged("did not choose the work tab"));
  EXPECT_EQ(platform.steps(), (fake::Steps{"AXPress", "activate 30", "AXRaise"}));

  tree.node(workTab).accept(AXAction::press);
  answer(PromptAction::back, distraction);
  EXPECT_EQ(tree.node(workTab).performed().size(), 2u);
  EXPECT_EQ(platform.workspaceFake.activated, (std::vector<pid_t>{30, 30}));
  EXPECT_EQ(tree.node(*browserWindow).performed().size(), 2u);
}

TEST_F(AppModelRoadTest, BackFromAFirefoxTabClosesItBeforeTheWorkTabBesideItIsPressed) {
  const RunningApplication firefox{30, "firefox-esr", "Firefox"};
  leaveAWorkTab(firefox);
  // The distraction is another tab of the work tab's window: pressed first, the work tab would be
  // the front one when the keys that close a tab arrive.
  const Snapshot distraction =
      browserFront(3, "Video feed", "https://video.example/watch", firefox);
  handle(distraction);
  tree.node(*browserWindow).set(AXAttribute::focused, true);
  platform.keysFake.focusedPid = firefox.pid;
  platform.keysFake.onPost = [this](const KeyChord&) {  // the closed tab's neighbour comes forward
    tree.node(*webPage).set(AXAttribute::url, std::string("https://docs.example/q3"));
  };

  answer(PromptAction::back, distraction);
  // Firefox is in front already: nothing to bring forward.
  EXPECT_EQ(platform.steps(), (fake::Steps{"post 30 Control+w", "AXPress", "AXRaise"}));
}

TEST_F(AppModelRoadTest, NeverHereIsLearnedAsWorkAndKeptInTheSettings) {
  Snapshot page = front(4, "Match highlights");
  page.observation = Moment(4, wallClock.now(), "Firefox", "firefox", "Match highlights",
                            Url::parse("https://www.video.example/watch"));
  handle(page);
  answer(PromptAction::never, page);
  EXPECT_EQ(model->prefs().neverInterrupt(), std::vector<std::string>{"video.example"});
  EXPECT_EQ(policy().neverInterrupt, std::vector<std::string>{"video.example"});
  ASSERT_TRUE(eventually([&] { return !model->answers().empty(); }));
  EXPECT_TRUE(model->answers().front().work);
  EXPECT_EQ(model->answers().front().site, "video.example");

  answer(PromptAction::never, page);
  EXPECT_EQ(model->prefs().neverInterrupt().size(), 1u) << "a site is listed once";
}

TEST_F(AppModelRoadTest, ScreenTextIsReadOnlyForAMomentThatStaysInFront) {
  startRecording();
  handle(front(1, "Quarterly report draft"));
  timers.advance(AppModel::kTextDelay - 0.5);
  int reads = platform.accessibilityFake.reads();
  handle(snapshot(2, "A window of no tree"));  // in front before the read was due
  timers.advance(1);
  EXPECT_EQ(platform.accessibilityFake.reads(), reads) << "the left moment's text is not read";

  handle(front(3, "Budget sheet"));
  reads = platform.accessibilityFake.reads();
  timers.advance(AppModel::kTextDelay);
  EXPECT_GT(platform.accessibilityFake.reads(), reads) << "read once it has stayed";

  handle(front(4, "Budget sheet v2"));
  platform.accessibilityFake.secureInput = true;
  reads = platform.accessibilityFake.reads();
  timers.advance(AppModel::kTextDelay);
  EXPECT_EQ(platform.accessibilityFake.reads(), reads) << "never while a password is typed";
}

TEST_F(AppModelRoadTest, AWorkingAgentHoldsTheDriftAndItsEndPromptsAtOnce) {
  useAgentHome();
  startRecording();
  claudeSession("s1", "/w/ledger", true);
  readAgents();
  ASSERT_EQ(model->agentSessions().size(), 1u);
  handle(front(1, "quarterly report — ledger"));  // work, beside the agent's folder
  readAgents();
  ASSERT_TRUE(model->workAgent());
  EXPECT_TRUE(model->workAgent()->busy);
  EXPECT_FALSE(policy().waitingOnAgent) << "the setting is off";

  model->prefs().setWaitForAgents(true);
  updateAgentWait();
  EXPECT_TRUE(policy().waitingOnAgent);

  WorkContext context;
  context.add("quarterly report");
  policy().restore(context, wallClock.now());
  handle(front(2, "Video feed", 20, "player"));
  ASSERT_TRUE(policy().driftSeconds(wallClock.now())) << "a drift runs";
  timers.advance(policy().config.agentWaitLimit / 2);  // polled meanwhile, still busy
  drainReads();
  EXPECT_FALSE(promptOpen()) << "the agent's work covers the drift";

  claudeSession("s1", "/w/ledger", false);
  timers.advance(AppModel::kAgentPollInterval);  // the poll reads the finished session
  drainReads();
  ASSERT_FALSE(policy().waitingOnAgent);
  ASSERT_TRUE(promptOpen()) << "the tick ran at once";
  EXPECT_THAT(promptTexts(), testing::Contains("Your coding agent finished."));
  EXPECT_FALSE(agentDone()) << "only for the length of that tick";
  EXPECT_EQ(recorded("SELECT event, detail FROM system WHERE event LIKE 'agent%'"),
            (std::vector<test::Reader::Row>{{SqlValue("agent working"), SqlValue("Claude Code")},
                                            {SqlValue("agent done"), SqlValue("Claude Code")}}));
}

TEST_F(AppModelRoadTest, AgentSessionsAreReadAtMostEveryTwoSecondsAndFoldersHourly) {
  useAgentHome();
  claudeSession("s1", "/w/ledger", false);
  readAgents();
  claudeSession("s2", "/w/atlas", false);
  refreshAgents();
  drainReads();
  EXPECT_EQ(model->agentSessions().size(), 1u) << "read again too soon";
  readAgents();
  EXPECT_EQ(model->agentSessions().size(), 2u);

  const auto projects = [&] { return policy().projects().projects(); };
  learnAgentFolders();  // the first after launch always learns
  ASSERT_TRUE(eventually([&] { return projects().size() == 2; }));
  agents.write(".claude/projects/p/s3.jsonl", test::claudeLines("Fix s3", "/w/harbor"),
               wallClock.now());
  timers.advance(AppModel::kAgentFoldersInterval);
  learnAgentFolders();
  drainReads();
  EXPECT_EQ(projects().size(), 2u) << "not yet an hour since";
  timers.advance(1);
  learnAgentFolders();
  EXPECT_TRUE(eventually([&] { return projects().size() == 3; }));
  flushFiles();
  EXPECT_TRUE(std::filesystem::exists(home / "projects.json"));
}

// The files below `root`, `except` aside, whose bytes hold `text` anywhere: a learned file, the
// event log or the recording (SQLite keeps text as it is, in the file or in its log beside it).
std::vector<std::string> filesHolding(const std::filesystem::path& root, std::string_view text,
                                      const std::filesystem::path& except) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.path().parent_path() == except || !entry.is_regular_file()) continue;
    if (test::readFile(entry.path()).find(text) != std::string::npos) {
      found.push_back(entry.path().lexically_relative(root).string());
    }
  }
  return found;
}

// As after a run with sudo left the settings to root, whose list excludes the terminal in front:
// the user's exclusions unknown, nothing in front is read, analysed, learned, logged or prompted
// on, however long it stays. Once the settings read, what is in front is read at once under the
// user's own lists: the terminal stays unread, any other window is read.
TEST_F(AppModelRoadTest, WhileTheSettingsCannotBeReadNothingInFrontIsReadThenTheUsersListsHold) {
  useAgentHome();
  const std::filesystem::path settingsFolder = settingsFile().parent_path();
  useRefusedSettings();
  WorkContext context;
  context.add("quarterly report");
  policy().restore(context, wallClock.now());  // protecting: a distraction would be prompted on
  model->start();
  load();
  awaitEventLog();

  const auto show = [&](pid_t pid, const std::string& id, const std::string& name,
                        const std::string& title) {
    platform.workspaceFake.frontmost = RunningApplication{pid, id, name};
    auto [window, node] = platform.accessibilityFake.makeElement();
    node->set(AXAttribute::title, title);
    platform.accessibilityFake.applicationNode(pid)->set(AXAttribute::focusedWindow, window);
    emit platform.workspaceFake.applicationActivated();
  };
  const auto run = [&](Duration seconds) {
    for (Duration gone = 0; gone < seconds; ++gone) {
      timers.advance(1);
      main.runAll();
      settle();
    }
  };
  const auto traces = [&] {
    if (model) flushFiles();
    if (model && recorder() != nullptr) recorder()->flush().get();
    std::vector<std::string> found;
    for (const std::string_view text :
         {"Quarterly report draft", "XTerm", "debian-xterm", "Video feed", "Player"}) {
      for (const std::string& file : filesHolding(home.path(), text, settingsFolder)) {
        found.push_back(std::string(text) + " in " + file);
      }
    }
    return found;
  };

  show(40, "debian-xterm", "XTerm", "Quarterly report draft - notes");
  run(20 * 60);
  EXPECT_FALSE(model->seen().has_value());
  show(20, "player", "Player", "Video feed");
  run(5 * 60);
  EXPECT_FALSE(promptOpen()) << "nothing read, nothing prompted on";
  show(10, "editor", "Editor", "Budget sheet");
  run(60);
  EXPECT_THAT(traces(), testing::IsEmpty());
  EXPECT_EQ(recorder(), nullptr) << "the recording waits for the settings too";

  takeBackSettings(R"({"excludedApps": ["debian-xterm"]})");
  run(AppModel::kTickInterval);
  EXPECT_EQ(model->seen() ? model->seen()->bundleID : "", "editor")
      << "the window in front, read once the settings read";
  show(40, "debian-xterm", "XTerm", "Quarterly report draft - notes");
  run(20 * 60);
  EXPECT_FALSE(model->seen().has_value()) << "excluded by the user's own list";
  EXPECT_NE(recorder(), nullptr);
  EXPECT_THAT(traces(), testing::IsEmpty());
  EXPECT_THAT(filesHolding(home.path(), "Budget sheet", settingsFolder),
              testing::Contains(testing::HasSubstr("recording")))
      << "what may be read is kept as ever";
  model.reset();  // before the settings it reads
  EXPECT_THAT(traces(), testing::IsEmpty());
}

// The question answered this morning, in settings a later start could not read: once they read,
// the question is not asked again today.
TEST_F(AppModelRoadTest, TheQuestionAnsweredTodayIsNotAskedAgainOnceTheSettingsRead) {
  useRefusedSettings();
  model->start();
  awaitEventLog();
  const Date answered = Calendar::current().startOfDay(wallClock.now());
  takeBackSettings(R"({"questionAnswered": {"date": )" +
                   std::to_string(answered.sinceReferenceDate) + "}}");
  timers.advance(AppModel::kTickInterval);
  ASSERT_FALSE(refusedSettings->unread());

  askAbout(snapshot(7, "quarterly report").observation);
  EXPECT_FALSE(model->question());
}

TEST_F(AppModelRoadTest, AWindowsShareOfItsScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(AppModel::screenShare(Rect{{0, 0}, {screen.width() / 2.0, screen.height() / 2.0}}),
            (std::vector<double>{0.5, 0.5}));
  EXPECT_EQ(AppModel::screenShare(Rect{{0, 0}, {screen.width() * 0.33, double(screen.height())}}),
            (std::vector<double>{0.3, 1.0}));
  EXPECT_EQ(AppModel::screenShare(Rect{{-5000, -5000}, {100, 100}}), std::nullopt);
}

}  // namespace
}  // namespace qb
