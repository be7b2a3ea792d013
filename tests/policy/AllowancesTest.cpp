#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "policy/Allowances.h"

namespace qb {
namespace {

using Allowance = Allowances::Allowance;

constexpr double kHour = 3600;
constexpr double kDays30 = 2592000;
const Date t0 = Date::fromReference(800000000);

Date at(double seconds) { return t0 + seconds; }

TEST(AllowancesTest, GrantsDoubleFromTheNewGrantUntilAChainBreaksAfterThirtyDays) {
  Allowances allowances;
  allowances.allow("example.com", t0);
  EXPECT_EQ(allowances.entries().at("example.com"), (Allowance{1, at(2 * kHour), t0}));
  allowances.allow("example.com", at(kHour));  // while the first still runs
  EXPECT_EQ(allowances.entries().at("example.com"), (Allowance{2, at(5 * kHour), at(kHour)}));

  // Grants one second apart: 2, 4, ..., 512 hours for the first nine, then 30 days each.
  Allowances chain;
  for (int grant = 1; grant <= 12; ++grant) {
    chain.allow("s", at(grant));
    const Allowance& entry = chain.entries().at("s");
    EXPECT_EQ(entry.count, grant);
    EXPECT_EQ(entry.until.since(entry.last), grant <= 9 ? kHour * (2 << (grant - 1)) : kDays30);
  }

  Allowances broken;
  broken.allow("s", t0);
  broken.allow("s", at(kDays30 - 1));  // one second short: the chain goes on
  EXPECT_EQ(broken.entries().at("s").count, 2);
  const Date later = at(2 * kDays30 - 1);  // exactly 30 days after the last grant
  broken.allow("s", later);
  EXPECT_EQ(broken.entries().at("s"), (Allowance{1, later + 2 * kHour, later}));
}

TEST(AllowancesTest, AGrantForgetsEveryStaleScope) {
  Allowances allowances;
  allowances.allow("future", at(3 * kDays30));  // the clock later went back
  allowances.allow("old", t0);
  allowances.allow("recent", at(10));
  allowances.allow("other", at(kDays30));
  EXPECT_EQ(allowances.entries().count("old"), 0u);
  EXPECT_EQ(allowances.entries().count("recent"), 1u);
  EXPECT_EQ(allowances.entries().count("future"), 1u);
  // Time alone forgets nothing.
  EXPECT_FALSE(allowances.isAllowed("recent", at(100 * kDays30)));
  EXPECT_EQ(allowances.entries().size(), 3u);
}

TEST(AllowancesTest, AllowedStrictlyBeforeTheEndAndActiveByEnd) {
  Allowances allowances;
  EXPECT_FALSE(allowances.isAllowed("s", t0));
  allowances.allow("s", t0);
  EXPECT_TRUE(allowances.isAllowed("s", t0));
  EXPECT_TRUE(allowances.isAllowed("s", at(2 * kHour - 0.001)));
  EXPECT_FALSE(allowances.isAllowed("s", at(2 * kHour)));
  EXPECT_FALSE(allowances.isAllowed("S", t0));  // scopes compare exactly
  allowances.remove("s");
  allowances.remove("never");
  EXPECT_FALSE(allowances.isAllowed("s", t0));
  allowances.allow("s", at(10));
  EXPECT_EQ(allowances.entries().at("s"), (Allowance{1, at(10 + 2 * kHour), at(10)}));

  Allowances running;
  running.allow("c.example", t0);              // ends at 2 h
  running.allow("b.example", at(-3 * kHour));  // ended
  running.allow("a.example", at(0));           // same end as c
  running.allow("d.example", at(-kHour));
  running.allow("d.example", at(-kHour));          // 4 h from -1 h: ends at 3 h
  running.allow("e.example", at(-2 * kHour + 1));  // ends at 1 s
  auto active = running.active(t0);
  std::vector<std::string> scopes;
  for (const auto& entry : active) scopes.push_back(entry.scope);
  EXPECT_EQ(scopes, (std::vector<std::string>{"e.example", "a.example", "c.example", "d.example"}));
  EXPECT_EQ(active.back().allowance, running.entries().at("d.example"));
  EXPECT_TRUE(running.active(at(3 * kHour)).empty());
}

TEST(AllowancesTest, ReadsTheDocumentedFormAndWritesItBackAndBrokenFilesFail) {
  const char* file = R"({"entries": {
      "example.com": {"count": 3, "until": 800028800, "last": 800000000.5},
      "org.editor": {"count": 1, "until": 7200, "last": 0}}})";
  Allowances allowances = Allowances::fromJson(json::parse(file));
  EXPECT_EQ(allowances.entries().at("example.com"),
            (Allowance{3, Date::fromReference(800028800), Date::fromReference(800000000.5)}));
  EXPECT_TRUE(allowances.isAllowed("example.com", t0));
  EXPECT_EQ(allowances.toJson(), json::parse(file));
  Allowances granted;
  for (int i = 0; i < 12; ++i) granted.allow("s" + std::to_string(i % 3), at(i * 1000.25));
  EXPECT_EQ(Allowances::fromJson(json::parse(json::dump(granted.toJson()))), granted);
  EXPECT_EQ(Allowances::fromJson(json::parse(R"({"entries": {}})")), Allowances());

  for (const char* bad :
       {R"({})", R"({"entries": []})", R"({"entries": {"s": []}})",
        R"({"entries": {"s": {"until": 1, "last": 0}}})",
        R"({"entries": {"s": {"count": 1, "last": 0}}})",
        R"({"entries": {"s": {"count": 1, "until": 1}}})",
        R"({"entries": {"s": {"count": 1.5, "until": 1, "last": 0}}})",
        R"({"entries": {"s": {"count": 1, "until": "1", "last": 0}}})",
        R"({"entries": {"s": {"count": 1e30, "until": 1, "last": 0}}})", R"(null)"}) {
    EXPECT_THROW(Allowances::fromJson(json::parse(bad)), Error) << bad;
  }
}

TEST(AllowancesTest, ImpossibleEntriesAreRepairedOnRead) {
  Allowances allowances = Allowances::fromJson(json::parse(R"({"entries": {
      "zero": {"count": 0, "until": 1000, "last": 0},
      "negative": {"count": -40, "until": 1000, "last": 0},
      "forever": {"count": 2, "until": 1e300, "last": 100},
      "huge": {"count": 9223372036854775807, "until": 1000, "last": 0}}})"));
  EXPECT_EQ(allowances.entries().at("zero").count, 1);
  EXPECT_EQ(allowances.entries().at("negative").count, 1);
  // An end no grant could set is cut to the longest allowance after the grant.
  EXPECT_EQ(allowances.entries().at("forever").until, Date::fromReference(100 + kDays30));
  EXPECT_FALSE(allowances.isAllowed("forever", Date::fromReference(100 + kDays30)));

  // The next grant neither overflows the count nor grants less than a first allowance.
  allowances.allow("huge", Date::fromReference(10));
  EXPECT_EQ(allowances.entries().at("huge").count, std::numeric_limits<int64_t>::max());
  EXPECT_EQ(allowances.entries().at("huge").until, Date::fromReference(10 + kDays30));
  allowances.allow("negative", Date::fromReference(10));
  EXPECT_EQ(allowances.entries().at("negative").until, Date::fromReference(10 + 4 * kHour));

  // Non-finite dates can only come from a value built in memory; such entries are dropped.
  const double inf = std::numeric_limits<double>::infinity();
  Allowances dropped =
      Allowances::fromJson({{"entries",
                             {{"a", {{"count", 1}, {"until", inf}, {"last", 0}}},
                              {"b", {{"count", 1}, {"until", 10}, {"last", std::nan("")}}},
                              {"c", {{"count", 1}, {"until", 7200}, {"last", 0}}}}}});
  EXPECT_EQ(dropped.entries().size(), 1u);
  EXPECT_EQ(dropped.entries().count("c"), 1u);
}

}  // namespace
}  // namespace qb
