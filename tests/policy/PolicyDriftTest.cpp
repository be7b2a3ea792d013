#include <gtest/gtest.h>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;
using Cooldowns = std::map<std::string, Duration>;

const Moment video = page(1, "Cat videos", "https://video.example/watch");
const Moment news = page(2, "Celebrity gossip", "https://news.example/today");

// The grace, the agent's stretched grace and the cooldowns' effect on prompts are driven through
// whole days in the scenarios.

TEST(PolicyDriftTest, OutcomesSetTheCooldownsAndTheViewListsThoseStillRunning) {
  Policy policy = protecting();
  EXPECT_TRUE(policy.cooldowns(t0).empty());
  policy.record(Outcome::prompted, video, fun(1), t0);
  EXPECT_EQ(policy.cooldowns(at(20)), (Cooldowns{{"global", 100}}));
  policy.record(Outcome::dismissed, video, fun(1), at(20));
  EXPECT_EQ(policy.cooldowns(at(50)), (Cooldowns{{"global", 90}, {"video.example", 570}}));
  EXPECT_EQ(policy.cooldowns(at(140)), (Cooldowns{{"video.example", 480}}));
  EXPECT_TRUE(policy.cooldowns(at(620)).empty());  // ends exactly now: not running
  // A later global end already set is kept; a dismissal replaces the scope's earlier end.
  policy.record(Outcome::dismissed, video, fun(1), at(100));
  policy.config.globalCooldown = 10;
  policy.record(Outcome::prompted, news, fun(2), at(110));
  EXPECT_EQ(policy.cooldowns(at(110)), (Cooldowns{{"global", 110}, {"video.example", 590}}));

  // Ended scope cooldowns are dropped at the next dismissal: two policies that differ only in
  // one that has run out end up equal; one still running stays.
  Policy early = protecting(), late = protecting(), both = protecting();
  early.record(Outcome::dismissed, video, fun(1), t0);
  both.record(Outcome::dismissed, video, fun(1), t0);
  early.record(Outcome::dismissed, news, fun(2), at(700));
  late.record(Outcome::dismissed, news, fun(2), at(700));
  both.record(Outcome::dismissed, news, fun(2), at(599));
  EXPECT_TRUE(early == late);
  EXPECT_EQ(both.cooldowns(at(599)).count("video.example"), 1u);
}

TEST(PolicyDriftTest, ChatDriftsOnlyWhenAskedTo) {
  const Moment chat = page(3, "Friends", "https://discord.com/channels/1");
  const Moment mail = page(4, "Inbox", "https://mail.example/inbox");
  const Moment discord = window(5, "General", "Discord", "discord");
  using enum ActivityKind;
  struct Case {
    const Moment& moment;
    Analysis result;
    bool promptOnChat;
    PolicyDecision decision;
  };
  const Case cases[] = {
      {chat, analysis(3, communication, 0.9f, 0.1f), false, PolicyDecision::none()},
      {chat, analysis(3, communication, 0.9f, 0.1f), true, PolicyDecision::check(at(1))},
      // Without a similarity there is no reading, yet chat still drifts.
      {chat, analysis(3, communication, 0.9f), true, PolicyDecision::check(at(1))},
      // Work mail is no chat; an unsure chat is no drift; a chat program drifts like a page.
      {mail, analysis(4, communication, 0.9f, 0.1f), true, PolicyDecision::none()},
      {chat, analysis(3, communication, 0.5f, 0.1f), true, PolicyDecision::none()},
      {discord, analysis(5, communication, 0.9f), true, PolicyDecision::check(at(1))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.moment.title << " " << c.result.activityScore);
    Policy policy = protecting();
    policy.restore(builtSites({"discord.com", "mail.example"}));
    policy.promptOnChat = c.promptOnChat;
    EXPECT_EQ(show(policy, c.moment, c.result, t0), c.decision);
  }
}

}  // namespace
}  // namespace qb
