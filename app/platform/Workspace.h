// Workspace: the running applications as the desktop sees them: which one is in front, and the
// events of the session around them (activations, sleep and wake, the screens going dark and
// coming back, the screen locking and unlocking).
//
// An application is identified by its desktop-file id ("org.gnome.TextEditor", "firefox-esr"),
// the id of the .desktop file that launches it, found from the window's process and WM_CLASS.
//
// The workspace also hands out the desktop's motion setting, which lives as long as it does.

#pragma once

#include <sys/types.h>

#include <QObject>
#include <optional>
#include <string>

#include "platform/MotionSetting.h"

namespace qb {

struct RunningApplication {
  pid_t pid = 0;
  std::optional<std::string> bundleID;       // the desktop-file id; absent when none is known
  std::optional<std::string> localizedName;  // the name the user sees; absent when none is known
  friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

class Workspace : public QObject {
  Q_OBJECT

public:
  using QObject::QObject;

  // The application whose window holds the focus, or none when no window does.
  virtual std::optional<RunningApplication> frontmostApplication() const = 0;
  // Brings the process's topmost window to the front and gives it the focus; false when the
  // process shows no window.
  virtual bool activate(pid_t pid) = 0;
  // Iconifies every window of the process; false when it shows none.
  virtual bool hide(pid_t pid) = 0;
  // Whether the user asked the desktop for less motion.
  virtual const MotionSetting& motion() const = 0;

signals:
  // Another application came to the front; emitted once per change of the front process.
  void applicationActivated();
  void willSleep();
  void didWake();
  void screensDidSleep();
  void screensDidWake();
  void screenLocked();
  void screenUnlocked();
};

}  // namespace qb
