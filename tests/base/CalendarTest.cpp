#include <gtest/gtest.h>

#include <cmath>

#include "base/Calendar.h"
#include "support/CivilTime.h"

namespace qb {
namespace {

using civil::utc;

TEST(CalendarTest, DaysStartAtLocalMidnight) {
  Calendar berlin = Calendar::inZone("Europe/Berlin");
  ASSERT_TRUE(berlin.isKnownZone());
  // 2026-06-15 00:30 in Berlin (UTC+2) is still 2026-06-14 in UTC.
  EXPECT_EQ(berlin.startOfDay(utc(2026, 6, 14, 22, 30)), utc(2026, 6, 14, 22, 0));
  EXPECT_EQ(berlin.startOfDay(utc(2026, 6, 14, 21, 59)), utc(2026, 6, 13, 22, 0));
  EXPECT_TRUE(berlin.isSameDay(utc(2026, 6, 14, 22, 0), utc(2026, 6, 15, 21, 59)));
  EXPECT_FALSE(berlin.isSameDay(utc(2026, 6, 14, 21, 59), utc(2026, 6, 14, 22, 0)));
}

TEST(CalendarTest, DaylightSavingDaysAreShortAndLong) {
  Calendar berlin = Calendar::inZone("Europe/Berlin");
  // Clocks go forward on 2026-03-29: that day has 23 hours, the autumn day 25.
  Date spring = berlin.startOfDay(utc(2026, 3, 29, 12, 0));
  EXPECT_EQ(berlin.startOfDay(spring + 23 * 3600.0).since(spring), 23 * 3600.0);
  Date autumn = berlin.startOfDay(utc(2026, 10, 25, 12, 0));
  EXPECT_EQ(berlin.startOfDay(autumn + 25 * 3600.0).since(autumn), 25 * 3600.0);
  // A zone that skipped midnight itself (Santiago, 2022-09-11) starts the day at 01:00.
  Calendar santiago = Calendar::inZone("America/Santiago");
  Date skipped = santiago.startOfDay(utc(2022, 9, 11, 15, 0));
  EXPECT_EQ(skipped, utc(2022, 9, 11, 4, 0));
}

TEST(CalendarTest, UnknownZonesAndOddDatesStillGiveADay) {
  Calendar unknown = Calendar::inZone("Not/AZone");
  EXPECT_FALSE(unknown.isKnownZone());
  EXPECT_EQ(unknown.startOfDay(utc(2026, 1, 2, 3, 4)), utc(2026, 1, 2, 0, 0));
  EXPECT_TRUE(std::isfinite(Calendar::inZone("UTC").startOfDay(Date::fromUnix(1e300)).unixTime()));
  Date nan = Calendar::inZone("UTC").startOfDay(Date::fromReference(std::nan("")));
  EXPECT_TRUE(std::isnan(nan.sinceReferenceDate));
  EXPECT_FALSE(Calendar::current().zoneID().empty());
}

}  // namespace
}  // namespace qb
