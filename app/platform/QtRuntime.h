// The core's run-time seams on the Qt event loop of the thread that creates them: the program's
// main executor and timers. Tests use the hand-driven ones instead (tests/support/ManualRuntime.h).

#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "base/Clock.h"
#include "base/Runtime.h"

class QTimer;

namespace qb {

// Posts into the event loop of the thread that created it. Safe to post from any thread while it
// lives; tasks still queued when it is destroyed are dropped.
class QtExecutor : public Executor {
public:
  QtExecutor();
  ~QtExecutor() override;
  void post(std::function<void()> task) override;

private:
  void runNext();

  // The tasks wait here, under a lock of our own, and Qt's queue carries only the call that runs
  // the next one: Qt's own lock is invisible to ThreadSanitizer, which would otherwise take a
  // task handed over from a worker for a race.
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  // The receiver whose thread and lifetime the tasks follow; declared last, so that its queued
  // calls are gone before the tasks they would run.
  std::unique_ptr<QObject> context_;
};

// Precise single-shot Qt timers; each fires once on the creating thread's event loop.
class QtTimers : public Timers {
public:
  QtTimers();
  ~QtTimers() override;
  Id schedule(Duration after, std::function<void()> fire) override;
  void cancel(Id id) override;

private:
  std::map<Id, QTimer*>
      timers_;  // waiting timers, owned by context_ until they fire or are cancelled
  std::unique_ptr<QObject> context_;
  Id lastId_ = 0;
};

}  // namespace qb
