// Session events against fake services: a logind that owns org.freedesktop.login1 on the session's
// stand-in system bus, screen savers that own their names on the session bus, and impostors that
// send the same signals without owning the names.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QSignalSpy>
#include <QTest>
#include <functional>

#include "desktop/DesktopLimits.h"
#include "platform/linux/SessionEvents.h"

namespace qb {
namespace {

// How long a signal may take to arrive; and how long to wait for one that must not.
constexpr int kSilenceMs = 200;

const QString kSessionPath = QStringLiteral("/org/freedesktop/login1/session/_32");

// The part of logind the program asks: which session a process belongs to.
class FakeLogind : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
  quint32 askedPid = 0;

public slots:
  QDBusObjectPath GetSessionByPID(quint32 pid) {
    askedPid = pid;
    return QDBusObjectPath(kSessionPath);
  }
};

// Hears the same signals on the same connections as the program under test. Signals from
// different senders, and from two buses, may arrive in any order, so a test that means an order
// waits for each one to be heard before sending the next.
class Witness : public QObject {
  Q_OBJECT

public:
  int heard = 0;

public slots:
  void hear() { ++heard; }
};

// A connection of the test's own, named so that several coexist in one process.
QDBusConnection connection(QDBusConnection::BusType bus, const QString& name) {
  return QDBusConnection::connectToBus(bus, name);
}

void sendSignal(QDBusConnection& from, const QString& path, const QString& interface,
                const QString& name, const QVariantList& arguments = {}) {
  QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
  signal.setArguments(arguments);
  ASSERT_TRUE(from.send(signal)) << from.lastError().message().toStdString();
}

class SessionEventsTest : public testing::Test {
protected:
  void SetUp() override {
    qunsetenv("XDG_SESSION_ID");
    ASSERT_TRUE(logind_.isConnected()) << "no stand-in system bus";
    ASSERT_TRUE(logind_.registerObject(QStringLiteral("/org/freedesktop/login1"), &fakeLogind_,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(logind_.registerService(QStringLiteral("org.freedesktop.login1")));
    ASSERT_TRUE(screenSaver_.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
    ASSERT_TRUE(gnomeScreenSaver_.registerService(QStringLiteral("org.gnome.ScreenSaver")));

    events_ = std::make_unique<SessionEvents>();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return events_->watchesSessionLock(); }, test::kDesktopLimitMs))
        << "the session's Lock and Unlock are not watched; the stand-in logind was asked about pid "
        << fakeLogind_.askedPid;
    EXPECT_EQ(fakeLogind_.askedPid, static_cast<quint32>(getpid()));
    willSleep_ = std::make_unique<QSignalSpy>(events_.get(), &SessionEvents::willSleep);
    didWake_ = std::make_unique<QSignalSpy>(events_.get(), &SessionEvents::didWake);
    locked_ = std::make_unique<QSignalSpy>(events_.get(), &SessionEvents::screenLocked);
    unlocked_ = std::make_unique<QSignalSpy>(events_.get(), &SessionEvents::screenUnlocked);

    const QString logindName = QStringLiteral("org.freedesktop.login1");
    for (const QString& name : {QStringLiteral("Lock"), QStringLiteral("Unlock")})
      ASSERT_TRUE(QDBusConnection::systemBus().connect(
          logindName, kSessionPath, QStringLiteral("org.freedesktop.login1.Session"), name,
          &witness_, SLOT(hear())));
    for (const QString& service :
         {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("org.gnome.ScreenSaver")})
      ASSERT_TRUE(QDBusConnection::sessionBus().connect(
          service, QString(), service, QStringLiteral("ActiveChanged"), &witness_, SLOT(hear())));
  }

  void TearDown() override {
    events_.reset();
    for (const QString& name : {QStringLiteral("fake-logind"), QStringLiteral("fake-saver"),
                                QStringLiteral("fake-gnome-saver"), QStringLiteral("impostor"),
                                QStringLiteral("session-impostor")})
      QDBusConnection::disconnectFromBus(name);
  }

  void sleepSignal(QDBusConnection& from, bool sleeping) {
    sendSignal(from, QStringLiteral("/org/freedesktop/login1"),
               QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
               {sleeping});
  }
  void sessionSignal(QDBusConnection& from, const QString& name,
                     const QString& path = kSessionPath) {
    sendSignal(from, path, QStringLiteral("org.freedesktop.login1.Session"), name);
  }
  void screenSaverSignal(QDBusConnection& from, const QString& service, bool active) {
    QString path = '/' + QString(service).replace('.', '/');
    sendSignal(from, path, service, QStringLiteral("ActiveChanged"), {active});
  }

  // Sends through `send` and returns once the program has had the signal; its own effects are
  // dispatched in the same turn of the event loop as the witness's, and flushed here.
  void deliver(const std::function<void()>& send) {
    int before = witness_.heard;
    send();
    ASSERT_TRUE(QTest::qWaitFor([&] { return witness_.heard > before; }, test::kDesktopLimitMs))
        << "the witness never heard the signal sent";
    QCoreApplication::processEvents();
  }

  static testing::AssertionResult waitFor(QSignalSpy& spy, int count) {
    if (QTest::qWaitFor([&] { return spy.count() >= count; }, test::kDesktopLimitMs)) {
      return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "waited for " << count << " of "
                                       << spy.signal().constData() << ", and saw " << spy.count();
  }

  FakeLogind fakeLogind_;
  QDBusConnection logind_ = connection(QDBusConnection::SystemBus, QStringLiteral("fake-logind"));
  QDBusConnection screenSaver_ =
      connection(QDBusConnection::SessionBus, QStringLiteral("fake-saver"));
  QDBusConnection gnomeScreenSaver_ =
      connection(QDBusConnection::SessionBus, QStringLiteral("fake-gnome-saver"));
  std::unique_ptr<SessionEvents> events_;
  std::unique_ptr<QSignalSpy> willSleep_, didWake_, locked_, unlocked_;
  Witness witness_;
};

TEST_F(SessionEventsTest, LockAndUnlockOfThisSessionOnly) {
  sessionSignal(logind_, QStringLiteral("Lock"),
                QStringLiteral("/org/freedesktop/login1/session/c7"));
  sessionSignal(logind_, QStringLiteral("Lock"));
  ASSERT_TRUE(waitFor(*locked_, 1));
  sessionSignal(logind_, QStringLiteral("Unlock"));
  ASSERT_TRUE(waitFor(*unlocked_, 1));
  sessionSignal(logind_, QStringLiteral("Lock"),
                QStringLiteral("/org/freedesktop/login1/session/c7"));
  QTest::qWait(kSilenceMs);
  EXPECT_EQ(locked_->count(), 1);
  EXPECT_EQ(unlocked_->count(), 1);
}

TEST_F(SessionEventsTest, OneLockToldByEverySourceIsReportedOnce) {
  const QString freedesktop = QStringLiteral("org.freedesktop.ScreenSaver");
  const QString gnome = QStringLiteral("org.gnome.ScreenSaver");
  deliver([&] { sessionSignal(logind_, QStringLiteral("Lock")); });
  deliver([&] { screenSaverSignal(screenSaver_, freedesktop, true); });
  deliver([&] { screenSaverSignal(gnomeScreenSaver_, gnome, true); });
  EXPECT_EQ(locked_->count(), 1);
  deliver([&] { screenSaverSignal(gnomeScreenSaver_, gnome, false); });
  deliver([&] { sessionSignal(logind_, QStringLiteral("Unlock")); });
  deliver([&] { screenSaverSignal(screenSaver_, freedesktop, false); });
  EXPECT_EQ(locked_->count(), 1);
  EXPECT_EQ(unlocked_->count(), 1);

  deliver([&] { screenSaverSignal(screenSaver_, freedesktop, true); });
  EXPECT_EQ(locked_->count(), 2) << "a new lock after the unlock is reported";
}

TEST_F(SessionEventsTest, SignalsFromProcessesThatDoNotOwnTheNamesAreIgnored) {
  QDBusConnection impostor = connection(QDBusConnection::SystemBus, QStringLiteral("impostor"));
  QDBusConnection sessionImpostor =
      connection(QDBusConnection::SessionBus, QStringLiteral("session-impostor"));
  sleepSignal(impostor, true);
  sessionSignal(impostor, QStringLiteral("Lock"));
  screenSaverSignal(sessionImpostor, QStringLiteral("org.freedesktop.ScreenSaver"), true);
  screenSaverSignal(sessionImpostor, QStringLiteral("org.gnome.ScreenSaver"), true);
  // Signals of the real owners after them, so that the impostors' had their chance to arrive.
  sleepSignal(logind_, false);
  ASSERT_TRUE(waitFor(*didWake_, 1));
  QTest::qWait(kSilenceMs);
  EXPECT_EQ(willSleep_->count(), 0);
  EXPECT_EQ(locked_->count(), 0);
}

}  // namespace
}  // namespace qb

#include "SessionEventsTest.moc"
