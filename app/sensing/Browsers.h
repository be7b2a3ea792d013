// Browsers: the browsers whose front tab the program reads, and how it names one of their tabs.
//
// A browser is known by its desktop-file id. Each kind keeps one fixed id as its raw value, the key
// of every per-browser table, and recognises the Linux ids of its programs as well.

#pragma once

#include <sys/types.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Url.h"
#include "platform/AXElement.h"

namespace qb {

enum class BrowserKind { safari, chrome, firefox };

inline constexpr std::array<BrowserKind, 3> kAllBrowserKinds = {
    BrowserKind::safari, BrowserKind::chrome, BrowserKind::firefox};

// "com.apple.Safari", "com.google.Chrome" or "org.mozilla.firefox".
std::string_view rawValue(BrowserKind kind);
// The kind whose raw value, or one of whose Linux desktop-file ids ("firefox-esr", "chromium",
// "google-chrome" and the other Chromium-family browsers), is exactly text; absent otherwise.
std::optional<BrowserKind> parseBrowserKind(std::string_view text);
// The Linux desktop-file ids of the kind's programs; empty for a kind with no Linux build.
std::vector<std::string_view> desktopFileIDs(BrowserKind kind);

// A tab as the browser itself names it; both numbers are 0 where the browser has no such number.
struct TabRef {
  BrowserKind browser = BrowserKind::firefox;
  int windowID = 0;
  int tab = 0;
  friend bool operator==(const TabRef&, const TabRef&) = default;
};

// What reading a browser's front tab gives.
struct TabInfo {
  std::string title;  // empty when the browser gave none
  std::optional<Url> url;
  std::optional<TabRef> ref;
  friend bool operator==(const TabInfo&, const TabInfo&) = default;
};

namespace Browsers {

// The front tab of a browser window, or none when it cannot be read. Reads nothing yet: the tab
// readers come with the browser support, and until then a browser is observed by its window title.
std::optional<TabInfo> read(BrowserKind kind, pid_t pid, const AXElement& window);

}  // namespace Browsers

}  // namespace qb
