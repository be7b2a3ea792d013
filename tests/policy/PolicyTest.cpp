#include <gtest/gtest.h>

#include "PolicyTestSupport.h"
#include "policy/Policy.h"

namespace qb {
namespace {

using namespace policytest;

TEST(PolicyTest, AFreshPolicyLearnsAndShowsNothing) {
  Policy policy;
  EXPECT_FALSE(policy.isProtecting());
  EXPECT_FALSE(policy.isAway());
  EXPECT_EQ(policy.contextSummary(t0), std::nullopt);
  EXPECT_TRUE(policy.cooldowns(t0).empty());
  // Without a context nothing is ever a drift, however distracting.
  Moment video = page(1, "Cat videos", "https://video.example/watch");
  EXPECT_EQ(show(policy, video, fun(1), t0), PolicyDecision::none());
  EXPECT_EQ(policy.tick(at(30), 0, berlin()), PolicyDecision::none());
  EXPECT_EQ(policy.driftSeconds(at(30)), std::nullopt);
}

TEST(PolicyTest, DecisionsAreEqualByCaseAndPayload) {
  EXPECT_EQ(PolicyDecision::check(at(5)), PolicyDecision::check(at(5)));
  EXPECT_NE(PolicyDecision::check(at(5)), PolicyDecision::check(at(6)));
  EXPECT_EQ(PolicyDecision::intervene(7), PolicyDecision::intervene(7));
  EXPECT_NE(PolicyDecision::intervene(7), PolicyDecision::intervene(8));
  EXPECT_NE(PolicyDecision::intervene(0), PolicyDecision::none());
  EXPECT_NE(PolicyDecision::check(Date{}), PolicyDecision::none());
  // A stray payload on another case plays no part.
  PolicyDecision stray = PolicyDecision::none();
  stray.observationID = 9;
  EXPECT_EQ(stray, PolicyDecision::none());
  EXPECT_EQ(rawValue(Outcome::dismissed), "dismissed");
}

TEST(PolicyTest, RestoringAContextSeedsTheRecentWork) {
  // After a restart the saved context comes back with its titles; the analyser compares pages
  // with recentWork, so an empty list would leave the policy protecting while blind to drift.
  Policy policy;
  WorkContext saved;
  saved.add("Tax report");
  saved.add("Budget spreadsheet");
  saved.sessionHalfLife = 60;
  policy.restore(saved, at(-100));

  EXPECT_TRUE(policy.isProtecting());
  EXPECT_EQ(policy.recentWork(), (std::vector<std::string>{"Budget spreadsheet", "Tax report"}));
  EXPECT_EQ(policy.context()->sessionHalfLife, PolicyConfig().sessionHalfLife);
  EXPECT_EQ(policy.context()->titles, saved.titles);

  // lastWork is the saved time: one second past the expiry counted from it drops the context.
  EXPECT_TRUE(policy.isProtecting());
  policy.tick(at(-100 + 1801), 0, berlin());
  EXPECT_FALSE(policy.isProtecting());
}

TEST(PolicyTest, TitlesLearnedBeforeARestoreStayInFront) {
  Policy policy;
  Moment notes = window(1, "Meeting notes draft", "Editor", "org.gnome.TextEditor");
  policy.ingest(work(1), notes, t0);  // learns a work title even without a context
  EXPECT_TRUE(policy.recentWork().empty());

  WorkContext saved;
  for (int i = 8; i >= 1; --i) saved.add("Saved title " + std::to_string(i));
  saved.add("Meeting notes draft");
  policy.restore(saved, t0);
  const std::vector<std::string> recent = policy.recentWork();
  ASSERT_EQ(recent.size(), Policy::kMaxWorkTitles);
  EXPECT_EQ(recent[0], "Meeting notes draft");
  EXPECT_EQ(recent[1], "Saved title 1");
  EXPECT_EQ(recent[7], "Saved title 7");
}

TEST(PolicyTest, ForgettingTheContextKeepsWhatIsNotLearning) {
  Policy policy = protecting();
  policy.learnAgentFolders({"quillfeather"}, t0);
  Moment fix = window(1, "Fix the parser crash", "Terminal", "org.gnome.Terminal");
  fix.agent = AgentSession("coder", "/home/me/quillfeather", "fix-parser", t0, true);
  show(policy, fix, work(1), t0);
  policy.tick(at(30), 0, berlin());
  Moment video = page(2, "Cat videos", "https://video.example/watch");
  policy.record(Outcome::dismissed, video, std::nullopt, at(30));
  show(policy, video, fun(2), at(31));
  ASSERT_TRUE(policy.driftSeconds(at(31)).has_value());

  policy.forgetContext();
  EXPECT_FALSE(policy.isProtecting());
  EXPECT_TRUE(policy.recentWork().empty());
  EXPECT_EQ(policy.driftSeconds(at(40)), std::nullopt);
  EXPECT_EQ(policy.learnedSeconds(), 0);
  // Cooldowns, the project of a learned title and the undrained time survive.
  EXPECT_EQ(policy.cooldowns(at(40)).size(), 2u);
  EXPECT_EQ(policy.project(window(3, "Fix the parser crash"), std::nullopt), "quillfeather");
  // Up to the dismissal's page coming in front at 31 s, the agent's work was in front.
  EXPECT_EQ(policy.drainFocus().at("quillfeather"), 31);
  EXPECT_EQ(policy.projectNames(), (std::vector<std::string>{"quillfeather"}));

  PolicyConfig forgetful;
  forgetful.projectMemory = false;
  Policy other = protecting({"Quarterly budget spreadsheet"}, forgetful);
  other.learnAgentFolders({"quillfeather"}, t0);
  other.forgetContext();
  EXPECT_TRUE(other.projects().candidates.empty());
  EXPECT_EQ(other.projects().retention, ProjectMemory::kDefaultRetention);
}

TEST(PolicyTest, ResetKeepsOnlyTheConfiguration) {
  PolicyConfig config;
  config.grace = 5;
  Policy policy = protecting({"Quarterly budget spreadsheet"}, config);
  policy.config.globalCooldown = 30;
  policy.neverInterrupt = {"example.com"};
  policy.promptOnChat = true;
  Moment video = page(1, "Cat videos", "https://video.example/watch");
  policy.record(Outcome::related, video, std::nullopt, t0);
  Presence presence;
  presence.learn(45, "video.example");
  policy.restore(presence);
  ASSERT_FALSE(policy.allowances().entries().empty());

  policy.reset();
  PolicyConfig expected = config;
  expected.globalCooldown = 30;
  EXPECT_EQ(policy.config, expected);
  EXPECT_TRUE(policy == Policy(expected));
  EXPECT_TRUE(policy.allowances().entries().empty());
  EXPECT_TRUE(policy.presence().gaps().empty());
  EXPECT_TRUE(policy.sites().visits.empty());
  EXPECT_TRUE(policy.neverInterrupt.empty());
}

TEST(PolicyTest, DriftSecondsMayBeNegative) {
  Policy policy = protecting();
  Moment video = page(1, "Cat videos", "https://video.example/watch");
  show(policy, video, fun(1), at(100));
  EXPECT_EQ(policy.driftSeconds(at(130)), 30);
  EXPECT_EQ(policy.driftSeconds(at(90)), -10);
}

TEST(PolicyTest, SummaryAndDescriptionNeedEnoughDwell) {
  Policy policy = protecting({"Quarterly budget spreadsheet"});
  EXPECT_TRUE(policy.contextSummary(t0).has_value());
  EXPECT_EQ(policy.contextDescription(t0), std::nullopt);
  EXPECT_TRUE(policy.workingOn(t0).empty());

  Moment sheet = page(1, "Quarterly budget spreadsheet", "https://sheets.example/d/1");
  show(policy, sheet, work(1), t0);
  policy.tick(at(30), 0, berlin());
  EXPECT_EQ(policy.contextDescription(at(30)), std::nullopt);  // 30 s: below subjectSeconds
  policy.tick(at(70), 0, berlin());
  // Without a project, a subject's label is the site it was worked on.
  EXPECT_EQ(policy.contextDescription(at(70)), "sheets.example");
  EXPECT_EQ(policy.workingOn(at(70)), (std::vector<std::string>{"sheets.example"}));
  EXPECT_EQ(policy.contextSummary(at(70)), "Quarterly budget spreadsheet");
}

TEST(PolicyTest, TimesThatAreNotNumbersChangeNothing) {
  Policy policy = protecting();
  Moment sheet = page(1, "Quarterly budget spreadsheet", "https://sheets.example/d/1");
  show(policy, sheet, work(1), t0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(policy.tick(Date{nan}, 0, berlin()), PolicyDecision::none());
  EXPECT_EQ(policy.ingest(work(1), sheet, Date{nan}), PolicyDecision::none());
  policy.record(Outcome::dismissed, sheet, std::nullopt, Date{nan});
  EXPECT_TRUE(policy.cooldowns(at(1)).empty());
  // The credit run goes on from t0 as if the bad calls had not happened.
  policy.tick(at(30), nan, berlin());
  EXPECT_EQ(total(policy.drainFocus()), 30);
}

}  // namespace
}  // namespace qb
