#include "platform/linux/LinuxWorkspace.h"

#include "platform/linux/SessionEvents.h"

namespace qb {

LinuxWorkspace::LinuxWorkspace(X11Desktop& desktop, const MotionSetting& motion,
                               SessionEvents* session)
    : desktop_(desktop), motion_(motion) {
  const WindowId active = desktop_.activeWindow();
  hadFront_ = active != 0;
  frontPID_ = active ? desktop_.pid(active) : 0;
  connect(&desktop_, &X11Desktop::activeWindowChanged, this, &LinuxWorkspace::activeWindowChanged);
  connect(&desktop_, &X11Desktop::screenSaverChanged, this,
          [this](bool on) { on ? emit screensDidSleep() : emit screensDidWake(); });
  if (session) {
    connect(session, &SessionEvents::willSleep, this, &Workspace::willSleep);
    connect(session, &SessionEvents::didWake, this, &Workspace::didWake);
    connect(session, &SessionEvents::screenLocked, this, &Workspace::screenLocked);
    connect(session, &SessionEvents::screenUnlocked, this, &Workspace::screenUnlocked);
  }
}

std::optional<RunningApplication> LinuxWorkspace::frontmostApplication() const {
  const WindowId active = desktop_.activeWindow();
  if (active == 0) return std::nullopt;
  return desktop_.application(active);
}

void LinuxWorkspace::activeWindowChanged(WindowId window) {
  const bool hasFront = window != 0;
  // A window whose owner is unknown is a program of its own: each such window is a switch.
  const pid_t pid = hasFront ? desktop_.pid(window) : 0;
  const bool switched = hasFront != hadFront_ || pid != frontPID_ || (hasFront && pid == 0);
  hadFront_ = hasFront;
  frontPID_ = pid;
  if (switched) emit applicationActivated();
}

std::vector<WindowId> LinuxWorkspace::windowsOf(pid_t pid) {
  std::vector<WindowId> windows;
  if (pid <= 0) return windows;
  for (WindowId window : desktop_.clientWindows()) {
    if (desktop_.pid(window) == pid) windows.push_back(window);
  }
  return windows;
}

bool LinuxWorkspace::activate(pid_t pid) {
  const std::vector<WindowId> windows = windowsOf(pid);
  return !windows.empty() && desktop_.activate(windows.back());
}

bool LinuxWorkspace::hide(pid_t pid) {
  const std::vector<WindowId> windows = windowsOf(pid);
  for (WindowId window : windows) desktop_.minimize(window);
  return !windows.empty();
}

}  // namespace qb
