// What the tests that start the program itself share: its environment, with a home of the test's
// own; a wait that keeps the test's event loop turning; and the program's windows on screen.

#pragma once

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QString>
#include <QTest>
#include <chrono>
#include <set>
#include <sstream>
#include <string>

#include "desktop/x11/X11TestSupport.h"

namespace qb::test {

// How long the program, or a browser it works with, may take to show its window on a loaded
// machine: browsers start processes of their own and publish their trees first.
constexpr std::chrono::seconds kStartLimit{60};
// How often a condition is looked at again while a test waits for it.
constexpr std::chrono::milliseconds kLookAgainInterval{250};

// The program's environment: the session's desktop and buses, a home of its own at `home` (its
// settings, data and cache in folders below it), and no model folder named.
inline QProcessEnvironment programEnvironment(const QString& home) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("QB_MODEL_DIR"));
  environment.insert(QStringLiteral("HOME"), home);
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + "/config");
  environment.insert(QStringLiteral("XDG_DATA_HOME"), home + "/data");
  environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + "/cache");
  return environment;
}

// Runs the event loop until `done` answers true or `limit` passes, looking every `interval`.
template <typename Done>
bool waitFor(Done done, std::chrono::milliseconds limit,
             std::chrono::milliseconds interval = kLookAgainInterval) {
  QElapsedTimer elapsed;
  elapsed.start();
  for (;;) {
    if (done()) return true;
    if (elapsed.elapsed() > limit.count()) return false;
    QTest::qWait(static_cast<int>(interval.count()));
  }
}

// The process's windows on screen.
inline std::set<WindowId> visibleWindows(qint64 pid) {
  std::istringstream found(
      quietly("xdotool", {"search", "--onlyvisible", "--pid", QString::number(pid)}));
  std::set<WindowId> windows;
  for (std::string id; std::getline(found, id);) windows.insert(std::stoul(id));
  return windows;
}

}  // namespace qb::test
