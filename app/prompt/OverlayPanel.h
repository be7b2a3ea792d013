// OverlayPanel: the window the prompt stands in. It has no frame, stays above other windows, and
// never takes the focus, so the window it covers stays the active one; its keys come to it
// through the overlay's key grab instead (keyPressEvent serves where a test gives it the keys).
// It paints nothing of its own: the OverlayView it holds fills it.

#pragma once

#include <QWidget>
#include <functional>

namespace qb {

class OverlayPanel : public QWidget {
  Q_OBJECT

public:
  explicit OverlayPanel(const QRect& frame);

  std::function<void()> onCancel;  // Esc
  std::function<void()> onBack;    // Ctrl+W: the window-closing key, read as "leave this"

protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace qb
