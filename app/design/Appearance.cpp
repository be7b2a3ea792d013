#include "design/Appearance.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

#include "base/Log.h"
#include "design/QB.h"

namespace qb {

void applyDarkAppearance(QApplication& application) {
  // Fusion draws every control from the palette, so the desktop's own theme cannot make a control
  // light among the dark ones.
  if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
    QApplication::setStyle(fusion);
  } else {
    log::error("The Fusion style is missing: controls take the desktop's own style");
  }
  QPalette palette;
  palette.setColor(QPalette::Window, QB::bgBase);
  palette.setColor(QPalette::WindowText, QB::text);
  palette.setColor(QPalette::Base, QB::bgRaised);
  palette.setColor(QPalette::AlternateBase, QB::bgOverlay);
  palette.setColor(QPalette::Text, QB::text);
  palette.setColor(QPalette::PlaceholderText, QB::textFaint);
  palette.setColor(QPalette::Button, QB::bgRaised);
  palette.setColor(QPalette::ButtonText, QB::text);
  palette.setColor(QPalette::BrightText, QB::text);
  palette.setColor(QPalette::Highlight, QB::fillPrimary);
  palette.setColor(QPalette::HighlightedText, QB::text);
  palette.setColor(QPalette::Link, QB::accent);
  palette.setColor(QPalette::ToolTipBase, QB::bgOverlay);
  palette.setColor(QPalette::ToolTipText, QB::text);
  palette.setColor(QPalette::Mid, QB::separator);
  palette.setColor(QPalette::Dark, QB::separator);
  palette.setColor(QPalette::Disabled, QPalette::Text, QB::textFaint);
  palette.setColor(QPalette::Disabled, QPalette::WindowText, QB::textFaint);
  palette.setColor(QPalette::Disabled, QPalette::ButtonText, QB::textFaint);
  application.setPalette(palette);
}

}  // namespace qb
