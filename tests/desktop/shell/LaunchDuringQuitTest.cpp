// A second launch while the running copy quits, against the program itself, in a home of the
// test's own: the running copy starts on a long recording that is not in the page cache, so its
// quit waits seconds for the recording's check, as a quit does after a reboot. A copy launched
// during that quit must end up the one copy running, its window on screen as soon as it starts,
// and neither copy may lose what it recorded; and what the quitting copy kept for the next launch,
// its window's place among the settings, is what the new copy reads.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "desktop/ProgramProcess.h"
#include "desktop/x11/X11TestSupport.h"
#include "platform/linux/AtspiBus.h"
#include "platform/linux/SingleInstance.h"
#include "recording/Recorder.h"
#include "recording/RecorderTestSupport.h"
#include "sensing/AX.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::kStartLimit;
using test::waitFor;

// How long the quit may take: the rest of the check of the recording, read from a loaded disk.
constexpr auto kQuitLimit = 180s;
// Moments of about a kilobyte each (the page text the recording keeps): a recording of some
// 300 MB, whose check reads for seconds from a disk.
constexpr int kMoments = 280000;
// The quit shows what a launch during it does once it lasts this many times as long as the first
// copy took to show its window: the second copy then had the time to show its own.
constexpr double kQuitOverStart = 3;
// Where the user moves the first copy's window just before quitting: away from the middle of the
// screen, where a window without a saved place opens.
constexpr QPoint kMovedTo{24, 36};
// What a copy logs when the running one does not answer its call: it then waits for the name.
constexpr std::string_view kUnansweredLine = "The running copy did not answer";

class LaunchDuringQuitTest : public testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(home.isValid()); }

  void TearDown() override {
    for (const auto& [copy, name] : {std::pair{&first, "first"}, std::pair{&second, "second"}}) {
      if (HasFailure()) std::cerr << "The " << name << " copy's log:\n" << log(name);
      if (copy->state() != QProcess::NotRunning) {
        copy->kill();
        copy->waitForFinished(static_cast<int>(std::chrono::milliseconds(kQuitLimit).count()));
      }
    }
  }

  fs::path path(const std::string& relative) const {
    return fs::path(home.path().toStdString()) / relative;
  }
  fs::path recording() const { return path("data/Quillbrook/recording.sqlite"); }
  std::string log(const std::string& name) const {
    std::ifstream in(path(name + ".log"));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // A recording as a long use of the program leaves it, on disk and out of the page cache.
  void makeColdRecording() {
    {
      test::ManualExecutor main;
      test::ManualTimers timers;
      test::ManualTimersWallClock clock{timers};
      Recorder recorder(recording(), main, timers, clock);
      recorder.flush().get();
    }
    {
      test::Reader filler(recording());
      // Filled without the write-ahead log, which would write every page twice; left in it, as
      // the program leaves its recording.
      filler.exec("PRAGMA journal_mode = DELETE");
      filler.exec("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
                  std::to_string(kMoments) +
                  ") INSERT INTO moments (session, id, started, ended, app, title, page_text) "
                  "SELECT 1, x, 800000000 + 60 * x, 800000060 + 60 * x, 'Editor', 'Draft ' || x, "
                  "hex(randomblob(500)) FROM n");
      filler.exec("PRAGMA journal_mode = WAL");
    }
    const int file = ::open(recording().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(file, 0) << recording();
    EXPECT_EQ(::fdatasync(file), 0);
    EXPECT_EQ(::posix_fadvise(file, 0, 0, POSIX_FADV_DONTNEED), 0);
    ::close(file);
  }

  void start(QProcess& copy, const std::string& name) const {
    copy.setProcessEnvironment(test::programEnvironment(home.path()));
    // With no journal on this desktop, the log goes to standard error.
    copy.setStandardErrorFile(QString::fromStdString(path(name + ".log").string()));
    copy.setStandardOutputFile(QProcess::nullDevice());
    copy.start(QStringLiteral(QB_PROGRAM), {});
    ASSERT_TRUE(copy.waitForStarted(5000)) << name;
  }

  static bool running(const QProcess& copy) { return copy.state() != QProcess::NotRunning; }

  // The copy's window on screen that the window manager manages; 0 while it shows none.
  static WindowId shownWindow(const QProcess& copy) {
    for (WindowId window : test::visibleWindows(copy.processId())) {
      if (test::listed(window)) return window;
    }
    return 0;
  }
  static bool showsWindow(const QProcess& copy) { return shownWindow(copy) != 0; }

  // Whether the copy itself has its window at `place`, as it tells a screen reader: it has taken
  // in a move the window manager made.
  bool copySees(const QProcess& copy, const QRect& place) const {
    for (const AXElement& window :
         AX::children(bus->applicationOf(static_cast<pid_t>(copy.processId())))) {
      const std::optional<Rect> frame = AX::frame(window);
      if (frame &&
          frame->origin == Point{static_cast<double>(place.x()), static_cast<double>(place.y())}) {
        return true;
      }
    }
    return false;
  }

  static std::string text(const std::optional<QRect>& place) {
    if (!place) return "no window";
    return std::to_string(place->x()) + "," + std::to_string(place->y()) + " " +
           std::to_string(place->width()) + "x" + std::to_string(place->height());
  }

  std::string settings() const {
    std::ifstream in(path("config/Quillbrook/settings.json"));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // Whether the copy owns the name that makes later copies ask it instead of running.
  static bool ownsName(const QProcess& copy) {
    const QDBusReply<uint> owner = QDBusConnection::sessionBus().interface()->servicePid(
        QString::fromLatin1(SingleInstance::kBusName));
    return owner.isValid() && owner.value() == static_cast<uint>(copy.processId());
  }

  QTemporaryDir home;
  std::unique_ptr<AtspiBus> bus;
  QProcess first;
  QProcess second;
};

TEST_F(LaunchDuringQuitTest, ACopyLaunchedWhileTheRunningOneQuitsRunsInItsPlaceAtOnce) {
  ASSERT_NO_FATAL_FAILURE(makeColdRecording());

  QElapsedTimer clock;
  clock.start();
  ASSERT_NO_FATAL_FAILURE(start(first, "first"));
  ASSERT_TRUE(waitFor([&] { return showsWindow(first) && ownsName(first); }, kStartLimit))
      << "the first copy shows no window";
  const qint64 firstStart = clock.restart();

  // Quit as a session's end asks, and launch again at once.
  ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
  ASSERT_NO_FATAL_FAILURE(start(second, "second"));
  bool beside = false;  // the second copy showed its window while the first still quit
  ASSERT_TRUE(waitFor(
      [&] {
        if (showsWindow(second) && running(first)) beside = true;
        return !running(first);
      },
      kQuitLimit))
      << "the first copy did not end";
  const qint64 quit = clock.elapsed();
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first.exitCode(), 0);

  // One copy runs, the second, with its window on screen.
  ASSERT_TRUE(running(second)) << "the second copy ended with " << second.exitCode();
  EXPECT_TRUE(waitFor([&] { return showsWindow(second) && ownsName(second); }, kStartLimit))
      << "the second copy shows no window";
  const bool shown = quit >= kQuitOverStart * static_cast<double>(firstStart);
  EXPECT_TRUE(beside || !shown) << "the second copy's window waited for the quit to end";

  // Both copies' sessions are in the recording, from launch to quit.
  ::kill(static_cast<pid_t>(second.processId()), SIGTERM);
  ASSERT_TRUE(
      second.waitForFinished(static_cast<int>(std::chrono::milliseconds(kQuitLimit).count())));
  EXPECT_EQ(second.exitCode(), 0);
  test::Reader reader(recording());
  EXPECT_EQ(
      reader.rows("SELECT event FROM system WHERE event IN ('launch', 'quit') ORDER BY at"),
      (test::Rows{
          {SqlValue("launch")}, {SqlValue("quit")}, {SqlValue("launch")}, {SqlValue("quit")}}));

  if (!shown) {
    GTEST_SKIP() << "the quit took " << quit << " ms and the first copy's start " << firstStart
                 << " ms: too short a quit to launch a copy within it";
  }
}

// The window's place, kept as the quit starts, is read by a copy launched during that quit. The
// running copy is stopped while the new one starts, so that the new one meets a copy that does not
// answer and waits for its name, as it does in the moment between the start of a quit and the
// release: a copy that read its settings before it won the name would read them from before the
// quit.
TEST_F(LaunchDuringQuitTest, ACopyLaunchedDuringTheQuitOpensWhereTheQuittingOneLeftItsWindow) {
  bus = AtspiBus::open();
  ASSERT_TRUE(bus) << "no accessibility bus";
  const fs::path settingsFile = path("config/Quillbrook/settings.json");
  fs::create_directories(settingsFile.parent_path());
  std::ofstream(settingsFile) << R"({"onboarded": true})";
  ASSERT_NO_FATAL_FAILURE(start(first, "first"));
  WindowId window = 0;
  ASSERT_TRUE(
      waitFor([&] { return (window = shownWindow(first)) != 0 && ownsName(first); }, kStartLimit))
      << "the first copy shows no window";
  const std::optional<QRect> opened = test::placeOf(window);
  ASSERT_TRUE(opened);

  // The user moves the window, and quits.
  test::run("xdotool", {"windowmove", QString::number(window), QString::number(kMovedTo.x()),
                        QString::number(kMovedTo.y())});
  std::optional<QRect> moved;
  ASSERT_TRUE(waitFor(
      [&] {
        moved = test::placeOf(window);
        return moved && moved->topLeft() != opened->topLeft() && copySees(first, *moved);
      },
      test::kDesktopLimit))
      << "the window opened at " << text(opened) << " is at " << text(moved)
      << ", which the first copy does not say";
  ::kill(static_cast<pid_t>(first.processId()), SIGSTOP);
  ASSERT_NO_FATAL_FAILURE(start(second, "second"));
  ASSERT_TRUE(waitFor([&] { return log("second").find(kUnansweredLine) != std::string::npos; },
                      kStartLimit))
      << "the second copy did not wait for the first";
  ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
  ::kill(static_cast<pid_t>(first.processId()), SIGCONT);
  ASSERT_TRUE(waitFor([&] { return !running(first); }, kQuitLimit)) << "the first copy did not end";
  EXPECT_EQ(first.exitCode(), 0);

  std::optional<QRect> reopened;
  EXPECT_TRUE(waitFor(
      [&] {
        const WindowId shown = shownWindow(second);
        reopened = shown ? test::placeOf(shown) : std::nullopt;
        return reopened == moved && ownsName(second);
      },
      kStartLimit))
      << "moved to " << text(moved) << ", the second copy shows " << text(reopened)
      << "; the settings hold " << settings();
}

}  // namespace
}  // namespace qb
