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
// The name of the page's symbol in design/Symbols: "house", "chart.bar.xaxis", "checklist" or
// "gearshape". A selected page shows the filled drawing, name + ".fill", where there is one.
std::string_view symbol(AppPage page);
// The digit of the page's keyboard shortcut, Ctrl with 1 to 4: its position plus one.
int shortcutDigit(AppPage page);

}  // namespace qb
