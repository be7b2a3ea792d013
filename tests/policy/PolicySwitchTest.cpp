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
  for (const char* other : {"Same task", "sign in", ""})
    EXPECT_EQ(parseVerdict(other), std::nullopt);
}

TEST(PolicySwitchTest, AReadingNeedsAContextASimilarityAnActivityAndAConfidentScore) {
  EXPECT_EQ(Policy().switchReading(fun(1), video, t0), std::nullopt);
  Policy policy = protecting();
  EXPECT_EQ(policy.switchReading(fun(1, 0.9f, std::nullopt), video, t0), std::nullopt);
  EXPECT_EQ(policy.switchReading(analysis(1, std::nullopt, 0.9f, 0.1f), video, t0), std::nullopt);
  const float minimum = policy.config.minActivityScore;
  EXPECT_EQ(policy.switchReading(fun(1, std::nextafter(minimum, 0.0f)), video, t0), std::nullopt);
  EXPECT_EQ(verdictOf(policy, video, fun(1, minimum)), Verdict::distraction);

  // Similarity decides first, and is passed on unchanged.
  policy.neverInterrupt = {"video.example"};
  const float bar = policy.config.switchSimilarity;
  EXPECT_EQ(verdictOf(policy, video, fun(1, 0.9f, bar)), Verdict::sameTask);
  EXPECT_EQ(verdictOf(policy, video, fun(1, 0.9f, std::nextafter(bar, 0.0f))),
            Verdict::neverInterrupt);
  EXPECT_EQ(policy.switchReading(fun(1, 0.9f, 0.125f), video, t0)->similarity, 0.125f);
}

TEST(PolicySwitchTest, SharedWordsProjectsSignInsAndActivities) {
  Policy policy = protecting({"Quarterly budget spreadsheet"});
  policy.learnAgentFolders({"quillfeather"}, t0);
  Moment budgetVideo = page(2, "Budget planning explained", "https://video.example/watch?v=9");
  Moment mail = page(5, "Inbox", "https://mail.example/inbox");
  // An application window: work is other work, entertainment a distraction.
  Moment game = window(6, "Solitaire deal", "Solitaire", "org.gnome.Aisleriot");
  const ActivityKind communication = ActivityKind::communication, neutral = ActivityKind::neutral;
  const std::vector<std::tuple<Moment, Analysis, Verdict>> cases = {
      {budgetVideo, fun(2), Verdict::sharesWords},
      {page(2, "quillfeather launch trailer", "https://video.example/w"), fun(2), Verdict::project},
      {page(3, "Welcome", "https://video.example/login"), fun(3), Verdict::signIn},
      {page(4, "Sign in to continue", "https://video.example/w"), fun(4), Verdict::signIn},
      {mail, analysis(5, communication, 0.9f, 0.1f), Verdict::otherWork},
      {mail, analysis(5, neutral, 0.9f, 0.1f), Verdict::otherWork},
      {game, work(6, 0.7f, 0.1f), Verdict::otherWork},
      {game, fun(6), Verdict::distraction},
  };
  for (const auto& [moment, result, verdict] : cases) {
    EXPECT_EQ(verdictOf(policy, moment, result), verdict) << moment.title;
  }
  policy.config.relatedByOverlap = false;
  EXPECT_EQ(verdictOf(policy, budgetVideo, fun(2)), Verdict::distraction);
  // The site's own name does not count as a shared word.
  Policy budgetWork = protecting({"Budget review for the team"});
  budgetWork.restore(builtSites({"budget.example"}));
  EXPECT_EQ(verdictOf(budgetWork, page(3, "Budget homepage", "https://budget.example/"), fun(3)),
            Verdict::distraction);
}

TEST(PolicySwitchTest, WorkOnOtherSitesDependsOnReadingAgeAndWarmUp) {
  Policy policy = protecting();
  Moment wiki = page(2, "Plate tectonics", "https://wiki.example/plates");
  policy.observe(wiki, t0, 0, berlin());  // first visit
  // A reading at the work bar is other work; just below it the site's age decides.
  const Analysis result = work(2, 0.9f, 0.1f);
  const float reading = policy.sites().reading(0.9f, wiki, t0);
  policy.config.switchWorkBar = reading;
  EXPECT_EQ(verdictOf(policy, wiki, result), Verdict::otherWork);
  policy.config.switchWorkBar = std::nextafter(reading, 1.0f);
  EXPECT_EQ(verdictOf(policy, wiki, result), Verdict::newSite);
  EXPECT_EQ(verdictOf(policy, wiki, result, at(1799)), Verdict::newSite);
  EXPECT_EQ(verdictOf(policy, wiki, result, at(1800)), Verdict::distraction);
  Policy warming = policy;
  warming.restore(WorkSites());
  warming.observe(wiki, t0, 0, berlin());
  EXPECT_EQ(verdictOf(warming, wiki, result, at(1800)), Verdict::unknownSite);
  // A host never visited is new whatever the time.
  EXPECT_EQ(verdictOf(policy, page(3, "Rocks", "https://rocks.example/"), result, at(1e6)),
            Verdict::newSite);

  // The site weight is read for every activity; the reading only for work.
  WorkSites sites = builtSites({"video.example"});
  sites.confirm(video, t0);
  policy.restore(sites);
  SwitchReading leisure = *policy.switchReading(fun(1), video, t0);
  EXPECT_EQ(std::pair(leisure.siteWeight, leisure.reading), std::pair(1.0, 0.0f));
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
  EXPECT_EQ(
      verdictOf(policy, window(6, "Solitaire deal", "Solitaire", "org.gnome.Aisleriot"), fun(6)),
      Verdict::distraction);
}

}  // namespace
}  // namespace qb
