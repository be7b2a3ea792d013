#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "context/ContextTest.h"
#include "context/LastWork.h"

namespace qb {
namespace {

using Work = LastWork<std::string>;

Date at(double seconds) { return Date::fromReference(1000 + seconds); }

// One event: `front` in front ("host/path" or "app:name", with a leading "-" when it is not work)
// as `item`, or a tick when `front` is empty; then the item remembered, unless `expected` is null.
struct Step {
  double time;
  std::string front;
  const char* item;
  const char* expected;
};

// Returns the record as the steps leave it.
Work play(const std::vector<Step>& steps, Work last = {}) {
  for (const Step& step : steps) {
    if (step.front.empty()) {
      last.tick(at(step.time));
    } else {
      const bool work = step.front[0] != '-';
      const std::string scope = step.front.substr(work ? 0 : 1);
      last.front(step.item,
                 scope.starts_with("app:") ? test::window("main.cpp", scope.substr(4))
                                           : test::page("https://" + scope),
                 work, at(step.time));
    }
    auto page = last.page();
    if (step.expected) {
      EXPECT_EQ(page ? page->item : "<none>", step.expected) << step.time;
    }
  }
  return last;
}

TEST(LastWorkTest, EmptyUntilTheFirstWorkPageWhichIsRememberedAtOnce) {
  Work last = play({{500, "", "", "<none>"}, {0, "-app:chat", "chat", "<none>"}});
  const Moment doc = test::page("https://docs.example.com/guide");
  last.front("guide", doc, true, at(10));
  EXPECT_EQ(last.page(), (Work::Page{"guide", doc}));
}

TEST(LastWorkTest, StayingAMinuteFollowsTheRunAndSticks) {
  // An equal-length run lets the newer page in; the same scope keeps the run's start (0), so a3
  // stays at once; having stayed, a shorter run elsewhere no longer matters, a minute does, and a
  // page that is not work changes nothing.
  // clang-format off
  play({{0, "example.com/a", "a1", "a1"},           {30, "example.com/b", "a2", "a2"},
        {61, "www.EXAMPLE.com/c", "a3", "a3"},      {61, "other.org/x", "b", "a3"},
        {61 + 59.99, "", "", "a3"},                 {61 + 60, "", "", "b"},
        {200, "-videos.example.net/v", "video", "b"}, {1000, "", "", "b"}});
  // After a stay of exactly a minute a 59.99-second run elsewhere cannot replace the page; after
  // a 59.9-second run it can, since that page only leads as the longest run.
  play({{0, "example.com/a", "a", "a"}, {60, "", "", "a"}, {60, "app:editor", "b", "a"},
        {60 + 59.99, "", "", "a"}});
  play({{0, "example.com/a", "a", "a"}, {59.9, "app:editor", "b", "a"},
        {59.9 + 59.99, "", "", "b"}});
  // clang-format on
}

TEST(LastWorkTest, LongestRunLeadsUntilSomethingStaysAndEndsWithTheScope) {
  // a's run is measured when b comes (40 s); b's equals it at 80; a third scope's shorter run
  // changes nothing. After the news page a2's run starts at 50, so at 100 it only leads (50 s)
  // and b's 55 s beat it; another host is another scope, so c's run beats a's 50 s only at 120.
  // clang-format off
  play({{0, "example.com/a", "a", "a"}, {40, "app:editor", "b", "a"}, {79.9, "", "", "a"},
        {80, "", "", "b"}, {85, "app:terminal", "c", "b"}, {85 + 44, "", "", "b"}});
  play({{0, "example.com/a", "a1", "a1"}, {30, "-news.example.org/", "news", "a1"},
        {50, "example.com/b", "a2", nullptr}, {100, "app:editor", "b", "a2"}, {155, "", "", "b"}});
  play({{0, "example.com/a", "a", "a"}, {50, "sub.example.com/a", "b", "a"},
        {70, "example.com/a", "c", "a"}, {119.9, "", "", "a"}, {120, "", "", "c"}});
  // clang-format on
}

TEST(LastWorkTest, AClockGoingBackOrAnUnknownTimeNeverMeasures) {
  play({{100, "example.com/a", "a1", "a1"}, {50, "example.com/b", "a2", "a1"}});  // a run of −50 s
  // The run that began at an unknown time never stays either; a new scope recovers.
  Work unknown;
  unknown.front("x", test::page("https://example.com/x"), true, Date::fromReference(std::nan("")));
  play({{10, "", "", "<none>"}, {20, "app:editor", "y", nullptr}, {90, "", "", "y"}},
       std::move(unknown));
}

}  // namespace
}  // namespace qb
