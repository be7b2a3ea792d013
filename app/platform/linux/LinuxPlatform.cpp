#include "platform/linux/LinuxPlatform.h"

#include "base/Log.h"
#include "platform/linux/AtspiBus.h"
#include "platform/linux/DesktopMotion.h"
#include "platform/linux/LinuxAccessibility.h"
#include "platform/linux/LinuxWorkspace.h"
#include "platform/linux/MprisPlayers.h"
#include "platform/linux/SessionEvents.h"
#include "platform/linux/X11Desktop.h"
#include "platform/linux/X11InputMonitor.h"
#include "platform/linux/X11KeyGrab.h"
#include "platform/linux/X11KeyPoster.h"

namespace qb {

std::unique_ptr<LinuxPlatform> LinuxPlatform::open() {
  std::unique_ptr<X11Desktop> desktop = X11Desktop::open();
  if (!desktop) return nullptr;
  std::unique_ptr<LinuxPlatform> platform(new LinuxPlatform());
  platform->desktop_ = std::move(desktop);
  platform->atspi_ = AtspiBus::open();
  if (!platform->atspi_) {
    log::error("No accessibility bus: windows are read by their titles alone");
  }
  platform->session_ = std::make_unique<SessionEvents>();
  platform->input_ = std::make_unique<X11InputMonitor>(platform->desktop_->connection());
  platform->keys_ = std::make_unique<X11KeyPoster>(*platform->desktop_);
  platform->keyGrab_ = std::make_unique<X11KeyGrab>(platform->desktop_->connection());
  platform->media_ = std::make_unique<MprisPlayers>();
  platform->accessibility_ =
      std::make_unique<LinuxAccessibility>(*platform->desktop_, platform->atspi_.get());
  platform->motion_ = std::make_unique<DesktopMotion>();
  platform->workspace_ = std::make_unique<LinuxWorkspace>(*platform->desktop_, *platform->motion_,
                                                          platform->session_.get());
  return platform;
}

LinuxPlatform::~LinuxPlatform() = default;

Workspace& LinuxPlatform::workspace() { return *workspace_; }
Accessibility& LinuxPlatform::accessibility() { return *accessibility_; }
InputMonitor& LinuxPlatform::input() { return *input_; }
KeyPoster& LinuxPlatform::keys() { return *keys_; }
KeyGrab& LinuxPlatform::keyGrab() { return *keyGrab_; }
MediaPlayers& LinuxPlatform::media() { return *media_; }

}  // namespace qb
