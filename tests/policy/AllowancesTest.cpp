#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "PolicyTestSupport.h"
#include "policy/Allowances.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

using namespace policytest;
using Allowance = Allowances::Allowance;

TEST(AllowancesTest, EachGrantWithinThirtyDaysDoublesFromTheNewGrant) {
  // Grants one second apart, each counted from itself: 2, 4, ..., 512 hours, then 30 days each.
  const double hours[] = {2, 4, 8, 16, 32, 64, 128, 256, 512, 720, 720, 720};
  Allowances chain;
  for (int grant = 1; grant <= 12; ++grant) {
    chain.allow("s", at(grant));
    EXPECT_EQ(chain.entries().at("s"),
              (Allowance{grant, at(grant + hours[grant - 1] * kHour), at(grant)}));
  }
}

TEST(AllowancesTest, AGrantForgetsEveryStaleScope) {
  Allowances allowances;
  allowances.allow("future", at(3 * Allowances::longest));  // the clock later went back
  allowances.allow("old", t0);
  allowances.allow("recent", at(10));
  allowances.allow("other", at(Allowances::longest));
  EXPECT_EQ(allowances.entries().count("old"), 0u);
  EXPECT_EQ(allowances.entries().count("recent"), 1u);
  EXPECT_EQ(allowances.entries().count("future"), 1u);
  // Time alone forgets nothing.
  EXPECT_FALSE(allowances.isAllowed("recent", at(100 * Allowances::longest)));
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
  allowances.allow("s", at(10));  // starts over
  EXPECT_EQ(allowances.entries().at("s"), (Allowance{1, at(10 + 2 * kHour), at(10)}));

  Allowances running;
  running.allow("c.example", t0);              // ends at 2 h
  running.allow("b.example", at(-3 * kHour));  // ended
  running.allow("a.example", at(0));           // same end as c
  running.allow("d.example", at(-kHour));
  running.allow("d.example", at(-kHour));          // 4 h from -1 h: ends at 3 h
  running.allow("e.example", at(-2 * kHour + 1));  // ends at 1 s
  std::vector<std::string> scopes;
  for (const auto& entry : running.active(t0)) scopes.push_back(entry.scope);
  EXPECT_EQ(scopes, (std::vector<std::string>{"e.example", "a.example", "c.example", "d.example"}));
  EXPECT_EQ(running.active(t0).back().allowance, running.entries().at("d.example"));
  EXPECT_TRUE(running.active(at(3 * kHour)).empty());
}

TEST(AllowancesTest, FilesReadInTheDocumentedFormAndImpossibleEntriesAreRepaired) {
  const Json file = json::parse(R"({"entries": {
      "example.com": {"count": 3, "until": 800028800, "last": 800000000.5},
      "org.editor": {"count": 1, "until": 7200, "last": 0}}})");
  const Allowances read = Allowances::fromJson(file);
  EXPECT_EQ(read.entries().at("example.com"),
            (Allowance{3, Date::fromReference(800028800), Date::fromReference(800000000.5)}));
  EXPECT_EQ(read.toJson(), file);
  test::expectHostileVariantsSafe<Allowances>(file);
  test::expectRefused<Allowances>({
      {R"({})", "entries: key not found"},
      {R"(null)", "entries: expected an object"},
      {R"({"entries": []})", "entries: expected an object"},
      {R"({"entries": {"s": {"until": 1, "last": 0}}})", "count: key not found"},
      {R"({"entries": {"s": {"count": 1, "last": 0}}})", "until: key not found"},
      {R"({"entries": {"s": {"count": 1, "until": 1}}})", "last: key not found"},
      {R"({"entries": {"s": {"count": 1.5, "until": 1, "last": 0}}})",
       "count: expected an integer"},
      {R"({"entries": {"s": {"count": 1e30, "until": 1, "last": 0}}})",
       "count: expected an integer"},
      {R"({"entries": {"s": {"count": 1, "until": "1", "last": 0}}})", "until: expected a number"},
  });

  // A count below 1 becomes 1; an end no grant could set is cut to the longest allowance after
  // the grant. The next grant neither overflows the count nor grants less than a first one.
  Allowances repaired = Allowances::fromJson(json::parse(R"({"entries": {
      "zero": {"count": 0, "until": 1000, "last": 0},
      "negative": {"count": -40, "until": 1000, "last": 0},
      "forever": {"count": 2, "until": 1e300, "last": 100},
      "huge": {"count": 9223372036854775807, "until": 1000, "last": 0}}})"));
  EXPECT_EQ(repaired.entries().at("zero").count, 1);
  EXPECT_EQ(repaired.entries().at("negative").count, 1);
  EXPECT_EQ(repaired.entries().at("forever").until, Date::fromReference(100 + Allowances::longest));
  repaired.allow("huge", Date::fromReference(10));
  EXPECT_EQ(repaired.entries().at("huge"),
            (Allowance{std::numeric_limits<int64_t>::max(),
                       Date::fromReference(10 + Allowances::longest), Date::fromReference(10)}));
  repaired.allow("negative", Date::fromReference(10));
  EXPECT_EQ(repaired.entries().at("negative").until, Date::fromReference(10 + 4 * kHour));
}

}  // namespace
}  // namespace qb
