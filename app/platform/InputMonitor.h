// InputMonitor: how long the user has not touched the keyboard or the pointer, and running
// counts of their keys, clicks, scroll steps and pointer moves. Both are read without polling:
// the counts are kept from the window system's events as they arrive.

#pragma once

#include "base/Date.h"
#include "recording/InputCounts.h"

namespace qb {

class InputMonitor {
public:
  virtual ~InputMonitor() = default;

  // Seconds since the last key or pointer event of any device; 0 when it cannot be read.
  virtual Duration secondsSinceLastInput() const = 0;
  // The counters now, wrapping at 2^32 (compare two readings with InputCounts::since).
  virtual InputCounts counts() const = 0;
};

}  // namespace qb
