// QBButtonStyle: how every button of the program is drawn. A primary button is filled with the
// accent blue, a secondary one with translucent white, a plain one is only its label (muted, bright
// under the pointer) and a destructive one only its label in the danger colour. Small buttons are
// 28 pixels high, medium ones 32, whatever the font; a full button takes the width it is offered.
// The colours of each kind in each state are here; QBButtonBody draws them.

#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

namespace qb {

class QBButtonBody;

struct QBButtonStyle {
  enum class Kind { primary, secondary, plain, destructive };
  enum class Size { small, medium };

  // What each size sets.
  struct Metrics {
    int horizontalPadding;
    int height;
    qreal cornerRadius;
  };
  static constexpr Metrics kSmall{12, 28, 6};
  static constexpr Metrics kMedium{14, 32, 8};
  // Letter spacing of every label.
  static constexpr qreal kTracking = 0.2;
  // A disabled button is the enabled one at this opacity, nothing else changed.
  static constexpr qreal kDisabledOpacity = 0.4;
  // How long the look takes to follow the pointer in or out (ease-out); pressing is immediate.
  static constexpr int kHoverMilliseconds = 80;

  Kind kind = Kind::secondary;
  Size size = Size::medium;
  bool full = false;

  const Metrics& metrics() const { return size == Size::small ? kSmall : kMedium; }
  const QFont& font() const;
  // The background: a primary or secondary button pressed looks as it does hovered; plain and
  // destructive buttons have none (transparent) in every state.
  QColor fill(bool pressedOrHovered) const;
  // The label's colour; only a plain button's changes under the pointer.
  QColor foreground(bool hovering) const;

  // A button in this style whose label is `text`.
  QBButtonBody* makeBody(const QString& text, QWidget* parent = nullptr) const;

  friend bool operator==(const QBButtonStyle&, const QBButtonStyle&) = default;
};

}  // namespace qb
