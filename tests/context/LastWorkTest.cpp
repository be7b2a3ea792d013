#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "context/LastWork.h"

namespace qb {
namespace {

using Work = LastWork<std::string>;

Moment site(std::string_view host, std::string_view path) {
  return Moment(1, Date::fromReference(0), "Firefox", "firefox", "Page " + std::string(path),
                Url::parse("https://" + std::string(host) + std::string(path)));
}

Moment app(std::string_view bundle) {
  return Moment(1, Date::fromReference(0), "Editor", bundle, "main.cpp");
}

Date at(double seconds) { return Date::fromReference(1000 + seconds); }

std::string remembered(const Work& last) {
  auto page = last.page();
  return page ? page->item : "<none>";
}

// One event at a time: a page in front (`item` names it; work unless `work` is false), or a tick
// when there is no page; then the item remembered, unless `expected` is null.
struct Step {
  double time;
  std::optional<Moment> front;
  const char* item;
  const char* expected;
  bool work = true;
};

void play(Work& last, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    if (step.front) {
      last.front(step.item, *step.front, step.work, at(step.time));
    } else {
      last.tick(at(step.time));
    }
    if (step.expected) {
      EXPECT_EQ(remembered(last), step.expected) << "at " << step.time;
    }
  }
}

void play(const std::vector<Step>& steps) {
  Work last;
  play(last, steps);
}

TEST(LastWorkTest, EmptyUntilTheFirstWorkPageWhichIsRememberedAtOnce) {
  Work last;
  EXPECT_EQ(last.page(), std::nullopt);
  play(last, {{500, {}, "", "<none>"}, {0, app("chat"), "chat", "<none>", false}});
  const Moment doc = site("docs.example.com", "/guide");
  last.front("guide", doc, true, at(10));
  EXPECT_EQ(last.page(), (Work::Page{"guide", doc}));
}

TEST(LastWorkTest, StayingAMinuteFollowsTheRunAndSticks) {
  play({{0, site("example.com", "/a"), "a1", "a1"},
        {30, site("example.com", "/b"), "a2", "a2"},      // an equal-length run lets the newer in
        {61, site("www.EXAMPLE.com", "/c"), "a3", "a3"},  // same scope: the run started at 0
        // Having stayed, shorter runs elsewhere no longer matter, however long below a minute.
        {61, site("other.org", "/x"), "b", "a3"},
        {61 + 59.99, {}, "", "a3"},
        {61 + 60, {}, "", "b"},
        // A non-work page leaves the page that stayed in place.
        {200, site("videos.example.net", "/v"), "video", "b", false},
        {1000, {}, "", "b"}});

  // After a stay of exactly a minute a 59.99-second run elsewhere cannot replace the page; after
  // a 59.9-second run it can, since that page only leads as the longest run.
  play({{0, site("example.com", "/a"), "a", "a"},
        {60, {}, "", "a"},
        {60, app("org.editor"), "b", "a"},
        {60 + 59.99, {}, "", "a"}});
  play({{0, site("example.com", "/a"), "a", "a"},
        {59.9, {}, "", "a"},
        {59.9, app("org.editor"), "b", "a"},
        {59.9 + 59.99, {}, "", "b"}});
}

TEST(LastWorkTest, LongestRunLeadsUntilSomethingStays) {
  play({{0, site("example.com", "/a"), "a", "a"},
        {40, app("org.editor"), "b", "a"},  // measures a's run: 40 s
        {60, {}, "", "a"},
        {79.9, {}, "", "a"},
        {80, {}, "", "b"},  // b's run equals a's
        // A third scope's shorter run changes nothing.
        {85, app("org.terminal"), "c", "b"},
        {85 + 44, {}, "", "b"}});
}

TEST(LastWorkTest, NonWorkEndsTheRunButKeepsThePageAndAnotherScopeStartsANewOne) {
  play({{0, site("example.com", "/a"), "a1", "a1"},
        {30, site("news.example.org", "/"), "news", "a1", false},
        {50, site("example.com", "/b"), "a2", nullptr},  // a new run from 50, not the old one
        {100, {}, "", "a2"},                             // 50 s: longest, not stayed
        {100, app("org.editor"), "b", "a2"},
        {155, {}, "", "b"}});  // 55 s beats 50 s only if a2 never stayed

  play({{0, site("example.com", "/a"), "a", "a"},
        {50, site("sub.example.com", "/a"), "b", "a"},  // hosts differ: new run
        {70, site("example.com", "/a"), "c", "a"},      // and again
        // a's run was 50 s; b's 20 s never beat it, c's (from 70) does only at 50 s.
        {119.9, {}, "", "a"},
        {120, {}, "", "c"},
        {130, {}, "", "c"},
        {130, app("org.editor"), "d", "c"},
        {130 + 59, {}, "", "c"}});  // c stayed at 130
}

TEST(LastWorkTest, ClockGoingBackOrNaNTimesNeverMeasure) {
  play({{100, site("example.com", "/a"), "a1", "a1"},
        {50, site("example.com", "/b"), "a2", "a1"}});  // same run, started at 100: −50 s

  // The run that began at an unknown time never stays either; a new scope recovers.
  Work fresh;
  fresh.front("x", site("example.com", "/x"), true, Date::fromReference(std::nan("")));
  play(fresh, {{10, {}, "", "<none>"}, {20, app("org.editor"), "y", nullptr}, {90, {}, "", "y"}});
}

}  // namespace
}  // namespace qb
