#include <gtest/gtest.h>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;

const Moment video = page(1, "Cat videos", "https://video.example/watch");

// Expiry, long pauses, ticks while away and back to work are driven through whole days in the
// scenarios.

TEST(PolicyTickTest, TheTickAsksTheDriftTestAgainButNeverStartsAClock) {
  Policy policy = protecting();
  show(policy, video, fun(1), t0);
  // Allowed meanwhile (say, from the sites page): no longer a drift, but the clock keeps running.
  Allowances allowances;
  allowances.allow("video.example", at(5));
  policy.restore(allowances);
  EXPECT_EQ(policy.tick(at(30), 0, berlin()), PolicyDecision::none());
  EXPECT_EQ(policy.driftSeconds(at(30)), 30);

  Policy quiet = protecting();
  quiet.observe(video, t0, 0, berlin());
  EXPECT_EQ(quiet.tick(at(30), 0, berlin()), PolicyDecision::none());
  EXPECT_EQ(quiet.driftSeconds(at(30)), std::nullopt);
}

TEST(PolicyTickTest, RelatedConfirmsTheSiteAndTheProject) {
  Policy policy = protecting();
  policy.learnAgentFolders({"quillfeather"}, t0);
  Moment issue = page(4, "quillfeather crash report", "https://tracker.example/issues/7");
  policy.record(Outcome::related, issue, work(4, 0.5f, 0.1f), t0);
  EXPECT_TRUE(policy.allowances().isAllowed("tracker.example", at(1)));
  EXPECT_EQ(policy.sites().weight(issue, at(1)), 1);
  EXPECT_EQ(policy.projects().candidates.at("quillfeather").confirmed, 1);
  EXPECT_TRUE(policy.cooldowns(at(1)).count("global"));

  // A title naming only the program teaches no project; nor does any title with corrections off.
  policy.record(Outcome::related, window(5, "Terminal"), std::nullopt, at(10));
  EXPECT_TRUE(policy.allowances().isAllowed("org.gnome.Terminal", at(11)));
  EXPECT_EQ(policy.projects().candidates.at("quillfeather").confirmed, 1);
  policy.config.projectCorrections = false;
  policy.record(Outcome::related, issue, std::nullopt, at(20));
  EXPECT_EQ(policy.projects().candidates.at("quillfeather").confirmed, 1);
  // Back to work ends the scope's allowance.
  policy.record(Outcome::back, issue, std::nullopt, at(30));
  EXPECT_FALSE(policy.allowances().isAllowed("tracker.example", at(31)));
}

TEST(PolicyTickTest, InterruptStopsTheClockAndTheCreditRun) {
  Policy policy = protecting();
  show(policy, video, fun(1), t0);
  policy.interrupt();
  EXPECT_EQ(policy.driftSeconds(at(5)), std::nullopt);
  EXPECT_EQ(policy.tick(at(30), 0, berlin()), PolicyDecision::none());
  EXPECT_EQ(policy.drainDetours(), 0);
  // The page is still in front with its analysis; a new drifting analysis starts a new clock.
  EXPECT_EQ(policy.ingest(fun(1), video, at(40)), PolicyDecision::check(at(41)));
}

}  // namespace
}  // namespace qb
