// Appearance: the program draws dark whatever the desktop's theme. Every window, menu and control
// takes its colours from the design's tokens through one Fusion palette set on the application.

#pragma once

class QApplication;

namespace qb {

// Sets the Fusion style and the dark palette; call once, before the first window is made.
void applyDarkAppearance(QApplication& application);

}  // namespace qb
