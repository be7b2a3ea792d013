#include "design/QBSeparator.h"

#include <QPainter>

#include "design/QB.h"
#include "design/QBRow.h"

namespace qb {

namespace {

// The widget's height: room for one device pixel at any scale.
constexpr int kHeight = 1;

}  // namespace

QBSeparator::QBSeparator(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setFixedHeight(kHeight);
}

QSize QBSeparator::sizeHint() const { return {QBRow::kPadding, kHeight}; }

void QBSeparator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const qreal devicePixel = 1 / devicePixelRatioF();
  painter.fillRect(QRectF(QBRow::kPadding, 0, width() - QBRow::kPadding, devicePixel),
                   QB::separator);
}

}  // namespace qb
