// Clocks are handed to the core, never read by it on its own, so that tests can run a whole day
// of ticks in milliseconds. Wall-clock time comes into the records as `at` arguments; the
// monotonic clock below serves only to measure how long a step took.

#pragma once

#include "base/Date.h"

namespace qb {

class MonotonicClock {
public:
  virtual ~MonotonicClock() = default;
  // Seconds from an arbitrary origin; never goes back.
  virtual Duration now() const = 0;

  // The system's steady clock, which the program hands to the core.
  static const MonotonicClock& steady();
};

}  // namespace qb
