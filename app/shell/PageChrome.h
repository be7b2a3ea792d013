// The chrome every page of the main window is built in.
//
// Page: the scrolling column. Sections are stacked from the top, kSectionSpacing apart, in a
// column at most kMaxColumnWidth wide, padded by kPadding, and centred in whatever width the page
// is given: in a page narrower than the column and its padding, the column is the page's width
// less the side padding. A page taller than its window scrolls vertically, with its scroll bar
// shown while there is anything to scroll; it never scrolls sideways.
//
// Lede: an introductory paragraph. Footer: a closing note at the foot of a page, indented a
// little. Notice: a line that tells of a passing state while it lasts (what the user changes is not
// saved for now), in the warning colour, indented as a footer; hidden until a page shows it. All
// three wrap over as many lines as their text needs and are never cut short.
//
// Main thread only.

#pragma once

#include <QLabel>
#include <QMargins>
#include <QScrollArea>

class QVBoxLayout;

namespace qb {

class Page : public QScrollArea {
  Q_OBJECT

public:
  static constexpr int kMaxColumnWidth = 640;
  static constexpr QMargins kPadding{32, 24, 32, 32};
  static constexpr int kSectionSpacing = 24;

  explicit Page(QWidget* parent = nullptr);

  // Appends a section at the foot of the column; the page takes ownership of it.
  void addSection(QWidget* section);

  // The column the sections are laid out in (for tests and for the pages' own measurements).
  QWidget* column() const { return column_; }

private:
  QWidget* column_;
  QVBoxLayout* sections_;
};

// Fills the widget's background with `color`, as the window, its divider and the pages are.
void fillBackground(QWidget& widget, const QColor& color);

class Lede : public QLabel {
  Q_OBJECT

public:
  explicit Lede(const QString& text, QWidget* parent = nullptr);
};

class Footer : public QLabel {
  Q_OBJECT

public:
  static constexpr int kIndent = 4;

  explicit Footer(const QString& text, QWidget* parent = nullptr);
};

class Notice : public QLabel {
  Q_OBJECT

public:
  explicit Notice(const QString& text = {}, QWidget* parent = nullptr);
};

}  // namespace qb
