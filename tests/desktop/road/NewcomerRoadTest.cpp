// The road a new user walks, against the program itself: started as its own process with a home
// of its own and the tiny test encoder installed as its model, onboarded by clicking Start, then
// an xterm, Firefox and Chromium in turn, the xterm closed while in front, a drift to a
// distracting site in Firefox, and the prompt over it answered with "Back to work", which must
// bring the Chromium work tab forward. Over the whole road the program must stay light (its CPU
// time a small share of the time it ran, its log short), and quit cleanly with its recording
// readable. A screenshot of the prompt is written for people to look at.
//
// A work context forms only after minutes of counted work, longer than a test should take, and
// no setting shortens that: the user comes back to the program within the half hour after an
// earlier run, whose saved work context (the report they were writing) is in its folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/Json.h"
#include "base/WallClock.h"
#include "context/LastWork.h"
#include "context/WorkContext.h"
#include "desktop/ProgramProcess.h"
#include "desktop/browser/BrowserPrograms.h"
#include "desktop/browser/LoopbackServer.h"
#include "desktop/x11/X11TestSupport.h"
#include "model/AppModel.h"
#include "platform/linux/AtspiBus.h"
#include "platform/linux/JournalSink.h"
#include "policy/PolicyConfig.h"
#include "recording/RecorderTestSupport.h"
#include "sensing/AX.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::kDesktopLimit;
using test::kStartLimit;
using test::waitFor;

// A window answers each step within test::kDesktopLimit, and starts within test::kStartLimit.
// How long the prompt may take once the distracting page is on screen. The program first looks at
// the page as its title changes, which on a loaded machine can be before the browser has the new
// address in its tree, or a look whose requests to the browser run out; then its tick looks again
// every AppModel::kTickInterval. Two ticks' looks, each followed by an analysis that may take
// AppModel::kAnalysisTimeout, then the policy's grace after the drift and the panel's showing.
const std::chrono::milliseconds kPromptLimit =
    std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(
        2 * (AppModel::kTickInterval + AppModel::kAnalysisTimeout) + PolicyConfig{}.grace)) +
    kDesktopLimit;
// How long a typed address may take to show its page.
constexpr auto kPageLimit = 10s;
// How often the program's own tree is looked at again while the test waits for it: less often than
// anything else, since the program answers each look at it with work of its own.
constexpr auto kTreeInterval = 1s;
// How long the user stays on the work tab: long enough that the program takes it for the page to
// go back to, with room for its reads arriving late on a loaded machine.
constexpr auto kWorkStay =
    std::chrono::seconds(static_cast<int>(LastWork<int>::minimum)) + std::chrono::seconds(20);
// How long a click on one of the program's buttons may take to show its effect before the button
// is clicked again.
constexpr auto kClickEffect = 5s;
// The prompt's fade-in, waited out before the screenshot.
constexpr auto kFadeIn = 400ms;
// How long the program may take to close its recording and end after SIGTERM.
constexpr int kQuitMs = 30000;
// The program's bounds over the road: its CPU time as a share of the time it ran, and its log.
constexpr double kMostCpuShare = 0.02;
// ThreadSanitizer's instrumentation multiplies the CPU time of everything the program does (by 5
// to 15 as its makers measure it): in such a build the share is allowed the low end of that.
#if defined(__SANITIZE_THREAD__)
constexpr double kSanitizerSlowdown = 5;
#else
constexpr double kSanitizerSlowdown = 1;
#endif
constexpr size_t kMostLogLines = 100;
// The log lines shown when it is too long.
constexpr size_t kShownLogLines = 10;
// The lines a failure shows from each end of a longer log.
constexpr size_t kShownLogEnd = 200;
// Most nodes looked through in the program's own tree for one of its buttons.
constexpr int kProgramTreeNodes = 2000;
// The role word of a push button on the accessibility bus.
constexpr std::string_view kButtonRole = "AXButton";

const QString kWorkTitle = QStringLiteral("Quarterly report draft");
const QString kReferenceTitle = QStringLiteral("API reference");
// A site that names itself in its title, as video sites do; the model's site table lists it as
// leisure.
const QString kDistractionHost = QStringLiteral("fun.example");
const QString kDistractionTitle = QStringLiteral("Fun");

// The visible window whose title matches the pattern, once there is one; 0 after kStartLimit.
WindowId windowNamed(const QString& pattern) {
  WindowId found = 0;
  (void)waitFor([&] { return (found = test::firstVisibleWindowNamed(pattern)) != 0; }, kStartLimit);
  return found;
}

// The titles of the windows on screen, for a failure to show what came instead.
std::string visibleTitles() {
  std::istringstream windows(test::quietly("xdotool", {"search", "--onlyvisible", "--name", "."}));
  std::vector<std::string> titles;
  for (std::string id; std::getline(windows, id);) {
    titles.push_back(test::quietly("xdotool", {"getwindowname", QString::fromStdString(id)}));
  }
  return testing::PrintToString(titles);
}

std::string activeTitle() { return test::quietly("xdotool", {"getactivewindow", "getwindowname"}); }
WindowId activeWindow() {
  const std::string id = test::quietly("xdotool", {"getactivewindow"});
  return id.empty() ? 0 : std::stoul(id);
}

// The process's CPU time so far, user and system, in seconds; negative when unreadable.
double cpuSeconds(qint64 pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The fields after the command's name, which may hold spaces, start after its ")".
  const size_t end = stat.rfind(')');
  if (end == std::string::npos) return -1;
  std::istringstream fields(stat.substr(end + 2));
  std::vector<std::string> field;
  for (std::string word; fields >> word;) field.push_back(word);
  // utime and stime are the stat file's 14th and 15th fields; the state, its 3rd, is first here.
  constexpr size_t kUserTime = 14 - 3;
  constexpr size_t kSystemTime = 15 - 3;
  if (field.size() <= kSystemTime) return -1;
  const double ticks = std::stod(field[kUserTime]) + std::stod(field[kSystemTime]);
  return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// The log's most frequent lines, with their counts, most frequent first.
std::string mostFrequent(const std::vector<std::string>& lines) {
  std::map<std::string, size_t> counts;
  for (const std::string& line : lines) ++counts[line];
  std::vector<std::pair<std::string, size_t>> sorted(counts.begin(), counts.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::string shown;
  for (size_t i = 0; i < sorted.size() && i < kShownLogLines; ++i)
    shown += std::to_string(sorted[i].second) + "x " + sorted[i].first + "\n";
  return shown;
}

class NewcomerRoadTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(server.port(), 0) << "no loopback server";
    for (const char* needed : {"xterm", test::kFirefox.program, test::kChromium.program}) {
      ASSERT_FALSE(QStandardPaths::findExecutable(needed).isEmpty()) << needed;
    }
    ASSERT_TRUE(home.isValid());
    bus = AtspiBus::open();
    ASSERT_TRUE(bus) << "no accessibility bus";
    bus->setTimeout(1.0);
  }

  void TearDown() override {
    // The program ends before its log is read, so that the log holds whatever it wrote last.
    const std::string end = program ? standing(*program) : "was not started";
    if (program && program->state() != QProcess::NotRunning) {
      program->kill();
      program->waitForFinished(kQuitMs);
    }
    if (HasFailure()) std::cerr << "The program " << end << ". Its log:\n" << shownLog();
    for (auto& browser : browsers) {
      browser->kill();
      browser->waitForFinished(5000);
    }
    // The next test on this desktop starts once the window manager has let the windows go.
    for (WindowId window : otherWindows) {
      (void)waitFor([&] { return !test::listed(window); }, kDesktopLimit);
    }
  }

  fs::path path(const std::string& relative) const {
    return fs::path(home.path().toStdString()) / relative;
  }
  fs::path dataFolder() const { return path("data/Quillbrook"); }

  QProcessEnvironment environment() const { return test::programEnvironment(home.path()); }

  // The tiny test encoder as the installed model, with a head that reads the site table alone: a
  // site listed as leisure is entertainment, and whatever the table does not list (this
  // machine's own pages, a terminal) is work.
  void installModel() {
    const fs::path tinyBert = fs::path(QB_TEST_DATA) / "tiny-bert";
    const fs::path embedder = dataFolder() / "Model" / "Embedder";
    fs::create_directories(embedder);
    for (const char* name : {"vocab.txt", "Embedder.safetensors", "config.json"})
      fs::copy_file(tinyBert / name, embedder / name);
    writeFile(embedder / "manifest.json", R"({"L": 32})");
    const fs::path knowledge = dataFolder() / "Model" / "Knowledge";
    fs::create_directories(knowledge);
    writeFile(knowledge / "sites.tsv", kDistractionHost.toStdString() + "\tleisure\t1\tvideos\n");
    // One weight per dimension of the tiny encoder, then the site features: work, leisure,
    // mixed, neutral, not listed.
    constexpr size_t kEmbeddingLength = 32;
    constexpr double kSiteWeight = 5;
    std::vector<double> weights(kEmbeddingLength, 0.0);
    weights.insert(weights.end(), {kSiteWeight, -kSiteWeight, 0.0, 0.0, kSiteWeight});
    Json head = Json::object();
    head["weights"] = weights;
    head["bias"] = 0.0;
    writeFile(knowledge / "head.json", json::dump(head));
  }

  // What an earlier run saved when it quit a moment ago: the work context of the report.
  void saveEarlierContext() {
    WorkContext context;
    context.add(kWorkTitle.toStdString());
    Json saved = Json::object();
    saved["saved"] = json::encode(WallClock::system().now());
    saved["context"] = context.toJson();
    writeFile(dataFolder() / "context.json", json::dump(saved));
  }

  static void writeFile(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    ASSERT_TRUE(out.good()) << file;
  }

  void startProgram() {
    program = std::make_unique<QProcess>();
    program->setProcessEnvironment(environment());
    // With no journal on this desktop, the log goes to standard error.
    program->setStandardErrorFile(QString::fromStdString(path("program.log").string()));
    program->setStandardOutputFile(QProcess::nullDevice());
    program->start(QStringLiteral(QB_PROGRAM), {});
    ASSERT_TRUE(program->waitForStarted(5000));
    ran.start();
  }

  std::set<WindowId> programWindows() const { return test::visibleWindows(program->processId()); }
  // Whether the program shows a window that is not among `known`, once it does.
  bool newProgramWindow(const std::set<WindowId>& known, std::chrono::milliseconds limit) const {
    return waitFor(
        [&] {
          const std::set<WindowId> now = programWindows();
          return std::any_of(now.begin(), now.end(),
                             [&](WindowId window) { return !known.contains(window); });
        },
        limit);
  }

  // The program's button of that name, once it shows one; empty after `limit`.
  AXElement programButton(const std::string& name, std::chrono::milliseconds limit) {
    AXElement found;
    (void)waitFor(
        [&] {
          found = AX::find(bus->applicationOf(static_cast<pid_t>(program->processId())),
                           kProgramTreeNodes, [&](const AXElement& element, std::string_view role) {
                             return role == kButtonRole &&
                                    AX::string(element, AXAttribute::title) == name;
                           });
          return static_cast<bool>(found);
        },
        limit, kTreeInterval);
    return found;
  }

  // The loopback server's page under another host name.
  std::string address(const std::string& host, const std::string& page) const {
    return "http://" + host + ":" + std::to_string(server.port()) + page;
  }

  // Moves the pointer to the middle of the program's button of that name once one of the
  // program's windows on screen holds that point: a button can be on the bus before its window is
  // in place. False when that does not come about within `limit`.
  bool pointAtButton(const std::string& name, std::chrono::milliseconds limit) {
    return waitFor(
        [&] {
          const std::optional<Rect> frame = AX::frame(programButton(name, kTreeInterval));
          if (!frame) return false;
          const auto x = static_cast<int>(frame->origin.x + frame->size.width / 2);
          const auto y = static_cast<int>(frame->origin.y + frame->size.height / 2);
          for (WindowId window : programWindows()) {
            const std::optional<QRect> place = test::placeOf(window);
            if (!place || !place->contains(x, y)) continue;
            // No --sync: it waits for a move, and the pointer may be there already.
            test::run("xdotool", {"mousemove", QString::number(x), QString::number(y)});
            return true;
          }
          return false;
        },
        limit, kTreeInterval);
  }

  // Clicks the program's button of that name until `done` says it took: a window just shown may
  // not take clicks yet. False when it never took within `limit`.
  template <typename Done>
  bool clickButton(const std::string& name, Done done, std::chrono::milliseconds limit) {
    return waitFor(
        [&] {
          if (!pointAtButton(name, kTreeInterval)) return done();
          test::run("xdotool", {"click", "1"});
          return waitFor(done, kClickEffect);
        },
        limit, kTreeInterval);
  }

  bool settingsSay(const std::string& text) const {
    std::ifstream in(path("config/Quillbrook/settings.json"));
    const std::string settings((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    std::string compact;
    std::remove_copy_if(settings.begin(), settings.end(), std::back_inserter(compact),
                        [](char c) { return c == ' ' || c == '\n'; });
    return compact.find(text) != std::string::npos;
  }

  QProcess& launchBrowser(const test::BrowserProgram& browser, const QString& url,
                          const QString& extraPrefs = {}) {
    const QString profile = home.path() + "/" + browser.program;
    QDir().mkpath(profile);
    bool written = false;
    const QStringList arguments = test::browserArguments(browser, profile, {url}, written);
    EXPECT_TRUE(written) << "no profile for " << browser.program;
    if (!extraPrefs.isEmpty()) {
      QFile prefs(profile + "/user.js");
      EXPECT_TRUE(prefs.open(QIODevice::Append) && prefs.write(extraPrefs.toUtf8()) > 0);
    }
    browsers.push_back(std::make_unique<QProcess>());
    browsers.back()->start(browser.program, arguments);
    EXPECT_TRUE(browsers.back()->waitForStarted(5000)) << browser.program;
    return *browsers.back();
  }

  // What the program made of the last moments it saw, as its recording has it so far (the
  // recording writes every Recorder::kBatchDelay): whether it read the page in front, and what its
  // analysis and policy made of it.
  std::string programSaw() const {
    const fs::path recording = dataFolder() / "recording.sqlite";
    if (!fs::exists(recording)) return "the program has no recording";
    constexpr int kLastRows = 5;
    const std::string last = " ORDER BY rowid DESC LIMIT " + std::to_string(kLastRows);
    test::Reader reader(recording);
    return "the program read " +
           testing::PrintToString(reader.rows("SELECT title, host, cause FROM moments" + last)) +
           ", decided " +
           testing::PrintToString(
               reader.rows("SELECT moment, activity, drift, decision FROM decisions" + last)) +
           ", and noted " +
           testing::PrintToString(reader.rows("SELECT event, detail FROM system" + last));
  }

  // How a process stands: still running, or how it ended.
  static std::string standing(const QProcess& process) {
    if (process.state() != QProcess::NotRunning) return "was still running";
    if (process.exitStatus() == QProcess::CrashExit) return "had been killed by a signal";
    return "had ended with exit code " + std::to_string(process.exitCode());
  }

  // The program's log for a failure to show: whole, or its first and last lines when it is
  // longer, since a sanitizer's report of a fault or a leak comes last.
  std::string shownLog() const {
    const std::vector<std::string> log = logLines();
    std::string shown;
    for (size_t i = 0; i < log.size(); ++i) {
      if (i == kShownLogEnd && log.size() > 2 * kShownLogEnd) {
        shown += "[" + std::to_string(log.size() - 2 * kShownLogEnd) + " lines left out]\n";
        i = log.size() - kShownLogEnd;
      }
      shown += log[i] + "\n";
    }
    return shown;
  }

  std::vector<std::string> logLines() const {
    std::ifstream in(path("program.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  test::LoopbackServer server{
      {{"/report", test::LoopbackServer::page(kWorkTitle.toStdString())},
       {"/reference", test::LoopbackServer::page(kReferenceTitle.toStdString())},
       {"/fun", test::LoopbackServer::page(kDistractionTitle.toStdString())}}};
  QTemporaryDir home;
  // The program's own tree, read as a screen reader reads it.
  std::unique_ptr<AtspiBus> bus;
  std::unique_ptr<QProcess> program;
  QElapsedTimer ran;
  std::vector<std::unique_ptr<QProcess>> browsers;
  std::vector<WindowId> otherWindows;
};

TEST_F(NewcomerRoadTest, OnboardsDriftsAndGoesBackToTheWorkTab) {
  installModel();
  saveEarlierContext();
  startProgram();

  // Onboarding: Start, found as a screen reader finds it and clicked.
  ASSERT_TRUE(newProgramWindow({}, kStartLimit)) << "the program shows no window";
  ASSERT_TRUE(programButton("Start", kStartLimit)) << "no onboarding window with a Start button";
  ASSERT_TRUE(clickButton(
      "Start", [&] { return settingsSay(R"("onboarded":true)"); }, kDesktopLimit))
      << "Start did not finish onboarding";

  // A terminal, Firefox on a reference page, and Chromium on the report, in turn.
  QProcess terminal;
  terminal.start(QStringLiteral("xterm"), {"-title", "Notes", "-e", "sh", "-c", "read line"});
  ASSERT_TRUE(terminal.waitForStarted(5000));
  const WindowId notes = windowNamed(QStringLiteral("^Notes$"));
  ASSERT_NE(notes, 0u) << "no terminal: it " << standing(terminal) << ", and the windows are "
                       << visibleTitles();
  // The reference is read on another host name than the report: on one site, the page to go back
  // to would follow the user from the report to the last page read there.
  const std::string reference = address("localhost", "/reference");
  const std::string distraction = address(kDistractionHost.toStdString(), "/fun");
  const QProcess& firefoxProcess =
      launchBrowser(test::kFirefox, QString::fromStdString(reference),
                    "user_pref(\"network.dns.localDomains\", \"" + kDistractionHost + "\");\n");
  const WindowId firefox = windowNamed("^" + kReferenceTitle + " ");
  ASSERT_NE(firefox, 0u) << "no Firefox window on the reference: Firefox "
                         << standing(firefoxProcess) << ", and the windows are " << visibleTitles();
  const QProcess& chromiumProcess =
      launchBrowser(test::kChromium, QString::fromStdString(server.url("/report")));
  const WindowId chromium = windowNamed("^" + kWorkTitle + " ");
  ASSERT_NE(chromium, 0u) << "no Chromium window on the report: Chromium "
                          << standing(chromiumProcess) << ", and the windows are "
                          << visibleTitles();

  otherWindows = {notes, firefox, chromium};
  ASSERT_TRUE(test::activate(notes));
  ASSERT_TRUE(test::activate(firefox));
  ASSERT_TRUE(test::activate(chromium));
  QTest::qWait(static_cast<int>(std::chrono::milliseconds(kWorkStay).count()));

  // The terminal, in front, ends: its window goes while the program reads it.
  ASSERT_TRUE(test::activate(notes));
  test::run("xdotool", {"key", "--clearmodifiers", "Return"});
  ASSERT_TRUE(waitFor([&] { return !test::listed(notes); }, kDesktopLimit))
      << "the terminal stayed";

  // The drift: Firefox to a distracting site.
  ASSERT_TRUE(test::activate(firefox));
  const std::set<WindowId> beforePrompt = programWindows();
  // A window just brought forward may not have the keyboard yet: the address is typed again
  // until the page arrives.
  ASSERT_TRUE(waitFor(
      [&] {
        test::run("xdotool", {"key", "--clearmodifiers", "ctrl+l"});
        test::run("xdotool", {"type", "--delay", "20", QString::fromStdString(distraction)});
        test::run("xdotool", {"key", "Delete", "Return"});
        return waitFor(
            [&] { return activeTitle().starts_with(kDistractionTitle.toStdString() + " "); },
            kPageLimit);
      },
      kDesktopLimit))
      << "Firefox shows " << activeTitle();

  ASSERT_TRUE(newProgramWindow(beforePrompt, kPromptLimit))
      << "no prompt over the distraction in " << kPromptLimit.count() << " ms: Firefox shows "
      << activeTitle() << "; " << programSaw();
  ASSERT_TRUE(pointAtButton("Back to work", kDesktopLimit)) << "the prompt is not on screen";
  EXPECT_EQ(activeWindow(), firefox) << "the prompt took the focus";
  QTest::qWait(static_cast<int>(kFadeIn.count()));
  QDir().mkpath(QStringLiteral(QB_SCREENSHOTS));
  EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).toImage().save(
      QStringLiteral(QB_SCREENSHOTS) + "/newcomer-prompt.png"));

  EXPECT_TRUE(clickButton(
      "Back to work",
      [&] {
        return activeWindow() == chromium && activeTitle().starts_with(kWorkTitle.toStdString());
      },
      kDesktopLimit))
      << "in front: " << activeTitle();

  // Light over the whole road, and a clean quit.
  const double cpu = cpuSeconds(program->processId());
  const double wall = static_cast<double>(ran.elapsed()) / 1000;
  ASSERT_GE(cpu, 0) << "no CPU time for the program";
  EXPECT_LT(cpu, kMostCpuShare * kSanitizerSlowdown * wall)
      << cpu << " s of CPU time in " << wall << " s";
  ::kill(static_cast<pid_t>(program->processId()), SIGTERM);
  ASSERT_TRUE(program->waitForFinished(kQuitMs)) << "the program did not quit";
  EXPECT_EQ(program->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(program->exitCode(), 0);
  const std::vector<std::string> log = logLines();
  EXPECT_LT(log.size(), kMostLogLines) << "most frequent:\n" << mostFrequent(log);
  // With no journal on the desktop the whole log is on standard error; with one, only what the
  // journal refused is.
  if (!fs::exists(JournalSink::kSocket)) {
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
      return line.find("Model loaded") != std::string::npos;
    })) << "the log was not captured";
  }

  // The recording reads back, the prompt and its answer in it.
  QProcess exporting;
  exporting.setProcessEnvironment(environment());
  // The export says on standard output what it did, and logs to standard error why it failed.
  exporting.setProcessChannelMode(QProcess::MergedChannels);
  const QString exported = home.path() + "/exported";
  exporting.start(QStringLiteral(QB_PROGRAM), {"--export-recording", exported});
  const bool exportEnded = exporting.waitForFinished(kQuitMs);
  const std::string exportSaid = exporting.readAll().toStdString();
  ASSERT_TRUE(exportEnded) << "the export did not end; it said:\n" << exportSaid;
  EXPECT_EQ(exporting.exitStatus(), QProcess::NormalExit) << exportSaid;
  EXPECT_EQ(exporting.exitCode(), 0) << exportSaid;
  QFile prompts(exported + "/prompts.jsonl");
  ASSERT_TRUE(prompts.open(QIODevice::ReadOnly));
  const QByteArray rows = prompts.readAll();
  EXPECT_EQ(rows.count('\n'), 1) << rows.toStdString();
  EXPECT_TRUE(rows.contains(R"("outcome":"back")")) << rows.toStdString();
  // The distracting tab went, before the work came forward.
  EXPECT_EQ(test::Reader(dataFolder() / "recording.sqlite")
                .rows("SELECT detail FROM system WHERE event = 'back to work'"),
            (std::vector<test::Reader::Row>{{SqlValue("closed the tab")}}));
}

}  // namespace
}  // namespace qb
