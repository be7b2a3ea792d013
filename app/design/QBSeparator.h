// QBSeparator: the hairline between two rows of a QBGroup, as wide as it is offered and indented
// where the rows' content starts, so that it never runs under a row's dot or title start.
//
// The line is one device pixel thick: half a pixel on a screen at scale 2, the thinnest line a
// screen at scale 1 can show crisply. The widget itself is one pixel high.

#pragma once

#include <QWidget>

namespace qb {

class QBSeparator : public QWidget {
  Q_OBJECT

public:
  explicit QBSeparator(QWidget* parent = nullptr);

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace qb
