// Log: the program's one log, under the category "app".
//
// The core only writes messages; where they go is the program's choice (the journal, stderr when
// there is none). Until a sink is installed, messages go to stderr, as does a message whose sink
// throws: writing never throws from the sink. Safe from any thread.

#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qb::log {

enum class Level { debug, info, error };

using Sink = std::function<void(Level, std::string_view message)>;

// Replaces the sink; an empty sink restores the default.
void setSink(Sink sink);

void write(Level level, std::string_view message);
inline void info(std::string_view message) { write(Level::info, message); }
inline void error(std::string_view message) { write(Level::error, message); }

}  // namespace qb::log
