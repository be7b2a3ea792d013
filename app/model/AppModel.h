// AppModel: the one coordinating object of the program. It owns every long-lived component
// (settings, sensing, the prompt panel, the event log, the policy, the user's answers, the daily
// question, the analyser, the recorder, the uploader) and every timer and task; the windows and
// the tray read it and drive it through its commands, holding nothing of their own but view state.
//
// Observable state: each field the windows show has a getter, and every change of it emits
// changed() with the field's name. A setter that is given the value already held stays silent,
// except for `recorded` and `allowed`, which announce every assignment; a NaN for `learned` always
// counts as a change. The status is derived on every read, in this order of precedence: needs
// access, model unavailable, paused, on break, away, protecting, else learning.
//
// The files the model keeps wait in memory while the system refuses them (no permission, as after
// a run with sudo; a read-only or full disk): each is kept as it is and tried again, never set
// aside or written over on the strength of that answer, and `unsaved` says which wait, so that the
// windows can tell the user. The settings and the learned files are tried again at every tick, and
// what waits to be written once more as the program quits:
// - While the settings file cannot be read, the defaults answer (Prefs), and the model does
//   nothing on them that the user's own settings might forbid or regret: every application and
//   site counts as excluded (Prefs::isExcludedApp), so nothing in front is read, analysed, learned,
//   logged or prompted on; the recording is not started, and the event log is not pruned to a
//   default history length. Once the file reads, Prefs reads it again, what is in front is read
//   at once under the user's own lists, and the recording starts if the user's settings say so.
// - A learned file that cannot be read is left as it is: nothing is written over it, and it is
//   read again at every tick. Once it reads it is restored as at start, which replaces what was
//   learned of its kind meanwhile (the file holds more than one run's worth; a work context formed
//   meanwhile is newer, and is kept instead). A write that fails is kept by the file writer and
//   tried again until a newer state replaces it.
//
// Time: the model reads its clocks and schedules its timers through the services it is given, so
// that tests run a whole day on a manual clock. Main thread only: work that runs elsewhere (the
// model load's background steps, the answer store) hands its results back through `main`.
//
// The services given to the constructor must outlive the model.

#pragma once

#include <QByteArray>
#include <QObject>
#include <QRect>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "analysis/ActivityKind.h"
#include "analysis/AgentSession.h"
#include "analysis/Analysis.h"
#include "analysis/AnalysisPass.h"
#include "analysis/PersonalMemory.h"
#include "base/Clock.h"
#include "base/Date.h"
#include "base/FileWriter.h"
#include "base/JsonFwd.h"
#include "base/Log.h"
#include "base/Runtime.h"
#include "base/SerialExecutor.h"
#include "base/Uuid.h"
#include "base/WallClock.h"
#include "context/DailyQuestion.h"
#include "context/LastWork.h"
#include "platform/DesktopEntries.h"
#include "platform/Geometry.h"
#include "policy/Allowances.h"
#include "policy/Policy.h"
#include "prompt/PromptCard.h"
#include "recording/History.h"
#include "recording/InputCounts.h"
#include "recording/Uploader.h"
#include "sensing/Access.h"
#include "sensing/Browsers.h"
#include "sensing/Snapshot.h"

namespace qb {

class EventStore;
class GuardedAnalyzer;
class LoginItem;
class Observer;
class Overlay;
class PersonalStore;
class Platform;
class Prefs;
class Recorder;
class UserDefaults;

class Analyzer;

class AppModel : public QObject {
  Q_OBJECT

public:
  // How often the tick runs, the share is tried and the permission is asked for while missing.
  static constexpr Duration kTickInterval = 30;
  static constexpr Duration kShareInterval = 900;
  static constexpr Duration kAccessPollInterval = 1;
  // How long after a failed model load the next one starts.
  static constexpr Duration kModelRetryDelay = 60;
  // The text a new embedder runs once before it serves, so that the first real analysis (or the
  // first timed pass of the model's benchmark) does not pay for its first-use costs.
  static constexpr const char* kWarmUpText = "warm up";
  // The longest one analysis may take before it counts as timed out.
  static constexpr Duration kAnalysisTimeout = 5;
  // The accessibility service's bound on every request to another program.
  static constexpr Duration kMessagingTimeout = 1;
  // How often, and for how long, Back to work looks again at the distracting page when the
  // browser in front leaves a look at it unanswered: one busy with the page it has just opened can
  // keep the bus waiting past kMessagingTimeout, and a page that was not read is not closed.
  static constexpr Duration kPageLookInterval = 0.25;
  static constexpr Duration kPageLookWait = 3;
  // How long a page whose analysis failed or timed out is left alone, and the most pages the
  // cache and the skip table hold before they start over; the most analyses kept by observation.
  static constexpr Duration kSkipDuration = 600;
  static constexpr size_t kMaxCached = 256;
  static constexpr size_t kMaxSkipped = 256;
  static constexpr size_t kMaxAnalyses = 64;
  // The prompt's icon of the application to go back to, in pixels.
  static constexpr int kIconPixels = 80;
  // The recording's sample of on-screen text: read once a moment has lasted kTextDelay, within
  // these budgets; the focused element's own text is never read for it.
  static constexpr Duration kTextDelay = 3.0;
  static constexpr int kTextCharacters = 1000;
  static constexpr int kTextNodes = 400;
  static constexpr Duration kTextTime = 0.08;
  // Analysis failures in a row that make the model be loaded again.
  static constexpr int kFailuresBeforeReload = 3;
  // The coding agents' sessions are read at most this often; while the user waits on a busy
  // agent they are polled at kAgentPollInterval. Their folders are learned as project names at
  // most once per kAgentFoldersInterval, from the sessions of the last kAgentFoldersLookBack.
  static constexpr Duration kAgentReadSpacing = 2.0;
  static constexpr Duration kAgentPollInterval = 5.0;
  static constexpr Duration kAgentFoldersInterval = 3600;
  static constexpr Duration kAgentFoldersLookBack = 30 * 86400;
  // The days the pages' figures cover, today included, and the gap in the events that breaks a
  // coloured stretch of the day.
  static constexpr int kRecapDays = 7;
  static constexpr Duration kSpanGap = 120;

  struct Status {
    enum class Kind { onBreak, learning, protecting, paused, needsAccess, modelUnavailable, away };
    Kind kind = Kind::learning;
    std::optional<Date> until;  // the break's end, for onBreak only
    friend bool operator==(const Status&, const Status&) = default;
  };
  enum class ModelState { loading, ready, failed };

  // What is in front and how it was classified.
  struct Seen {
    std::string name;  // the moment's host, else its application's name
    std::string bundleID;
    pid_t pid = 0;
    std::optional<ActivityKind> activity;  // none until analysed
    bool analyzed = false;
    friend bool operator==(const Seen&, const Seen&) = default;
  };
  // Today's coloured stretches and the times of its prompts.
  struct Today {
    Date start;
    std::vector<History::Span> spans;
    std::vector<Date> prompts;
    friend bool operator==(const Today&, const Today&) = default;
  };
  struct TaskTime {
    std::string name;
    double seconds = 0;
    friend bool operator==(const TaskTime&, const TaskTime&) = default;
  };
  struct Recorded {
    int64_t moments = 0;
    int64_t labelled = 0;
    friend bool operator==(const Recorded&, const Recorded&) = default;
  };
  struct Allowed {
    std::string scope;
    Allowances::Allowance allowance;
    friend bool operator==(const Allowed&, const Allowed&) = default;
  };

  // The observable fields, as changed() names them.
  enum class Property {
    accessibility,
    automation,
    tabsShown,
    modelState,
    paused,
    breakUntil,
    protecting,
    idleAway,
    workingOn,
    learned,
    seen,
    today,
    week,
    weekTasks,
    todayTasks,
    recorded,
    sharingAvailable,
    shared,
    question,
    answers,
    allowed,
    agentSessions,
    workAgent,
    unsaved,
  };
  // What waits in memory, unsaved, because the system refuses its file for now.
  enum class Unsaved {
    settings,        // a change of the settings (also while they are unread)
    unreadSettings,  // the settings file cannot be read: the defaults answer
    learned,         // a learned file cannot be read or written
    unreadLearned,   // a learned file cannot be read: once it reads it replaces what was learned
                     // of its kind meanwhile
    eventLog,
    recording,
  };

  // What the model runs on and where it keeps its files.
  struct Services {
    Platform& platform;
    UserDefaults& defaults;
    LoginItem& loginItem;
    Executor& main;  // the main thread's queue
    Timers& timers;  // one-shot timers on the main thread
    const MonotonicClock& clock;
    const WallClock& wallClock;
    std::filesystem::path folder;  // the application's folder: event log, recording, memories
  };

  // Builds every field with its initial value and starts nothing: no timer, no task, no file.
  AppModel(Services services, std::unique_ptr<Uploader> uploader = nullptr);
  ~AppModel() override;

  AppModel(const AppModel&) = delete;
  AppModel& operator=(const AppModel&) = delete;

  // --- Start-up ---

  // Opens the event log, restores what earlier runs learned, wires and starts the observer,
  // schedules the tick and the share, asks for the accessibility permission while it is missing,
  // and starts loading the model. Called once, when the program has finished launching.
  void start();
  // The folder that holds the model files, or none: QB_MODEL_DIR when it is set (whatever it
  // holds), else the first of the installed folders below that holds Embedder/manifest.json.
  static std::optional<std::filesystem::path> modelDirectory();
  // Asks for the accessibility permission, then polls for it every second until it is granted.
  void requestAccessibility();
  // (Re)starts the once-a-second poll for the accessibility permission.
  void pollAccessibility();

  // --- The user's commands ---

  // Stops and restarts watching; the paused time goes to the event log on resuming.
  void pause();
  void resume();
  // A break of `minutes` (the settings' length when none) from now; the tick ends it when due.
  void startBreak(std::optional<int> minutes);
  void endBreak();
  // Answers today's question about the page the user spent longest on, as work or not; nothing
  // when there is no question.
  void answerQuestion(bool work);
  // Forgets one of the user's answers, and retracts it in the recording.
  void forgetAnswer(const Uuid& id);
  // The running allowances at once, and the user's answers, newest first, shortly after.
  void refreshAnswers();
  // Ends the running allowance of a site or application, and saves what is left.
  void endAllowance(const std::string& scope);
  // Forgets what the program has learned and logged about the user, keeping the settings.
  void deleteAllData();
  // Checks, without asking, whether the browsers may be read; and asks for one of them.
  void refreshAutomation();
  void requestAutomation(BrowserKind kind);

  // --- Recording and sharing ---

  // The user's switches: each stores the setting and opens or closes the session, or makes or
  // drops the sharing cursors; nothing when the value is already stored.
  void setRecording(bool on);
  void setSharing(bool on);
  // Turns sharing off, then asks the server to forget this installation.
  void deleteShared();
  // Recounts `recorded`; nothing when there is no recording file.
  void refreshRecording();
  // Writes the recording's export into `folder`; `done` hears none on success, else what failed.
  using Exported = std::function<void(std::optional<std::string> failure)>;
  void exportRecording(const std::filesystem::path& folder, Exported done = {});
  // Empties the recording, then recounts it; nothing when there is no recording file.
  void deleteRecording();

  // Closes the recording session with the last input counts and writes everything queued; the
  // future is ready once it is on disk (at once when recording is off). The program waits on it
  // before it quits.
  std::future<void> stopRecording();
  // As the program quits: logs a break still running as taken until now, then gives what the event
  // log keeps in memory its last try (EventStore::flush).
  void flushEventLog();

  // --- Sharing: the server this build names and the machine it runs on ---

  struct SharingServer {
    std::string url;
    std::string key;
  };
  // The server and key the build was configured with (QB_SHARING_URL, QB_SHARING_KEY): none
  // unless the address parses and the key is not empty.
  static const std::optional<SharingServer>& sharingServer();
  // The machine's identifier, /etc/machine-id; none when it cannot be read.
  static std::optional<std::string> hardwareUUID();
  // The uploader for this build and machine; none without a server or a machine identifier.
  static std::unique_ptr<Uploader> makeUploader();

  // --- Observable state ---

  Prefs& prefs() const { return *prefs_; }
  bool accessibility() const { return accessibility_; }
  const std::map<BrowserKind, Access>& automation() const { return automation_; }
  // Whether a window of the browser has shown its tabs since the program started: the bus being on
  // is not enough for the Chromium family, which publishes them only when started with
  // --force-renderer-accessibility.
  bool tabsShown(BrowserKind kind) const { return tabsShown_.contains(kind); }
  ModelState modelState() const { return modelState_; }
  bool paused() const { return paused_; }
  const std::optional<Date>& breakUntil() const { return breakUntil_; }
  bool protecting() const { return protecting_; }
  bool idleAway() const { return idleAway_; }
  const std::vector<std::string>& workingOn() const { return workingOn_; }
  // Work seconds learned toward the learning goal; may be NaN, which readers must allow for.
  double learned() const { return learned_; }
  const std::optional<Seen>& seen() const { return seen_; }
  const Today& today() const { return today_; }
  const std::vector<History::Day>& week() const { return week_; }
  const std::vector<TaskTime>& weekTasks() const { return weekTasks_; }
  const std::vector<TaskTime>& todayTasks() const { return todayTasks_; }
  // None until the recording has answered a count: its check on opening reads the whole file,
  // seconds for a long recording, and a 0 shown meanwhile would not be true. A count that fails
  // leaves what was known before.
  const std::optional<Recorded>& recorded() const { return recorded_; }
  bool sharingAvailable() const { return sharingAvailable_; }
  int64_t shared() const { return shared_; }
  const std::optional<DailyQuestion::Page>& question() const { return question_; }
  const std::vector<PersonalMemory::Example>& answers() const { return answers_; }
  const std::vector<Allowed>& allowed() const { return allowed_; }
  const std::vector<AgentSession>& agentSessions() const { return agentSessions_; }
  const std::optional<AgentSession>& workAgent() const { return workAgent_; }
  const std::set<Unsaved>& unsaved() const { return unsaved_; }

  Status status() const;
  // Whether a change of `property` can change status().
  static bool affectsStatus(Property property);

  // The components the shell reaches through the model.
  Observer& observer() const { return *observer_; }
  Overlay& overlay() const { return *overlay_; }
  const Policy& policy() const { return policy_; }

  // The recording database: recording.sqlite in the application's folder.
  static std::filesystem::path recordingURL();

  // --- Saved memories ---

  // A file of the application's folder, by its name.
  std::filesystem::path projectsURL(std::string_view name) const;
  // The three policy memories, then "context.json" (removed when there is no context).
  void saveContext();
  void restoreContext();
  void saveProjects();
  void restoreProjects();

  // --- Coding agents ---

  // Recomputes whether the user waits on the agent of their current work, and acts on a change:
  // after each read of the sessions, and when the user turns the wait setting on or off.
  void updateAgentWait();
  void saveAllowances();
  void savePersonal();
  // Reads "personal.json" into the answer store, when it decodes.
  void restorePersonal();
  // Removes every memory file, the work context's included.
  void removeMemoryFiles();
  // Hands a memory's JSON to the file writer.
  void saveFile(const std::filesystem::path& path, const Json& json);
  // Tries once more what waits (the settings, a memory file that failed), then returns once every
  // memory file handed to the writer is on disk, or its failure logged. As the program quits.
  void flushMemoryFiles();

signals:
  void changed(AppModel::Property property);

private:
  friend class AppModelTest;
  friend class AppModelRoadTest;
  friend class AppModelBench;
  friend class StatusCardTest;
  friend class StatusItemTest;
  friend class SitesPageTest;
  friend class HomePageTest;
  friend class ActivityPageTest;
  friend class SettingsPageTest;

  // Whether the observe, analyse and decide loop is live.
  bool running() const;

  void loadModel();
  void modelLoaded(std::shared_ptr<const Analyzer> analyzer, Duration seconds);
  void modelFailed(const std::string& description);
  void scheduleTick();
  void scheduleShare();

  // A finished analysis with the recent work it was made against and the passes behind it.
  struct Cached {
    std::vector<std::string> work;
    Analysis analysis;
    std::vector<AnalysisPass> passes;
  };
  // The prompt on screen.
  struct OpenPrompt {
    Snapshot snapshot;
    std::optional<Analysis> analysis;
    std::string record;  // the PromptRecord's identifier
  };

  // The road of a snapshot: intake, recording, the analysis queue and what the analysis leads to.
  void handle(std::optional<Snapshot> snapshot);
  void record(const std::optional<Snapshot>& snapshot);
  void enqueue(const Snapshot& snapshot);
  void pump();
  // Leaves a page whose analysis failed or timed out alone for kSkipDuration; the first offer of
  // it after that is analysed again.
  void skip(const std::string& key);
  void analysisFailed(bool timedOut);
  void receive(const Analysis& analysis, const Snapshot& snapshot);
  void noteSwitch(const Analysis& analysis, const Moment& moment);
  InputCounts inputCounts() const;
  // Looks again at the decision's time, or prompts for its observation.
  void act(const PolicyDecision& decision);
  Duration idleSeconds() const;

  // What going back to work did with the distracting page.
  enum class Return { closedTab, openedPage, hidApp, nothing };
  // The detail of the "back to work" event: "closed the tab", "opened the work page", ...
  static std::string_view detail(Return result);

  // The answer: learned, recorded, told to the policy and the event log, and acted on.
  //
  // learn hands `learned` the answer's identifier on the main thread once the example is stored,
  // or none when no model is loaded or the page could not be embedded: the recording names only
  // answers that were really learned. Going back hands `done` what it did once that is known: at
  // once, or after the distracting page was read (see whenPromptPageRead), the focus came back or
  // a redirect of the distracting tab has arrived or failed.
  using Learned = std::function<void(std::optional<Uuid>)>;
  using Returned = std::function<void(Return)>;
  void learn(const Moment& moment, bool work, Learned learned);
  void goBack(const OpenPrompt& prompt, Returned done);
  // Hands `then` the address of the prompt's page once a look finds it still in front, or none
  // once a look finds something else there. While the browser in front answers a look without
  // its page, looks again every kPageLookInterval for `left` seconds more, then logs that it gave
  // up and hands none. Never after the model is gone.
  void whenPromptPageRead(const OpenPrompt& prompt, Duration left,
                          std::function<void(std::optional<Url> page)> then);
  void goBack(const OpenPrompt& prompt, const std::optional<Url>& pageToClose, Returned done);
  void reopen(const OpenPrompt& prompt, const std::optional<Url>& pageToClose, Returned done);
  // Closes the distracting tab if it still shows the page, once its window holds the focus again
  // (at once when it does); hands `done` what it did.
  void closeDistraction(const OpenPrompt& prompt, const std::optional<Url>& pageToClose,
                        Returned done);
  // Calls `then` once the window that keys are for holds the focus, or with false, having said so
  // in the log, once Browsers::kFocusWait has passed without it; never after the model is gone.
  void whenFocused(const AXElement& window, std::function<void(bool focused)> then);
  void bringForward(pid_t pid);

  // The prompt: shown only after a fresh read finds the same page in front.
  void notShown(uint64_t observationID, const std::string& reason);
  void present(const Snapshot& snapshot, const std::optional<Analysis>& analysis, Duration drift);
  std::optional<std::string> workName(const Moment& prompted) const;
  void finish(PromptAction action, const OpenPrompt& prompt);

public:
  // The name of the page to go back to: its site, else its application; none without one.
  std::optional<std::string> lastWorkName() const;
  // A page's name: its host, else its application's name.
  static std::string name(const Snapshot& snapshot);
  // PNG of the target application's icon, 80 pixels square; none when it cannot be drawn.
  static std::optional<QByteArray> icon(const Target& target);
  // How much of its screen a window covers, width and height to a tenth; none when its centre lies
  // on no screen. Frames in screen pixels, origin at the top left.
  static std::optional<std::vector<double>> screenShare(const Rect& frame);
  // A sample prompt at exactly `frame`, answering nothing: what onboarding shows.
  void testPrompt(const QRect& frame);

  // Whether a browser tab moved to another site while the window still shows the old page's title.
  static bool isNavigating(const Snapshot& from, const Snapshot& to);
  // Whether two snapshots show the same page: process, tab, scope and window.
  static bool samePage(const Snapshot& a, const Snapshot& b);
  // The moment's key with every run of digits folded to "#": pages that differ only in numbers
  // share one analysis.
  static std::string analysisKey(const Moment& moment);

private:
  // Operations of other parts of the coordinator; see their files.
  void setAway(bool away, std::string_view event);
  void tick();
  void refreshRecap();
  void refreshAgents();
  // Records and saves a changed work context, under `event` or the word its change calls for.
  void updateContext(std::optional<std::string_view> event = std::nullopt);
  void notePresence();
  void drainWork();
  void schedule(Date at);
  void suspend();
  void logPause(bool continuing);
  bool frontAgentWorking() const;
  void learnAgentFolders();
  void intervene(uint64_t observationID);
  void readText(const Snapshot& snapshot);
  void recordSystem(std::string_view event, std::optional<std::string> detail);
  // Waits for `result` off the main thread, then hands the value to `then` on it, unless the
  // model is gone by then.
  template <typename T, typename Then>
  void whenReady(std::future<T> result, Then then);
  // Waits for `result` on `executor`, then hands the value to `then`, or what failed to `failed`,
  // on the main thread, unless the model is gone by then.
  template <typename T, typename Then, typename Failed>
  void whenSettled(SerialExecutor& executor, std::future<T> result, Then then, Failed failed);
  // Runs `work` on `executor`, then hands its result to `then` on the main thread, unless the
  // model is gone by then. `work` must not touch the model.
  template <typename Work, typename Then>
  void inBackground(SerialExecutor& executor, Work work, Then then);
  void scheduleAgentPoll();
  void startRecording(std::string_view reason);
  void share();
  // Asks the server to forget this installation; on success nothing is counted as shared.
  void forgetShared();
  // The recorder, opened without a session when it is not open yet; null when it cannot be.
  Recorder* openRecorder();
  // The application's category, from its desktop entry; looked up once per application.
  std::optional<std::string> category(const std::string& bundleID);
  // Records an automation result when it changes the entry, then stores it.
  void storeAutomation(BrowserKind kind, Access access);
  // Logs the running break's time, up to now or its planned end, whichever comes first.
  void logBreak();
  // Tries again the settings and the memory files that wait; takes the settings once they read.
  void retrySaving();
  // Takes the settings the model keeps its own copy of: at start, and again once unread settings
  // read, since what the defaults answered in their place is not the user's.
  void takeKeptSettings();
  // Restores one memory file, by name, as at start; one the system refuses to read is kept in
  // unreadMemories_, unwritten, until a later try reads it.
  void restoreMemory(std::string_view name);
  // The memory file at `path` decoded, or none (missing, damaged or refused: see restoreMemory).
  template <typename Decode>
  auto restoredMemory(const std::filesystem::path& path, Decode decode)
      -> std::optional<decltype(decode(std::declval<const Json&>()))>;
  // Whether a memory file is held unread, so that nothing may replace or remove it.
  bool unreadMemory(const std::filesystem::path& path) const;
  // Brings `unsaved` in line with the settings store and the memory files.
  void showSettingsState();
  void showMemoriesState();

  // Setters under the notification rule.
  void setAccessibility(bool value);
  void setModelState(ModelState value);
  void setLearned(double value);
  void setShared(int64_t value);
  void setRecorded(Recorded value);
  void setAllowed(std::vector<Allowed> value);
  // Notes whether `kind` waits. The recorder's and the event log's waitingChanged call it:
  //   [this](bool waiting) { setUnsaved(Unsaved::recording, waiting); }
  void setUnsaved(Unsaved kind, bool waiting);
  template <typename T>
  void assign(T& field, T value, Property property);

  Services services_;
  std::unique_ptr<Prefs> prefs_;
  bool accessibility_;
  std::map<BrowserKind, Access> automation_;
  std::set<BrowserKind> tabsShown_;  // only grows
  ModelState modelState_ = ModelState::loading;
  bool paused_ = false;
  std::optional<Date> breakUntil_;
  bool protecting_ = false;
  bool idleAway_ = false;
  std::vector<std::string> workingOn_;
  double learned_ = 0;
  std::optional<Seen> seen_;
  Today today_;
  std::vector<History::Day> week_;
  std::vector<TaskTime> weekTasks_;
  std::vector<TaskTime> todayTasks_;
  std::optional<Recorded> recorded_;
  bool sharingAvailable_;
  int64_t shared_ = 0;
  std::optional<DailyQuestion::Page> question_;
  std::vector<PersonalMemory::Example> answers_;
  std::vector<Allowed> allowed_;
  std::set<Unsaved> unsaved_;
  std::unique_ptr<Observer> observer_;
  std::unique_ptr<Overlay> overlay_;
  std::unique_ptr<EventStore> store_;  // open after start-up; null when it could not be opened
  Policy policy_;
  std::shared_ptr<PersonalStore> personal_;
  DailyQuestion daily_;
  std::unique_ptr<GuardedAnalyzer> analyzer_;  // present once the model has loaded
  bool loading_ = false;                       // a model load is in flight
  int failures_ = 0;                           // analysis failures in a row
  std::unique_ptr<Recorder> recorder_;         // open while recording is on
  std::unique_ptr<Uploader> uploader_;         // present when the build names a sharing server
  std::optional<Snapshot> current_;            // the latest snapshot of what is in front
  LastWork<Snapshot> returnTo_;
  std::vector<AgentSession> agentSessions_;
  std::optional<AgentSession> workAgent_;
  std::optional<Date> awaySince_;               // start of an absence by lock or sleep
  std::optional<std::string> recordedContext_;  // the last context summary written to the recording
  std::optional<Snapshot> queued_;              // the one snapshot waiting for analysis
  bool busy_ = false;                           // an analysis is in flight
  std::map<std::string, Cached> cache_;         // by analysis key
  std::map<std::string, Date> skipped_;         // analysis key to when it may be tried again
  std::map<uint64_t, Analysis> analyses_;       // the latest analyses by observation number
  std::optional<AgentSession> lastWorkAgent_;   // of the last page that counted as work
  std::map<std::string, bool> repositories_;    // agent folder to whether it is in a repository
  std::optional<OpenPrompt> openPrompt_;
  // How each Back to work still waiting on the browser records what it did; the quit records the
  // ones left.
  std::vector<std::shared_ptr<Returned>> returnsUnderWay_;
  std::optional<Date> pausedSince_;                   // start of the pause stretch not yet logged
  std::optional<Date> breakStarted_;                  // start of the running break
  bool sending_ = false;                              // an upload is under way
  std::map<std::string, std::string> appCategories_;  // by application; "" for none
  DesktopEntries desktopEntries_;
  // Moves on when all data is deleted, so that answers learned before cannot come back after.
  uint64_t answersEpoch_ = 0;
  std::optional<Timers::Id> checkTask_;           // the one pending scheduled check
  std::optional<AgentSession> agentDone_;         // a finished agent session waiting for the user
  Date agentFoldersRead_ = Policy::kDistantPast;  // when agent folders were last learned
  Date agentsRead_ = Policy::kDistantPast;        // when the agent sessions were last read
  bool readingAgents_ = false;                    // a read of the sessions is in flight
  std::optional<Timers::Id> agentPoll_;           // the poll while the user waits on an agent
  // The memory files the system refuses to read; each is read again at every tick.
  std::set<std::filesystem::path> unreadMemories_;
  // Whether the file writer keeps a state the system refused.
  bool memoriesUnwritten_ = false;
  // The launch's recording waits for the settings to read.
  bool recordingDeferred_ = false;

  std::optional<Timers::Id> ticker_;
  std::optional<Timers::Id> sharer_;
  std::optional<Timers::Id> accessPoll_;
  std::optional<Timers::Id> modelRetry_;
  // Tells work handed back to the main thread whether the model still exists.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  // Waits on the answer store's results, so that the main thread never does. Declared last: it
  // finishes its waits before anything they hand back to is destroyed.
  std::unique_ptr<SerialExecutor> waiter_;
  // Builds the model's parts off the main thread; made with the first load.
  std::unique_ptr<SerialExecutor> loader_;
  // Reads the coding agents' session files off the main thread.
  std::unique_ptr<SerialExecutor> reader_ = std::make_unique<SerialExecutor>();
  // Saves the memory files off the main thread; what is pending is written as the model goes.
  // Tells memoriesUnwritten_ through the main thread.
  FileWriter files_;
  // Waits on the uploader, whose requests may take minutes, apart from the short waits.
  std::unique_ptr<SerialExecutor> uploadWaiter_ = std::make_unique<SerialExecutor>();
};

template <typename T, typename Then, typename Failed>
void AppModel::whenSettled(SerialExecutor& executor, std::future<T> result, Then then,
                           Failed failed) {
  auto shared = std::make_shared<std::future<T>>(std::move(result));
  executor.post([shared, then = std::move(then), failed = std::move(failed), alive = alive_,
                 &main = services_.main]() mutable {
    try {
      if constexpr (std::is_void_v<T>) {
        shared->get();
        main.post([then = std::move(then), alive]() mutable {
          if (*alive) then();
        });
      } else {
        auto value = std::make_shared<T>(shared->get());
        main.post([value, then = std::move(then), alive]() mutable {
          if (*alive) then(std::move(*value));
        });
      }
    } catch (const std::exception& error) {
      main.post([failed = std::move(failed), alive, message = std::string(error.what())]() mutable {
        if (*alive) failed(message);
      });
    }
  });
}

template <typename T, typename Then>
void AppModel::whenReady(std::future<T> result, Then then) {
  whenSettled(*waiter_, std::move(result), std::move(then),
              [](const std::string& message) { log::error(message); });
}

template <typename Work, typename Then>
void AppModel::inBackground(SerialExecutor& executor, Work work, Then then) {
  executor.post([work = std::move(work), then = std::move(then), alive = alive_,
                 &main = services_.main]() mutable {
    auto value = std::make_shared<decltype(work())>(work());
    main.post([value, then = std::move(then), alive]() mutable {
      if (*alive) then(std::move(*value));
    });
  });
}

template <typename T>
inline void AppModel::assign(T& field, T value, Property property) {
  if (field == value) return;
  field = std::move(value);
  emit changed(property);
}

}  // namespace qb
