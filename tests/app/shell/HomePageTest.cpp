#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QMouseEvent>
#include <QTest>
#include <cmath>
#include <limits>

#include "app/model/ModelHarness.h"
#include "app/shell/WeekOfWork.h"
#include "design/QB.h"
#include "design/QBButtonBody.h"
#include "design/QBRow.h"
#include "model/AppModel.h"
#include "recording/EventStore.h"
#include "sensing/Prefs.h"
#include "shell/ActivityCharts.h"
#include "shell/ActivityPage.h"
#include "shell/ElidedText.h"
#include "shell/Format.h"
#include "shell/HomePage.h"
#include "shell/Navigation.h"
#include "shell/QuestionView.h"
#include "shell/StateLabel.h"
#include "shell/TodaySection.h"

namespace qb {

// The home page on a model of the fake platform. The tests set the model's state field by field
// as its own setters do, and act only through what a person can reach: the page's buttons.
class HomePageTest : public testing::Test, protected test::ModelHarness {
protected:
  using Kind = AppModel::Status::Kind;
  using Property = AppModel::Property;

  HomePageTest() : model(services(home / "Quillbrook")), page(model, navigation) {
    page.setClock(wallClock);
    page.resize(kWidth, kHeight);
  }

  void setAccess(bool granted) { model.setAccessibility(granted); }
  void setModel(AppModel::ModelState state) { model.setModelState(state); }
  void setPaused(bool paused) { model.assign(model.paused_, paused, Property::paused); }
  void goAway() { model.assign(model.idleAway_, true, Property::idleAway); }
  void protect(std::vector<std::string> work = {}) {
    model.assign(model.protecting_, true, Property::protecting);
    setWork(std::move(work));
  }
  void setWork(std::vector<std::string> work) {
    model.assign(model.workingOn_, std::move(work), Property::workingOn);
  }
  void setLearned(double seconds) { model.setLearned(seconds); }
  void setBreak(std::optional<Date> until) {
    model.assign(model.breakUntil_, until, Property::breakUntil);
  }
  void see(AppModel::Seen seen) {
    model.assign(model.seen_, std::optional<AppModel::Seen>(std::move(seen)), Property::seen);
  }
  void setAgent(std::optional<AgentSession> session) {
    model.assign(model.workAgent_, std::move(session), Property::workAgent);
  }
  void setToday(AppModel::Today today) {
    model.assign(model.today_, std::move(today), Property::today);
  }
  void setTasks(std::vector<AppModel::TaskTime> tasks) {
    model.assign(model.todayTasks_, std::move(tasks), Property::todayTasks);
  }
  // A day of work up to now: focus, a detour, a break, more focus, and two prompts.
  void workedToday() {
    using History::Kind;
    const Date now = wallClock.now();
    setToday({now - 8 * 3600,
              {{Kind::focus, now - 7200, now - 5400},
               {Kind::detour, now - 5400, now - 4800},
               {Kind::breakTime, now - 4800, now - 4500},
               {Kind::focus, now - 1500, now - 30}},
              {now - 5300, now - 5000}});
    setTasks({{"quillbrook", 2700}, {"docs.example", 1200}});
  }
  // Times in American English while it lives, whatever the machine's language.
  struct EnglishTimes {
    QLocale before;
    EnglishTimes() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    ~EnglishTimes() { QLocale::setDefault(before); }
  };
  // The event log as start-up opens it, and the day's figures read back from it as the tick does.
  EventStore& openEventLog() {
    model.store_ = std::make_unique<EventStore>(model.projectsURL("events.sqlite"));
    return *model.store_;
  }
  void refreshFigures() { model.refreshRecap(); }
  void setUnsaved(AppModel::Unsaved kind, bool waiting) { model.setUnsaved(kind, waiting); }
  // Time the analyser was unsure of on a page, handed on as the tick drains it.
  void unsure(const Moment& shown, Duration seconds) {
    model.daily_.add(shown, seconds, wallClock.now());
    model.drainWork();
  }
  void ask() {
    const Moment moment(7, wallClock.now(), "Videos", "org.example.Videos",
                        "A long talk about type systems",
                        Url::parse("https://video.example/watch"));
    model.assign(model.question_, std::optional<DailyQuestion::Page>({moment, 45 * 60 + 30}),
                 Property::question);
  }

  QStringList controls() const {
    QStringList titles;
    for (const QBButtonBody* button : page.controls()) titles << button->text();
    return titles;
  }
  void click(const QString& title) {
    for (QBButtonBody* button : page.controls()) {
      if (button->text() == title) {
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
        return;
      }
    }
    ADD_FAILURE() << "no button " << title.toStdString();
  }
  bool primary(const QString& title) const {
    for (const QBButtonBody* button : page.controls()) {
      if (button->text() == title)
        return button->buttonStyle().kind == QBButtonStyle::Kind::primary;
    }
    ADD_FAILURE() << "no button " << title.toStdString();
    return false;
  }

  void save(const QString& name) {
    page.show();
    QTest::qWait(2 * HomePage::kFadeMilliseconds);  // a question fades in
    ASSERT_TRUE(page.grab().save(QStringLiteral(QB_SCREENSHOTS) + "/" + name));
  }

  static constexpr int kWidth = 680;  // the page area of the window at its first size
  static constexpr int kHeight = 560;
  static constexpr int kNarrowWidth = 420;

  AppModel model;
  Navigation navigation;
  HomePage page;
};

namespace {

TEST_F(HomePageTest, EachStatusHasItsLabelHeadlineDetailAndCommands) {
  // Each step adds a state of higher precedence over the ones before, so each page is the one
  // the model's change leaves behind.
  struct Expected {
    QString label;
    QString headline;
    QString detail;
    QStringList controls;
  };
  const auto check = [&](const Expected& expected) {
    EXPECT_EQ(page.stateLabel().text(), expected.label);
    EXPECT_EQ(page.headline(), expected.headline);
    EXPECT_EQ(page.detail(), expected.detail);
    EXPECT_EQ(controls(), expected.controls);
  };
  {
    SCOPED_TRACE("learning");
    check({"Learning",
           "Getting a sense of your work",
           "0 of 3 minutes of work so far.",
           {"Pause", "Break 5m"}});
  }
  protect();
  {
    SCOPED_TRACE("protecting");
    check({"Focused", "Your work", "", {"Pause", "Break 5m"}});
  }
  goAway();
  {
    SCOPED_TRACE("away");
    check({"Away",
           "Your work",
           "No input for a while. Not counted until you're back.",
           {"Pause", "Break 5m"}});
  }
  const Date until = wallClock.now() + 299.5;
  setBreak(until);
  {
    SCOPED_TRACE("on break: the headline counts down");
    check({"On break", "5:00", "Back at " + Format::timeOfDay(until) + ".", {"End break"}});
  }
  setPaused(true);
  {
    SCOPED_TRACE("paused");
    check({"Paused", "Paused", "Nothing is watched until you resume.", {"Resume"}});
    EXPECT_TRUE(primary("Resume"));
  }
  setModel(AppModel::ModelState::failed);
  {
    SCOPED_TRACE("model unavailable: a warning and no buttons");
    check({"Model unavailable", "Can't read what's in front", "It retries every minute.", {}});
    EXPECT_NE(page.stateLabel().warningBadge(), nullptr);
  }
  setAccess(false);
  {
    SCOPED_TRACE("needs access");
    check({"Needs Accessibility",
           "Allow Accessibility to start",
           "It reads app, window and tab names through it.",
           {"Allow"}});
    EXPECT_TRUE(primary("Allow"));
  }
}

TEST_F(HomePageTest, TheWorkNamedIsTheHeadlineOnlyOnceLearned) {
  setWork({"quillbrook", "docs.example"});
  EXPECT_EQ(page.headline(), "Getting a sense of your work");
  protect({"quillbrook", "docs.example"});
  EXPECT_EQ(page.headline(), "Working on quillbrook, docs.example");
  setPaused(true);
  EXPECT_EQ(page.headline(), "Working on quillbrook, docs.example");
  EXPECT_EQ(page.detail(), "Nothing is watched until you resume.");
  setWork({});
  EXPECT_EQ(page.headline(), "Paused");
}

TEST_F(HomePageTest, LearningCountsWholeMinutesUpToTheGoal) {
  ASSERT_EQ(model.policy().config.learnWorkSeconds, 180);
  for (const auto& [learned, detail] : std::vector<std::pair<double, QString>>{
           {0, "0 of 3"},
           {119, "1 of 3"},
           {180, "3 of 3"},
           {250, "3 of 3"},
           {std::numeric_limits<double>::quiet_NaN(), "0 of 3"}}) {
    SCOPED_TRACE(learned);
    setLearned(learned);
    EXPECT_EQ(page.detail(), detail + " minutes of work so far.");
  }
}

TEST_F(HomePageTest, TheButtonsDriveTheModel) {
  click("Pause");
  EXPECT_EQ(model.status().kind, Kind::paused);
  click("Resume");
  EXPECT_EQ(model.status().kind, Kind::learning);

  model.prefs().setBreakMinutes(60);
  EXPECT_EQ(controls(), (QStringList{"Pause", "Break 1h"})) << "the button follows the setting";
  click("Break 1h");
  EXPECT_EQ(model.status(), (AppModel::Status{Kind::onBreak, wallClock.now() + 60 * 60}));
  click("End break");
  EXPECT_EQ(model.status().kind, Kind::learning);

  platform.accessibilityFake.trusted = false;
  setAccess(false);
  click("Allow");
  timers.advance(AppModel::kAccessPollInterval);
  EXPECT_TRUE(model.accessibility()) << "asked for the bus, then found it on";
  EXPECT_EQ(controls(), (QStringList{"Pause", "Break 1h"}));
}

TEST_F(HomePageTest, TheBreakCountsDownByItselfAndStopsAtZero) {
  EXPECT_FALSE(page.isCountingDown());
  setBreak(wallClock.now() + 2 * 3600 + 5);
  EXPECT_TRUE(page.isCountingDown());
  EXPECT_EQ(page.headline(), "2:00:05");
  timers.advance(10);
  ASSERT_TRUE(QTest::qWaitFor([&] { return page.headline() == "1:59:55"; }, 3000))
      << page.headline().toStdString();
  timers.advance(2 * 3600);
  ASSERT_TRUE(QTest::qWaitFor([&] { return page.headline() == "0:00"; }, 3000))
      << "a break past its end stands at zero: " << page.headline().toStdString();
  setBreak(std::nullopt);
  EXPECT_FALSE(page.isCountingDown());
  EXPECT_EQ(HomePage::countdown(59.2), "1:00");
  EXPECT_EQ(HomePage::countdown(3599), "59:59");
  EXPECT_EQ(HomePage::countdown(3600), "1:00:00");
}

TEST_F(HomePageTest, WhatIsInFrontShowsOnlyWhileWatching) {
  EXPECT_TRUE(page.nowSection().isHidden()) << "nothing seen yet";
  see({"docs.example", "firefox-esr", 0, std::nullopt, false});
  EXPECT_FALSE(page.seenFact().isHidden());
  EXPECT_EQ(page.seenName().text(), "docs.example");
  EXPECT_EQ(page.seenActivity().text(), "") << "not analysed yet";

  see({"video.example", "firefox-esr", 0, ActivityKind::entertainment, true});
  EXPECT_EQ(page.seenActivity().text(), "Looks like entertainment");
  EXPECT_EQ(page.seenActivity().runs().front().color, QB::Hue::detour);
  see({"video.example", "firefox-esr", 0, std::nullopt, true});
  EXPECT_EQ(page.seenActivity().text(), "Unsure");

  setAgent(AgentSession("Coder", "/home/me/quillbrook", "fix-login", wallClock.now(), false));
  EXPECT_TRUE(page.agentFact().isHidden()) << "an agent waiting on the user is not working";
  setAgent(AgentSession("Coder", "/home/me/quillbrook", "fix-login", wallClock.now(), true));
  EXPECT_FALSE(page.agentFact().isHidden());
  EXPECT_EQ(page.agentText(), "Coder quillbrook");

  setPaused(true);
  EXPECT_TRUE(page.nowSection().isHidden()) << "nothing is watched while paused";
  setPaused(false);
  EXPECT_FALSE(page.nowSection().isHidden());
}

TEST_F(HomePageTest, TheQuestionComesAndGoesWithItsAnswer) {
  EXPECT_EQ(page.questionView(), nullptr);
  ask();
  QuestionView* card = page.questionView();
  ASSERT_NE(card, nullptr);
  EXPECT_TRUE(card->isWide());
  page.show();
  QTest::mouseClick(card->notForWorkButton(), Qt::LeftButton);
  EXPECT_FALSE(model.question().has_value()) << "the answer went to the model";
  EXPECT_EQ(page.questionView(), nullptr);
  EXPECT_TRUE(QTest::qWaitFor([&] { return page.findChildren<QuestionView*>().isEmpty(); }, 2000))
      << "the answered card fades out and goes";
}

TEST_F(HomePageTest, ADayWithoutWorkSaysSoAndShowsNoFigures) {
  const TodaySection& today = page.todaySection();
  EXPECT_EQ(today.strip(), nullptr);
  EXPECT_EQ(today.focus(), "");
  EXPECT_TRUE(today.figures().isEmpty());
  EXPECT_TRUE(today.caption().endsWith(" to now")) << today.caption().toStdString();
  EXPECT_EQ(page.stretchFigure(), nullptr);
  EXPECT_EQ(page.tasks(), nullptr);
  EXPECT_TRUE(page.nowSection().isHidden());
}

TEST_F(HomePageTest, ADayOfWorkShowsItsFiguresStretchAndProjects) {
  protect({"quillbrook"});
  workedToday();
  const TodaySection& today = page.todaySection();
  ASSERT_NE(today.strip(), nullptr);
  EXPECT_EQ(today.focus(), "54m");
  EXPECT_EQ(today.figures(), (QStringList{"Detours (est.)", "Breaks", "Prompts"}))
      << "no away or paused time today";

  ASSERT_NE(page.stretchFigure(), nullptr);
  EXPECT_FALSE(page.nowSection().isHidden()) << "the stretch shows though nothing was seen";
  EXPECT_EQ(page.stretchFigure()->shown().title, "This stretch");
  EXPECT_EQ(page.stretchFigure()->shown().value, "25m");
  EXPECT_EQ(page.stretchFigure()->shown().longest, "Longest today 30m");

  setPaused(true);
  ASSERT_NE(page.stretchFigure(), nullptr);
  EXPECT_EQ(page.stretchFigure()->shown().title, "Longest stretch today")
      << "only protecting shows a running stretch";
  EXPECT_EQ(page.stretchFigure()->shown().value, "30m");
  EXPECT_EQ(page.stretchFigure()->shown().longest, "");

  ASSERT_NE(page.tasks(), nullptr);
  setTasks({});
  EXPECT_EQ(page.tasks(), nullptr);
}

// A week whose figures all differ (see WeekOfWork.h): each of today's figures shows its own value,
// and none of yesterday's.
TEST_F(HomePageTest, EachOfTodaysFiguresShowsItsOwnValue) {
  const EnglishTimes english;
  EventStore& log = openEventLog();
  test::logDaysBefore(log);
  test::liveMonday(model, log, timers, wallClock);
  unsure(Moment(7, wallClock.now(), "Videos", "org.example.Videos", "A long talk",
                Url::parse("https://video.example/watch")),
         33 * 60 + 40);
  refreshFigures();

  const TodaySection& today = page.todaySection();
  EXPECT_EQ(today.focus(), "2h 55m");
  QStringList figures;
  QStringList read;
  for (const Figure* figure : today.findChildren<Figure*>()) {
    figures << figure->label() + ": " + figure->value();
    read << figure->accessibleName();
  }
  EXPECT_EQ(figures, (QStringList{"Detours (est.): 22m", "Breaks: 12m", "Away (est.): 19m",
                                  "Paused: 7m", "Prompts: 3"}));
  EXPECT_EQ(read, (QStringList{"Detours (est.) 22m", "Breaks 12m", "Away (est.) 19m", "Paused 7m",
                               "Prompts 3"}));
  EXPECT_EQ(today.caption(), "8:00 AM to now");
  ASSERT_NE(today.strip(), nullptr);
  EXPECT_EQ(today.strip()->accessibleName(), "Today from 8:00 AM to now");
  EXPECT_EQ(today.strip()->accessibleDescription(),
            "2h 55m focus, 22m detours, 12m break, 19m away, 7m paused, 3 prompts");

  ASSERT_NE(page.stretchFigure(), nullptr);
  EXPECT_EQ(page.stretchFigure()->shown(),
            (StretchFigure::Texts{"Longest stretch today", "51m", "from 10:31 AM", ""}));
  protect();
  ASSERT_NE(page.stretchFigure(), nullptr);
  EXPECT_EQ(page.stretchFigure()->shown(),
            (StretchFigure::Texts{"This stretch", "24m", "since 11:36 AM", "Longest today 51m"}));

  ASSERT_NE(page.tasks(), nullptr);
  const auto* bars = page.tasks()->findChild<TaskBars*>();
  ASSERT_NE(bars, nullptr);
  QStringList projects;
  QStringList heard;
  for (QBRow* row : bars->rows()) {
    projects << row->title() + ": " + qobject_cast<TaskBar*>(row->accessory())->value();
    // A screen reader gets each row's name and value; the accessibility bus carries the value as
    // the description.
    const QAccessibleInterface* element = QAccessible::queryAccessibleInterface(row);
    ASSERT_NE(element, nullptr);
    heard << element->text(QAccessible::Name) + ": " + element->text(QAccessible::Value) + " / " +
                 element->text(QAccessible::Description);
  }
  EXPECT_EQ(projects, (QStringList{"Taxes: 1h 15m", "Quillbrook: 57m", "Thesis: 43m"}));
  EXPECT_EQ(heard,
            (QStringList{"Taxes: 1h 15m / 1h 15m", "Quillbrook: 57m / 57m", "Thesis: 43m / 43m"}));

  ASSERT_NE(page.questionView(), nullptr);
  QStringList card;
  for (const ElidedText* text : page.questionView()->findChildren<ElidedText*>())
    card << text->accessibleName();
  EXPECT_TRUE(card.contains("video.example \u00b7 33m today")) << card.join(" | ").toStdString();
}

TEST_F(HomePageTest, TheTodayCaptionTellsWhatIsUnderThePointer) {
  workedToday();
  page.show();
  QCoreApplication::processEvents();
  const TodaySection& today = page.todaySection();
  ASSERT_NE(today.strip(), nullptr);
  DayStrip& strip = *today.strip();
  const QString resting = today.caption();
  EXPECT_EQ(resting, Format::timeOfDay(TodaySection::stripStart(model.today(), wallClock.now())) +
                         " to now");

  // In the last stretch of focus, which ended half a minute ago.
  const QPointF end(strip.x(wallClock.now() - 600, strip.width()), DayStrip::kTrackTop + 1);
  QMouseEvent move(QEvent::MouseMove, end, strip.mapToGlobal(end), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(&strip, &move);
  EXPECT_EQ(today.caption(), strip.describe(end.x(), strip.width()));
  EXPECT_TRUE(today.caption().startsWith("Focus ")) << today.caption().toStdString();
  QEvent left(QEvent::Leave);
  QCoreApplication::sendEvent(&strip, &left);
  EXPECT_EQ(today.caption(), resting);
}

TEST_F(HomePageTest, TheStripStartsOnAFullHourAtLeastAnHourBack) {
  const auto at = [](int hour, int minute) {
    return Date::fromUnix(
        static_cast<double>(QDateTime(QDate(2026, 3, 4), QTime(hour, minute)).toSecsSinceEpoch()));
  };
  const Date now = at(10, 20);
  const auto spanFrom = [&](Date start) {
    return AppModel::Today{at(0, 0), {{History::Kind::focus, start, start + 60}}, {}};
  };
  EXPECT_EQ(TodaySection::stripStart(spanFrom(at(9, 47)), now), at(9, 0));
  EXPECT_EQ(TodaySection::stripStart(spanFrom(at(10, 5)), now), at(9, 0));
  EXPECT_EQ(TodaySection::stripStart(spanFrom(at(7, 59)), now), at(7, 0));
  EXPECT_EQ(TodaySection::stripStart({at(0, 0), {}, {}}, now), at(9, 0));
  EXPECT_EQ(TodaySection::stripStart({at(0, 0), {}, {at(8, 30)}}, now), at(8, 0));
}

TEST_F(HomePageTest, TheRunningStretchMentionsTheLongestOnlyWhenItIsWellShortOfIt) {
  using History::Kind;
  const Date now = wallClock.now();
  const auto figure = [&](Duration longestMinutes, bool live) {
    const AppModel::Today today{now - 8 * 3600,
                                {{Kind::focus, now - 7200, now - 7200 + longestMinutes * 60},
                                 {Kind::detour, now - 3000, now - 1200},
                                 {Kind::focus, now - 1200, now - 10}},
                                {}};
    return StretchFigure(today, live, wallClock).shown();
  };
  EXPECT_EQ(figure(21, true).title, "This stretch");
  EXPECT_EQ(figure(21, true).value, "20m");
  EXPECT_EQ(figure(21, true).longest, "") << "20 minutes and one more are not short of 21";
  EXPECT_EQ(figure(25, true).longest, "Longest today 25m");
  EXPECT_EQ(figure(25, false), (StretchFigure::Texts{"Longest stretch today", "25m",
                                                     "from " + Format::timeOfDay(now - 7200), ""}));
  EXPECT_EQ(StretchFigure({now, {}, {}}, true, wallClock).shown(),
            (StretchFigure::Texts{"Longest stretch today", "", "", ""}));
}

TEST_F(HomePageTest, TheLongestStretchIsTheFirstOfTheLongest) {
  using History::Kind;
  const Date t{800000000};
  AppModel::Today today{t, {}, {}};
  EXPECT_FALSE(longest(today).has_value());
  today.spans = {{Kind::focus, t, t + 600},
                 {Kind::detour, t + 600, t + 4000},
                 {Kind::focus, t + 4000, t + 5200},
                 {Kind::focus, t + 6000, t + 7200}};
  EXPECT_EQ(longest(today), (History::Span{Kind::focus, t + 4000, t + 5200}));
}

TEST_F(HomePageTest, ANoticeAboveTodaysFiguresSaysWhileTheyAreUnsaved) {
  workedToday();
  page.show();
  const QLabel& notice = page.eventLogNotice();
  setUnsaved(AppModel::Unsaved::learned, true);
  EXPECT_FALSE(notice.isVisibleTo(&page)) << "another page's";
  setUnsaved(AppModel::Unsaved::eventLog, true);
  ASSERT_TRUE(notice.isVisibleTo(&page));
  EXPECT_EQ(notice.text(), "Today's time can't be saved for now. It's kept until it can be.");
  QCoreApplication::processEvents();
  EXPECT_LT(notice.mapTo(page.column(), QPoint()).y(),
            page.todaySection().mapTo(page.column(), QPoint()).y());
  save("home-event-log-unsaved.png");
  setUnsaved(AppModel::Unsaved::eventLog, false);
  EXPECT_FALSE(notice.isVisibleTo(&page));
}

TEST_F(HomePageTest, Screenshots) {
  save("home-fresh.png");
  protect({"quillbrook"});
  see({"docs.example", "firefox-esr", 0, ActivityKind::work, true});
  setAgent(AgentSession("Coder", "/home/me/quillbrook", "fix-login", wallClock.now(), true));
  workedToday();
  ask();
  save("home-protecting.png");
}

TEST_F(HomePageTest, ANarrowPageStacksTheStretchOverTheFactsAndShrinksTheHeadline) {
  protect({"quillbrook", "docs.example", "a design review with a very long name"});
  see({"docs.example", "firefox-esr", 0, ActivityKind::work, true});
  workedToday();
  page.resize(kNarrowWidth, kHeight);
  save("home-narrow.png");

  ASSERT_NE(page.stretchFigure(), nullptr);
  const QPoint stretch = page.stretchFigure()->mapTo(&page, QPoint());
  const QPoint facts = page.seenFact().mapTo(&page, QPoint());
  EXPECT_GT(facts.y(), stretch.y()) << "the facts go under the stretch";
  EXPECT_EQ(facts.x(), stretch.x());

  const auto* headline = page.findChild<ElidedText*>(QStringLiteral("headline"));
  ASSERT_NE(headline, nullptr);
  const int pixels = headline->runs().front().font.pixelSize();
  EXPECT_EQ(pixels, std::lround(HomePage::kHeadlinePixels * HomePage::kHeadlineMinimumScale))
      << "shrunk as far as it goes";
  EXPECT_TRUE(headline->shownLines().value(0).endsWith(QChar(0x2026))) << "then cut";

  protect({"quillbrook"});
  EXPECT_EQ(headline->runs().front().font.pixelSize(), HomePage::kHeadlinePixels)
      << "a short headline takes its full size again";
}

}  // namespace
}  // namespace qb
