#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;

const Moment video = page(1, "Cat videos", "https://video.example/watch");

TEST(PolicyExplainTest, LearningLineCountsWholeSeconds) {
  Policy policy;
  EXPECT_EQ(policy.explain(fun(1), video, t0), "learning: 0/180 s of work");
  Moment doc = page(2, "Release checklist draft", "https://docs.example/d/42");
  show(policy, doc, work(2), t0);
  policy.tick(at(60), 0, berlin());
  policy.tick(at(95.9), 0, berlin());
  EXPECT_EQ(policy.explain(work(2), doc, at(96)), "learning: 95/180 s of work");
  policy.config.learnWorkSeconds = 240.5;
  EXPECT_EQ(policy.explain(work(2), doc, at(96)), "learning: 95/240 s of work");
}

TEST(PolicyExplainTest, TheDriftLineWithItsCooldowns) {
  Policy policy = protecting();
  // Without a clock the drift reads zero.
  EXPECT_EQ(policy.explain(fun(1, 0.9f, 0.1f), video, t0), "drift (similarity 0.10): 0/1 s");
  policy.record(Outcome::dismissed, video, fun(1), t0);
  show(policy, video, fun(1, 0.9f, 0.08f), at(0.4));
  EXPECT_EQ(policy.explain(fun(1, 0.9f, 0.08f), video, at(35)),
            "drift (similarity 0.08): 34/1 s, cooldown 85 s, site cooldown 565 s");
  // Cooldowns that have run out are not mentioned.
  EXPECT_EQ(policy.explain(fun(1, 0.9f, 0.08f), video, at(600.4)),
            "drift (similarity 0.08): 600/1 s");
  policy.waitingOnAgent = true;
  EXPECT_EQ(policy.explain(fun(1, 0.9f, 0.08f), video, at(700.4)),
            "drift (similarity 0.08): 700/1 s, waiting on the agent (up to 15 min)");
}

TEST(PolicyExplainTest, AnUnsureButScoredLookContinuesTheDrift) {
  Policy policy = protecting();
  show(policy, video, fun(1, 0.9f, 0.08f), t0);
  Moment next = page(2, "Watch later", "https://video.example/playlist");
  EXPECT_EQ(policy.explain(analysis(2, ActivityKind::entertainment, 0.45f, 0.5f), next, at(12)),
            "unsure (0.45), continues drift (similarity 0.08): 12/1 s");
}

TEST(PolicyExplainTest, ListsAllowancesAndChats) {
  Policy policy = protecting();
  policy.neverInterrupt = {"video.example"};
  EXPECT_EQ(policy.explain(fun(1, 0.99f, 0.0f), video, t0),
            "never interrupted on this site (your list)");

  Policy chats = protecting();
  chats.promptOnChat = true;
  Moment chat = page(4, "Friends", "https://discord.com/channels/1");
  const Analysis talk = analysis(4, ActivityKind::communication, 0.9f);
  EXPECT_EQ(chats.explain(talk, chat, t0), "drift (chat, Prompt on chat): 0/1 s");
  chats.record(Outcome::related, chat, talk, t0);
  EXPECT_EQ(chats.explain(talk, chat, at(1)), "allowed for now (It's for work)");

  Policy allowed = protecting();
  allowed.record(Outcome::related, video, std::nullopt, t0);
  EXPECT_EQ(allowed.explain(fun(1, 0.9f, 0.1f), video, at(1)), "allowed for now (It's for work)");
  // A low score on an allowed scope is still only unsure.
  EXPECT_EQ(allowed.explain(fun(1, 0.41f, 0.1f), video, at(1)), "entertainment but unsure (0.41)");
}

TEST(PolicyExplainTest, VerdictsWithTheirNumbers) {
  Policy policy = protecting();
  EXPECT_EQ(policy.explain(work(1, 0.82f, std::nullopt), video, t0),
            "work 0.82, nothing to compare");
  Moment bank = page(5, "Account overview", "https://bank.example/overview");
  policy.observe(bank, t0, 0, berlin());
  EXPECT_EQ(policy.explain(work(5, 0.9f, 0.3f), bank, t0),
            "same task (similarity 0.30, work 0.90, site 0.00)");
  Moment login = page(6, "Welcome", "https://video.example/login");
  EXPECT_EQ(policy.explain(fun(6, 0.875f, 0.125f), login, t0),
            "sign-in (similarity 0.12, work 0.88, site 0.00)");
  EXPECT_EQ(policy.explain(analysis(5, ActivityKind::neutral, 0.5f, 0.1f), bank, t0),
            "neutral but unsure (0.50)");
}

TEST(PolicyExplainTest, NumbersIgnoreTheLocale) {
  // A C++ global locale with a decimal comma and digit grouping, and the C locale's when one is
  // installed: neither may change the recorded line.
  struct Comma : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
  };
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Comma));
  const std::string savedC = std::setlocale(LC_ALL, nullptr);
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_NUMERIC, name)) break;
  }

  Policy policy = protecting();
  policy.record(Outcome::dismissed, video, fun(1), t0);
  policy.config.scopeCooldown = 5000;
  policy.record(Outcome::dismissed, video, fun(1), t0);
  show(policy, video, fun(1, 0.9f, 0.08f), t0);
  const std::string line = policy.explain(fun(1, 0.9f, 0.08f), video, at(1234.5));
  const std::string scores = policy.explain(work(1, 0.82f, std::nullopt), video, t0);

  std::setlocale(LC_ALL, savedC.c_str());
  std::locale::global(previous);
  EXPECT_EQ(line, "drift (similarity 0.08): 1234/1 s, site cooldown 3765 s");
  EXPECT_EQ(scores, "work 0.82, nothing to compare");
}

}  // namespace
}  // namespace qb
