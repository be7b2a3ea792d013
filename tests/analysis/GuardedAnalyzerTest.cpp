#include <gmock/gmock.h>

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "analysis/GuardedAnalyzer.h"
#include "support/ManualRuntime.h"

namespace qb {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using Kind = GuardedAnalyzer::Outcome::Kind;

// Every text's vector is (logit, 0, 0), which the head below reads as that logit; embed() waits
// while the stub is blocked, then throws `failure` if there is one.
class StubEmbedder : public Embedding {
public:
  const std::string& revision() const override { return revision_; }
  Vector embed(const std::string&) override {
    std::unique_lock lock(mutex_);
    ++calls_;
    gate_.notify_all();
    gate_.wait(lock, [this] { return !blocked; });
    if (failure) std::rethrow_exception(failure);
    return {logit, 0, 0};
  }
  int calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  // Waits, bounded, until embed() has been entered `count` times.
  bool awaitCalls(int count) {
    std::unique_lock lock(mutex_);
    return gate_.wait_for(lock, std::chrono::seconds(10), [&] { return calls_ >= count; });
  }
  void release() {
    std::lock_guard lock(mutex_);
    blocked = false;
    gate_.notify_all();
  }

  float logit = 3;
  bool blocked = false;
  std::exception_ptr failure;

private:
  int calls_ = 0;
  std::string revision_ = "stub";
  std::mutex mutex_;
  std::condition_variable gate_;
};

class GuardedAnalyzerTest : public ::testing::Test {
protected:
  auto done() {
    return [this](GuardedAnalyzer::Result result) {
      EXPECT_EQ(std::this_thread::get_id(), testThread) << "done ran off the main thread";
      results.push_back(std::move(result));
    };
  }
  // Once a stuck analysis has returned, the guard answers again; bounded, so that a guard that
  // never recovers fails the test instead of hanging it.
  void expectRecovers(GuardedAnalyzer& guard) {
    embedder->release();
    guard.timeout = 10;
    bool recovered = false;
    for (int i = 0; i < 500 && !recovered; ++i) {
      recovered = guard.analyzeTraced(moment, {}).outcome.kind == Kind::done;
      if (!recovered) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(recovered) << "the guard never recovered after the model returned";
  }

  std::shared_ptr<StubEmbedder> embedder = std::make_shared<StubEmbedder>();
  std::shared_ptr<const Analyzer> analyzer = std::make_shared<Analyzer>(
      Analyzer{embedder, SiteKnowledge::parse("github.com\twork\t0.9\tcode\n"),
               ActivityHead({1, 0, 0, 0, 0, 0, 0, 0}, 0), nullptr, AnalyzerConfig::production});
  Moment moment{1,         Date(),          "Firefox",
                "firefox", "Pull requests", Url::parse("https://github.com/a")};
  test::ManualExecutor main;
  test::ManualTimers timers;
  test::LogCapture log;
  std::vector<GuardedAnalyzer::Result> results;
  const std::thread::id testThread = std::this_thread::get_id();
};

TEST_F(GuardedAnalyzerTest, ResultsOutOfRangeAndErrorsFailAndAreLogged) {
  struct Case {
    float logit;
    std::vector<std::string> work;
    std::exception_ptr failure;
    Kind kind;
    size_t passes;  // those of an invalid result are kept
    const char* logged;
  };
  for (const Case& c : std::vector<Case>{
           {3, {}, nullptr, Kind::done, 1, ""},
           {NAN, {}, nullptr, Kind::failed, 1, "nan, similarity 0"},
           {1e30f, {"w"}, nullptr, Kind::failed, 2, "similarity inf"},  // 1e30 × 1e30 in float
           {3,
            {},
            std::make_exception_ptr(std::runtime_error("model failed")),
            Kind::failed,
            0,
            "Analysis failed: model failed"},
           {3, {}, std::make_exception_ptr(42), Kind::failed, 0, "unknown error"}}) {
    SCOPED_TRACE(c.logged);
    embedder->logit = c.logit;
    embedder->failure = c.failure;
    auto result = GuardedAnalyzer(analyzer, 10).analyzeTraced(moment, c.work);
    EXPECT_EQ(result.outcome.kind, c.kind);
    EXPECT_EQ(result.outcome.analysis.has_value(), c.kind == Kind::done);
    EXPECT_EQ(result.passes.size(), c.passes);
    if (c.kind != Kind::done) EXPECT_THAT(log.lines(), Contains(HasSubstr(c.logged)));
  }
  for (float score : {0.0f, 1.0f, std::nextafter(1.0f, 2.0f), -0.01f}) {
    EXPECT_EQ(GuardedAnalyzer::isValid(Analysis{.activityScore = score}), score >= 0 && score <= 1)
        << score;
  }
}

TEST_F(GuardedAnalyzerTest, StartDeliversOnceOnTheMainThreadAndCancelsItsTimer) {
  GuardedAnalyzer guard(analyzer, 10);
  guard.start(moment, {}, main, timers, done());
  ASSERT_TRUE(main.awaitTask());
  EXPECT_TRUE(results.empty()) << "done ran inside start or before main ran it";
  EXPECT_EQ(main.runAll(), 1u);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].outcome.kind, Kind::done);
  EXPECT_EQ(results[0].passes.size(), 1u);
  EXPECT_EQ(timers.pending(), 0u);
  timers.advance(guard.timeout);
  EXPECT_EQ(main.runAll(), 0u);
}

TEST_F(GuardedAnalyzerTest, TheTimerWinsAndLaterCallsTimeOutAtOnceUntilTheModelReturns) {
  GuardedAnalyzer guard(analyzer, 10);
  embedder->blocked = true;
  guard.start(moment, {}, main, timers, done());
  ASSERT_TRUE(embedder->awaitCalls(1));
  guard.start(moment, {}, main, timers, done());  // queued behind the first; its limit runs too
  timers.advance(guard.timeout);
  main.runAll();
  ASSERT_EQ(results.size(), 2u);
  for (const auto& result : results)
    EXPECT_EQ(result.outcome, GuardedAnalyzer::Outcome::timedOut());
  EXPECT_THAT(log.lines(), Contains(HasSubstr("timed out after 10.0 s")));

  // While the stuck analysis holds the worker, calls do not queue behind it.
  guard.start(moment, {}, main, timers, done());
  EXPECT_EQ(results.size(), 2u) << "done ran inside start";
  EXPECT_EQ(guard.analyzeTraced(moment, {}).outcome.kind, Kind::timedOut);
  main.runAll();
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[2].outcome.kind, Kind::timedOut);

  expectRecovers(guard);
  main.runAll();
  EXPECT_EQ(results.size(), 3u) << "a late result was delivered";
  EXPECT_EQ(embedder->calls(), 2) << "the lost queued analysis ran";
}

TEST_F(GuardedAnalyzerTest, AnalyzeTracedTimesOutOnTheSameRace) {
  GuardedAnalyzer guard(analyzer, 0.05);
  embedder->blocked = true;
  auto late = guard.analyzeTraced(moment, {});
  EXPECT_EQ(late.outcome, GuardedAnalyzer::Outcome::timedOut());
  EXPECT_TRUE(late.passes.empty());
  EXPECT_EQ(guard.analyzeTraced(moment, {}).outcome.kind, Kind::timedOut);
  expectRecovers(guard);
}

TEST_F(GuardedAnalyzerTest, AGuardDestroyedWhileAnalysingNeitherWaitsNorCallsDone) {
  auto guard = std::make_unique<GuardedAnalyzer>(analyzer, 10);
  embedder->blocked = true;
  guard->start(moment, {}, main, timers, done());
  guard.reset();
  timers.advance(10);  // the abandoned call's timer fires into nothing
  embedder->release();
  // The abandoned analysis ends on its own thread, dropping its reference to the analyzer.
  for (int i = 0; i < 500 && analyzer.use_count() > 1; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(analyzer.use_count(), 1) << "the abandoned analysis never ended";
  main.runAll();
  EXPECT_TRUE(results.empty());
}

}  // namespace
}  // namespace qb
