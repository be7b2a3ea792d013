#include "platform/linux/AccessibilityBusStatus.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <string>

#include "base/Log.h"

namespace qb {

namespace {

const QString kService = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kStatus = QStringLiteral("org.a11y.Status");
const QString kIsEnabled = QStringLiteral("IsEnabled");

}  // namespace

AccessibilityBusStatus::AccessibilityBusStatus(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
  if (!bus_.isConnected()) {
    reportFailure(QStringLiteral("connect to the session bus"), bus_.lastError().message());
    return;
  }
  // Subscribed by service name, so that only the launcher's own signals count.
  if (!bus_.connect(kService, kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                    SLOT(propertiesChanged(QString, QVariantMap, QStringList))))
    reportFailure(QStringLiteral("watch its status"), bus_.lastError().message());
  auto* watcher =
      new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
          &AccessibilityBusStatus::launcherChanged);
}

bool AccessibilityBusStatus::isEnabled() {
  bool due = !enabled_ ||
             (lastReadFailed_ && std::chrono::steady_clock::now() - lastRead_ >= kRereadInterval);
  if (due) read();
  return enabled_.value_or(false);
}

bool AccessibilityBusStatus::enable() {
  if (!bus_.isConnected()) return false;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Set"));
  call << kStatus << kIsEnabled << QVariant::fromValue(QDBusVariant(true));
  QDBusMessage reply = bus_.call(call, QDBus::Block, static_cast<int>(kCallTimeout.count()));
  if (reply.type() != QDBusMessage::ReplyMessage)
    reportFailure(QStringLiteral("enable it"), reply.errorMessage());
  read();
  return enabled_.value_or(false);
}

void AccessibilityBusStatus::read() {
  lastRead_ = std::chrono::steady_clock::now();
  lastReadFailed_ = true;
  if (!bus_.isConnected()) {
    enabled_ = false;
    return;
  }
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Get"));
  call << kStatus << kIsEnabled;
  QDBusMessage reply = bus_.call(call, QDBus::Block, static_cast<int>(kCallTimeout.count()));
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
    enabled_ = false;
    reportFailure(QStringLiteral("read its status"), reply.errorMessage());
    return;
  }
  QVariant value = reply.arguments().front().value<QDBusVariant>().variant();
  if (value.typeId() != QMetaType::Bool) {
    enabled_ = false;
    reportFailure(QStringLiteral("read its status"),
                  QStringLiteral("IsEnabled is not a boolean but %1").arg(value.typeName()));
    return;
  }
  enabled_ = value.toBool();
  lastReadFailed_ = false;
  failureLogged_ = false;
}

void AccessibilityBusStatus::propertiesChanged(const QString& interface, const QVariantMap& changed,
                                               const QStringList& invalidated) {
  if (interface != kStatus) return;
  auto found = changed.find(kIsEnabled);
  if (found != changed.end() && found->typeId() == QMetaType::Bool) {
    enabled_ = found->toBool();
    lastReadFailed_ = false;
  } else if (found != changed.end() || invalidated.contains(kIsEnabled)) {
    enabled_.reset();
  }
}

void AccessibilityBusStatus::launcherChanged() { enabled_.reset(); }

void AccessibilityBusStatus::reportFailure(const QString& what, const QString& message) {
  if (failureLogged_) return;
  failureLogged_ = true;
  log::error("Accessibility bus: could not " + what.toStdString() + ": " +
             (message.isEmpty() ? std::string("no answer") : message.toStdString()));
}

}  // namespace qb
