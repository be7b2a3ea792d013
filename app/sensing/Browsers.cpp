#include "sensing/Browsers.h"

#include <utility>

namespace qb {

namespace {

// Desktop-file ids of the same programs as packaged for Linux (distribution packages, vendors'
// packages, Flatpak).
constexpr std::array<std::pair<std::string_view, BrowserKind>, 13> kLinuxIDs = {{
    {"firefox", BrowserKind::firefox},
    {"firefox-esr", BrowserKind::firefox},
    {"chromium", BrowserKind::chrome},
    {"chromium-browser", BrowserKind::chrome},
    {"org.chromium.Chromium", BrowserKind::chrome},
    {"google-chrome", BrowserKind::chrome},
    {"google-chrome-beta", BrowserKind::chrome},
    {"brave-browser", BrowserKind::chrome},
    {"com.brave.Browser", BrowserKind::chrome},
    {"microsoft-edge", BrowserKind::chrome},
    {"com.microsoft.Edge", BrowserKind::chrome},
    {"vivaldi-stable", BrowserKind::chrome},
    {"com.vivaldi.Vivaldi", BrowserKind::chrome},
}};

}  // namespace

std::string_view rawValue(BrowserKind kind) {
  switch (kind) {
    case BrowserKind::safari:
      return "com.apple.Safari";
    case BrowserKind::chrome:
      return "com.google.Chrome";
    case BrowserKind::firefox:
      return "org.mozilla.firefox";
  }
  return {};
}

std::optional<BrowserKind> parseBrowserKind(std::string_view text) {
  for (BrowserKind kind : kAllBrowserKinds) {
    if (rawValue(kind) == text) return kind;
  }
  for (const auto& [id, kind] : kLinuxIDs) {
    if (id == text) return kind;
  }
  return std::nullopt;
}

std::vector<std::string_view> desktopFileIDs(BrowserKind kind) {
  std::vector<std::string_view> ids;
  for (const auto& [id, idKind] : kLinuxIDs) {
    if (idKind == kind) ids.push_back(id);
  }
  return ids;
}

namespace Browsers {

std::optional<TabInfo> read(BrowserKind, pid_t, const AXElement&) { return std::nullopt; }

}  // namespace Browsers

}  // namespace qb
