// QB: the program's one visual vocabulary. Every view takes its colours and fonts from here: the
// controls, the mark, the prompt card, the main window, its pages, the tray menu and onboarding.
//
// The palette is dark and has no light variant: the program always draws dark, whatever the
// desktop's theme, accent, text size or contrast. There are no spacing, radius or size tokens;
// each control states its own numbers. Sizes are in device-independent pixels (a font of 14 is
// 14 pixels high on a screen at scale 1), so the program looks the same at any DPI setting.
//
// Colours are constants; fonts are made once, on first use (after the QGuiApplication exists),
// from the desktop's default family. Read them on the main thread.

#pragma once

#include <QColor>
#include <QFont>

namespace qb::QB {

// Opaque colours, sRGB.
inline constexpr QColor bgBase{22, 22, 24};               // the main window, every page, onboarding
inline constexpr QColor bgRaised{32, 32, 35};             // the card of a QBGroup
inline constexpr QColor bgOverlay{28, 28, 31};            // the prompt card
inline constexpr QColor bgHover{35, 35, 38};              // a hovered sidebar row
inline constexpr QColor bgTitlebar{37, 38, 41};           // the main window's title band
inline constexpr QColor fillPrimary{47, 111, 228};        // a primary button at rest
inline constexpr QColor fillPrimaryPressed{42, 99, 207};  // pressed or hovered
inline constexpr QColor separator{51, 51, 54};            // hairlines and dividers
inline constexpr QColor lineStrong{110, 110, 115};        // the stronger lines of the charts
inline constexpr QColor text{245, 245, 247};              // primary text; the mark's strokes
inline constexpr QColor textMuted{161, 161, 166};         // secondary text, plain buttons at rest
inline constexpr QColor textFaint{138, 138, 143};         // footers, small print, the idle dot
inline constexpr QColor accent{77, 141, 255};             // the live state
inline constexpr QColor success{67, 207, 140};            // a granted permission
inline constexpr QColor danger{255, 107, 102};            // a destructive button's label
inline constexpr QColor warning{242, 181, 75};            // a warning badge's symbol
// The background a window itself takes, so that a window and the content laid on it show no seam.
inline constexpr QColor nsBgBase = bgBase;

// Translucent colours: white or black over whatever lies beneath.
inline constexpr QColor fillSecondary{255, 255, 255, 23};       // white 0.09: secondary button,
                                                                // keycap, selected sidebar row
inline constexpr QColor fillSecondaryHover{255, 255, 255, 36};  // white 0.14
inline constexpr QColor edge{255, 255, 255, 20};                // white 0.08: the card's border
inline constexpr QColor scrim{0, 0, 0, 153};                    // black 0.6: the prompt's dimming

// The colours of the three activity states the pages chart and count.
namespace Hue {
inline constexpr QColor focus = accent;
inline constexpr QColor detour{245, 181, 68};
inline constexpr QColor breakTime{61, 214, 181};
}  // namespace Hue

// The type scale: the desktop's default family at fixed pixel sizes.
namespace Font {
const QFont& display();     // 22 semibold: the onboarding window's title
const QFont& heading();     // 15 semibold: headings; the prompt card's title
const QFont& body();        // 14 regular: running text; a row's title
const QFont& bodyStrong();  // 14 medium: emphasised running text
const QFont& label();       // 14 medium: a medium button's label
const QFont& labelSmall();  // 13 medium: a small button's label; badges and state labels
const QFont& caption();     // 12 regular: group headers, captions, footers
const QFont& keycap();      // 11 medium: a keycap's glyph
}  // namespace Font

}  // namespace qb::QB
