#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

#include "context/DailyQuestion.h"
#include "support/CivilTime.h"

namespace qb {
namespace {

using civil::utc;

Moment page(std::string_view title, std::string_view address, uint64_t id = 1) {
  return Moment(id, Date::fromReference(0), "Firefox", "firefox", title, Url::parse(address));
}

Moment window(std::string_view title, std::string_view app = "Editor", uint64_t id = 1) {
  return Moment(id, Date::fromReference(0), app, "org." + std::string(app), title);
}

class DailyQuestionTest : public ::testing::Test {
protected:
  // What question() offers, in one comparable word: the title and seconds, or "none".
  std::string offered(const DailyQuestion& question, Date at) const {
    auto page = question.question(at, berlin);
    if (!page) return "none";
    std::ostringstream out;
    out << page->moment.title << " " << page->seconds;
    return out.str();
  }

  const Calendar berlin = Calendar::inZone("Europe/Berlin");
  // 2026-06-15 in Berlin (UTC+2) runs from 06-14 22:00 to 06-15 22:00 UTC.
  const Date morning = utc(2026, 6, 15, 7, 0);
  const Date evening = utc(2026, 6, 15, 21, 59);
  const Date nextMorning = utc(2026, 6, 16, 7, 0);
  const Moment budget = window("Budget", "Sheets");
};

TEST_F(DailyQuestionTest, SameTextSharesAPageWithTheNewestMoment) {
  DailyQuestion question;
  EXPECT_EQ(offered(question, morning), "none");
  EXPECT_EQ(offered(question, Date::fromReference(0)), "none");
  Moment first = window("Budget", "Sheets", 1), second = window("Budget", "Sheets", 2);
  question.add(first, 60, morning, berlin);
  EXPECT_EQ(offered(question, morning), "none");
  question.add(second, 70, morning + 60, berlin);
  EXPECT_EQ(question.question(evening, berlin), (DailyQuestion::Page{second, 130}));

  // Addresses that differ only after the first path segment read the same to the model...
  DailyQuestion web;
  web.add(page("Intro", "https://example.com/docs/a"), 70, morning, berlin);
  web.add(page("Intro", "https://www.example.com/docs/b?q=1", 2), 70, morning, berlin);
  // ...while another host, or the same title in a program, is another page.
  web.add(page("Intro", "https://example.org/docs/a"), 100, morning, berlin);
  web.add(window("Intro", "Firefox"), 100, morning, berlin);
  auto asked = web.question(morning, berlin);
  ASSERT_TRUE(asked.has_value());
  EXPECT_EQ(asked->seconds, 140);
  EXPECT_EQ(asked->moment.id, 2u);
}

TEST_F(DailyQuestionTest, MinimumIsInclusiveNaNNeverQualifiesAndTiesGoToTheFirstKey) {
  DailyQuestion question;
  question.add(window("Short"), 119.9, morning, berlin);
  question.add(window("Odd"), std::numeric_limits<double>::quiet_NaN(), morning, berlin);
  EXPECT_EQ(offered(question, morning), "none");
  question.add(window("Exact"), 120, morning, berlin);
  EXPECT_EQ(offered(question, morning), "Exact 120");
  question.minimum = 100;
  EXPECT_EQ(offered(question, morning), "Exact 120");  // most seconds wins
  question.minimum = 121;
  EXPECT_EQ(offered(question, morning), "none");

  DailyQuestion tied;
  tied.add(window("Zeta"), 150, morning, berlin);
  tied.add(window("Beta"), 150, morning, berlin);
  tied.add(window("Alpha", "Viewer"), 149, morning, berlin);
  EXPECT_EQ(offered(tied, morning), "Beta 150");  // "Editor. Beta" sorts before "Editor. Zeta"
  tied.add(window("Zeta"), 0.5, morning, berlin);
  EXPECT_EQ(offered(tied, morning), "Zeta 150.5");
}

TEST_F(DailyQuestionTest, AnAnswerHoldsForTheRestOfTheDayAndANewDayDropsUnaskedPages) {
  DailyQuestion question;
  question.add(budget, 200, morning, berlin);
  question.answer(morning + 3600, berlin);
  EXPECT_EQ(question.answered, berlin.startOfDay(morning));
  question.add(budget, 200, morning + 7200, berlin);  // still collects
  EXPECT_EQ(offered(question, morning), "none");
  EXPECT_EQ(offered(question, evening), "none");
  // The next day asks nothing until that day has collected a page of its own.
  EXPECT_EQ(offered(question, nextMorning), "none");
  question.add(budget, 130, nextMorning, berlin);
  EXPECT_EQ(offered(question, nextMorning), "Budget 130");  // yesterday's 400 s are gone

  // reset() forgets the pages, not the answer.
  question.answer(nextMorning, berlin);
  question.reset();
  question.add(budget, 200, nextMorning + 60, berlin);
  EXPECT_EQ(offered(question, nextMorning + 60), "none");
  EXPECT_EQ(question.answered, berlin.startOfDay(nextMorning));
  // An answer given before a relaunch is handed back in.
  DailyQuestion relaunched(berlin.startOfDay(morning));
  relaunched.add(budget, 300, evening, berlin);
  EXPECT_EQ(offered(relaunched, evening), "none");

  DailyQuestion unasked;
  unasked.add(budget, 500, evening, berlin);
  unasked.add(window("Other", "Sheets"), 10, nextMorning, berlin);
  EXPECT_EQ(offered(unasked, nextMorning), "none");
  unasked.add(budget, 500, nextMorning, berlin);
  unasked.reset();  // reset() alone also leaves nothing to ask
  EXPECT_EQ(offered(unasked, nextMorning), "none");
}

TEST_F(DailyQuestionTest, DaysAreLocalAndFollowDaylightSaving) {
  // 2026-03-29 in Berlin has 23 hours: 03-28 23:00 to 03-29 22:00 UTC.
  DailyQuestion question;
  question.add(budget, 100, utc(2026, 3, 28, 23, 10), berlin);  // 00:10 local
  question.add(budget, 100, utc(2026, 3, 29, 21, 50), berlin);  // 23:50 local, same day
  EXPECT_EQ(offered(question, utc(2026, 3, 29, 21, 59)), "Budget 200");
  // 22:30 UTC is less than 24 hours after midnight but already the next local day.
  EXPECT_EQ(offered(question, utc(2026, 3, 29, 22, 30)), "none");
  question.add(budget, 100, utc(2026, 3, 29, 22, 30), berlin);
  EXPECT_EQ(offered(question, utc(2026, 3, 29, 22, 30)), "none");  // 100 s only

  // 2026-10-25 has 25 hours: 10-24 22:00 to 10-25 23:00 UTC.
  DailyQuestion autumn;
  autumn.add(budget, 100, utc(2026, 10, 24, 22, 10), berlin);
  autumn.add(budget, 100, utc(2026, 10, 25, 22, 30), berlin);  // 24h20 later, same local day
  EXPECT_EQ(offered(autumn, utc(2026, 10, 25, 22, 59)), "Budget 200");
  autumn.answer(utc(2026, 10, 25, 22, 59), berlin);
  EXPECT_EQ(autumn.answered, utc(2026, 10, 24, 22, 0));

  // One instant lies in different days in different zones.
  DailyQuestion zones;
  zones.add(budget, 200, utc(2026, 6, 15, 23, 0), berlin);  // 06-16 in Berlin, 06-15 in New York
  const Calendar newYork = Calendar::inZone("America/New_York");
  EXPECT_EQ(zones.question(utc(2026, 6, 15, 23, 0), newYork), std::nullopt);
  EXPECT_TRUE(zones.question(utc(2026, 6, 16, 12, 0), berlin).has_value());
}

}  // namespace
}  // namespace qb
