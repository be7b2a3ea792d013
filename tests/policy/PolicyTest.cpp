#include <gtest/gtest.h>

#include <limits>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;

const Moment video = page(1, "Cat videos", "https://video.example/watch");

TEST(PolicyTest, DecisionsAreEqualByCaseAndPayload) {
  const PolicyDecision decisions[] = {PolicyDecision::check(at(5)), PolicyDecision::check(at(6)),
                                      PolicyDecision::intervene(7), PolicyDecision::intervene(8),
                                      PolicyDecision::intervene(0), PolicyDecision::none()};
  for (size_t i = 0; i < std::size(decisions); ++i) {
    for (size_t j = 0; j < std::size(decisions); ++j) {
      EXPECT_EQ(decisions[i] == decisions[j], i == j) << i << " " << j;
    }
  }
  // A stray payload on another case plays no part.
  PolicyDecision stray = PolicyDecision::none();
  stray.observationID = 9;
  EXPECT_EQ(stray, PolicyDecision::none());
  EXPECT_EQ(rawValue(Outcome::dismissed), "dismissed");
}

TEST(PolicyTest, RestoreSeedsTheRecentWorkAfterTitlesLearnedSinceStart) {
  Policy policy;
  policy.ingest(work(1), window(1, "Meeting notes draft", "Editor", "org.gnome.TextEditor"), t0);
  EXPECT_TRUE(policy.recentWork().empty());  // learned, but shown only with a context

  WorkContext saved;
  for (int i = 8; i >= 1; --i) saved.add("Saved title " + std::to_string(i));
  saved.add("Meeting notes draft");
  saved.sessionHalfLife = 60;
  policy.restore(saved, t0);
  const std::vector<std::string> recent = policy.recentWork();
  ASSERT_EQ(recent.size(), WorkContext::kMaxTitles);
  EXPECT_EQ(recent[0], "Meeting notes draft");
  EXPECT_EQ(recent[1], "Saved title 1");
  EXPECT_EQ(recent[7], "Saved title 7");
  // The context runs under this configuration's half-life, not the saved one.
  EXPECT_EQ(policy.context()->sessionHalfLife, policy.config.sessionHalfLife);
}

TEST(PolicyTest, ForgettingTheContextKeepsWhatIsNotLearning) {
  Policy policy = protecting();
  policy.learnAgentFolders({"quillfeather"}, t0);
  Moment fix = window(1, "Fix the parser crash");
  fix.agent = AgentSession("coder", "/home/me/quillfeather", "fix-parser", t0, true);
  show(policy, fix, work(1), t0);
  policy.tick(at(30), 0, berlin());
  policy.record(Outcome::dismissed, video, std::nullopt, at(30));
  show(policy, video, fun(2), at(31));
  ASSERT_TRUE(policy.driftSeconds(at(31)).has_value());

  policy.forgetContext();
  EXPECT_FALSE(policy.isProtecting());
  EXPECT_TRUE(policy.recentWork().empty());
  EXPECT_EQ(policy.driftSeconds(at(40)), std::nullopt);
  EXPECT_EQ(policy.learnedSeconds(), 0);
  // Cooldowns, the project of a learned title and the undrained time survive: up to the
  // dismissed page coming in front at 31 s, the agent's work was in front.
  EXPECT_EQ(policy.cooldowns(at(40)).size(), 2u);
  EXPECT_EQ(policy.project(window(3, "Fix the parser crash"), std::nullopt), "quillfeather");
  EXPECT_EQ(policy.drainFocus().at("quillfeather"), 31);
  EXPECT_EQ(policy.projectNames(), (std::vector<std::string>{"quillfeather"}));

  // Without project memory the projects go with the context.
  PolicyConfig forgetful;
  forgetful.projectMemory = false;
  Policy other = protecting({"Quarterly budget spreadsheet"}, forgetful);
  other.learnAgentFolders({"quillfeather"}, t0);
  other.forgetContext();
  EXPECT_EQ(other.projects(), ProjectMemory());
}

TEST(PolicyTest, ResetKeepsOnlyTheConfiguration) {
  PolicyConfig config;
  config.grace = 5;
  Policy policy = protecting({"Quarterly budget spreadsheet"}, config);
  policy.config.globalCooldown = 30;
  policy.neverInterrupt = {"example.com"};
  policy.promptOnChat = true;
  policy.record(Outcome::related, video, std::nullopt, t0);
  Presence presence;
  presence.learn(45, "video.example");
  policy.restore(presence);

  policy.reset();
  config.globalCooldown = 30;
  EXPECT_EQ(policy.config, config);
  EXPECT_TRUE(policy == Policy(config));
}

TEST(PolicyTest, ViewsOfTheDriftAndTheContext) {
  Policy policy = protecting({"Quarterly budget spreadsheet"});
  show(policy, video, fun(1), at(100));
  EXPECT_EQ(policy.driftSeconds(at(130)), 30);
  EXPECT_EQ(policy.driftSeconds(at(90)), -10);  // before the drift began

  // Without a project a subject's label is its site; it needs subjectSeconds of dwell.
  policy = protecting({"Quarterly budget spreadsheet"});
  EXPECT_EQ(policy.contextSummary(t0), "Quarterly budget spreadsheet");
  EXPECT_EQ(policy.contextDescription(t0), std::nullopt);
  EXPECT_TRUE(policy.workingOn(t0).empty());
  show(policy, page(1, "Quarterly budget spreadsheet", "https://sheets.example/d/1"), work(1), t0);
  policy.tick(at(30), 0, berlin());
  EXPECT_EQ(policy.contextDescription(at(30)), std::nullopt);
  policy.tick(at(70), 0, berlin());
  EXPECT_EQ(policy.contextDescription(at(70)), "sheets.example");
  EXPECT_EQ(policy.workingOn(at(70)), (std::vector<std::string>{"sheets.example"}));
  EXPECT_EQ(policy.contextSummary(at(70)), "Quarterly budget spreadsheet");
}

TEST(PolicyTest, InputThatIsNotANumberChangesNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  Policy policy = protecting();
  Moment sheet = page(1, "Quarterly budget spreadsheet", "https://sheets.example/d/1");
  show(policy, sheet, work(1), t0);
  const Policy before = policy;
  EXPECT_EQ(policy.tick(Date{nan}, 0, berlin()), PolicyDecision::none());
  EXPECT_EQ(policy.ingest(work(1), sheet, Date{inf}), PolicyDecision::none());
  policy.record(Outcome::dismissed, sheet, std::nullopt, Date{-inf});
  policy.learnAgentFolders({"quillfeather"}, Date{nan});
  policy.restore(WorkContext(), Date{nan});
  EXPECT_TRUE(policy == before);
  // The credit run goes on from t0 as if the bad calls had not happened; an idle time that is not
  // a number is no idle time.
  policy.tick(at(30), nan, berlin());
  EXPECT_EQ(total(policy.drainFocus()), 30);

  // Playing media keeps the user present even through an endless idle time.
  policy.mediaPlaying = true;
  policy.tick(at(60), inf, berlin());
  EXPECT_FALSE(policy.isAway());
  EXPECT_EQ(total(policy.drainFocus()), 30);
}

}  // namespace
}  // namespace qb
