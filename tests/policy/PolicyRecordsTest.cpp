// Every record the policy saves survives hostile input through its public methods: what it keeps
// saves, reloads unchanged and saves again to the same text.

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "PolicyTestSupport.h"
#include "support/SavedRecord.h"

namespace qb {
namespace {

using namespace policytest;

TEST(PolicyRecordsTest, HostileInputStillSavesAndReloads) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double numbers[] = {nan, inf, -inf, 0, -0.0, -30, 29.999, 30, 1e-300, 1e308, -1e308};
  const std::string keys[] = {"",
                              " ",
                              "k",
                              "e\u0301t\u00E9",
                              "\U0001F600",
                              std::string(300, 'x'),
                              "quote\" back\\slash\nline"};
  Presence presence(nan, inf);  // limits that are not positive numbers take their defaults
  EXPECT_EQ(std::pair(presence.base(), presence.most()),
            std::pair(Presence::kDefaultBase, Presence::kDefaultMost));
  Allowances allowances;
  test::RandomInput random(20240312);
  for (int i = 0; i < 3000; ++i) {
    const std::string& key = keys[random.below(std::size(keys))];
    const double number = numbers[random.below(std::size(numbers))];
    presence.learn(number, key);
    allowances.allow(key, Date{number});
    if (random.below(20) == 0) allowances.remove(key);
  }
  test::expectReloads(presence);
  test::expectReloads(allowances);
  for (const auto& [key, gaps] : presence.gaps()) {
    for (Duration gap : gaps) EXPECT_TRUE(allFinite(gap)) << key;
  }

  PolicyConfig config;
  config.learnWorkSeconds = -1e308;
  config.minActivityScore = -1e30f;
  config.contextSubjects = std::numeric_limits<int64_t>::min();
  config.contextSeparator = "\u00A0\u2014\"\\";
  config.siteWarmup = 1e-300;
  test::expectReloads(config);

  // Reachable through the policy: an endless idle time on the first credit step after start, then
  // input on a work page, would be learned as a gap.
  Policy policy = protecting();
  show(policy, page(1, "Quarterly budget spreadsheet", "https://sheets.example/d/1"), work(1), t0,
       inf);
  policy.tick(at(30), 0, berlin());
  EXPECT_TRUE(policy.presence().gaps().empty());
  test::expectReloads(policy.presence());
}

}  // namespace
}  // namespace qb
