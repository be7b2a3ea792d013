// AppDelegate: the program as it runs on the desktop. It owns the one AppModel for the life of the
// process, starts it, makes the tray item, shows onboarding until the user has finished it once,
// opens the main window on demand and keeps the main menu's commands.
//
// Where no tray holds the item (a desktop with neither a StatusNotifierItem host nor an XEmbed
// tray), the main window opens at launch, on the home page, and closing it minimises it: the
// program is never left running with nothing to click.
//
// On this desktop a program's "main menu" has no bar of its own while it lives in the tray: its
// commands and their shortcuts (Ctrl+, for the settings, Ctrl+Q, Ctrl+H, Ctrl+W, Ctrl+M and the
// edit commands) belong to each of its windows, which take them from mainMenu().
//
// Everything runs on the main thread.

#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "model/AppModel.h"
#include "shell/AppPage.h"

class QMenuBar;
class QWidget;

namespace qb {

class AppWindow;
class StatusItem;

class AppDelegate : public QObject {
  Q_OBJECT

public:
  AppDelegate(AppModel::Services services, std::unique_ptr<Uploader> uploader,
              QObject* parent = nullptr);
  ~AppDelegate() override;

  // Once the event loop runs: the dark appearance, the main menu, the model started, the tray
  // item, the main window when no tray holds the item, and onboarding while the user has not
  // finished it.
  void applicationDidFinishLaunching();
  // The program was started again while it runs: the main window, on the home page.
  void applicationShouldHandleReopen();
  // The main menu's "Settings…": the main window, on the settings page.
  void openSettings();
  // Called as the event loop ends, however it was asked to; returns once the recording session
  // is closed and on disk. First the main window hides, keeping its place in the settings, the
  // learned files handed to the writer reach the disk, and the event log writes what it kept in
  // memory; from then on until the process ends nothing writes the settings or those files again.
  // Then `handOver` runs, where the program gives up its name so that a copy started from then on
  // runs at once: that copy reads all that this one wrote, and nothing this one does later
  // overwrites it. The recording closes last, since that may wait seconds for its check.
  void applicationWillTerminate(const std::function<void()>& handOver = {});
  // The onboarding window, made on first use and kept after it is closed.
  void showOnboarding();

  AppModel& model() { return *model_; }
  QMenuBar* mainMenu() const { return mainMenu_.get(); }
  QWidget* onboarding() const { return onboarding_.get(); }
  StatusItem* statusItem() const { return statusItem_.get(); }
  // The main window's controller, made on first use.
  AppWindow& window();

private:
  // The first step of the quit: what the next copy reads, left as it will read it.
  void saveForNextLaunch();
  void buildMainMenu();
  // Adds the main menu's commands, with their shortcuts, to one of the program's windows.
  void addMainMenu(QWidget& window) const;
  // The main window on `page`, carrying the main menu's commands.
  void showWindow(AppPage page);
  // The sample prompt over the onboarding window; the answer goes nowhere.
  void testPrompt();
  void finishOnboarding();

  std::unique_ptr<AppModel> model_;  // first made, last gone: every view reads it
  std::unique_ptr<AppWindow> window_;
  std::unique_ptr<StatusItem> statusItem_;
  std::unique_ptr<QWidget> onboarding_;
  std::unique_ptr<QMenuBar> mainMenu_;
};

}  // namespace qb
