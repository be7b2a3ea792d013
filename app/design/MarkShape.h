// MarkShape: the outline of the program's mark, two rounded corner brackets framing the middle of
// a square: one at the top left opening down and right, one at the bottom right opening up and
// left. The geometry is on a 64-unit grid with its origin at the top left and y growing down;
// the dot that the mark frames is not part of the shape (each form of the mark sizes its own).
//
// The brackets are two open subpaths of one path, meant to be stroked, never filled: a caller
// picks the stroke, and round caps make each bracket reach half a line width past its ends.

#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

namespace qb {

struct MarkShape {
  // The side of the grid, in units.
  static constexpr qreal kGridSide = 64;
  // The centre of the dot the brackets frame, in grid units.
  static constexpr QPointF kDotCentre{32, 32};

  // Pixels per grid unit for a rectangle: its smaller side over the grid's.
  static qreal unit(const QRectF& rect);
  // The brackets scaled by unit(rect) and anchored at the rectangle's top-left corner: in a
  // rectangle that is not square, the mark fills the top-left square, uncentred.
  static QPainterPath path(const QRectF& rect);
};

}  // namespace qb
