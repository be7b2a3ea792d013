#include "shell/AppPage.h"

#include <algorithm>

namespace qb {

std::string_view rawValue(AppPage page) {
  switch (page) {
    case AppPage::home:
      return "home";
    case AppPage::activity:
      return "activity";
    case AppPage::sites:
      return "sites";
    case AppPage::settings:
      return "settings";
  }
  return "";
}

std::optional<AppPage> parseAppPage(std::string_view text) {
  for (AppPage page : kAllAppPages) {
    if (rawValue(page) == text) return page;
  }
  return std::nullopt;
}

std::string_view title(AppPage page) {
  switch (page) {
    case AppPage::home:
      return "Home";
    case AppPage::activity:
      return "Activity";
    case AppPage::sites:
      return "Sites and apps";
    case AppPage::settings:
      return "Settings";
  }
  return "";
}

std::string_view symbol(AppPage page) {
  switch (page) {
    case AppPage::home:
      return "house";
    case AppPage::activity:
      return "chart.bar.xaxis";
    case AppPage::sites:
      return "checklist";
    case AppPage::settings:
      return "gearshape";
  }
  return "";
}

int shortcutDigit(AppPage page) {
  const auto* found = std::find(kAllAppPages.begin(), kAllAppPages.end(), page);
  return static_cast<int>(found - kAllAppPages.begin()) + 1;
}

}  // namespace qb
