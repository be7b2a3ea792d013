#include <gtest/gtest.h>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;

const Moment video = page(1, "Cat videos", "https://video.example/watch");
const Moment news = page(2, "Celebrity gossip", "https://news.example/today");

// The plain grace and the scope/global cooldowns are driven through whole days in the scenarios;
// these cover the agent's stretched grace and the cooldown view's boundaries.

TEST(PolicyDriftTest, WaitingOnAnAgentStretchesTheGrace) {
  Policy policy = protecting();
  policy.waitingOnAgent = true;
  EXPECT_EQ(show(policy, video, fun(1), t0), PolicyDecision::check(at(900)));
  EXPECT_EQ(policy.tick(at(899), 0, berlin()), PolicyDecision::check(at(900)));
  EXPECT_EQ(policy.tick(at(900), 0, berlin()), PolicyDecision::intervene(1));
  // A further drifting analysis keeps the clock's start.
  policy.waitingOnAgent = false;
  EXPECT_EQ(policy.ingest(fun(1), video, at(900)), PolicyDecision::intervene(1));
  EXPECT_EQ(policy.driftSeconds(at(900)), 900);
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
  const Moment chat = page(3, "Friends", "https://discord.com/channels/1");
  auto decide = [](const Moment& moment, const Analysis& result, bool promptOnChat) {
    Policy policy = protecting();
    policy.restore(builtSites({"discord.com", "mail.example"}));
    policy.promptOnChat = promptOnChat;
    return show(policy, moment, result, t0);
  };
  using enum ActivityKind;
  EXPECT_EQ(decide(chat, analysis(3, communication, 0.9f, 0.1f), false), PolicyDecision::none());
  EXPECT_EQ(decide(chat, analysis(3, communication, 0.9f, 0.1f), true),
            PolicyDecision::check(at(1)));
  // Without a similarity there is no reading, yet chat still drifts.
  EXPECT_EQ(decide(chat, analysis(3, communication, 0.9f), true), PolicyDecision::check(at(1)));
  // Work mail is no chat; an unsure chat is no drift either; a chat program drifts like a page.
  EXPECT_EQ(decide(page(4, "Inbox", "https://mail.example/inbox"),
                   analysis(4, communication, 0.9f, 0.1f), true),
            PolicyDecision::none());
  EXPECT_EQ(decide(chat, analysis(3, communication, 0.5f, 0.1f), true), PolicyDecision::none());
  EXPECT_EQ(
      decide(window(5, "General", "Discord", "discord"), analysis(5, communication, 0.9f), true),
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
