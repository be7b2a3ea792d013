#include "design/QBGroup.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>

#include "design/QB.h"
#include "design/Symbols.h"

namespace qb {

QBGroup::QBGroup(std::optional<QString> header, std::optional<QString> symbol, QColor hue,
                 QWidget* parent)
    : QWidget(parent),
      header_(std::move(header)),
      symbol_(std::move(symbol)),
      hue_(hue),
      rows_(new QVBoxLayout(this)) {
  setFont(QB::Font::caption());
  if (header_) setAccessibleName(*header_);
  rows_->setContentsMargins(0, cardTop(), 0, 0);
  rows_->setSpacing(0);
}

void QBGroup::addRow(QWidget* row) {
  const bool stretches = row->sizePolicy().horizontalPolicy() & QSizePolicy::GrowFlag;
  rows_->addWidget(row, 0, stretches ? Qt::Alignment() : Qt::AlignHCenter);
}

int QBGroup::headerHeight() const {
  if (!header_) return 0;
  return std::max(fontMetrics().height(), symbol_ ? kSymbolSize : 0);
}

int QBGroup::cardTop() const { return header_ ? headerHeight() + kSpacing : 0; }

QRect QBGroup::cardRect() const { return rect().adjusted(0, cardTop(), 0, 0); }

void QBGroup::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (header_) {
    const int line = headerHeight();
    int x = kHeaderIndent;
    if (symbol_) {
      Symbols::paint(painter, *symbol_,
                     QRectF(x, (line - kSymbolSize) / 2.0, kSymbolSize, kSymbolSize), hue_);
      x += kSymbolSize + kSpacing;
    }
    const int room = std::max(0, width() - x);
    painter.setPen(QB::textMuted);
    painter.drawText(QRect(x, 0, room, line), Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(*header_, Qt::ElideRight, room));
  }
  QPainterPath card;
  card.addRoundedRect(QRectF(cardRect()), kCornerRadius, kCornerRadius);
  painter.fillPath(card, QB::bgRaised);
}

}  // namespace qb
