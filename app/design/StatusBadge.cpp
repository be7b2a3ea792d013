#include "design/StatusBadge.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "design/QB.h"
#include "design/Symbols.h"

namespace qb {

namespace {

// What a screen reader says for the mark, before the word.
QString markName(StatusBadge::Tone tone) {
  switch (tone) {
    case StatusBadge::Tone::live:
      return QStringLiteral("Live");
    case StatusBadge::Tone::idle:
      return QStringLiteral("Idle");
    case StatusBadge::Tone::paused:
      return QStringLiteral("Paused");
    case StatusBadge::Tone::warning:
      return QStringLiteral("Warning");
  }
  return {};
}

}  // namespace

StatusBadge::StatusBadge(Tone tone, QString text, QWidget* parent)
    : QWidget(parent), tone_(tone), text_(std::move(text)) {
  setFont(QB::Font::labelSmall());
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  changed();
}

void StatusBadge::setTone(Tone tone) {
  tone_ = tone;
  changed();
}

void StatusBadge::setText(QString text) {
  text_ = std::move(text);
  changed();
}

void StatusBadge::changed() {
  // A word that already names the tone ("Paused") is not said twice.
  const QString mark = markName(tone_);
  setAccessibleName(text_.compare(mark, Qt::CaseInsensitive) == 0 ? text_ : mark + ", " + text_);
  updateGeometry();
  update();
}

int StatusBadge::markSide(Tone tone) {
  switch (tone) {
    case Tone::live:
    case Tone::idle:
      break;
    case Tone::paused:
      return kPausedSymbolSize;
    case Tone::warning:
      return kWarningSymbolSize;
  }
  return kDotDiameter;
}

QSize StatusBadge::minimumSizeHint() const {
  return {markSide(tone_) + kSpacing, std::max(markSide(tone_), fontMetrics().height())};
}

QSize StatusBadge::sizeHint() const {
  const QSize minimum = minimumSizeHint();
  return {
      minimum.width() + static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text_))),
      minimum.height()};
}

void StatusBadge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const int side = markSide(tone_);
  const QRectF mark(0, (height() - side) / 2.0, side, side);
  switch (tone_) {
    case Tone::live:
    case Tone::idle:
      painter.setPen(Qt::NoPen);
      painter.setBrush(tone_ == Tone::live ? QB::accent : QB::textFaint);
      painter.drawEllipse(mark);
      break;
    case Tone::paused:
      Symbols::paint(painter, u"pause.fill", mark, QB::textMuted);
      break;
    case Tone::warning:
      Symbols::paint(painter, u"exclamationmark.triangle.fill", mark, QB::warning);
      break;
  }
  const int x = side + kSpacing;
  const int room = std::max(0, width() - x);
  painter.setPen(tone_ == Tone::live ? QB::text : QB::textMuted);
  painter.drawText(QRect(x, 0, room, height()), Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(text_, Qt::ElideRight, room));
}

}  // namespace qb
