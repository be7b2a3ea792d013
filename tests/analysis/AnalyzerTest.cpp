#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "analysis/Analyzer.h"
#include "analysis/GuardedAnalyzer.h"

namespace qb {
namespace {

// An embedder whose vectors the test chooses: a text's vector is (x, 0, 0) with x set per text,
// and a head whose first weight is 1 turns that into logit x.
class FakeEmbedder : public Embedding {
public:
  const std::string& revision() const override { return revision_; }

  Vector embed(const std::string& text) override {
    std::unique_lock lock(mutex_);
    ++embedded[text];
    if (failing) throw std::runtime_error("model failed");
    released_.wait(lock, [this] { return !blocked; });
    auto it = logits.find(text);
    return {it == logits.end() ? 0.0f : it->second, 0.0f, 0.0f};
  }

  std::vector<float> similarities(const std::string& text,
                                  const std::vector<std::string>& others) override {
    embed(text);
    std::vector<float> out;
    for (const std::string& other : others)
      out.push_back(similarity.count(other) ? similarity[other] : 0.1f);
    return out;
  }

  void release() {
    {
      std::lock_guard lock(mutex_);
      blocked = false;
    }
    released_.notify_all();
  }

  std::map<std::string, float> logits;      // head text -> logit
  std::map<std::string, float> similarity;  // work text -> similarity
  std::map<std::string, int> embedded;
  bool failing = false;
  bool blocked = false;

private:
  std::string revision_ = "tiny@abc1234";
  std::mutex mutex_;
  std::condition_variable released_;
};

constexpr const char* kTable =
    "github.com\twork\t0.9\tcode hosting\n"
    "weather.example\tneutral\t0.8\tforecasts\n"
    "videos.example\tleisure\t0.9\tvideo site\n";

class AnalyzerTest : public ::testing::Test {
protected:
  AnalyzerTest() : embedder(std::make_shared<FakeEmbedder>()) {
    analyzer.embedder = embedder;
    analyzer.knowledge = SiteKnowledge::parse(kTable);
  }

  Moment page(std::string_view title, std::string_view address, float logit) {
    Moment moment(++id, Date::fromReference(1000), "Firefox", "firefox", title,
                  Url::parse(address));
    embedder->logits[ActivityHead::text(moment)] = logit;
    return moment;
  }

  std::shared_ptr<FakeEmbedder> embedder;
  Analyzer analyzer{nullptr, SiteKnowledge(), ActivityHead({1, 0, 0, 0, 0, 0, 0, 0}, 0.0f), nullptr,
                    AnalyzerConfig::production};
  uint64_t id = 0;
  const float p75 = std::log(3.0f);  // sigmoid(ln 3) = 0.75
};

TEST_F(AnalyzerTest, RulesAnswerWithoutTheModel) {
  Moment mail(1, Date(), "Thunderbird", "org.mozilla.Thunderbird", "");
  auto traced = analyzer.analyzeTraced(mail, {"work"});
  EXPECT_EQ(traced.analysis.activity, ActivityKind::communication);
  EXPECT_EQ(traced.analysis.activityScore, 1.0f);
  EXPECT_EQ(traced.analysis.revision, "tiny@abc1234/head");
  EXPECT_TRUE(traced.passes.empty());

  analyzer.config.messagingByList = false;
  traced = analyzer.analyzeTraced(mail, {});  // no title, no site: nothing to read
  EXPECT_EQ(traced.analysis.activity, std::nullopt);
  EXPECT_FALSE(traced.analysis.unsure);
  Moment titled(2, Date(), "Thunderbird", "org.mozilla.Thunderbird", "Quarterly report");
  EXPECT_EQ(analyzer.analyzeTraced(titled, {}).passes.size(), 1u);
  embedder->embedded.clear();

  for (const char* title : {"New Tab", ""}) {
    traced = analyzer.analyzeTraced(page(title, "https://github.com/", 5), {});
    EXPECT_EQ(traced.analysis.activity, std::nullopt) << title;
    EXPECT_EQ(traced.analysis.activityScore, 0.0f);
    EXPECT_TRUE(traced.passes.empty());
  }
  EXPECT_TRUE(embedder->embedded.empty());
}

TEST_F(AnalyzerTest, ThresholdsDependOnWhetherTheSiteIsListed) {
  auto listed = analyzer.analyzeTraced(page("Pull requests", "https://github.com/acme", p75), {});
  EXPECT_EQ(listed.analysis.activity, ActivityKind::work);
  EXPECT_FLOAT_EQ(listed.analysis.activityScore, 0.75f);
  ASSERT_EQ(listed.passes.size(), 1u);
  EXPECT_EQ(listed.passes[0].task, "work: code hosting");
  EXPECT_EQ(listed.passes[0].text, "Pull requests. github.com acme");

  auto unlisted =
      analyzer.analyzeTraced(page("Pull requests", "https://code.example/acme", p75), {});
  EXPECT_EQ(unlisted.analysis.activity, std::nullopt);
  EXPECT_FLOAT_EQ(unlisted.analysis.activityScore, 0.75f);
  EXPECT_TRUE(unlisted.analysis.unsure);
  EXPECT_EQ(unlisted.passes[0].task, "not in the table");

  auto neutral = analyzer.analyzeTraced(page("Rain today", "https://weather.example/", 9), {"x"});
  EXPECT_EQ(neutral.analysis.activity, ActivityKind::neutral);
  EXPECT_EQ(neutral.analysis.activityScore, 1.0f);
  EXPECT_EQ(neutral.analysis.similarity, std::nullopt);
}

TEST_F(AnalyzerTest, LeisureAnswersAndMusic) {
  const float p10 = -std::log(9.0f);  // sigmoid = 0.1
  auto music = analyzer.analyzeTraced(
      page("Song (Official Music Video)", "https://tube.example/w", p10), {});
  EXPECT_EQ(music.analysis.activity, ActivityKind::neutral);
  EXPECT_EQ(music.analysis.activityScore, 1.0f);

  auto plain = analyzer.analyzeTraced(page("Funny cats", "https://tube.example/w", p10), {});
  EXPECT_EQ(plain.analysis.activity, ActivityKind::entertainment);
  EXPECT_NEAR(plain.analysis.activityScore, 0.9f, 1e-6);

  auto prefix = analyzer.analyzeTraced(page("Playlisting tips", "https://tube.example/w", p10), {});
  EXPECT_EQ(prefix.analysis.activity, ActivityKind::entertainment);

  // A leisure-listed site stays entertainment even with a music title.
  auto listed = analyzer.analyzeTraced(page("Lo-fi beats", "https://videos.example/w", p10), {});
  EXPECT_EQ(listed.analysis.activity, ActivityKind::entertainment);
}

TEST_F(AnalyzerTest, RelationToRecentWork) {
  embedder->similarity = {{"compiler design", 0.8f}, {"tax forms", 0.2f}};
  Moment moment = page("Parser generators - Wiki", "https://github.com/acme/wiki", 4);
  auto traced = analyzer.analyzeTraced(moment, {"compiler design", "tax forms", "compiler design"});
  ASSERT_EQ(traced.passes.size(), 2u);
  EXPECT_EQ(traced.passes[1].name, "similarity");
  EXPECT_EQ(traced.passes[1].text, "Parser generators");
  EXPECT_EQ(traced.analysis.similarity, 0.8f);
  EXPECT_EQ(traced.analysis.similarities.size(), 2u);

  EXPECT_EQ(analyzer.analyzeTraced(moment, {}).analysis.similarity, std::nullopt);

  // A title that adds nothing to the site's name is unrelated, unless page text says more.
  Moment vague = page("GitHub", "https://github.com/", 4);
  traced = analyzer.analyzeTraced(vague, {"compiler design"});
  EXPECT_EQ(traced.analysis.similarity, 0.0f);
  EXPECT_EQ(traced.passes.size(), 1u);
  vague.pageText = "Repositories you contributed to";
  EXPECT_EQ(analyzer.analyzeTraced(vague, {"compiler design"}).passes.size(), 2u);
}

TEST_F(AnalyzerTest, PersonalShiftMovesOnlyThePersonalProbability) {
  Moment moment = page("Pull requests", "https://github.com/acme", 0.0f);
  PersonalMemory memory;
  memory.add({0.0f, 1.0f, 0.0f}, true, moment.time, std::nullopt, std::nullopt, Uuid::random());
  analyzer.personal = std::make_shared<PersonalStore>(memory);
  auto traced = analyzer.analyzeTraced(moment, {});
  // The fake's vector (0, 0, 0) is not near the answer: no shift.
  EXPECT_FLOAT_EQ(traced.passes[0].probabilities["work"], 0.5f);

  embedder->logits.clear();
  PersonalMemory near;
  near.add({0.0f, 0.0f, 0.0f}, true, moment.time, std::nullopt, std::nullopt, Uuid::random());
  near.nearby = -1.0f;  // the zero vector is similarity 0: make it count
  analyzer.personal = std::make_shared<PersonalStore>(near);
  traced = analyzer.analyzeTraced(moment, {});
  EXPECT_GT(traced.passes[0].probabilities["work"], 0.5f);
  EXPECT_FLOAT_EQ(traced.passes[0].probabilities["general"], 0.5f);
}

TEST_F(AnalyzerTest, SwitchTextAndVagueness) {
  Moment bullet(1, Date(), "Firefox", "firefox", "Deep work \u2022 Site",
                Url::parse("https://a.example/"));
  EXPECT_EQ(Analyzer::switchText(bullet), "Deep work");
  bullet.pageText = std::string(800, 'p');
  EXPECT_EQ(Analyzer::switchText(bullet), "Deep work. " + std::string(500, 'p'));
  EXPECT_TRUE(Analyzer::isVague(Moment(1, Date(), "Files", "org.gnome.Nautilus", "Files")));
  EXPECT_TRUE(Analyzer::isVague(Moment(1, Date(), "Files", "org.gnome.Nautilus", "")));
  EXPECT_FALSE(
      Analyzer::isVague(Moment(1, Date(), "Files", "org.gnome.Nautilus", "Invoices 2024")));
}

TEST_F(AnalyzerTest, GuardRejectsFailuresAndInvalidResults) {
  auto shared = std::make_shared<Analyzer>(analyzer);
  GuardedAnalyzer guard(shared, 5.0);
  auto done = guard.analyzeTraced(page("Pull requests", "https://github.com/acme", 3), {});
  EXPECT_EQ(done.outcome.kind, GuardedAnalyzer::Outcome::Kind::done);
  EXPECT_EQ(done.passes.size(), 1u);

  auto nan = guard.analyzeTraced(page("Broken", "https://github.com/x", std::nanf("")), {});
  EXPECT_EQ(nan.outcome, GuardedAnalyzer::Outcome::failed());
  EXPECT_EQ(nan.passes.size(), 1u);  // the passes of an invalid result are kept

  embedder->similarity["w"] = std::numeric_limits<float>::infinity();
  auto infinite = guard.analyzeTraced(page("Compilers", "https://github.com/c", 3), {"w"});
  EXPECT_EQ(infinite.outcome, GuardedAnalyzer::Outcome::failed());

  embedder->failing = true;
  auto error = guard.analyzeTraced(page("Anything", "https://github.com/y", 3), {});
  EXPECT_EQ(error.outcome, GuardedAnalyzer::Outcome::failed());
  EXPECT_TRUE(error.passes.empty());

  Analysis edge{.activityScore = 1.0f};
  EXPECT_TRUE(GuardedAnalyzer::isValid(edge));
  edge.activityScore = std::nextafter(1.0f, 2.0f);
  EXPECT_FALSE(GuardedAnalyzer::isValid(edge));
  edge.activityScore = -0.01f;
  EXPECT_FALSE(GuardedAnalyzer::isValid(edge));
}

TEST_F(AnalyzerTest, GuardTimesOutAndRecoversWhenTheModelReturns) {
  auto shared = std::make_shared<Analyzer>(analyzer);
  Moment moment = page("Pull requests", "https://github.com/acme", 3);
  {
    GuardedAnalyzer guard(shared, 0.05);
    embedder->blocked = true;
    auto late = guard.analyzeTraced(moment, {});
    EXPECT_EQ(late.outcome, GuardedAnalyzer::Outcome::timedOut());
    EXPECT_TRUE(late.passes.empty());
    // While the stuck analysis holds the worker, calls do not queue behind it.
    EXPECT_EQ(guard.analyzeTraced(moment, {}).outcome, GuardedAnalyzer::Outcome::timedOut());
    embedder->release();
    // Once the stuck analysis returns, the same guard works again; the wait is bounded so a
    // guard that never recovers fails the test instead of hanging it.
    guard.timeout = 5.0;
    bool recovered = false;
    for (int i = 0; i < 500 && !recovered; ++i) {
      recovered =
          guard.analyzeTraced(moment, {}).outcome.kind == GuardedAnalyzer::Outcome::Kind::done;
      if (!recovered) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(recovered) << "the guard never recovered after the model returned";
  }
  {
    // A guard dropped while its analysis is stuck does not wait for it.
    auto guard = std::make_unique<GuardedAnalyzer>(shared, 0.02);
    embedder->blocked = true;
    EXPECT_EQ(guard->analyzeTraced(moment, {}).outcome, GuardedAnalyzer::Outcome::timedOut());
    guard.reset();
    embedder->release();
    // The abandoned analysis ends on its own thread, dropping its reference to the analyzer.
    for (int i = 0; i < 500 && shared.use_count() > 1; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(shared.use_count(), 1) << "the abandoned analysis never ended";
  }
}

}  // namespace
}  // namespace qb
