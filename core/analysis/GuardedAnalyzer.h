// GuardedAnalyzer: the analyzer with a time limit, so that a slow or stuck model run can never
// hold up the program.
//
// Each call races the analysis against a timer; whichever ends first decides, under a one-shot
// claim, and the loser's result is dropped. Results out of range (a score outside 0 to 1 or NaN,
// a similarity that is not finite) count as failures. Errors are never passed on: each failure
// and each time-out is logged.
//
// Analyses run on one worker thread per guard, never a thread per call, one at a time in call
// order; a call's time limit counts from its start, time spent queued included. An analysis that
// outlives its time limit keeps that worker until it ends: later calls on the same guard time out
// at once rather than queue behind it. So a stuck model holds at most one thread and one analysis
// per guard; the program replaces the guard (reloading the model) on a time-out.
//
// Two ways in, on the same race:
//  - start() is for the main thread, which never waits: it returns at once, and the result comes
//    back through `done`, posted to the main executor.
//  - analyzeTraced() blocks for at most about `timeout`: for the command-line modes, called off
//    the main thread, one call at a time per guard.
//
// Destroying the guard never waits for an analysis. One still queued or running is abandoned: its
// `done` is never called (not even with a failure), its timer, if still pending, fires into
// nothing, and its worker is handed to a detached thread that joins it when the analysis returns,
// keeping the analyzer alive through the analysis's own reference to it.

#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Analyzer.h"
#include "base/Runtime.h"
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

  // Starts the analysis and returns at once. `done` runs exactly once, on `main`, never inside
  // start(), unless the guard is destroyed first (see above); it may destroy the guard, and may
  // itself be destroyed on any thread. Call from main's thread, whose one-shot timers `timers`
  // are; both must outlive the guard.
  void start(Moment moment, std::vector<std::string> work, Executor& main, Timers& timers,
             std::function<void(Result)> done);

  // Waits for the analysis or the time limit, whichever ends first.
  Result analyzeTraced(const Moment& moment, const std::vector<std::string>& work);

  // How often waitUntilIdle looks.
  static constexpr Duration kIdlePollInterval = 0.01;
  // Blocks until no analysis is queued or running, for at most about `limit` seconds; true when
  // none is. For the end of the program, so that no analysis runs while the process exits.
  bool waitUntilIdle(Duration limit) const;

  // A score within 0 to 1 (not NaN) and a similarity that is absent or finite.
  static bool isValid(const Analysis& analysis);

  const Analyzer& analyzer() const { return *analyzer_; }
  Duration timeout;

private:
  struct Race;
  struct Outlet;

  // Queues the analysis on the worker; the race's claimer hands the result to `deliver`, on its
  // own thread. Answers the race, for the caller to expire when the time limit ends.
  std::shared_ptr<Race> launch(Moment moment, std::vector<std::string> work,
                               std::function<void(Result)> deliver);
  // True, having logged it, when a timed-out analysis still holds the worker.
  bool stuck() const;

  std::shared_ptr<const Analyzer> analyzer_;
  // How many analyses that lost to their timer are still queued or running on the worker.
  std::shared_ptr<std::atomic<int>> stuck_;
  // How many analyses are queued or running: the destructor leaves the worker to them.
  std::shared_ptr<std::atomic<int>> busy_;
  // Where start()'s results go; closed by the destructor, so that none reaches a dead caller.
  std::shared_ptr<Outlet> outlet_;
  std::unique_ptr<SerialExecutor> worker_;
};

}  // namespace qb
