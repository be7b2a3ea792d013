// The coordinator on its road, headless: the fake platform, a manual main thread and clock, and a
// scripted encoder in place of the model.

#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <algorithm>
#include <atomic>
#include <future>
#include <string_view>

#include "agents/AgentHome.h"
#include "analysis/GuardedAnalyzer.h"
#include "app/ScopedEnvironment.h"
#include "app/model/ModelHarness.h"
#include "app/sensing/FakeTree.h"
#include "model/AppModel.h"
#include "platform/LoginItem.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakePlatform.h"
#include "prompt/Overlay.h"
#include "prompt/OverlayPanel.h"
#include "recording/EventStore.h"
#include "recording/Recorder.h"
#include "recording/RecorderTestSupport.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

namespace qb {

// An encoder that reads work into a title with "report" in it, fails on "broken" and waits on
// "slow" until the test lets it go.
struct ScriptedEmbedder : Embedding {
  const std::string& revision() const override { return revision_; }
  Vector embed(const std::string& text) override {
    ++calls;
    if (text.find("broken") != std::string::npos) throw std::runtime_error("broken");
    if (text.find("slow") != std::string::npos) gate.wait();
    return text.find("report") != std::string::npos ? Vector{1, 0} : Vector{0, 1};
  }
  std::atomic<int> calls{0};
  std::shared_future<void> gate;
  std::string revision_ = "scripted";
};

// The coordinator running on the fake platform with the scripted encoder in place of a model.
class AppModelRoadTest : public testing::Test, protected test::ModelHarness {
protected:
  AppModelRoadTest() {
    // No model anywhere: a reload fails at once, and says so in the log.
    environment.set("QB_MODEL_DIR", std::nullopt);
    environment.set("XDG_DATA_HOME", (home / "data").string());
    // Only the applications the test installs.
    environment.set("XDG_DATA_DIRS", (home / "system").string());
    embedder->gate = release.get_future().share();
    model = std::make_unique<AppModel>(services(home.path()));
    load();
  }
  // Hands the model the scripted analyser, as a finished load would.
  void load() {
    // Confident either way: +8 for a work embedding, -8 otherwise.
    auto analyzer = std::make_shared<const Analyzer>(
        Analyzer{embedder, SiteKnowledge(), ActivityHead({8, -8, 0, 0, 0, 0, 0}, 0), nullptr,
                 AnalyzerConfig::production});
    model->analyzer_ = std::make_unique<GuardedAnalyzer>(analyzer, AppModel::kAnalysisTimeout);
    model->modelState_ = AppModel::ModelState::ready;
    // A load that succeeds leaves no retry of a failed one waiting.
    if (model->modelRetry_) timers.cancel(*std::exchange(model->modelRetry_, std::nullopt));
  }
  ~AppModelRoadTest() override {
    if (!released) release.set_value();
  }

  Snapshot snapshot(uint64_t id, const std::string& title, pid_t pid = 10) {
    Moment moment(id, wallClock.now(), "Editor", "editor", title);
    return Snapshot{moment, Target{pid, "editor", AXElement(), std::nullopt},
                    ObserverCause::titleChange, 0, false};
  }
  // Runs what the analyses hand back until none is in flight.
  void settle() {
    while (model->busy_) {
      ASSERT_TRUE(main.awaitTask());
      main.runAll();
    }
  }
  void handle(const Snapshot& shown) {
    model->handle(shown);
    settle();
  }
  bool analysed(uint64_t id) const { return model->analyses_.count(id) > 0; }
  // What the tests read and call of the model's own.
  void offer(const Snapshot& shown) { model->handle(shown); }
  bool busy() const { return model->busy_; }
  const Analysis& analysis(uint64_t id) const { return model->analyses_.at(id); }
  bool analyserDropped() const { return model->analyzer_ == nullptr; }
  bool reloaded() const {
    const auto lines = log.lines();
    return std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
      return line.find("Model unavailable") != std::string::npos;
    });
  }
  bool running() const { return model->running(); }
  void setAway(bool away, std::string_view event) { model->setAway(away, event); }
  Policy& policy() { return model->policy_; }
  void intervene(uint64_t id) { model->intervene(id); }
  bool promptOpen() const { return model->openPrompt_.has_value(); }
  // Answers the prompt as the panel does: it closes itself, then hands the answer over.
  void answerOpenPrompt(PromptAction action) {
    const AppModel::OpenPrompt prompt = *model->openPrompt_;
    model->overlay().close();
    model->finish(action, prompt);
  }
  void startRecording() {
    model->prefs().setRecording(true);
    model->recorder_ =
        std::make_unique<Recorder>(AppModel::recordingURL(), main, timers, wallClock);
    model->recorder_->start(SessionRecord{wallClock.now(), "test", "Linux", "test machine",
                                          AnalyzerConfig::production, PolicyConfig()});
  }
  // The recording's rows, once everything recorded so far is written.
  std::vector<test::Reader::Row> recorded(const std::string& sql) {
    model->recorder_->flush().get();
    return test::Reader(AppModel::recordingURL()).rows(sql);
  }
  void answer(PromptAction action, const Snapshot& prompted) {
    model->finish(action, AppModel::OpenPrompt{prompted, std::nullopt, "prompt-1"});
  }
  // Runs what the answer store and the encoder hand back until `done` holds.
  template <typename Done>
  bool eventually(Done done) {
    for (int i = 0; i < 100 && !done(); ++i) {
      if (main.awaitTask(std::chrono::seconds(1))) main.runAll();
    }
    return done();
  }
  // Puts an editor window titled `title` in front, as the observer would read it, and hands the
  // model the snapshot of it. The window in front holds the focus.
  Snapshot front(uint64_t id, const std::string& title, pid_t pid = 10,
                 const std::string& app = "editor") {
    platform.workspaceFake.frontmost = RunningApplication{pid, app, app};
    platform.keysFake.focusedPid = pid;
    if (browserWindow) tree.node(*browserWindow).set(AXAttribute::focused, false);
    auto [element, node] = platform.accessibilityFake.makeElement();
    node->set(AXAttribute::title, title);
    node->set(AXAttribute::position, Point{0, 0});
    node->set(AXAttribute::size, Size{400, 300});
    platform.accessibilityFake.applicationNode(pid)->set(AXAttribute::focusedWindow, element);
    Snapshot shown = *model->observer().read();
    shown.observation.id = id;
    return shown;
  }
  // Puts one Chromium window (or one of `browser`) in front, showing `title` at `url`; the window
  // stays the same from call to call, as one tab that navigates, and holds the focus.
  Snapshot browserFront(uint64_t id, const std::string& title, const std::string& url,
                        const RunningApplication& browser = {30, "chromium", "Chromium"}) {
    platform.workspaceFake.frontmost = browser;
    platform.keysFake.focusedPid = browser.pid;
    if (!browserWindow) {
      browserWindow = tree.add(AXRole::window);
      webPage = tree.add(AXRole::webArea, &*browserWindow);
      platform.accessibilityFake.applicationNode(browser.pid)
          ->set(AXAttribute::focusedWindow, *browserWindow);
    }
    tree.node(*browserWindow).set(AXAttribute::title, title + " - " + *browser.localizedName);
    tree.node(*browserWindow).set(AXAttribute::focused, true);
    tree.node(*webPage).set(AXAttribute::title, title);
    tree.node(*webPage).set(AXAttribute::url, url);
    Snapshot shown = *model->observer().read();
    shown.observation.id = id;
    return shown;
  }
  // The user stayed on "Quarterly report" in a tab of the window of browserFront (one of
  // `browser`), long enough for it to be the page to go back to, then turned to a player. The
  // window can be raised; the work tab, among its tabs, answers no press.
  struct LeftWorkTab {
    AXElement tab;
    Snapshot distraction;
  };
  LeftWorkTab leaveAWorkTab(const RunningApplication& browser = {30, "chromium", "Chromium"}) {
    handle(browserFront(1, "Quarterly report", "https://docs.example/q3", browser));
    timers.advance(LastWork<Snapshot>::minimum);
    const AXElement tab = tree.add(AXRole::radioButton, &*browserWindow);
    tree.node(tab).set(AXAttribute::title, std::string("Quarterly report"));
    tree.node(*browserWindow).accept(AXAction::raise);
    const Snapshot distraction = front(2, "Video feed", 20, "player");
    handle(distraction);
    return {tab, distraction};
  }
  std::vector<std::string> promptTexts() const {
    std::vector<std::string> texts;
    if (!model->overlay().panel()) return texts;
    for (const QLabel* label : model->overlay().panel()->findChildren<QLabel*>()) {
      texts.push_back(label->text().toStdString());
    }
    return texts;
  }
  void letGo() {
    released = true;
    release.set_value();
  }

  // The agents' files below a home of the test's own, dated by the test's clock.
  void useAgentHome() { environment.set("HOME", agents.path().string()); }
  void claudeSession(const std::string& id, const std::string& folder, bool busy) {
    agents.write(".claude/projects/p/" + id + ".jsonl", test::claudeLines("Fix " + id, folder),
                 wallClock.now());
    agents.write(".claude/sessions/" + id + ".json", R"({"sessionId":")" + id + R"(","status":")" +
                                                         (busy ? "busy" : "idle") + R"(","pid":)" +
                                                         std::to_string(getpid()) + "}");
  }
  // Lets the sessions be read again, then reads them and runs what the read brings back.
  void readAgents() {
    timers.advance(AppModel::kAgentReadSpacing);
    model->refreshAgents();
    ASSERT_TRUE(eventually([&] { return !model->readingAgents_; }));
  }
  void refreshAgents() { model->refreshAgents(); }
  // Runs what the agents' reads started so far hand back.
  void drainReads() {
    model->reader_->submit([] {}).get();
    main.runAll();
  }
  void updateAgentWait() { model->updateAgentWait(); }
  // The event log, open as start-up opens it, and what it holds.
  void openEventLog() { model->store_ = std::make_unique<EventStore>(home / "events.sqlite"); }
  std::vector<EventStore::Event> events() const { return model->store_->events(Date::fromUnix(0)); }
  // Runs what the event log's check, started by start(), hands back until its file is in use.
  void awaitEventLog() {
    while (!model->store_->inUse()) {
      ASSERT_TRUE(main.awaitTask()) << "the event log's check never came back";
      main.runAll();
    }
  }
  void tick() { model->tick(); }
  // Lets `seconds` go by, with the tick every kTickInterval as the running program has it.
  void pass(Duration seconds) {
    while (seconds > 0) {
      const Duration step = std::min(seconds, AppModel::kTickInterval - sinceTick);
      timers.advance(step);
      seconds -= step;
      sinceTick += step;
      if (sinceTick >= AppModel::kTickInterval) {
        sinceTick = 0;
        tick();
      }
    }
  }
  // Hands the model `page` as what is in front, then lets up to `seconds` go by: whether a prompt
  // went up over it.
  bool promptedWithin(const Snapshot& page, Duration seconds) {
    handle(page);
    for (Duration gone = 0; gone < seconds && !promptOpen(); ++gone) pass(1);
    return promptOpen();
  }
  // A work context on the quarterly report, with the report in the editor as the page to go back
  // to.
  void atWork() {
    WorkContext context;
    context.add("quarterly report");
    policy().restore(context, wallClock.now());
    handle(front(1, "quarterly report"));
  }
  // Two distracting sites, each in the browser's one window.
  Snapshot video(uint64_t id) {
    return browserFront(id, "Video feed", "https://video.example/watch");
  }
  Snapshot games(uint64_t id) { return browserFront(id, "Puzzle games", "https://games.example/"); }
  // The kinds of the event log's rows that a prompt and its answers leave, in their order.
  std::vector<EventStore::Kind> promptEvents() const {
    std::vector<EventStore::Kind> kinds;
    for (const EventStore::Event& event : events()) {
      using enum EventStore::Kind;
      if (event.kind == prompt || event.kind == back || event.kind == related ||
          event.kind == breakTaken || event.kind == dismissed) {
        kinds.push_back(event.kind);
      }
    }
    return kinds;
  }
  // Makes the page the daily question asks about, as a day of unsure time would.
  void askAbout(const Moment& page) {
    model->daily_.add(page, 3600, wallClock.now());
    model->drainWork();
  }
  Recorder* recorder() const { return model->recorder_.get(); }
  // Returns once the model's memory files are on disk.
  void flushFiles() { model->files_.flush(); }
  // Runs, until none is left, what the waits on the answer store and the encoder hand back.
  void drainWaits() {
    do {
      model->waiter_->submit([] {}).get();
    } while (main.runAll() > 0);
  }
  std::optional<std::string> category(const std::string& id) { return model->category(id); }
  // Installs an application's desktop entry where the test's desktop looks for them.
  void install(const std::string& id, const std::string& keys) {
    std::filesystem::create_directories(home / "system/applications");
    test::writeFile(home / "system/applications" / (id + ".desktop"),
                    "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + id + "\n" + keys);
  }
  void learnAgentFolders() { model->learnAgentFolders(); }
  std::optional<AgentSession> agentDone() const { return model->agentDone_; }
  // Settings the system refuses, as after a run with sudo left them to root: a link that leads to
  // itself, refused even to root, until takeBackSettings(). The model is made anew on them, and
  // not started.
  std::filesystem::path settingsFile() const { return home / "Settings" / "settings.json"; }
  void useRefusedSettings() {
    std::filesystem::create_directories(settingsFile().parent_path());
    std::filesystem::create_symlink(settingsFile().filename(), settingsFile());
    refusedSettings.emplace(settingsFile());
    ASSERT_TRUE(refusedSettings->unread());
    model = std::make_unique<AppModel>(AppModel::Services{platform, *refusedSettings, loginItem,
                                                          main, timers, clock, wallClock,
                                                          home / "Quillbrook"});
  }
  // The user's own settings file, holding `settings`, in place of the refused one.
  void takeBackSettings(std::string_view settings) {
    std::filesystem::remove(settingsFile());
    test::writeFile(settingsFile(), settings);
  }
  // Whether a line of the log so far holds `words`.
  bool logged(std::string_view words) const {
    const auto lines = log.lines();
    return std::any_of(lines.begin(), lines.end(), [words](const std::string& line) {
      return line.find(words) != std::string::npos;
    });
  }

  test::AgentHome agents;
  test::FakeTree tree{platform.accessibilityFake};
  std::optional<AXElement> browserWindow, webPage;
  test::LogCapture log;
  std::shared_ptr<ScriptedEmbedder> embedder = std::make_shared<ScriptedEmbedder>();
  std::promise<void> release;
  bool released = false;
  std::optional<UserDefaults> refusedSettings;  // outlives the model that reads it
  std::unique_ptr<AppModel> model;
  Duration sinceTick = 0;  // since pass() last ticked
};

}  // namespace qb
