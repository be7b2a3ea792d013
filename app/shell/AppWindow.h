// AppWindow: the controller of the main window, the program's one ordinary window.
//
// The window is made the first time a page is asked for and kept for the controller's life:
// closing it only hides it, and show() brings the same window back, with the size and place it
// had and the page asked for. Its size and place are kept in the settings as it hides and as the
// program ends, and the next launch opens it there; a place that lies off every screen now (a
// screen unplugged) is given up for the middle of the main screen, keeping the size as far as it
// fits. The page the user last chose is kept while the window is closed,
// because the controller, not the window, holds the Navigation.
//
// Opening and closing the window change nothing else: the program keeps running in the tray with
// no window open and ends only when the user quits. Where no tray holds the program's icon, the
// window is its one way in: closing it then minimises it, so that it stays in the desktop's window
// list while the program keeps watching.
//
// Main thread only. The model must outlive the controller.

#pragma once

#include <QObject>
#include <QSize>
#include <functional>
#include <memory>

#include "shell/AppPage.h"
#include "shell/Navigation.h"

namespace qb {

class AppModel;
class WindowContent;

class AppWindow : public QObject {
  Q_OBJECT

public:
  static constexpr QSize kSize{860, 600};
  static constexpr QSize kMinimumSize{720, 440};

  // No window yet, and the home page selected.
  AppWindow(AppModel& model, QObject* parent = nullptr);
  ~AppWindow() override;

  // Selects the page, making the window the first time, and brings the window to the front on
  // the current desktop, restored if it was minimised and active. Selecting the page already
  // shown redraws nothing.
  void show(AppPage page);

  // Asked each time the window is closed: whether the tray holds the program's icon now. Unset,
  // the tray is taken to hold it.
  void setTrayHoldsIcon(std::function<bool()> holds) { trayHoldsIcon_ = std::move(holds); }

  Navigation& navigation() { return navigation_; }
  // Null until the first show().
  WindowContent* window() const { return window_.get(); }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  std::unique_ptr<WindowContent> makeWindow();
  void saveFrame();

  AppModel& model_;
  std::function<bool()> trayHoldsIcon_;
  Navigation navigation_;
  // Declared after the navigation, so that it goes first: its views follow the navigation.
  std::unique_ptr<WindowContent> window_;
};

}  // namespace qb
