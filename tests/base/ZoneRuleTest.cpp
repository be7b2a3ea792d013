#include <gtest/gtest.h>

#include <string>

#include "base/ZoneRule.h"
#include "support/CivilTime.h"

namespace qb {
namespace {

using civil::utc;

std::chrono::sys_seconds instant(Date date) {
  return std::chrono::sys_seconds{std::chrono::seconds(static_cast<int64_t>(date.unixTime()))};
}

TEST(ZoneRuleTest, PeriodsRunFromOneChangeToTheNext) {
  struct Case {
    const char* rule;
    Date at;
    Date begin;
    Date end;
    int offsetHours;
  };
  const Case cases[] = {
      // Written times and daylight offsets missing: changes at 02:00, daylight an hour ahead.
      {"EST5EDT,M3.2.0,M11.1.0", utc(2040, 7, 1), utc(2040, 3, 11, 7), utc(2040, 11, 4, 6), -4},
      // South of the equator daylight time spans the new year; "/24" is the midnight after the
      // first Saturday, on the clock that runs before the change.
      {"<-04>4<-03>,M9.1.6/24,M4.1.6/24", utc(2040, 1, 15), utc(2039, 9, 4, 4), utc(2040, 4, 8, 3),
       -3},
      // A change an hour before midnight, written as -1.
      {"<-02>2<-01>,M3.5.0/-1,M10.5.0/0", utc(2040, 6, 15), utc(2040, 3, 25, 1),
       utc(2040, 10, 28, 1), -1},
      // Daylight time behind standard time, in winter.
      {"IST-1GMT0,M10.5.0,M3.5.0/1", utc(2040, 1, 15), utc(2039, 10, 30, 1), utc(2040, 3, 25, 1),
       0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.rule);
    const auto rule = ZoneRule::parse(test.rule);
    ASSERT_TRUE(rule);
    const ZoneRule::Period period = rule->periodAt(instant(test.at));
    EXPECT_EQ(period.begin, instant(test.begin));
    EXPECT_EQ(period.end, instant(test.end));
    EXPECT_EQ(period.offset, std::chrono::hours(test.offsetHours));
    EXPECT_EQ(rule->periodAt(period.end).begin, period.end);
    EXPECT_NE(rule->periodAt(period.end).offset, period.offset);
  }

  // A standard time alone holds for ever, half hours and all.
  const auto india = ZoneRule::parse("IST-5:30");
  ASSERT_TRUE(india);
  const ZoneRule::Period always = india->periodAt(instant(utc(2040, 6, 15)));
  EXPECT_EQ(always.offset, std::chrono::minutes(330));
  EXPECT_LT(always.begin, instant(utc(1900, 1, 1)));
  EXPECT_GT(always.end, instant(utc(3000, 1, 1)));
}

TEST(ZoneRuleTest, TextOfAnotherFormIsRefused) {
  for (const char* text :
       {"", "EST", "5EDT", "<EST5", "EST25", "EST5EDT", "EST5EDT,J60,J300", "EST5EDT,60,300",
        "CET-1CEST,M3.5.0", "CET-1CEST,M13.5.0,M10.5.0", "CET-1CEST,M3.6.0,M10.5.0",
        "CET-1CEST,M3.5.7,M10.5.0", "CET-1CEST,M3.5.0,M10.5.0/168", "CET-1CEST,M3.5.0,M10.5.0 ",
        "CET-1:60"}) {
    EXPECT_FALSE(ZoneRule::parse(text)) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace qb
