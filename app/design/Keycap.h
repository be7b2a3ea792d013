// Keycap: the glyph of a key ("↩") on a small rounded plate, as a button shows the key that presses
// it. The glyph takes the colour of what surrounds it: a standalone keycap draws in its palette's
// window-text colour, one inside a QBButtonBody in the button's foreground.

#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <QWidget>

class QPainter;
class QRect;

namespace qb {

class Keycap : public QWidget {
  Q_OBJECT

public:
  // The smallest plate; a wider glyph widens it, with no margin around the glyph.
  static constexpr int kMinimumSide = 18;
  static constexpr qreal kCornerRadius = 5;
  // The plate on a primary button: black at 0.18 over the button's fill.
  static constexpr QColor kOnPrimaryFill{0, 0, 0, 46};

  // onPrimary: the keycap sits on a primary button.
  Keycap(QString glyph, bool onPrimary, QWidget* parent = nullptr);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

  // The plate's size for a glyph.
  static QSize plateSize(const QString& glyph);
  // Draws a keycap in `rect` with the glyph in `color`; what the widget and the buttons share.
  static void paint(QPainter& painter, const QRect& rect, const QString& glyph, bool onPrimary,
                    const QColor& color);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QString glyph_;
  bool onPrimary_;
};

}  // namespace qb
