#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "base/Calendar.h"
#include "support/CivilTime.h"

namespace qb {
namespace {

using civil::utc;

TEST(CalendarTest, DaysRunFromTheFirstLocalMidnightToTheNext) {
  struct Day {
    const char* zone;
    Date at;
    Date start;    // the first instant of at's local day
    double hours;  // how long that day lasts
  };
  const Day days[] = {
      {"Europe/Berlin", utc(2026, 6, 14, 22, 30), utc(2026, 6, 14, 22, 0), 24},   // 00:30 local
      {"Europe/Berlin", utc(2026, 3, 29, 12, 0), utc(2026, 3, 28, 23, 0), 23},    // spring forward
      {"Europe/Berlin", utc(2026, 10, 25, 12, 0), utc(2026, 10, 24, 22, 0), 25},  // fall back
      {"America/New_York", utc(2024, 11, 3, 12, 0), utc(2024, 11, 3, 4, 0), 25},
      // Santiago skipped its midnight on 2022-09-11: the day starts when the clocks land at 01:00.
      {"America/Santiago", utc(2022, 9, 11, 15, 0), utc(2022, 9, 11, 4, 0), 23},
      // Havana went back from 01:00 to 00:00 on 2019-11-03, the Azores do every autumn: midnight
      // happens twice, and the day starts at the first one, whichever 00:30 `at` is.
      {"America/Havana", utc(2019, 11, 3, 4, 30), utc(2019, 11, 3, 4, 0), 25},
      {"America/Havana", utc(2019, 11, 3, 5, 30), utc(2019, 11, 3, 4, 0), 25},
      {"Atlantic/Azores", utc(2025, 10, 26, 0, 30), utc(2025, 10, 26, 0, 0), 25},
      {"Not/AZone", utc(2026, 1, 2, 3, 4), utc(2026, 1, 2, 0, 0), 24}};  // UTC days, as in ICU
  for (const Day& day : days) {
    SCOPED_TRACE(std::string(day.zone) + " at " + std::to_string(day.at.unixTime()));
    const Calendar calendar = Calendar::inZone(day.zone);
    EXPECT_EQ(calendar.isKnownZone(), day.zone != std::string("Not/AZone"));
    EXPECT_EQ(calendar.startOfDay(day.at), day.start);
    const Date next = day.start + day.hours * 3600;
    EXPECT_EQ(calendar.startOfDay(next - 1), day.start);
    EXPECT_EQ(calendar.startOfDay(next), next);
  }
}

TEST(CalendarTest, AddingDaysKeepsTheWallTimeAcrossClockChanges) {
  struct Case {
    const char* zone;
    Date from;
    int days;
    std::optional<Date> to;
  };
  const Case cases[] = {
      // Berlin's midnights on either side of the 23-hour 29 March.
      {"Europe/Berlin", utc(2026, 3, 27, 23, 0), 1, utc(2026, 3, 28, 23, 0)},
      {"Europe/Berlin", utc(2026, 3, 27, 23, 0), 2, utc(2026, 3, 29, 22, 0)},
      {"Europe/Berlin", utc(2026, 3, 29, 22, 0), -2, utc(2026, 3, 27, 23, 0)},
      {"Europe/Berlin", utc(2026, 6, 14, 22, 0), 0, utc(2026, 6, 14, 22, 0)},
      // Santiago has no midnight on 2022-09-11: the clocks land at 01:00.
      {"America/Santiago", utc(2022, 9, 12, 3, 0), -1, utc(2022, 9, 11, 4, 0)},
      {"UTC", Date::fromReference(NAN), -1, std::nullopt},
      {"UTC", Date::fromReference(INFINITY), 1, std::nullopt},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(std::string(test.zone) + " " + std::to_string(test.days));
    EXPECT_EQ(Calendar::inZone(test.zone).addingDays(test.days, test.from), test.to);
  }
}

TEST(CalendarTest, DatesOutsideTheCalendarStillGiveADay) {
  const Calendar utcCalendar = Calendar::inZone("UTC");
  EXPECT_TRUE(utcCalendar.startOfDay(Date::fromUnix(1e300)).isFinite());
  EXPECT_TRUE(std::isnan(utcCalendar.startOfDay(Date::fromReference(NAN)).sinceReferenceDate));
  EXPECT_FALSE(Calendar::current().zoneID().empty());
}

}  // namespace
}  // namespace qb
