#include "prompt/OverlayPanel.h"

#include <QKeyEvent>

namespace qb {

OverlayPanel::OverlayPanel(const QRect& frame)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_X11DoNotAcceptFocus);
  setGeometry(frame);
}

void OverlayPanel::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (modifiers == Qt::NoModifier && event->key() == Qt::Key_Escape) {
    if (onCancel) onCancel();
    return;
  }
  if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_W) {
    if (onBack) onBack();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace qb
