#include "platform/linux/SessionEvents.h"

#include <unistd.h>

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <string>

#include "base/Log.h"

namespace qb {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kLogindSession = QStringLiteral("org.freedesktop.login1.Session");

// Screen savers that announce ActiveChanged(b) on the session bus, each under its own name. They
// differ in the object path they send from, so any path of the owner counts.
const QString kScreenSavers[] = {QStringLiteral("org.freedesktop.ScreenSaver"),
                                 QStringLiteral("org.gnome.ScreenSaver")};

void logFailure(const std::string& what, const QDBusConnection& bus) {
  log::error("Session events: " + what + ": " + bus.lastError().message().toStdString());
}

}  // namespace

SessionEvents::SessionEvents(QObject* parent)
    : SessionEvents(QDBusConnection::systemBus(), QDBusConnection::sessionBus(), parent) {}

SessionEvents::SessionEvents(QDBusConnection systemBus, QDBusConnection sessionBus, QObject* parent)
    : QObject(parent), systemBus_(std::move(systemBus)), sessionBus_(std::move(sessionBus)) {
  watchLogind();
  watchScreenSavers();
}

void SessionEvents::watchLogind() {
  if (!systemBus_.isConnected()) {
    logFailure("no system bus, so sleep, wake and the session's lock go unseen", systemBus_);
    return;
  }
  if (!systemBus_.connect(kLogind, kLogindPath, kLogindManager, QStringLiteral("PrepareForSleep"),
                          this, SLOT(prepareForSleep(bool))))
    logFailure("cannot watch PrepareForSleep", systemBus_);

  QDBusMessage lookup;
  QByteArray sessionId = qgetenv("XDG_SESSION_ID");
  if (!sessionId.isEmpty()) {
    lookup = QDBusMessage::createMethodCall(kLogind, kLogindPath, kLogindManager,
                                            QStringLiteral("GetSession"));
    lookup << QString::fromLocal8Bit(sessionId);
  } else {
    lookup = QDBusMessage::createMethodCall(kLogind, kLogindPath, kLogindManager,
                                            QStringLiteral("GetSessionByPID"));
    lookup << static_cast<quint32>(getpid());
  }
  auto* watcher =
      new QDBusPendingCallWatcher(systemBus_.asyncCall(lookup, kSessionLookupTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, &SessionEvents::sessionFound);
}

void SessionEvents::sessionFound(QDBusPendingCallWatcher* call) {
  call->deleteLater();
  QDBusPendingReply<QDBusObjectPath> reply = *call;
  if (reply.isError()) {
    // Normal outside a logind session (a program started from a remote shell): the screen
    // savers still tell of locks.
    log::info("Session events: logind names no session for this process (" +
              reply.error().message().toStdString() + "); its Lock and Unlock go unseen");
    return;
  }
  QString path = reply.value().path();
  bool locks = systemBus_.connect(kLogind, path, kLogindSession, QStringLiteral("Lock"), this,
                                  SLOT(sessionLocked()));
  bool unlocks = systemBus_.connect(kLogind, path, kLogindSession, QStringLiteral("Unlock"), this,
                                    SLOT(sessionUnlocked()));
  if (!locks || !unlocks) {
    logFailure("cannot watch the session's Lock and Unlock", systemBus_);
    return;
  }
  watchesSessionLock_ = true;
}

void SessionEvents::watchScreenSavers() {
  if (!sessionBus_.isConnected()) {
    logFailure("no session bus, so screen savers' locks go unseen", sessionBus_);
    return;
  }
  for (const QString& service : kScreenSavers) {
    if (!sessionBus_.connect(service, QString(), service, QStringLiteral("ActiveChanged"), this,
                             SLOT(screenSaverActiveChanged(bool))))
      logFailure("cannot watch " + service.toStdString(), sessionBus_);
  }
}

void SessionEvents::prepareForSleep(bool sleeping) {
  if (sleeping)
    emit willSleep();
  else
    emit didWake();
}

void SessionEvents::sessionLocked() { setLocked(true); }

void SessionEvents::sessionUnlocked() { setLocked(false); }

void SessionEvents::screenSaverActiveChanged(bool active) { setLocked(active); }

void SessionEvents::setLocked(bool locked) {
  if (locked == locked_) return;
  locked_ = locked;
  if (locked)
    emit screenLocked();
  else
    emit screenUnlocked();
}

}  // namespace qb
