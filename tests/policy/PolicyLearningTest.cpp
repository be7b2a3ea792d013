#include <gtest/gtest.h>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;

// --- Establishing the first context ---

TEST(PolicyLearningTest, ThreeMinutesOfWorkWithinTenEstablishAContext) {
  Policy policy;
  Moment doc = page(1, "Release checklist draft", "https://docs.example/d/42");
  show(policy, doc, work(1, 0.9f, std::nullopt), t0);  // the first step credits nothing
  policy.tick(at(90), 0, berlin());
  policy.tick(at(180), 0, berlin());
  ASSERT_TRUE(policy.isProtecting());
  EXPECT_EQ(policy.learnedSeconds(), 0);  // the log went into the context
  EXPECT_EQ(policy.context()->titles, (std::vector<std::string>{"Release checklist draft"}));
  EXPECT_EQ(policy.context()->sessionHalfLife, PolicyConfig().sessionHalfLife);
  // The dwell was replayed step by step: 180 s, lightly decayed over the three minutes.
  const WorkContext::Dwell& dwell = policy.context()->dwell.at("Release checklist draft");
  EXPECT_NEAR(policy.context()->seconds(dwell, at(180)), 180, 2);
  EXPECT_EQ(dwell.site, "docs.example");
  EXPECT_EQ(policy.recentWork(), (std::vector<std::string>{"Release checklist draft"}));
}

// The ten-minute window's edge and the titles it keeps are driven through a day in the scenarios.

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
  Policy policy;
  // A title that only names its program: counted as work, but gives the context no title.
  Moment bare = window(1, "Terminal");
  show(policy, bare, work(1), t0);
  policy.tick(at(60), 0, berlin());
  // Neutral time counts toward learning, yet is no task time and no site time.
  Moment settings = page(2, "Display settings", "https://settings.example/display");
  show(policy, settings, analysis(2, ActivityKind::neutral, 0.9f), at(60));
  policy.tick(at(120), 0, berlin());
  EXPECT_EQ(policy.learnedSeconds(), 120);
  EXPECT_EQ(policy.drainFocus(), (std::map<std::string, Duration>{{"Terminal", 60}}));
  EXPECT_EQ(policy.sites().days.size(), 1u);
  EXPECT_EQ(policy.sites().days.begin()->second, 60);

  Moment doc = page(3, "Release checklist draft", "https://docs.example/d/42");
  show(policy, doc, work(3), at(120));
  policy.tick(at(180), 0, berlin());
  ASSERT_TRUE(policy.isProtecting());
  // Only the titled work step reached the context's dwell.
  EXPECT_EQ(policy.context()->dwell.size(), 1u);
  EXPECT_TRUE(policy.context()->dwell.count("Release checklist draft"));
  EXPECT_EQ(policy.context()->titles,
            (std::vector<std::string>{"Release checklist draft", "Display settings"}));
}

// --- What ingest learns ---

TEST(PolicyLearningTest, WorkTitlesMoveToTheFrontAndKeepEight) {
  Policy policy = protecting({});
  for (int i = 1; i <= 8; ++i) {
    policy.ingest(work(i), window(i, "Chapter " + std::to_string(i) + " revision"), t0);
  }
  policy.ingest(work(3), window(3, "Chapter 3 revision"), t0);
  std::vector<std::string> recent = policy.recentWork();
  ASSERT_EQ(recent.size(), 8u);
  EXPECT_EQ(recent.front(), "Chapter 3 revision");
  EXPECT_EQ(recent.back(), "Chapter 1 revision");
  policy.ingest(work(9), window(9, "Chapter 9 revision"), t0);
  recent = policy.recentWork();
  ASSERT_EQ(recent.size(), 8u);
  EXPECT_EQ(recent.front(), "Chapter 9 revision");
  EXPECT_EQ(recent.back(), "Chapter 2 revision");
  // Work below learnMinScore is learned, but never becomes a work title.
  policy.ingest(work(10, 0.5f), window(10, "Chapter 10 revision"), t0);
  EXPECT_EQ(policy.recentWork().front(), "Chapter 9 revision");
  EXPECT_EQ(policy.context()->titles.front(), "Chapter 10 revision");
}

TEST(PolicyLearningTest, ABareTitleStillTeachesTheProjectMemory) {
  Policy policy;
  Moment bare = window(1, "Terminal");
  bare.agent = AgentSession("coder", "/home/me/quillfeather", "fix-parser", t0, true);
  policy.ingest(work(1), bare, t0);
  EXPECT_TRUE(policy.projects().candidates.count("quillfeather"));
  EXPECT_TRUE(policy.projects().candidates.at("quillfeather").agent);
  EXPECT_TRUE(policy.recentWork().empty());
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
  AgentSession session("coder", "/home/me/quillfeather", "fix-parser", t0, true);
  auto titled = [&](int i) {
    Moment moment = window(i, "Parser step " + std::to_string(i));
    moment.agent = session;
    return moment;
  };
  for (int i = 1; i <= 201; ++i) policy.ingest(work(i), titled(i), t0);
  // Asked without an analysis, a learned title answers its project.
  EXPECT_EQ(policy.project(window(1, "Parser step 1"), std::nullopt), "quillfeather");
  policy.ingest(work(202), titled(202), t0);
  EXPECT_EQ(policy.project(window(1, "Parser step 1"), std::nullopt), std::nullopt);
  EXPECT_EQ(policy.project(window(194, "Parser step 194"), std::nullopt), std::nullopt);
  EXPECT_EQ(policy.project(window(195, "Parser step 195"), std::nullopt), "quillfeather");
  EXPECT_EQ(policy.project(window(202, "Parser step 202"), std::nullopt), "quillfeather");
}

TEST(PolicyLearningTest, ABorrowedProjectNameDoesNotSpread) {
  Policy policy;
  Moment fix = window(1, "Fix the parser crash");
  fix.agent = AgentSession("coder", "/home/me/quillfeather", "fix-parser", t0, true);
  policy.ingest(work(1), fix, t0);

  // A page that names no project, similar to the agent's work, borrows its project.
  Moment review = window(2, "Review error handling");
  Analysis similar = work(2);
  similar.similarities = {{"Fix the parser crash", 0.8f}};
  policy.ingest(similar, review, t0);
  EXPECT_EQ(policy.project(review, std::nullopt), "quillfeather");
  EXPECT_EQ(policy.project(review, similar), "quillfeather");

  // Similar only to the borrowing title: that name is not passed on.
  Moment third = window(3, "Read logging guide");
  Analysis onlyReview = work(3);
  onlyReview.similarities = {{"Review error handling", 0.9f}};
  EXPECT_EQ(policy.project(third, onlyReview), std::nullopt);
  // Below switchSimilarity a title gives no name.
  Analysis faint = work(3);
  faint.similarities = {{"Fix the parser crash", 0.2f}};
  EXPECT_EQ(policy.project(third, faint), std::nullopt);
}

TEST(PolicyLearningTest, TheMostSimilarNamedTitleNamesTheProject) {
  Policy policy;
  policy.learnAgentFolders({"quillfeather", "inkwell", "qb"}, t0);
  EXPECT_EQ(policy.projectNames(), (std::vector<std::string>{"inkwell", "quillfeather"}));
  Analysis result = work(1);
  result.similarities = {{"quillfeather tests", 0.5f}, {"inkwell layout", 0.7f}, {"b", 0.9f}};
  EXPECT_EQ(policy.project(window(1, "Something else"), result), "inkwell");
  result.similarities = {{"quillfeather tests", 0.7f}, {"inkwell layout", 0.7f}};
  EXPECT_EQ(policy.project(window(1, "Something else"), result), "inkwell");  // first by title
}

TEST(PolicyLearningTest, TaskFallsBackToHostThenApplication) {
  Policy policy;
  EXPECT_EQ(policy.task(std::nullopt, std::nullopt), "");
  EXPECT_EQ(policy.task(window(1, "make test", "Terminal"), std::nullopt), "Terminal");
  EXPECT_EQ(policy.task(page(2, "Docs", "https://www.docs.example/a"), std::nullopt),
            "docs.example");
  policy.learnAgentFolders({"quillfeather"}, t0);
  EXPECT_EQ(policy.task(page(3, "quillfeather issues", "https://docs.example/a"), std::nullopt),
            "quillfeather");
}

TEST(PolicyLearningTest, LearningSourceOfAPage) {
  auto source = [](const Moment& moment) { return Policy::source(moment); };
  EXPECT_EQ(source(page(1, "Survey", "https://docs.example/forms/d/1/viewform")), std::nullopt);
  EXPECT_EQ(source(page(1, "Survey", "https://docs.example/x/viewform")), std::nullopt);
  EXPECT_EQ(source(page(1, "Doc", "https://WWW.Docs.Example/d/1")),
            ProjectMemory::Source::site("docs.example"));
  EXPECT_EQ(source(window(1, "New Tab", "Firefox", "firefox")), std::nullopt);
  EXPECT_EQ(source(window(1, "notes.txt", "Editor", "org.gnome.TextEditor")),
            ProjectMemory::Source::app("org.gnome.TextEditor"));
}

TEST(PolicyLearningTest, WorkingOnNamesAtLeastOneSubject) {
  PolicyConfig config;
  config.contextSubjects = 0;
  Policy policy = protecting({}, config);
  Moment a = page(1, "Budget spreadsheet", "https://sheets.example/d/1");
  Moment b = page(2, "Tax report", "https://reports.example/r/2");
  show(policy, a, work(1), t0);
  policy.tick(at(90), 0, berlin());
  show(policy, b, work(2), at(90));
  policy.tick(at(180), 0, berlin());
  EXPECT_EQ(policy.workingOn(at(180)).size(), 1u);
  policy.config.contextSubjects = 2;
  EXPECT_EQ(policy.workingOn(at(180)).size(), 2u);
}

// --- Drift clock through ingest ---

// An unsure look at the drifting site, a page passed through and similar leisure are driven
// through whole days in the scenarios.

TEST(PolicyLearningTest, AnUnsureLookElsewhereIsLearnableAndStopsTheDrift) {
  Policy policy = protecting();
  show(policy, page(1, "Cat videos", "https://video.example/watch?v=1"), fun(1), at(10));
  Moment other = page(3, "Some article", "https://news.example/a");
  EXPECT_EQ(show(policy, other, analysis(3, std::nullopt, 0.3f), at(30)), PolicyDecision::none());
  EXPECT_EQ(policy.driftSeconds(at(30)), std::nullopt);
  EXPECT_EQ(policy.context()->titles.front(), "Some article");
}

TEST(PolicyLearningTest, AnalysesOfPagesNoLongerInFrontDecideNothing) {
  Policy policy = protecting();
  Moment video = page(1, "Cat videos", "https://video.example/watch");
  Moment sheet = page(2, "Budget spreadsheet", "https://sheets.example/d/1");
  policy.observe(video, t0, 0, berlin());
  policy.observe(sheet, at(1), 0, berlin());
  EXPECT_EQ(policy.ingest(fun(1), video, at(2)), PolicyDecision::none());
  EXPECT_EQ(policy.driftSeconds(at(2)), std::nullopt);
  // ...but still teach.
  policy.ingest(work(3), window(3, "Invoice template"), at(3));
  EXPECT_EQ(policy.recentWork().front(), "Invoice template");
}

TEST(PolicyLearningTest, WhileAwayTheDriftClockStartsButNothingIsDue) {
  Policy policy = protecting();
  Moment video = page(1, "Cat videos", "https://video.example/watch");
  policy.observe(video, t0, 0, berlin());
  policy.observe(video, at(60), 200, berlin());  // idle past the 120 s allowance
  ASSERT_TRUE(policy.isAway());
  EXPECT_EQ(policy.ingest(fun(1), video, at(60)), PolicyDecision::none());
  EXPECT_EQ(policy.driftSeconds(at(70)), 10);
}

}  // namespace
}  // namespace qb
