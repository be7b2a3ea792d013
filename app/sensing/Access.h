// Access: what the program may do with one browser, as its permission stands
// (Permissions.h says what each state means on this desktop).

#pragma once

#include <string_view>

namespace qb {

enum class Access { granted, denied, notDetermined, notInstalled };

// "granted", "denied", "notDetermined" or "notInstalled": the words recorded with a change.
std::string_view name(Access access);

}  // namespace qb
