// WallClock: the current date, handed to the objects that need "now" themselves rather than as an
// argument (the recorder stamps the writes it starts on its own). The program hands in system();
// tests hand in a clock they set.

#pragma once

#include "base/Date.h"

namespace qb {

class WallClock {
public:
  virtual ~WallClock() = default;
  // Safe to call from any thread.
  virtual Date now() const = 0;

  // The system's real-time clock.
  static const WallClock& system();
};

}  // namespace qb
