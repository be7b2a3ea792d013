#include "shell/AppWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "model/AppModel.h"
#include "sensing/Prefs.h"
#include "shell/WindowContent.h"

namespace qb {

namespace {

const char* const kTitle = "Quillbrook";

// A window can be grabbed and moved while a square this size of the strip along its top lies on a
// screen.
constexpr int kGrip = 48;

bool reachable(const QRect& frame) {
  const QRect top(frame.left(), frame.top(), frame.width(), kGrip);
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect seen = top.intersected(screen->availableGeometry());
    if (seen.width() >= kGrip && seen.height() >= kGrip) return true;
  }
  return false;
}

}  // namespace

AppWindow::AppWindow(AppModel& model, QObject* parent) : QObject(parent), model_(model) {}

AppWindow::~AppWindow() {
  if (!window_) return;
  // Quitting with the window open closes nothing: its place is kept here instead.
  if (window_->isVisible()) saveFrame();
  // The window hides as it goes, and this object is half gone by then.
  window_->removeEventFilter(this);
}

void AppWindow::saveFrame() { model_.prefs().setWindowFrame(window_->normalGeometry()); }

void AppWindow::show(AppPage page) {
  if (!window_) window_ = makeWindow();
  navigation_.setPage(page);
  window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
  // Mapping a hidden window again puts it on the desktop the user is on now.
  window_->show();
  window_->raise();
  window_->activateWindow();
}

bool AppWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_.get() && event->type() == QEvent::Close && trayHoldsIcon_ &&
      !trayHoldsIcon_()) {
    // Hidden, the window could be found again only by starting the program a second time, so it
    // comes back minimised once the close is done. The close itself is let through: a quit closes
    // every window first and gives up on a window that refuses, and a quit ends the event loop
    // before this comes back.
    QTimer::singleShot(0, this, [this] {
      if (window_ && !window_->isVisible()) window_->showMinimized();
    });
  }
  if (watched == window_.get() && event->type() == QEvent::Hide) saveFrame();
  return QObject::eventFilter(watched, event);
}

std::unique_ptr<WindowContent> AppWindow::makeWindow() {
  auto window = std::make_unique<WindowContent>(model_, navigation_);
  window->setWindowTitle(QString::fromUtf8(kTitle));
  window->setMinimumSize(kMinimumSize);
  const std::optional<QRect>& saved = model_.prefs().windowFrame();
  if (saved && reachable(*saved)) {
    window->setGeometry(*saved);
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    // First launch, or a place on a screen that is gone: the size kept, centred where it shows.
    const QRect available = screen->availableGeometry();
    QRect frame(QPoint(), saved ? saved->size().boundedTo(available.size()) : kSize);
    frame.moveCenter(available.center());
    window->resize(frame.size());
    window->move(frame.topLeft());
  } else {
    window->resize(kSize);
  }
  window->installEventFilter(this);
  return window;
}

}  // namespace qb
