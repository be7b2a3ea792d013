#include "design/Symbols.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace qb::Symbols {

namespace {

struct Drawing {
  QStringView name;
  const char* svg;
};

// Each drawing is on a 16-unit square, filled (or stroked) in black; black only marks where the
// colour goes. Holes are cut with the even-odd rule, so that what lies beneath shows through them.
constexpr Drawing kDrawings[] = {
    {kApplication,
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path fill-rule="evenodd" d="M4.5 1.5H11.5A3 3 0 0 1 14.5 4.5V11.5A3 3 0 0 1 11.5 14.5H4.5A3 3 0 0 1 1.5 11.5V4.5A3 3 0 0 1 4.5 1.5Z
M3 6V11.5A1.5 1.5 0 0 0 4.5 13H11.5A1.5 1.5 0 0 0 13 11.5V6Z"/>
<rect x="4.5" y="7.5" width="7" height="4" rx="0.8" fill-opacity="0.45"/></svg>)"},
    {u"pause.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<rect x="3" y="2" width="3.6" height="12" rx="1.2"/>
<rect x="9.4" y="2" width="3.6" height="12" rx="1.2"/></svg>)"},
    {u"exclamationmark.triangle.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path fill-rule="evenodd" d="M6.8 2.2Q8 0.2 9.2 2.2L15 12.3Q16.1 14.3 13.8 14.3H2.2Q-0.1 14.3 1 12.3Z
M7 5.5H9L8.6 10H7.4Z M8 11.2A1 1 0 1 0 8 13.2A1 1 0 1 0 8 11.2Z"/></svg>)"},
    {u"checkmark.circle.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path fill-rule="evenodd" d="M8 1A7 7 0 1 1 8 15A7 7 0 1 1 8 1Z
M4.6 8.3L5.6 7.3L7.1 8.8L10.5 5.4L11.5 6.4L7.1 10.8Z"/></svg>)"},
    {u"clock.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path fill-rule="evenodd" d="M8 1A7 7 0 1 1 8 15A7 7 0 1 1 8 1Z
M7.3 3.8H8.7V7.6L11.2 9.1L10.5 10.3L7.3 8.4Z"/></svg>)"},
    {u"lock.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<rect x="3" y="7" width="10" height="8" rx="1.6"/>
<path d="M5 7.5V5A3 3 0 0 1 11 5V7.5" fill="none" stroke="#000" stroke-width="1.6"/></svg>)"},
    {u"lock.open.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<rect x="3" y="7" width="10" height="8" rx="1.6"/>
<path d="M11 7.5V5A3 3 0 0 0 5 5" fill="none" stroke="#000" stroke-width="1.6"/></svg>)"},
    {u"folder.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path d="M1.5 4A1.5 1.5 0 0 1 3 2.5H6.2L7.7 4H13A1.5 1.5 0 0 1 14.5 5.5V12A1.5 1.5 0 0 1 13 13.5H3A1.5 1.5 0 0 1 1.5 12Z"/></svg>)"},
    {u"bell.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path d="M8 1.5C5.4 1.5 4 3.5 4 6V9L2.5 11.5H13.5L12 9V6C12 3.5 10.6 1.5 8 1.5Z"/>
<path d="M6.3 12.5H9.7A1.7 1.7 0 0 1 6.3 12.5Z"/></svg>)"},
    {u"trash",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path d="M2.5 4H13.5M6 4V2.5H10V4M4 4L4.8 14H11.2L12 4M6.8 6.5V11.5M9.2 6.5V11.5" fill="none"
stroke="#000" stroke-width="1.3" stroke-linecap="round" stroke-linejoin="round"/></svg>)"},
    {u"eye.slash.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path d="M8 3.5C4.6 3.5 2.1 5.9 1 8C2.1 10.1 4.6 12.5 8 12.5C11.4 12.5 13.9 10.1 15 8C13.9 5.9 11.4 3.5 8 3.5Z
M8 5.6A2.4 2.4 0 1 0 8 10.4A2.4 2.4 0 1 0 8 5.6Z" fill-rule="evenodd"/>
<path d="M2.5 2.5L13.5 13.5" stroke="#000" stroke-width="1.6" stroke-linecap="round"/></svg>)"},
    {u"bell.slash.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path d="M8 1.8C5.8 1.8 4.2 3.5 4.2 5.7V8.6L2.8 10.8V11.8H13.2V10.8L11.8 8.6V5.7C11.8 3.5 10.2 1.8 8 1.8Z
M6.4 12.6A1.6 1.6 0 0 0 9.6 12.6Z"/>
<path d="M2.5 2.5L13.5 13.5" stroke="#000" stroke-width="1.6" stroke-linecap="round"/></svg>)"},
    {u"text.bubble.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path fill-rule="evenodd" d="M3 2.5H13A1.5 1.5 0 0 1 14.5 4V10A1.5 1.5 0 0 1 13 11.5H7L4 14V11.5H3
A1.5 1.5 0 0 1 1.5 10V4A1.5 1.5 0 0 1 3 2.5Z M4.5 5.2H11.5V6.2H4.5Z M4.5 7.6H9.5V8.6H4.5Z"/></svg>)"},
    {u"lock.shield.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path fill-rule="evenodd" d="M8 1L13.5 3V7.6C13.5 10.9 11.2 13.6 8 15C4.8 13.6 2.5 10.9 2.5 7.6V3Z
M6.3 7.4V6.4A1.7 1.7 0 0 1 9.7 6.4V7.4H10.2V10.9H5.8V7.4Z M7.2 7.4H8.8V6.4A0.8 0.8 0 0 0 7.2 6.4Z"/></svg>)"},
    {u"exclamationmark.shield.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path fill-rule="evenodd" d="M8 1L13.5 3V7.6C13.5 10.9 11.2 13.6 8 15C4.8 13.6 2.5 10.9 2.5 7.6V3Z
M7.25 4.2H8.75L8.45 9H7.55Z M8 10.1A0.85 0.85 0 1 1 8 11.8A0.85 0.85 0 1 1 8 10.1Z"/></svg>)"},
    {u"internaldrive.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path fill-rule="evenodd" d="M3.6 3H12.4L14.5 9V12A1 1 0 0 1 13.5 13H2.5A1 1 0 0 1 1.5 12V9Z
M11.2 10.3A0.8 0.8 0 1 0 11.2 11.9A0.8 0.8 0 1 0 11.2 10.3Z"/></svg>)"},
    {u"minus",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<rect x="2.5" y="7.2" width="11" height="1.6" rx="0.8"/></svg>)"},
    {u"arrow.left.arrow.right",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path d="M13 5H3M5.5 2.5L3 5L5.5 7.5M3 11H13M10.5 8.5L13 11L10.5 13.5" fill="none" stroke="#000"
stroke-width="1.4" stroke-linecap="round" stroke-linejoin="round"/></svg>)"},
    {u"house",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path d="M1.8 7.8L8 2.2L14.2 7.8M3.8 6.3V13.8H12.2V6.3M6.6 13.8V10H9.4V13.8" fill="none"
stroke="#000" stroke-width="1.4" stroke-linecap="round" stroke-linejoin="round"/></svg>)"},
    {u"house.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path d="M8 1.4L0.9 7.8Q0.6 8.6 1.5 8.6H3.2V13.6Q3.2 14.4 4 14.4H6.6V10.4H9.4V14.4H12Q12.8 14.4 12.8 13.6V8.6H14.5Q15.4 8.6 15.1 7.8Z"/></svg>)"},
    {u"chart.bar.xaxis",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<rect x="2.6" y="7.5" width="2.4" height="5" rx="0.6"/>
<rect x="6.8" y="3" width="2.4" height="9.5" rx="0.6"/>
<rect x="11" y="5.5" width="2.4" height="7" rx="0.6"/>
<rect x="1" y="13.5" width="14" height="1.3" rx="0.65"/></svg>)"},
    {u"checklist",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path d="M1.5 3.6L2.8 4.9L5 2.4M1.5 8.6L2.8 9.9L5 7.4M1.5 13.6L2.8 14.9L5 12.4" fill="none"
stroke="#000" stroke-width="1.3" stroke-linecap="round" stroke-linejoin="round"/>
<rect x="7" y="3" width="8" height="1.4" rx="0.7"/>
<rect x="7" y="8" width="8" height="1.4" rx="0.7"/>
<rect x="7" y="13" width="8" height="1.4" rx="0.7"/></svg>)"},
    {u"gearshape",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path d="M12.78 6.54L14.73 7.05L14.73 8.95L12.78 9.46L12.41 10.35L13.43 12.09L12.09 13.43L10.35 12.41L9.46 12.78L8.95 14.73L7.05 14.73L6.54 12.78L5.65 12.41L3.91 13.43L2.57 12.09L3.59 10.35L3.22 9.46L1.27 8.95L1.27 7.05L3.22 6.54L3.59 5.65L2.57 3.91L3.91 2.57L5.65 3.59L6.54 3.22L7.05 1.27L8.95 1.27L9.46 3.22L10.35 3.59L12.09 2.57L13.43 3.91L12.41 5.65Z
M8 5.7A2.3 2.3 0 1 1 8 10.3A2.3 2.3 0 1 1 8 5.7Z" fill="none" stroke="#000" stroke-width="1.2"
stroke-linejoin="round"/></svg>)"},
    {u"gearshape.fill",
     R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 16 16">
<path fill-rule="evenodd" d="M13.26 6.39L15.31 6.84L15.31 9.16L13.26 9.61L12.86 10.58L13.99 12.35L12.35 13.99L10.58 12.86L9.61 13.26L9.16 15.31L6.84 15.31L6.39 13.26L5.42 12.86L3.65 13.99L2.01 12.35L3.14 10.58L2.74 9.61L0.69 9.16L0.69 6.84L2.74 6.39L3.14 5.42L2.01 3.65L3.65 2.01L5.42 3.14L6.39 2.74L6.84 0.69L9.16 0.69L9.61 2.74L10.58 3.14L12.35 2.01L13.99 3.65L12.86 5.42Z
M8 5.6A2.4 2.4 0 1 0 8 10.4A2.4 2.4 0 1 0 8 5.6Z"/></svg>)"},
};

const char* drawing(QStringView name) {
  const auto found = std::find_if(std::begin(kDrawings), std::end(kDrawings),
                                  [name](const Drawing& each) { return each.name == name; });
  return found == std::end(kDrawings) ? nullptr : found->svg;
}

// The symbol as an image `pixels` square: drawn in black, then the colour kept only where the
// drawing is (source-in), so that edges keep their coverage as the colour's alpha.
QImage render(const char* svg, int pixels, const QColor& color) {
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QSvgRenderer renderer(QByteArray::fromRawData(svg, static_cast<qsizetype>(std::strlen(svg))));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter, QRectF(image.rect()));
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(image.rect(), color);
  return image;
}

// Draws a symbol at whatever size and ratio an icon is asked for.
class SymbolIconEngine : public QIconEngine {
public:
  SymbolIconEngine(QString name, QColor color) : name_(std::move(name)), color_(color) {}

  // Every mode looks the same: a disabled control dims what it draws as a whole.
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    Symbols::paint(*painter, name_, QRectF(rect), color_);
  }

  // The base class leaves the new pixmap's pixels undefined.
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(&painter, QRect(QPoint(), size), mode, state);
    return pixmap;
  }

  QIconEngine* clone() const override { return new SymbolIconEngine(name_, color_); }
  QString key() const override { return QStringLiteral("qb.symbol"); }
  bool isNull() override { return !has(name_); }

private:
  QString name_;
  QColor color_;
};

}  // namespace

bool has(QStringView name) { return drawing(name) != nullptr; }

QPixmap pixmap(QStringView name, int side, const QColor& color, qreal devicePixelRatio) {
  const char* svg = drawing(name);
  if (svg == nullptr || side <= 0) return {};
  QImage image = render(svg, static_cast<int>(std::ceil(side * devicePixelRatio)), color);
  image.setDevicePixelRatio(devicePixelRatio);
  return QPixmap::fromImage(std::move(image));
}

void paint(QPainter& painter, QStringView name, const QRectF& rect, const QColor& color) {
  const char* svg = drawing(name);
  const qreal side = std::min(rect.width(), rect.height());
  if (svg == nullptr || side <= 0) return;
  const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1;
  const QImage image = render(svg, static_cast<int>(std::ceil(side * ratio)), color);
  QRectF square(0, 0, side, side);
  square.moveCenter(rect.center());
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(square, image);
  painter.restore();
}

QIcon icon(QStringView name, const QColor& color) {
  if (!has(name)) return {};
  return QIcon(new SymbolIconEngine(name.toString(), color));
}

}  // namespace qb::Symbols
