#include "shell/ElidedText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace qb {

namespace {

const QString kEllipsis = QStringLiteral("\u2026");

}  // namespace

ElidedText::ElidedText(std::vector<Run> runs, int maxLines, QWidget* parent)
    : QWidget(parent), maxLines_(std::max(1, maxLines)) {
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
  setRuns(std::move(runs));
}

ElidedText::ElidedText(const QString& text, const QFont& font, const QColor& color, int maxLines,
                       QWidget* parent)
    : ElidedText(std::vector<Run>{{text, font, color}}, maxLines, parent) {}

void ElidedText::setRuns(std::vector<Run> runs) {
  runs_ = std::move(runs);
  setAccessibleName(text());
  updateGeometry();
  update();
}

void ElidedText::setMaxLines(int maxLines) {
  maxLines_ = std::max(1, maxLines);
  updateGeometry();
  update();
}

QString ElidedText::text() const {
  QString whole;
  for (const Run& run : runs_) whole += run.text;
  return whole;
}

qreal ElidedText::emptyLineHeight() const {
  return QFontMetricsF(runs_.empty() ? font() : runs_.front().font).height();
}

std::vector<ElidedText::Line> ElidedText::layOut(qreal width, bool* cut) const {
  const QString whole = text();
  *cut = false;
  if (whole.isEmpty()) return {};
  QTextLayout layout(whole, runs_.front().font);
  QList<QTextLayout::FormatRange> formats;
  int at = 0;
  for (const Run& run : runs_) {
    QTextLayout::FormatRange range;
    range.start = at;
    range.length = static_cast<int>(run.text.size());
    range.format.setFont(run.font);
    formats.append(range);
    at += range.length;
  }
  layout.setFormats(formats);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);

  std::vector<Line> lines;
  qreal top = 0;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    if (static_cast<int>(lines.size()) == maxLines_) {
      *cut = true;
      break;
    }
    line.setLineWidth(width);
    line.setPosition(QPointF(0, top));
    lines.push_back(
        {line.textStart(), line.textLength(), top, top + line.ascent(), top + line.height()});
    top += line.height();
  }
  layout.endLayout();
  return lines;
}

QString ElidedText::drawLine(QPainter* painter, int start, int end, qreal baseline, qreal width,
                             bool elide) const {
  QString shown;
  qreal x = 0;
  int runStart = 0;
  for (const Run& run : runs_) {
    const int runEnd = runStart + static_cast<int>(run.text.size());
    const int from = std::max(start, runStart);
    const int to = std::min(end, runEnd);
    const int offset = runStart;
    runStart = runEnd;
    if (from >= to) continue;
    QString piece = run.text.mid(from - offset, to - from);
    const QFontMetricsF metrics(run.font);
    const bool overflows = elide && x + metrics.horizontalAdvance(piece) > width;
    if (overflows) {
      piece = metrics.elidedText(piece, Qt::ElideRight, std::max<qreal>(0, width - x));
      // An ellipsis that has no room after this run's start goes at the end of what is shown.
      if (piece.isEmpty() && !shown.endsWith(kEllipsis)) shown += kEllipsis;
    }
    if (painter != nullptr && !piece.isEmpty()) {
      painter->setFont(run.font);
      painter->setPen(run.color);
      painter->drawText(QPointF(x, baseline), piece);
    }
    shown += piece;
    x += metrics.horizontalAdvance(piece);
    if (overflows) break;
  }
  return shown;
}

QStringList ElidedText::drawLines(QPainter* painter) const {
  const int width = contentsRect().width();
  bool cut = false;
  const std::vector<Line> lines = layOut(width, &cut);
  const auto whole = static_cast<int>(text().size());
  QStringList shown;
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool elide = cut && i + 1 == lines.size();
    const int end = elide ? whole : lines[i].start + lines[i].length;
    shown.append(drawLine(painter, lines[i].start, end, lines[i].baseline, width, elide));
  }
  return shown;
}

QStringList ElidedText::shownLines() const { return drawLines(nullptr); }

void ElidedText::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.translate(contentsRect().topLeft());
  drawLines(&painter);
}

int ElidedText::heightForWidth(int width) const {
  const QMargins margins = contentsMargins();
  bool cut = false;
  const std::vector<Line> lines =
      layOut(std::max(1, width - margins.left() - margins.right()), &cut);
  return static_cast<int>(std::ceil(lines.empty() ? emptyLineHeight() : lines.back().bottom)) +
         margins.top() + margins.bottom();
}

QSize ElidedText::sizeHint() const {
  qreal natural = 0;
  for (const Run& run : runs_) natural += QFontMetricsF(run.font).horizontalAdvance(run.text);
  const QMargins margins = contentsMargins();
  const int width = static_cast<int>(std::ceil(natural)) + margins.left() + margins.right();
  return {width, heightForWidth(width)};
}

QSize ElidedText::minimumSizeHint() const {
  const QFont& first = runs_.empty() ? font() : runs_.front().font;
  const QMargins margins = contentsMargins();
  return {static_cast<int>(std::ceil(QFontMetricsF(first).horizontalAdvance(kEllipsis))) +
              margins.left() + margins.right(),
          static_cast<int>(std::ceil(emptyLineHeight())) + margins.top() + margins.bottom()};
}

}  // namespace qb
