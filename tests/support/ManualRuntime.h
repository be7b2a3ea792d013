// The program's run-time seams driven by hand: a main executor whose tasks run when the test says,
// one-shot timers that fire when the test moves their clock on, and the log captured. With them a
// day of timers runs in no time, and a test decides every interleaving it checks.

#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/Log.h"
#include "base/Runtime.h"
#include "base/WallClock.h"

namespace qb::test {

// Tasks wait until the test runs them, on the test's thread; post() is safe from any thread.
class ManualExecutor : public Executor {
public:
  void post(std::function<void()> task) override {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    posted_.notify_all();
  }
  // Runs the waiting tasks, and those they post, in order; answers how many ran.
  size_t runAll() {
    size_t ran = 0;
    for (std::unique_lock lock(mutex_); !tasks_.empty(); lock.lock(), ++ran) {
      std::function<void()> task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
    }
    return ran;
  }
  // Bounded, so that a task that never comes fails the test instead of hanging it.
  bool awaitTask(std::chrono::seconds limit = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, limit, [this] { return !tasks_.empty(); });
  }

private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> tasks_;
};

// One-shot timers on a clock of their own, which starts at 0 and moves only in advance(). Zero,
// negative and NaN delays fall due at once: at the next advance(), advance(0) included.
class ManualTimers : public Timers {
public:
  Id schedule(Duration after, std::function<void()> fire) override {
    timers_.emplace(std::pair(now_ + (after > 0 ? after : 0), ++lastId_), std::move(fire));
    return lastId_;
  }
  void cancel(Id id) override {
    std::erase_if(timers_, [id](const auto& timer) { return timer.first.second == id; });
  }
  // Fires each timer that falls due on the way (those that firing schedules included) in due
  // order, equal times in scheduling order, with the clock at its due time.
  void advance(Duration seconds) {
    const Duration until = now_ + seconds;
    while (!timers_.empty() && timers_.begin()->first.first <= until) {
      now_ = timers_.begin()->first.first;
      std::function<void()> fire = std::move(timers_.begin()->second);
      timers_.erase(timers_.begin());
      fire();
    }
    now_ = until;
  }
  size_t pending() const { return timers_.size(); }
  Duration now() const { return now_; }

private:
  std::map<std::pair<Duration, Id>, std::function<void()>> timers_;  // by due time, then id
  // Read from other threads too: a recorder's worker reads the wall clock that moves with it.
  std::atomic<Duration> now_ = 0;
  Id lastId_ = 0;
};

// The clock of a ManualTimers, for code that measures time on the clock its timers run on.
class ManualTimersClock : public MonotonicClock {
public:
  explicit ManualTimersClock(const ManualTimers& timers) : timers_(timers) {}
  Duration now() const override { return timers_.now(); }

private:
  const ManualTimers& timers_;
};

// A wall clock that moves with a ManualTimers: `origin` plus the timers' time.
class ManualTimersWallClock : public WallClock {
public:
  explicit ManualTimersWallClock(const ManualTimers& timers, Date origin = Date{800000000})
      : timers_(timers), origin_(origin) {}
  Date now() const override { return origin_ + timers_.now(); }

private:
  const ManualTimers& timers_;
  Date origin_;
};

// The log's messages while it lives, debug lines included, instead of stderr.
class LogCapture {
public:
  LogCapture() : debugWasShown_(log::debugShown()) {
    log::showDebug(true);
    log::setSink([this](log::Level, std::string_view message) {
      std::lock_guard lock(mutex_);
      lines_.emplace_back(message);
    });
  }
  ~LogCapture() {
    log::setSink({});
    log::showDebug(debugWasShown_);
  }
  std::vector<std::string> lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }

private:
  bool debugWasShown_;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace qb::test
