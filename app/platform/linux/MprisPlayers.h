// MprisPlayers: the playing media players of the session, from the players' own names on the
// session bus ("org.mpris.MediaPlayer2.<anything>"). A player plays when its
// org.mpris.MediaPlayer2.Player PlaybackStatus is "Playing"; its process is the one that owns the
// name, as the bus daemon tells (GetConnectionUnixProcessID).
//
// One question lists the names, then asks every player and the daemon at once, so it takes at most
// two call time-outs however many players there are and however slow one of them is. A player that
// does not answer in time, or vanishes meanwhile, is not playing. Without a session bus nothing is
// playing; that is logged once per run of failures, not once per question.
//
// Used from the thread that made it (the main thread).

#pragma once

#include <QDBusConnection>
#include <chrono>

#include "platform/MediaPlayers.h"

namespace qb {

class MprisPlayers : public MediaPlayers {
public:
  // The longest one round of calls may wait: the name listing, then the players and the daemon.
  static constexpr std::chrono::milliseconds kCallTimeout{250};

  explicit MprisPlayers(QDBusConnection bus = QDBusConnection::sessionBus());

  std::vector<pid_t> playingProcesses() const override;

private:
  void reportFailure(const QString& what, const QString& message) const;

  QDBusConnection bus_;
  mutable bool failureLogged_ = false;  // reset by the next question the bus answers
};

}  // namespace qb
