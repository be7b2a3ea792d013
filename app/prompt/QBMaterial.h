// QBMaterial: the surface a card stands on: a rounded plate of QB::bgOverlay with a 1-pixel
// border of QB::edge just inside its edge, casting two soft shadows downwards (a wide one and a
// close one), so that it lifts off whatever lies beneath.
//
// A widget cannot paint outside itself, so the material is larger than its plate by kShadowMargin
// on every side; the content sits on the plate and is not clipped to it.

#pragma once

#include <QImage>
#include <QWidget>

namespace qb {

class QBMaterial : public QWidget {
  Q_OBJECT

public:
  struct Shadow {
    QColor color;
    qreal blurRadius;
    qreal offsetY;
  };
  // Drawn in this order, the wide one first.
  static constexpr Shadow kWideShadow{QColor(0, 0, 0, 153), 15, 10};
  static constexpr Shadow kCloseShadow{QColor(0, 0, 0, 89), 4, 2};
  static constexpr qreal kBorderWidth = 1;
  // Room around the plate for the shadows: the wide one's blur and offset.
  static constexpr int kShadowMargin = 25;

  // Takes `content` as its child, laid on the plate.
  QBMaterial(QWidget* content, qreal radius, QWidget* parent = nullptr);

  // The plate, in this widget's coordinates.
  QRect plate() const;

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  QImage shadowImage() const;

  qreal radius_;
  mutable QImage shadows_;  // both shadows for the current size; made again on resize
};

// Wraps `content` in the card surface with the given corner radius.
QBMaterial* qbMaterial(QWidget* content, qreal radius);

}  // namespace qb
