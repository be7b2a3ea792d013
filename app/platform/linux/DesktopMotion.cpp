#include "platform/linux/DesktopMotion.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QVariant>
#include <string>

#include "base/Log.h"

// GLib names a field `signals`, which Qt's keyword macro would rewrite.
#undef signals
#include <gio/gio.h>
#define signals Q_SIGNALS

namespace qb {

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");

const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kReducedMotion = QStringLiteral("reduced-motion");
constexpr uint kReducedMotionReduce = 1;
const char kGnomeInterface[] = "org.gnome.desktop.interface";
const char kEnableAnimations[] = "enable-animations";
// KDE's kdeglobals group [KDE] as the portal names it.
const QString kKdeGlobals = QStringLiteral("org.kde.kdeglobals.KDE");
const QString kKdeGroup = QStringLiteral("KDE");
const QString kAnimationFactor = QStringLiteral("AnimationDurationFactor");

// Whether a setting asks for less motion; absent when it is not there or not of its type.
using Reading = std::optional<bool>;

Reading reducedMotion(const QVariant& value) {
  bool ok = false;
  const uint level = value.toUInt(&ok);
  if (!ok || value.typeId() == QMetaType::QString) return std::nullopt;
  return level == kReducedMotionReduce;
}

Reading animationsDisabled(const QVariant& value) {
  if (value.typeId() != QMetaType::Bool) return std::nullopt;
  return !value.toBool();
}

// KDE writes the factor as text; 0 makes every animation instant.
Reading instantAnimations(const QVariant& value) {
  bool ok = false;
  const double factor = value.toString().trimmed().toDouble(&ok);
  if (!ok) return std::nullopt;
  return factor == 0;
}

// Folds readings: less motion when any asks for it; absent when none said anything.
void fold(Reading& into, Reading reading) {
  if (reading) into = into.value_or(false) || *reading;
}

Reading fromKdeGlobals(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
  // kdeglobals is an INI file whose values stay text; later lines win, as in KDE's own reader.
  Reading reading;
  bool inGroup = false;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.startsWith('[')) {
      inGroup = line == '[' + kKdeGroup + ']';
      continue;
    }
    const qsizetype equals = line.indexOf('=');
    if (!inGroup || equals < 0 || line.left(equals).trimmed() != kAnimationFactor) continue;
    reading = instantAnimations(line.mid(equals + 1));
  }
  return reading;
}

Reading fromGSettings() {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (!source) return std::nullopt;
  GSettingsSchema* schema = g_settings_schema_source_lookup(source, kGnomeInterface, TRUE);
  if (!schema) return std::nullopt;
  Reading reading;
  if (g_settings_schema_has_key(schema, kEnableAnimations)) {
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    reading = !g_settings_get_boolean(settings, kEnableAnimations);
    g_object_unref(settings);
  }
  g_settings_schema_unref(schema);
  return reading;
}

}  // namespace

DesktopMotion::DesktopMotion(QDBusConnection bus, QString configFolder) : bus_(std::move(bus)) {
  if (configFolder.isEmpty()) {
    configFolder = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configFolder.isEmpty()) configFolder = QDir::homePath() + QStringLiteral("/.config");
  }
  kdeglobals_ = configFolder + QStringLiteral("/kdeglobals");
}

bool DesktopMotion::shouldReduceMotion() const {
  if (const std::optional<bool> portal = fromPortal()) return *portal;
  return fromDesktops();
}

std::optional<bool> DesktopMotion::fromPortal() const {
  if (!bus_.isConnected()) return std::nullopt;
  QDBusMessage owned = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
  owned << kPortal;
  const QDBusMessage hasOwner =
      bus_.call(owned, QDBus::Block, static_cast<int>(kCallTimeout.count()));
  if (hasOwner.type() != QDBusMessage::ReplyMessage || hasOwner.arguments().size() != 1 ||
      !hasOwner.arguments().front().toBool()) {
    return std::nullopt;
  }

  QDBusMessage readAll =
      QDBusMessage::createMethodCall(kPortal, kPortalPath, kSettings, QStringLiteral("ReadAll"));
  readAll << QStringList{kAppearance, QString::fromLatin1(kGnomeInterface), kKdeGlobals};
  const QDBusMessage reply =
      bus_.call(readAll, QDBus::Block, static_cast<int>(kCallTimeout.count()));
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1 ||
      !reply.arguments().front().canConvert<QDBusArgument>()) {
    if (!failureLogged_) {
      failureLogged_ = true;
      log::error("The settings portal did not tell the motion setting: " +
                 (reply.errorMessage().isEmpty() ? std::string("no answer")
                                                 : reply.errorMessage().toStdString()));
    }
    return std::nullopt;
  }
  failureLogged_ = false;

  QMap<QString, QVariantMap> settings;
  reply.arguments().front().value<QDBusArgument>() >> settings;
  Reading reading;
  const auto foldIn = [&](const QString& space, const QString& key,
                          Reading (*read)(const QVariant&)) {
    const QVariantMap values = settings.value(space);
    if (values.contains(key)) fold(reading, read(values.value(key)));
  };
  foldIn(kAppearance, kReducedMotion, reducedMotion);
  foldIn(QString::fromLatin1(kGnomeInterface), QString::fromLatin1(kEnableAnimations),
         animationsDisabled);
  foldIn(kKdeGlobals, kAnimationFactor, instantAnimations);
  return reading;
}

bool DesktopMotion::fromDesktops() const {
  Reading reading;
  fold(reading, fromGSettings());
  fold(reading, fromKdeGlobals(kdeglobals_));
  return reading.value_or(false);
}

}  // namespace qb
