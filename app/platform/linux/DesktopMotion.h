// DesktopMotion: whether the user asked the desktop for less motion, read where each desktop keeps
// it. The settings portal answers first, when a process owns it on the session bus (it is not
// started for this question, so a desktop without one never waits for an activation):
// org.freedesktop.portal.Settings ReadAll of
//   org.freedesktop.appearance reduced-motion   1 asks for less motion (newer portals);
//   org.gnome.desktop.interface enable-animations   false asks for less motion (GNOME's backend);
//   org.kde.kdeglobals.KDE AnimationDurationFactor   0 asks for less motion (KDE's backend).
// When the portal is missing, fails or names none of them, the desktops' own stores answer:
// GNOME's enable-animations through GSettings (when its schema is installed), and KDE's
// AnimationDurationFactor in the [KDE] group of kdeglobals in the configuration folder. Whichever
// source answers, motion is reduced when any of its settings asks for it; a value of the wrong
// type counts as not said.
//
// Read afresh at each question, so that a change counts at once. A portal that does not answer
// within kCallTimeout is passed over; its failure is logged once per run of failures. Main
// thread only.

#pragma once

#include <QDBusConnection>
#include <QString>
#include <chrono>
#include <optional>

#include "platform/MotionSetting.h"

namespace qb {

class DesktopMotion final : public MotionSetting {
public:
  // The longest the portal may take to answer one question.
  static constexpr std::chrono::milliseconds kCallTimeout{250};

  // Reads the portal on the given bus, and kdeglobals in `configFolder` (the user's configuration
  // folder, $XDG_CONFIG_HOME or ~/.config, when empty).
  explicit DesktopMotion(QDBusConnection bus = QDBusConnection::sessionBus(),
                         QString configFolder = {});

  bool shouldReduceMotion() const override;

private:
  // Absent when the portal is not there, fails, or names none of the settings.
  std::optional<bool> fromPortal() const;
  bool fromDesktops() const;

  QDBusConnection bus_;
  QString kdeglobals_;
  mutable bool failureLogged_ = false;  // reset by the next answer of the portal
};

}  // namespace qb
