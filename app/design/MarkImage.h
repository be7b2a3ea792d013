// MarkImage: the mark as the tray shows it, 18 pixels square: the brackets a little heavier than
// the logo's, so that they hold at that size, and the dot only while the program is active.
//
// A tray on Linux shows an icon as drawn: nothing recolours it to suit the panel. The mark is
// drawn in the program's text colour, light, because the panels of the common desktops are dark
// and a light mark is what their own tray icons use; everything else is transparent.

#pragma once

#include <QIcon>
#include <QImage>

namespace qb::MarkImage {

// The image's side in device-independent pixels.
inline constexpr int kSide = 18;
// Line width and dot diameter, in grid units of MarkShape.
inline constexpr qreal kLineWidth = 6.5;
inline constexpr qreal kDotDiameter = 16;

// The tray's mark, at scale 1 and 2 (for HiDPI screens).
QIcon menuBar(bool active);
// One image of it, kSide × devicePixelRatio pixels square, tagged with that ratio.
QImage menuBar(bool active, qreal devicePixelRatio);

}  // namespace qb::MarkImage
