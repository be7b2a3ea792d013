#include "shell/StateLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "design/QB.h"
#include "design/Symbols.h"
#include "shell/StatusItem.h"

namespace qb {

namespace {

using Kind = AppModel::Status::Kind;

QColor mix(const QColor& from, const QColor& to, qreal progress) {
  const auto blend = [progress](float a, float b) { return a + (b - a) * progress; };
  return QColor::fromRgbF(blend(from.redF(), to.redF()), blend(from.greenF(), to.greenF()),
                          blend(from.blueF(), to.blueF()), blend(from.alphaF(), to.alphaF()));
}

}  // namespace

StateBadge badge(const AppModel::Status& status) {
  using Tone = StatusBadge::Tone;
  switch (status.kind) {
    case Kind::onBreak:
      return {Tone::idle, QStringLiteral("On break")};
    case Kind::learning:
      return {Tone::idle, QStringLiteral("Learning")};
    case Kind::protecting:
      return {Tone::live, QStringLiteral("Focused")};
    case Kind::paused:
      return {Tone::paused, QStringLiteral("Paused")};
    case Kind::needsAccess:
      return {Tone::warning, QStringLiteral("Needs Accessibility")};
    case Kind::modelUnavailable:
      return {Tone::warning, QStringLiteral("Model unavailable")};
    case Kind::away:
      return {Tone::idle, QStringLiteral("Away")};
  }
  return {Tone::idle, {}};
}

QString StateLabel::word(const AppModel::Status& status, std::optional<Date> now) {
  if (status.kind == Kind::onBreak && status.until && now) {
    return QStringLiteral("On break, ") + StatusItem::clock(status.until->since(*now));
  }
  return badge(status).text;
}

StateLabel::StateLabel(AppModel::Status status, std::optional<Date> now, bool large,
                       QWidget* parent)
    : QWidget(parent),
      status_(status),
      now_(now),
      large_(large),
      badge_(new StatusBadge(badge(status).tone, badge(status).text, this)) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  protecting_.setDuration(kFadeMilliseconds);
  protecting_.setEasingCurve(QEasingCurve::OutCubic);
  connect(&protecting_, &QVariantAnimation::valueChanged, this, [this] { update(); });
  changed();
}

void StateLabel::setStatus(AppModel::Status status, std::optional<Date> now) {
  const bool wasProtecting = status_.kind == Kind::protecting;
  const qreal from = protectedness();
  status_ = status;
  now_ = now;
  const bool protecting = status.kind == Kind::protecting;
  if (protecting != wasProtecting) {
    protecting_.stop();
    protecting_.setStartValue(from);
    protecting_.setEndValue(protecting ? 1.0 : 0.0);
    protecting_.start();
  }
  changed();
}

qreal StateLabel::protectedness() const {
  if (protecting_.state() == QAbstractAnimation::Running)
    return protecting_.currentValue().toReal();
  return status_.kind == Kind::protecting ? 1 : 0;
}

bool StateLabel::isWarning() const {
  return status_.kind == Kind::needsAccess || status_.kind == Kind::modelUnavailable;
}

QString StateLabel::text() const { return isWarning() ? badge(status_).text : word(status_, now_); }

const QFont& StateLabel::wordFont() const {
  static const QFont large = [] {
    QFont font = QB::Font::body();
    font.setPixelSize(kLargeWordPixels);
    font.setWeight(QFont::DemiBold);
    return font;
  }();
  return large_ ? large : QB::Font::labelSmall();
}

void StateLabel::changed() {
  const StateBadge shown = badge(status_);
  badge_->setTone(shown.tone);
  badge_->setText(shown.text);
  badge_->setVisible(isWarning());
  setAccessibleName(text());
  updateGeometry();
  update();
}

QSize StateLabel::sizeHint() const {
  if (isWarning()) return badge_->sizeHint();
  const QFontMetricsF font(wordFont());
  const int width = metrics().symbolFrame + metrics().spacing +
                    static_cast<int>(std::ceil(font.horizontalAdvance(word(status_, now_))));
  return {width, static_cast<int>(std::ceil(std::max<qreal>(metrics().symbolSide, font.height())))};
}

void StateLabel::resizeEvent(QResizeEvent*) { badge_->setGeometry(rect()); }

void StateLabel::paintEvent(QPaintEvent*) {
  if (isWarning()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal progress = protectedness();
  const Metrics& size = metrics();

  // The open lock fades out as the closed one fades in, and back.
  const QColor lock = mix(QB::textMuted, QB::accent, progress);
  QRectF symbol(0, 0, size.symbolSide, size.symbolSide);
  symbol.moveCenter(QPointF(size.symbolFrame / 2.0, height() / 2.0));
  painter.setOpacity(1 - progress);
  Symbols::paint(painter, u"lock.open.fill", symbol, lock);
  painter.setOpacity(progress);
  Symbols::paint(painter, u"lock.fill", symbol, lock);
  painter.setOpacity(1);

  const int x = size.symbolFrame + size.spacing;
  const int room = std::max(0, width() - x);
  painter.setFont(wordFont());
  painter.setPen(mix(QB::textMuted, QB::text, progress));
  painter.drawText(QRect(x, 0, room, height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(wordFont()).elidedText(word(status_, now_), Qt::ElideRight, room));
}

}  // namespace qb
