// LinuxWorkspace: the running applications of an X11 session as the workspace sees them. The front
// application is the owner of the active window; an activation is a change of the process that
// owns it (a switch between two windows of one program is not one). Sleep and wake, lock and
// unlock come from the session's D-Bus services; the screens sleeping and waking from the X
// server's screen saver.
//
// The desktop, the motion setting, and the session events when given, must outlive it.

#pragma once

#include <vector>

#include "platform/Workspace.h"
#include "platform/linux/X11Desktop.h"

namespace qb {

class SessionEvents;

class LinuxWorkspace : public Workspace {
  Q_OBJECT

public:
  // `session` may be null (no D-Bus): then no sleep, wake, lock or unlock is reported.
  LinuxWorkspace(X11Desktop& desktop, const MotionSetting& motion, SessionEvents* session);

  std::optional<RunningApplication> frontmostApplication() const override;
  bool activate(pid_t pid) override;
  bool hide(pid_t pid) override;
  const MotionSetting& motion() const override { return motion_; }

private:
  void activeWindowChanged(WindowId window);
  // The process's windows, bottom to top.
  std::vector<WindowId> windowsOf(pid_t pid);

  X11Desktop& desktop_;
  const MotionSetting& motion_;
  pid_t frontPID_ = 0;  // the process of the last active window reported; 0 for none
  bool hadFront_ = false;
};

}  // namespace qb
