#include "context/LastWork.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace qb {
namespace {

using Work = LastWork<std::string>;

Moment site(std::string_view host, std::string_view path, uint64_t id = 1) {
  std::string address = "https://" + std::string(host) + std::string(path);
  return Moment(id, Date::fromReference(0), "Firefox", "firefox", "Page " + std::string(path),
                Url::parse(address));
}

Moment app(std::string_view bundle) {
  return Moment(1, Date::fromReference(0), "Editor", bundle, "main.cpp");
}

Date at(double seconds) { return Date::fromReference(1000 + seconds); }

// The item names the page, so a test can say which page is remembered in one word.
void work(Work& last, const std::string& item, const Moment& moment, double seconds) {
  last.front(item, moment, true, at(seconds));
}

std::string remembered(const Work& last) {
  auto page = last.page();
  return page ? page->item : "<none>";
}

TEST(LastWorkTest, EmptyUntilTheFirstWorkPage) {
  Work last;
  EXPECT_EQ(last.page(), std::nullopt);
  last.tick(at(500));
  EXPECT_EQ(last.page(), std::nullopt);
  last.front("chat", app("chat"), false, at(0));
  EXPECT_EQ(last.page(), std::nullopt);

  // The first work page is remembered at once, item and moment together.
  Moment doc = site("docs.example.com", "/guide");
  work(last, "guide", doc, 10);
  ASSERT_TRUE(last.page().has_value());
  EXPECT_EQ(last.page()->item, "guide");
  EXPECT_EQ(last.page()->moment, doc);
}

TEST(LastWorkTest, StayingAMinuteFollowsTheRunAndSticks) {
  Work last;
  work(last, "a1", site("example.com", "/a"), 0);
  work(last, "a2", site("example.com", "/b"), 30);
  EXPECT_EQ(remembered(last), "a2");  // an equal-length run lets the newer page in
  work(last, "a3", site("www.EXAMPLE.com", "/c"), 61);  // same scope: the run started at 0
  EXPECT_EQ(remembered(last), "a3");

  // Having stayed, shorter runs elsewhere no longer matter, however long they get below a minute.
  work(last, "b", site("other.org", "/x"), 61);
  last.tick(at(61 + 59.99));
  EXPECT_EQ(remembered(last), "a3");
  last.tick(at(61 + 60));
  EXPECT_EQ(remembered(last), "b");
  // A non-work page leaves the page that stayed in place.
  last.front("video", site("videos.example.net", "/v"), false, at(200));
  last.tick(at(1000));
  EXPECT_EQ(remembered(last), "b");
}

TEST(LastWorkTest, ExactlyAMinuteStays) {
  // After a stay, a 59.99-second run elsewhere cannot replace the page; after a 59.9-second
  // run it can, since that page only leads as the longest run.
  for (double first : {60.0, 59.9}) {
    Work last;
    work(last, "a", site("example.com", "/a"), 0);
    last.tick(at(first));
    work(last, "b", app("org.editor"), first);
    last.tick(at(first + 59.99));
    EXPECT_EQ(remembered(last), first == 60.0 ? "a" : "b") << first;
  }
}

TEST(LastWorkTest, LongestRunLeadsUntilSomethingStays) {
  Work last;
  work(last, "a", site("example.com", "/a"), 0);
  work(last, "b", app("org.editor"), 40);  // measures a's run: 40 s
  last.tick(at(60));
  EXPECT_EQ(remembered(last), "a");
  last.tick(at(79.9));
  EXPECT_EQ(remembered(last), "a");
  last.tick(at(80));  // b's run equals a's
  EXPECT_EQ(remembered(last), "b");
  // A third scope's shorter run changes nothing.
  work(last, "c", app("org.terminal"), 85);
  last.tick(at(85 + 44));
  EXPECT_EQ(remembered(last), "b");
}

TEST(LastWorkTest, NonWorkEndsTheRunButKeepsThePage) {
  Work last;
  work(last, "a1", site("example.com", "/a"), 0);
  last.front("news", site("news.example.org", "/"), false, at(30));
  EXPECT_EQ(remembered(last), "a1");
  // Back on the same scope: a new run from 50, not the old one from 0.
  work(last, "a2", site("example.com", "/b"), 50);
  last.tick(at(100));  // 50 s: longest, not stayed
  EXPECT_EQ(remembered(last), "a2");
  work(last, "b", app("org.editor"), 100);
  last.tick(at(155));  // 55 s beats 50 s only if a2 never stayed
  EXPECT_EQ(remembered(last), "b");
}

TEST(LastWorkTest, AnotherScopeStartsANewRun) {
  Work last;
  work(last, "a", site("example.com", "/a"), 0);
  work(last, "b", site("sub.example.com", "/a"), 50);  // hosts differ: new run
  work(last, "c", site("example.com", "/a"), 70);      // and again
  // a's run was 50 s; b's 20 s never beat it, c's (from 70) does only at 50 s.
  last.tick(at(119.9));
  EXPECT_EQ(remembered(last), "a");
  last.tick(at(120));
  EXPECT_EQ(remembered(last), "c");
  last.tick(at(130));
  work(last, "d", app("org.editor"), 130);
  last.tick(at(130 + 59));
  EXPECT_EQ(remembered(last), "c");  // c stayed at 130
}

TEST(LastWorkTest, ClockGoingBackOrNaNTimesNeverMeasure) {
  Work last;
  work(last, "a1", site("example.com", "/a"), 100);
  work(last, "a2", site("example.com", "/b"), 50);  // same run, started at 100: −50 s
  EXPECT_EQ(remembered(last), "a1");

  Work fresh;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  fresh.front("x", site("example.com", "/x"), true, Date::fromReference(nan));
  fresh.tick(at(10));
  EXPECT_EQ(fresh.page(), std::nullopt);
  // The run that began at an unknown time never stays either; a new scope recovers.
  work(fresh, "y", app("org.editor"), 20);
  fresh.tick(at(90));
  EXPECT_EQ(remembered(fresh), "y");
}

}  // namespace
}  // namespace qb
