// What the X11 desktop tests share: other programs started and stopped around a test, windows of
// the test's own, the command line tools that steer the window manager, a wait on the event loop,
// a log of the desktop's signals, and a process of a test's own.

#pragma once

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/DesktopLimits.h"
#include "platform/linux/X11Desktop.h"

namespace qb::test {

using namespace std::chrono_literals;

// How often a wait on the desktop looks again; each ends within kDesktopLimit (DesktopLimits.h).
inline constexpr std::chrono::milliseconds kDesktopPoll = 10ms;

// Runs a tool to its end and answers its standard output; a failure fails the test.
inline std::string run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  const bool finished = process.waitForFinished(kDesktopLimitMs);
  EXPECT_TRUE(finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
      << program.toStdString() << " " << arguments.join(' ').toStdString() << ": "
      << process.readAllStandardError().toStdString();
  return process.readAllStandardOutput().trimmed().toStdString();
}

// Runs a tool to its end and answers its standard output, trimmed; empty when it failed (a search
// that found nothing).
inline std::string quietly(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(kDesktopLimitMs) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    return {};
  }
  return process.readAllStandardOutput().trimmed().toStdString();
}

inline QString idText(WindowId window) { return QString::number(window); }

// The first visible window whose title matches `pattern`, or 0. xdotool's search walks the whole
// window tree and ends in an X error when any window on it closes during the walk (a panel, a
// program's splash), so 0 only means "look again".
inline WindowId firstVisibleWindowNamed(const QString& pattern) {
  const std::string found = quietly("xdotool", {"search", "--onlyvisible", "--name", pattern});
  return found.empty() ? 0 : std::stoul(found.substr(0, found.find('\n')));
}

// The same, once there is one; 0 when none came within `limit`. The event loop does not run
// meanwhile, so the desktop's news of the new window reaches the test together at its next wait.
inline WindowId visibleWindowNamed(const QString& pattern,
                                   std::chrono::milliseconds limit = kDesktopLimit) {
  // Between searches: short enough not to slow a test, long enough not to load the server.
  constexpr auto kSearchInterval = 20ms;
  QDeadlineTimer deadline(limit);
  for (;;) {
    if (const WindowId found = firstVisibleWindowNamed(pattern)) return found;
    if (deadline.hasExpired()) return 0;
    QThread::msleep(static_cast<unsigned long>(kSearchInterval.count()));
  }
}

// Runs the event loop until `done` answers true or `limit` passes; answers `done` then.
template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds limit = kDesktopLimit) {
  QDeadlineTimer deadline(limit);
  QTimer wake;  // bounds each wait for more events, so that the deadline is seen
  wake.start(kDesktopPoll);
  // The answer is the last one `done` gave: asked once more, a condition met a moment ago (the
  // old state, just before the change being waited for) could already read otherwise.
  bool met = done();
  while (!met && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    met = done();
  }
  return met;
}

// Whether a window holds the focus as a program that sends it keys needs it to: the window manager
// names it the active window, and the X server's keyboard focus is on it or inside it. Reads on a
// connection of its own; a window whose state cannot be read does not hold the focus.
class FocusReader {
public:
  FocusReader() = default;
  ~FocusReader() { xcb_disconnect(connection_); }
  FocusReader(const FocusReader&) = delete;
  FocusReader& operator=(const FocusReader&) = delete;

  bool holds(WindowId window) const {
    if (xcb_connection_has_error(connection_)) return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const auto active = owned(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, root, activeAtom_, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!active || xcb_get_property_value_length(active.get()) != sizeof(xcb_window_t) ||
        *static_cast<const xcb_window_t*>(xcb_get_property_value(active.get())) != window) {
      return false;
    }
    const auto focus =
        owned(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    // A program may hand the focus to a window of its own inside its top-level one.
    for (xcb_window_t at = focus ? focus->focus : xcb_window_t{XCB_NONE};
         at != XCB_NONE && at != root;) {
      if (at == window) return true;
      const auto tree =
          owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, at), nullptr));
      at = tree ? tree->parent : XCB_NONE;
    }
    return false;
  }

private:
  template <typename Reply>
  static std::unique_ptr<Reply, decltype(&std::free)> owned(Reply* reply) {
    return {reply, &std::free};
  }
  xcb_atom_t internActive() const {
    constexpr std::string_view kName = "_NET_ACTIVE_WINDOW";
    const auto reply = owned(xcb_intern_atom_reply(
        connection_,
        xcb_intern_atom(connection_, 1, static_cast<uint16_t>(kName.size()), kName.data()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  }

  xcb_connection_t* connection_ = xcb_connect(nullptr, nullptr);
  xcb_atom_t activeAtom_ = internActive();
};

// Waits, as a user waits before typing, until the window holds the focus; fails the test, naming
// where the focus is instead, when it does not within kDesktopLimit. Answers whether it came.
inline bool waitForFocus(WindowId window) {
  const FocusReader focus;
  if (waitUntil([&] { return focus.holds(window); })) return true;
  ADD_FAILURE() << "window " << window << " never took the focus; the active window is "
                << quietly("xdotool", {"getactivewindow"}) << ", the focus is on "
                << quietly("xdotool", {"getwindowfocus"});
  return false;
}

// Asks the window manager to make the window active, and waits until it holds the focus: a window
// manager on a loaded machine answers seconds later, and a key sent before goes elsewhere.
inline bool activate(WindowId window) {
  run("xdotool", {"windowactivate", idText(window)});
  return waitForFocus(window);
}

// Whether the window manager still lists the window among its clients.
inline bool listed(WindowId window) {
  const std::string clients = run("xprop", {"-root", "_NET_CLIENT_LIST"});
  const std::string id = QString::number(window, 16).prepend("0x").toStdString();
  for (std::size_t at = clients.find(id); at != std::string::npos; at = clients.find(id, at + 1)) {
    const std::size_t end = at + id.size();
    if (end == clients.size() || clients[end] == ',') return true;
  }
  return false;
}

// Programs a test starts, killed when it ends. The X server hands a closed program's window ids to
// the next program, and a desktop opened while the window manager still names the old window
// (openbox goes on naming a closed window active) takes news of the old window for the new one.
// So the test's own window is made active before the programs go, and the next test starts only
// once the window manager has let their windows go.
class Programs {
public:
  ~Programs() {
    // Lives until the programs' windows are gone, so that the focus does not fall back to them.
    QWidget desk;
    if (!processes_.empty()) {
      desk.setWindowTitle(QStringLiteral("Quillbrook test desk"));
      desk.show();
      if (QTest::qWaitForWindowExposed(&desk, kDesktopLimitMs)) activate(desk.winId());
    }
    for (auto& process : processes_) {
      process->kill();
      process->waitForFinished(kDesktopLimitMs);
    }
    QDeadlineTimer deadline(kDesktopLimit);
    for (WindowId window : windows_) {
      while (listed(window) && !deadline.hasExpired()) {
        QThread::msleep(static_cast<unsigned long>(kDesktopPoll.count()));
      }
      EXPECT_FALSE(listed(window)) << "the window manager still lists " << window;
    }
  }

  struct Window {
    WindowId id = 0;
    pid_t pid = 0;
    QProcess* process = nullptr;
  };

  // An xterm titled `title` that runs nothing but a sleep, so that no shell retitles it.
  Window terminal(const QString& title) {
    auto process = std::make_unique<QProcess>();
    process->start("xterm", {"-title", title, "-e", "sleep", "600"});
    EXPECT_TRUE(process->waitForStarted(kDesktopLimitMs));
    const WindowId id = visibleWindowNamed("^" + title + "$");
    EXPECT_NE(id, 0u) << "no window titled " << title.toStdString();
    Window window{id, static_cast<pid_t>(process->processId()), process.get()};
    processes_.push_back(std::move(process));
    windows_.push_back(window.id);
    return window;
  }

private:
  std::vector<std::unique_ptr<QProcess>> processes_;
  std::vector<WindowId> windows_;
};

// Windows of a connection of the test's own, which names its windows itself: so a closed window's
// id goes to a new window on demand (a server hands a client's ids out again only once its range
// is spent). Their owner is the test's process.
struct OwnWindows {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  ~OwnWindows() { xcb_disconnect(connection); }

  // Answers once the window manager shows it.
  void open(xcb_window_t id, const std::string& title) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, id, screen->root, 0, 0, 500, 300, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(title.size()), title.data());
    xcb_map_window(connection, id);
    xcb_flush(connection);
    EXPECT_EQ(visibleWindowNamed(QString::fromStdString("^" + title + "$")), id) << title;
  }
};

// Qt settles some things once a process, for good: whether tray icons go through a
// StatusNotifierItem host or an XEmbed tray is decided when the first one is made. A test that
// relies on such a decision calls this first and goes on only when it answers true: in a child of
// this binary, on the same desktop, that runs this test alone. Here it runs that child to its end,
// fails the test with the child's output unless the child's test passed, and answers false.
inline bool inOwnProcess() {
  // The variable names the test the child runs.
  static constexpr char kVariable[] = "QB_DESKTOP_TEST_OWN_PROCESS";
  // How long the child may take, starting its program and desktop clients included.
  constexpr std::chrono::minutes kChildLimit{5};
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const QString name = QString::fromUtf8(test->test_suite_name()) + '.' + test->name();
  if (qEnvironmentVariable(kVariable) == name) return true;

  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(kVariable, name);
  environment.remove(QStringLiteral("GTEST_OUTPUT"));  // the report is this process's to write
  QProcess child;
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(QCoreApplication::applicationFilePath(),
              {"--gtest_filter=" + name, QStringLiteral("--gtest_repeat=1")});
  const bool finished =
      child.waitForFinished(static_cast<int>(std::chrono::milliseconds(kChildLimit).count()));
  if (!finished) child.kill();
  child.waitForFinished();
  const QString output = QString::fromLocal8Bit(child.readAll());
  const bool passed = finished && child.exitStatus() == QProcess::NormalExit &&
                      child.exitCode() == 0 && output.contains("[       OK ] " + name);
  EXPECT_TRUE(passed) << "in a process of its own, " << name.toStdString()
                      << (finished ? "" : " ran out of time") << ":\n"
                      << output.toStdString();
  return false;
}

// Every signal of a desktop, in order.
class SignalLog {
public:
  struct Entry {
    std::string kind;
    WindowId window = 0;
    friend bool operator==(const Entry&, const Entry&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Entry& entry) {
      return out << entry.kind << " " << entry.window;
    }
  };

  explicit SignalLog(X11Desktop& desktop) {
    const auto note = [this](const char* kind) {
      return [this, kind](WindowId window) { entries.push_back({kind, window}); };
    };
    QObject::connect(&desktop, &X11Desktop::activeWindowChanged, note("active"));
    QObject::connect(&desktop, &X11Desktop::titleChanged, note("title"));
    QObject::connect(&desktop, &X11Desktop::windowMoved, note("moved"));
    QObject::connect(&desktop, &X11Desktop::windowResized, note("resized"));
    QObject::connect(&desktop, &X11Desktop::windowDestroyed, note("destroyed"));
    QObject::connect(&desktop, &X11Desktop::screenSaverChanged, [this](bool on) {
      entries.push_back({on ? "saver on" : "saver off", 0});
    });
  }

  // Fails the test, showing what came instead, when the entry does not come in time.
  [[nodiscard]] bool waitFor(const Entry& entry) {
    if (waitUntil(
            [&] { return std::find(entries.begin(), entries.end(), entry) != entries.end(); })) {
      return true;
    }
    ADD_FAILURE() << "no \"" << entry << "\" among " << ::testing::PrintToString(entries);
    return false;
  }
  std::vector<Entry> of(const std::string& kind) const {
    std::vector<Entry> found;
    for (const Entry& entry : entries) {
      if (entry.kind == kind) found.push_back(entry);
    }
    return found;
  }

  std::vector<Entry> entries;
};

}  // namespace qb::test
