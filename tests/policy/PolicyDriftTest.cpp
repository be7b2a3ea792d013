#include <gtest/gtest.h>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;

const Moment video = page(1, "Cat videos", "https://video.example/watch");
const Moment news = page(2, "Celebrity gossip", "https://news.example/today");

TEST(PolicyDriftTest, ADriftIsDueAfterTheGrace) {
  Policy policy = protecting();
  EXPECT_EQ(show(policy, video, fun(1), at(10)), PolicyDecision::check(at(11)));
  EXPECT_EQ(policy.tick(at(10.5), 0, berlin()), PolicyDecision::check(at(11)));
  EXPECT_EQ(policy.tick(at(11), 0, berlin()), PolicyDecision::intervene(1));
  // Further drifting analyses keep the clock's start.
  EXPECT_EQ(policy.ingest(fun(1), video, at(12)), PolicyDecision::intervene(1));
  EXPECT_EQ(policy.driftSeconds(at(12)), 2);
}

TEST(PolicyDriftTest, WaitingOnAnAgentStretchesTheGrace) {
  Policy policy = protecting();
  policy.waitingOnAgent = true;
  EXPECT_EQ(show(policy, video, fun(1), t0), PolicyDecision::check(at(900)));
  EXPECT_EQ(policy.tick(at(899), 0, berlin()), PolicyDecision::check(at(900)));
  EXPECT_EQ(policy.tick(at(900), 0, berlin()), PolicyDecision::intervene(1));
  policy.waitingOnAgent = false;
  EXPECT_EQ(policy.ingest(fun(1), video, at(900)), PolicyDecision::intervene(1));
}

TEST(PolicyDriftTest, CooldownsDelayTheDueTime) {
  Policy policy = protecting();
  policy.record(Outcome::dismissed, video, fun(1), t0);
  // The scope's own cooldown decides on that scope; elsewhere the global one.
  EXPECT_EQ(show(policy, video, fun(1), at(10)), PolicyDecision::check(at(600)));
  EXPECT_EQ(show(policy, news, fun(2), at(20)), PolicyDecision::check(at(120)));
  EXPECT_EQ(policy.tick(at(120), 0, berlin()), PolicyDecision::intervene(2));
  EXPECT_EQ(show(policy, video, fun(1), at(130)), PolicyDecision::check(at(600)));
  EXPECT_EQ(policy.tick(at(599), 0, berlin()), PolicyDecision::check(at(600)));
  EXPECT_EQ(policy.tick(at(600), 0, berlin()), PolicyDecision::intervene(1));
}

TEST(PolicyDriftTest, CooldownsListWhatStillRuns) {
  Policy policy = protecting();
  EXPECT_TRUE(policy.cooldowns(t0).empty());
  policy.record(Outcome::prompted, video, fun(1), t0);
  EXPECT_EQ(policy.cooldowns(at(20)), (std::map<std::string, Duration>{{"global", 100}}));
  policy.record(Outcome::dismissed, video, fun(1), at(20));
  EXPECT_EQ(policy.cooldowns(at(50)),
            (std::map<std::string, Duration>{{"global", 90}, {"video.example", 570}}));
  EXPECT_EQ(policy.cooldowns(at(140)), (std::map<std::string, Duration>{{"video.example", 480}}));
  EXPECT_TRUE(policy.cooldowns(at(620)).empty());  // ends exactly now: not running
}

TEST(PolicyDriftTest, ChatDriftsOnlyWhenAskedTo) {
  Policy policy = protecting();
  policy.restore(builtSites({"discord.com", "mail.example"}));
  Moment chat = page(3, "Friends", "https://discord.com/channels/1");
  const Analysis talk = analysis(3, ActivityKind::communication, 0.9f, 0.1f);
  EXPECT_EQ(show(policy, chat, talk, t0), PolicyDecision::none());
  policy.promptOnChat = true;
  EXPECT_EQ(show(policy, chat, talk, at(10)), PolicyDecision::check(at(11)));
  // Without a similarity there is no reading, yet chat still drifts.
  Policy noSimilarity = protecting();
  noSimilarity.promptOnChat = true;
  EXPECT_EQ(show(noSimilarity, chat, analysis(3, ActivityKind::communication, 0.9f), t0),
            PolicyDecision::check(at(1)));
  // Work mail is no chat; an unsure chat is no drift either.
  Moment mail = page(4, "Inbox", "https://mail.example/inbox");
  EXPECT_EQ(show(policy, mail, analysis(4, ActivityKind::communication, 0.9f, 0.1f), at(20)),
            PolicyDecision::none());
  Policy unsure = protecting();
  unsure.promptOnChat = true;
  EXPECT_EQ(show(unsure, chat, analysis(3, ActivityKind::communication, 0.5f, 0.1f), t0),
            PolicyDecision::none());
  // A chat program drifts like a chat page.
  Moment app = window(5, "General", "Discord", "discord");
  Policy programs = protecting();
  programs.promptOnChat = true;
  EXPECT_EQ(show(programs, app, analysis(5, ActivityKind::communication, 0.9f), t0),
            PolicyDecision::check(at(1)));
}

TEST(PolicyDriftTest, AllowedAndNeverInterruptedScopesDoNotDrift) {
  Policy allowed = protecting();
  allowed.record(Outcome::related, video, fun(1), at(-200));
  EXPECT_EQ(show(allowed, video, fun(1), t0), PolicyDecision::none());
  EXPECT_EQ(allowed.driftSeconds(t0), std::nullopt);
  EXPECT_EQ(show(allowed, news, fun(2), at(1)), PolicyDecision::check(at(2)));  // only that scope
  Policy never = protecting();
  never.neverInterrupt = {"video.example"};
  never.promptOnChat = true;
  EXPECT_EQ(show(never, video, fun(1), t0), PolicyDecision::none());
  EXPECT_EQ(never.driftSeconds(t0), std::nullopt);
}

}  // namespace
}  // namespace qb
