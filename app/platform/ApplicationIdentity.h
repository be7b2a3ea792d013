// How the desktop knows this program: the id of its .desktop file (the name of its autostart
// entry, and what the sensing layer reports when one of its own windows is in front) and its name.

#pragma once

#include <string_view>

namespace qb {

inline constexpr std::string_view kApplicationID = "quillbrook";
inline constexpr std::string_view kApplicationName = "Quillbrook";

}  // namespace qb
