#include "platform/linux/SingleInstance.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include "base/Log.h"

namespace qb {
namespace {

const QString kObjectPath = QStringLiteral("/");
const QString kInterface = QStringLiteral("quillbrook.Instance");

}  // namespace

SingleInstance::SingleInstance(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

SingleInstance::~SingleInstance() { release(); }

SingleInstance::Claim SingleInstance::claim() {
  if (!bus_.isConnected()) {
    log::error("No session bus: a second copy of the program could run beside this one");
    return Claim::alone;
  }
  const QString name = QString::fromLatin1(kBusName);
  if (!bus_.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots)) {
    log::error("Cannot offer the running copy's object on the session bus: " +
               bus_.lastError().message().toStdString());
    return Claim::alone;
  }
  // Watched before the first try at the name, so that no release after it goes unseen.
  QDBusServiceWatcher released(name, bus_, QDBusServiceWatcher::WatchForUnregistration);
  QEventLoop loop;  // made before the timer: it gives this thread the events a timer needs
  QTimer waited;
  waited.setSingleShot(true);
  waited.setTimerType(Qt::PreciseTimer);
  QObject::connect(&released, &QDBusServiceWatcher::serviceUnregistered, &loop, &QEventLoop::quit);
  QObject::connect(&waited, &QTimer::timeout, &loop, &QEventLoop::quit);
  const QDeadlineTimer deadline(kReleaseWaitMs);
  for (;;) {
    if (bus_.registerService(name)) {
      owner_ = true;
      return Claim::first;
    }
    const QDBusMessage reply = bus_.call(
        QDBusMessage::createMethodCall(name, kObjectPath, kInterface, QStringLiteral("Reopen")),
        QDBus::Block, kReopenTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) break;
    log::error("The running copy did not answer: " + reply.errorMessage().toStdString());
    if (deadline.hasExpired()) break;
    // It may be quitting: the name is tried again once it is given up, or once the wait is over.
    waited.start(static_cast<int>(deadline.remainingTime()));
    loop.exec();
  }
  bus_.unregisterObject(kObjectPath);
  return Claim::running;
}

void SingleInstance::release() {
  if (!owner_) return;
  owner_ = false;
  if (!bus_.unregisterService(QString::fromLatin1(kBusName))) {
    log::error("Cannot give up the running copy's name on the session bus: " +
               bus_.lastError().message().toStdString());
  }
  bus_.unregisterObject(kObjectPath);
}

void SingleInstance::Reopen() { emit reopenRequested(); }

}  // namespace qb
