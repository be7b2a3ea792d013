#include "platform/linux/MprisPlayers.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <string>

#include "base/Log.h"

namespace qb {

namespace {

const QString kPlayerPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kPlayerPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kPlaying = QStringLiteral("Playing");
const QString kDaemon = QStringLiteral("org.freedesktop.DBus");
const QString kDaemonPath = QStringLiteral("/org/freedesktop/DBus");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

int timeoutMs() { return static_cast<int>(MprisPlayers::kCallTimeout.count()); }

QDBusMessage daemonCall(const QString& method) {
  return QDBusMessage::createMethodCall(kDaemon, kDaemonPath, kDaemon, method);
}

struct PendingPlayer {
  QString name;
  QDBusPendingCall status;
  QDBusPendingCall owner;
};

}  // namespace

MprisPlayers::MprisPlayers(QDBusConnection bus) : bus_(std::move(bus)) {}

std::vector<pid_t> MprisPlayers::playingProcesses() const {
  if (!bus_.isConnected()) {
    reportFailure(QStringLiteral("reach the session bus"), bus_.lastError().message());
    return {};
  }
  QDBusMessage listed =
      bus_.call(daemonCall(QStringLiteral("ListNames")), QDBus::Block, timeoutMs());
  if (listed.type() != QDBusMessage::ReplyMessage || listed.arguments().size() != 1) {
    reportFailure(QStringLiteral("list the players"), listed.errorMessage());
    return {};
  }
  failureLogged_ = false;

  // Every call goes out before any answer is awaited, so that the waits overlap.
  std::vector<PendingPlayer> players;
  for (const QString& name : listed.arguments().front().toStringList()) {
    if (!name.startsWith(kPlayerPrefix)) continue;
    QDBusMessage status =
        QDBusMessage::createMethodCall(name, kPlayerPath, kProperties, QStringLiteral("Get"));
    status << kPlayerInterface << QStringLiteral("PlaybackStatus");
    QDBusMessage owner = daemonCall(QStringLiteral("GetConnectionUnixProcessID"));
    owner << name;
    players.push_back(
        {name, bus_.asyncCall(status, timeoutMs()), bus_.asyncCall(owner, timeoutMs())});
  }

  std::vector<pid_t> playing;
  for (PendingPlayer& player : players) {
    QDBusPendingReply<QDBusVariant> status = player.status;
    QDBusPendingReply<quint32> owner = player.owner;
    status.waitForFinished();
    owner.waitForFinished();
    // A player that quit between the listing and the question, or that hangs, is common and
    // harmless: it is not playing.
    if (status.isError() || owner.isError()) {
      QDBusError error = status.isError() ? status.error() : owner.error();
      log::write(log::Level::debug, "Media player " + player.name.toStdString() +
                                        " did not answer: " + error.message().toStdString());
      continue;
    }
    QVariant value = status.value().variant();
    if (value.typeId() != QMetaType::QString || value.toString() != kPlaying || owner.value() == 0)
      continue;
    playing.push_back(static_cast<pid_t>(owner.value()));
  }
  return playing;
}

void MprisPlayers::reportFailure(const QString& what, const QString& message) const {
  if (failureLogged_) return;
  failureLogged_ = true;
  log::error("Media players: could not " + what.toStdString() + ": " +
             (message.isEmpty() ? std::string("no answer") : message.toStdString()) +
             "; nothing counts as playing");
}

}  // namespace qb
