#include <atomic>
#include <cmath>
#include <future>
#include <thread>

#include "analysis/GuardedAnalyzer.h"
#include "support/ManualRuntime.h"
#include "support/TestSupport.h"

namespace qb {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using Kind = GuardedAnalyzer::Outcome::Kind;
using namespace std::chrono_literals;

// Every text's vector is (logit(), 0, 0), which the head below reads as that logit; embed() waits
// until the test opens the gate (or the test ends, breaking its promise).
struct StubEmbedder : Embedding {
  const std::string& revision() const override { return name; }
  Vector embed(const std::string&) override {
    ++calls;
    gate.wait();
    return {logit(), 0, 0};
  }
  std::string name = "stub";
  std::function<float()> logit = [] { return 3.0f; };
  std::shared_future<void> gate;
  std::atomic<int> calls{0};
};

class GuardedAnalyzerTest : public ::testing::Test {
protected:
  GuardedAnalyzerTest() { embedder->gate = gate.get_future().share(); }

  auto done() {
    return [this](GuardedAnalyzer::Result result) {
      EXPECT_EQ(std::this_thread::get_id(), testThread) << "done ran off the main thread";
      results.push_back(result.outcome.kind);
    };
  }
  // Polls, bounded, so that what never happens fails the test instead of hanging it.
  static bool eventually(const std::function<bool()>& happened) {
    for (int i = 0; i < 1000; ++i, std::this_thread::sleep_for(10ms)) {
      if (happened()) return true;
    }
    return false;
  }

  std::shared_ptr<StubEmbedder> embedder = std::make_shared<StubEmbedder>();
  std::shared_ptr<const Analyzer> analyzer = std::make_shared<Analyzer>(
      Analyzer{embedder, SiteKnowledge::parse("github.com\twork\t0.9\tcode\n"),
               ActivityHead({1, 0, 0, 0, 0, 0, 0, 0}, 0), nullptr, AnalyzerConfig::production});
  const Moment moment{1, Date(), "Firefox", "firefox", "Pulls", Url::parse("https://github.com/")};
  std::promise<void> gate;
  test::ManualExecutor main;
  test::ManualTimers timers;
  test::LogCapture log;
  std::vector<Kind> results;
  const std::thread::id testThread = std::this_thread::get_id();
};

TEST_F(GuardedAnalyzerTest, ResultsOutOfRangeAndErrorsFailAndAreLogged) {
  gate.set_value();
  // An invalid result keeps its passes.
  // clang-format off
  const std::vector<std::tuple<std::function<float()>, std::vector<std::string>, Kind, size_t,
                               const char*>> cases = {
      {[] { return 3.0f; }, {}, Kind::done, 1, ""},
      {[] { return NAN; }, {}, Kind::failed, 1, "nan, similarity 0"},
      {[] { return 1e30f; }, {"w"}, Kind::failed, 2, "similarity inf"},  // 1e30² in float
      {[]() -> float { throw std::runtime_error("bad"); }, {}, Kind::failed, 0, "failed: bad"},
      {[]() -> float { throw 42; }, {}, Kind::failed, 0, "Analysis failed: unknown error"}};
  // clang-format on
  for (const auto& [logit, work, kind, passes, logged] : cases) {
    SCOPED_TRACE(logged);
    embedder->logit = logit;
    auto result = GuardedAnalyzer(analyzer, 10).analyzeTraced(moment, work);
    EXPECT_EQ(result.outcome.kind, kind);
    EXPECT_EQ(result.outcome.analysis.has_value(), kind == Kind::done);
    EXPECT_EQ(result.passes.size(), passes);
    if (kind != Kind::done) {
      EXPECT_THAT(log.lines(), Contains(HasSubstr(logged)));
    }
  }
  for (const auto& [score, valid] : {std::pair(0.0f, true),
                                     {1.0f, true},
                                     {std::nextafter(1.0f, 2.0f), false},
                                     {-0.01f, false}}) {
    EXPECT_EQ(GuardedAnalyzer::isValid({.activityScore = score}), valid) << score;
  }
}

TEST_F(GuardedAnalyzerTest, StartDeliversOnceOnTheMainThreadAndCancelsItsTimer) {
  gate.set_value();
  GuardedAnalyzer guard(analyzer, 10);
  guard.start(moment, {}, main, timers, done());
  ASSERT_TRUE(main.awaitTask());
  EXPECT_TRUE(results.empty()) << "done ran before the main executor ran it";
  EXPECT_EQ(main.runAll(), 1u);
  EXPECT_EQ(results, std::vector{Kind::done});
  EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(GuardedAnalyzerTest, TheFirstToEndWinsAndAStuckModelTimesLaterCallsOutAtOnce) {
  GuardedAnalyzer blocking(analyzer, 0.05), started(analyzer, 10);
  // The waiting caller's own limit ends first...
  const auto late = blocking.analyzeTraced(moment, {});
  EXPECT_EQ(late.outcome, GuardedAnalyzer::Outcome::timedOut());
  EXPECT_TRUE(late.passes.empty());
  // ...or the timer does, for the analysis and for the one queued behind it, which never runs.
  started.start(moment, {}, main, timers, done());
  ASSERT_TRUE(eventually([&] { return embedder->calls == 2; }));
  started.start(moment, {}, main, timers, done());
  timers.advance(10);
  EXPECT_THAT(log.lines(), Contains(HasSubstr("timed out after 10.0 s")));
  // While a stuck analysis holds the worker, calls do not queue behind it.
  started.start(moment, {}, main, timers, done());
  EXPECT_EQ(results.size(), 0u) << "done ran inside start";
  EXPECT_EQ(started.analyzeTraced(moment, {}).outcome.kind, Kind::timedOut);
  EXPECT_EQ(blocking.analyzeTraced(moment, {}).outcome.kind, Kind::timedOut);
  main.runAll();
  EXPECT_EQ(results, std::vector(3, Kind::timedOut));

  gate.set_value();
  for (GuardedAnalyzer* guard : {&blocking, &started}) {
    guard->timeout = 10;
    EXPECT_TRUE(eventually([&] {
      return guard->analyzeTraced(moment, {}).outcome.kind == Kind::done;
    })) << "the guard never recovered after the model returned";
  }
  main.runAll();
  EXPECT_EQ(results.size(), 3u) << "a late result was delivered";
  EXPECT_EQ(embedder->calls.load(), 4) << "the queued analysis that lost ran anyway";
}

TEST_F(GuardedAnalyzerTest, WaitingUntilIdleEndsWithTheAnalysisOrTheLimit) {
  GuardedAnalyzer guard(analyzer, 10);
  EXPECT_TRUE(guard.waitUntilIdle(0));
  guard.start(moment, {}, main, timers, done());
  EXPECT_FALSE(guard.waitUntilIdle(0.05)) << "the analysis is held at the gate";
  gate.set_value();
  EXPECT_TRUE(guard.waitUntilIdle(10));
  main.runAll();
  EXPECT_EQ(results, std::vector{Kind::done});
}

TEST_F(GuardedAnalyzerTest, AGuardDestroyedWhileAnalysingNeitherWaitsNorCallsDone) {
  auto guard = std::make_unique<GuardedAnalyzer>(analyzer, 10);
  guard->start(moment, {}, main, timers, done());
  guard.reset();       // would hang here if it waited for the blocked analysis
  timers.advance(10);  // the abandoned call's timer fires into nothing
  gate.set_value();
  // The abandoned analysis ends on its own thread, dropping its reference to the analyzer.
  EXPECT_TRUE(eventually([&] { return analyzer.use_count() == 1; }));
  main.runAll();
  EXPECT_TRUE(results.empty());
}

}  // namespace
}  // namespace qb
