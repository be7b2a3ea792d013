// TestWindowProcess: starts quillbrook_test_window (TestWindow.cpp beside this file) and drives it
// through its standard input. Every wait is bounded; the process is stopped (and continued first,
// if a test stopped it) when the object goes.

#pragma once

#include <signal.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "desktop/DesktopLimits.h"

namespace qb::test {

class TestWindowProcess {
public:
  // Starts the window titled `title`; started() tells whether it showed itself in time.
  explicit TestWindowProcess(const QString& title) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(QB_TEST_WINDOW), title.split(' '));
    started_ = waitForLine(QStringLiteral("ready"), kStartLimitMs);
  }

  ~TestWindowProcess() {
    if (process_.state() == QProcess::NotRunning) return;
    ::kill(static_cast<pid_t>(process_.processId()), SIGCONT);
    process_.write("quit\n");
    if (!process_.waitForFinished(kDesktopLimitMs)) {
      process_.kill();
      process_.waitForFinished(kDesktopLimitMs);
    }
  }

  TestWindowProcess(const TestWindowProcess&) = delete;
  TestWindowProcess& operator=(const TestWindowProcess&) = delete;

  bool started() const { return started_; }
  pid_t pid() const { return static_cast<pid_t>(process_.processId()); }

  // Sends one command ("title <text>", "focus password", "focus text") and waits until the window
  // says it was carried out.
  bool command(const QString& line) {
    process_.write((line + '\n').toUtf8());
    return waitForLine(QStringLiteral("done ") + line, kDesktopLimitMs);
  }

private:
  bool waitForLine(const QString& expected, int limitMs) {
    QDeadlineTimer deadline(limitMs);
    while (!deadline.hasExpired()) {
      while (process_.canReadLine()) {
        if (QString::fromUtf8(process_.readLine()).trimmed() == expected) return true;
      }
      if (process_.state() == QProcess::NotRunning) return false;
      process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    return false;
  }

  QProcess process_;
  bool started_ = false;
};

}  // namespace qb::test
