#include "analysis/GuardedAnalyzer.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <future>
#include <mutex>
#include <thread>

#include "base/Log.h"

namespace qb {

// One call's one-shot claim, shared by its analysis on the worker and its time limit.
struct GuardedAnalyzer::Race {
  std::atomic<bool> claimed{false};
  std::function<void(Result)> deliver;  // called once, by the claimer
  std::shared_ptr<std::atomic<int>> stuck;
  Duration limit = 0;

  bool claim() { return !claimed.exchange(true); }

  // The analysis has ended: its result stands unless the time limit claimed the call first.
  void finish(Result result) {
    if (claim()) {
      deliver(std::move(result));
    } else {
      stuck->fetch_sub(1);  // the late result is dropped; the worker is free again
    }
  }

  // The time limit has ended.
  void expire() {
    // Counted before the claim: once the timer has claimed, the analysis may end at any moment
    // and take the count back, which must find it there.
    stuck->fetch_add(1);
    if (!claim()) {  // the analysis claimed it at the last moment
      stuck->fetch_sub(1);
      return;
    }
    char message[96];
    std::snprintf(message, sizeof message, "Analysis timed out after %.1f s", limit);
    log::error(message);
    deliver({Outcome::timedOut(), {}});
  }
};

struct GuardedAnalyzer::Outlet {
  std::mutex mutex;
  bool open = true;

  bool isOpen() {
    std::lock_guard lock(mutex);
    return open;
  }
};

namespace {

GuardedAnalyzer::Result analyze(const Analyzer& analyzer, const Moment& moment,
                                const std::vector<std::string>& work) {
  using Outcome = GuardedAnalyzer::Outcome;
  try {
    Analyzer::Traced traced = analyzer.analyzeTraced(moment, work);
    if (GuardedAnalyzer::isValid(traced.analysis)) {
      return {Outcome::done(std::move(traced.analysis)), std::move(traced.passes)};
    }
    char message[128];
    std::snprintf(message, sizeof message, "Analysis failed: score %g, similarity %g",
                  traced.analysis.activityScore, traced.analysis.similarity.value_or(0.0f));
    log::error(message);
    return {Outcome::failed(), std::move(traced.passes)};
  } catch (const std::exception& error) {
    log::error(std::string("Analysis failed: ") + error.what());
  } catch (...) {
    log::error("Analysis failed: unknown error");
  }
  return {Outcome::failed(), {}};
}

}  // namespace

GuardedAnalyzer::GuardedAnalyzer(std::shared_ptr<const Analyzer> analyzer, Duration limit)
    : timeout(limit),
      analyzer_(std::move(analyzer)),
      stuck_(std::make_shared<std::atomic<int>>(0)),
      busy_(std::make_shared<std::atomic<int>>(0)),
      outlet_(std::make_shared<Outlet>()),
      worker_(std::make_unique<SerialExecutor>()) {}

bool GuardedAnalyzer::waitUntilIdle(Duration limit) const {
  // Counted in steps rather than read from a clock: the core keeps no clock of its own.
  const auto interval = std::chrono::duration<Duration>(kIdlePollInterval);
  for (Duration waited = 0; busy_->load() > 0; waited += kIdlePollInterval) {
    if (waited >= limit) return false;
    std::this_thread::sleep_for(interval);
  }
  return true;
}

GuardedAnalyzer::~GuardedAnalyzer() {
  {
    std::lock_guard lock(outlet_->mutex);
    outlet_->open = false;
  }
  if (busy_->load() > 0) {
    // Joining here would block the caller until the analysis returns, if ever. A detached thread
    // owns the worker instead and joins it then.
    log::error("Analysis still running as its guard goes; its worker is left to finish alone");
    std::thread([worker = std::move(worker_)]() mutable { worker.reset(); }).detach();
  }
}

bool GuardedAnalyzer::isValid(const Analysis& analysis) {
  bool scoreInRange = analysis.activityScore >= 0.0f && analysis.activityScore <= 1.0f;
  bool similarityFinite = !analysis.similarity || std::isfinite(*analysis.similarity);
  return scoreInRange && similarityFinite;
}

bool GuardedAnalyzer::stuck() const {
  if (stuck_->load() == 0) return false;
  log::error("Analysis timed out: the previous one is still running");
  return true;
}

std::shared_ptr<GuardedAnalyzer::Race> GuardedAnalyzer::launch(
    Moment moment, std::vector<std::string> work, std::function<void(Result)> deliver) {
  auto race = std::make_shared<Race>();
  race->deliver = std::move(deliver);
  race->stuck = stuck_;
  race->limit = timeout;
  busy_->fetch_add(1);
  worker_->post([race, analyzer = analyzer_, busy = busy_, moment = std::move(moment),
                 work = std::move(work)] {
    // One that lost while still queued is not run: nobody would see its result.
    Result result = race->claimed.load() ? Result{} : analyze(*analyzer, moment, work);
    // No longer busy before the result goes out, so that a caller who drops the guard on it is
    // never told of an analysis still running.
    busy->fetch_sub(1);
    race->finish(std::move(result));
  });
  return race;
}

void GuardedAnalyzer::start(Moment moment, std::vector<std::string> work, Executor& main,
                            Timers& timers, std::function<void(Result)> done) {
  // What only the main thread touches: the callback, and the timer to cancel once a result is in.
  struct Call {
    std::function<void(Result)> done;
    std::optional<Timers::Id> timer;
  };
  auto call = std::make_shared<Call>(Call{std::move(done), std::nullopt});
  auto deliver = [outlet = outlet_, &main, &timers, call](Result result) {
    std::lock_guard lock(outlet->mutex);
    if (!outlet->open) return;
    main.post([outlet, &timers, call, result = std::move(result)]() mutable {
      // The guard may have gone since; `done` may itself destroy the guard, so no lock is held.
      if (!outlet->isOpen()) return;
      if (call->timer) timers.cancel(*call->timer);
      call->done(std::move(result));
    });
  };
  if (stuck()) {
    deliver({Outcome::timedOut(), {}});
    return;
  }
  std::shared_ptr<Race> race = launch(std::move(moment), std::move(work), std::move(deliver));
  call->timer = timers.schedule(timeout, [race] { race->expire(); });
}

GuardedAnalyzer::Result GuardedAnalyzer::analyzeTraced(const Moment& moment,
                                                       const std::vector<std::string>& work) {
  if (stuck()) return {Outcome::timedOut(), {}};
  auto promise = std::make_shared<std::promise<Result>>();
  std::future<Result> result = promise->get_future();
  std::shared_ptr<Race> race =
      launch(moment, work, [promise](Result outcome) { promise->set_value(std::move(outcome)); });
  if (result.wait_for(std::chrono::duration<double>(timeout)) != std::future_status::ready) {
    race->expire();  // unless the analysis claims it first, the promise now holds a time-out
  }
  return result.get();
}

}  // namespace qb
