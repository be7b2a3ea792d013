#include "design/QBRow.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "design/QB.h"

namespace qb {

QBRow::QBRow(QString title, std::optional<QColor> dot, QWidget* accessory, QWidget* parent)
    : QWidget(parent), title_(std::move(title)), dot_(dot), accessory_(accessory) {
  setFont(QB::Font::body());
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAccessibleName(title_);
  if (accessory_ != nullptr) accessory_->setParent(this);
}

void QBRow::setTitle(QString title) {
  title_ = std::move(title);
  setAccessibleName(title_);
  updateGeometry();
  update();
}

int QBRow::titleLeft() const { return kPadding + (dot_ ? kDotDiameter + kSpacing : 0); }

QSize QBRow::accessorySize() const {
  if (accessory_ == nullptr || !accessory_->isVisibleTo(this)) return {};
  return accessory_->sizeHint()
      .expandedTo(accessory_->minimumSize())
      .boundedTo(accessory_->maximumSize());
}

int QBRow::trailingRoom() const {
  const int accessory = accessorySize().width();
  // Spacing, the flexible gap at its narrowest, and spacing again when an accessory follows.
  const int clear = kSpacing + kMinimumFlexibleSpace + (accessory > 0 ? kSpacing : 0);
  return clear + accessory + kPadding;
}

QSize QBRow::minimumSizeHint() const {
  const int height = std::max({kMinimumHeight, accessorySize().height(), fontMetrics().height()});
  return {titleLeft() + trailingRoom(), height};
}

QSize QBRow::sizeHint() const {
  const QSize minimum = minimumSizeHint();
  return {minimum.width() +
              static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(title_))),
          minimum.height()};
}

void QBRow::placeAccessory() {
  if (accessory_ == nullptr) return;
  const QSize size = accessorySize();
  accessory_->setGeometry(width() - kPadding - size.width(), (height() - size.height()) / 2,
                          size.width(), size.height());
}

bool QBRow::event(QEvent* event) {
  // The accessory's size hint changed (a value's text, say): the row has no layout to notice.
  if (event->type() == QEvent::LayoutRequest) {
    updateGeometry();
    placeAccessory();
    update();
  }
  return QWidget::event(event);
}

void QBRow::resizeEvent(QResizeEvent* event) {
  placeAccessory();
  QWidget::resizeEvent(event);
}

void QBRow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (dot_) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(*dot_);
    painter.drawEllipse(
        QRectF(kPadding, (height() - kDotDiameter) / 2.0, kDotDiameter, kDotDiameter));
  }
  const int room = std::max(0, width() - titleLeft() - trailingRoom());
  painter.setPen(QB::text);
  painter.drawText(QRect(titleLeft(), 0, room, height()), Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(title_, Qt::ElideRight, room));
}

}  // namespace qb
