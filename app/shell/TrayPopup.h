// TrayPopup: what a click on the tray icon opens. A tray host draws the icon's menu itself and can
// show only text rows in it, so the card and the daily question live in this window of ours: the
// card on top, the question under it when one is due, then the same commands as the menu, drawn
// as menu rows.
//
// The popup is a Qt::Popup: a click outside it or Escape closes it, and choosing a command closes
// it before the command runs. It is made afresh for each opening and deletes itself on closing;
// `closed` is heard first. TrayEntry is the one description of a command that both the popup and
// the tray's QMenu are built from, so the two always offer the same commands in the same order.
// Main thread only.

#pragma once

#include <QAbstractButton>
#include <QKeySequence>
#include <QMargins>
#include <QMenu>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace qb {

class StatusCard;
class QuestionView;

// One row of the tray's commands: a command, a submenu of commands, or a separator (no title).
struct TrayEntry {
  QString title;
  QKeySequence key;
  std::function<void()> perform;  // none for a submenu or a separator
  std::vector<TrayEntry> submenu;

  static TrayEntry separator() { return {}; }
  bool isSeparator() const { return title.isEmpty(); }
  bool isSubmenu() const { return !submenu.empty(); }
};

// Adds the entries to `menu` as actions, submenus (children of `menu`) and separators.
void addEntries(QMenu& menu, const std::vector<TrayEntry>& entries);

// One command drawn as a menu row: its title, its shortcut or a chevron for a submenu at the right,
// and a highlight under the pointer.
class TrayRow : public QAbstractButton {
  Q_OBJECT

public:
  static constexpr int kHeight = 26;
  static constexpr int kTextInset = 10;  // the title's and the shortcut's distance from the ends
  static constexpr qreal kHighlightRadius = 5;
  static constexpr int kChevronSide = 10;
  static constexpr qreal kChevronLine = 1.5;

  TrayRow(const TrayEntry& entry, QWidget* parent = nullptr);

  const QKeySequence& key() const { return key_; }
  bool hasSubmenu() const { return hasSubmenu_; }

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

private:
  QKeySequence key_;
  bool hasSubmenu_;
};

class TrayPopup : public QWidget {
  Q_OBJECT

public:
  // The rows' inset from the popup's edges: with a row's own inset, titles line up with the card's
  // text. A separator between rows has kSeparatorSpace above and below it.
  static constexpr QMargins kRowsPadding{4, 4, 4, 4};
  static constexpr int kSeparatorSpace = 4;
  // The daily question inside the popup's width.
  static constexpr QMargins kQuestionPadding{14, 4, 14, 8};
  // Between the popup and the icon it opened from.
  static constexpr int kAnchorGap = 4;

  // card: shown on top; question: under it, or null when none is due. The popup takes both.
  TrayPopup(StatusCard* card, QuestionView* question, const std::vector<TrayEntry>& entries,
            QWidget* parent = nullptr);

  StatusCard& card() const { return *card_; }
  QuestionView* question() const { return question_; }
  // The rows in order; separators are not rows.
  const std::vector<TrayRow*>& rows() const { return rows_; }
  // The open submenu of a row, if any.
  QMenu* submenu() const { return submenu_; }

  // Where a popup of `size` goes beside `anchor` (the icon, or the pointer as a 1×1 rectangle) on
  // a screen whose usable area is `screen`: below the anchor when it sits in the screen's upper
  // half, above it otherwise, centred on it and kept wholly on the screen.
  static QPoint placement(QSize size, QRect anchor, QRect screen);
  // Opens the popup at `anchor` on the screen under it.
  void popup(QRect anchor);

signals:
  void closed();

protected:
  void paintEvent(QPaintEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void openSubmenu(TrayRow* row, const std::vector<TrayEntry>& entries);

  StatusCard* card_;
  QuestionView* question_;
  std::vector<TrayRow*> rows_;
  QMenu* submenu_ = nullptr;
};

}  // namespace qb
