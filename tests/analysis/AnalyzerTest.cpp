#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "analysis/Analyzer.h"
#include "analysis/SentenceEmbedder.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

namespace fs = std::filesystem;
using Kind = ActivityKind;

// A text's vector is (x, 0, 0) with x chosen per text: the head below reads it as logit x, and
// the similarity of two texts is the product of their x.
struct FakeEmbedder : Embedding {
  const std::string& revision() const override { return name; }
  Vector embed(const std::string& text) override {
    ++embedded;
    asked.push_back(text);
    return {x[text], 0.0f, 0.0f};
  }
  std::string name = "tiny@abc1234";
  std::map<std::string, float> x;
  int embedded = 0;
  std::vector<std::string> asked;
};

class AnalyzerTest : public ::testing::Test {
protected:
  Moment page(std::string_view title, std::string_view address, float logit) {
    Moment moment(1, Date(), "Firefox", "firefox", title, Url::parse(address));
    embedder->x[ActivityHead::text(moment)] = logit;
    return moment;
  }

  std::shared_ptr<FakeEmbedder> embedder = std::make_shared<FakeEmbedder>();
  Analyzer analyzer{embedder,
                    SiteKnowledge::parse("github.com\twork\t0.9\tcode hosting\n"
                                         "weather.example\tneutral\t0.8\tforecasts\n"
                                         "v.example\tleisure\t0.9\tvideo site\n"),
                    ActivityHead({1, 0, 0, 0, 0, 0, 0, 0}, 0.0f), nullptr,
                    AnalyzerConfig::production};
};

TEST_F(AnalyzerTest, RulesAnswerWithoutTheModel) {
  const Moment mail(1, Date(), "Thunderbird", "org.mozilla.Thunderbird", "");
  const std::string revision = "tiny@abc1234/head";
  auto traced = analyzer.analyzeTraced(mail, {"work"});
  EXPECT_EQ(traced.analysis, (Analysis{.observationID = 1,
                                       .activity = Kind::communication,
                                       .activityScore = 1,
                                       .revision = revision}));
  EXPECT_TRUE(traced.passes.empty());
  // Nothing to read (no title and no site, or a title that names only the browser) abstains.
  analyzer.config.messagingByList = false;
  for (const Moment& bare :
       {mail, page("New Tab", "https://github.com/", 5), page("", "https://github.com/", 5)}) {
    traced = analyzer.analyzeTraced(bare, {});
    EXPECT_EQ(traced.analysis, (Analysis{.observationID = 1, .revision = revision})) << bare.title;
    EXPECT_TRUE(traced.passes.empty());
  }
  EXPECT_EQ(embedder->embedded, 0);
  const Moment titled(2, Date(), "Thunderbird", "org.mozilla.Thunderbird", "Quarterly report");
  EXPECT_EQ(analyzer.analyzeTraced(titled, {}).passes.size(), 1u);
}

TEST_F(AnalyzerTest, TheModelAnswersByTheSiteTableAndTheTitle) {
  const float p75 = std::log(3.0f), p10 = -std::log(9.0f);  // sigmoid: 0.75 and 0.1
  // Unlisted sites need more confidence: an unsure abstention keeps its score. Music that plays
  // during work is no detour, unless its site is listed for leisure; a word must match whole.
  const char* unlisted = "not in the table";
  using Case = std::tuple<const char*, const char*, float, std::optional<Kind>, float, const char*>;
  // clang-format off
  const std::vector<Case> cases = {
      {"Pull requests", "https://github.com/a", p75, Kind::work, 0.75f, "work: code hosting"},
      {"Pull requests", "https://code.example/a", p75, std::nullopt, 0.75f, unlisted},
      {"Rain today", "https://weather.example/", 9, Kind::neutral, 1, "neutral: forecasts"},
      {"Song (Official Music Video)", "https://tube.example/", p10, Kind::neutral, 1, unlisted},
      {"Funny cats", "https://tube.example/", p10, Kind::entertainment, 0.9f, unlisted},
      {"Playlisting tips", "https://tube.example/", p10, Kind::entertainment, 0.9f, unlisted},
      {"Lo-fi beats", "https://v.example/", p10, Kind::entertainment, 0.9f, "leisure: video site"}};
  // clang-format on
  for (const auto& [title, address, logit, activity, score, task] : cases) {
    SCOPED_TRACE(title);
    auto traced = analyzer.analyzeTraced(page(title, address, logit), {"x"});
    EXPECT_EQ(traced.analysis.activity, activity);
    EXPECT_NEAR(traced.analysis.activityScore, score, 1e-6);
    EXPECT_EQ(traced.analysis.unsure, !activity);
    EXPECT_EQ(traced.analysis.similarity.has_value(), activity && activity != Kind::neutral);
    EXPECT_EQ(traced.passes.at(0).task, task);
  }
  const auto listed =
      analyzer.analyzeTraced(page("Pull requests", "https://github.com/a", p75), {});
  EXPECT_EQ(listed.passes[0].text, "Pull requests. github.com a");
  EXPECT_FLOAT_EQ(listed.passes[0].probabilities.at("work"), 0.75f);
}

TEST_F(AnalyzerTest, RelationToRecentWork) {
  embedder->x.insert({{"Parser generators", 4}, {"compiler design", 0.2f}, {"tax forms", 0.05f}});
  const Moment moment = page("Parser generators - Wiki", "https://github.com/acme/wiki", 4);
  auto traced = analyzer.analyzeTraced(moment, {"compiler design", "tax forms", "compiler design"});
  ASSERT_EQ(traced.passes.size(), 2u);
  EXPECT_EQ(traced.passes[1].name + ": " + traced.passes[1].text, "similarity: Parser generators");
  EXPECT_EQ(traced.analysis.similarity, 0.8f);
  EXPECT_EQ(traced.analysis.similarities,
            (std::map<std::string, float>{{"compiler design", 0.8f}, {"tax forms", 0.2f}}));
  EXPECT_EQ(analyzer.analyzeTraced(moment, {}).analysis.similarity, std::nullopt);
  // A title that adds nothing to the site's name is unrelated, unless page text says more.
  Moment vague = page("GitHub", "https://github.com/", 4);
  traced = analyzer.analyzeTraced(vague, {"compiler design"});
  EXPECT_EQ(traced.analysis.similarity, 0.0f);
  EXPECT_EQ(traced.passes.size(), 1u);
  vague.pageText = "Repositories you contributed to";
  EXPECT_EQ(analyzer.analyzeTraced(vague, {"compiler design"}).passes.size(), 2u);
}

TEST_F(AnalyzerTest, TheComparisonsTextsAreEmbeddedUnlessRuledOutBeforeTheModel) {
  const std::vector<std::string> work = {"compiler design", "tax forms"};
  const std::vector<std::string> all = {"Parser generators. github.com acme", "Parser generators",
                                        "compiler design", "tax forms"};
  Moment vague = page("GitHub", "https://github.com/", 4);
  Moment vagueWithText = vague;
  vagueWithText.pageText = "Repositories";
  const struct {
    Moment moment;
    std::vector<std::string> work;
    std::vector<std::string> asked;
  } cases[] = {
      {page("Parser generators", "https://github.com/acme", 4), work, all},
      {page("Parser generators", "https://github.com/acme", 4), {}, {all[0]}},
      // An abstention is known only from the model: its other vectors were computed anyway.
      {page("Parser generators", "https://code.example/acme", 0),
       work,
       {"Parser generators. code.example acme", "Parser generators", work[0], work[1]}},
      {page("Rain today", "https://weather.example/", 4), work, {"Rain today. weather.example"}},
      {vague, work, {"GitHub. github.com"}},
      {vagueWithText, work, {"GitHub. github.com", "GitHub. Repositories", work[0], work[1]}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.asked.front());
    embedder->asked.clear();
    analyzer.analyzeTraced(c.moment, c.work);
    EXPECT_EQ(embedder->asked, c.asked);
  }
}

// Forwards to an embedder and counts the calls; `batching` false hands embedAll() to Embedding's
// own one text at a time.
struct CountingEmbedder : Embedding {
  CountingEmbedder(std::shared_ptr<Embedding> to, bool inBatches)
      : inner(std::move(to)), batching(inBatches) {}
  const std::string& revision() const override { return inner->revision(); }
  Vector embed(const std::string& text) override {
    ++embedded;
    return inner->embed(text);
  }
  std::vector<Vector> embedAll(const std::vector<std::string>& texts) override {
    ++batches;
    return batching ? inner->embedAll(texts) : Embedding::embedAll(texts);
  }
  std::shared_ptr<Embedding> inner;
  bool batching;
  int embedded = 0, batches = 0;
};

TEST(AnalyzerBatchTest, ANewTitleRunsTheEncoderOnceAndAnswersAsOneTextAtATime) {
  const fs::path tinyBert = fs::path(QB_TEST_DATA) / "tiny-bert";
  test::TempDir folder;
  for (const char* name : {"vocab.txt", "Embedder.safetensors", "config.json"}) {
    fs::copy_file(tinyBert / name, folder / name);
  }
  test::writeFile(folder / "manifest.json", R"({"L": 32})");
  int runs = 0;
  auto batched = std::make_shared<CountingEmbedder>(
      std::make_shared<SentenceEmbedder>(folder.path(), BertEncoder::Kernels::best,
                                         [&](auto, auto) { ++runs; }),
      true);
  auto single =
      std::make_shared<CountingEmbedder>(std::make_shared<SentenceEmbedder>(folder.path()), false);
  // Small weights under a large bias: a confident work answer, so that the comparison runs.
  std::vector<float> weights(32 + ActivityHead::kSiteFeatureCount);
  for (size_t i = 0; i < weights.size(); ++i) weights[i] = i % 3 == 0 ? 0.1f : -0.05f;
  Analyzer analyzer{batched, SiteKnowledge::parse("code.example\twork\t0.9\tcode hosting\n"),
                    ActivityHead(weights, 3.0f), nullptr, AnalyzerConfig::production};
  Analyzer oneAtATime = analyzer;
  oneAtATime.embedder = single;
  const Moment moment(1, Date(), "Firefox", "firefox",
                      "Fix parser bug - Pull Request #12 | code.example",
                      Url::parse("https://code.example/acme/pull/12"));
  const std::vector<std::string> work = {"parser bug triage", "weekly budget report",
                                         "parser bug triage"};

  Analyzer::Traced traced = analyzer.analyzeTraced(moment, work);
  EXPECT_EQ(std::pair(batched->batches, batched->embedded), std::pair(1, 0));
  EXPECT_EQ(runs, 4);  // the head's text, the switch text and two distinct work texts
  Analyzer::Traced expected = oneAtATime.analyzeTraced(moment, work);
  for (auto* passes : {&traced.passes, &expected.passes}) {
    for (AnalysisPass& pass : *passes) pass.latency = 0;
  }
  EXPECT_EQ(traced.analysis.activity, Kind::work);
  ASSERT_EQ(traced.passes.size(), 2u);
  EXPECT_EQ(traced.analysis, expected.analysis);
  EXPECT_EQ(traced.passes, expected.passes);
  const std::vector<float> values = single->similarities(Analyzer::switchText(moment), work);
  EXPECT_EQ(traced.analysis.similarities,
            (std::map<std::string, float>{{work[0], values[0]}, {work[1], values[1]}}));

  // The same window again: everything is remembered.
  analyzer.analyzeTraced(moment, work);
  EXPECT_EQ(runs, 4);
}

TEST_F(AnalyzerTest, PersonalShiftMovesOnlyThePersonalProbability) {
  const Moment moment = page("Pull requests", "https://github.com/acme", 0.0f);
  for (const auto& [nearby, moved] :
       {std::pair(PersonalMemory::kDefaultNearby, false), {-1.0f, true}}) {
    PersonalMemory memory{.nearby = nearby};  // (0, 0, 0) has similarity 0 to anything
    memory.add({0, 0, 0}, true, moment.time, std::nullopt, std::nullopt, Uuid::random());
    analyzer.personal = std::make_shared<PersonalStore>(memory);
    auto probabilities = analyzer.analyzeTraced(moment, {}).passes.at(0).probabilities;
    EXPECT_EQ(probabilities["work"] > 0.5f, moved) << nearby;
    EXPECT_FLOAT_EQ(probabilities["general"], 0.5f);
  }
}

TEST_F(AnalyzerTest, SwitchTextAndVagueness) {
  Moment bullet(1, Date(), "Firefox", "firefox", "Deep work \u2022 Site",
                Url::parse("https://a.example/"));
  EXPECT_EQ(Analyzer::switchText(bullet), "Deep work");
  bullet.pageText = std::string(800, 'p');
  EXPECT_EQ(Analyzer::switchText(bullet), "Deep work. " + std::string(500, 'p'));
  for (const auto& [title, vague] :
       {std::pair("Files", true), {"", true}, {"Invoices 2024", false}}) {
    EXPECT_EQ(Analyzer::isVague(Moment(1, Date(), "Files", "org.gnome.Nautilus", title)), vague)
        << title;
  }
}

}  // namespace
}  // namespace qb
