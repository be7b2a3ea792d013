#include "design/QBButtonStyle.h"

#include "design/QB.h"
#include "design/QBButtonBody.h"

namespace qb {

const QFont& QBButtonStyle::font() const {
  return size == Size::small ? QB::Font::labelSmall() : QB::Font::label();
}

QColor QBButtonStyle::fill(bool pressedOrHovered) const {
  switch (kind) {
    case Kind::primary:
      return pressedOrHovered ? QB::fillPrimaryPressed : QB::fillPrimary;
    case Kind::secondary:
      return pressedOrHovered ? QB::fillSecondaryHover : QB::fillSecondary;
    case Kind::plain:
    case Kind::destructive:
      break;
  }
  return Qt::transparent;
}

QColor QBButtonStyle::foreground(bool hovering) const {
  switch (kind) {
    case Kind::primary:
      return Qt::white;
    case Kind::secondary:
      return QB::text;
    case Kind::plain:
      return hovering ? QB::text : QB::textMuted;
    case Kind::destructive:
      return QB::danger;
  }
  return QB::text;
}

QBButtonBody* QBButtonStyle::makeBody(const QString& text, QWidget* parent) const {
  return new QBButtonBody(*this, text, parent);
}

}  // namespace qb
