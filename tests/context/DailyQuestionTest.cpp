#include <gtest/gtest.h>

#include <limits>

#include "context/ContextTest.h"
#include "context/DailyQuestion.h"
#include "support/CivilTime.h"

namespace qb {
namespace {

using civil::utc;
using test::page;
using test::window;

const Calendar berlin = Calendar::inZone("Europe/Berlin");
// 2026-06-15 in Berlin (UTC+2) runs from 06-14 22:00 to 06-15 22:00 UTC.
const Date morning = utc(2026, 6, 15, 7, 0);
const Date evening = utc(2026, 6, 15, 21, 59);
const Date nextMorning = utc(2026, 6, 16, 7, 0);
const Moment budget = window("Budget", "Sheets");

// What question() offers: the title and whole seconds, or "none".
std::string offered(const DailyQuestion& question, Date at) {
  auto page = question.question(at, berlin);
  return page ? page->moment.title + " " + std::to_string(int(page->seconds)) : "none";
}

TEST(DailyQuestionTest, SameTextSharesAPageWithTheNewestMoment) {
  DailyQuestion question;
  EXPECT_EQ(offered(question, morning), "none");
  question.add(window("Budget", "Sheets", 1), 60, morning, berlin);
  EXPECT_EQ(offered(question, morning), "none");
  question.add(window("Budget", "Sheets", 2), 70, morning + 60, berlin);
  EXPECT_EQ(question.question(evening, berlin),
            (DailyQuestion::Page{window("Budget", "Sheets", 2), 130}));

  // Addresses that differ only after the first path segment read the same to the model, while
  // another host, or the same title in a program, is another page.
  DailyQuestion web;
  web.add(page("https://example.com/docs/a", "Intro"), 70, morning, berlin);
  web.add(page("https://www.example.com/docs/b?q=1", "Intro", 2), 70, morning, berlin);
  web.add(page("https://example.org/docs/a", "Intro"), 100, morning, berlin);
  web.add(window("Intro", "Firefox"), 100, morning, berlin);
  EXPECT_EQ(web.question(morning, berlin)->moment.id, 2u);
  EXPECT_EQ(offered(web, morning), "Intro 140");
}

TEST(DailyQuestionTest, MinimumIsInclusiveTiesGoToTheFirstKeyAndNonFiniteInputIsRefused) {
  DailyQuestion question;
  question.add(window("Short"), 119.9, morning, berlin);
  EXPECT_EQ(offered(question, morning), "none");
  question.add(window("Exact"), 120, morning, berlin);
  EXPECT_EQ(offered(question, morning), "Exact 120");
  for (double bad :
       {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
    question.add(window("Exact"), bad, morning, berlin);
    question.add(window("Exact"), 1, Date::fromReference(bad), berlin);
    question.answer(Date::fromReference(bad), berlin);
  }
  EXPECT_EQ(offered(question, morning), "Exact 120");
  EXPECT_EQ(question.answered, std::nullopt);
  question.minimum = 121;
  EXPECT_EQ(offered(question, morning), "none");

  DailyQuestion tied;
  tied.add(window("Zeta"), 150, morning, berlin);
  tied.add(window("Beta"), 150, morning, berlin);
  tied.add(window("Alpha", "Viewer"), 149, morning, berlin);
  EXPECT_EQ(offered(tied, morning), "Beta 150");  // "Editor. Beta" sorts before "Editor. Zeta"
  tied.add(window("Zeta"), 1, morning, berlin);
  EXPECT_EQ(offered(tied, morning), "Zeta 151");
}

TEST(DailyQuestionTest, AnAnswerHoldsForTheRestOfTheLocalDayAndANewDayDropsUnaskedPages) {
  DailyQuestion question;
  question.add(budget, 200, morning, berlin);
  question.answer(morning + 3600, berlin);
  EXPECT_EQ(question.answered, berlin.startOfDay(morning));
  question.add(budget, 200, morning + 7200, berlin);  // still collects
  EXPECT_EQ(offered(question, evening), "none");
  // The next day asks nothing until that day has collected a page of its own.
  EXPECT_EQ(offered(question, nextMorning), "none");
  question.add(budget, 130, nextMorning, berlin);
  EXPECT_EQ(offered(question, nextMorning), "Budget 130");  // yesterday's 400 s are gone

  // reset() forgets the pages, not the answer; an answer is handed back in at a relaunch.
  question.answer(nextMorning, berlin);
  question.reset();
  EXPECT_EQ(offered(question, nextMorning), "none");
  DailyQuestion relaunched(question.answered);
  relaunched.add(budget, 300, nextMorning, berlin);
  EXPECT_EQ(offered(relaunched, nextMorning), "none");

  // Days are those of the calendar given: 23:00 UTC is 06-16 in Berlin, 06-15 in New York.
  DailyQuestion zones;
  zones.add(budget, 200, utc(2026, 6, 15, 23, 0), berlin);
  EXPECT_EQ(zones.question(utc(2026, 6, 15, 23, 0), Calendar::inZone("America/New_York")),
            std::nullopt);
  EXPECT_EQ(offered(zones, utc(2026, 6, 16, 21, 59)), "Budget 200");
}

}  // namespace
}  // namespace qb
