#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;

const Moment video = page(1, "Cat videos", "https://video.example/watch");

// The learning line, the verdict lines, the drift line with its cooldowns and the agent's wait are
// driven through whole days in the scenarios.

TEST(PolicyExplainTest, NeverInterruptedAllowedAndChats) {
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
