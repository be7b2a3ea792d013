// What the tests that start the program itself share: its environment, with a home of the test's
// own; a wait that keeps the test's event loop turning; and the program's windows on screen, with
// their places.

#pragma once

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QTest>
#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include "desktop/x11/X11TestSupport.h"

namespace qb::test {

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

// The window's place and size on screen, as the X server has them: its content, without the
// frame the window manager draws around it. None when the window cannot be read. (xdotool's own
// geometry of a framed window counts the frame's offset twice.)
inline std::optional<QRect> placeOf(WindowId window) {
  std::istringstream lines(quietly("xwininfo", {"-id", QString::number(window)}));
  std::map<std::string, int> values;
  for (std::string line; std::getline(lines, line);) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const size_t name = line.find_first_not_of(' ');
    try {
      values[line.substr(name, colon - name)] = std::stoi(line.substr(colon + 1));
    } catch (const std::logic_error&) {
      // A line that is no number (the window's name, its class).
    }
  }
  const char* const needed[] = {"Absolute upper-left X", "Absolute upper-left Y", "Width",
                                "Height"};
  for (const char* name : needed) {
    if (!values.contains(name)) return std::nullopt;
  }
  return QRect(values[needed[0]], values[needed[1]], values[needed[2]], values[needed[3]]);
}

}  // namespace qb::test
