// AccessRows: the permissions the program needs, one QBRow each, with where each stands and a
// button that asks for it. Shown inside a QBGroup by onboarding and by the settings page.
//
// On this desktop every permission comes down to the accessibility bus (sensing/Permissions.h):
// the first row is the bus itself. Below it, the Chromium family's browsers get one row, titled
// kChromiumTitle, once the model has found one of them installed; Safari has no build here and
// never gets a row, and Firefox, read like any window, needs none. A row's accessory is the
// granted mark ("Allowed"), "Not allowed" with a small button, or what is still needed:
//
//   accessibility   on: granted mark      off: "Allow", then "Retry" once Allow was pressed
//   browser         granted: granted mark once a Chromium window has shown its tabs
//                            (AppModel::tabsShown); until then "Needs accessibility flag"
//                            without a button, its tip naming --force-renderer-accessibility
//                   denied: "Retry"      notDetermined or notInstalled: "Allow"
//
// "Allow" asks for the permission through the model. There is no settings pane to send the user
// to: the bus is switched on by asking, so "Retry" asks once more. The bus alone does not make a
// Chromium publish its tabs, and only the user can start it with the flag: that need has no
// button.
//
// The rows follow AppModel::changed() for accessibility, automation and tabsShown. The browsers'
// access is the bus's switch, so when the bus's state changes the rows ask the model to check the
// browsers again rather than leave their rows behind.

#pragma once

#include <QString>
#include <QWidget>

namespace qb {

class AppModel;
class QBRow;
class QBSeparator;

class AccessRows : public QWidget {
  Q_OBJECT

public:
  // The row that stands for Chromium, Chrome, Brave, Edge and Vivaldi alike.
  static const QString kChromiumTitle;

  // The model must outlive the rows.
  explicit AccessRows(AppModel& model, QWidget* parent = nullptr);

  // Whether "Allow" was pressed for accessibility while these rows live.
  bool askedAccessibility() const { return askedAccessibility_; }

private:
  class State;

  // Brings every row in line with the model.
  void showState();
  void accessibilityPressed();
  void browserPressed();

  AppModel& model_;
  bool askedAccessibility_ = false;
  State* accessibility_;  // children of the rows below; live as long as this widget
  State* browser_;
  QBSeparator* browserSeparator_;
  QBRow* browserRow_;
};

}  // namespace qb
