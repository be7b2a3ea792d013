#include <gtest/gtest.h>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;

const Moment video = page(1, "Cat videos", "https://video.example/watch");
const Moment news = page(2, "Celebrity gossip", "https://news.example/today");

// Expiry, long pauses and ticks while away are driven through whole days in the scenarios.

TEST(PolicyTickTest, TheTickAsksTheDriftTestAgain) {
  Policy policy = protecting();
  show(policy, video, fun(1), t0);
  // Allowed meanwhile (say, from the sites page): no longer a drift, but the clock keeps running.
  Allowances allowances;
  allowances.allow("video.example", at(5));
  policy.restore(allowances);
  EXPECT_EQ(policy.tick(at(30), 0, berlin()), PolicyDecision::none());
  EXPECT_EQ(policy.driftSeconds(at(30)), 30);
  // The tick never starts a clock.
  Policy quiet = protecting();
  quiet.observe(video, t0, 0, berlin());
  EXPECT_EQ(quiet.tick(at(30), 0, berlin()), PolicyDecision::none());
  EXPECT_EQ(quiet.driftSeconds(at(30)), std::nullopt);
}

TEST(PolicyTickTest, BackToWorkEndsTheCooldownAndTheAllowance) {
  Policy policy = protecting();
  policy.record(Outcome::related, video, fun(1), t0);
  ASSERT_TRUE(policy.allowances().isAllowed("video.example", at(1)));
  policy.record(Outcome::back, video, fun(1), at(10));
  EXPECT_TRUE(policy.cooldowns(at(10)).empty());
  EXPECT_TRUE(policy.allowances().entries().empty());
  EXPECT_EQ(show(policy, video, fun(1), at(20)), PolicyDecision::check(at(21)));
}

TEST(PolicyTickTest, EveryOtherOutcomePushesTheGlobalCooldown) {
  Policy policy = protecting();
  show(policy, video, fun(1), t0);
  policy.record(Outcome::prompted, video, fun(1), at(1));
  EXPECT_EQ(policy.driftSeconds(at(1)), std::nullopt);
  policy.record(Outcome::dismissed, video, fun(1), at(60));
  EXPECT_EQ(policy.cooldowns(at(60)).at("global"), 120);
  // A later end already set is kept.
  policy.config.globalCooldown = 10;
  policy.record(Outcome::prompted, news, fun(2), at(70));
  EXPECT_EQ(policy.cooldowns(at(70)).at("global"), 110);
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
  Moment bare = window(5, "Terminal");
  policy.record(Outcome::related, bare, std::nullopt, at(10));
  EXPECT_TRUE(policy.allowances().isAllowed("org.gnome.Terminal", at(11)));
  EXPECT_EQ(policy.projects().candidates.at("quillfeather").confirmed, 1);
  policy.config.projectCorrections = false;
  policy.record(Outcome::related, issue, std::nullopt, at(20));
  EXPECT_EQ(policy.projects().candidates.at("quillfeather").confirmed, 1);
}

TEST(PolicyTickTest, EndedScopeCooldownsAreDropped) {
  // Two policies that differ only in a scope cooldown that has run out end up equal once
  // another scope is dismissed.
  Policy early = protecting();
  early.record(Outcome::dismissed, video, fun(1), t0);
  early.record(Outcome::dismissed, news, fun(2), at(700));
  Policy late = protecting();
  late.record(Outcome::dismissed, news, fun(2), at(700));
  EXPECT_TRUE(early == late);
  // One still running stays.
  Policy both = protecting();
  both.record(Outcome::dismissed, video, fun(1), t0);
  both.record(Outcome::dismissed, news, fun(2), at(599));
  EXPECT_EQ(both.cooldowns(at(599)).count("video.example"), 1u);
  EXPECT_FALSE(both == late);
  // A dismissal replaces the scope's earlier end.
  both.record(Outcome::dismissed, video, fun(1), at(100));
  EXPECT_EQ(both.cooldowns(at(100)).at("video.example"), 600);
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
