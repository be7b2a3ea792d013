// The coordinator's cost to the main thread, which also draws the windows and must never stall.
// The model runs headless as in its tests: the fake platform, the main thread's queue and timers
// run by hand on a manual clock, and an encoder scripted by the title in place of the model. Pages
// reach the model the way the program's do: the fake desktop changes what is in front and tells
// the observer, whose read, due a moment later, hands the snapshot on. The model's files (event
// log, memories, recording) go to a folder in memory, so that the figures are the main thread's
// own work; the model writes them on the main thread, so on a disk each such task also waits for
// its syncs, which disk:1 shows.
//
// BM_SnapshotRoad: handle() alone, for a page whose analysis is cached, so that the policy's
// decision is taken within the same call. Fifty pages alternate between work in an editor and
// videos in a browser, one every 5 simulated seconds (the ticks, checks and prompts in between run
// but are not timed); with the recording on and off in memory, and on with the files on the
// temporary folder's disk. Passes over the pages fill the cache first; a page that still starts an
// analysis fails the benchmark, as it would measure something else. cpu_us is the main thread's
// own processor time per snapshot, waits excluded.
//
// BM_HourOfSnapshots: the first hour after launch, a page every 5 s in stretches of work and of
// videos, one page in four never seen before so that its analysis runs on the analyser's worker
// (5 ms of its own), open prompts dismissed before the next page. Every task the main thread runs
// is timed: the observer's read with the handle() it calls, the tick, the scheduled check, the
// answer, each result posted back and every other timer. max_stall_us and p99_us are over them
// all, busy_ms is their sum, and max_<kind>_us says which kind the longest was.

#include <benchmark/benchmark.h>

#ifdef QB_BENCH_MODEL

#include <time.h>

#include <QApplication>
#include <QByteArray>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "analysis/ActivityHead.h"
#include "analysis/Analyzer.h"
#include "analysis/AnalyzerConfig.h"
#include "analysis/Embedding.h"
#include "analysis/GuardedAnalyzer.h"
#include "analysis/SiteKnowledge.h"
#include "app/ScopedEnvironment.h"
#include "app/sensing/FakeTree.h"
#include "base/Clock.h"
#include "base/Log.h"
#include "base/NoDestructor.h"
#include "model/AppModel.h"
#include "platform/LoginItem.h"
#include "platform/UserDefaults.h"
#include "platform/fake/FakePlatform.h"
#include "prompt/Overlay.h"
#include "recording/Recorder.h"
#include "sensing/Observer.h"
#include "sensing/Prefs.h"
#include "support/ManualRuntime.h"

namespace qb {

namespace {

constexpr const char* kPlatformVariable = "QT_QPA_PLATFORM";

// The off-screen platform cannot raise a window, and says so each time a prompt shows; every
// other message goes where it went before.
constexpr const char* kCannotRaise = "This plugin does not support raise()";
QtMessageHandler qtMessages = nullptr;
void dropCannotRaise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message == QLatin1String(kCannotRaise)) return;
  if (qtMessages) qtMessages(type, context, message);
}

// The overlay is a widget, so the model wants a widget application; drawn off screen, so that
// the figures do not depend on a display. One for the whole run, never destroyed. The platform
// variable is put back once the application has read it: later benchmarks start browsers, which
// inherit the environment.
QApplication* widgetApplication() {
  struct Application {
    Application() {
      if (QCoreApplication::instance() != nullptr) return;
      const std::optional<QByteArray> chosen = qEnvironmentVariableIsSet(kPlatformVariable)
                                                   ? std::optional(qgetenv(kPlatformVariable))
                                                   : std::nullopt;
      qputenv(kPlatformVariable, "offscreen");
      application = std::make_unique<QApplication>(argc, argv);
      qtMessages = qInstallMessageHandler(&dropCannotRaise);
      if (chosen) {
        qputenv(kPlatformVariable, *chosen);
      } else {
        qunsetenv(kPlatformVariable);
      }
    }
    int argc = 1;
    char name[16] = "quillbrook";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> application;
  };
  static NoDestructor<Application> shared;
  return qobject_cast<QApplication*>(QCoreApplication::instance());
}

// The calling thread's processor time: what the main thread spent of its own, waits excluded.
Duration threadCPUSeconds() {
  timespec now{};
  if (::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) return std::nan("");
  return static_cast<Duration>(now.tv_sec) + static_cast<Duration>(now.tv_nsec) * 1e-9;
}

// Reads work into a title with "report" in it and leisure into any other, after taking
// `encodeTime` of its own for the whole call, as a real encoder takes for a handful of texts.
class ScriptedEmbedder final : public Embedding {
public:
  explicit ScriptedEmbedder(Duration encodeTime) : encodeTime_(encodeTime) {}

  const std::string& revision() const override { return revision_; }
  Vector embed(const std::string& text) override {
    return text.find("report") != std::string::npos ? Vector{1, 0} : Vector{0, 1};
  }
  std::vector<Vector> embedAll(const std::vector<std::string>& texts) override {
    ++calls;
    std::this_thread::sleep_for(std::chrono::duration<Duration>(encodeTime_));
    return Embedding::embedAll(texts);
  }

  std::atomic<int> calls{0};  // analyses run

private:
  Duration encodeTime_;
  std::string revision_ = "scripted";
};

// A page the user puts in front: work is a report in the editor, leisure a video in the browser.
struct Page {
  bool work = false;
  std::string title;
  std::string url;  // leisure only
};

// A made-up word for every number, of letters only: pages whose titles differ only in digits
// would share one analysis.
std::string word(size_t number) {
  static constexpr std::array<std::string_view, 8> kSyllables{"ka",  "lu", "mor", "te",
                                                              "vin", "sa", "dro", "pe"};
  std::string made;
  do {
    made += kSyllables[number % kSyllables.size()];
    number /= kSyllables.size();
  } while (number > 0);
  return made;
}

Page page(bool work, size_t number) {
  const std::string topic = word(number);
  if (work) return {true, "Quarterly report on " + topic, ""};
  return {false, "Best of " + topic + " highlights", "https://video.example/watch/" + topic};
}

}  // namespace

// The coordinator started on the fake platform, with its main thread's queue and timers run by
// hand and every task they run timed. The friend AppModel names: it reaches the road's private
// steps as the road test does.
class AppModelBench final : public Executor, public Timers {
public:
  // What the main thread ran.
  enum class Task { snapshot, tick, check, answer, result, timer };
  static constexpr std::array<std::string_view, 6> kTaskNames{"snapshot", "tick",   "check",
                                                              "answer",   "result", "timer"};
  struct Ran {
    Task kind;
    Duration seconds;
  };

  // Starts the model as the program does at launch, its files in a scratch folder below `parent`,
  // and hands it the scripted analyser as a finished load would. Throws what the model's files
  // throw.
  AppModelBench(const std::filesystem::path& parent, Duration encodeTime, bool recording)
      : folder_(parent), embedder_(std::make_shared<ScriptedEmbedder>(encodeTime)) {
    // Nothing of the user's is read or written: the agents' sessions, the data folder and the
    // model folder all point into the scratch folder or nowhere, so that the load fails at once.
    environment_.set("HOME", folder_.folder().string());
    environment_.set("XDG_DATA_HOME", (folder_.folder() / "data").string());
    environment_.set("QB_MODEL_DIR", std::nullopt);
    placeWindows();
    model_ = std::make_unique<AppModel>(AppModel::Services{
        platform_, defaults_, loginItem_, *this, *this, clock_, wallClock_, folder_.folder()});
    model_->prefs().setRecording(recording);
    model_->start();
    if (recording && !model_->recorder_) {
      model_->recorder_ = std::make_unique<Recorder>(folder_.folder() / "recording.sqlite", *this,
                                                     *this, wallClock_);
      model_->recorder_->start(SessionRecord{wallClock_.now(), "bench", "Linux", "bench machine",
                                             AnalyzerConfig::production, PolicyConfig()});
    }
    takeOverTheLoad();
    Observer& observer = model_->observer();
    observer.onChange = [this,
                         handle = std::move(observer.onChange)](std::optional<Snapshot> snapshot) {
      ++handled_;
      const Duration start = MonotonicClock::steady().now();
      const Duration startCPU = threadCPUSeconds();
      handle(std::move(snapshot));
      lastHandled_ = {MonotonicClock::steady().now() - start, threadCPUSeconds() - startCPU,
                      model_->busy_};
    };
    settle();
    ran_.clear();
    // The launch's own load failed, as it should: the scripted analyser took its place.
    std::vector<std::string> errors = takeErrors();
    std::erase_if(errors, [](const std::string& error) { return error.starts_with(kNoModel); });
    for (std::string& error : errors) fail(std::move(error));
  }

  ~AppModelBench() override {
    // Written out before the folder goes, as the program does before it quits.
    if (model_) model_->stopRecording().wait();
  }

  AppModelBench(const AppModelBench&) = delete;
  AppModelBench& operator=(const AppModelBench&) = delete;

  // The main thread's queue: each task is timed when it runs. Safe from any thread.
  void post(std::function<void()> task) override {
    queue_.post([this, task = std::move(task)] { run(Task::result, task); });
  }
  // The main thread's timers: each is timed when it fires, as a tick or a check when it is the
  // model's.
  Id schedule(Duration after, std::function<void()> fire) override {
    auto id = std::make_shared<Id>();
    *id = timers_.schedule(after, [this, id, fire = std::move(fire)] {
      const Task kind = model_ && model_->ticker_ == *id      ? Task::tick
                        : model_ && model_->checkTask_ == *id ? Task::check
                                                              : Task::timer;
      run(kind, fire);
    });
    return *id;
  }
  void cancel(Id id) override { timers_.cancel(id); }

  // Dismisses an open prompt as the user would, puts `shown` in front, lets the observer read it
  // and the model handle it, then runs the main thread until `spacing` seconds have passed.
  // Answers how long the handle() took, and whether it started an analysis.
  struct Handled {
    Duration seconds = 0;
    Duration cpuSeconds = 0;  // of the main thread's own processor time
    bool analysing = false;
  };
  Handled show(const Page& shown, Duration spacing) {
    dismissPrompt();
    const App& app = shown.work ? editor_ : browser_;
    if (shown.work) {
      tree_.node(app.window).set(AXAttribute::title, shown.title + " — Editor");
    } else {
      tree_.node(app.window).set(AXAttribute::title, shown.title + " - Chromium");
      tree_.node(*browserPage_).set(AXAttribute::title, shown.title);
      tree_.node(*browserPage_).set(AXAttribute::url, shown.url);
    }
    fake::FakeWorkspace& workspace = platform_.workspaceFake;
    const bool switching = !workspace.frontmost || workspace.frontmost->pid != app.pid;
    workspace.frontmost = RunningApplication{app.pid, app.id, app.name};
    const uint64_t handled = handled_;
    Duration readAfter = Observer::kChangeDelay;
    if (switching) {
      readAfter = Observer::kSwitchDelay;
      emit workspace.applicationActivated();
    } else if (platform_.accessibilityFake.notify(app.pid, app.window,
                                                  AXNotification::titleChanged) == 0) {
      fail("the observer did not hear the title change to " + shown.title);
    }
    timers_.advance(readAfter);
    if (handled_ == handled) fail("the observer passed nothing on for " + shown.title);
    const Handled result = lastHandled_;
    settle();
    timers_.advance(spacing - readAfter);
    settle();
    return result;
  }

  // Every task run since the last call, and the errors logged meanwhile; both start over.
  std::vector<Ran> takeRan() { return std::exchange(ran_, {}); }
  std::vector<std::string> takeErrors() {
    std::lock_guard lock(errorsMutex_);
    return std::exchange(errors_, {});
  }
  int analyses() const { return embedder_->calls; }
  int prompts() const { return prompts_; }

private:
  static constexpr std::string_view kNoModel = "Model unavailable: ";

  struct App {
    pid_t pid;
    std::string id;
    std::string name;
    AXElement window;
  };

  void placeWindows() {
    for (App* app : {&editor_, &browser_}) {
      app->window = tree_.add(AXRole::window);
      tree_.node(app->window).set(AXAttribute::position, Point{0, 0});
      tree_.node(app->window).set(AXAttribute::size, Size{1280, 800});
      platform_.accessibilityFake.applicationNode(app->pid)->set(AXAttribute::focusedWindow,
                                                                 app->window);
    }
    browserPage_ = tree_.add(AXRole::webArea, &browser_.window);
  }

  // The launch found no model and will look again in a minute; the scripted analyser arrives as
  // a load that finished, and the retry is called off so that it never replaces it.
  void takeOverTheLoad() {
    if (model_->loader_) model_->loader_->submit([] {}).get();
    queue_.runAll();
    if (model_->modelRetry_) timers_.cancel(*std::exchange(model_->modelRetry_, std::nullopt));
    // Confident either way: +8 for a work embedding, -8 otherwise.
    auto analyzer = std::make_shared<const Analyzer>(
        Analyzer{embedder_, SiteKnowledge(), ActivityHead({8, -8, 0, 0, 0, 0, 0}, 0),
                 model_->personal_, AnalyzerConfig::production});
    model_->modelLoaded(std::move(analyzer), 0);
    if (!model_->running()) fail("the model is not running after its load");
  }

  void dismissPrompt() {
    if (!model_->openPrompt_) return;
    ++prompts_;
    run(Task::answer, [this] {
      const AppModel::OpenPrompt prompt = *model_->openPrompt_;
      model_->overlay().close();
      model_->finish(PromptAction::dismiss, prompt);
    });
    settle();
  }

  // Runs what the main thread has been handed; an analysis in flight is waited for, as the event
  // loop would be idle until its result came. The wait is no task of the main thread's.
  void settle() {
    queue_.runAll();
    while (model_->busy_) {
      if (!queue_.awaitTask()) return fail("an analysis never came back");
      queue_.runAll();
    }
  }

  void run(Task kind, const std::function<void()>& task) {
    const uint64_t handled = handled_;
    const Duration start = MonotonicClock::steady().now();
    task();
    const Duration seconds = MonotonicClock::steady().now() - start;
    ran_.push_back({handled_ == handled ? kind : Task::snapshot, seconds});
  }

  void fail(std::string error) {
    std::lock_guard lock(errorsMutex_);
    errors_.push_back(std::move(error));
  }

  ScratchFile folder_;
  test::ScopedEnvironment environment_;
  fake::FakePlatform platform_;
  test::FakeTree tree_{platform_.accessibilityFake};
  App editor_{10, "editor", "Editor", {}};
  App browser_{30, "chromium", "Chromium", {}};
  std::optional<AXElement> browserPage_;
  UserDefaults defaults_{folder_.folder() / "settings.json"};
  LoginItem loginItem_{folder_.folder() / "autostart", "/usr/bin/quillbrook"};
  test::ManualExecutor queue_;
  test::ManualTimers timers_;
  test::ManualTimersClock clock_{timers_};
  test::ManualTimersWallClock wallClock_{timers_};
  std::shared_ptr<ScriptedEmbedder> embedder_;

  std::vector<Ran> ran_;
  uint64_t handled_ = 0;  // snapshots the observer handed to the model
  Handled lastHandled_;
  int prompts_ = 0;
  // What the log reports as an error, and what went wrong here: either voids the figures.
  std::mutex errorsMutex_;
  std::vector<std::string> errors_;
  struct ErrorSink {
    explicit ErrorSink(AppModelBench& bench) {
      log::setSink([&bench](log::Level level, std::string_view message) {
        if (level == log::Level::error) bench.fail(std::string(message));
      });
    }
    ~ErrorSink() { log::setSink({}); }
    ErrorSink(const ErrorSink&) = delete;
    ErrorSink& operator=(const ErrorSink&) = delete;
  } sink_{*this};

  // Declared last: it goes first, while everything it runs on is still there.
  std::unique_ptr<AppModel> model_;
};

namespace {

// The spacing of the snapshots: a user who moves on every few seconds, as in a busy hour.
constexpr Duration kSnapshotSpacing = 5;

// Where the model's files go: a folder in memory, so that the figures are the main thread's own
// work and the hour runs in seconds, or the temporary folder's disk, where each file the model
// writes on the main thread also waits for its sync, as it does on the user's disk.
enum Storage : int64_t { inMemory, onDisk };
constexpr const char* kMemoryFolder = "/dev/shm";
std::filesystem::path storageFolder(Storage storage) {
  std::error_code error;
  if (storage == inMemory && std::filesystem::is_directory(kMemoryFolder, error)) {
    return kMemoryFolder;
  }
  return std::filesystem::temp_directory_path();
}

// The road's pages: work and leisure in turn, each one cached before the timing starts.
constexpr size_t kRoadPages = 50;
// Passes over the pages before they all hit the cache: the work titles an analysis is made
// against settle into one order per page only once every page has been seen after the work
// context formed.
constexpr int kMostWarmUpPasses = 8;
// Snapshots timed: in memory, enough for a steady mean; on disk, each waits for a few syncs.
constexpr int kRoadSnapshots = 1000;
constexpr int kRoadSnapshotsOnDisk = 100;

// The hour: ten minutes of work, then two of videos, five times over; one page in four new.
constexpr Duration kHour = 3600;
constexpr int kWorkStretch = 120;
constexpr int kLeisureStretch = 24;
constexpr int kNewPageEvery = 4;
// Pages revisited within a stretch; new pages are numbered past them.
constexpr size_t kRevisitedPages = 25;
// What a real encoder takes for the few texts of one analysis on the analyser's worker.
constexpr Duration kEncodeTime = 0.005;

constexpr double kMicroseconds = 1e6;
constexpr double kMilliseconds = 1e3;
constexpr double kTail = 0.99;

std::unique_ptr<AppModelBench> startModel(benchmark::State& state, Storage storage,
                                          Duration encodeTime, bool recording) {
  if (widgetApplication() == nullptr) {
    state.SkipWithError("another benchmark made an application object without widgets first");
    return nullptr;
  }
  try {
    return std::make_unique<AppModelBench>(storageFolder(storage), encodeTime, recording);
  } catch (const std::exception& error) {
    state.SkipWithError(error.what());
    return nullptr;
  }
}

// True, having skipped the benchmark with the first of them, when something went wrong.
bool failed(benchmark::State& state, AppModelBench& bench) {
  const std::vector<std::string> errors = bench.takeErrors();
  if (errors.empty()) return false;
  state.SkipWithError(errors.front().c_str());
  return true;
}

void BM_SnapshotRoad(benchmark::State& state) {
  const auto storage = static_cast<Storage>(state.range(0));
  const bool recording = state.range(1) != 0;
  std::unique_ptr<AppModelBench> bench = startModel(state, storage, 0, recording);
  if (!bench) return;
  std::vector<Page> pages;
  for (size_t index = 0; index < kRoadPages; ++index) pages.push_back(page(index % 2 == 0, index));

  bool cached = false;
  for (int pass = 0; pass < kMostWarmUpPasses && !cached; ++pass) {
    cached = true;
    for (const Page& shown : pages) {
      if (bench->show(shown, kSnapshotSpacing).analysing) cached = false;
    }
  }
  if (failed(state, *bench)) return;
  if (!cached) return state.SkipWithError("the pages still start analyses after the warm-up");

  size_t next = 0;
  int uncached = 0;
  Duration cpuSeconds = 0;
  for (auto _ : state) {
    const AppModelBench::Handled handled = bench->show(pages[next], kSnapshotSpacing);
    next = (next + 1) % pages.size();
    state.SetIterationTime(handled.seconds);
    cpuSeconds += handled.cpuSeconds;
    if (handled.analysing) ++uncached;
  }
  if (failed(state, *bench)) return;
  if (uncached > 0) return state.SkipWithError("a page started an analysis while timed");
  state.SetItemsProcessed(state.iterations());
  state.counters["cpu_us"] = cpuSeconds * kMicroseconds / static_cast<double>(state.iterations());
  state.counters["prompts"] = bench->prompts();
}
BENCHMARK(BM_SnapshotRoad)
    ->ArgNames({"disk", "recording"})
    ->Args({inMemory, 1})
    ->Args({inMemory, 0})
    ->UseManualTime()
    ->Iterations(kRoadSnapshots)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SnapshotRoad)
    ->ArgNames({"disk", "recording"})
    ->Args({onDisk, 1})
    ->UseManualTime()
    ->Iterations(kRoadSnapshotsOnDisk)
    ->Unit(benchmark::kMicrosecond);

double tailSeconds(std::vector<Duration> seconds, double share) {
  if (seconds.empty()) return 0;
  const size_t rank = static_cast<size_t>(std::ceil(share * double(seconds.size()))) - 1;
  std::nth_element(seconds.begin(), seconds.begin() + static_cast<ptrdiff_t>(rank), seconds.end());
  return seconds[rank];
}

void BM_HourOfSnapshots(benchmark::State& state) {
  std::unique_ptr<AppModelBench> bench = startModel(state, inMemory, kEncodeTime, true);
  if (!bench) return;
  const int snapshots = static_cast<int>(kHour / kSnapshotSpacing);
  std::vector<AppModelBench::Ran> ran;
  for (auto _ : state) {
    size_t revisited = 0;
    size_t fresh = kRevisitedPages;
    for (int index = 0; index < snapshots; ++index) {
      const bool work = index % (kWorkStretch + kLeisureStretch) < kWorkStretch;
      const size_t number = index % kNewPageEvery == 0 ? fresh++ : revisited++ % kRevisitedPages;
      bench->show(page(work, number), kSnapshotSpacing);
    }
    ran = bench->takeRan();
  }
  if (failed(state, *bench)) return;

  std::vector<Duration> all;
  std::array<Duration, AppModelBench::kTaskNames.size()> longest{};
  Duration busy = 0;
  for (const AppModelBench::Ran& task : ran) {
    all.push_back(task.seconds);
    busy += task.seconds;
    Duration& kind = longest[static_cast<size_t>(task.kind)];
    kind = std::max(kind, task.seconds);
  }
  state.counters["max_stall_us"] = tailSeconds(all, 1) * kMicroseconds;
  state.counters["p99_us"] = tailSeconds(all, kTail) * kMicroseconds;
  state.counters["tasks"] = static_cast<double>(all.size());
  state.counters["busy_ms"] = busy * kMilliseconds;
  for (size_t kind = 0; kind < longest.size(); ++kind) {
    const std::string name = "max_" + std::string(AppModelBench::kTaskNames[kind]) + "_us";
    state.counters[name] = longest[kind] * kMicroseconds;
  }
  state.counters["analyses"] = bench->analyses();
  state.counters["prompts"] = bench->prompts();
}
BENCHMARK(BM_HourOfSnapshots)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qb

#endif  // QB_BENCH_MODEL
