// Symbols: the program's own small pictures, named as the views ask for them ("pause.fill",
// "exclamationmark.triangle.fill"). Each is a one-colour SVG drawing; it takes the colour it is
// drawn in, the way a glyph takes the colour of its text, and keeps its antialiased edges.
//
// Every symbol fills a square; a name the program does not draw gives an empty image, so that a
// view asking for a symbol that does not exist shows nothing rather than failing. Fill weight is
// part of each drawing: a symbol looks the same at every text weight.
//
// Draw on the main thread (QSvgRenderer and pixmaps belong to it).

#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringView>

class QPainter;
class QRectF;

namespace qb::Symbols {

// The generic picture of an application, for an application whose own icon cannot be found.
inline constexpr QStringView kApplication = u"app";

// Whether the program draws a symbol of that name.
bool has(QStringView name);

// The symbol in `color`, `side` device-independent pixels square, drawn for a screen of
// `devicePixelRatio` (its pixel size is side × ratio). Null for a name the program does not draw.
QPixmap pixmap(QStringView name, int side, const QColor& color, qreal devicePixelRatio = 1);

// Draws the symbol over `rect` (kept square, centred in it) at the resolution of the painter's
// device. Draws nothing for a name the program does not draw.
void paint(QPainter& painter, QStringView name, const QRectF& rect, const QColor& color);

// The symbol as an icon sharp at any size and ratio; a null icon for a name the program does not
// draw.
QIcon icon(QStringView name, const QColor& color);

}  // namespace qb::Symbols
