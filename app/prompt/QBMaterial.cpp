#include "prompt/QBMaterial.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "design/QB.h"

namespace qb {

namespace {

// A box blur run this many times approaches a Gaussian closely enough for a shadow.
constexpr int kBlurPasses = 3;

// One pass of a box blur of the given half-width along rows (vertical false) or columns, on an
// 8-bit alpha image.
void boxBlur(QImage& image, int halfWidth, bool vertical) {
  if (halfWidth <= 0) return;
  const int lines = vertical ? image.width() : image.height();
  const int length = vertical ? image.height() : image.width();
  const int window = 2 * halfWidth + 1;
  std::vector<int> source(static_cast<size_t>(length));
  for (int line = 0; line < lines; ++line) {
    const auto at = [&](int i) -> uchar& {
      return vertical ? image.scanLine(i)[line] : image.scanLine(line)[i];
    };
    for (int i = 0; i < length; ++i) source[static_cast<size_t>(i)] = at(i);
    int sum = 0;
    for (int i = -halfWidth; i <= halfWidth; ++i) {
      if (i >= 0 && i < length) sum += source[static_cast<size_t>(i)];
    }
    for (int i = 0; i < length; ++i) {
      at(i) = static_cast<uchar>(sum / window);
      const int leaving = i - halfWidth;
      const int entering = i + halfWidth + 1;
      if (leaving >= 0) sum -= source[static_cast<size_t>(leaving)];
      if (entering < length) sum += source[static_cast<size_t>(entering)];
    }
  }
}

// The plate's shape moved down by the shadow's offset, blurred, and tinted the shadow's colour.
QImage blurredShape(const QSize& size, const QPainterPath& shape,
                    const QBMaterial::Shadow& shadow) {
  QImage mask(size, QImage::Format_Alpha8);
  mask.fill(0);
  {
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(0, shadow.offsetY);
    painter.fillPath(shape, QColor(0, 0, 0, 255));
  }
  // n boxes of width w blur with a variance of n (w^2 - 1) / 12; the blur radius is read as two
  // deviations, as style sheets read a shadow's blur.
  const qreal sigma = shadow.blurRadius / 2;
  const qreal width = std::sqrt(12 * sigma * sigma / kBlurPasses + 1);
  const int halfWidth = static_cast<int>(std::lround((width - 1) / 2));
  for (int pass = 0; pass < kBlurPasses; ++pass) {
    boxBlur(mask, halfWidth, false);
    boxBlur(mask, halfWidth, true);
  }
  QImage tinted(size, QImage::Format_ARGB32_Premultiplied);
  tinted.fill(shadow.color);
  QPainter painter(&tinted);
  painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
  painter.drawImage(0, 0, mask);
  return tinted;
}

}  // namespace

QBMaterial::QBMaterial(QWidget* content, qreal radius, QWidget* parent)
    : QWidget(parent), radius_(radius) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kShadowMargin, kShadowMargin, kShadowMargin, kShadowMargin);
  layout->setSpacing(0);
  layout->addWidget(content);
}

QRect QBMaterial::plate() const {
  return rect().adjusted(kShadowMargin, kShadowMargin, -kShadowMargin, -kShadowMargin);
}

QImage QBMaterial::shadowImage() const {
  if (shadows_.size() == size()) return shadows_;
  QPainterPath shape;
  shape.addRoundedRect(QRectF(plate()), radius_, radius_);
  shadows_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
  shadows_.fill(Qt::transparent);
  QPainter painter(&shadows_);
  for (const Shadow& shadow : {kWideShadow, kCloseShadow}) {
    painter.drawImage(0, 0, blurredShape(size(), shape, shadow));
  }
  return shadows_;
}

void QBMaterial::resizeEvent(QResizeEvent* event) {
  shadows_ = QImage();
  QWidget::resizeEvent(event);
}

void QBMaterial::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.drawImage(0, 0, shadowImage());
  QPainterPath plateShape;
  plateShape.addRoundedRect(QRectF(plate()), radius_, radius_);
  painter.fillPath(plateShape, QB::bgOverlay);
  // The border lies inside the plate's edge: its centre line is half its width in.
  const qreal inset = kBorderWidth / 2;
  QPainterPath border;
  border.addRoundedRect(QRectF(plate()).adjusted(inset, inset, -inset, -inset), radius_ - inset,
                        radius_ - inset);
  painter.setPen(QPen(QB::edge, kBorderWidth));
  painter.drawPath(border);
}

QBMaterial* qbMaterial(QWidget* content, qreal radius) { return new QBMaterial(content, radius); }

}  // namespace qb
