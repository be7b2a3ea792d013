// AccessibilityBusStatus: whether the desktop's accessibility bus is enabled (org.a11y.Bus,
// /org/a11y/bus, org.a11y.Status.IsEnabled on the session bus), and the switch that enables it.
//
// Most toolkits publish their trees only while it is on, so it stands for the program's
// permission to read other programs. The value is read once and then kept current from the bus
// launcher's PropertiesChanged signals; after the launcher changes hands, or after a read failed,
// it is read again when asked, at most once per kRereadInterval, so that a caller may ask on every
// read of a window. A session bus that cannot be reached reads as not enabled, logged once.
//
// Lives on the thread whose event loop delivers its signals (the main thread).

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <chrono>
#include <optional>

namespace qb {

class AccessibilityBusStatus : public QObject {
  Q_OBJECT

public:
  // How long a failed read stands before the next question reads again.
  static constexpr std::chrono::milliseconds kRereadInterval{1000};
  // The longest one call to the bus launcher may take; the first one may start the launcher.
  static constexpr std::chrono::milliseconds kCallTimeout{1000};

  explicit AccessibilityBusStatus(QDBusConnection bus, QObject* parent = nullptr);

  bool isEnabled();
  // Asks the launcher to enable the bus; answers isEnabled() afterwards.
  bool enable();

private slots:
  void propertiesChanged(const QString& interface, const QVariantMap& changed,
                         const QStringList& invalidated);
  void launcherChanged();

private:
  void read();
  void reportFailure(const QString& what, const QString& message);

  QDBusConnection bus_;
  std::optional<bool> enabled_;  // unknown until read, and again after the launcher changed
  bool lastReadFailed_ = false;
  std::chrono::steady_clock::time_point lastRead_;
  bool failureLogged_ = false;  // one log line per run of failures, not one per question
};

}  // namespace qb
