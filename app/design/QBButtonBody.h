// QBButtonBody: one button drawn in a QBButtonStyle. Its label is a text and, optionally, a keycap
// after it, centred and kept on one line (elided when the button is too narrow). The whole
// rectangle, padding included, takes clicks. Hovering fades in over kHoverMilliseconds; pressing
// shows at once; disabled, the button is drawn the same at 40 % opacity.

#pragma once

#include <QAbstractButton>
#include <QVariantAnimation>

#include "design/QBButtonStyle.h"

namespace qb {

class QBButtonBody : public QAbstractButton {
  Q_OBJECT

public:
  // The gap between the text and the keycap.
  static constexpr int kLabelSpacing = 8;

  QBButtonBody(QBButtonStyle style, const QString& text, QWidget* parent = nullptr);

  const QBButtonStyle& buttonStyle() const { return style_; }
  // Shows a keycap with `glyph` after the text; an empty glyph removes it.
  void setKeycap(const QString& glyph);
  const QString& keycap() const { return keycap_; }

  bool isHovering() const { return hovering_; }
  // The colours drawn now: the style's, between rest and hover while the hover animates.
  QColor fill(bool pressed) const;
  QColor foreground() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void setHovering(bool hovering);
  int labelWidth() const;

  QBButtonStyle style_;
  QString keycap_;
  bool hovering_ = false;
  QVariantAnimation hover_;  // 0 at rest, 1 fully hovered
};

}  // namespace qb
