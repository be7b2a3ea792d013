#include "design/MarkShape.h"

#include <QTransform>
#include <algorithm>

namespace qb {

namespace {

// A bracket in grid units: a straight leg, a quarter circle turning clockwise on screen, and a
// straight leg. Qt measures arc angles counterclockwise on screen, so the sweep is negative.
struct Bracket {
  QPointF start;
  QPointF corner;  // where the first leg meets the arc
  QPointF arcCentre;
  qreal startAngle;  // Qt's degrees, counterclockwise from +x on screen
  QPointF end;
};
constexpr qreal kCornerRadius = 6;
constexpr qreal kQuarterTurnClockwise = -90;
constexpr Bracket kBrackets[] = {
    {{10, 28}, {10, 16}, {16, 16}, 180, {28, 10}},  // top left: up, over the corner, right
    {{54, 36}, {54, 48}, {48, 48}, 0, {36, 54}},    // bottom right: down, under the corner, left
};

}  // namespace

qreal MarkShape::unit(const QRectF& rect) {
  return std::min(rect.width(), rect.height()) / kGridSide;
}

QPainterPath MarkShape::path(const QRectF& rect) {
  QPainterPath grid;
  for (const Bracket& bracket : kBrackets) {
    grid.moveTo(bracket.start);
    grid.lineTo(bracket.corner);
    const QPointF radius(kCornerRadius, kCornerRadius);
    grid.arcTo(QRectF(bracket.arcCentre - radius, bracket.arcCentre + radius), bracket.startAngle,
               kQuarterTurnClockwise);
    grid.lineTo(bracket.end);
  }
  const qreal s = unit(rect);
  return QTransform::fromTranslate(rect.left(), rect.top()).scale(s, s).map(grid);
}

}  // namespace qb
