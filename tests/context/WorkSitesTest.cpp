#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "base/Error.h"
#include "base/Json.h"
#include "context/WorkSites.h"

namespace qb {
namespace {

constexpr double kDay = 86400;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const Date t0 = Date::fromReference(740'000'000);  // 17:46 UTC
const Calendar utc = Calendar::inZone("UTC");
using Days = std::map<double, double>;

Moment page(const std::string& address, const std::string& title = "Page") {
  return Moment(1, t0, "Firefox", "firefox.desktop", title, Url::parse(address));
}
Moment app(const std::string& title = "Editor") {
  return Moment(1, t0, "Editor", "editor.desktop", title);
}

std::string site(int i) {
  std::string digits = std::to_string(i);
  return "s" + std::string(4 - digits.size(), '0') + digits + ".example.com";
}

TEST(WorkSitesTest, SiteKeysAndSignInPages) {
  const std::string a40(40, 'a');
  // A short first segment takes two; a segment of 41 characters, or of 8 with 2 or more numeric,
  // is an identifier and ends the key.
  for (const auto& [path, key] : std::vector<std::pair<std::string, std::string>>{
           {"/en/docs/intro", "example.com/en/docs"},
           {"/Guides/install", "example.com/guides"},
           {"", "example.com"},
           {"/caf%C3%A9/menu", "example.com/caf\u00e9"},
           {"/abcdef12/x", "example.com"},
           {"/abcdefg1/x", "example.com/abcdefg1"},
           {"/1234567/x", "example.com/1234567"},
           {"/en/ab12cd34/x", "example.com/en"},
           {"/" + a40 + "a", "example.com"},
           {"/" + a40, "example.com/" + a40}}) {
    EXPECT_EQ(WorkSites::section(page("https://www.Example.com" + path)), key) << path;
  }
  EXPECT_EQ(WorkSites::section(app()), std::nullopt);
  EXPECT_EQ(WorkSites::section(page("file:///home/user/notes.txt")), std::nullopt);

  EXPECT_TRUE(WorkSites::isSignIn(page("https://example.com/accounts/Login?next=/")));
  EXPECT_FALSE(WorkSites::isSignIn(page("https://example.com/login-help")));
  EXPECT_TRUE(WorkSites::isSignIn(page("https://example.com/", "Please LOG IN to continue")));
  EXPECT_TRUE(WorkSites::isSignIn(app("Sign-in required")));
  EXPECT_FALSE(WorkSites::isSignIn(app("Weblogin portal")));
  EXPECT_FALSE(WorkSites::isSignIn(app("Blog inventory")));
}

TEST(WorkSitesTest, WeightAndReading) {
  WorkSites sites;
  const Moment docs = page("https://docs.example.com/guide/a");
  EXPECT_EQ(sites.weight(docs, t0), 0);
  EXPECT_EQ(sites.reading(0.25f, docs, t0), 0.25f);

  sites.credit(docs, 3600, 0.9f, 0.5f, t0, utc);
  EXPECT_NEAR(sites.weight(page("https://docs.example.com/Guide/b"), t0), 1 - std::exp(-1.0),
              1e-12);
  EXPECT_NEAR(sites.weight(docs, t0 + 30 * kDay), 1 - std::exp(-0.5), 1e-12);  // one half-life
  EXPECT_EQ(sites.weight(docs, t0 - kDay), sites.weight(docs, t0));  // no growth before the credit
  EXPECT_FLOAT_EQ(sites.reading(0.5f, docs, t0), 1 - 0.5f * static_cast<float>(std::exp(-1.0)));

  const Moment news = page("https://news.example.com/");
  sites.confirm(news, t0);
  EXPECT_EQ(sites.reading(0.1f, news, t0), 1.0f);
  sites.confirm(docs, t0 + 30 * kDay);  // keeps the decayed seconds
  EXPECT_EQ(sites.sites.at("docs.example.com/guide"),
            (WorkSites::Site{1800, true, t0 + 30 * kDay}));
}

TEST(WorkSitesTest, CreditsBelowTheBarCountOnlyForTheDay) {
  WorkSites sites;
  const Moment docs = page("https://docs.example.com/guide");
  const float nan = std::numeric_limits<float>::quiet_NaN();
  sites.credit(docs, 60, 0.4f, 0.5f, t0, utc);
  sites.credit(docs, 60, nan, 0.5f, t0, utc);
  sites.credit(docs, 60, 0.9f, nan, t0, utc);
  sites.credit(std::nullopt, 60, 0.9f, 0.5f, t0, utc);
  EXPECT_TRUE(sites.sites.empty());
  EXPECT_EQ(sites.days, (Days{{utc.startOfDay(t0).unixTime(), 240}}));
  EXPECT_FALSE(sites.isBuilt(1));  // one day is never enough...
  EXPECT_TRUE(sites.isBuilt(0));

  sites.credit(docs, 100, 0.5f, 0.5f, t0 + kDay, utc);  // reaching the bar is enough
  EXPECT_TRUE(sites.isBuilt(340));  // ...two are when their sum reaches the warm-up
  EXPECT_FALSE(sites.isBuilt(340.5));
  sites.credit(docs, 100, 0.5f, 0.5f, t0 + 31 * kDay, utc);
  EXPECT_DOUBLE_EQ(sites.sites.at("docs.example.com/guide").seconds, 150);
}

TEST(WorkSitesTest, DayTotalsFollowTheLocalCalendarAcrossDaylightSaving) {
  // Berlin's 31 March 2024 has 23 hours: from 23:00 UTC the day before to 22:00 UTC.
  const Calendar berlin = Calendar::inZone("Europe/Berlin");
  WorkSites sites;
  // 30 March 23:30, 31 March 00:30 and 23:30, 1 April 00:30.
  for (const auto& [unix, seconds] : std::vector<std::pair<double, double>>{
           {1711837800, 1}, {1711841400, 10}, {1711920600, 20}, {1711924200, 40}}) {
    sites.credit(std::nullopt, seconds, 0, 1, Date::fromUnix(unix), berlin);
  }
  EXPECT_EQ(sites.days, (Days{{1711753200, 1}, {1711839600, 30}, {1711922400, 40}}));

  WorkSites newYork;
  newYork.credit(std::nullopt, 20, 0, 1, Date::fromUnix(1711920600),
                 Calendar::inZone("America/New_York"));
  EXPECT_EQ(newYork.days, (Days{{1711857600, 20}}));
}

TEST(WorkSitesTest, UnsavableValuesChangeNothingAndBadConstantsActAsDefaults) {
  WorkSites sites;
  const Moment docs = page("https://docs.example.com/guide");
  sites.credit(docs, 60, 1, 0, t0, utc);
  sites.visit(docs, t0);
  const WorkSites before = sites;
  sites.credit(docs, kNaN, 1, 0, t0, utc);
  sites.credit(docs, std::numeric_limits<double>::infinity(), 1, 0, t0, utc);
  sites.credit(docs, 60, 1, 0, Date::fromReference(kNaN), utc);
  sites.visit(docs, Date::fromReference(kNaN));
  sites.confirm(docs, Date::fromReference(kNaN));
  EXPECT_EQ(sites, before);

  sites.halfLife = 0;
  sites.timeConstant = kNaN;
  sites.window = -1;  // as it stood, every day and stale site would go
  sites.credit(docs, 60, 1, 0, t0 + 30 * kDay, utc);
  EXPECT_DOUBLE_EQ(sites.sites.at("docs.example.com/guide").seconds, 90);
  EXPECT_NEAR(sites.weight(docs, t0 + 30 * kDay), 1 - std::exp(-90.0 / 3600), 1e-12);
  EXPECT_EQ(sites.days.size(), 1u);
}

TEST(WorkSitesTest, PruningKeepsWhatStillCountsAndTrimsToTheTwoHundredUpdatedLast) {
  WorkSites sites;
  sites.credit(page("https://big.example.com/"), 3600, 1, 0, t0, utc);
  sites.credit(page("https://small.example.com/"), 100, 1, 0, t0, utc);
  sites.confirm(page("https://kept.example.com/"), t0);
  sites.credit(page("https://recent.example.com/"), 1, 1, 0, t0 + 2 * kDay, utc);
  sites.credit(std::nullopt, 5, 0, 1, t0 + 31 * kDay, utc);
  // 3600 s decayed by 31 days are about 1760 s; 100 s are about 49 s, under the 60 kept.
  EXPECT_EQ(sites.sites.size(), 3u);
  EXPECT_FALSE(sites.sites.contains("small.example.com"));
  EXPECT_EQ(sites.days.size(), 2u);  // the first day lies more than 30 days back

  WorkSites full, same;
  for (int i = 0; i < 300; ++i) full.credit(page("https://" + site(i)), 100, 1, 0, t0 + i, utc);
  EXPECT_EQ(full.sites.size(), 300u);
  full.credit(page("https://last.example.com/"), 100, 1, 0, t0 + 300, utc);
  ASSERT_EQ(full.sites.size(), 200u);
  EXPECT_TRUE(full.sites.contains("last.example.com"));
  EXPECT_TRUE(full.sites.contains(site(101)));
  EXPECT_FALSE(full.sites.contains(site(100)));
  // Updated at one time: the smaller keys stay.
  for (int i = 300; i >= 0; --i) same.credit(page("https://" + site(i)), 100, 1, 0, t0, utc);
  ASSERT_EQ(same.sites.size(), 200u);
  EXPECT_EQ(same.sites.rbegin()->first, site(199));
}

TEST(WorkSitesTest, VisitsTellNewSitesAndKeepTwoThousandHosts) {
  WorkSites sites;
  const Moment docs = page("https://www.docs.example.com/a");
  EXPECT_TRUE(sites.isNew(docs, 1800, t0));
  sites.visit(docs, t0);
  sites.visit(page("https://docs.example.com/b"), t0 + 600);
  sites.visit(app(), t0);
  EXPECT_EQ(sites.visits.size(), 1u);
  EXPECT_EQ(sites.visits.at("docs.example.com"), (WorkSites::Visit{t0, t0 + 600}));
  EXPECT_TRUE(sites.isNew(docs, 1800, t0 + 1799));
  EXPECT_FALSE(sites.isNew(docs, 1800, t0 + 1800));
  EXPECT_TRUE(sites.isNew(app(), 1800, t0 + 1e6));

  // Past 2000 hosts the least recently seen goes; between equals, the first in host order.
  sites.visit(page("https://b.example.com/"), t0);
  sites.visit(page("https://a.example.com/"), t0);
  for (int i = 0; i < 1997; ++i) sites.visit(page("https://" + site(i)), t0 + 1 + i);
  sites.visit(page("https://new.example.com/"), t0 + 5000);
  EXPECT_EQ(sites.visits.size(), 2000u);
  EXPECT_FALSE(sites.visits.contains("a.example.com"));
  EXPECT_TRUE(sites.visits.contains("b.example.com"));
  // Hosts not seen for a year all go at once.
  for (int i = 0; i < 10; ++i) sites.visit(page("https://" + site(i)), t0 - 365 * kDay);
  sites.visit(page("https://newer.example.com/"), t0 + 10000);
  EXPECT_EQ(sites.visits.size(), 1991u);
}

const char* kDocumented = R"({
  "sites": {"github.com/acme": {"seconds": 5400, "confirmed": false, "updated": 739000000},
            "docs.example.com": {"seconds": 0, "confirmed": true, "updated": 739000500.5}},
  "visits": {"github.com": {"first": 738000000, "last": 739000000}},
  "days": [1717970400, 3600, 1718056800, 1800.5],
  "timeConstant": 3600, "halfLife": 2592000, "window": 2592000})";

TEST(WorkSitesJsonTest, ReadsTheDocumentedFormAndWritesItBack) {
  WorkSites sites = WorkSites::fromJson(json::parse(kDocumented));
  EXPECT_EQ(sites.sites.at("github.com/acme"),
            (WorkSites::Site{5400, false, Date::fromReference(739000000)}));
  EXPECT_EQ(sites.sites.at("docs.example.com"),
            (WorkSites::Site{0, true, Date::fromReference(739000500.5)}));
  EXPECT_EQ(sites.visits.at("github.com"),
            (WorkSites::Visit{Date::fromReference(738000000), Date::fromReference(739000000)}));
  EXPECT_EQ(sites.days, (Days{{1717970400, 3600}, {1718056800, 1800.5}}));
  EXPECT_EQ(sites.toJson(), json::parse(kDocumented));

  sites.credit(page("https://docs.example.com/en/guide"), 123.456, 1, 0, t0 + 0.25, utc);
  sites.visit(page("https://docs.example.com/"), t0 - 1e-3);
  EXPECT_EQ(WorkSites::fromJson(json::parse(json::dump(sites.toJson()))), sites);
}

TEST(WorkSitesJsonTest, RejectsMalformedFilesAndRepairsConstants) {
  const Json file = json::parse(kDocumented);
  std::vector<Json> broken;
  for (const char* key : {"sites", "visits", "days", "timeConstant", "halfLife", "window"}) {
    broken.push_back(file);
    broken.back().erase(key);
  }
  for (const auto& [pointer, value] : std::vector<std::pair<const char*, Json>>{
           {"/sites/github.com~1acme/confirmed", 1},
           {"/visits/github.com/first", nullptr},
           {"/days", Json::array({1717970400, 3600, 1718056800})},
           {"/sites", Json::array()},
           {"/halfLife", "30 days"}}) {
    broken.push_back(file);
    broken.back()[Json::json_pointer(pointer)] = value;
  }
  for (const Json& bad : broken) {
    try {
      WorkSites::fromJson(bad);
      ADD_FAILURE() << "decoded: " << bad.dump();
    } catch (const Error& e) {
      EXPECT_EQ(e.domain(), Error::kDecodingDomain) << bad.dump();
    }
  }

  Json odd = file;
  odd["timeConstant"] = 0;
  odd["halfLife"] = -86400;
  odd["window"] = nullptr;  // how a non-finite value gets written
  WorkSites repaired = WorkSites::fromJson(odd);
  EXPECT_EQ(repaired.timeConstant, WorkSites::kDefaultTimeConstant);
  EXPECT_EQ(repaired.halfLife, WorkSites::kDefaultHalfLife);
  EXPECT_EQ(repaired.window, WorkSites::kDefaultWindow);
  odd["window"] = 1e-3;
  EXPECT_EQ(WorkSites::fromJson(odd).window, 1e-3);
}

TEST(WorkSitesJsonTest, HostileFilesAreCutToTheRecordsBounds) {
  Json file = WorkSites{}.toJson();
  for (int i = 0; i < 3000; ++i) {
    if (i < 1000) file["sites"][site(i)] = {{"seconds", 1}, {"confirmed", false}, {"updated", i}};
    file["visits"][site(i)] = Json{{"first", 0}, {"last", i}};
  }
  for (int i = 0; i < 5000; ++i) {
    file["days"].push_back(1e9 + i * kDay);
    file["days"].push_back(60);
  }
  WorkSites sites = WorkSites::fromJson(file);
  ASSERT_EQ(sites.sites.size(), 300u);
  EXPECT_EQ(sites.sites.begin()->first, site(700));
  ASSERT_EQ(sites.visits.size(), 2000u);
  EXPECT_EQ(sites.visits.begin()->first, site(1000));
  ASSERT_EQ(sites.days.size(), WorkSites::kMaxLoadedDays);
  EXPECT_EQ(sites.days.rbegin()->first, 1e9 + 4999 * kDay);
  EXPECT_EQ(WorkSites::fromJson(sites.toJson()), sites);  // at the bounds, read as it stands
}

}  // namespace
}  // namespace qb
