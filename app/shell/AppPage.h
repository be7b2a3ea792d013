// AppPage: the main window's pages, in the sidebar's order; a page's position gives its keyboard
// shortcut digit (Ctrl+1 for the first).

#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace qb {

enum class AppPage { home, activity, sites, settings };

inline constexpr std::array<AppPage, 4> kAllAppPages = {AppPage::home, AppPage::activity,
                                                        AppPage::sites, AppPage::settings};

// "home", "activity", "sites" or "settings".
std::string_view rawValue(AppPage page);
// The page whose raw value is exactly text (case-sensitive); none for any other text.
std::optional<AppPage> parseAppPage(std::string_view text);
// "Home", "Activity", "Sites and apps" or "Settings".
std::string_view title(AppPage page);

}  // namespace qb
