// SitesPage: the main window's "Sites and apps" page: the lists the user keeps of what the program
// leaves alone, and the answers it learned from.
//
// Four sections and two notices, one under the other:
//   "Allowed for now"  the allowances still running (AppModel::allowed), each with its time left;
//                      absent while none runs. An allowance that runs out while the page is shown
//                      goes at the next refresh(), which runs every kRefreshInterval.
//   a notice           while the settings are unread (AppModel::unsaved): that the user's own lists
//                      are not shown yet, that what is added or removed meanwhile is applied to
//                      them once they read, and that until then no app or site is looked at.
//   "Ignored"          the excluded applications that are installed, then the excluded sites, then
//                      "Add app…" and "Add site". An excluded application that is not installed is
//                      not listed, and stays in the settings.
//   "Never interrupt"  the sites that are watched but never interrupted, then "Add site".
//   "Your answers"     the user's answers, newest first, each with what it said; "None" without.
//   a notice           while what the program learns is unsaved (AppModel::unsaved): that a learned
//                      file cannot be read for now and replaces what is learned meanwhile once it
//                      reads; else that it cannot be saved for now and is kept until it can be.
//
// The lists are the settings' own (Prefs::excludedApps, excludedSites, neverInterrupt), shown in
// the order they were added and changed in place at once: an entry is never added twice (exact
// comparison) and removing takes out every equal entry. Forgetting an answer goes through
// AppModel::forgetAnswer(); the list shrinks once the model has forgotten it. Nothing on the page
// reports an error: text that names no site, a cancelled choice and an entry already listed leave
// the lists as they were.
//
// Applications are the desktop's installed entries (DesktopEntries): an application's name is its
// entry's Name, and "Add app…" lets the user choose a .desktop file in one of the applications
// folders, whose desktop-file id is what the settings keep.
//
// Main thread only. The model must outlive the page.

#pragma once

#include <QString>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "base/Date.h"
#include "base/HostName.h"
#include "platform/DesktopEntries.h"
#include "shell/PageChrome.h"

class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace qb {

class AppModel;
class Navigation;
class Prefs;
class WallClock;

class SitesPage : public Page {
  Q_OBJECT

public:
  // How often the running allowances are looked at again, so that one that ran out goes.
  static constexpr std::chrono::seconds kRefreshInterval{60};

  // The page links nowhere: the navigation is not kept.
  SitesPage(AppModel& model, Navigation& navigation, QWidget* parent = nullptr);

  // The clock the allowances' time left is counted on; the system's by default. Must outlive the
  // page.
  void setClock(const WallClock& clock);

  // What "Add app…" asks: the desktop entry file the user chose, none when they cancelled. By
  // default a modal file dialog over the applications folders.
  using ApplicationChooser = std::function<std::optional<std::filesystem::path>(QWidget* parent)>;
  void setApplicationChooser(ApplicationChooser chooser);

  // Shows again what depends on the time: the running allowances and their time left.
  void refresh();

  // The add commands of the page's buttons and fields.
  void addApp();
  void addSite();
  void addQuiet();

  // The notices that the user's lists are unread, and that what is learned is not saved for now;
  // each hidden while it does not apply.
  const QLabel& listsNotice() const { return *listsNotice_; }
  const QLabel& learnedNotice() const { return *learnedNotice_; }

  // The installed application's name, none when no application has that desktop-file id.
  std::optional<QString> app(const std::string& bundleID) const;
  // The time left of an allowance: under a day as Format::duration gives it ("45m", "5h 0m"),
  // under two days as "1d 6h", else whole days ("2d", "30d").
  static QString left(Duration seconds);
  // The site typed text names: trimmed (a pasted line break too), lower case, without a scheme,
  // port, path or "www.", a name in another script in its ASCII form; or why it names none.
  static HostName::Checked host(const QString& typed);
  // The desktop-file id of a .desktop file under one of `folders` (the applications folders);
  // none for a file under none of them.
  static std::optional<std::string> desktopFileID(
      const std::filesystem::path& file, const std::vector<std::filesystem::path>& folders);

private:
  // An add row's view state: whether it is open and what has been typed in it. Esc closes it and
  // keeps the text for the next opening; Return adds and clears it.
  struct Adding {
    bool open = false;
    QString text;
    QString refusal;  // why the text typed last was not added; shown under the field
  };

  void showUnsaved();
  void showAllowed();
  void showIgnored();
  void showQuiet();
  void showAnswers();
  // The row that takes a site for `adding`; `submit` runs on Return, `reshow` redraws its section.
  QWidget* addRow(Adding& adding, void (SitesPage::*submit)(), void (SitesPage::*reshow)());
  void add(Adding& adding, const std::vector<std::string>& list,
           void (Prefs::*append)(std::string));

  AppModel& model_;
  const WallClock* clock_;
  ApplicationChooser chooser_;
  DesktopEntries entries_;
  Adding addingSite_;
  Adding addingQuiet_;
  // The sections, each refilled whole when what it shows changes.
  QWidget* allowed_;
  QWidget* ignored_;
  QWidget* quiet_;
  QWidget* answers_;
  QLabel* listsNotice_;
  QLabel* learnedNotice_;
  QTimer refresher_;
};

}  // namespace qb
