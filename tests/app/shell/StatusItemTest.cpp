#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QImage>
#include <QTest>
#include <QTimer>

#include "app/model/ModelHarness.h"
#include "design/MarkImage.h"
#include "design/QBButtonBody.h"
#include "model/AppModel.h"
#include "shell/ElidedText.h"
#include "shell/QuestionView.h"
#include "shell/StateLabel.h"
#include "shell/StatusCard.h"
#include "shell/StatusItem.h"
#include "shell/TrayPopup.h"

namespace qb {

// The tray on a model of the fake platform. The tests set the model's state field by field as
// its own setters do, and act only through what a person can reach: the menu's rows and the
// popup's rows and buttons.
class StatusItemTest : public testing::Test, protected test::ModelHarness {
protected:
  using Kind = AppModel::Status::Kind;
  using Property = AppModel::Property;

  StatusItemTest()
      : model(services(home / "Quillbrook")),
        item(model, [this](AppPage page) { opened.push_back(page); }) {
    item.setClock(wallClock);
  }

  void setAccess(bool granted) { model.setAccessibility(granted); }
  void setModel(AppModel::ModelState state) { model.setModelState(state); }
  void setPaused(bool paused) { model.assign(model.paused_, paused, Property::paused); }
  void goAway() { model.assign(model.idleAway_, true, Property::idleAway); }
  void protect(std::vector<std::string> work = {}) {
    model.assign(model.protecting_, true, Property::protecting);
    model.assign(model.workingOn_, std::move(work), Property::workingOn);
  }
  void setBreak(std::optional<Date> until) {
    model.assign(model.breakUntil_, until, Property::breakUntil);
  }
  void see(AppModel::Seen seen) {
    model.assign(model.seen_, std::optional<AppModel::Seen>(std::move(seen)), Property::seen);
  }
  void ask() {
    const Moment moment(7, wallClock.now(), "Videos", "org.example.Videos",
                        "A long talk about type systems",
                        Url::parse("https://video.example/watch"));
    model.assign(model.question_, std::optional<DailyQuestion::Page>({moment, 45 * 60 + 30}),
                 Property::question);
  }

  // The menu as the tray host shows it: one line a row, "---" for a separator, a submenu's rows
  // in brackets after its title, a shortcut after a tab, "(off)" after a row that cannot be chosen.
  static QStringList describe(const QMenu& menu) {
    QStringList rows;
    for (QAction* action : menu.actions()) {
      if (action->isSeparator()) {
        rows << "---";
        continue;
      }
      QString row = action->text();
      if (action->menu()) row += " [" + describe(*action->menu()).join(", ") + "]";
      if (!action->shortcut().isEmpty()) row += "\t" + action->shortcut().toString();
      if (!action->isEnabled()) row += " (off)";
      rows << row;
    }
    return rows;
  }
  // Opens the menu as the tray host does, reads it, and leaves it open.
  QStringList openMenu() {
    item.menu().popup(QPoint());
    QCoreApplication::processEvents();
    return describe(item.menu());
  }
  void closeMenu() {
    item.menu().hide();
    QCoreApplication::processEvents();
  }
  // The open menu's row of that title, in the menu or in one of its submenus.
  static QAction* row(const QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions()) {
      if (action->text() == title) return action;
      if (action->menu())
        if (QAction* found = row(*action->menu(), title)) return found;
    }
    return nullptr;
  }
  void choose(const QString& title) {
    openMenu();
    QAction* action = row(item.menu(), title);
    ASSERT_NE(action, nullptr) << title.toStdString();
    action->trigger();
    closeMenu();
  }

  // The popup's rows' titles, "---" where the list has a separator.
  static QStringList describe(const TrayPopup& popup) {
    QStringList rows;
    for (const TrayRow* each : popup.rows()) {
      QString text = each->text();
      if (each->hasSubmenu()) text += " >";
      if (!each->key().isEmpty()) text += "\t" + each->key().toString();
      rows << text;
    }
    return rows;
  }
  TrayPopup& openPopup() {
    item.openPopup();
    QCoreApplication::processEvents();
    EXPECT_NE(item.popup(), nullptr);
    return *item.popup();
  }
  void click(const TrayPopup& popup, const QString& title) {
    for (TrayRow* each : popup.rows()) {
      if (each->text() == title) {
        QTest::mouseClick(each, Qt::LeftButton);
        QCoreApplication::processEvents();
        return;
      }
    }
    ADD_FAILURE() << "no row " << title.toStdString();
  }

  bool iconShowsActive() const {
    const QImage shown = item.trayIcon()
                             .icon()
                             .pixmap(MarkImage::kSide)
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage active = MarkImage::menuBar(true, 1);
    const QImage inactive = MarkImage::menuBar(false, 1);
    EXPECT_TRUE(shown == active || shown == inactive) << "the icon is the mark";
    return shown == active;
  }

  static void save(QWidget& widget, const QString& name) {
    ASSERT_TRUE(widget.grab().save(QStringLiteral(QB_SCREENSHOTS) + "/" + name));
  }

  AppModel model;
  std::vector<AppPage> opened;
  StatusItem item;
};

namespace {

const QString kOpen = "Open Quillbrook";
const QString kSettings = "Settings\u2026\tCtrl+,";
const QString kQuit = "Quit Quillbrook\tCtrl+Q";
const QString kBreaks = "Take a Break [5 Minutes, 15 Minutes, 30 Minutes, 1 Hour]";

TEST_F(StatusItemTest, EachStatusOffersItsCommandsAndTheIconSaysWhetherItWatches) {
  // Each step adds a state of higher precedence over the ones before, so each menu is the one
  // that opens after the model has changed under the item.
  struct Expected {
    QStringList menu;
    QStringList popup;
    bool active;
  };
  const auto check = [&](const Expected& expected) {
    EXPECT_EQ(openMenu(), expected.menu);
    closeMenu();
    EXPECT_EQ(describe(openPopup()), expected.popup);
    item.popup()->close();
    EXPECT_EQ(iconShowsActive(), expected.active);
  };
  {
    SCOPED_TRACE("learning");
    check({{"Quillbrook: Learning (off)", "---", "Pause Quillbrook", kBreaks, "---", kOpen,
            kSettings, "---", kQuit},
           {"Pause Quillbrook", "Take a Break >", kOpen, kSettings, kQuit},
           true});
  }
  protect();
  {
    SCOPED_TRACE("protecting");
    check({{"Quillbrook: Focused (off)", "---", "Pause Quillbrook", kBreaks, "---", kOpen,
            kSettings, "---", kQuit},
           {"Pause Quillbrook", "Take a Break >", kOpen, kSettings, kQuit},
           true});
  }
  goAway();
  {
    SCOPED_TRACE("away");
    check({{"Quillbrook: Away (off)", "---", "Pause Quillbrook", kBreaks, "---", kOpen, kSettings,
            "---", kQuit},
           {"Pause Quillbrook", "Take a Break >", kOpen, kSettings, kQuit},
           true});
  }
  setBreak(wallClock.now() + 299.5);
  {
    SCOPED_TRACE("on break");
    check({{"Quillbrook: On break, 5:00 (off)", "---", "End Break", "---", kOpen, kSettings, "---",
            kQuit},
           {"End Break", kOpen, kSettings, kQuit},
           false});
  }
  setPaused(true);
  {
    SCOPED_TRACE("paused");
    check({{"Quillbrook: Paused (off)", "---", "Resume Quillbrook", "---", kOpen, kSettings, "---",
            kQuit},
           {"Resume Quillbrook", kOpen, kSettings, kQuit},
           false});
  }
  setModel(AppModel::ModelState::failed);
  {
    SCOPED_TRACE("model unavailable: one separator under the state");
    check({{"Quillbrook: Model unavailable (off)", "---", kOpen, kSettings, "---", kQuit},
           {kOpen, kSettings, kQuit},
           false});
  }
  setAccess(false);
  {
    SCOPED_TRACE("needs access");
    check({{"Quillbrook: Needs Accessibility (off)", "---", "Allow Accessibility", "---", kOpen,
            kSettings, "---", kQuit},
           {"Allow Accessibility", kOpen, kSettings, kQuit},
           false});
  }
}

TEST_F(StatusItemTest, TheMenusCommandsDriveTheModel) {
  choose("Pause Quillbrook");
  EXPECT_EQ(model.status().kind, Kind::paused);
  EXPECT_FALSE(iconShowsActive());
  choose("Resume Quillbrook");
  EXPECT_EQ(model.status().kind, Kind::learning);
  EXPECT_TRUE(iconShowsActive());

  choose("15 Minutes");
  EXPECT_EQ(model.status(), (AppModel::Status{Kind::onBreak, wallClock.now() + 15 * 60}));
  choose("End Break");
  EXPECT_EQ(model.status().kind, Kind::learning);
  choose("1 Hour");
  EXPECT_EQ(model.status().until, wallClock.now() + 60 * 60);
  choose("End Break");

  choose("Open Quillbrook");
  choose("Settings\u2026");
  EXPECT_EQ(opened, (std::vector<AppPage>{AppPage::home, AppPage::settings}));

  platform.accessibilityFake.trusted = false;
  setAccess(false);
  choose("Allow Accessibility");
  timers.advance(AppModel::kAccessPollInterval);
  EXPECT_TRUE(model.accessibility()) << "asked for the bus, then found it on";
  EXPECT_EQ(model.status().kind, Kind::learning);

  // Quitting ends the application's event loop.
  QTimer::singleShot(0, &item, [this] { choose("Quit Quillbrook"); });
  QTimer::singleShot(5000, &item, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST_F(StatusItemTest, ThePopupsRowsDriveTheModelAndCloseIt) {
  {
    TrayPopup& popup = openPopup();
    click(popup, "Take a Break");
    ASSERT_NE(popup.submenu(), nullptr);
    EXPECT_EQ(describe(*popup.submenu()),
              (QStringList{"5 Minutes", "15 Minutes", "30 Minutes", "1 Hour"}));
    row(*popup.submenu(), "5 Minutes")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(model.status(), (AppModel::Status{Kind::onBreak, wallClock.now() + 5 * 60}));
    EXPECT_EQ(item.popup(), nullptr) << "choosing a break closed the popup";
  }
  click(openPopup(), "End Break");
  EXPECT_EQ(model.status().kind, Kind::learning);
  EXPECT_EQ(item.popup(), nullptr);

  click(openPopup(), "Settings\u2026");
  EXPECT_EQ(opened, std::vector<AppPage>{AppPage::settings});

  // The shortcuts shown work while the popup has the keyboard.
  TrayPopup& popup = openPopup();
  QTest::keyClick(&popup, Qt::Key_Comma, Qt::ControlModifier);
  QCoreApplication::processEvents();
  EXPECT_EQ(opened, (std::vector<AppPage>{AppPage::settings, AppPage::settings}));

  QTest::keyClick(&openPopup(), Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_EQ(item.popup(), nullptr) << "Escape closes the popup";
}

TEST_F(StatusItemTest, TheDailyQuestionIsAskedUntilItIsAnswered) {
  ask();
  const QStringList menu = openMenu();
  closeMenu();
  ASSERT_GE(menu.size(), 4);
  EXPECT_EQ(menu[2],
            "Was this for work? [A long talk about type systems (off), "
            "video.example \u00B7 45m today (off), ---, For work, Not for work]");
  EXPECT_EQ(menu[3], "---");

  TrayPopup& popup = openPopup();
  ASSERT_NE(popup.question(), nullptr);
  EXPECT_FALSE(popup.question()->isWide());
  EXPECT_TRUE(popup.question()->isVisible());
  QTest::mouseClick(popup.question()->notForWorkButton(), Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_FALSE(model.question()) << "answered";
  EXPECT_EQ(item.popup(), nullptr) << "answering closed the popup";
  EXPECT_EQ(openPopup().question(), nullptr);
  item.popup()->close();
  EXPECT_FALSE(openMenu().join("\n").contains("Was this for work?"));
  closeMenu();

  ask();
  choose("For work");
  EXPECT_FALSE(model.question());
}

TEST_F(StatusItemTest, ABreakCountsDownOnlyWhileTheMenuOrThePopupIsOpen) {
  item.openPopup();
  EXPECT_FALSE(item.isCountingDown()) << "no break, nothing to count";
  item.popup()->close();

  model.startBreak(5);
  EXPECT_FALSE(item.isCountingDown());
  const StatusCard& card = openPopup().card();
  EXPECT_TRUE(item.isCountingDown());
  EXPECT_EQ(card.stateLabel().text(), "On break, 5:00");
  timers.advance(1.5);
  // The countdown runs on the real second; the card and the menu follow the model's clock.
  EXPECT_TRUE(QTest::qWaitFor([&] { return card.stateLabel().text() == "On break, 4:59"; }, 3000))
      << card.stateLabel().text().toStdString();
  item.popup()->close();
  EXPECT_FALSE(item.isCountingDown());

  openMenu();
  EXPECT_TRUE(item.isCountingDown());
  timers.advance(60);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return item.menu().actions().value(0)->text() == "Quillbrook: On break, 3:59"; },
      3000));
  closeMenu();
  EXPECT_FALSE(item.isCountingDown());
}

TEST(StatusItemClockTest, MinutesAndSecondsRoundedUpNeverBelowZero) {
  EXPECT_EQ(StatusItem::clock(90.2), "1:31");
  EXPECT_EQ(StatusItem::clock(59.01), "1:00");
  EXPECT_EQ(StatusItem::clock(0), "0:00");
  EXPECT_EQ(StatusItem::clock(-5), "0:00");
  EXPECT_EQ(StatusItem::clock(9), "0:09");
  EXPECT_EQ(StatusItem::clock(3600), "60:00") << "minutes are not folded into hours";
  // The break's word in the state label is this clock.
  const Date now = Date::fromUnix(1e9);
  EXPECT_EQ(StateLabel::word({AppModel::Status::Kind::onBreak, now + 299.5}, now),
            "On break, 5:00");
}

TEST(TrayPopupTest, OpensBesideTheIconAndStaysOnTheScreen) {
  const QRect screen(0, 0, 1920, 1080);
  const QSize size(300, 400);
  // A panel along the top: the popup hangs under the icon, centred on it.
  EXPECT_EQ(TrayPopup::placement(size, QRect(1000, 0, 24, 24), screen),
            QPoint(1012 - 150, 24 + TrayPopup::kAnchorGap));
  // A panel along the bottom: the popup stands over the icon.
  EXPECT_EQ(TrayPopup::placement(size, QRect(1000, 1056, 24, 24), screen),
            QPoint(862, 1056 - TrayPopup::kAnchorGap - 400));
  // An icon at the right-hand corner: the popup is pushed back onto the screen.
  EXPECT_EQ(TrayPopup::placement(size, QRect(1900, 0, 20, 24), screen).x(), 1920 - 300);
  // A screen smaller than the popup: its top-left corner stays visible.
  EXPECT_EQ(TrayPopup::placement(size, QRect(10, 10, 1, 1), QRect(0, 0, 200, 200)), QPoint(0, 0));
}

TEST_F(StatusItemTest, DrawsThePopupForPeopleToLookAt) {
  see({"code.example", "org.example.Editor", 0, ActivityKind::work, true});
  protect({"quarterly report"});
  save(openPopup(), "tray-popup-protecting.png");
  item.popup()->close();

  model.startBreak(15);
  save(openPopup(), "tray-popup-break.png");
  item.popup()->close();

  model.endBreak();
  setAccess(false);
  ask();
  TrayPopup& popup = openPopup();
  save(popup, "tray-popup-needs-access-question.png");
  EXPECT_EQ(popup.width(), StatusCard::kWidth);
  EXPECT_LT(popup.card().geometry().bottom(), popup.question()->mapTo(&popup, QPoint()).y())
      << "the card on top, the question under it";
  EXPECT_LT(popup.question()->mapTo(&popup, QPoint()).y(),
            popup.rows().front()->mapTo(&popup, QPoint()).y())
      << "the commands last";
}

}  // namespace
}  // namespace qb
