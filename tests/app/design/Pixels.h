// Reading what the design's widgets drew: widgets laid on a page-coloured window and grabbed,
// colours compared channel by channel, and the ink of text found as the pixel that stands out
// most from what lies beneath it.

#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRect>
#include <QThread>
#include <QWidget>
#include <cstdlib>
#include <functional>

#include "design/QB.h"

namespace qb::test {

// Flat fills come out exact but for rounding; antialiased ink is compared more loosely.
inline constexpr int kFillTolerance = 2;
inline constexpr int kInkTolerance = 12;
// How long a test lets an animation run before giving up on it.
inline constexpr int kPatienceMilliseconds = 2000;

inline int channelDistance(const QColor& a, const QColor& b) {
  return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                   std::abs(a.blue() - b.blue()), std::abs(a.alpha() - b.alpha())});
}

inline ::testing::AssertionResult near(const QColor& actual, const QColor& expected,
                                       int tolerance = kFillTolerance) {
  if (channelDistance(actual, expected) <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual.name(QColor::HexArgb).toStdString() << " is not "
                                       << expected.name(QColor::HexArgb).toStdString();
}

// `top` drawn over an opaque `bottom` at `opacity`.
inline QColor over(const QColor& top, const QColor& bottom, qreal opacity = 1) {
  const qreal a = top.alphaF() * opacity;
  const auto mix = [a](int t, int b) { return static_cast<int>(std::lround(t * a + b * (1 - a))); };
  return {mix(top.red(), bottom.red()), mix(top.green(), bottom.green()),
          mix(top.blue(), bottom.blue())};
}

// The pixel of `area` most unlike `beneath`: the heart of a stroke of text or of a small mark.
inline QColor ink(const QImage& image, const QRect& area, const QColor& beneath) {
  QColor best = beneath;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (channelDistance(pixel, beneath) > channelDistance(best, beneath)) best = pixel;
    }
  }
  return best;
}

// The columns of `area` where some pixel differs from `beneath`; {-1, -1} when none does.
inline std::pair<int, int> inkColumns(const QImage& image, const QRect& area,
                                      const QColor& beneath) {
  std::pair<int, int> columns{-1, -1};
  for (int x = area.left(); x <= area.right(); ++x) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
      if (channelDistance(image.pixelColor(x, y), beneath) > kFillTolerance) {
        if (columns.first < 0) columns.first = x;
        columns.second = x;
        break;
      }
    }
  }
  return columns;
}

// A shown window in the page colour; widgets added to it are drawn as a page draws them.
class Page {
public:
  Page() {
    window_.setAutoFillBackground(true);
    QPalette palette = window_.palette();
    palette.setColor(QPalette::Window, QB::bgBase);
    palette.setColor(QPalette::WindowText, QB::text);
    window_.setPalette(palette);
    window_.resize(1, 1);
  }

  QWidget& window() { return window_; }
  // `widget` at `geometry`, or at its size hint at the top left.
  template <typename Widget>
  Widget* add(Widget* widget, QRect geometry = {}) {
    widget->setParent(&window_);
    widget->setGeometry(geometry.isNull() ? QRect(QPoint(), widget->sizeHint()) : geometry);
    return widget;
  }
  // The window, grown to hold every widget where it now is.
  QImage image() {
    const QRect bounds = window_.childrenRect();
    window_.resize(std::max(window_.width(), bounds.right() + 1),
                   std::max(window_.height(), bounds.bottom() + 1));
    window_.show();
    return window_.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  }

private:
  QWidget window_;
};

// The widget drawn by itself on transparency, at its size.
inline QImage drawnAlone(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

// Runs the event loop until `done` or kPatienceMilliseconds.
inline bool waitUntil(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.hasExpired(kPatienceMilliseconds)) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QThread::msleep(1);
  }
  return true;
}

}  // namespace qb::test
