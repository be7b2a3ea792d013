#include "design/Mark.h"

#include <QPainter>
#include <QPen>
#include <cmath>

#include "design/MarkShape.h"
#include "design/QB.h"

namespace qb {

Mark::Mark(qreal size, bool live, QWidget* parent) : QWidget(parent), size_(size), live_(live) {
  const int side = static_cast<int>(std::ceil(size_));
  setFixedSize(side, side);
}

void Mark::setLive(bool live) {
  if (live_ == live) return;
  live_ = live;
  update();
}

void Mark::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF square(0, 0, size_, size_);
  const qreal unit = MarkShape::unit(square);

  QPen pen(QB::text, kLineWidth * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.strokePath(MarkShape::path(square), pen);

  const qreal radius = kDotDiameter * unit / 2;
  painter.setPen(Qt::NoPen);
  painter.setBrush(live_ ? QB::accent : QB::textFaint);
  painter.drawEllipse(MarkShape::kDotCentre * unit, radius, radius);
}

}  // namespace qb
