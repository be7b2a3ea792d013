#include "shell/ApplicationMode.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "base/Clock.h"
#include "base/Error.h"
#include "base/Log.h"
#include "base/WallClock.h"
#include "model/AppModel.h"
#include "platform/LoginItem.h"
#include "platform/Paths.h"
#include "platform/QtRuntime.h"
#include "platform/UserDefaults.h"
#include "platform/linux/JournalSink.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/SingleInstance.h"
#include "shell/AppDelegate.h"

namespace qb {

namespace {

// The signals that end the program the way a quit does: a session's end, and Ctrl+C.
constexpr std::array<int, 2> kQuitSignals = {SIGTERM, SIGINT};

// The pipe's end that the signal handler writes to; -1 while no handler is installed.
std::atomic<int> signalWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");

void onQuitSignal(int) {
  const int saved = errno;
  const char byte = 0;
  if (const int fd = signalWriteEnd.load(); fd >= 0) (void)!::write(fd, &byte, 1);
  errno = saved;
}

// Turns the quit signals into a quit of the event loop. A signal handler may do next to nothing,
// so it writes a byte into a pipe that the event loop watches. The first signal puts the default
// handling back, so that a second one still ends a program whose quit hangs.
class QuitOnSignals {
public:
  QuitOnSignals() {
    if (::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
      log::error(std::string("Quit signals are not handled: no pipe: ") + std::strerror(errno));
      return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
      char bytes[16];
      while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
      }
      restoreDefaults();
      QCoreApplication::quit();
    });
    signalWriteEnd = pipe_[1];
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kQuitSignals) {
      if (::sigaction(signal, &action, nullptr) != 0) {
        log::error("Signal " + std::to_string(signal) +
                   " will end the program without closing the recording: " + std::strerror(errno));
      }
    }
  }
  ~QuitOnSignals() {
    restoreDefaults();
    signalWriteEnd = -1;
    notifier_.reset();
    for (int fd : pipe_) {
      if (fd >= 0) ::close(fd);
    }
  }
  QuitOnSignals(const QuitOnSignals&) = delete;
  QuitOnSignals& operator=(const QuitOnSignals&) = delete;

private:
  static void restoreDefaults() {
    for (int signal : kQuitSignals) std::signal(signal, SIG_DFL);
  }

  std::array<int, 2> pipe_ = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;  // watches pipe_[0]
};

// The user's folders; none, with the reason logged, without a home folder.
struct Folders {
  std::filesystem::path settings;
  std::filesystem::path autostart;
  std::filesystem::path application;
};
std::optional<Folders> userFolders() {
  try {
    return Folders{paths::settingsFile(), paths::autostartFolder(), paths::applicationFolder()};
  } catch (const Error& error) {
    log::error(std::string("No folder to keep the user's files in: ") + error.what());
    return std::nullopt;
  }
}

}  // namespace

namespace {

// While it lives, the log goes to the journal when there is one; a message the journal refuses,
// and every message when there is none, goes to standard error.
class JournalLog {
public:
  JournalLog() {
    std::shared_ptr<JournalSink> journal = JournalSink::open();
    if (!journal) return;
    log::setSink([journal](log::Level level, std::string_view message) {
      if (!journal->send(level, message)) throw std::runtime_error("the journal refused it");
    });
    installed_ = true;
  }
  ~JournalLog() {
    if (installed_) log::setSink({});
  }
  JournalLog(const JournalLog&) = delete;
  JournalLog& operator=(const JournalLog&) = delete;

private:
  bool installed_ = false;
};

}  // namespace

int runApplication(int& argc, char** argv) {
  const JournalLog journalLog;
  QApplication application(argc, argv);
  // The program lives in the tray: closing its last window does not end it.
  QApplication::setQuitOnLastWindowClosed(false);

  const std::optional<Folders> folders = userFolders();
  if (!folders) return 1;
  // Null when there is no X display; the platform has logged why.
  const std::unique_ptr<LinuxPlatform> platform = LinuxPlatform::open();
  if (!platform) return 1;
  // One copy per session: a later one asks the running copy to show its window, then ends.
  SingleInstance instance;
  if (instance.claim() == SingleInstance::Claim::running) {
    log::info("Quillbrook is already running; its window was asked to show");
    return 0;
  }
  // The user's files are read once this copy is the one that runs: a copy that was quitting has
  // written the last of them before it gave the name up.
  UserDefaults defaults(folders->settings);
  LoginItem loginItem(folders->autostart, LoginItem::runningExecutable());
  QtExecutor main;
  QtTimers timers;
  // Declared after what it runs on, so that it goes first.
  AppDelegate delegate({*platform, defaults, loginItem, main, timers, MonotonicClock::steady(),
                        WallClock::system(), folders->application},
                       AppModel::makeUploader());
  QObject::connect(&instance, &SingleInstance::reopenRequested, &delegate,
                   &AppDelegate::applicationShouldHandleReopen);

  // However the event loop was asked to stop: first the settings and the learned files are left
  // as the next copy will read them, then the name goes, so that a copy started from then on runs
  // at once instead of asking this one for a window it no longer shows; the recording closes
  // last, since that may wait seconds for its check.
  QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                   [&] { delegate.applicationWillTerminate([&] { instance.release(); }); });
  const QuitOnSignals quitOnSignals;
  QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
  return QApplication::exec();
}

}  // namespace qb
