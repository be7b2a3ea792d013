// SettingsPage: the main window's page of the user's settings and of the recorded data. From the
// top, in the page chrome:
//
//   a notice       while the settings are unsaved (AppModel::unsaved): that they cannot be read
//                  (the defaults show) or saved for now, and are lost if the program quits first
//   a notice       while the recording is unsaved: that it cannot be saved for now; here rather
//                  than by the recording's counts, which lie below the first screen
//   "General"      Launch at login (switch), Break length (5m, 15m, 30m, 1h)
//   "Prompts"      Prompt on chat (switch), Wait for coding agents (switch), then a note
//   "Permissions"  AccessRows, its symbol a shield that says whether everything is allowed; a note
//   "Data"         Keep history (1, 7 or 30 days), Record data (switch), and, as they apply:
//                  the sharing switch (recording on and a sharing server built in), the count of
//                  moments shared with a delete button (a server and at least one shared), the
//                  counts of moments recorded and labelled (none until the recording has
//                  been counted) with "Export…" and a delete button (recording on or anything
//                  recorded); the sharing note with the sharing switch
//   last line      "Delete all data", then the program's version
//
// Settings are written through Prefs; recording, sharing, export and every deletion go through
// AppModel's commands. Each deletion asks first and goes ahead only on "Delete". Exporting asks for
// a folder and writes the recording into a folder named kExportFolderName inside it, then tells the
// user whether it worked: a failed export is never silent.
//
// Each time the page is shown it reads the login item's state and asks the model to check the
// browsers and to count the recording again.
//
// The questions the page puts to the user are Dialogs, so that tests can answer them; by default
// each deletion asks through a ConfirmDialog, and an export through the desktop's folder chooser
// and message boxes.
//
// The model must outlive the page. Main thread only.

#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "design/QBButtonBody.h"
#include "shell/PageChrome.h"

class QButtonGroup;
class QLabel;

namespace qb {

class AppModel;
class AccessRows;
class Navigation;
class QBGroup;
class QBRow;
class QBSeparator;
class SettingSwitch;

// A row of mutually exclusive choices, one segment each, as wide as it is told. Shows the value it
// is given; a click on a segment emits chosen() with that segment's value.
class SegmentedPicker : public QWidget {
  Q_OBJECT

public:
  using Segment = std::pair<QString, qint64>;  // its text, its value

  static constexpr int kHeight = 24;
  static constexpr int kInset = 2;  // between the track and the selected segment
  static constexpr qreal kCornerRadius = 6;

  // name: what assistive technologies call the picker (its row's title).
  SegmentedPicker(const QString& name, const std::vector<Segment>& segments, int width,
                  QWidget* parent = nullptr);

  // Selects the segment of that value; none for a value no segment has.
  void setValue(qint64 value);
  // The segments' buttons, in order.
  std::vector<QAbstractButton*> segments() const;

  QSize sizeHint() const override;

signals:
  void chosen(qint64 value);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  std::vector<qint64> values_;
  QButtonGroup* group_;  // owned by the widget
  int width_;
};

// The question the page puts before each deletion, in the program's own look whatever the
// desktop's: on the page's background, the warning symbol and the question ("Delete all data?"),
// then "Cancel" and a destructive "Delete". The question is also the window's title. Cancel has
// the focus at first: Return answers with the button that has the focus, Esc and closing the
// window answer no. The dialog takes its colours from the design's tokens itself, so it is dark
// wherever it is shown.
//
// A window manager writes the title in a font of its own, which a program cannot ask for, beside
// the frame's icon and buttons. The dialog is kWidth wide, or wider where the title needs more:
// its width in a bold font of the heading's size, larger than the title fonts of the common
// window managers, and kTitleBarRoom for what stands beside it.
class ConfirmDialog : public QDialog {
  Q_OBJECT

public:
  static constexpr int kWidth = 340;
  static constexpr int kPadding = 20;        // around the content
  static constexpr int kSymbolSide = 28;     // the warning symbol
  static constexpr int kSymbolSpacing = 12;  // symbol to question
  static constexpr int kButtonSpacing = 8;
  static constexpr int kTitleBarRoom = 120;  // the frame's icon and buttons beside the title

  explicit ConfirmDialog(const QString& question, QWidget* parent = nullptr);

  // The least width at which a window manager writes `title` whole, as far as a program can tell.
  static int titleWidth(const QString& title);

  QAbstractButton* deleteButton() const { return delete_; }
  QAbstractButton* cancelButton() const { return cancel_; }
  const QString& question() const { return question_; }

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  QString question_;
  QBButtonBody* cancel_;  // children of the dialog
  QBButtonBody* delete_;
};

class SettingsPage : public Page {
  Q_OBJECT

public:
  // Break lengths offered, in minutes, and history lengths, in days.
  static constexpr std::array<qint64, 4> kBreakLengths = {5, 15, 30, 60};
  static constexpr std::array<qint64, 3> kHistoryLengths = {1, 7, 30};
  static constexpr int kBreakPickerWidth = 180;
  static constexpr int kHistoryPickerWidth = 200;
  // Between a group and its note.
  static constexpr int kNoteSpacing = 8;
  static constexpr int kDeleteButtonSide = 20;
  static const QString kExportFolderName;

  struct Dialogs {
    // Asks whether to delete what `title` names ("Delete recording?"); true only for "Delete".
    std::function<bool(QWidget* parent, const QString& title)> confirm;
    // The folder to export into; none when the user cancels.
    std::function<std::optional<std::filesystem::path>(QWidget* parent)> chooseFolder;
    // Tells the user how an export ended.
    std::function<void(QWidget* parent, bool failed, const QString& text)> tell;
  };
  // A ConfirmDialog for each deletion, message boxes to tell how an export ended, the desktop's
  // folder chooser.
  static Dialogs desktopDialogs();

  // The navigation is not used: the page links nowhere.
  SettingsPage(AppModel& model, Navigation& navigation, QWidget* parent = nullptr);

  void setDialogs(Dialogs dialogs) { dialogs_ = std::move(dialogs); }

  // Whether the permissions the rows show are all granted: accessibility, and every browser the
  // model has found installed.
  static bool allAllowed(const AppModel& model);
  // The symbol the "Permissions" header shows now.
  const QString& permissionsSymbol() const { return permissionsSymbol_; }

  // The controls, for tests.
  SettingSwitch* launchAtLoginSwitch() const { return launchAtLogin_; }
  SegmentedPicker* breakPicker() const { return breakPicker_; }
  SettingSwitch* promptOnChatSwitch() const { return promptOnChat_; }
  SettingSwitch* waitForAgentsSwitch() const { return waitForAgents_; }
  SegmentedPicker* historyPicker() const { return historyPicker_; }
  SettingSwitch* recordSwitch() const { return record_; }
  QBRow* recordedRow() const { return recordedRow_; }
  QAbstractButton* deleteSharedButton() const { return deleteShared_; }
  QAbstractButton* exportButton() const { return export_; }
  QAbstractButton* deleteRecordingButton() const { return deleteRecording_; }
  QAbstractButton* deleteAllButton() const { return deleteAll_; }
  QBGroup* permissionsGroup() const { return permissions_; }
  // The notices of unsaved settings and of an unsaved recording; hidden while all is saved.
  QLabel* settingsNotice() const { return settingsNotice_; }
  QLabel* recordingNotice() const { return recordingNotice_; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  QWidget* general();
  QWidget* prompts();
  QWidget* permissionsBlock();
  QWidget* data();
  QWidget* lastLine();

  // Makes the "Permissions" group again when its symbol must change, keeping the same rows.
  void showPermissions();
  // Brings the rows of "Data" that come and go, their counts and its note in line with the model.
  void showData();
  // Shows or hides the notices of what is unsaved.
  void showUnsaved();
  void exportRecording();
  // Runs `command` once the user has confirmed the deletion `title` names.
  void confirmThen(const QString& title, const std::function<void()>& command);

  AppModel& model_;
  Dialogs dialogs_ = desktopDialogs();
  QString permissionsSymbol_;

  // Children of the page; they live as long as it does.
  QLabel* settingsNotice_;
  QLabel* recordingNotice_;
  SettingSwitch* launchAtLogin_;
  SegmentedPicker* breakPicker_;
  SettingSwitch* promptOnChat_;
  SettingSwitch* waitForAgents_;
  QWidget* permissionsBlock_;
  QBGroup* permissions_ = nullptr;
  AccessRows* accessRows_;
  SegmentedPicker* historyPicker_;
  SettingSwitch* record_;
  QBSeparator* sharingSeparator_;
  QBRow* sharingRow_;
  QBSeparator* sharedSeparator_;
  QBRow* sharedRow_;
  QAbstractButton* deleteShared_;
  QBSeparator* recordedSeparator_;
  QBRow* recordedRow_;
  QBButtonBody* export_;
  QAbstractButton* deleteRecording_;
  QLabel* dataNote_;
  QBButtonBody* deleteAll_;
  QLabel* version_;
};

}  // namespace qb
