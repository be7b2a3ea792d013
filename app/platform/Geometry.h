// Points, sizes and rectangles of the screen, in the window system's pixels with the origin at the
// top-left corner of the primary screen and y growing downwards, unless a name says otherwise.

#pragma once

namespace qb {

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  double width = 0;
  double height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  Point origin;
  Size size;

  double minX() const { return origin.x; }
  double minY() const { return origin.y; }
  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }

  friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace qb
