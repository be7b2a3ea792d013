#include "shell/AppWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include "shell/WindowContent.h"

namespace qb {

namespace {

const char* const kTitle = "Quillbrook";

}  // namespace

AppWindow::AppWindow(AppModel& model, QObject* parent) : QObject(parent), model_(model) {}

AppWindow::~AppWindow() = default;

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
    // Hidden, the window could be found again only by starting the program a second time.
    event->ignore();
    window_->showMinimized();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

std::unique_ptr<WindowContent> AppWindow::makeWindow() {
  auto window = std::make_unique<WindowContent>(model_, navigation_);
  window->setWindowTitle(QString::fromUtf8(kTitle));
  window->setMinimumSize(kMinimumSize);
  window->resize(kSize);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(), kSize);
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
  }
  window->installEventFilter(this);
  return window;
}

}  // namespace qb
