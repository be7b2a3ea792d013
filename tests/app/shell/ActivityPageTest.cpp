#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "app/design/Pixels.h"
#include "app/model/ModelHarness.h"
#include "app/shell/WeekOfWork.h"
#include "design/QB.h"
#include "design/QBGroup.h"
#include "design/QBRow.h"
#include "model/AppModel.h"
#include "recording/EventStore.h"
#include "sensing/Prefs.h"
#include "shell/ActivityCharts.h"
#include "shell/ActivityPage.h"
#include "shell/Navigation.h"
#include "shell/PageChrome.h"

namespace qb {

namespace {

using Kind = History::Kind;

// A wall-clock date on a day of the week of 2026-11-30 (a Monday) at a time of day here.
Date localDate(int day, int hour = 0, int minute = 0) {
  const QDateTime time(QDate(2026, 11, 30).addDays(day), QTime(hour, minute));
  return Date::fromUnix(static_cast<double>(time.toSecsSinceEpoch()));
}

History::Day day(int index, double focus, double detours, int prompts = 0) {
  History::Day made(localDate(index));
  made.focus = focus;
  made.detours = detours;
  made.prompts = prompts;
  return made;
}

QString rowValue(const QBRow& row) {
  const auto* label = qobject_cast<const QLabel*>(row.accessory());
  return label != nullptr ? label->text() : QString();
}

}  // namespace

// The page over a model whose week the tests set as the coordinator does, announcing each change.
// The page is read as a person reads it: its sections top to bottom, each group's rows.
class ActivityPageTest : public testing::Test, protected test::ModelHarness {
protected:
  using Property = AppModel::Property;

  ActivityPageTest() : model(services(home / "Quillbrook")) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  }
  ~ActivityPageTest() override { QLocale::setDefault(before); }

  void setWeek(std::vector<History::Day> week) {
    model.assign(model.week_, std::move(week), Property::week);
  }
  void setTasks(std::vector<AppModel::TaskTime> tasks) {
    model.assign(model.weekTasks_, std::move(tasks), Property::weekTasks);
  }
  // A full week: focus and detours each day, a quiet Sunday, prompts and their answers.
  void fillWeek() {
    std::vector<History::Day> week = {
        day(0, 5400, 720, 3),  day(1, 9000, 1800, 5), day(2, 3600, 300, 1), day(3, 12600, 900, 2),
        day(4, 7200, 2400, 4), day(5, 1200, 0),       day(6, 4500, 600, 2)};
    week[1].back = 3;
    week[1].forWork = 1;
    week[3].breaks = 2;
    week[4].closed = 4;
    week[4].switches = 6;
    week[6].away = 1800;
    week[6].paused = 600;
    week[6].switches = 1;
    setWeek(std::move(week));
    setTasks({{"Quillbrook", 21600}, {"Thesis", 10800}, {"Taxes", 3600}});
  }

  // A week whose figures all differ (see WeekOfWork.h), in the event log as start-up opens it,
  // read back as the tick does.
  void liveTheWeek() {
    model.store_ = std::make_unique<EventStore>(model.projectsURL("events.sqlite"));
    test::logDaysBefore(*model.store_);
    test::liveMonday(model, *model.store_, timers, wallClock);
    model.refreshRecap();
  }

  ActivityPage& page() {
    if (!page_) {
      page_ = std::make_unique<ActivityPage>(model, navigation);
      page_->resize(kPageSize);
      page_->show();
    }
    QCoreApplication::processEvents();
    return *page_;
  }

  // The sections as shown, top to bottom: "Last 7 days", "chart", "key", a group's header, the
  // text of a lede or a footer.
  QStringList sections() {
    QWidget* holder = page().column()->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    std::vector<QWidget*> shown;
    for (QWidget* each : holder->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
      if (each->isVisibleTo(holder)) shown.push_back(each);
    std::sort(shown.begin(), shown.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
    QStringList described;
    for (QWidget* each : shown) {
      if (auto* group = qobject_cast<QBGroup*>(each))
        described << group->header().value_or(QString());
      else if (auto* label = qobject_cast<QLabel*>(each))
        described << label->text();
      else if (qobject_cast<WeekChart*>(each))
        described << "chart";
      else if (!each->findChildren<Legend*>().empty())
        described << "key";
      else if (auto* heading = each->findChild<QLabel*>())
        described << heading->text();
    }
    return described;
  }
  // The rows of the group with that header: "title: value".
  QStringList rows(const QString& header) {
    for (QBGroup* group : page().findChildren<QBGroup*>()) {
      if (!group->isVisibleTo(&page()) || group->header() != header) continue;
      QStringList described;
      for (QBRow* row : group->findChildren<QBRow*>()) {
        if (qobject_cast<TaskBar*>(row->accessory()))
          described << row->title() + ": " + qobject_cast<TaskBar*>(row->accessory())->value();
        else
          described << row->title() + ": " + rowValue(*row);
      }
      return described;
    }
    return {};
  }
  void pointAt(QWidget& widget, QPointF at) {
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
  }
  void leave(QWidget& widget) {
    QEvent left(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &left);
  }
  void screenshot(const QString& name) {
    ASSERT_TRUE(page().grab().save(QStringLiteral(QB_SCREENSHOTS) + "/" + name));
  }

  static constexpr QSize kPageSize{680, 1180};
  QLocale before;
  AppModel model;
  Navigation navigation;
  std::unique_ptr<ActivityPage> page_;
};

TEST_F(ActivityPageTest, AnEmptyWeekSaysSoAndCountsNothing) {
  EXPECT_EQ(sections(),
            QStringList({"Last 7 days", "No history yet. The week fills in as you work.", "Time",
                         "Switches", "Prompts"}));
  EXPECT_EQ(page().caption()->text(), "Time at the computer, estimated");
  EXPECT_EQ(rows("Time"), QStringList({"Focus (est.): 0m", "Detours (est.): 0m", "Away (est.): 0m",
                                       "Paused: 0m"}));
  EXPECT_EQ(rows("Switches"), QStringList({"To other work: 0"}));
  EXPECT_EQ(rows("Prompts"), QStringList({"Shown: 0", "Back to work: 0", "It's for work: 0",
                                          "Breaks: 0", "Closed: 0"}));
  screenshot("activity-empty.png");

  // Days with only away or paused time are no history either.
  History::Day idle = day(6, 0, 0);
  idle.away = 3600;
  setWeek({day(5, 0, 0), idle});
  EXPECT_EQ(page().chart(), nullptr);
  EXPECT_EQ(rows("Time")[2], "Away (est.): 1h 0m");
}

TEST_F(ActivityPageTest, AWeekOfWorkShowsTheChartAndTheWeeksTotals) {
  fillWeek();
  EXPECT_EQ(sections(), QStringList({"Last 7 days", "chart", "key", "Time", "Focus by project",
                                     "Switches", "Prompts"}));
  EXPECT_EQ(rows("Time"), QStringList({"Focus (est.): 12h 5m", "Detours (est.): 1h 52m",
                                       "Away (est.): 30m", "Paused: 10m"}));
  EXPECT_EQ(rows("Focus by project"),
            QStringList({"Quillbrook: 6h 0m", "Thesis: 3h 0m", "Taxes: 1h 0m"}));
  EXPECT_EQ(rows("Switches"), QStringList({"To other work: 7"}));
  EXPECT_EQ(rows("Prompts"), QStringList({"Shown: 17", "Back to work: 3", "It's for work: 1",
                                          "Breaks: 2", "Closed: 4"}));
  screenshot("activity-week.png");

  // The week moves on: the page follows, and a week without projects drops their group alone.
  setTasks({});
  setWeek({day(6, 0, 0, 2)});
  EXPECT_EQ(sections(),
            QStringList({"Last 7 days", "chart", "key", "Time", "Switches", "Prompts"}));
  EXPECT_EQ(rows("Prompts")[0], "Shown: 2");
}

TEST_F(ActivityPageTest, EachFigureOfTheWeekShowsItsOwnValue) {
  page();
  liveTheWeek();
  EXPECT_EQ(rows("Time"), QStringList({"Focus (est.): 13h 49m", "Detours (est.): 2h 13m",
                                       "Away (est.): 1h 4m", "Paused: 37m"}));
  EXPECT_EQ(rows("Focus by project"),
            QStringList({"Quillbrook: 7h 5m", "Thesis: 4h 25m", "Taxes: 2h 1m", "Garden: 18m"}));
  EXPECT_EQ(rows("Switches"), QStringList({"To other work: 9"}));
  EXPECT_EQ(rows("Prompts"), QStringList({"Shown: 21", "Back to work: 6", "It's for work: 4",
                                          "Breaks: 2", "Closed: 5"}));

  // Each day in its own column, oldest first: above its bar, to a screen reader, and in the
  // caption while the pointer rests on it.
  const QStringList tops = {"1h 15m", "3h 51m", "27m", "2h 39m", "2h 19m", "2h 14m", "3h 17m"};
  const QStringList names = {"Tuesday",  "Wednesday", "Thursday", "Friday",
                             "Saturday", "Sunday",    "Monday"};
  const QStringList times = {"1h 10m focus, 5m detours",  "3h 20m focus, 31m detours",
                             "25m focus, 2m detours",     "2h 26m focus, 13m detours",
                             "1h 35m focus, 44m detours", "1h 58m focus, 16m detours",
                             "2h 55m focus, 22m detours"};
  const QStringList prompts = {"2 prompts", "4 prompts", "1 prompt", "6 prompts",
                               "5 prompts", "0 prompts", "3 prompts"};
  WeekChart* chart = page().chart();
  ASSERT_NE(chart, nullptr);
  QAccessibleInterface* week = QAccessible::queryAccessibleInterface(chart);
  ASSERT_NE(week, nullptr);
  ASSERT_EQ(week->childCount(), 7);
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(names[i].toStdString());
    EXPECT_EQ(chart->topLabel(i), tops[i]);
    EXPECT_EQ(chart->weekday(i), names[i].left(3));
    EXPECT_EQ(week->child(i)->text(QAccessible::Name), names[i]);
    EXPECT_EQ(week->child(i)->text(QAccessible::Value), times[i]);
    pointAt(*chart, chart->columnRect(i).center());
    EXPECT_EQ(page().caption()->text(), names[i] + ": " + times[i] + ", " + prompts[i]);
  }
  screenshot("activity-week-of-work.png");
}

TEST_F(ActivityPageTest, AShortHistoryIsPointedOutAtTheFoot) {
  const QString footer = "History is kept for 1 day. Change it in Settings.";
  model.prefs().setKeepDays(1);
  EXPECT_EQ(sections().last(), footer);
  model.prefs().setKeepDays(30);
  EXPECT_EQ(sections().last(), "Prompts");
  model.prefs().setKeepDays(6);
  EXPECT_EQ(sections().last(), "History is kept for 6 days. Change it in Settings.");
  model.prefs().setKeepDays(7);
  EXPECT_EQ(sections().last(), "Prompts");
}

TEST_F(ActivityPageTest, TheCaptionTellsTheDayUnderThePointer) {
  fillWeek();
  WeekChart& pointed = *page().chart();
  const QRectF third = pointed.columnRect(2);
  pointAt(pointed, third.center());
  EXPECT_EQ(page().caption()->text(), "Wednesday: 1h 0m focus, 5m detours, 1 prompt");
  EXPECT_EQ(pointed.hovered(), 2);
  screenshot("activity-week-pointed.png");
  // A week that moves on under the resting pointer keeps the day pointed at.
  std::vector<History::Day> later = model.week();
  later[2].prompts = 4;
  setWeek(later);
  EXPECT_EQ(page().chart()->hovered(), 2);
  EXPECT_EQ(page().caption()->text(), "Wednesday: 1h 0m focus, 5m detours, 4 prompts");
  WeekChart& chart = *page().chart();

  // Between two columns no day is under the pointer; leaving the chart brings the default back.
  pointAt(chart, {third.right() + WeekChart::kColumnSpacing / 2, third.center().y()});
  EXPECT_EQ(chart.hovered(), std::nullopt);
  pointAt(chart, chart.columnRect(6).center());
  EXPECT_EQ(page().caption()->text(), "Sunday: 1h 15m focus, 10m detours, 2 prompts");
  leave(chart);
  EXPECT_EQ(page().caption()->text(), "Time at the computer, estimated");
}

TEST(ActivityPageSummary, NamesTheWeekdayAndCountsInAgreement) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(ActivityPage::summary(day(2, 5400, 720, 3)),
            "Wednesday: 1h 30m focus, 12m detours, 3 prompts");
  EXPECT_EQ(ActivityPage::summary(day(0, 0, 59, 1)), "Monday: 0m focus, 0m detours, 1 prompt");
  QLocale::setDefault(before);
}

// --- The charts ---

class ActivityChartsTest : public testing::Test {
protected:
  ActivityChartsTest() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  ~ActivityChartsTest() override { QLocale::setDefault(before); }

  template <typename Chart>
  static Chart& sized(Chart& chart, int width) {
    chart.resize(width, chart.sizeHint().height());
    return chart;
  }

  QLocale before;
};

TEST_F(ActivityChartsTest, WeekBarsStandInProportionOnOneBaseline) {
  WeekChart chart({day(0, 3600, 3600), day(1, 30, 0), day(2, 0, 0), day(3, 7200, 0)});
  sized(chart, 400);
  EXPECT_EQ(WeekChart::top({}), 3600);
  EXPECT_EQ(WeekChart::top({day(0, 3600, 3600)}), 7200);

  // The busiest day reaches the full height; half the time is half the height.
  EXPECT_DOUBLE_EQ(chart.focusRect(0).height(), 75);
  EXPECT_DOUBLE_EQ(chart.detourRect(0).height(), 75);
  EXPECT_DOUBLE_EQ(chart.detourRect(0).bottom(), chart.focusRect(0).top());
  EXPECT_DOUBLE_EQ(chart.focusRect(3).height(), WeekChart::kTallestBar);
  // A few seconds still show; nothing draws nothing.
  EXPECT_DOUBLE_EQ(chart.focusRect(1).height(), WeekChart::kMinimumBar);
  EXPECT_DOUBLE_EQ(chart.detourRect(1).height(), 0);
  EXPECT_DOUBLE_EQ(chart.focusRect(2).height(), 0);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_DOUBLE_EQ(chart.focusRect(i).bottom(), chart.baseline());
    EXPECT_DOUBLE_EQ(chart.focusRect(i).width(), WeekChart::kBarWidth);
    EXPECT_DOUBLE_EQ(chart.focusRect(i).center().x(), chart.columnRect(i).center().x());
    // The duration sits above the bar, the weekday under the line.
    EXPECT_LT(chart.topLabelRect(i).bottom(), chart.detourRect(i).top());
    EXPECT_GT(chart.weekdayRect(i).top(), chart.baseline());
    EXPECT_LE(chart.weekdayRect(i).bottom(), chart.height());
  }
  // Four columns and three gaps fill the width.
  EXPECT_DOUBLE_EQ(chart.columnRect(3).right(), 400);
  EXPECT_DOUBLE_EQ(chart.columnRect(1).left() - chart.columnRect(0).right(),
                   WeekChart::kColumnSpacing);

  EXPECT_EQ(chart.topLabel(0), "2h 0m");
  EXPECT_EQ(chart.topLabel(2), "");
  EXPECT_EQ(chart.weekday(0), "Mon");
  EXPECT_EQ(chart.weekday(3), "Thu");
  EXPECT_EQ(chart.describe(0), "Monday, 1h 0m focus, 1h 0m detours");
}

TEST_F(ActivityChartsTest, EachDayOfTheWeekIsAnElementAScreenReaderReadsOverItsColumn) {
  WeekChart chart({day(0, 3600, 600), day(1, 0, 0), day(2, 5400, 0)});
  sized(chart, 400).show();
  QAccessibleInterface* week = QAccessible::queryAccessibleInterface(&chart);
  ASSERT_NE(week, nullptr);
  ASSERT_EQ(week->childCount(), 3);
  const std::vector<std::pair<QString, QString>> read = {{"Monday", "1h 0m focus, 10m detours"},
                                                         {"Tuesday", "0m focus, 0m detours"},
                                                         {"Wednesday", "1h 30m focus, 0m detours"}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    QAccessibleInterface* column = week->child(i);
    ASSERT_NE(column, nullptr);
    EXPECT_EQ(column->text(QAccessible::Name), read[static_cast<size_t>(i)].first);
    EXPECT_EQ(column->text(QAccessible::Value), read[static_cast<size_t>(i)].second);
    // What the accessibility bus carries to a reader beside the name.
    EXPECT_EQ(column->text(QAccessible::Description), read[static_cast<size_t>(i)].second);
    const QRect area = chart.columnRect(i).toAlignedRect();
    EXPECT_EQ(column->rect(), QRect(chart.mapToGlobal(area.topLeft()), area.size()));
    EXPECT_EQ(week->childAt(column->rect().center().x(), column->rect().center().y()), column);
  }

  // The columns let the pointer through to the chart, which still hovers the day.
  QTest::mouseMove(&chart, chart.columnRect(2).center().toPoint());
  EXPECT_TRUE(test::waitUntil([&] { return chart.hovered() == 2; }));
}

TEST_F(ActivityChartsTest, TheStripsHighlightEasesInInsteadOfJumping) {
  constexpr qreal kSettled = 1e-6;
  const std::vector<History::Span> spans = {{Kind::focus, localDate(2, 9), localDate(2, 10)},
                                            {Kind::detour, localDate(2, 10), localDate(2, 11)}};
  DayStrip strip(spans, {}, localDate(2, 9), localDate(2, 11));
  sized(strip, 400).show();
  const auto focusPixel = [&] {
    return strip.grab().toImage().pixelColor(strip.spanRect(0).center().toPoint());
  };
  const QColor lit = focusPixel();

  QMouseEvent move(QEvent::MouseMove, QPointF(300, 20), QPointF(300, 20), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&strip, &move);
  ASSERT_EQ(strip.hoveredSpan(), 1);
  EXPECT_TRUE(test::near(focusPixel(), lit)) << "dimmed at once";
  ASSERT_TRUE(test::waitUntil(
      [&] { return std::abs(strip.spanOpacity(0) - DayStrip::kDimmed) < kSettled; }));
  const QColor dimmed = focusPixel();
  EXPECT_GT(test::channelDistance(dimmed, lit), test::kFillTolerance);

  // Leaving eases back the same way.
  QEvent left(QEvent::Leave);
  QCoreApplication::sendEvent(&strip, &left);
  EXPECT_TRUE(test::near(focusPixel(), dimmed));
  EXPECT_TRUE(test::waitUntil([&] { return static_cast<bool>(test::near(focusPixel(), lit)); }));
}

TEST_F(ActivityChartsTest, ProjectBarsShowTheFirstFiveAgainstTheLargest) {
  std::vector<AppModel::TaskTime> tasks;
  for (double seconds : {3600.0, 7200.0, 1800.0, 0.0, 600.0, 9000.0, 100.0})
    tasks.push_back({"Task " + std::to_string(tasks.size() + 1), seconds});
  TaskBars bars(tasks);
  ASSERT_EQ(bars.rows().size(), 5U);
  QStringList titles;
  std::vector<qreal> widths;
  for (QBRow* row : bars.rows()) {
    titles << row->title();
    widths.push_back(qobject_cast<TaskBar*>(row->accessory())->barRect().width());
  }
  // In the order given; the sixth, larger than all shown, is not the scale.
  EXPECT_EQ(titles, QStringList({"Task 1", "Task 2", "Task 3", "Task 4", "Task 5"}));
  EXPECT_EQ(widths, (std::vector<qreal>{60, 120, 30, 0, 10}));
  EXPECT_EQ(qobject_cast<TaskBar*>(bars.rows()[1]->accessory())->value(), "2h 0m");
}

// Drawn as a person sees them: each bar as long as its share of the largest in the time shown
// beside it, and no bar at all beside "0m".
TEST_F(ActivityChartsTest, ProjectBarsAreDrawnAsTheirShareOfTheLargestAndNotAtAllForNone) {
  struct Case {
    const char* scene;
    std::vector<double> seconds;
    std::vector<int> drawn;  // columns of the bar's colour in each row
  };
  const std::vector<Case> cases = {
      {"a whole, a half, a minute and none", {7200, 3600, 60, 0}, {120, 60, 4, 0}},
      {"one project under a minute", {30}, {0}},
      {"every project at nothing", {0, 0}, {0, 0}},
      {"the largest under a minute", {10, 45}, {0, 0}},
      {"shares of what is shown, not of the seconds", {119, 179}, {60, 120}},
  };
  // Bar ends are antialiased: a column half covered is not of the bar's colour.
  constexpr int kEdgeColumns = 2;
  for (const Case& each : cases) {
    SCOPED_TRACE(each.scene);
    std::vector<AppModel::TaskTime> tasks;
    for (double seconds : each.seconds) tasks.push_back({"Project", seconds});
    test::Page page;
    auto* bars = page.add(new TaskBars(tasks));
    bars->resize(400, bars->sizeHint().height());
    const QImage image = page.image();
    ASSERT_EQ(bars->rows().size(), each.drawn.size());
    for (size_t i = 0; i < each.drawn.size(); ++i) {
      SCOPED_TRACE(i);
      const QWidget* bar = bars->rows()[i]->accessory();
      const QRect area(bar->mapTo(&page.window(), QPoint()), bar->size());
      int columns = 0;
      for (int x = area.left(); x <= area.right(); ++x) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
          if (test::near(image.pixelColor(x, y), QB::Hue::focus, test::kInkTolerance)) {
            ++columns;
            break;
          }
        }
      }
      EXPECT_NEAR(columns, each.drawn[i], each.drawn[i] == 0 ? 0 : kEdgeColumns);
    }
  }
}

TEST_F(ActivityChartsTest, StripHourLabelsKeepTheirDistanceAndLeaveRoomForNow) {
  const Date start = localDate(2, 9);
  struct Case {
    double hours;
    qreal width;
    std::vector<qreal> at;
  };
  for (const Case& each : {Case{3, 600, {0, 200, 400}}, Case{10, 300, {0, 60, 120, 180}},
                           Case{12, 100, {0}}, Case{2, 70, {}}, Case{0.5, 120, {0}}}) {
    SCOPED_TRACE(each.width);
    DayStrip strip({}, {}, start, start + each.hours * 3600);
    std::vector<qreal> at;
    for (Date tick : strip.hours(each.width))
      at.push_back(std::round(strip.x(tick, each.width) * 1000) / 1000);
    EXPECT_EQ(at, each.at);
  }
  EXPECT_EQ(DayStrip::hourLabel(localDate(2, 9)), "9 AM");
  EXPECT_EQ(DayStrip::hourLabel(localDate(2, 15)), "3 PM");
}

TEST_F(ActivityChartsTest, StripPlacesSpansAndPromptsByTime) {
  const Date start = localDate(2, 9);
  const std::vector<History::Span> spans = {
      {Kind::away, localDate(2, 8), localDate(2, 8, 30)},  // before the strip
      {Kind::focus, localDate(2, 9), localDate(2, 10)},
      {Kind::detour, localDate(2, 10), localDate(2, 10, 0) + 1},
      {Kind::breakTime, localDate(2, 9, 30), localDate(2, 9, 45)},  // over the focus
  };
  DayStrip strip(spans, {start, localDate(2, 10, 30)}, start, localDate(2, 11));
  sized(strip, 400);
  EXPECT_EQ(strip.spanRect(0),
            QRectF(0, DayStrip::kTrackTop, DayStrip::kMinimumSpan, DayStrip::kTrackHeight));
  EXPECT_EQ(strip.spanRect(1), QRectF(0, DayStrip::kTrackTop, 200, DayStrip::kTrackHeight));
  EXPECT_DOUBLE_EQ(strip.spanRect(2).left(), 200);
  EXPECT_DOUBLE_EQ(strip.spanRect(2).width(), DayStrip::kMinimumSpan);
  // Prompt marks are centred on their time, above the track.
  EXPECT_DOUBLE_EQ(strip.markRect(0).left(), -1);
  EXPECT_DOUBLE_EQ(strip.markRect(1).center().x(), 300);
  EXPECT_LE(strip.markRect(1).bottom(), DayStrip::kTrackTop);

  // Under the pointer: the later of two overlapping spans, a prompt near its mark, else the time.
  EXPECT_EQ(strip.describe(150, 400), "Break 9:30 AM to 9:45 AM");
  EXPECT_EQ(strip.span(150, 400), 3);
  EXPECT_EQ(strip.describe(50, 400), "Focus 9:00 AM to 10:00 AM");
  EXPECT_EQ(strip.describe(303, 400), "Prompt at 10:30 AM");
  EXPECT_EQ(strip.span(303, 400), std::nullopt);
  EXPECT_EQ(strip.describe(305, 400), "10:31 AM");
  EXPECT_EQ(strip.summary(), "1h 0m focus, 0m detours, 15m break, 30m away, 2 prompts");
  EXPECT_EQ(DayStrip({}, {}, start, start).summary(), "0 prompts");

  QImage image(strip.size() * 2, QImage::Format_ARGB32);
  image.setDevicePixelRatio(2);
  image.fill(QB::bgBase);
  strip.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  EXPECT_TRUE(image.save(QStringLiteral(QB_SCREENSHOTS) + "/activity-day-strip.png"));

  // The pointer highlights what it describes and tells the container.
  std::optional<QString> heard;
  QObject::connect(&strip, &DayStrip::hoveredChanged,
                   [&](const std::optional<QString>& text) { heard = text; });
  QMouseEvent move(QEvent::MouseMove, QPointF(150, 20), QPointF(150, 20), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&strip, &move);
  EXPECT_EQ(heard, "Break 9:30 AM to 9:45 AM");
  EXPECT_EQ(strip.hoveredSpan(), 3);
  QEvent left(QEvent::Leave);
  QCoreApplication::sendEvent(&strip, &left);
  EXPECT_EQ(heard, std::nullopt);
  EXPECT_EQ(strip.hoveredSpan(), std::nullopt);
}

TEST(TodayFigures, TotalsByKindAndTheRunningStretch) {
  const Date nine = localDate(2, 9);
  AppModel::Today today{localDate(2),
                        {{Kind::focus, nine, nine + 600},
                         {Kind::breakTime, nine + 600, nine + 900},
                         {Kind::focus, nine + 900, nine + 1500}},
                        {}};
  EXPECT_EQ(total(today, Kind::focus), 1200);
  EXPECT_EQ(total(today, Kind::detour), 0);
  // Running until kRunningSlack after its end, and only as the last span.
  EXPECT_EQ(current(today, nine + 1500 + kRunningSlack - 1), today.spans[2]);
  EXPECT_EQ(current(today, nine + 1500 + kRunningSlack), std::nullopt);
  today.spans.push_back({Kind::detour, nine + 1500, nine + 1510});
  EXPECT_EQ(current(today, nine + 1511), std::nullopt);
  EXPECT_EQ(current(AppModel::Today{}, nine), std::nullopt);
}

}  // namespace qb
