// MediaPlayers: the media players of the desktop session that are playing right now, by the
// process that runs each one. A player that is paused or stopped is not listed; a player whose
// process cannot be told is not listed either.
//
// Asked on the main thread; each question is answered within a short bound, however slow a
// player is to answer.

#pragma once

#include <sys/types.h>

#include <vector>

namespace qb {

class MediaPlayers {
public:
  virtual ~MediaPlayers() = default;

  // The process of each playing player, once per player (a process that runs two playing
  // players is listed twice). Empty when nothing plays or the players cannot be asked.
  virtual std::vector<pid_t> playingProcesses() const = 0;
};

}  // namespace qb
