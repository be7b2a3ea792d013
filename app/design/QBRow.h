// QBRow: one line of a QBGroup: an optional coloured dot, a title, and an accessory (a switch, a
// button, a value) at the trailing end. The row's content sits kPadding in from both edges, where
// a QBSeparator starts; the title starts there too, or after the dot.
//
// The row takes all the width it is offered. The title stays on one line: when the accessory
// leaves it too little room it is elided, and it always keeps kSpacing + kMinimumFlexibleSpace +
// kSpacing clear before the accessory (the spacing on both sides of the flexible gap between
// them). The row is at least kMinimumHeight high and grows to a taller accessory.

#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <optional>

namespace qb {

class QBRow : public QWidget {
  Q_OBJECT

public:
  static constexpr int kPadding = 12;  // on both sides
  static constexpr int kSpacing = 8;   // between the dot, the title, the gap and the accessory
  static constexpr int kMinimumFlexibleSpace = 8;
  static constexpr int kDotDiameter = 8;
  static constexpr int kMinimumHeight = 40;

  // dot: the colour of the dot before the title, none for no dot. accessory: shown at the
  // trailing end at its size hint, vertically centred; the row becomes its parent. May be null.
  QBRow(QString title, std::optional<QColor> dot, QWidget* accessory, QWidget* parent = nullptr);

  const QString& title() const { return title_; }
  void setTitle(QString title);
  const std::optional<QColor>& dot() const { return dot_; }
  QWidget* accessory() const { return accessory_; }

  // Where the title starts: kPadding, or after the dot and the spacing that follows it.
  int titleLeft() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  QSize accessorySize() const;
  // The room between the title's start and the clear space before the accessory.
  int trailingRoom() const;
  void placeAccessory();

  QString title_;
  std::optional<QColor> dot_;
  QPointer<QWidget> accessory_;  // a child; null once deleted
};

}  // namespace qb
