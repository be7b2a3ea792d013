// The limits within which every desktop test waits for the desktop and the programs on it. Each
// wait looks again and again and ends as soon as what it waits for has come, so a desktop that
// answers at once costs nothing more: a limit is reached only by a failure, and sized for a
// sanitizer build on a loaded machine (three times as many busy processes as cores, where the
// window manager has gone seconds without drawing and a program's start has taken half a minute).
// A test names a limit of its own only for a wait that these do not describe.

#pragma once

#include <chrono>

namespace qb::test {

// How long the desktop may take to answer a step: the X server and the window manager, the
// session and system buses and the accessibility bus, the tools that wait on them, and a running
// program's answer to a key, a click, a command or a message.
inline constexpr std::chrono::milliseconds kDesktopLimit{30000};
// How long a program may take from its launch to its first window, or its tree on the
// accessibility bus: browsers start processes of their own and publish their trees first.
inline constexpr std::chrono::milliseconds kStartLimit{60000};

// The same, for the calls that take whole milliseconds.
inline constexpr int kDesktopLimitMs = static_cast<int>(kDesktopLimit.count());
inline constexpr int kStartLimitMs = static_cast<int>(kStartLimit.count());

}  // namespace qb::test
