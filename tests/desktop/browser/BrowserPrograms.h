// The browsers the desktop tests and benchmarks start, and how: each in a profile of its own that
// skips first-run pages and calls home for nothing, and stopped with every process it started
// before its profile goes.

#pragma once

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <iostream>
#include <ostream>

#include "desktop/DesktopLimits.h"
#include "sensing/Browsers.h"

namespace qb::test {

struct BrowserProgram {
  const char* program;
  BrowserKind kind;
  friend void PrintTo(const BrowserProgram& browser, std::ostream* out) { *out << browser.program; }
};

inline constexpr BrowserProgram kFirefox{"firefox-esr", BrowserKind::firefox};
inline constexpr BrowserProgram kChromium{"chromium", BrowserKind::chrome};

// The arguments that open `urls` in a new instance using the profile folder `profile`; false in
// `ok` when the profile could not be written. Firefox needs prefs that skip its first-run pages;
// Chromium its accessibility flag, without which it publishes no page, and no sandbox when run as
// root.
inline QStringList browserArguments(const BrowserProgram& browser, const QString& profile,
                                    const QStringList& urls, bool& ok) {
  ok = true;
  if (browser.kind == BrowserKind::firefox) {
    QFile prefs(profile + "/user.js");
    ok = prefs.open(QIODevice::WriteOnly) &&
         prefs.write(
             "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n"
             "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n"
             "user_pref(\"browser.aboutwelcome.enabled\", false);\n"
             "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
             "user_pref(\"toolkit.telemetry.reportingpolicy.firstRun\", false);\n"
             "user_pref(\"browser.tabs.warnOnClose\", false);\n") > 0;
    return QStringList{"--no-remote", "--new-instance", "--profile", profile} + urls;
  }
  QStringList arguments{"--no-first-run",
                        "--disable-background-networking",
                        "--disable-component-update",
                        "--disable-sync",
                        "--disable-gpu",
                        "--disable-dev-shm-usage",
                        "--password-store=basic",
                        "--force-renderer-accessibility",
                        "--user-data-dir=" + profile};
  if (geteuid() == 0) arguments.prepend("--no-sandbox");
  return arguments + urls;
}

// A browser running in a profile folder of its own, which goes with it on every way out of the
// scope that holds it. The browser's helpers (content processes, renderers, Chromium's network
// service) outlive it for a moment, and Chromium's network service writes into the profile after
// the browser itself has ended: a folder removed meanwhile is left half removed. So the browser
// leads a process group of its own, which its helpers join, and stop() waits for the whole group
// before the folder goes. What it keeps in the temporary folder (Chromium's socket for a second
// instance, left there even by a clean quit) is kept inside the profile, and goes with it. Main
// thread only: the browser is killed when the thread that started it ends.
class BrowserProcess {
public:
  // The browser may take kStartLimit to start, and kDesktopLimit to quit once asked (it saves
  // its state first) and for its helpers to go once killed.
  // How often the wait for the helpers looks again.
  static constexpr unsigned long kPollMs = 20;

  explicit BrowserProcess(const BrowserProgram& browser) : browser_(browser) {}
  ~BrowserProcess() {
    if (!stop()) {
      std::cerr << browser_.program << " left processes behind after it was killed\n";
    }
    if (profile_.isValid() && !profile_.remove()) {
      std::cerr << browser_.program
                << "'s profile could not be removed: " << profile_.path().toStdString() << "\n";
    }
  }
  BrowserProcess(const BrowserProcess&) = delete;
  BrowserProcess& operator=(const BrowserProcess&) = delete;

  // Starts the browser on `urls`; false, with errorString() saying why, when its profile could not
  // be written or it did not start.
  bool start(const QStringList& urls) {
    const QString temporary = profile_.path() + "/tmp";
    bool written = false;
    QStringList arguments;
    if (profile_.isValid()) arguments = browserArguments(browser_, profile_.path(), urls, written);
    if (!written || !QDir().mkpath(temporary)) {
      error_ = "no profile folder for " + QString(browser_.program);
      return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", temporary);
    process_.setProcessEnvironment(environment);
    process_.setChildProcessModifier([] {
      ::setpgid(0, 0);
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    process_.start(browser_.program, arguments);
    if (!process_.waitForStarted(kStartLimitMs)) {
      error_ = QString(browser_.program) + " did not start: " + process_.errorString();
      return false;
    }
    group_ = static_cast<pid_t>(process_.processId());
    return true;
  }

  // Asks the browser to quit, kills it when it has not after kDesktopLimit, then kills what is left
  // of its helpers and waits for them; false when some of them were still there after kDesktopLimit
  // more.
  bool stop() {
    if (group_ == 0) return true;
    if (process_.state() != QProcess::NotRunning) {
      process_.terminate();
      if (!process_.waitForFinished(kDesktopLimitMs)) {
        process_.kill();
        (void)process_.waitForFinished(kDesktopLimitMs);
      }
    }
    const auto groupGone = [group = group_] { return ::kill(-group, 0) != 0 && errno == ESRCH; };
    if (!groupGone()) ::kill(-group_, SIGKILL);
    const QDeadlineTimer deadline(kDesktopLimitMs);
    while (!groupGone() && !deadline.hasExpired()) QThread::msleep(kPollMs);
    const bool gone = groupGone();
    if (gone) group_ = 0;
    return gone;
  }

  QString profile() const { return profile_.path(); }
  QString errorString() const { return error_; }

private:
  BrowserProgram browser_;
  QTemporaryDir profile_;  // removed by the destructor, after stop()
  QProcess process_;
  pid_t group_ = 0;  // the browser's pid, which leads the group; 0 before start and once all gone
  QString error_;
};

}  // namespace qb::test
