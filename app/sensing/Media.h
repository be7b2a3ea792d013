// Media: whether an application is playing media, so that a user who sits still in front of a
// video still counts as present. Judged from the players the session's programs publish, by the
// process that runs each one: an application plays when a playing player runs in its own process
// or in one of its direct child processes (browsers play in a child). A grandchild does not count,
// so that a program does not inherit the playback of everything started under it (a terminal's
// players, a launcher's).
//
// Stateless; every failure (no bus, a player that does not answer, a process whose parent cannot
// be read) counts as no match, and the answer is then false.

#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>

namespace qb {

class MediaPlayers;

namespace Media {

// The parent of a process, or none when it cannot be read (the process is gone).
using ParentLookup = std::function<std::optional<pid_t>(pid_t)>;

// The parent of a process from the system's process table.
std::optional<pid_t> processParent(pid_t pid);

// Whether `pid` or one of its direct children runs a player that plays. Asks `players` once, and
// looks up the parent of each playing process other than `pid`. False for a non-positive `pid`.
bool isPlaying(const MediaPlayers& players, pid_t pid,
               const ParentLookup& parentOf = processParent);

}  // namespace Media

}  // namespace qb
