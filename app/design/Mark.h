// Mark: the program's logo, the two brackets of MarkShape stroked in the text colour with a dot
// in the middle. The dot always shows: in the accent colour while the program is live, faint
// otherwise. The widget is a square of `size` pixels and draws nothing behind the mark.

#pragma once

#include <QWidget>

namespace qb {

class Mark : public QWidget {
  Q_OBJECT

public:
  // Line width and dot diameter, in grid units of MarkShape.
  static constexpr qreal kLineWidth = 6;
  static constexpr qreal kDotDiameter = 14;

  // size: the side of the square, in pixels.
  Mark(qreal size, bool live, QWidget* parent = nullptr);

  qreal markSize() const { return size_; }
  bool isLive() const { return live_; }
  void setLive(bool live);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  qreal size_;
  bool live_;
};

}  // namespace qb
