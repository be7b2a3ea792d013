// Permissions: what the program may read of other programs, and how it asks for more.
//
// On this desktop both permissions the program needs come down to one switch: the accessibility
// bus. While it is off most toolkits publish no trees, so neither windows' contents nor browser
// tabs can be read; turning it on is the user's consent, and it persists in the user's desktop
// settings. So `Access` for a browser ("automation") is: notInstalled when no build of that
// browser is installed; granted while the bus is on; denied when the program asked and the bus
// stayed off; notDetermined when it is off and nobody asked. Browsers that were running before the
// bus came on publish their trees only once restarted.
//
// Nothing here launches a browser or shows a prompt: there is no consent dialog to show, so asking
// is a bus call that answers at once.

#pragma once

#include <optional>
#include <string_view>

#include "sensing/Access.h"

namespace qb {

class Accessibility;
class DesktopEntries;

namespace Permissions {

enum class Pane { accessibility, automation };

// "Privacy_Accessibility" or "Privacy_Automation".
std::string_view paneText(Pane pane);

// Whether an application with the desktop-file id is installed; for a browser's id (its raw
// value or a Linux id), whether any build of that browser is.
bool isInstalled(const DesktopEntries& entries, std::string_view bundleID);

// The browser's access, without asking (askIfNeeded false) or asking for it.
Access determineAutomation(Accessibility& accessibility, const DesktopEntries& entries,
                           std::string_view bundleID, bool askIfNeeded);
// determineAutomation, asking.
Access requestAutomation(Accessibility& accessibility, const DesktopEntries& entries,
                         std::string_view bundleID);

// What the settings' privacy panes are for: both ask for the accessibility bus, which is where
// this desktop keeps the permission.
void open(Accessibility& accessibility, Pane pane);

}  // namespace Permissions

}  // namespace qb
