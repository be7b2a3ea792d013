// GuardedAnalyzer: the analyzer with a time limit, so that a slow or stuck model run can never
// hold up the program.
//
// Each call races the analysis against a timer; whichever ends first decides, under a one-shot
// claim, and the loser's result is dropped. Results out of range (a score outside 0 to 1 or NaN,
// a similarity that is not finite) count as failures. Errors are never passed on.
//
// Analyses run on one worker thread per guard, never a thread per call. An analysis that outlives
// its time limit keeps that worker until it ends: later calls on the same guard time out at once
// rather than queue behind it, and a guard destroyed meanwhile hands the worker to a detached
// thread that joins it when the analysis finally returns. So a stuck model holds at most one thread
// and one analysis per guard; the program replaces the guard (reloading the model) on a time-out.
//
// analyzeTraced() blocks for at most about `timeout`; call it off the main thread, one call at a
// time per guard.

#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Analyzer.h"
#include "base/SerialExecutor.h"

namespace qb {

class GuardedAnalyzer {
public:
  struct Outcome {
    enum class Kind { done, failed, timedOut };
    Kind kind = Kind::failed;
    std::optional<Analysis> analysis;  // present exactly when kind is done

    static Outcome done(Analysis analysis) { return {Kind::done, std::move(analysis)}; }
    static Outcome failed() { return {Kind::failed, std::nullopt}; }
    static Outcome timedOut() { return {Kind::timedOut, std::nullopt}; }
    friend bool operator==(const Outcome&, const Outcome&) = default;
  };

  struct Result {
    Outcome outcome;
    std::vector<AnalysisPass> passes;  // the analyzer's passes, none for an error or a time-out
  };

  GuardedAnalyzer(std::shared_ptr<const Analyzer> analyzer, Duration timeout);
  ~GuardedAnalyzer();
  GuardedAnalyzer(const GuardedAnalyzer&) = delete;
  GuardedAnalyzer& operator=(const GuardedAnalyzer&) = delete;

  Result analyzeTraced(const Moment& moment, const std::vector<std::string>& work);

  // A score within 0 to 1 (not NaN) and a similarity that is absent or finite.
  static bool isValid(const Analysis& analysis);

  const Analyzer& analyzer() const { return *analyzer_; }
  Duration timeout;

private:
  std::shared_ptr<const Analyzer> analyzer_;
  std::unique_ptr<SerialExecutor> worker_;
  // Set while an analysis that lost to the timer still runs on the worker.
  std::shared_ptr<std::atomic<bool>> stuck_;
};

}  // namespace qb
