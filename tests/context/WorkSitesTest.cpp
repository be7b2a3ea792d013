#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "context/ContextTest.h"
#include "context/WorkSites.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

using test::page;
using test::t0;  // 17:46 UTC
using test::window;
using Days = std::map<double, double>;
constexpr double kDay = 86400;
const Calendar utc = Calendar::inZone("UTC");

std::string site(int i) { return test::numbered("s", i) + ".example.com"; }
Moment home(const std::string& host) { return page("https://" + host + "/"); }

TEST(WorkSitesTest, SiteKeysAndSignInPages) {
  const std::string a40(40, 'a');
  // A short first segment takes two; a segment of 41 characters, or of 8 with 2 or more numeric,
  // is an identifier and ends the key.
  // clang-format off
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"/en/docs/intro", "/en/docs"}, {"/Guides/install", "/guides"}, {"", ""},
      {"/caf%C3%A9/menu", "/caf\u00e9"}, {"/abcdef12/x", ""}, {"/abcdefg1/x", "/abcdefg1"},
      {"/1234567/x", "/1234567"}, {"/en/ab12cd34/x", "/en"}, {"/" + a40 + "a", ""},
      {"/" + a40, "/" + a40}, {"/" + a40 + "\u00e9", ""}};
  // clang-format on
  for (const auto& [path, key] : keys) {
    EXPECT_EQ(WorkSites::section(page("https://www.Example.com" + path)), "example.com" + key);
  }
  EXPECT_EQ(WorkSites::section(window("Editor")), std::nullopt);
  EXPECT_EQ(WorkSites::section(page("file:///home/user/notes.txt")), std::nullopt);

  // Whole path segments and whole words of the title, in any case.
  EXPECT_TRUE(WorkSites::isSignIn(page("https://example.com/accounts/Login?next=/")));
  EXPECT_TRUE(WorkSites::isSignIn(page("https://example.com/", "Please LOG IN to continue")));
  EXPECT_FALSE(WorkSites::isSignIn(page("https://example.com/login-help", "Weblogin portal")));
}

TEST(WorkSitesTest, WeightAndReading) {
  WorkSites sites;
  const Moment docs = page("https://docs.example.com/guide/a");
  EXPECT_EQ(sites.reading(0.25f, docs, t0), 0.25f);  // an unknown site weighs nothing
  sites.credit(docs, 3600, 0.9f, 0.5f, t0, utc);
  EXPECT_NEAR(sites.weight(page("https://docs.example.com/Guide/b"), t0), 1 - std::exp(-1.0),
              1e-12);
  EXPECT_NEAR(sites.weight(docs, t0 + 30 * kDay), 1 - std::exp(-0.5), 1e-12);  // one half-life
  EXPECT_EQ(sites.weight(docs, t0 - kDay), sites.weight(docs, t0));  // no growth before the credit
  EXPECT_FLOAT_EQ(sites.reading(0.5f, docs, t0), 1 - 0.5f * static_cast<float>(std::exp(-1.0)));
  sites.timeConstant = 1800;
  EXPECT_NEAR(sites.weight(docs, t0), 1 - std::exp(-2.0), 1e-12);

  sites.confirm(home("news.example.com"), t0);
  EXPECT_EQ(sites.reading(0.1f, home("news.example.com"), t0), 1.0f);
  sites.confirm(docs, t0 + 30 * kDay);  // keeps the decayed seconds
  EXPECT_EQ(sites.sites.at("docs.example.com/guide"),
            (WorkSites::Site{1800, true, t0 + 30 * kDay}));
}

TEST(WorkSitesTest, CreditsBelowTheBarCountOnlyForTheLocalDay) {
  WorkSites sites;
  const Moment docs = page("https://docs.example.com/guide");
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (auto [reading, bar] : {std::pair{0.4f, 0.5f}, {nan, 0.5f}, {0.9f, nan}}) {
    sites.credit(docs, 60, reading, bar, t0, utc);
  }
  sites.credit(std::nullopt, 60, 0.9f, 0.5f, t0, utc);
  EXPECT_TRUE(sites.sites.empty());
  EXPECT_EQ(sites.days, (Days{{utc.startOfDay(t0).unixTime(), 240}}));
  EXPECT_FALSE(sites.isBuilt(1));  // one day is never enough...
  EXPECT_TRUE(sites.isBuilt(0));
  sites.credit(docs, 100, 0.5f, 0.5f, t0 + kDay, utc);  // reaching the bar is enough
  EXPECT_TRUE(sites.isBuilt(340));  // ...two are when their sum reaches the warm-up
  EXPECT_FALSE(sites.isBuilt(340.5));
  // Days are those of the calendar given: 17:46 UTC is the next day in Tokyo.
  sites.credit(std::nullopt, 20, 0, 1, t0 + kDay, Calendar::inZone("Asia/Tokyo"));
  EXPECT_EQ(sites.days.rbegin()->first, utc.startOfDay(t0 + 2 * kDay).unixTime() - 9 * 3600);
  sites.credit(docs, 100, 0.5f, 0.5f, t0 + 31 * kDay, utc);  // after one half-life
  EXPECT_DOUBLE_EQ(sites.sites.at("docs.example.com/guide").seconds, 150);
}

TEST(WorkSitesTest, PruningKeepsWhatStillCountsWithinTheBoundsAndReloadsAtThem) {
  WorkSites sites;
  sites.credit(home("big.example.com"), 3600, 1, 0, t0, utc);
  sites.credit(home("small.example.com"), 100, 1, 0, t0, utc);
  sites.confirm(home("kept.example.com"), t0);
  sites.credit(home("recent.example.com"), 1, 1, 0, t0 + 2 * kDay, utc);
  sites.credit(std::nullopt, 5, 0, 1, t0 + 31 * kDay, utc);
  // 3600 s decayed by 31 days are about 1760 s; 100 s are about 49 s, under the 60 kept.
  EXPECT_EQ(sites.sites.size(), 3u);
  EXPECT_FALSE(sites.sites.contains("small.example.com"));
  EXPECT_EQ(sites.days.size(), 2u);  // the first day lies more than 30 days back

  // Past kMaxSites, by a credit or a confirmation, the kTrimmedSites updated last stay, and the
  // smaller keys among equals.
  for (bool confirm : {false, true}) {
    auto add = [&](WorkSites& to, const std::string& host, Date at) {
      confirm ? to.confirm(home(host), at) : to.credit(home(host), 100, 1, 0, at, utc);
    };
    WorkSites full, same;
    for (int i = 0; i < 300; ++i) add(full, site(i), t0 + i);
    test::expectReloads(full);
    add(full, "last.example.com", t0 + 300);
    EXPECT_EQ(full.sites.size(), WorkSites::kTrimmedSites) << confirm;
    EXPECT_TRUE(full.sites.contains("last.example.com") && full.sites.contains(site(101)));
    EXPECT_FALSE(full.sites.contains(site(100)));
    for (int i = 300; i >= 0; --i) add(same, site(i), t0);
    EXPECT_EQ(same.sites.rbegin()->first, site(199));
  }

  // Days ahead of a clock set back stay, up to kMaxDays: the latest.
  WorkSites days;
  for (int i = 0; i <= 3660; ++i) days.credit(std::nullopt, 1, 0, 1, t0 - i * kDay, utc);
  EXPECT_EQ(days.days.size(), WorkSites::kMaxDays);
  EXPECT_EQ(days.days.begin()->first, utc.startOfDay(t0 - 3659 * kDay).unixTime());
  test::expectReloads(days);
}

TEST(WorkSitesTest, VisitsTellNewSitesAndKeepTheHostsSeenLast) {
  WorkSites sites;
  const Moment docs = page("https://www.docs.example.com/a");
  EXPECT_TRUE(sites.isNew(docs, 1800, t0));
  sites.visit(docs, t0);
  sites.visit(page("https://docs.example.com/b"), t0 + 600);
  sites.visit(window("Editor"), t0);
  EXPECT_EQ(sites.visits, (decltype(sites.visits){{"docs.example.com", {t0, t0 + 600}}}));
  EXPECT_TRUE(sites.isNew(docs, 1800, t0 + 1799));
  EXPECT_FALSE(sites.isNew(docs, 1800, t0 + 1800));
  EXPECT_TRUE(sites.isNew(window("Editor"), 1800, t0 + 1e6));

  // Past kMaxHosts hosts the least recently seen goes; between equals, the first in host order.
  for (const char* host : {"b.example.com", "a.example.com"}) sites.visit(home(host), t0);
  for (int i = 0; i < 1997; ++i) sites.visit(home(site(i)), t0 + 1 + i);
  sites.visit(home("new.example.com"), t0 + 5000);
  EXPECT_EQ(sites.visits.size(), WorkSites::kMaxHosts);
  EXPECT_TRUE(!sites.visits.contains("a.example.com") && sites.visits.contains("b.example.com"));
  test::expectReloads(sites);
  // Hosts not seen for a year all go at once.
  for (int i = 0; i < 10; ++i) sites.visit(home(site(i)), t0 - 365 * kDay);
  sites.visit(home("newer.example.com"), t0 + 10000);
  EXPECT_EQ(sites.visits.size(), 1991u);
}

TEST(WorkSitesFileTest, ReadsTheDocumentedFormAndWritesItBack) {
  const Json file = json::parse(R"({
    "sites": {"github.com/acme": {"seconds": 5400, "confirmed": false, "updated": 739000000},
              "docs.example.com": {"seconds": 0, "confirmed": true, "updated": 739000500.5}},
    "visits": {"github.com": {"first": 738000000, "last": 739000000}},
    "days": [1717970400, 3600, 1718056800, 1800.5],
    "timeConstant": 3600, "halfLife": 2592000, "window": 2592000})");
  const WorkSites sites = WorkSites::fromJson(file);
  const auto at = [](double seconds) { return Date::fromReference(seconds); };
  EXPECT_EQ(sites.sites, (decltype(sites.sites){{"github.com/acme", {5400, false, at(739000000)}},
                                                {"docs.example.com", {0, true, at(739000500.5)}}}));
  EXPECT_EQ(sites.visits.at("github.com"), (WorkSites::Visit{at(738000000), at(739000000)}));
  EXPECT_EQ(sites.days, (Days{{1717970400, 3600}, {1718056800, 1800.5}}));
  EXPECT_EQ(sites.toJson(), file);
  test::expectHostileVariantsSafe<WorkSites>(file);

  // Every key is required, and each constant of zero or below is its default.
  for (const char* key : {"sites", "visits", "days", "timeConstant", "halfLife", "window"}) {
    Json damaged = file;
    damaged.erase(key);
    test::expectRefused<WorkSites>({{damaged.dump(), std::string(key) + ": key not found"}});
  }
  Json odd = file;
  odd.update({{"timeConstant", 0}, {"halfLife", -86400}, {"window", 1e-3}});
  const WorkSites repaired = WorkSites::fromJson(odd);
  EXPECT_EQ(
      std::tuple(double(repaired.timeConstant), double(repaired.halfLife), double(repaired.window)),
      std::tuple(WorkSites::kDefaultTimeConstant, WorkSites::kDefaultHalfLife, 1e-3));
}

TEST(WorkSitesFileTest, DamagedFilesAreRefusedForTheirReason) {
  const std::string constants = R"("timeConstant": 1, "halfLife": 1, "window": 1})";
  const std::string sitesKey = R"({"visits": {}, "days": [], "sites": )";
  const std::string visitsKey = R"({"sites": {}, "days": [], "visits": )";
  const std::string daysKey = R"({"sites": {}, "visits": {}, "days": )";
  test::expectRefused<WorkSites>({
      {"[]", "$: expected an object"},
      {sitesKey + "[], " + constants, "sites: expected an object"},
      {sitesKey + R"({"a": 1}, )" + constants, "sites.a: expected an object"},
      {sitesKey + R"({"a": {"seconds": 1, "confirmed": 1, "updated": 1}}, )" + constants,
       "confirmed: expected a boolean"},
      {visitsKey + R"({"a": {"first": null, "last": 1}}, )" + constants,
       "first: expected a number"},
      {daysKey + "[1, 2, 3], " + constants, "days: expected keys and values in pairs"},
      {daysKey + R"([], "timeConstant": 1, "halfLife": "1", "window": 1})",
       "halfLife: expected a number"},
      {daysKey + R"([], "timeConstant": 1, "halfLife": 1, "window": null})",
       "window: expected a number"},
  });
}

TEST(WorkSitesFileTest, FilesBeyondTheBoundsAreCutToThem) {
  Json file = WorkSites{}.toJson();
  for (int i = 0; i < 3000; ++i) {
    if (i < 1000) file["sites"][site(i)] = {{"seconds", 1}, {"confirmed", false}, {"updated", i}};
    file["visits"][site(i)] = Json{{"first", 0}, {"last", i}};
  }
  for (int i = 0; i < 5000; ++i) {
    file["days"].push_back(1e9 + i * kDay);
    file["days"].push_back(60);
  }
  const WorkSites sites = WorkSites::fromJson(file);
  EXPECT_EQ(sites.sites.size(), WorkSites::kMaxSites);
  EXPECT_EQ(sites.sites.begin()->first, site(700));
  EXPECT_EQ(sites.visits.size(), WorkSites::kMaxHosts);
  EXPECT_EQ(sites.visits.begin()->first, site(1000));
  EXPECT_EQ(sites.days.size(), WorkSites::kMaxDays);
  EXPECT_EQ(sites.days.begin()->first, 1e9 + 1340 * kDay);
  test::expectReloads(sites);
}

}  // namespace
}  // namespace qb
