// StatusItem: the program's icon in the desktop's tray and what opens from it.
//
// The icon is the mark, with its dot while the program watches (learning, protecting or away) and
// without it otherwise; it follows the model's status as it changes. The icon's menu (the tray
// host's right click) holds text rows: the state, the daily question when one is due, the commands
// that fit the status, then "Open Quillbrook", "Settings…" and "Quit Quillbrook". A left click
// opens a TrayPopup of ours instead: the status card, the question, and the same commands. Both are
// built afresh each time they open, so they always show the state of that moment; during a break
// the time left counts down every second while either is open (the commands themselves stay as they
// were at opening).
//
// On a desktop with no tray the icon shows nowhere; isInTray() tells, and the application then
// keeps its main window within reach instead.
//
// Created once, when the program has finished launching; lives as long as the process. Main
// thread only; the model must outlive the item.

#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "base/Date.h"
#include "base/WallClock.h"
#include "model/AppModel.h"
#include "shell/AppPage.h"
#include "shell/TrayPopup.h"

namespace qb {

class StatusItem : public QObject {
  Q_OBJECT

public:
  // The lengths a break can be taken for from the tray, in minutes.
  static constexpr std::array<int, 4> kBreakMinutes = {5, 15, 30, 60};
  // How often the time left of a break is redrawn while the menu or the popup is open.
  static constexpr int kCountdownMilliseconds = 1000;

  // open: shows the main window on a page.
  StatusItem(AppModel& model, std::function<void(AppPage)> open, QObject* parent = nullptr);
  ~StatusItem() override;

  // Minutes and seconds of a countdown: the seconds rounded up, never below zero, minutes never
  // folded into hours ("1:31" for 90.2 seconds, "0:00" for -5, "60:00" for an hour).
  static QString clock(Duration seconds);
  // "1 Hour" for 60, else the number and " Minutes".
  static QString breakTitle(int minutes);
  // Whether the status is one the icon shows as active.
  static bool isActive(const AppModel::Status& status);

  // The commands for the status now, in the order the menu and the popup show them.
  std::vector<TrayEntry> commands();

  // The time the card and the state row describe; the system's unless a test sets another.
  void setClock(const WallClock& clock) { clock_ = &clock; }

  // Whether a tray on the desktop holds the icon now. Asked afresh each time: a tray that starts
  // after the program (an XEmbed tray, or a panel restarted) takes the icon once it is there.
  // Qt settles once per process whether to go through a StatusNotifierItem host, so a host that
  // appears later does not count: the icon could not reach it.
  bool isInTray() const;

  // What the desktop shows and what opens from it.
  const QSystemTrayIcon& trayIcon() const { return tray_; }
  QMenu& menu() const { return *menu_; }
  // The popup while it is open, else null.
  TrayPopup* popup() const { return popup_; }
  // Opens the popup at the icon, or at the pointer when the tray does not say where the icon is.
  void openPopup();
  bool isCountingDown() const { return countdown_.isActive(); }

private:
  void updateIcon();
  void rebuildMenu();
  void menuClosed();
  void startCountdown();
  void tick();
  // One command: the action runs only while this item exists.
  TrayEntry command(const QString& title, const QKeySequence& key,
                    std::function<void(StatusItem&)> action);
  void answer(bool work);
  // The menu's state row: the program's name and the state's word at `now`.
  QString stateText(Date now) const;

  AppModel& model_;
  std::function<void(AppPage)> open_;
  const WallClock* clock_ = &WallClock::system();
  std::unique_ptr<QMenu> menu_;  // before the icon, which refers to it until it is gone
  QSystemTrayIcon tray_;
  std::optional<bool> shownActive_;  // what the icon shows: active or not
  QAction* stateRow_ = nullptr;      // the menu's state row while the menu is open
  bool menuOpen_ = false;
  QPointer<TrayPopup> popup_;
  QTimer countdown_;
};

}  // namespace qb
