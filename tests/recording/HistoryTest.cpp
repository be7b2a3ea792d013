#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "recording/History.h"
#include "support/CivilTime.h"

namespace qb {
namespace {

using EventKind = EventStore::Kind;
using Event = EventStore::Event;
using civil::utc;
using History::Day;
using History::Kind;
using History::Span;
using History::Task;

constexpr double kGap = 120;
constexpr double kMinute = 60;

// 2026-06-15, UTC; the spans know nothing of zones.
Date at(int hour, int minute, int second = 0) { return utc(2026, 6, 15, hour, minute) + second; }

Event event(EventKind kind, double value, Date time, std::optional<std::string> label = {}) {
  return Event{time, kind, value, std::move(label)};
}
// Focus from start to end, as the coordinator logs it: at its end, with its seconds.
Event work(Date start, Date end, std::string label = "Task") {
  return event(EventKind::work, end.since(start), end, std::move(label));
}

Span focus(Date start, Date end) { return {Kind::focus, start, end}; }

TEST(HistoryTest, SpansClipMergeWithinTheGapAndOnlyExtendTheLastSpan) {
  struct Case {
    const char* name;
    std::vector<Event> events;
    std::vector<Span> spans;
    Date from = at(0, 0);
    Date to = at(23, 59);
  };
  const Event nineToTen = work(at(9, 0), at(9, 10));
  const std::vector<Case> cases = {
      {"no events", {}, {}},
      {"work ends at its time", {nineToTen}, {focus(at(9, 0), at(9, 10))}},
      {"clipped to from", {nineToTen}, {focus(at(9, 5), at(9, 10))}, at(9, 5)},
      {"wholly before to", {nineToTen}, {}, at(0, 0), at(8, 59)},
      {"ends exactly at from", {nineToTen}, {}, at(9, 10)},
      {"gap of 119 s merges",
       {nineToTen, work(at(9, 11, 59), at(9, 20))},
       {focus(at(9, 0), at(9, 20))}},
      {"gap of exactly 120 s stays apart",
       {nineToTen, work(at(9, 12), at(9, 20))},
       {focus(at(9, 0), at(9, 10)), focus(at(9, 12), at(9, 20))}},
      // 09:10 to 09:13 is 180 s, more than the gap, whatever one calls it.
      {"09:10 to 09:13 stays apart",
       {nineToTen, work(at(9, 13), at(9, 20))},
       {focus(at(9, 0), at(9, 10)), focus(at(9, 13), at(9, 20))}},
      {"an overlap merges and never shortens",
       {nineToTen, work(at(9, 3), at(9, 8))},
       {focus(at(9, 0), at(9, 10))}},
      {"a detour between keeps the focus apart",
       {nineToTen, event(EventKind::detour, kMinute, at(9, 11)), work(at(9, 11), at(9, 20))},
       {focus(at(9, 0), at(9, 10)),
        {Kind::detour, at(9, 10), at(9, 11)},
        focus(at(9, 11), at(9, 20))}},
      {"a break runs from its time and is clipped at to",
       {event(EventKind::breakTaken, 15 * kMinute, at(11, 55))},
       {{Kind::breakTime, at(11, 55), at(12, 0)}},
       at(0, 0),
       at(12, 0)},
      {"away and paused end at their time",
       {event(EventKind::away, 30 * kMinute, at(13, 0)),
        event(EventKind::paused, 10 * kMinute, at(13, 10))},
       {{Kind::away, at(12, 30), at(13, 0)}, {Kind::paused, at(13, 0), at(13, 10)}}},
      {"instants and empty stretches make no span",
       {event(EventKind::prompt, 1, at(9, 0)), event(EventKind::back, 1, at(9, 1)),
        event(EventKind::related, 1, at(9, 2)), event(EventKind::dismissed, 1, at(9, 3)),
        event(EventKind::switched, 1, at(9, 4), "Mail"), work(at(9, 5), at(9, 5))},
       {}},
      {"work across midnight starts with the day",
       {work(at(0, 0) - 10 * kMinute, at(0, 5))},
       {focus(at(0, 0), at(0, 5))}},
      {"times that are no numbers are ignored",
       {event(EventKind::work, std::numeric_limits<double>::quiet_NaN(), at(9, 0)),
        event(EventKind::away, std::numeric_limits<double>::infinity(), at(9, 0))},
       {}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(History::spans(test.events, test.from, test.to, kGap), test.spans);
  }
}

TEST(HistoryTest, PromptsIncludeFromAndExcludeTo) {
  const std::vector<Event> events = {
      event(EventKind::prompt, 1, at(8, 59)), event(EventKind::prompt, 1, at(9, 0)),
      event(EventKind::back, 1, at(9, 1)), event(EventKind::prompt, 1, at(9, 30)),
      event(EventKind::prompt, 1, at(10, 0))};
  EXPECT_EQ(History::prompts(events, at(9, 0), at(10, 0)),
            (std::vector<Date>{at(9, 0), at(9, 30)}));
  EXPECT_TRUE(History::prompts({}, at(9, 0), at(10, 0)).empty());
}

// Berlin is UTC+2 in June: a local day runs from 22:00 UTC the evening before.
const Calendar berlin = Calendar::inZone("Europe/Berlin");
Date berlinMidnight(int month, int day) { return utc(2026, month, day) - 2 * 3600; }

std::vector<Date> starts(const std::vector<Day>& days) {
  std::vector<Date> out;
  for (const Day& day : days) out.push_back(day.start);
  return out;
}

TEST(HistoryTest, DaysAreLocalDaysOldestFirstEndingToday) {
  const Date now = utc(2026, 6, 15, 10, 0);
  std::vector<Date> week;
  for (int day = 9; day <= 15; ++day) week.push_back(berlinMidnight(6, day));
  EXPECT_EQ(starts(History::days({}, 7, now, berlin)), week);
  EXPECT_EQ(History::days({}, 1, now, berlin), std::vector<Day>{Day(berlinMidnight(6, 15))});
  EXPECT_TRUE(History::days({}, 0, now, berlin).empty());

  // Around the change to summer time (29 March, 02:00 to 03:00), days are 23 hours long and
  // still start at local midnight: 23:00 UTC before it, 22:00 UTC after.
  EXPECT_EQ(starts(History::days({}, 3, utc(2026, 3, 30, 12), berlin)),
            (std::vector<Date>{utc(2026, 3, 27, 23), utc(2026, 3, 28, 23), utc(2026, 3, 29, 22)}));

  // Santiago's clocks skip midnight on 6 September: that day starts at 01:00 (04:00 UTC), and
  // the day before it still at its own midnight.
  const Calendar santiago = Calendar::inZone("America/Santiago");
  EXPECT_EQ(starts(History::days({}, 2, utc(2026, 9, 6, 15), santiago)),
            (std::vector<Date>{utc(2026, 9, 5, 4), utc(2026, 9, 6, 4)}));
  EXPECT_EQ(starts(History::days({}, 2, utc(2026, 9, 7, 15), santiago)),
            (std::vector<Date>{utc(2026, 9, 6, 4), utc(2026, 9, 7, 3)}));
}

TEST(HistoryTest, DaysCountEachEventWholeOnTheDayOfItsTime) {
  const Date now = utc(2026, 6, 15, 10, 0);
  const Date monday = berlinMidnight(6, 15);
  const Date sunday = berlinMidnight(6, 14);
  const Date first = berlinMidnight(6, 13);

  const std::vector<Event> events = {
      event(EventKind::prompt, 1, first - 1),  // before the first day: nowhere
      event(EventKind::prompt, 1, first),
      work(monday - 301, monday - 1),                    // ends a second before midnight
      work(monday - 3 * kMinute, monday + 2 * kMinute),  // 00:02, reaching back over midnight
      event(EventKind::back, 1, now),
      event(EventKind::related, 1, now),
      event(EventKind::breakTaken, 900, now),
      event(EventKind::dismissed, 1, now),
      event(EventKind::switched, 1, now, "Mail"),
      event(EventKind::detour, 90, now),
      event(EventKind::away, 600, now),
      event(EventKind::paused, 45, now),
      event(EventKind::prompt, 1, now + 86400),  // tomorrow still counts to today
  };
  Day saturday(first);
  saturday.prompts = 1;
  Day sundayTotals(sunday);
  sundayTotals.focus = 300;
  Day mondayTotals(monday);
  mondayTotals.focus = 300;
  mondayTotals.detours = 90;
  mondayTotals.prompts = 1;
  mondayTotals.back = 1;
  mondayTotals.forWork = 1;
  mondayTotals.breaks = 1;
  mondayTotals.closed = 1;
  mondayTotals.switches = 1;
  mondayTotals.away = 600;
  mondayTotals.paused = 45;
  EXPECT_EQ(History::days(events, 3, now, berlin),
            (std::vector<Day>{saturday, sundayTotals, mondayTotals}));
}

TEST(HistoryTest, TasksGroupLabelsByKeyAndNameEachByItsLargestLabel) {
  const Date t = at(12, 0);
  struct Case {
    const char* name;
    std::vector<Event> events;
    std::vector<Task> tasks;
  };
  const std::vector<Case> cases = {
      {"case and punctuation differ",
       {event(EventKind::work, 1200, t, "Plan review"),
        event(EventKind::work, 600, t, "plan-review")},
       {{"Plan review", 1800}}},
      {"the larger sum names the group, whatever came first",
       {event(EventKind::work, 100, t, "budget"), event(EventKind::work, 200, t, "Budget!"),
        event(EventKind::work, 150, t, "budget")},
       {{"budget", 450}}},
      {"equal sums go to the label that sorts first",
       {event(EventKind::work, 300, t, "alpha"), event(EventKind::work, 300, t, "Alpha")},
       {{"Alpha", 600}}},
      {"most seconds first, then by name",
       {event(EventKind::work, 60, t, "Beta"), event(EventKind::work, 600, t, "Gamma"),
        event(EventKind::work, 60, t, "Alpha")},
       {{"Gamma", 600}, {"Alpha", 60}, {"Beta", 60}}},
      {"unlabelled work and other kinds are left out, an empty label is kept",
       {event(EventKind::work, 500, t), event(EventKind::switched, 1, t, "Mail"),
        event(EventKind::detour, 500, t), event(EventKind::work, 30, t, "")},
       {{"", 30}}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(History::tasks(test.events), test.tasks);
  }
}

}  // namespace
}  // namespace qb
