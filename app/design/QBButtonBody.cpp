#include "design/QBButtonBody.h"

#include <QEasingCurve>
#include <QEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "design/Keycap.h"

namespace qb {

namespace {

QColor mix(const QColor& from, const QColor& to, qreal amount) {
  const auto blend = [amount](float a, float b) {
    return a + (b - a) * static_cast<float>(amount);
  };
  const QColor a = from.toRgb();
  const QColor b = to.toRgb();
  return QColor::fromRgbF(blend(a.redF(), b.redF()), blend(a.greenF(), b.greenF()),
                          blend(a.blueF(), b.blueF()), blend(a.alphaF(), b.alphaF()));
}

QFont trackedFont(const QBButtonStyle& style) {
  QFont font = style.font();
  font.setLetterSpacing(QFont::AbsoluteSpacing, QBButtonStyle::kTracking);
  return font;
}

}  // namespace

QBButtonBody::QBButtonBody(QBButtonStyle style, const QString& text, QWidget* parent)
    : QAbstractButton(parent), style_(style) {
  setText(text);
  setFont(trackedFont(style_));
  setAttribute(Qt::WA_Hover);
  setCursor(Qt::ArrowCursor);
  setFixedHeight(style_.metrics().height);
  setSizePolicy(style_.full ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Fixed);
  if (style_.full) setMaximumWidth(QWIDGETSIZE_MAX);
  hover_.setDuration(QBButtonStyle::kHoverMilliseconds);
  hover_.setEasingCurve(QEasingCurve::OutCubic);
  hover_.setStartValue(0.0);
  hover_.setEndValue(1.0);
  connect(&hover_, &QVariantAnimation::valueChanged, this, [this] { update(); });
}

void QBButtonBody::setKeycap(const QString& glyph) {
  keycap_ = glyph;
  updateGeometry();
  update();
}

QColor QBButtonBody::fill(bool pressed) const {
  if (pressed) return style_.fill(true);
  return mix(style_.fill(false), style_.fill(true), hover_.currentValue().toReal());
}

QColor QBButtonBody::foreground() const {
  return mix(style_.foreground(false), style_.foreground(true), hover_.currentValue().toReal());
}

int QBButtonBody::labelWidth() const {
  // Rounded up: a width rounded to the nearest pixel can fall short of the text, which then
  // gets elided at exactly its own size.
  int width = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text())));
  if (!keycap_.isEmpty()) width += kLabelSpacing + Keycap::plateSize(keycap_).width();
  return width;
}

QSize QBButtonBody::sizeHint() const {
  return {labelWidth() + 2 * style_.metrics().horizontalPadding, style_.metrics().height};
}

QSize QBButtonBody::minimumSizeHint() const {
  // Narrower than its label, the button elides the text.
  return {2 * style_.metrics().horizontalPadding, style_.metrics().height};
}

void QBButtonBody::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (!isEnabled()) painter.setOpacity(QBButtonStyle::kDisabledOpacity);
  const QBButtonStyle::Metrics& metrics = style_.metrics();

  QPainterPath background;
  background.addRoundedRect(QRectF(rect()), metrics.cornerRadius, metrics.cornerRadius);
  painter.fillPath(background, fill(isDown()));

  const QColor color = foreground();
  const QRect inside = rect().adjusted(metrics.horizontalPadding, 0, -metrics.horizontalPadding, 0);
  const QSize plate = keycap_.isEmpty() ? QSize() : Keycap::plateSize(keycap_);
  const int keycapRoom = keycap_.isEmpty() ? 0 : kLabelSpacing + plate.width();
  const QString shown =
      fontMetrics().elidedText(text(), Qt::ElideRight, std::max(0, inside.width() - keycapRoom));
  const int width = fontMetrics().horizontalAdvance(shown) + keycapRoom;
  QRect label(0, 0, width, height());
  label.moveCenter(inside.center());
  painter.setFont(font());
  painter.setPen(color);
  painter.drawText(QRect(label.left(), 0, width - keycapRoom, height()), Qt::AlignCenter, shown);
  if (!keycap_.isEmpty()) {
    QRect keycap(QPoint(), plate);
    keycap.moveCenter(QPoint(label.right() - plate.width() / 2, label.center().y()));
    Keycap::paint(painter, keycap, keycap_, style_.kind == QBButtonStyle::Kind::primary, color);
  }
}

void QBButtonBody::setHovering(bool hovering) {
  if (hovering_ == hovering) return;
  hovering_ = hovering;
  hover_.stop();
  hover_.setStartValue(hover_.currentValue().isValid() ? hover_.currentValue() : QVariant(0.0));
  hover_.setEndValue(hovering ? 1.0 : 0.0);
  hover_.start();
}

void QBButtonBody::enterEvent(QEnterEvent* event) {
  setHovering(true);
  QAbstractButton::enterEvent(event);
}

void QBButtonBody::leaveEvent(QEvent* event) {
  setHovering(false);
  QAbstractButton::leaveEvent(event);
}

void QBButtonBody::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) update();
  QAbstractButton::changeEvent(event);
}

}  // namespace qb
