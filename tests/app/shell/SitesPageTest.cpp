#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QTest>

#include "analysis/PersonalMemory.h"
#include "app/model/ModelHarness.h"
#include "base/Json.h"
#include "design/AppIcon.h"
#include "design/QBGroup.h"
#include "design/QBRow.h"
#include "design/QBSeparator.h"
#include "model/AppModel.h"
#include "prompt/PromptCard.h"
#include "sensing/Prefs.h"
#include "sensing/Snapshot.h"
#include "shell/Navigation.h"
#include "shell/PageChrome.h"
#include "shell/SitesPage.h"

namespace qb {

// The page on a model of the fake platform, on a desktop of the test's own with a few installed
// applications. The tests act as a person does: through the page's buttons, rows and fields, and
// read what it shows, the settings it leaves and the model's answers.
class SitesPageTest : public testing::Test, protected test::ModelHarness {
protected:
  SitesPageTest() : model(services(home / "Quillbrook")) {
    environment.set("XDG_DATA_HOME", (home / "data").string());
    environment.set("XDG_DATA_DIRS", (home / "system").string());
    install("org.example.Notes", "Notes");
    install("chat", "Chat");
    prefs().setExcludedApps({});
  }

  Prefs& prefs() { return model.prefs(); }
  void setUnsaved(AppModel::Unsaved kind, bool waiting) { model.setUnsaved(kind, waiting); }

  void install(const std::string& id, const std::string& name) {
    const std::filesystem::path folder = home / "system/applications";
    std::filesystem::create_directories(folder);
    test::writeFile(folder / (id + ".desktop"),
                    "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + id + "\n");
  }

  SitesPage& open() {
    page = std::make_unique<SitesPage>(model, navigation);
    page->setClock(wallClock);
    page->resize(kWidth, kHeight);
    page->show();
    QCoreApplication::processEvents();
    return *page;
  }

  // An allowance the policy itself holds, as an answer would have made it.
  void allowInPolicy(const std::string& scope) {
    Allowances allowances;
    allowances.allow(scope, wallClock.now());
    model.policy_.restore(allowances);
    model.refreshAnswers();
  }
  void allow(std::vector<AppModel::Allowed> allowed) {
    model.setAllowed(std::move(allowed));
    QCoreApplication::processEvents();
  }
  // Dates in American English while it lives, whatever the machine's language.
  struct EnglishDates {
    icu::Locale before;
    EnglishDates() {
      UErrorCode status = U_ZERO_ERROR;
      icu::Locale::setDefault(icu::Locale::getUS(), status);
    }
    ~EnglishDates() {
      UErrorCode status = U_ZERO_ERROR;
      icu::Locale::setDefault(before, status);
    }
  };
  // The user answers a prompt over the page "It's for work", as the panel hands the answer on.
  void forWork(const Moment& shown) {
    const Snapshot prompted{shown, Target{10, shown.bundleID, AXElement(), std::nullopt},
                            ObserverCause::tick, 0, false};
    model.finish(PromptAction::related, AppModel::OpenPrompt{prompted, std::nullopt, "prompt"});
    drainWaits();
  }
  Moment site(const std::string& host) const {
    return Moment(1, wallClock.now(), "Firefox", "firefox-esr", "A page",
                  Url::parse("https://" + host + "/page"));
  }
  AppModel::Allowed allowance(const std::string& scope, Duration left) {
    return {scope, {1, wallClock.now() + left, wallClock.now()}};
  }

  // The answers as the user left them in an earlier run, oldest first, read back by the model.
  void answered(const std::vector<PersonalMemory::Example>& examples) {
    PersonalMemory memory;
    memory.examples = examples;
    std::filesystem::create_directories(home / "Quillbrook");
    test::writeFile(home / "Quillbrook/personal.json", memory.toJson().dump());
    model.restorePersonal();
    drainWaits();
  }
  PersonalMemory::Example example(std::optional<std::string> title, std::optional<std::string> site,
                                  bool work) {
    PersonalMemory::Example answer;
    answer.vector = {1, 0};
    answer.work = work;
    answer.at = wallClock.now();
    answer.title = std::move(title);
    answer.site = std::move(site);
    return answer;
  }
  void drainWaits() {
    do {
      model.waiter_->submit([] {}).get();
    } while (main.runAll() > 0);
    QCoreApplication::processEvents();
  }

  // The visible groups' headers, top to bottom.
  QStringList headers() const {
    QStringList shown;
    for (QBGroup* each : page->findChildren<QBGroup*>()) {
      if (each->isVisibleTo(page.get())) shown << each->header().value_or(QString());
    }
    return shown;
  }
  QBGroup* group(const QString& header) const {
    for (QBGroup* each : page->findChildren<QBGroup*>()) {
      if (each->header() == header && each->isVisibleTo(page.get())) return each;
    }
    return nullptr;
  }
  // What a row shows, its parts joined by " | ": texts, "icon", "[typed]" for a field and
  // "(Remove)" for a control known by its label only.
  static QStringList parts(QLayout& layout) {
    QStringList shown;
    for (int i = 0; i < layout.count(); ++i) {
      QLayoutItem* item = layout.itemAt(i);
      if (item->layout() != nullptr) shown << parts(*item->layout());
      QWidget* widget = item->widget();
      if (widget == nullptr || widget->isHidden()) continue;
      if (auto* label = qobject_cast<QLabel*>(widget)) {
        shown << label->text();
      } else if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        shown << "[" + field->text() + "]";
      } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        shown << (button->text().isEmpty() ? "(" + button->accessibleName() + ")" : button->text());
      } else if (qobject_cast<AppIcon*>(widget) != nullptr) {
        shown << "icon";
      } else if (!widget->accessibleName().isEmpty()) {
        shown << widget->accessibleName();
      }
    }
    return shown;
  }
  static QString describe(QWidget& row) {
    if (auto* plain = qobject_cast<QBRow*>(&row)) {
      QStringList shown;
      if (!plain->title().isEmpty()) shown << plain->title();
      QWidget* accessory = plain->accessory();
      if (auto* label = qobject_cast<QLabel*>(accessory)) shown << label->text();
      if (auto* button = qobject_cast<QAbstractButton*>(accessory)) {
        shown << "(" + button->accessibleName() + ")";
      }
      return shown.join(" | ");
    }
    return row.layout() != nullptr ? parts(*row.layout()).join(" | ") : QString();
  }
  // The group's rows, top to bottom; "---" for a separator.
  QStringList rows(const QString& header) const {
    QBGroup* shown = group(header);
    if (shown == nullptr) return {"(no group " + header + ")"};
    QStringList described;
    QLayout* layout = shown->layout();
    for (int i = 0; i < layout->count(); ++i) {
      QWidget* row = layout->itemAt(i)->widget();
      if (row == nullptr) continue;
      described << (qobject_cast<QBSeparator*>(row) != nullptr ? "---" : describe(*row));
    }
    return described;
  }
  QWidget* row(const QString& header, const QString& startingWith) const {
    QBGroup* shown = group(header);
    if (shown == nullptr) return nullptr;
    for (int i = 0; i < shown->layout()->count(); ++i) {
      QWidget* each = shown->layout()->itemAt(i)->widget();
      if (each != nullptr && describe(*each).startsWith(startingWith)) return each;
    }
    return nullptr;
  }
  void click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  // Presses the control `label` of the row that starts with `name`.
  void press(const QString& header, const QString& name, const QString& label) {
    QWidget* shown = row(header, name);
    ASSERT_NE(shown, nullptr) << name.toStdString();
    for (auto* button : shown->findChildren<QAbstractButton*>()) {
      if (button->accessibleName() == label) return click(button);
    }
    ADD_FAILURE() << "no " << label.toStdString() << " on " << name.toStdString();
  }
  QAbstractButton* button(const QString& header, const QString& text) const {
    for (auto* each : group(header)->findChildren<QAbstractButton*>()) {
      if (each->text() == text) return each;
    }
    return nullptr;
  }
  QLineEdit* field(const QString& header) const {
    QBGroup* shown = group(header);
    return shown != nullptr ? shown->findChild<QLineEdit*>() : nullptr;
  }
  // Types into the open add row, then presses `key`.
  void type(const QString& header, const QString& text, Qt::Key key) {
    QLineEdit* typed = field(header);
    ASSERT_NE(typed, nullptr);
    QTest::keyClicks(typed, text);
    QTest::keyClick(typed, key);
    QCoreApplication::processEvents();
  }
  QStringList footers() const {
    QStringList shown;
    for (Footer* each : page->findChildren<Footer*>()) {
      if (each->isVisibleTo(page.get())) shown << each->text();
    }
    return shown;
  }

  static void save(QWidget& widget, const QString& name) {
    ASSERT_TRUE(widget.grab().save(QStringLiteral(QB_SCREENSHOTS) + "/" + name));
  }

  static constexpr int kWidth = 680;
  static constexpr int kHeight = 900;
  using Strings = std::vector<std::string>;

  AppModel model;
  Navigation navigation;
  std::unique_ptr<SitesPage> page;
};

namespace {

const QString kIgnored = "Ignored";
const QString kQuiet = "Never interrupt";
const QString kAnswers = "Your answers";
const QString kAllowed = "Allowed for now";

TEST_F(SitesPageTest, AnEmptyPageShowsItsThreeListsWithOnlyTheirButtons) {
  prefs().setExcludedApps({"gone.Application"});  // not installed: kept, never listed
  open();
  EXPECT_EQ(headers(), (QStringList{kIgnored, kQuiet, kAnswers}));
  EXPECT_EQ(rows(kIgnored), (QStringList{"Add app… | Add site"}));
  EXPECT_EQ(rows(kQuiet), (QStringList{"Add site"}));
  EXPECT_EQ(rows(kAnswers), (QStringList{"None"}));
  EXPECT_EQ(footers(), (QStringList{"Never looked at or prompted on.",
                                    "Watched and counted, never interrupted."}));
  EXPECT_EQ(prefs().excludedApps(), Strings{"gone.Application"});
  save(*page, "sites-page-empty.png");
}

TEST_F(SitesPageTest, ListsKeepTheOrderTheyWereAddedInAndRemoveEveryEqualEntry) {
  prefs().setExcludedApps({"chat", "gone.Application", "org.example.Notes"});
  prefs().setExcludedSites({"zebra.example", "apple.example", "zebra.example"});
  prefs().setNeverInterrupt({"music.example", "docs.example"});
  open();
  EXPECT_EQ(rows(kIgnored),
            (QStringList{"icon | Chat | (Remove)", "---", "icon | Notes | (Remove)", "---",
                         "zebra.example | (Remove)", "---", "apple.example | (Remove)", "---",
                         "zebra.example | (Remove)", "---", "Add app… | Add site"}));
  EXPECT_EQ(rows(kQuiet), (QStringList{"music.example | (Remove)", "---", "docs.example | (Remove)",
                                       "---", "Add site"}));

  press(kIgnored, "zebra.example", "Remove");
  EXPECT_EQ(prefs().excludedSites(), Strings{"apple.example"});
  press(kIgnored, "icon | Chat", "Remove");
  EXPECT_EQ(prefs().excludedApps(), (Strings{"gone.Application", "org.example.Notes"}));
  press(kQuiet, "music.example", "Remove");
  EXPECT_EQ(prefs().neverInterrupt(), Strings{"docs.example"});
  EXPECT_EQ(rows(kIgnored),
            (QStringList{"icon | Notes | (Remove)", "---", "apple.example | (Remove)", "---",
                         "Add app… | Add site"}));
  EXPECT_EQ(rows(kQuiet), (QStringList{"docs.example | (Remove)", "---", "Add site"}));
}

TEST_F(SitesPageTest, ATypedSiteIsAddedOnceAsItsBareHostAndReturnClosesTheRow) {
  open();
  click(button(kIgnored, "Add site"));
  EXPECT_EQ(rows(kIgnored), (QStringList{"[]", "---", "Add app… | Add site"}));
  type(kIgnored, "  News.Example/today ", Qt::Key_Return);
  EXPECT_EQ(prefs().excludedSites(), Strings{"news.example"});
  EXPECT_EQ(field(kIgnored), nullptr) << "Return closes the row";

  click(button(kIgnored, "Add site"));
  EXPECT_EQ(field(kIgnored)->text(), "") << "Return clears what was typed";
  type(kIgnored, "https://www.news.example:8080/a", Qt::Key_Return);
  EXPECT_EQ(prefs().excludedSites(), Strings{"news.example"}) << "already listed";
  EXPECT_EQ(field(kIgnored), nullptr);

  click(button(kQuiet, "Add site"));
  type(kQuiet, "not a site", Qt::Key_Return);
  EXPECT_TRUE(prefs().neverInterrupt().empty()) << "names no site";
  ASSERT_NE(field(kQuiet), nullptr) << "the row stays open to be mended";
  EXPECT_EQ(field(kQuiet)->text(), "not a site");
  const auto* refusal = group(kQuiet)->findChild<QLabel*>(QStringLiteral("refusal"));
  ASSERT_NE(refusal, nullptr);
  EXPECT_FALSE(refusal->text().isEmpty()) << "and says why";
  field(kQuiet)->clear();
  type(kQuiet, "Video.Example", Qt::Key_Return);
  EXPECT_EQ(prefs().neverInterrupt(), Strings{"video.example"});
  EXPECT_EQ(prefs().excludedSites(), Strings{"news.example"}) << "each list its own";
}

TEST_F(SitesPageTest, EscClosesTheAddRowAndKeepsTheTextForNextTime) {
  open();
  click(button(kQuiet, "Add site"));
  type(kQuiet, "half.example", Qt::Key_Escape);
  EXPECT_EQ(field(kQuiet), nullptr);
  EXPECT_TRUE(prefs().neverInterrupt().empty());
  click(button(kQuiet, "Add site"));
  ASSERT_NE(field(kQuiet), nullptr);
  EXPECT_EQ(field(kQuiet)->text(), "half.example");
  EXPECT_EQ(field(kIgnored), nullptr) << "the other section's row stays closed";
}

TEST_F(SitesPageTest, AnAppIsChosenByItsDesktopEntryAndAddedOnce) {
  open();
  std::optional<std::filesystem::path> chosen;
  page->setApplicationChooser([&](QWidget*) { return chosen; });
  click(button(kIgnored, "Add app…"));  // cancelled
  EXPECT_TRUE(prefs().excludedApps().empty());

  chosen = home / "system/applications/chat.desktop";
  click(button(kIgnored, "Add app…"));
  click(button(kIgnored, "Add app…"));
  EXPECT_EQ(prefs().excludedApps(), Strings{"chat"});
  EXPECT_EQ(rows(kIgnored), (QStringList{"icon | Chat | (Remove)", "---", "Add app… | Add site"}));

  test::writeFile(home / "elsewhere.desktop", "[Desktop Entry]\nType=Application\nName=X\n");
  chosen = home / "elsewhere.desktop";
  click(button(kIgnored, "Add app…"));
  EXPECT_EQ(prefs().excludedApps(), Strings{"chat"}) << "not an installed application";
}

TEST_F(SitesPageTest, AnAppWhoseIDIsNotUtf8IsListedKeptAndMatchedByItsOwnBytes) {
  const std::string latin1 = "caf\xe9";  // a desktop file named in Latin-1
  install(latin1, "Caf\u00e9");
  open();
  page->setApplicationChooser([&](QWidget*) {
    return std::optional(home / "system/applications" / (latin1 + ".desktop"));
  });
  click(button(kIgnored, "Add app…"));
  EXPECT_EQ(rows(kIgnored),
            (QStringList{"icon | Caf\u00e9 | (Remove)", "---", "Add app… | Add site"}));

  // After a restart, the window the desktop attributes to that entry is still left unread.
  UserDefaults restartedDefaults(defaults.file());
  const Prefs restarted(restartedDefaults, loginItem);
  EXPECT_EQ(restarted.excludedApps(), Strings{latin1});
  const std::optional<std::string> window =
      DesktopEntries().applicationID({.instance = {}, .className = latin1, .programs = {}});
  ASSERT_EQ(window, latin1);
  EXPECT_TRUE(restarted.isExcludedApp(*window));
}

TEST_F(SitesPageTest, ADesktopFileInASubfolderIsKnownByItsFolderedID) {
  const std::vector<std::filesystem::path> folders = {home / "a/applications",
                                                      home / "b/applications"};
  EXPECT_EQ(SitesPage::desktopFileID(home / "b/applications/kde/editor.desktop", folders),
            "kde-editor");
  EXPECT_EQ(SitesPage::desktopFileID(home / "a/applications/x.desktop", folders), "x");
  EXPECT_EQ(SitesPage::desktopFileID(home / "a/x.desktop", folders), std::nullopt);
  EXPECT_EQ(SitesPage::desktopFileID(home / "a/applications/x.txt", folders), std::nullopt);
}

TEST_F(SitesPageTest, TypedTextGivesTheSiteItNames) {
  const std::vector<std::pair<QString, std::optional<std::string>>> cases = {
      {"  Example.COM/Path ", "example.com"},
      {"\tHTTPS://www.Example.com:8443/a?b", "example.com"},
      {"ftp://files.example/x", "files.example"},
      {"www.example.org", "example.org"},
      {"localhost", "localhost"},
      {"example.net\n", "example.net"},
      {"bücher.example", "xn--bcher-kva.example"},
      {"under_score.example", std::nullopt},
      {"www.", std::nullopt},
      {"   ", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [typed, site] : cases) {
    SCOPED_TRACE(typed.toStdString());
    EXPECT_EQ(SitesPage::host(typed).host, site);
  }
}

TEST_F(SitesPageTest, TimeLeftCountsDaysFromADayOn) {
  const std::vector<std::pair<Duration, QString>> cases = {
      {45 * 60, "45m"},     {24 * 3600 - 1, "23h 59m"}, {24 * 3600, "1d 0h"},
      {30 * 3600, "1d 6h"}, {48 * 3600 - 1, "1d 23h"},  {48 * 3600, "2d"},
      {50 * 3600, "2d"},    {30 * 86400, "30d"},
  };
  for (const auto& [seconds, text] : cases) {
    SCOPED_TRACE(seconds);
    EXPECT_EQ(SitesPage::left(seconds), text);
  }
}

TEST_F(SitesPageTest, RunningAllowancesComeFirstAndGoAsTheyRunOut) {
  allow({allowance("chat", 30 * 3600), allowance("video.example", 45 * 60 + 30),
         allowance("old.example", -1)});
  open();
  EXPECT_EQ(headers(), (QStringList{kAllowed, kIgnored, kQuiet, kAnswers}));
  EXPECT_EQ(rows(kAllowed), (QStringList{"icon | Chat | 1d 6h left | (End)", "---",
                                         "video.example | 45m left | (End)"}));

  timers.advance(46 * 60);
  page->refresh();  // what the page's own timer does every minute
  QCoreApplication::processEvents();
  EXPECT_EQ(rows(kAllowed), (QStringList{"icon | Chat | 1d 5h left | (End)"}));

  allow({});
  EXPECT_EQ(headers(), (QStringList{kIgnored, kQuiet, kAnswers}));
}

// Allowances granted by answers at different times and in runs of different lengths, and answers
// given on different days: each row shows its own time left or its own date.
TEST_F(SitesPageTest, EachAllowanceAndAnswerShowsItsOwnTimeLeftAndDate) {
  const EnglishDates english;
  const auto minutes = [&](int count) { timers.advance(count * 60.0); };
  const Moment chat(2, wallClock.now(), "Chat", "chat", "Team room", std::nullopt);
  // News: five answers in a row, the last one 32 hours long.
  for (int i = 0; i < 4; ++i) forWork(site("news.example"));
  forWork(site("docs.example"));
  minutes(5);
  forWork(chat);
  minutes(5);
  forWork(site("docs.example"));
  minutes(10);
  forWork(site("docs.example"));  // 8 hours from here
  minutes(10);
  forWork(chat);  // 4 hours
  minutes(10);
  forWork(site("video.example"));  // 2 hours
  minutes(5);
  forWork(site("news.example"));
  minutes(5);

  const auto day = [](int month, int dayOfMonth) {
    return Date::fromUnix(static_cast<double>(
        QDateTime(QDate(2026, month, dayOfMonth), QTime(12, 0)).toSecsSinceEpoch()));
  };
  PersonalMemory::Example video = example(std::nullopt, "video.example", false);
  video.at = day(4, 28);
  PersonalMemory::Example notes = example("Quarterly budget review", "org.example.Notes", true);
  notes.at = day(5, 3);
  PersonalMemory::Example team = example("Team chat", std::nullopt, true);
  team.at = day(5, 8);
  answered({video, notes, team});

  open();
  EXPECT_EQ(rows(kAllowed), (QStringList{"video.example | 1h 50m left | (End)", "---",
                                         "icon | Chat | 3h 40m left | (End)", "---",
                                         "docs.example | 7h 30m left | (End)", "---",
                                         "news.example | 1d 7h left | (End)"}));
  EXPECT_EQ(
      rows(kAnswers),
      (QStringList{"Team chat | May 8 | For work | (Forget)", "---",
                   "Quarterly budget review | Notes \u00b7 May 3 | For work | (Forget)", "---",
                   "An earlier answer | video.example \u00b7 Apr 28 | Not for work | (Forget)"}));
}

TEST_F(SitesPageTest, EndingAnAllowanceTakesItFromThePolicy) {
  allowInPolicy("video.example");
  open();
  ASSERT_EQ(headers().front(), kAllowed);
  press(kAllowed, "video.example", "End");
  EXPECT_TRUE(model.policy().allowances().active(wallClock.now()).empty());
  EXPECT_TRUE(model.allowed().empty());
  EXPECT_EQ(headers(), (QStringList{kIgnored, kQuiet, kAnswers}));
}

TEST_F(SitesPageTest, AnswersShowNewestFirstAndForgettingOneTakesItFromTheModel) {
  answered({example("Quarterly budget review", "org.example.Notes", true),
            example(std::nullopt, "video.example", false),
            example("Team chat", std::nullopt, true)});
  ASSERT_EQ(model.answers().size(), 3u);
  open();
  const QStringList shown = rows(kAnswers);
  ASSERT_EQ(shown.size(), 5);
  EXPECT_TRUE(shown[0].startsWith("Team chat | ")) << shown[0].toStdString();
  EXPECT_FALSE(shown[0].contains(" · ")) << "no site: the date alone";
  EXPECT_TRUE(shown[0].endsWith(" | For work | (Forget)"));
  EXPECT_TRUE(shown[2].startsWith("An earlier answer | video.example · "));
  EXPECT_TRUE(shown[2].endsWith(" | Not for work | (Forget)"));
  EXPECT_TRUE(shown[4].startsWith("Quarterly budget review | Notes · "))
      << "an application's site reads as its name";
  EXPECT_EQ(footers().back(), "Remove one to take it back.");

  press(kAnswers, "An earlier answer", "Forget");
  drainWaits();
  ASSERT_EQ(model.answers().size(), 2u);
  for (const PersonalMemory::Example& kept : model.answers()) {
    EXPECT_NE(kept.site, std::optional<std::string>("video.example"));
  }
  EXPECT_EQ(rows(kAnswers).size(), 3);

  press(kAnswers, "Team chat", "Forget");
  drainWaits();
  press(kAnswers, "Quarterly", "Forget");
  drainWaits();
  EXPECT_TRUE(model.answers().empty());
  EXPECT_EQ(rows(kAnswers), (QStringList{"None"}));
  EXPECT_FALSE(footers().contains("Remove one to take it back."));
}

TEST_F(SitesPageTest, ANoticeUnderTheAnswersSaysWhileWhatIsLearnedIsUnsaved) {
  answered({example("Quarterly budget review - Notes", "org.example.Notes", true)});
  open();
  const QLabel& notice = page->learnedNotice();
  EXPECT_FALSE(notice.isVisibleTo(page.get()));
  setUnsaved(AppModel::Unsaved::learned, true);
  ASSERT_TRUE(notice.isVisibleTo(page.get()));
  EXPECT_EQ(notice.text(),
            "What Quillbrook learns can't be saved for now. It's kept until it can be; nothing "
            "saved before is lost.");
  QCoreApplication::processEvents();
  EXPECT_GT(notice.mapTo(page->column(), QPoint()).y(),
            group(kAnswers)->mapTo(page->column(), QPoint()).y());
  save(*page, "sites-page-learned-unsaved.png");

  // An unread file is not kept "until it can be": what it holds comes back over what is learned
  // meanwhile.
  setUnsaved(AppModel::Unsaved::unreadLearned, true);
  ASSERT_TRUE(notice.isVisibleTo(page.get()));
  EXPECT_EQ(notice.text().toStdString(),
            "Some of what Quillbrook learned before can't be read for now. Nothing of it is lost: "
            "it's restored once it can be read, in place of what's learned meanwhile.");
  save(*page, "sites-page-learned-unread.png");
  setUnsaved(AppModel::Unsaved::unreadLearned, false);
  EXPECT_TRUE(notice.text().startsWith("What Quillbrook learns can't be saved for now."));
  setUnsaved(AppModel::Unsaved::learned, false);
  EXPECT_FALSE(notice.isVisibleTo(page.get()));
}

TEST_F(SitesPageTest, ANoticeOverTheListsSaysWhileTheSettingsAreUnread) {
  open();
  const QLabel& notice = page->listsNotice();
  EXPECT_FALSE(notice.isVisibleTo(page.get()));
  setUnsaved(AppModel::Unsaved::unreadSettings, true);
  prefs().appendExcludedSite("news.example");
  ASSERT_TRUE(notice.isVisibleTo(page.get()));
  EXPECT_EQ(notice.text().toStdString(),
            "Your own lists can't be read for now, so they aren't shown yet, and Quillbrook "
            "looks at no app or site until they can be. What you add or remove here is applied "
            "to them once they can be read, but lost if Quillbrook quits first.");
  QCoreApplication::processEvents();
  EXPECT_LT(notice.mapTo(page->column(), QPoint()).y(),
            group(kIgnored)->mapTo(page->column(), QPoint()).y());
  save(*page, "sites-page-settings-unread.png");
  setUnsaved(AppModel::Unsaved::unreadSettings, false);
  EXPECT_FALSE(notice.isVisibleTo(page.get()));
}

TEST_F(SitesPageTest, AFullPageAsAPersonSeesIt) {
  prefs().setExcludedApps({"org.example.Notes"});
  prefs().setExcludedSites({"news.example", "social.example"});
  prefs().setNeverInterrupt({"music.example"});
  // Reading the answers back recounts the allowances: they come after.
  answered({example("Quarterly budget review - Notes", "org.example.Notes", true),
            example(std::nullopt, "video.example", false)});
  allow({allowance("chat", 30 * 3600), allowance("video.example", 20 * 60)});
  open();
  click(button(kQuiet, "Add site"));
  EXPECT_EQ(headers(), (QStringList{kAllowed, kIgnored, kQuiet, kAnswers}));
  save(*page, "sites-page-full.png");
}

}  // namespace
}  // namespace qb
