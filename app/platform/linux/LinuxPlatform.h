// LinuxPlatform: the desktop services on an X11 session (XWayland included): windows and their
// changes from the X server, trees and the permission from the accessibility bus, sleep and
// lock from logind and the screen savers on D-Bus, and the media players playing from the
// players on the session bus.
//
// Opened once by the program on its main thread; every service it hands out lives as long as it
// does, and their signals and callbacks arrive from that thread's event loop.

#pragma once

#include <memory>

#include "platform/Platform.h"

namespace qb {

class AtspiBus;
class DesktopMotion;
class LinuxAccessibility;
class LinuxWorkspace;
class MprisPlayers;
class SessionEvents;
class X11Desktop;
class X11InputMonitor;
class X11KeyGrab;
class X11KeyPoster;

class LinuxPlatform : public Platform {
public:
  // Null, with the reason logged, when there is no X display. Without an accessibility bus or
  // D-Bus the platform still opens: it reads window titles, and counts as not trusted.
  static std::unique_ptr<LinuxPlatform> open();
  ~LinuxPlatform() override;

  Workspace& workspace() override;
  Accessibility& accessibility() override;
  InputMonitor& input() override;
  KeyPoster& keys() override;
  KeyGrab& keyGrab() override;
  MediaPlayers& media() override;

  X11Desktop& desktop() { return *desktop_; }

private:
  LinuxPlatform() = default;

  // Declared in the order they are built; destroyed the other way round.
  std::unique_ptr<X11Desktop> desktop_;
  std::unique_ptr<AtspiBus> atspi_;  // null without an accessibility bus
  std::unique_ptr<SessionEvents> session_;
  std::unique_ptr<X11InputMonitor> input_;
  std::unique_ptr<X11KeyPoster> keys_;
  std::unique_ptr<X11KeyGrab> keyGrab_;
  std::unique_ptr<MprisPlayers> media_;
  std::unique_ptr<LinuxAccessibility> accessibility_;
  std::unique_ptr<DesktopMotion> motion_;
  std::unique_ptr<LinuxWorkspace> workspace_;
};

}  // namespace qb
