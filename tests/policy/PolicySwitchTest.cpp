#include <gtest/gtest.h>

#include <cmath>

#include "PolicyTestSupport.h"

namespace qb {
namespace {

using namespace policytest;
using Verdict = SwitchReading::Verdict;

std::optional<Verdict> verdictOf(const Policy& policy, const Moment& moment, const Analysis& result,
                                 Date when = t0) {
  std::optional<SwitchReading> reading = policy.switchReading(result, moment, when);
  if (!reading) return std::nullopt;
  return reading->verdict;
}

const Moment video = page(1, "Cat videos", "https://video.example/watch");

TEST(PolicySwitchTest, VerdictsHaveTheirWords) {
  const std::vector<std::pair<Verdict, std::string>> words = {
      {Verdict::sameTask, "same task"},       {Verdict::sharesWords, "shares words"},
      {Verdict::project, "project"},          {Verdict::otherWork, "other work"},
      {Verdict::unknownSite, "unknown site"}, {Verdict::newSite, "new site"},
      {Verdict::signIn, "sign-in"},           {Verdict::neverInterrupt, "never interrupt"},
      {Verdict::distraction, "distraction"}};
  for (const auto& [verdict, word] : words) {
    EXPECT_EQ(rawValue(verdict), word);
    EXPECT_EQ(parseVerdict(word), verdict);
    const bool continues = verdict == Verdict::sameTask || verdict == Verdict::sharesWords;
    EXPECT_EQ((SwitchReading{0, 0, 0, verdict}.switched()), !continues) << word;
  }
  EXPECT_EQ(parseVerdict("Same task"), std::nullopt);
  EXPECT_EQ(parseVerdict("sign in"), std::nullopt);
  EXPECT_EQ(parseVerdict(""), std::nullopt);
}

TEST(PolicySwitchTest, AReadingNeedsAContextASimilarityAnActivityAndAConfidentScore) {
  EXPECT_EQ(Policy().switchReading(fun(1), video, t0), std::nullopt);
  Policy policy = protecting();
  EXPECT_EQ(policy.switchReading(fun(1, 0.9f, std::nullopt), video, t0), std::nullopt);
  EXPECT_EQ(policy.switchReading(analysis(1, std::nullopt, 0.9f, 0.1f), video, t0), std::nullopt);
  const float minimum = PolicyConfig().minActivityScore;
  EXPECT_EQ(policy.switchReading(fun(1, std::nextafter(minimum, 0.0f)), video, t0), std::nullopt);
  EXPECT_EQ(verdictOf(policy, video, fun(1, minimum)), Verdict::distraction);
}

TEST(PolicySwitchTest, SimilarityDecidesFirst) {
  Policy policy = protecting();
  policy.neverInterrupt = {"video.example"};
  const float bar = PolicyConfig().switchSimilarity;
  EXPECT_EQ(verdictOf(policy, video, fun(1, 0.9f, bar)), Verdict::sameTask);
  EXPECT_EQ(verdictOf(policy, video, fun(1, 0.9f, std::nextafter(bar, 0.0f))),
            Verdict::neverInterrupt);
  SwitchReading reading = *policy.switchReading(fun(1, 0.9f, 0.125f), video, t0);
  EXPECT_EQ(reading.similarity, 0.125f);
}

TEST(PolicySwitchTest, SharedContentWordsRelateAPage) {
  Policy policy = protecting({"Quarterly budget spreadsheet"});
  Moment budgetVideo = page(2, "Budget planning explained", "https://video.example/watch?v=9");
  EXPECT_EQ(verdictOf(policy, budgetVideo, fun(2)), Verdict::sharesWords);
  // The site's own name does not count as a shared word.
  Policy budgetWork = protecting({"Budget review for the team"});
  Moment siteName = page(3, "Budget homepage", "https://budget.example/");
  budgetWork.restore(builtSites({"budget.example"}));
  EXPECT_EQ(verdictOf(budgetWork, siteName, fun(3)), Verdict::distraction);
  policy.config.relatedByOverlap = false;
  EXPECT_EQ(verdictOf(policy, budgetVideo, fun(2)), Verdict::distraction);
}

TEST(PolicySwitchTest, ProjectsSignInsAndActivities) {
  Policy policy = protecting();
  policy.learnAgentFolders({"quillfeather"}, t0);
  EXPECT_EQ(
      verdictOf(policy, page(2, "quillfeather launch trailer", "https://video.example/w"), fun(2)),
      Verdict::project);
  EXPECT_EQ(verdictOf(policy, page(3, "Welcome", "https://video.example/login"), fun(3)),
            Verdict::signIn);
  EXPECT_EQ(verdictOf(policy, page(4, "Sign in to continue", "https://video.example/w"), fun(4)),
            Verdict::signIn);
  Moment mail = page(5, "Inbox", "https://mail.example/inbox");
  EXPECT_EQ(verdictOf(policy, mail, analysis(5, ActivityKind::communication, 0.9f, 0.1f)),
            Verdict::otherWork);
  EXPECT_EQ(verdictOf(policy, mail, analysis(5, ActivityKind::neutral, 0.9f, 0.1f)),
            Verdict::otherWork);
  // An application window: work is other work, entertainment a distraction.
  Moment game = window(6, "Solitaire deal", "Solitaire", "org.gnome.Aisleriot");
  EXPECT_EQ(verdictOf(policy, game, work(6, 0.7f, 0.1f)), Verdict::otherWork);
  EXPECT_EQ(verdictOf(policy, game, fun(6)), Verdict::distraction);
}

TEST(PolicySwitchTest, WorkOnOtherSitesDependsOnReadingAgeAndWarmUp) {
  Policy policy = protecting();
  Moment wiki = page(2, "Plate tectonics", "https://wiki.example/plates");
  policy.observe(wiki, t0, 0, berlin());  // first visit
  // A reading at the work bar is other work; just below it the site's age decides.
  const float score = 0.9f;
  const float reading = policy.sites().reading(score, wiki, t0);
  policy.config.switchWorkBar = reading;
  EXPECT_EQ(verdictOf(policy, wiki, work(2, score, 0.1f)), Verdict::otherWork);
  policy.config.switchWorkBar = std::nextafter(reading, 1.0f);
  EXPECT_EQ(verdictOf(policy, wiki, work(2, score, 0.1f)), Verdict::newSite);

  const Analysis result = work(2, score, 0.1f);
  EXPECT_EQ(verdictOf(policy, wiki, result, at(1799)), Verdict::newSite);
  EXPECT_EQ(verdictOf(policy, wiki, result, at(1800)), Verdict::distraction);
  Policy warming = policy;
  warming.restore(WorkSites());
  warming.observe(wiki, t0, 0, berlin());
  EXPECT_EQ(verdictOf(warming, wiki, result, at(1800)), Verdict::unknownSite);
  // A host never visited is new whatever the time.
  EXPECT_EQ(verdictOf(policy, page(3, "Rocks", "https://rocks.example/"), result, at(1e6)),
            Verdict::newSite);
}

TEST(PolicySwitchTest, SiteWeightIsReadForEveryActivity) {
  Policy policy = protecting();
  WorkSites sites = builtSites({"video.example"});
  sites.confirm(video, t0);
  policy.restore(sites);
  SwitchReading leisure = *policy.switchReading(fun(1), video, t0);
  EXPECT_EQ(leisure.siteWeight, 1);
  EXPECT_EQ(leisure.reading, 0);
  SwitchReading working = *policy.switchReading(work(1, 0.7f, 0.1f), video, t0);
  EXPECT_EQ(working.reading, 1);
  EXPECT_EQ(working.verdict, Verdict::otherWork);
}

TEST(PolicySwitchTest, NeverInterruptCoversHostsSubdomainsAndPaths) {
  Policy policy = protecting();
  policy.restore(
      builtSites({"video.example", "m.video.example", "myvideo.example", "docs.example"}));
  struct Case {
    std::vector<std::string> entries;
    std::string_view address;
    bool never;
  };
  const Case cases[] = {
      {{"video.example"}, "https://video.example/", true},
      {{"video.example"}, "https://www.video.example/watch/1", true},
      {{"video.example"}, "https://m.video.example/watch", true},
      {{"video.example"}, "https://myvideo.example/watch", false},
      {{"docs.example/team"}, "https://docs.example/team", true},
      {{"docs.example/team"}, "https://docs.example/team/notes", true},
      {{"docs.example/team"}, "https://docs.example/teamwork", false},
      {{"docs.example/team"}, "https://docs.example/", false},
      {{"other.example", "video.example"}, "https://video.example/", true},
      {{"", " ", "/"}, "https://video.example/", false},
      // However they were typed; compared as typed these would silently never match.
      {{"Video.Example"}, "https://video.example/watch", true},
      {{"video.example/"}, "https://video.example/watch", true},
      {{"www.video.example"}, "https://video.example/watch", true},
      {{" WWW.Video.example// "}, "https://m.video.example/", true},
      {{"Docs.Example/team/"}, "https://docs.example/team/x", true},
      // The path keeps its case, as addresses do.
      {{"docs.example/Team"}, "https://docs.example/team/x", false},
      {{"docs.example/Team"}, "https://DOCS.example/Team", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.entries.front() << " on " << c.address);
    policy.neverInterrupt = c.entries;
    EXPECT_EQ(verdictOf(policy, page(9, "Clip", c.address), fun(9)) == Verdict::neverInterrupt,
              c.never);
  }
  // An application window never matches, even an entry of its own name.
  policy.neverInterrupt = {"org.gnome.Aisleriot", "Solitaire"};
  Moment game = window(6, "Solitaire deal", "Solitaire", "org.gnome.Aisleriot");
  EXPECT_EQ(verdictOf(policy, game, fun(6)), Verdict::distraction);
}

}  // namespace
}  // namespace qb
