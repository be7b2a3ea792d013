#include <gtest/gtest.h>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;

const Moment sheet = page(1, "Budget spreadsheet", "https://sheets.example/d/1");

// A policy protecting the budget work, the sheet in front as work since t0; with protecting()'s
// work-site record, or with none.
Policy working(float score = 0.9f, bool sites = true) {
  Policy policy = protecting({"Budget spreadsheet"});
  if (!sites) policy.restore(WorkSites());
  show(policy, sheet, work(1, score), t0);
  return policy;
}

// Pauses held back until they end, away time, announced sleep, the agent's and the media's cover
// and learned allowances are driven through whole days in the scenarios.

TEST(PolicyCreditTest, StepsAreCappedAndNeverNegative) {
  Policy policy = working();
  policy.tick(at(600), 0, berlin());  // 10 minutes between two runs count as 90 s
  EXPECT_EQ(policy.drainFocus(), (std::map<std::string, Duration>{{"sheets.example", 90}}));
  policy.tick(at(500), 0, berlin());  // the clock went back
  EXPECT_EQ(total(policy.drainFocus()), 0);
  policy.tick(at(530), 0, berlin());
  EXPECT_EQ(total(policy.drainFocus()), 30);
  EXPECT_TRUE(policy.drainFocus().empty());  // a drain empties
}

TEST(PolicyCreditTest, ABrowsersOwnPageIsTheBrowsersTimeNotASites) {
  Policy policy = working();
  const Moment newTab(2, t0, "Chromium", "chromium", "New Tab",
                      Url::parse("chrome://new-tab-page-third-party/"));
  show(policy, newTab, work(2), at(30));
  policy.tick(at(90), 0, berlin());
  EXPECT_EQ(policy.drainFocus(),
            (std::map<std::string, Duration>{{"sheets.example", 30}, {"Chromium", 60}}));
}

TEST(PolicyCreditTest, AnInterruptionDropsHeldSteps) {
  Policy policy = working();
  policy.tick(at(30), 40, berlin());  // held: the pause has not ended yet
  policy.interrupt();
  policy.tick(at(60), 200, berlin());  // starts a fresh run
  policy.tick(at(90), 0, berlin());
  EXPECT_EQ(total(policy.drainFocus()), 30);
  EXPECT_EQ(policy.drainAway(), 0);
}

TEST(PolicyCreditTest, APauseOnAPageThatIsNotWorkTeachesNothing) {
  Policy policy = protecting({"Budget spreadsheet"});
  show(policy, page(2, "Cat videos", "https://video.example/w"), fun(2), t0);
  policy.tick(at(30), 45, berlin());
  policy.tick(at(60), 1, berlin());
  EXPECT_TRUE(policy.presence().gaps().empty());
}

TEST(PolicyCreditTest, UnsureTimeIsLoggedPerNonEmptyStep) {
  Policy policy = protecting({"Budget spreadsheet"});
  Analysis unsure = analysis(3, std::nullopt, 0.4f);
  unsure.unsure = true;
  Moment memo = page(3, "Strategy memo", "https://memo.example/m");
  show(policy, memo, unsure, at(30));
  policy.tick(at(50), 0, berlin());
  policy.tick(at(50), 0, berlin());  // a step of no seconds adds no unsure entry...
  policy.tick(at(51), 0, berlin());  // ...when it is counted here
  EXPECT_EQ(policy.drainUnsure(), (std::vector<Policy::UnsureTime>{{memo, 20}, {memo, 1}}));
  EXPECT_TRUE(policy.drainUnsure().empty());
  EXPECT_EQ(policy.drainFocus(), (std::map<std::string, Duration>{{"memo.example", 21}}));
}

TEST(PolicyCreditTest, OnlyStrongWorkReadingsReachTheSiteRecord) {
  Policy weak = working(0.9f, false);
  weak.tick(at(60), 0, berlin());
  EXPECT_TRUE(weak.sites().sites.empty());
  ASSERT_EQ(weak.sites().days.size(), 1u);
  EXPECT_EQ(weak.sites().days.begin()->second, 60);

  Policy strong = working(0.96f, false);
  strong.tick(at(60), 0, berlin());
  ASSERT_EQ(strong.sites().sites.size(), 1u);
  EXPECT_EQ(strong.sites().sites.begin()->second.seconds, 60);

  // Entertainment time counts toward the day as no work on any site.
  Policy leisure = working(0.9f, false);
  show(leisure, page(2, "Cat videos", "https://video.example/w"), fun(2, 0.3f), t0);
  leisure.tick(at(60), 0, berlin());
  EXPECT_TRUE(leisure.sites().sites.empty());
  EXPECT_EQ(total(leisure.drainFocus()), 60);
}

TEST(PolicyCreditTest, ObservingRecordsVisitsAndReplacesWhatIsInFront) {
  Policy policy = working();
  policy.observe(std::nullopt, at(30), 0, berlin());  // nothing readable in front
  EXPECT_EQ(total(policy.drainFocus()), 30);
  EXPECT_EQ(policy.sites().visits.at("sheets.example").first, t0);
  policy.tick(at(60), 0, berlin());
  EXPECT_TRUE(policy.drainFocus().empty());
  // The same page observed again has no analysis until ingest: its time is not work.
  policy.observe(sheet, at(60), 0, berlin());
  policy.tick(at(90), 0, berlin());
  EXPECT_TRUE(policy.drainFocus().empty());
  EXPECT_EQ(policy.sites().visits.at("sheets.example").last, at(60));
}

TEST(PolicyCreditTest, ContextCreditsGoToTheTitle) {
  Policy policy = working();
  Moment fix = window(2, "fix parser crash");
  fix.agent = AgentSession("coder", "/home/me/quillfeather", "fix-parser-crash", t0, true);
  show(policy, fix, work(2), at(30));
  policy.tick(at(90), 0, berlin());
  const WorkContext& context = *policy.context();
  EXPECT_EQ(context.dwell.at("Budget spreadsheet").seconds, 30);
  const WorkContext::Dwell& agentDwell = context.dwell.at("fix parser crash");
  EXPECT_EQ(agentDwell.seconds, 60);
  EXPECT_EQ(agentDwell.subject, "fix parser crash");
  EXPECT_EQ(agentDwell.label, "quillfeather");
  EXPECT_EQ(agentDwell.site, std::nullopt);
}

}  // namespace
}  // namespace qb
