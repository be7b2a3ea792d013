#include <gtest/gtest.h>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;

// The ten-minute window, the titles it keeps and establishing a context are driven through whole
// days in the scenarios.

TEST(PolicyLearningTest, WhatCountsAsLearnable) {
  using enum ActivityKind;
  struct Case {
    std::optional<ActivityKind> activity;
    float score;
    bool fromNonLeisure;
    bool learns;
  };
  const Case cases[] = {
      {work, 0.6f, false, true},           {work, 0.59f, false, false},
      {work, 0.59f, true, true},           {entertainment, 0.59f, true, true},
      {entertainment, 0.6f, true, false},  {communication, 0.99f, true, true},
      {communication, 1.0f, true, false},  // what a rule answers
      {communication, 0.5f, false, false}, {neutral, 1.0f, true, true},
      {neutral, 1.0f, false, false},       {std::nullopt, 0.0f, true, true},
      {std::nullopt, 0.0f, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.activity ? rawValue(*c.activity) : "none") << " "
                                    << c.score << " fromNonLeisure " << c.fromNonLeisure);
    PolicyConfig config;
    config.learnFromNonLeisure = c.fromNonLeisure;
    Policy policy = protecting({}, config);
    policy.ingest(analysis(1, c.activity, c.score, 0.3f),
                  page(1, "Strategy memo", "https://memo.example/m"), t0);
    EXPECT_EQ(!policy.context()->titles.empty(), c.learns);
  }
}

TEST(PolicyLearningTest, NeutralAndBareStepsCountTowardLearningOnly) {
  PolicyConfig config;
  config.sessionHalfLife = 60;
  Policy policy(config);
  // A title that only names its program: counted as work, but gives the context no title.
  show(policy, window(1, "Terminal"), work(1), t0);
  policy.tick(at(60), 0, berlin());
  // Neutral time counts toward learning, yet is no task time and no site time.
  show(policy, page(2, "Display settings", "https://settings.example/display"),
       analysis(2, ActivityKind::neutral, 0.9f), at(60));
  policy.tick(at(120), 0, berlin());
  EXPECT_EQ(policy.learnedSeconds(), 120);
  EXPECT_EQ(policy.drainFocus(), (std::map<std::string, Duration>{{"Terminal", 60}}));
  ASSERT_EQ(policy.sites().days.size(), 1u);
  EXPECT_EQ(policy.sites().days.begin()->second, 60);

  show(policy, page(3, "Release checklist draft", "https://docs.example/d/42"), work(3), at(120));
  policy.tick(at(180), 0, berlin());
  ASSERT_TRUE(policy.isProtecting());
  // Only the titled work step reached the context's dwell.
  EXPECT_EQ(policy.context()->dwell.size(), 1u);
  EXPECT_TRUE(policy.context()->dwell.count("Release checklist draft"));
  EXPECT_EQ(contextTitles(policy),
            (std::vector<std::string>{"Release checklist draft", "Display settings"}));
  EXPECT_EQ(policy.context()->sessionHalfLife, 60);  // the configuration's
}

TEST(PolicyLearningTest, ConfidentWorkTitlesMoveToTheFrontAndAreKeptToTheLimit) {
  Policy policy = protecting({});
  const auto chapter = [](int i) { return "Chapter " + std::to_string(i) + " revision"; };
  for (int i = 1; i <= 9; ++i) policy.ingest(work(i), window(i, chapter(i == 9 ? 3 : i)), t0);
  std::vector<std::string> recent = policy.recentWork();
  ASSERT_EQ(recent.size(), WorkContext::kMaxTitles);
  EXPECT_EQ(recent.front(), chapter(3));
  EXPECT_EQ(recent.back(), chapter(1));
  policy.ingest(work(9), window(9, chapter(9)), t0);
  recent = policy.recentWork();
  ASSERT_EQ(recent.size(), WorkContext::kMaxTitles);
  EXPECT_EQ(recent.front(), chapter(9));
  EXPECT_EQ(recent.back(), chapter(2));
  // Work below learnMinScore is learned, but never becomes a work title.
  policy.ingest(work(10, 0.5f), window(10, chapter(10)), t0);
  EXPECT_EQ(policy.recentWork().front(), chapter(9));
  EXPECT_EQ(policy.context()->titles.front(), chapter(10));
}

TEST(PolicyLearningTest, ABareTitleStillTeachesTheProjectMemory) {
  Policy policy;
  Moment bare = window(1, "Terminal");
  bare.agent = AgentSession("coder", "/home/me/quillfeather", "fix-parser", t0, true);
  policy.ingest(work(1), bare, t0);
  ASSERT_TRUE(policy.projects().candidates.count("quillfeather"));
  EXPECT_TRUE(policy.projects().candidates.at("quillfeather").agent);
  policy.restore(WorkContext(), t0);
  EXPECT_TRUE(policy.recentWork().empty());  // "Terminal" was never a work title

  Moment chat =
      page(2, "Terminal", "https://chatgpt.com/g/g-p-0123456789abcdef0123456789abcdef-orbit/c/1");
  chat.appName = "Terminal";  // the title names only the program in front
  policy.ingest(work(2), chat, t0);
  EXPECT_TRUE(policy.projects().candidates.at("orbit").assistant);
}

TEST(PolicyLearningTest, TitleProjectsShrinkToTheRecentWorkPastTwoHundred) {
  Policy policy;
  const auto step = [](int i) { return window(i, "Parser step " + std::to_string(i)); };
  for (int i = 1; i <= 202; ++i) {
    Moment moment = step(i);
    moment.agent = AgentSession("coder", "/home/me/quillfeather", "fix-parser", t0, true);
    policy.ingest(work(i), moment, t0);
    // Asked without an analysis, a learned title answers its project.
    if (i == 201) {
      EXPECT_EQ(policy.project(step(1), std::nullopt), "quillfeather");
    }
  }
  for (const auto& [i, project] : {std::pair<int, std::optional<std::string>>{1, std::nullopt},
                                   {194, std::nullopt},
                                   {195, "quillfeather"},
                                   {202, "quillfeather"}}) {
    EXPECT_EQ(policy.project(step(i), std::nullopt), project) << i;
  }
}

TEST(PolicyLearningTest, OnlyTheMostSimilarNamedTitleLendsItsProject) {
  Policy policy;
  Moment fix = window(1, "Fix the parser crash");
  fix.agent = AgentSession("coder", "/home/me/quillfeather", "fix-parser", t0, true);
  policy.ingest(work(1), fix, t0);
  const auto similarTo = [](std::map<std::string, float> similarities) {
    Analysis result = work(2);
    result.similarities = std::move(similarities);
    return result;
  };

  // A page that names no project, similar to the agent's work, borrows its project...
  Moment review = window(2, "Review error handling");
  policy.ingest(similarTo({{"Fix the parser crash", 0.8f}}), review, t0);
  EXPECT_EQ(policy.project(review, std::nullopt), "quillfeather");
  EXPECT_EQ(policy.project(review, similarTo({{"Fix the parser crash", 0.8f}})), "quillfeather");
  // ...but does not pass it on; below switchSimilarity a title gives no name.
  Moment third = window(3, "Read logging guide");
  EXPECT_EQ(policy.project(third, similarTo({{"Review error handling", 0.9f}})), std::nullopt);
  EXPECT_EQ(policy.project(third, similarTo({{"Fix the parser crash", 0.2f}})), std::nullopt);

  // The most similar named title wins; among equals the first in title order.
  Policy named;
  named.learnAgentFolders({"quillfeather", "inkwell", "qb"}, t0);
  EXPECT_EQ(named.projectNames(), (std::vector<std::string>{"inkwell", "quillfeather"}));
  EXPECT_EQ(
      named.project(
          third, similarTo({{"quillfeather tests", 0.5f}, {"inkwell layout", 0.7f}, {"b", 0.9f}})),
      "inkwell");
  EXPECT_EQ(
      named.project(third, similarTo({{"quillfeather tests", 0.7f}, {"inkwell layout", 0.7f}})),
      "inkwell");
}

TEST(PolicyLearningTest, TaskAndSourceOfAPage) {
  Policy policy;
  EXPECT_EQ(policy.task(std::nullopt, std::nullopt), "");
  EXPECT_EQ(policy.task(window(1, "make test", "Terminal"), std::nullopt), "Terminal");
  EXPECT_EQ(policy.task(page(2, "Docs", "https://www.docs.example/a"), std::nullopt),
            "docs.example");
  policy.learnAgentFolders({"quillfeather"}, t0);
  EXPECT_EQ(policy.task(page(3, "quillfeather issues", "https://docs.example/a"), std::nullopt),
            "quillfeather");

  // Titles are learned from a page's site, or its application unless that is a browser; nothing
  // is learned from a form.
  EXPECT_EQ(Policy::source(page(1, "Survey", "https://docs.example/forms/d/1/viewform")),
            std::nullopt);
  EXPECT_EQ(Policy::source(page(1, "Survey", "https://docs.example/x/viewform")), std::nullopt);
  EXPECT_EQ(Policy::source(page(1, "Doc", "https://WWW.Docs.Example/d/1")),
            ProjectMemory::Source::site("docs.example"));
  EXPECT_EQ(Policy::source(window(1, "New Tab", "Firefox", "firefox")), std::nullopt);
  EXPECT_EQ(Policy::source(window(1, "notes.txt", "Editor", "org.gnome.TextEditor")),
            ProjectMemory::Source::app("org.gnome.TextEditor"));
}

TEST(PolicyLearningTest, WorkingOnNamesAtLeastOneSubject) {
  PolicyConfig config;
  config.contextSubjects = 0;
  Policy policy = protecting({}, config);
  show(policy, page(1, "Budget spreadsheet", "https://sheets.example/d/1"), work(1), t0);
  policy.tick(at(90), 0, berlin());
  show(policy, page(2, "Tax report", "https://reports.example/r/2"), work(2), at(90));
  policy.tick(at(180), 0, berlin());
  EXPECT_EQ(policy.workingOn(at(180)).size(), 1u);
  policy.config.contextSubjects = 2;
  EXPECT_EQ(policy.workingOn(at(180)).size(), 2u);
}

// An unsure look at the drifting site, a page passed through and similar leisure are driven
// through whole days in the scenarios.

TEST(PolicyLearningTest, TheDriftClockThroughIngest) {
  // A look at the drifting site scored below minActivityScore continues the drift...
  Policy policy = protecting();
  show(policy, page(1, "Cat videos", "https://video.example/watch?v=1"), fun(1), at(10));
  EXPECT_EQ(policy.explain(analysis(2, ActivityKind::entertainment, 0.45f, 0.5f),
                           page(2, "Watch later", "https://video.example/playlist"), at(22)),
            "unsure (0.45), continues drift (similarity 0.05): 12/1 s");
  // ...and an unsure look at another site is learnable and stops it.
  Moment other = page(3, "Some article", "https://news.example/a");
  EXPECT_EQ(show(policy, other, analysis(3, std::nullopt, 0.3f), at(30)), PolicyDecision::none());
  EXPECT_EQ(policy.driftSeconds(at(30)), std::nullopt);
  EXPECT_EQ(policy.context()->titles.front(), "Some article");

  // The analysis of a page no longer in front decides nothing, but still teaches.
  policy = protecting();
  Moment video = page(1, "Cat videos", "https://video.example/watch");
  policy.observe(video, t0, 0, berlin());
  policy.observe(page(2, "Budget spreadsheet", "https://sheets.example/d/1"), at(1), 0, berlin());
  EXPECT_EQ(policy.ingest(fun(1), video, at(2)), PolicyDecision::none());
  EXPECT_EQ(policy.driftSeconds(at(2)), std::nullopt);
  policy.ingest(work(3), window(3, "Invoice template"), at(3));
  EXPECT_EQ(policy.recentWork().front(), "Invoice template");

  // While away the clock starts, but nothing is due.
  policy = protecting();
  policy.observe(video, t0, 0, berlin());
  policy.observe(video, at(60), 200, berlin());  // idle past the 120 s allowance
  ASSERT_TRUE(policy.isAway());
  EXPECT_EQ(policy.ingest(fun(1), video, at(60)), PolicyDecision::none());
  EXPECT_EQ(policy.driftSeconds(at(70)), 10);
}

}  // namespace
}  // namespace qb
