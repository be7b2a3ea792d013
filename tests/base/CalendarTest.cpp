#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <optional>
#include <string>

#include "base/Calendar.h"
#include "support/CivilTime.h"

namespace qb {
namespace {

using civil::utc;

struct Day {
  const char* zone;
  Date at;
  Date start;    // the first instant of at's local day
  double hours;  // how long that day lasts
};

// The day of `at` runs from `start` for `hours`, and the next one starts where it ends.
void expectDay(const Day& day) {
  SCOPED_TRACE(std::string(day.zone) + " at " + std::to_string(day.at.unixTime()));
  const Calendar calendar = Calendar::inZone(day.zone);
  EXPECT_EQ(calendar.isKnownZone(), day.zone != std::string("Not/AZone"));
  EXPECT_EQ(calendar.startOfDay(day.at), day.start);
  const Date next = day.start + day.hours * 3600;
  EXPECT_EQ(calendar.startOfDay(next - 1), day.start);
  EXPECT_EQ(calendar.startOfDay(next), next);
}

TEST(CalendarTest, DaysRunFromTheFirstLocalMidnightToTheNext) {
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
      {"Not/AZone", utc(2026, 1, 2, 3, 4), utc(2026, 1, 2, 0, 0), 24}};  // GMT days
  for (const Day& day : days) expectDay(day);
}

// Zones whose rules changed after 2022: their days start where the system's tzdata says, not
// where older rules put them. Each instant is past, so later tzdata keeps these answers.
TEST(CalendarTest, DaysFollowTheSystemsRulesWhereTheyChangedLately) {
  const Day days[] = {
      // Mexico ended daylight time in October 2022: June is UTC-6.
      {"America/Mexico_City", utc(2024, 6, 15, 12), utc(2024, 6, 15, 6), 24},
      // A zone that split from Ojinaga in late 2022 and keeps US daylight time.
      {"America/Ciudad_Juarez", utc(2024, 6, 15, 12), utc(2024, 6, 15, 6), 24},
      // Egypt's daylight time came back in 2023, starting at midnight on April's last Friday.
      {"Africa/Cairo", utc(2024, 4, 26, 12), utc(2024, 4, 25, 22), 23},
      {"Africa/Cairo", utc(2024, 6, 15, 12), utc(2024, 6, 14, 21), 24},
      // Paraguay stays on UTC-3 the year round since October 2024.
      {"America/Asuncion", utc(2025, 6, 15, 12), utc(2025, 6, 15, 3), 24},
      // Greenland moved to UTC-2 and changes clocks on Saturday evenings: 29 March 2025 is short.
      {"America/Nuuk", utc(2025, 3, 29, 12), utc(2025, 3, 29, 2), 23},
      // Kazakhstan went to UTC+5 in March 2024.
      {"Asia/Almaty", utc(2024, 6, 15, 12), utc(2024, 6, 14, 19), 24},
  };
  for (const Day& day : days) expectDay(day);
}

// The local time the C library gives with TZ set to the zone, which reads the system's files
// whole, also past the last change they list (2037): each file's closing rule carries on.
struct LibcLocalTime {
  explicit LibcLocalTime(const char* zone) {
    if (const char* before = std::getenv("TZ")) saved = before;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~LibcLocalTime() {
    if (saved) {
      ::setenv("TZ", saved->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }
  std::tm at(Date date) const {
    const auto seconds = static_cast<std::time_t>(date.unixTime());
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return local;
  }
  std::optional<std::string> saved;
};

TEST(CalendarTest, HoursAndWeekdaysAgreeWithTheCLibraryOnEitherSideOfTheListedYears) {
  // Northern and southern daylight time, changes at negative times and past midnight, daylight
  // time behind standard time, and zones whose rules changed after 2022.
  for (const char* zone :
       {"Europe/Berlin", "America/Santiago", "America/Nuuk", "Australia/Lord_Howe", "Europe/Dublin",
        "Africa/Cairo", "America/Mexico_City", "Asia/Gaza"}) {
    SCOPED_TRACE(zone);
    const Calendar calendar = Calendar::inZone(zone);
    const LibcLocalTime libc(zone);
    int differences = 0;
    for (Date at = utc(2037, 1, 1); at < utc(2039, 1, 1) && differences < 3; at += 1800) {
      const std::tm local = libc.at(at);
      if (calendar.hour(at) != local.tm_hour || calendar.weekday(at) != local.tm_wday + 1) {
        ADD_FAILURE() << "at " << at.unixTime() << ": " << calendar.hour(at).value_or(-1)
                      << " h, weekday " << calendar.weekday(at).value_or(-1)
                      << "; the C library: " << local.tm_hour << " h, weekday "
                      << local.tm_wday + 1;
        ++differences;
      }
    }
  }
}

// The program's calendar is that of the C library's local time, which TZ names when it is set.
// Run in a process of its own: the program keeps the zone it first found.
TEST(CalendarDeathTest, TheProgramsZoneIsTheOneTZNames) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ::setenv("TZ", ":America/Ciudad_Juarez", 1);
        const Calendar calendar = Calendar::current();
        const Date start = calendar.startOfDay(utc(2024, 6, 15, 12));
        std::cerr << calendar.zoneID() << ", day from " << start.unixTime() << "\n";
        std::exit(calendar.zoneID() == "America/Ciudad_Juarez" && start == utc(2024, 6, 15, 6) ? 0
                                                                                               : 1);
      },
      testing::ExitedWithCode(0), "");
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
