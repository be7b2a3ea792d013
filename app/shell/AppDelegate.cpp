#include "shell/AppDelegate.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QVBoxLayout>
#include <exception>

#include "base/Log.h"
#include "design/Appearance.h"
#include "design/QB.h"
#include "prompt/Overlay.h"
#include "recording/SystemInfo.h"
#include "sensing/Prefs.h"
#include "shell/AppWindow.h"
#include "shell/OnboardingView.h"
#include "shell/StatusItem.h"
#include "shell/WindowContent.h"

namespace qb {
namespace {

// What the onboarding view is offered to size itself in: more than it ever takes.
constexpr int kOnboardingOffer = 2000;
// Marks a window that carries the main menu's commands already.
constexpr const char* kHasMainMenu = "qbHasMainMenu";

// Sends an edit command to the widget that has the keyboard focus, the way a key would; widgets
// without that command ignore it.
void editFocused(const char* command) {
  if (QWidget* focused = QApplication::focusWidget()) {
    QMetaObject::invokeMethod(focused, command);
  }
}

}  // namespace

AppDelegate::AppDelegate(AppModel::Services services, std::unique_ptr<Uploader> uploader,
                         QObject* parent)
    : QObject(parent),
      model_(std::make_unique<AppModel>(std::move(services), std::move(uploader))) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
  if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance())) {
    applyDarkAppearance(*application);
  }
  buildMainMenu();
  model_->start();
  statusItem_ = std::make_unique<StatusItem>(*model_, [this](AppPage page) { showWindow(page); });
  // With no tray to click, the window is the way in; onboarding, when due, opens over it.
  if (!statusItem_->isInTray()) showWindow(AppPage::home);
  // Settings the system refuses to read answer with the defaults, which say nobody onboarded yet:
  // the user may well have been, so onboarding waits for a start that can read them.
  if (!model_->prefs().onboarded() &&
      !model_->unsaved().contains(AppModel::Unsaved::unreadSettings)) {
    showOnboarding();
  }
}

void AppDelegate::applicationShouldHandleReopen() { showWindow(AppPage::home); }

void AppDelegate::openSettings() { showWindow(AppPage::settings); }

void AppDelegate::showWindow(AppPage page) {
  window().show(page);
  // The main menu's shortcuts work in the window from its first showing on.
  QWidget* shown = window_->window();
  if (shown && mainMenu_ && !shown->property(kHasMainMenu).toBool()) {
    addMainMenu(*shown);
    shown->setProperty(kHasMainMenu, true);
  }
}

void AppDelegate::addMainMenu(QWidget& window) const {
  for (QMenu* menu : mainMenu_->findChildren<QMenu*>()) window.addActions(menu->actions());
}

void AppDelegate::saveForNextLaunch() {
  // Left open, the window would keep its place only as it is destroyed, after the next copy may
  // have started; hidden now, it keeps it at once.
  if (window_ && window_->window()) window_->window()->hide();
  model_->flushMemoryFiles();
  // Before the name goes, like the files above: the next copy reads the event log as soon as it
  // runs, and logs into it. Written later, this run's events would be missing from what it shows,
  // and a deletion of the log that waited would take that copy's events with ours. The try waits
  // at most the store's busy timeout for a lock, so the hand-over is not held up for long.
  model_->flushEventLog();
}

void AppDelegate::applicationWillTerminate(const std::function<void()>& handOver) {
  saveForNextLaunch();
  if (handOver) handOver();
  try {
    model_->stopRecording().get();
  } catch (const std::exception& error) {
    log::error(std::string("The recording was not closed cleanly: ") + error.what());
  }
}

AppWindow& AppDelegate::window() {
  if (!window_) {
    window_ = std::make_unique<AppWindow>(*model_);
    window_->setTrayHoldsIcon([this] { return statusItem_ && statusItem_->isInTray(); });
  }
  return *window_;
}

void AppDelegate::buildMainMenu() {
  mainMenu_ = std::make_unique<QMenuBar>();
  const auto command = [](QMenu* menu, const QString& title, QKeySequence keys, auto perform) {
    QAction* action = menu->addAction(title);
    action->setShortcut(keys);
    QObject::connect(action, &QAction::triggered, action, perform);
    return action;
  };

  QMenu* program = mainMenu_->addMenu(QStringLiteral("Quillbrook"));
  command(program, QStringLiteral("About Quillbrook"), QKeySequence(), [] {
    QMessageBox::about(
        QApplication::activeWindow(), QStringLiteral("About Quillbrook"),
        QStringLiteral("Quillbrook ") + QString::fromStdString(SystemInfo::appVersion()));
  });
  program->addSeparator();
  command(program, QStringLiteral("Settings\u2026"), QKeySequence(Qt::CTRL | Qt::Key_Comma),
          [this] { openSettings(); });
  program->addSeparator();
  command(program, QStringLiteral("Hide Quillbrook"), QKeySequence(Qt::CTRL | Qt::Key_H), [] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->isVisible() && window->isWindow()) window->hide();
    }
  });
  command(program, QStringLiteral("Quit Quillbrook"), QKeySequence(Qt::CTRL | Qt::Key_Q),
          [] { QCoreApplication::quit(); });

  QMenu* edit = mainMenu_->addMenu(QStringLiteral("Edit"));
  command(edit, QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
          [] { editFocused("undo"); });
  command(edit, QStringLiteral("Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
          [] { editFocused("redo"); });
  edit->addSeparator();
  command(edit, QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X),
          [] { editFocused("cut"); });
  command(edit, QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
          [] { editFocused("copy"); });
  command(edit, QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V),
          [] { editFocused("paste"); });
  command(edit, QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A),
          [] { editFocused("selectAll"); });

  QMenu* windows = mainMenu_->addMenu(QStringLiteral("Window"));
  command(windows, QStringLiteral("Minimize"), QKeySequence(Qt::CTRL | Qt::Key_M), [] {
    if (QWidget* window = QApplication::activeWindow()) window->showMinimized();
  });
  command(windows, QStringLiteral("Close"), QKeySequence(Qt::CTRL | Qt::Key_W), [] {
    if (QWidget* window = QApplication::activeWindow()) window->close();
  });
}

void AppDelegate::showOnboarding() {
  if (!onboarding_) {
    onboarding_ = std::make_unique<QWidget>(
        nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    onboarding_->setWindowTitle(QStringLiteral("Quillbrook"));
    QPalette palette = onboarding_->palette();
    palette.setColor(QPalette::Window, QB::nsBgBase);
    onboarding_->setPalette(palette);
    onboarding_->setAutoFillBackground(true);
    auto* view = new OnboardingView(
        *model_, [this] { testPrompt(); }, [this] { finishOnboarding(); }, onboarding_.get());
    auto* layout = new QVBoxLayout(onboarding_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    const QSize wanted = view->sizeHint().boundedTo(QSize(kOnboardingOffer, kOnboardingOffer));
    onboarding_->setFixedSize(wanted);
    if (mainMenu_) addMainMenu(*onboarding_);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect frame(QPoint(), wanted);
      frame.moveCenter(screen->availableGeometry().center());
      onboarding_->move(frame.topLeft());
    }
  }
  onboarding_->show();
  onboarding_->raise();
  onboarding_->activateWindow();
}

void AppDelegate::testPrompt() {
  if (!onboarding_) return;
  // One sample at a time: a second press replaces the first.
  model_->overlay().close();
  model_->testPrompt(onboarding_->frameGeometry());
}

void AppDelegate::finishOnboarding() {
  model_->prefs().setOnboarded(true);
  if (onboarding_) onboarding_->close();
}

}  // namespace qb
