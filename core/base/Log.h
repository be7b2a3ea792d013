// Log: the program's one log, under the category "app".
//
// The core only writes messages; where they go is the program's choice (the journal, stderr when
// there is none). Until a sink is installed, messages go to stderr, as does a message whose sink
// throws: writing never throws from the sink. Safe from any thread.
//
// Debug lines are dropped here, before any sink, unless they are shown: from the start when the
// environment variable kDebugVariable holds anything but "" or "0" as the log is first used, or
// from showDebug(true) on (the program's --verbose). A message's trailing line breaks are cut, so
// that no sink writes an empty line after it.

#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qb::log {

enum class Level { debug, info, error };

inline constexpr const char* kDebugVariable = "QB_VERBOSE";

using Sink = std::function<void(Level, std::string_view message)>;

// Replaces the sink; an empty sink restores the default.
void setSink(Sink sink);

// Turns debug lines on or off, whatever the environment said.
void showDebug(bool shown);
bool debugShown();

void write(Level level, std::string_view message);
inline void info(std::string_view message) { write(Level::info, message); }
inline void error(std::string_view message) { write(Level::error, message); }

}  // namespace qb::log
