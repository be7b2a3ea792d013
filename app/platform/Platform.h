// Platform: the desktop services the program reads and drives, opened together and owned by one
// object for the life of the program. The real one talks to the X server, the accessibility bus
// and D-Bus (linux/LinuxPlatform.h); tests drive a fake by hand (fake/FakePlatform.h).

#pragma once

namespace qb {

class Accessibility;
class InputMonitor;
class KeyGrab;
class KeyPoster;
class MediaPlayers;
class Workspace;

class Platform {
public:
  virtual ~Platform() = default;

  virtual Workspace& workspace() = 0;
  virtual Accessibility& accessibility() = 0;
  virtual InputMonitor& input() = 0;
  virtual KeyPoster& keys() = 0;
  virtual KeyGrab& keyGrab() = 0;
  virtual MediaPlayers& media() = 0;
};

}  // namespace qb
