#include "design/Keycap.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "design/QB.h"

namespace qb {

Keycap::Keycap(QString glyph, bool onPrimary, QWidget* parent)
    : QWidget(parent), glyph_(std::move(glyph)), onPrimary_(onPrimary) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize Keycap::plateSize(const QString& glyph) {
  const QFontMetricsF metrics(QB::Font::keycap());
  const int width = static_cast<int>(std::ceil(metrics.horizontalAdvance(glyph)));
  const int height = static_cast<int>(std::ceil(metrics.height()));
  return {std::max(kMinimumSide, width), std::max(kMinimumSide, height)};
}

QSize Keycap::sizeHint() const { return plateSize(glyph_); }

void Keycap::paint(QPainter& painter, const QRect& rect, const QString& glyph, bool onPrimary,
                   const QColor& color) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath plate;
  plate.addRoundedRect(QRectF(rect), kCornerRadius, kCornerRadius);
  painter.fillPath(plate, onPrimary ? kOnPrimaryFill : QB::fillSecondary);
  painter.setFont(QB::Font::keycap());
  painter.setPen(color);
  painter.drawText(rect, Qt::AlignCenter, glyph);
  painter.restore();
}

void Keycap::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QSize plate = plateSize(glyph_);
  QRect area(QPoint(), plate);
  area.moveCenter(rect().center());
  paint(painter, area, glyph_, onPrimary_, palette().color(QPalette::WindowText));
}

}  // namespace qb
