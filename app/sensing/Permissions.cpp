#include "sensing/Permissions.h"

#include "base/Log.h"
#include "platform/Accessibility.h"
#include "platform/DesktopEntries.h"
#include "sensing/Browsers.h"

namespace qb {

namespace Permissions {

std::string_view paneText(Pane pane) {
  switch (pane) {
    case Pane::accessibility:
      return "Privacy_Accessibility";
    case Pane::automation:
      return "Privacy_Automation";
  }
  return {};
}

bool isInstalled(const DesktopEntries& entries, std::string_view bundleID) {
  if (entries.isInstalled(bundleID)) return true;
  const std::optional<BrowserKind> kind = parseBrowserKind(bundleID);
  if (!kind) return false;
  for (std::string_view id : desktopFileIDs(*kind)) {
    if (entries.isInstalled(id)) return true;
  }
  return false;
}

Access determineAutomation(Accessibility& accessibility, const DesktopEntries& entries,
                           std::string_view bundleID, bool askIfNeeded) {
  if (!isInstalled(entries, bundleID)) return Access::notInstalled;
  if (accessibility.isProcessTrusted()) return Access::granted;
  if (!askIfNeeded) return Access::notDetermined;
  return accessibility.requestTrust() ? Access::granted : Access::denied;
}

Access requestAutomation(Accessibility& accessibility, const DesktopEntries& entries,
                         std::string_view bundleID) {
  return determineAutomation(accessibility, entries, bundleID, true);
}

void open(Accessibility& accessibility, Pane pane) {
  if (!accessibility.requestTrust()) {
    log::error("Could not turn on the accessibility bus for " + std::string(paneText(pane)));
  }
}

}  // namespace Permissions

}  // namespace qb
