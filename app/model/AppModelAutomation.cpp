// Whether the browsers' tabs may be read: checked without asking at start-up, on a switch into a
// browser that is not granted yet and when a page shows the permissions; asked for by the user.
//
// On this desktop the answer is the accessibility bus's switch and whether the browser is
// installed: a cached state and a scan of the desktop entries, cheap enough for the main thread.

#include <array>

#include "model/AppModel.h"
#include "platform/Platform.h"
#include "recording/Recorder.h"
#include "sensing/Observer.h"
#include "sensing/Permissions.h"

namespace qb {
namespace {

// The browsers whose access is checked without asking; Firefox is read like any window.
constexpr std::array<BrowserKind, 2> kCheckedBrowsers = {BrowserKind::safari, BrowserKind::chrome};

}  // namespace

void AppModel::refreshAutomation() {
  for (BrowserKind kind : kCheckedBrowsers) {
    const Access access = Permissions::determineAutomation(services_.platform.accessibility(),
                                                           desktopEntries_, rawValue(kind), false);
    const auto stored = automation_.find(kind);
    // A silent check cannot tell a granted browser that is not running from one never asked.
    if (access == Access::notDetermined && stored != automation_.end() &&
        stored->second == Access::granted) {
      continue;
    }
    storeAutomation(kind, access);
  }
}

void AppModel::requestAutomation(BrowserKind kind) {
  const Access access = Permissions::requestAutomation(services_.platform.accessibility(),
                                                       desktopEntries_, rawValue(kind));
  storeAutomation(kind, access);
  if (access == Access::denied) {
    Permissions::open(services_.platform.accessibility(), Permissions::Pane::automation);
  }
  observer_->refresh();
}

void AppModel::storeAutomation(BrowserKind kind, Access access) {
  const auto stored = automation_.find(kind);
  if (stored != automation_.end() && stored->second == access) return;
  recordSystem("automation", std::string(displayName(kind)) + ": " + std::string(qb::name(access)));
  automation_[kind] = access;
  Browsers::automation()[kind] = access;
  emit changed(Property::automation);
}

}  // namespace qb
