#include "analysis/GuardedAnalyzer.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <future>
#include <thread>

#include "base/Log.h"

namespace qb {
namespace {

// What the two racers share: the first to claim it decides the call's outcome.
struct Race {
  std::atomic<bool> claimed{false};
  std::promise<GuardedAnalyzer::Result> result;

  bool claim() { return !claimed.exchange(true); }
};

}  // namespace

GuardedAnalyzer::GuardedAnalyzer(std::shared_ptr<const Analyzer> analyzer, Duration limit)
    : timeout(limit),
      analyzer_(std::move(analyzer)),
      worker_(std::make_unique<SerialExecutor>()),
      stuck_(std::make_shared<std::atomic<bool>>(false)) {}

GuardedAnalyzer::~GuardedAnalyzer() {
  if (stuck_->load()) {
    // Joining here would block the caller until the stuck analysis returns, if ever. A detached
    // thread owns the worker instead and joins it then; the analyzer stays alive through the
    // analysis's own reference to it.
    log::error("Analysis still running at model reload; its worker is left to finish alone");
    std::thread([worker = std::move(worker_)]() mutable { worker.reset(); }).detach();
  }
}

bool GuardedAnalyzer::isValid(const Analysis& analysis) {
  bool scoreInRange = analysis.activityScore >= 0.0f && analysis.activityScore <= 1.0f;
  bool similarityFinite = !analysis.similarity || std::isfinite(*analysis.similarity);
  return scoreInRange && similarityFinite;
}

GuardedAnalyzer::Result GuardedAnalyzer::analyzeTraced(const Moment& moment,
                                                       const std::vector<std::string>& work) {
  if (stuck_->load()) {
    log::error("Analysis timed out: the previous one is still running");
    return {Outcome::timedOut(), {}};
  }

  auto race = std::make_shared<Race>();
  std::future<Result> result = race->result.get_future();
  worker_->post([race, analyzer = analyzer_, stuck = stuck_, moment, work] {
    Result outcome;
    try {
      Analyzer::Traced traced = analyzer->analyzeTraced(moment, work);
      outcome.outcome =
          isValid(traced.analysis) ? Outcome::done(std::move(traced.analysis)) : Outcome::failed();
      outcome.passes = std::move(traced.passes);
    } catch (...) {
      outcome = {Outcome::failed(), {}};
    }
    if (race->claim()) {
      race->result.set_value(std::move(outcome));
    } else {
      stuck->store(false);  // the late result is dropped; the worker is free again
    }
  });

  if (result.wait_for(std::chrono::duration<double>(timeout)) == std::future_status::ready) {
    return result.get();
  }
  // Marked stuck before the claim: once the timer has claimed, the analysis may end at any moment
  // and clear the mark, which must not be overwritten afterwards.
  stuck_->store(true);
  if (!race->claim()) {  // the analysis claimed it at the last moment
    stuck_->store(false);
    return result.get();
  }
  char message[96];
  std::snprintf(message, sizeof message, "Analysis timed out after %.1f s", timeout);
  log::error(message);
  return {Outcome::timedOut(), {}};
}

}  // namespace qb
