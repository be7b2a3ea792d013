// The main window's sidebar: one row per page, in AppPage order, the selected page's row filled.
//
// SidebarRow is one page's entry: its symbol (the filled drawing while selected) and its title, on
// a rounded background that is filled while the row is selected and lit while the pointer is over
// it. A click anywhere on the row, or Ctrl with the page's digit while the row's window is the
// active one, calls the row's select action. The row is checkable so that assistive technologies
// hear which page is selected; a click never unchecks it: only setSelected() changes that.
//
// Sidebar builds the rows for a Navigation: each row's action selects its page, and the rows
// follow the navigation's page, whoever changed it. The navigation must outlive the sidebar.
//
// Main thread only.

#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QWidget>
#include <chrono>
#include <functional>
#include <vector>

#include "shell/AppPage.h"

class QVariantAnimation;

namespace qb {

class Navigation;

class SidebarRow : public QAbstractButton {
  Q_OBJECT

public:
  static constexpr int kHeight = 32;
  static constexpr int kPadding = 8;   // left and right, inside the background
  static constexpr int kSpacing = 10;  // between the symbol's frame and the title
  static constexpr int kSymbolFrame = 18;
  // Each drawing leaves a unit of margin in its 16-unit square, so a symbol drawn this large
  // stands as tall as the title's 14-pixel type.
  static constexpr int kSymbolSize = 16;
  static constexpr qreal kCornerRadius = 8;
  // The hover light comes and goes this fast, easing out.
  static constexpr std::chrono::milliseconds kHoverFade{80};

  SidebarRow(AppPage page, bool selected, std::function<void()> select, QWidget* parent = nullptr);

  AppPage page() const { return page_; }
  bool isSelected() const { return isChecked(); }
  void setSelected(bool selected) { setChecked(selected); }
  bool isHovering() const { return hovering_; }

  // The colour of the symbol and the title, which follows the selection.
  QColor foreground() const;
  // The name of the symbol drawn: the filled drawing while selected, where there is one.
  QString symbolName() const;

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void nextCheckState() override {}

private:
  void setHovering(bool hovering);

  AppPage page_;
  std::function<void()> select_;
  bool hovering_ = false;
  qreal hoverLight_ = 0;  // 0 dark to 1 fully lit, animated after hovering_
  QVariantAnimation* hoverFade_;
};

class Sidebar : public QWidget {
  Q_OBJECT

public:
  static constexpr int kWidth = 180;
  static constexpr int kPadding = 8;  // left and right
  // The rows start this far below the window's top edge.
  static constexpr int kTopPadding = 20;
  static constexpr int kRowSpacing = 2;

  explicit Sidebar(Navigation& navigation, QWidget* parent = nullptr);

  // The rows, top to bottom.
  const std::vector<SidebarRow*>& rows() const { return rows_; }

private:
  std::vector<SidebarRow*> rows_;
};

}  // namespace qb
