#include "platform/linux/SingleInstance.h"

#include <QDBusMessage>

#include "base/Log.h"

namespace qb {
namespace {

const QString kObjectPath = QStringLiteral("/");
const QString kInterface = QStringLiteral("quillbrook.Instance");

}  // namespace

SingleInstance::SingleInstance(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

SingleInstance::~SingleInstance() {
  if (!owner_) return;
  bus_.unregisterService(QString::fromLatin1(kBusName));
  bus_.unregisterObject(kObjectPath);
}

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
  if (bus_.registerService(name)) {
    owner_ = true;
    return Claim::first;
  }
  bus_.unregisterObject(kObjectPath);
  const QDBusMessage reply = bus_.call(
      QDBusMessage::createMethodCall(name, kObjectPath, kInterface, QStringLiteral("Reopen")),
      QDBus::Block, kReopenTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage) {
    log::error("The running copy did not answer: " + reply.errorMessage().toStdString());
  }
  return Claim::running;
}

void SingleInstance::Reopen() { emit reopenRequested(); }

}  // namespace qb
