#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Redaction.h"
#include "base/Json.h"
#include "policy/PolicyTestSupport.h"
#include "recording/ContextRecord.h"
#include "recording/DecisionRecord.h"
#include "recording/InputCounts.h"
#include "recording/MomentRecord.h"
#include "recording/PageShape.h"
#include "recording/PromptOutcome.h"
#include "recording/SwitchRecord.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using namespace policytest;

constexpr uint32_t kMax = std::numeric_limits<uint32_t>::max();

TEST(InputCountsTest, SinceCountsAcrossTheWrap) {
  struct Case {
    const char* name;
    InputCounts earlier;
    InputCounts now;
    InputCounts expected;
  };
  const Case cases[] = {
      {"plain growth", {1, 2, 3, 4}, {11, 22, 33, 44}, {10, 20, 30, 40}},
      {"clicks wrap", {0, kMax, 0, 0}, {0, 2, 0, 0}, {0, 3, 0, 0}},
      {"every field wraps", {kMax, kMax, kMax, kMax}, {0, 0, 0, 0}, {1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.now.since(c.earlier), c.expected);
  }
}

TEST(PageShapeTest, EncodesEverySevenKeysRoundTripsAndRequiresEachKey) {
  const PageShape shape{3, 1, 4, 1, 5926, 53, true};
  EXPECT_EQ(json::dump(shape.toJson()),
            R"({"chars":5926,"fields":1,"headings":1,"images":4,"links":3,"nodes":53,)"
            R"("truncated":true})");
  EXPECT_EQ(PageShape::fromJson(shape.toJson()), shape);
  EXPECT_EQ(PageShape::fromJson(PageShape().toJson()), PageShape());
  for (const char* key : {"links", "headings", "images", "fields", "chars", "nodes", "truncated"}) {
    SCOPED_TRACE(key);
    Json json = PageShape().toJson();
    json.erase(key);
    EXPECT_THAT([&] { PageShape::fromJson(json); }, test::ThrowsDecoding(key));
  }
  Json wrong = PageShape().toJson();
  wrong["truncated"] = 1;
  EXPECT_THAT([&] { PageShape::fromJson(wrong); }, test::ThrowsDecoding("truncated"));
}

TEST(MomentRecordTest, RedactsTheAddressAndLeavesWhatAWindowLacksAbsent) {
  MomentRecord browsing(
      page(4, "Results - search", "https://user:pw@www.Example.com/find?q=cats&x=1#top"));
  EXPECT_EQ(browsing.url,
            Redaction::url(Url::parse("https://user:pw@www.Example.com/find?q=cats&x=1#top")));
  EXPECT_EQ(browsing.url->find("pw"), std::string::npos);
  EXPECT_EQ(browsing.url->find("x=1"), std::string::npos);
  EXPECT_EQ(browsing.host, "example.com");
  EXPECT_FALSE(browsing.excluded);
  EXPECT_FALSE(browsing.cause || browsing.browser || browsing.readTime || browsing.frame ||
               browsing.windowShare || browsing.agentRepository);

  MomentRecord record(window(2, "notes.txt"));
  EXPECT_FALSE(record.url || record.host || record.agent || record.agentTask || record.document);
}

TEST(DecisionRecordTest, TakesMomentActivityAndReasonFromWhatIsGiven) {
  const Policy policy = protecting();
  const Moment video = page(9, "Cats compilation", "https://video.example/watch?v=1");
  const Analysis abstained = analysis(8, std::nullopt, 0.4f);
  struct Case {
    const char* name;
    std::optional<Analysis> analysis;
    std::optional<Moment> moment;
    std::optional<std::string> reason;
    std::optional<uint64_t> expectedMoment;
    std::optional<std::string> expectedActivity;
    std::optional<float> expectedScore;
    std::string expectedReason;
  };
  const Case cases[] = {
      {"neither", std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
       std::nullopt, ""},
      {"neither, with a reason", std::nullopt, std::nullopt, "moved away", std::nullopt,
       std::nullopt, std::nullopt, "moved away"},
      {"analysis only", fun(8), std::nullopt, std::nullopt, 8, "entertainment", 0.9f, ""},
      {"abstaining analysis", abstained, std::nullopt, std::nullopt, 8, std::nullopt, 0.4f, ""},
      {"both", fun(8), video, std::nullopt, 9, "entertainment", 0.9f,
       policy.explain(fun(8), video, at(60))},
      {"both, with a reason", fun(8), video, "not in front", 9, "entertainment", 0.9f,
       "not in front"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecisionRecord record(policy, c.analysis, c.moment, "none", c.reason, true, at(60));
    EXPECT_EQ(record.moment, c.expectedMoment);
    EXPECT_EQ(record.activity, c.expectedActivity);
    EXPECT_EQ(record.score, c.expectedScore);
    EXPECT_EQ(record.reason, c.expectedReason);
    EXPECT_TRUE(record.protecting);
  }
  EXPECT_FALSE(policy.explain(fun(8), video, at(60)).empty());
}

TEST(DecisionRecordTest, ReadsDriftAndCooldownsFromThePolicy) {
  Policy policy = protecting();
  policy.promptOnChat = true;
  const Moment chat = page(9, "Friends", "https://discord.com/channels/1");
  const Analysis chatting = analysis(9, ActivityKind::communication, 0.9f, 0.1f);
  ASSERT_EQ(show(policy, chat, chatting, at(0)).kind, PolicyDecision::Kind::check);
  DecisionRecord drifting(policy, chatting, chat, "check", std::nullopt, false, at(90));
  ASSERT_TRUE(drifting.drift);
  EXPECT_EQ(*drifting.drift, 90);
  EXPECT_EQ(drifting.learned, policy.learnedSeconds());
  EXPECT_FALSE(drifting.inFront);
  EXPECT_EQ(drifting.decision, "check");

  policy.record(Outcome::dismissed, chat, chatting, at(90));
  DecisionRecord after(policy, chatting, chat, "none", std::nullopt, true, at(100));
  EXPECT_EQ(after.cooldowns, policy.cooldowns(at(100)));
  EXPECT_TRUE(after.cooldowns.count(std::string(Policy::kGlobalCooldownKey)));

  DecisionRecord learning(Policy(), std::nullopt, std::nullopt, "none", std::nullopt, true, t0);
  EXPECT_FALSE(learning.protecting);
  EXPECT_FALSE(learning.drift);
  EXPECT_TRUE(learning.cooldowns.empty());
}

TEST(DecisionRecordTest, NamesEveryPolicyDecision) {
  EXPECT_EQ(name(PolicyDecision::check(t0)), "check");
  EXPECT_EQ(name(PolicyDecision::intervene(3)), "intervene");
  EXPECT_EQ(name(PolicyDecision::none()), "none");
}

TEST(SwitchRecordTest, NamesTheSiteOnlyOfAPageAndTheActivityOnlyOfAVerdict) {
  const SwitchReading reading{0.12f, 0.25, 0.3f, SwitchReading::Verdict::signIn};
  const Moment login = page(5, "Sign in", "https://www.accounts.example/Login/Step?x=1");
  SwitchRecord record(reading, fun(5, 0.7f), login, {"Budget"}, at(5));
  ASSERT_TRUE(record.site.has_value());
  EXPECT_EQ(record.site, WorkSites::section(login));
  EXPECT_EQ(record.activity, "entertainment");

  SwitchRecord abstained(reading, analysis(6, std::nullopt, 0.2f), window(6, "x"), {}, at(6));
  EXPECT_FALSE(abstained.activity);
  EXPECT_FALSE(abstained.site);
}

TEST(ContextRecordTest, SummaryAndTitlesOnlyWithAContext) {
  ContextRecord none(ContextRecord::kExpired, Policy(), at(1));
  EXPECT_EQ(none.event, "expired");
  EXPECT_FALSE(none.summary);
  EXPECT_TRUE(none.titles.empty());

  const Policy policy = protecting({"Budget review", "Slides for Monday"});
  ContextRecord formed(ContextRecord::kFormed, policy, at(2));
  EXPECT_EQ(formed.summary, policy.contextSummary(at(2)));
  EXPECT_TRUE(formed.summary.has_value());
  EXPECT_EQ(formed.titles, contextTitles(policy));
}

TEST(PromptOutcomeTest, RawValuesParseExactlyAndLabel) {
  struct Case {
    PromptOutcome outcome;
    const char* raw;
    std::optional<std::string_view> label;
  };
  const Case cases[] = {
      {PromptOutcome::back, "back", "distraction"},
      {PromptOutcome::related, "related", "work"},
      {PromptOutcome::breakTime, "break", std::nullopt},
      {PromptOutcome::dismiss, "dismiss", "continued"},
      {PromptOutcome::ignored, "ignored", "continued"},
      {PromptOutcome::never, "never", "work"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw);
    EXPECT_EQ(rawValue(c.outcome), c.raw);
    EXPECT_EQ(parsePromptOutcome(c.raw), c.outcome);
    EXPECT_EQ(label(c.outcome), c.label);
  }
  for (const char* other : {"Back", "BREAK", "breakTime", "", " back"}) {
    SCOPED_TRACE(other);
    EXPECT_FALSE(parsePromptOutcome(other));
  }
}

}  // namespace
}  // namespace qb
