// What the work-record suites share: a reference time, moments of a page or a window, and
// numbered names that sort as they count.

#pragma once

#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

#include "analysis/Moment.h"

namespace qb::test {

inline const Date t0 = Date::fromReference(740'000'000);

// A browser page: `address` in front, with its title.
inline Moment page(std::string_view address, std::string_view title = "Page", uint64_t id = 1) {
  return Moment(id, t0, "Firefox", "firefox.desktop", title, Url::parse(address));
}

// A window of an application without an address; its desktop-file id is the name lower-cased.
inline Moment window(std::string_view title, std::string_view app = "Editor", uint64_t id = 1) {
  std::string bundle(app);
  for (char& c : bundle) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Moment(id, t0, app, bundle + ".desktop", title);
}

// prefix followed by i in at least four digits, so that names sort as their numbers.
inline std::string numbered(std::string_view prefix, int i) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", i);
  return std::string(prefix) + digits;
}

}  // namespace qb::test
