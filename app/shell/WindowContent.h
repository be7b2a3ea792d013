// WindowContent: the main window itself, a top-level widget: the sidebar, a hairline divider and
// the selected page, side by side and as tall as the window, on the window's dark background.
//
// The window manager draws the title bar, with the window's title, above the content; the content
// draws no title band of its own, which would only repeat the title under the real one.
//
// The model and the navigation must outlive the window.

#pragma once

#include <QWidget>

namespace qb {

class AppModel;
class Navigation;
class SelectedPage;
class Sidebar;

class WindowContent : public QWidget {
  Q_OBJECT

public:
  // One device pixel at scale 1: the thinnest line a screen draws.
  static constexpr int kDividerWidth = 1;

  WindowContent(AppModel& model, Navigation& navigation, QWidget* parent = nullptr);

  Sidebar& sidebar() const { return *sidebar_; }
  SelectedPage& selectedPage() const { return *selectedPage_; }

private:
  Sidebar* sidebar_;
  SelectedPage* selectedPage_;
};

}  // namespace qb
