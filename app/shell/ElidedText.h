// ElidedText: a text made of runs, each in its own font and colour, laid out over the widget's
// width on at most maxLines lines; text that does not fit is cut at the end of the last line with
// an ellipsis. Where a QLabel holds out for its whole text, this one gives way: beside a control
// or a figure kept at its natural size, it is the text that shrinks.
//
// Its natural width is the whole text on one line; its height follows its width (the lines the
// text takes there, at most maxLines, and one line when empty). Contents margins are kept clear
// around the text. Assistive technologies read the whole text, cut or not.

#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace qb {

class ElidedText : public QWidget {
  Q_OBJECT

public:
  struct Run {
    QString text;
    QFont font;
    QColor color;
  };

  // maxLines: 1 or more.
  ElidedText(std::vector<Run> runs, int maxLines, QWidget* parent = nullptr);
  // One run.
  ElidedText(const QString& text, const QFont& font, const QColor& color, int maxLines,
             QWidget* parent = nullptr);

  void setRuns(std::vector<Run> runs);
  const std::vector<Run>& runs() const { return runs_; }
  int maxLines() const { return maxLines_; }
  void setMaxLines(int maxLines);
  // The runs' texts joined: the whole text, as read aloud.
  QString text() const;
  // The lines as drawn at the widget's width now; the last one ends in "…" when text was cut.
  QStringList shownLines() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  // One line of the text laid out at a width: where it starts in text(), how long it is, where
  // its top, baseline and bottom lie.
  struct Line {
    int start;
    int length;
    qreal top;
    qreal baseline;
    qreal bottom;
  };
  // The lines of the text at `width`, at most maxLines; `cut` tells whether text was left over.
  std::vector<Line> layOut(qreal width, bool* cut) const;
  // The first line's height when the text is empty.
  qreal emptyLineHeight() const;
  // Draws (when `painter` is given) and answers the part of [start, end) that fits from x = 0 to
  // `width`, cut with an ellipsis when `elide` is set and it does not all fit.
  QString drawLine(QPainter* painter, int start, int end, qreal baseline, qreal width,
                   bool elide) const;
  // Draws every line at the widget's width, when `painter` is given, and answers them.
  QStringList drawLines(QPainter* painter) const;

  std::vector<Run> runs_;
  int maxLines_;
};

}  // namespace qb
