#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/model/ModelHarness.h"
#include "design/QBButtonBody.h"
#include "design/QBGroup.h"
#include "design/QBRow.h"
#include "design/QBSeparator.h"
#include "model/AppModel.h"
#include "recording/MomentRecord.h"
#include "recording/Recorder.h"
#include "recording/SystemInfo.h"
#include "sensing/Prefs.h"
#include "shell/AccessRows.h"
#include "shell/AppWindow.h"
#include "shell/Navigation.h"
#include "shell/SelectedPage.h"
#include "shell/SettingsPage.h"
#include "shell/SharingRow.h"
#include "shell/WindowContent.h"

namespace qb {

// The settings page on a model of the fake platform, its recording in the test's own folder. The
// tests set the model's state as its own setters do, answer the page's dialogs themselves and act
// only through the page's controls.
class SettingsPageTest : public testing::Test, protected test::ModelHarness {
protected:
  using Property = AppModel::Property;

  SettingsPageTest() : model(services(home / "Quillbrook")), page(model, navigation) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    page.setDialogs({[this](QWidget*, const QString& title) {
                       asked << title;
                       return answer;
                     },
                     [this](QWidget*) { return folder; },
                     [this](QWidget*, bool failed, const QString& text) {
                       told << (failed ? "failed: " : "done: ") + text;
                     }});
    page.resize(860, 1100);
  }
  ~SettingsPageTest() override { QLocale::setDefault(savedLocale); }

  void setSharingAvailable(bool available) {
    model.assign(model.sharingAvailable_, available, Property::sharingAvailable);
  }
  void setShared(int64_t count) { model.setShared(count); }
  void setUnsaved(AppModel::Unsaved kind, bool waiting) { model.setUnsaved(kind, waiting); }
  void retrySaving() { model.retrySaving(); }
  void setRecorded(int64_t moments, int64_t labelled) { model.setRecorded({moments, labelled}); }
  void setAccess(bool granted) { model.setAccessibility(granted); }
  void forgetBrowsers() { model.automation_.clear(); }
  void ask() {
    const Moment moment(7, wallClock.now(), "Videos", "org.example.Videos", "A talk",
                        Url::parse("https://video.example/watch"));
    model.assign(model.question_, std::optional<DailyQuestion::Page>({moment, 600}),
                 Property::question);
  }
  void setBrowser(BrowserKind kind, Access access) {
    auto automation = model.automation_;
    automation[kind] = access;
    model.assign(model.automation_, std::move(automation), Property::automation);
  }

  // What the page shows, top to bottom: "[header]" for a group, a row's title with its control
  // (":on"/":off" for a switch, the segments with the chosen one starred, the buttons' texts),
  // "---" for a separator, "note: " and its text, and the texts of the last line.
  QStringList describe() const {
    QStringList lines;
    describe(*page.column(), lines);
    return lines;
  }
  // In the order of the layouts, which is the order on screen.
  void describe(const QWidget& widget, QStringList& lines) const {
    QLayout* layout = widget.layout();
    for (int index = 0; layout != nullptr && index < layout->count(); ++index) {
      QWidget* each = layout->itemAt(index)->widget();
      if (each == nullptr || !each->isVisibleTo(&page)) continue;
      if (auto* group = qobject_cast<QBGroup*>(each)) {
        lines << "[" + group->header().value_or("") + "]";
        describe(*group, lines);
      } else if (auto* row = qobject_cast<QBRow*>(each)) {
        lines << row->title() + control(row->accessory());
      } else if (qobject_cast<QBSeparator*>(each)) {
        lines << "---";
      } else if (auto* note = qobject_cast<Footer*>(each)) {
        lines << "note: " + note->text();
      } else if (auto* label = qobject_cast<QLabel*>(each)) {
        lines << label->text();
      } else if (auto* button = qobject_cast<QAbstractButton*>(each)) {
        lines << button->text();
      } else {
        describe(*each, lines);
      }
    }
  }
  QString control(QWidget* accessory) const {
    if (auto* toggle = qobject_cast<SettingSwitch*>(accessory)) {
      return toggle->isChecked() ? ":on" : ":off";
    }
    if (auto* picker = qobject_cast<SegmentedPicker*>(accessory)) {
      QStringList segments;
      for (QAbstractButton* segment : picker->segments()) {
        segments << segment->text() + (segment->isChecked() ? "*" : "");
      }
      return ": " + segments.join(" ");
    }
    if (page.recordedRow() != nullptr && accessory == page.recordedRow()->accessory()) {
      return ": " + page.exportButton()->text() + " | " + page.deleteRecordingButton()->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(accessory)) return ": " + button->text();
    return QString();
  }
  // The rows of "Data" alone, between its header and the last line.
  QStringList dataBlock() const {
    const QStringList all = describe();
    const qsizetype start = all.indexOf("[Data]");
    const qsizetype end = all.indexOf("Delete all data");
    return all.mid(start + 1, end - start - 1);
  }

  static void click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  static void choose(SegmentedPicker* picker, const QString& text) {
    for (QAbstractButton* segment : picker->segments()) {
      if (segment->text() == text) return click(segment);
    }
    ADD_FAILURE() << "no segment " << text.toStdString();
  }
  // Runs what the model hands back to the main thread until `done` holds.
  template <typename Done>
  bool eventually(Done done) {
    for (int i = 0; i < 100 && !done(); ++i) {
      if (main.awaitTask(std::chrono::seconds(1))) main.runAll();
    }
    return done();
  }
  // One moment in the recording, written to disk.
  void recordMoment() {
    const Moment moment(3, wallClock.now(), "Editor", "editor", "notes", std::nullopt);
    model.recorder_->begin(MomentRecord(moment), InputCounts{});
    model.recorder_->end(wallClock.now(), InputCounts{});
    model.recorder_->flush().wait();
  }
  // Moments `id` in the recording, one after another, those in `labelled` labelled as the answer to
  // the daily question labels them; written to disk.
  void recordMoments(int count, const std::vector<uint64_t>& labelled) {
    for (uint64_t id = 1; id <= static_cast<uint64_t>(count); ++id) {
      const Moment moment(id, wallClock.now(), "Editor", "editor", "notes", std::nullopt);
      model.recorder_->begin(MomentRecord(moment), InputCounts{});
      timers.advance(60);
    }
    model.recorder_->end(wallClock.now(), InputCounts{});
    for (uint64_t id : labelled)
      model.recorder_->label("work", id, "question", std::nullopt, wallClock.now());
    model.recorder_->flush().wait();
  }
  // Opens the recording, as turning recording on does.
  void startRecording() {
    model.prefs().setRecording(false);
    model.setRecording(true);
  }
  // Closes the recording, so that the next count opens it anew and waits for its check, as the
  // first count after launch does.
  void closeRecording() { model.recorder_.reset(); }
  // Another program holding the recording, which the recorder then cannot check or read.
  static std::shared_ptr<sqlite3> holdRecording() {
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open(AppModel::recordingURL().c_str(), &raw);
    std::shared_ptr<sqlite3> held(raw, sqlite3_close);
    EXPECT_EQ(opened, SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(raw, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    return held;
  }
  static bool logged(const test::LogCapture& log, const std::string& line) {
    const std::vector<std::string> lines = log.lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }

  static void save(QWidget& widget, const QString& name) {
    ASSERT_TRUE(widget.grab().save(QStringLiteral(QB_SCREENSHOTS) + "/" + name));
  }

  // More than enough rounds of events for a window's layout to settle.
  static constexpr int kLayoutRounds = 10;

  // Before the model, which looks for installed browsers where these say.
  const QLocale savedLocale;
  bool placed = [this] {
    environment.set("XDG_DATA_HOME", (home / "data").string());
    // No browser installed unless a test says so.
    environment.set("XDG_DATA_DIRS", (home / "system").string());
    return true;
  }();
  AppModel model;
  Navigation navigation;
  SettingsPage page;
  bool answer = false;
  QStringList asked;
  std::optional<std::filesystem::path> folder;
  QStringList told;
};

namespace {

const QString kChat =
    "note: Chat is WhatsApp, Telegram, Signal, Discord and direct messages, not Slack, Teams or "
    "email. With agents, prompts wait until yours is done.";
const QString kSees = "note: Sees app, window, tab and agent session names, never your prompts.";
const QString kHelps =
    "note: Helps improve Quillbrook. Never sends page text, messages or passwords.";
const QString kRecordedActions = ": Export… | Delete recording";

TEST_F(SettingsPageTest, ShowsItsFiveBlocksInOrder) {
  EXPECT_EQ(describe(),
            (QStringList{"[General]",
                         "Launch at login:off",
                         "---",
                         "Break length: 5m* 15m 30m 1h",
                         "[Prompts]",
                         "Prompt on chat:off",
                         "---",
                         "Wait for coding agents:off",
                         kChat,
                         "[Permissions]",
                         "Accessibility",
                         kSees,
                         "[Data]",
                         "Keep history: 1 day 7 days* 30 days",
                         "---",
                         "Record data:on",
                         "---",
                         kRecordedActions,
                         "Delete all data",
                         QString::fromStdString("Version " + SystemInfo::appVersion())}));
}

TEST_F(SettingsPageTest, DataRowsFollowRecordingSharingAndTheCounts) {
  const QString recordedRow = "1,204 recorded, 37 labelled: Export… | Delete recording";
  {
    SCOPED_TRACE("recording off, nothing recorded");
    model.setRecording(false);
    EXPECT_EQ(dataBlock(),
              (QStringList{"Keep history: 1 day 7 days* 30 days", "---", "Record data:off"}));
  }
  {
    SCOPED_TRACE("recording on, sharing available, nothing shared");
    model.setRecording(true);
    setSharingAvailable(true);
    setRecorded(1204, 37);
    EXPECT_EQ(dataBlock(),
              (QStringList{"Keep history: 1 day 7 days* 30 days", "---", "Record data:on", "---",
                           "Share usage data:off", "---", recordedRow, kHelps}));
  }
  {
    SCOPED_TRACE("exactly one moment shared");
    setShared(1);
    EXPECT_EQ(dataBlock(),
              (QStringList{"Keep history: 1 day 7 days* 30 days", "---", "Record data:on", "---",
                           "Share usage data:off", "---", "1 shared: Delete shared data", "---",
                           recordedRow, kHelps}));
    EXPECT_TRUE(page.deleteSharedButton()->isVisibleTo(&page));
  }
  {
    SCOPED_TRACE("moments shared, then recording off");
    setShared(2500);
    model.setRecording(false);
    EXPECT_EQ(dataBlock(),
              (QStringList{"Keep history: 1 day 7 days* 30 days", "---", "Record data:off", "---",
                           "2,500 shared: Delete shared data", "---", recordedRow}));
  }
  {
    SCOPED_TRACE("no sharing server: no shared count");
    setSharingAvailable(false);
    setRecorded(1, 0);
    EXPECT_EQ(dataBlock(),
              (QStringList{"Keep history: 1 day 7 days* 30 days", "---", "Record data:off", "---",
                           "1 recorded, 0 labelled: Export… | Delete recording"}));
  }
}

TEST_F(SettingsPageTest, TheCountsAreOfTheRecordingAndOfWhatWasShared) {
  startRecording();
  recordMoments(5, {2, 4});
  setSharingAvailable(true);
  setShared(11);
  page.show();  // showing the page recounts the recording
  ASSERT_TRUE(eventually([&] { return model.recorded() == AppModel::Recorded{5, 2}; }));
  EXPECT_EQ(dataBlock(),
            (QStringList{"Keep history: 1 day 7 days* 30 days", "---", "Record data:on", "---",
                         "Share usage data:off", "---", "11 shared: Delete shared data", "---",
                         "5 recorded, 2 labelled: Export… | Delete recording", kHelps}));
}

TEST_F(SettingsPageTest, TheRecordedRowSaysNoNumberUntilTheRecordingIsCounted) {
  startRecording();
  recordMoments(3, {2});
  closeRecording();
  page.show();
  EXPECT_TRUE(dataBlock().contains(kRecordedActions)) << "counting behind the check";
  ASSERT_TRUE(eventually([&] { return model.recorded().has_value(); }));
  EXPECT_TRUE(dataBlock().contains("3 recorded, 1 labelled" + kRecordedActions));
}

TEST_F(SettingsPageTest, ARecordingThatCannotBeCountedShowsNoNumber) {
  startRecording();
  recordMoment();
  closeRecording();
  std::shared_ptr<sqlite3> holder = holdRecording();
  const test::LogCapture log;
  page.show();
  ASSERT_TRUE(eventually([&] { return logged(log, "Can't count the recorded moments"); }));
  EXPECT_FALSE(model.recorded());
  EXPECT_TRUE(dataBlock().contains(kRecordedActions));

  holder.reset();
  model.refreshRecording();
  ASSERT_TRUE(eventually([&] { return model.recorded() == AppModel::Recorded{1, 0}; }));
  EXPECT_TRUE(dataBlock().contains("1 recorded, 0 labelled" + kRecordedActions));
}

TEST_F(SettingsPageTest, NoticesSayWhileTheSettingsOrTheRecordingAreUnsaved) {
  const QString unsaved =
      "Settings can't be saved for now. Changes are kept until they can be, but lost if "
      "Quillbrook quits first.";
  const QString unread =
      "Your settings can't be read for now, so the defaults apply. Changes are kept and saved "
      "once they can be, but lost if Quillbrook quits first.";
  const QString recording =
      "The recording can't be saved for now. What's recorded is kept until it can be.";
  // A folder where the settings file should be refuses every write, even root's.
  std::filesystem::remove(home / "settings.json");
  std::filesystem::create_directory(home / "settings.json");
  choose(page.breakPicker(), "1h");
  EXPECT_EQ(describe().front(), unsaved);
  setUnsaved(AppModel::Unsaved::unreadSettings, true);
  EXPECT_EQ(describe().front(), unread);

  setRecorded(12, 3);
  setUnsaved(AppModel::Unsaved::recording, true);
  EXPECT_EQ(describe().mid(0, 3), (QStringList{unread, recording, "[General]"}));
  EXPECT_EQ(dataBlock().mid(2),
            (QStringList{"Record data:on", "---", "12 recorded, 3 labelled" + kRecordedActions}));
  page.resize(680, 760);
  page.show();
  QCoreApplication::processEvents();
  save(page, "settings-page-unsaved.png");
  {
    // Both lines are on the first screen of a window at the size it first opens at.
    navigation.setPage(AppPage::settings);
    WindowContent window(model, navigation);
    window.resize(AppWindow::kSize);
    window.show();
    auto* shown = qobject_cast<Page*>(window.selectedPage().pageView());
    ASSERT_NE(shown, nullptr);
    // Laid out as on screen: the page squeezes its rows until its scroll bar shows, which
    // narrows and lengthens the column, a round of events at a time.
    for (int round = 0; round < kLayoutRounds; ++round) QCoreApplication::processEvents();
    const QSize laidOut = shown->column()->size();
    QCoreApplication::processEvents();
    ASSERT_EQ(shown->column()->size(), laidOut) << "the layout has settled";
    ASSERT_GT(laidOut.height(), shown->viewport()->height()) << "the page must scroll to test this";
    for (const QString& text : {unread, recording}) {
      SCOPED_TRACE(text.toStdString());
      const QList<QLabel*> labels = shown->findChildren<QLabel*>();
      const auto line = std::find_if(labels.begin(), labels.end(), [&](QLabel* label) {
        return label->text() == text && label->isVisibleTo(shown);
      });
      ASSERT_NE(line, labels.end());
      const QRect onScreen((*line)->mapTo(shown->viewport(), QPoint()), (*line)->size());
      EXPECT_TRUE(shown->viewport()->rect().contains(onScreen));
    }
  }

  setUnsaved(AppModel::Unsaved::unreadSettings, false);
  setUnsaved(AppModel::Unsaved::recording, false);
  std::filesystem::remove_all(home / "settings.json");
  retrySaving();
  EXPECT_EQ(describe().front(), "[General]");
  EXPECT_FALSE(dataBlock().contains(recording));
  EXPECT_EQ(UserDefaults(home / "settings.json").integerValue(Prefs::kBreakMinutesKey), 60);
}

TEST_F(SettingsPageTest, EachControlStoresItsSetting) {
  Prefs& prefs = model.prefs();
  choose(page.breakPicker(), "1h");
  EXPECT_EQ(prefs.breakMinutes(), 60);
  choose(page.historyPicker(), "30 days");
  EXPECT_EQ(prefs.keepDays(), 30);
  click(page.promptOnChatSwitch());
  EXPECT_TRUE(prefs.promptOnChat());
  click(page.waitForAgentsSwitch());
  EXPECT_TRUE(prefs.waitForAgents());
  click(page.recordSwitch());
  EXPECT_FALSE(prefs.recording());
  click(page.launchAtLoginSwitch());
  EXPECT_TRUE(loginItem.isEnabled());

  click(page.launchAtLoginSwitch());
  EXPECT_FALSE(loginItem.isEnabled());

  // Where the autostart folder cannot be made, the switch does not claim otherwise.
  std::filesystem::remove_all(loginItem.file().parent_path());
  test::writeFile(loginItem.file().parent_path(), "");
  click(page.launchAtLoginSwitch());
  EXPECT_FALSE(page.launchAtLoginSwitch()->isChecked());
}

TEST_F(SettingsPageTest, ShowsSettingsChangedElsewhereAndTheLoginItemAsItAppears) {
  model.prefs().setBreakMinutes(30);
  model.prefs().setPromptOnChat(true);
  model.prefs().setKeepDays(30);
  loginItem.setEnabled(true);
  page.show();
  QCoreApplication::processEvents();
  const QStringList shown = describe();
  EXPECT_TRUE(shown.contains("Launch at login:on"));
  EXPECT_TRUE(shown.contains("Break length: 5m 15m 30m* 1h"));
  EXPECT_TRUE(shown.contains("Prompt on chat:on"));
  EXPECT_TRUE(shown.contains("Keep history: 1 day 7 days 30 days*"));
}

TEST_F(SettingsPageTest, TheShieldSaysWhetherEverythingIsAllowedAndKeepsTheRows) {
  setAccess(true);
  setBrowser(BrowserKind::safari, Access::notInstalled);
  const QString allowed = page.permissionsSymbol();
  setAccess(false);
  const QString missing = page.permissionsSymbol();
  EXPECT_NE(missing, allowed);
  AccessRows* rows = page.permissionsGroup()->findChild<AccessRows*>();
  ASSERT_NE(rows, nullptr);

  struct Case {
    bool access;
    std::optional<Access> chromium;
    bool all;
  };
  for (const Case& each :
       {Case{false, std::nullopt, false}, Case{true, std::nullopt, true},
        Case{true, Access::notInstalled, true}, Case{true, Access::notDetermined, false},
        Case{true, Access::denied, false}, Case{true, Access::granted, true},
        Case{false, Access::granted, false}}) {
    SCOPED_TRACE(testing::Message() << "access " << each.access << ", chromium "
                                    << (each.chromium ? static_cast<int>(*each.chromium) : -1));
    forgetBrowsers();
    setAccess(each.access);
    if (each.chromium) setBrowser(BrowserKind::chrome, *each.chromium);
    setBrowser(BrowserKind::safari, Access::notInstalled);
    EXPECT_EQ(SettingsPage::allAllowed(model), each.all);
    EXPECT_EQ(page.permissionsSymbol(), each.all ? allowed : missing);
  }
  EXPECT_EQ(page.permissionsGroup()->findChild<AccessRows*>(), rows) << "the same rows move over";
  EXPECT_EQ(describe().indexOf("[Permissions]"), describe().indexOf("[Prompts]") + 5);
}

TEST_F(SettingsPageTest, AnExportTellsWhereItWentOrWhyItFailed) {
  startRecording();
  folder.reset();
  click(page.exportButton());
  EXPECT_TRUE(told.isEmpty()) << "no folder chosen: nothing exported, nothing to tell";

  folder = home / "exports";
  click(page.exportButton());
  ASSERT_TRUE(eventually([&] { return !told.isEmpty(); }));
  const std::filesystem::path written = home / "exports" / "Quillbrook Recording";
  EXPECT_EQ(told, QStringList{"done: Exported to " + QString::fromStdString(written.string())});
  EXPECT_TRUE(std::filesystem::exists(written / "system.jsonl"));
  EXPECT_TRUE(page.exportButton()->isEnabled());

  test::writeFile(home / "a file", "");
  folder = home / "a file";
  told.clear();
  click(page.exportButton());
  ASSERT_TRUE(eventually([&] { return !told.isEmpty(); }));
  ASSERT_EQ(told.size(), 1);
  EXPECT_TRUE(told.front().startsWith("failed: Export failed: ")) << told.front().toStdString();
  EXPECT_GT(told.front().size(), QString("failed: Export failed: ").size()) << "says why";
}

TEST_F(SettingsPageTest, DeletionsHappenOnlyOnceConfirmed) {
  {
    SCOPED_TRACE("all data");
    ask();
    click(page.deleteAllButton());
    EXPECT_EQ(asked, QStringList{"Delete all data?"});
    EXPECT_TRUE(model.question()) << "dismissed: nothing deleted";
    answer = true;
    click(page.deleteAllButton());
    EXPECT_FALSE(model.question());
  }
  {
    SCOPED_TRACE("shared data");
    asked.clear();
    answer = false;
    setSharingAvailable(true);
    setShared(12);
    model.prefs().setSharing(true);
    click(page.deleteSharedButton());
    EXPECT_TRUE(model.prefs().sharing());
    answer = true;
    click(page.deleteSharedButton());
    EXPECT_FALSE(model.prefs().sharing());
    EXPECT_EQ(asked, (QStringList{"Delete shared data?", "Delete shared data?"}));
  }
  {
    SCOPED_TRACE("recording");
    asked.clear();
    answer = false;
    startRecording();
    recordMoment();
    click(page.deleteRecordingButton());
    // A recount queued after the click reads the recording as the click left it.
    model.refreshRecording();
    ASSERT_TRUE(eventually([&] { return model.recorded() == AppModel::Recorded{1, 0}; }));
    answer = true;
    click(page.deleteRecordingButton());
    ASSERT_TRUE(eventually([&] { return model.recorded() == AppModel::Recorded{0, 0}; }));
    EXPECT_TRUE(dataBlock().contains("0 recorded, 0 labelled" + kRecordedActions))
        << "an emptied recording's 0 is true";
    EXPECT_EQ(asked, (QStringList{"Delete recording?", "Delete recording?"}));
  }
}

TEST_F(SettingsPageTest, TheDesktopsConfirmationOffersDeleteAndCancel) {
  // Answers with a click on the button of that text, or with a key.
  const auto answerWith = [](const QString& reply) {
    QString shown;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<ConfirmDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      shown = dialog->question() + " | " + dialog->windowTitle();
      for (QAbstractButton* each : {dialog->cancelButton(), dialog->deleteButton()}) {
        if (each->text() == reply) return each->click();
      }
      QTest::keyClick(dialog, reply == "Esc" ? Qt::Key_Escape : Qt::Key_Return);
    });
    const bool confirmed = SettingsPage::desktopDialogs().confirm(nullptr, "Delete recording?");
    EXPECT_EQ(shown, "Delete recording? | Delete recording?");
    return confirmed;
  };
  EXPECT_TRUE(answerWith("Delete"));
  EXPECT_FALSE(answerWith("Cancel"));
  EXPECT_FALSE(answerWith("Esc"));
  EXPECT_FALSE(answerWith("Return")) << "Cancel is the default";
}

TEST_F(SettingsPageTest, Screenshots) {
  setAccess(true);
  setSharingAvailable(true);
  setShared(2500);
  page.resize(680, 760);  // the page area of a window at its first size
  page.show();
  QCoreApplication::processEvents();
  save(page, "settings-page-counting.png");

  setRecorded(1204, 37);
  QCoreApplication::processEvents();
  save(page, "settings-page.png");

  setAccess(false);
  model.setRecording(false);
  setRecorded(0, 0);
  setShared(0);
  QCoreApplication::processEvents();
  save(page, "settings-page-off.png");
}

}  // namespace
}  // namespace qb
