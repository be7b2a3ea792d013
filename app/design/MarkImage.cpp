#include "design/MarkImage.h"

#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <cmath>

#include "design/MarkShape.h"
#include "design/QB.h"

namespace qb::MarkImage {

namespace {

// The ratios a tray icon is made for: ordinary screens and HiDPI ones at twice the density.
constexpr qreal kRatios[] = {1, 2};

}  // namespace

QImage menuBar(bool active, qreal devicePixelRatio) {
  const int pixels = static_cast<int>(std::lround(kSide * devicePixelRatio));
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::transparent);

  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF square(0, 0, kSide, kSide);
  const qreal unit = square.width() / MarkShape::kGridSide;
  painter.strokePath(MarkShape::path(square),
                     QPen(QB::text, kLineWidth * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  if (active) {
    const qreal radius = kDotDiameter * unit / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QB::text);
    painter.drawEllipse(MarkShape::kDotCentre * unit, radius, radius);
  }
  return image;
}

QIcon menuBar(bool active) {
  QIcon icon;
  for (qreal ratio : kRatios) icon.addPixmap(QPixmap::fromImage(menuBar(active, ratio)));
  return icon;
}

}  // namespace qb::MarkImage
