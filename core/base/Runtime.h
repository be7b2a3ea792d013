// The seams through which the core meets the program's run loop, so that the core never assumes Qt
// and tests run a day of timers by hand.
//
// The program gives the core an Executor for its main thread (a queued call into the Qt event loop)
// and the Timers of that thread (single-shot Qt timers). Tests give a manual executor and timers
// that fire when the test says, against a fake clock.

#pragma once

#include <cstdint>
#include <functional>

#include "base/Date.h"

namespace qb {

// Runs posted tasks one at a time, in order, on the thread it serves.
class Executor {
public:
  virtual ~Executor() = default;
  // Safe to call from any thread; the task runs later on the executor's thread, never inside post.
  virtual void post(std::function<void()> task) = 0;
};

// One-shot timers on one thread.
class Timers {
public:
  using Id = uint64_t;

  virtual ~Timers() = default;
  // Calls fire once on the timers' thread, `after` seconds from now (at once for zero, a negative
  // or a NaN delay), unless cancelled first. Call from the timers' thread.
  virtual Id schedule(Duration after, std::function<void()> fire) = 0;
  // Forgets a timer that has not fired; an unknown or spent id changes nothing. Call from the
  // timers' thread.
  virtual void cancel(Id id) = 0;
};

}  // namespace qb
