// SessionEvents: the machine going to sleep and waking, and the screen locking and unlocking, as
// the session's D-Bus services announce them.
//
// Sleep and wake come from logind on the system bus (Manager.PrepareForSleep: true before sleep,
// false after wake). Lock and unlock come from logind's Lock and Unlock signals for this session
// (the session named by XDG_SESSION_ID, else the one logind gives for this process), and from the
// screen savers on the session bus (org.freedesktop.ScreenSaver and org.gnome.ScreenSaver
// ActiveChanged). Several of them may tell of the same lock, so screenLocked() and
// screenUnlocked() are emitted only when the locked state changes.
//
// Every subscription names its service, so a signal sent by a process that does not own that name
// is ignored. A bus that cannot be reached is logged and gives no signals. The session's own path
// is asked for without blocking: lock signals from logind count once watchesSessionLock() is true.
// Lives on the main thread; its signals are delivered there.

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

namespace qb {

class SessionEvents : public QObject {
  Q_OBJECT

public:
  // How long logind may take to name this session before the lock signals go unwatched.
  static constexpr int kSessionLookupTimeoutMs = 2000;

  // Watches the buses the process was started with.
  explicit SessionEvents(QObject* parent = nullptr);
  // Watches the given buses (tests hand in connections of their own).
  SessionEvents(QDBusConnection systemBus, QDBusConnection sessionBus, QObject* parent = nullptr);

  // Whether logind's Lock and Unlock of this session are watched yet.
  bool watchesSessionLock() const { return watchesSessionLock_; }

signals:
  void willSleep();
  void didWake();
  void screenLocked();
  void screenUnlocked();

private slots:
  void prepareForSleep(bool sleeping);
  void sessionFound(QDBusPendingCallWatcher* call);
  void sessionLocked();
  void sessionUnlocked();
  void screenSaverActiveChanged(bool active);

private:
  void watchLogind();
  void watchScreenSavers();
  void setLocked(bool locked);

  QDBusConnection systemBus_;
  QDBusConnection sessionBus_;
  bool locked_ = false;
  bool watchesSessionLock_ = false;
};

}  // namespace qb
