// What the records of this folder take from their callers, and how they refuse the rest.
//
// The rule is the one in base/Date.h: a time or a number that is not finite is refused, never
// kept. An operation given one changes nothing and says so in the log.

#pragma once

#include <limits>
#include <string_view>

#include "base/Date.h"

namespace qb {

// Logs that `operation` refused an input that is not a finite number, or one that would make a
// total that is not.
void logRefused(std::string_view operation);

// A record's time constant (a half-life, a window, a retention): always a positive finite number
// of seconds. Decay divides by it and pruning compares with it, so a zero or negative one would
// turn credits into NaN or forget everything at once, and one that is not finite would be saved
// as null and leave the record's file unreadable. Assigning such a value is refused: it is logged
// and the constant keeps its value. Reads as the Duration it holds.
class PositiveDuration {
public:
  // Evaluated at compile time, so that a default breaking the rule does not build.
  consteval explicit PositiveDuration(Duration seconds) : seconds_(seconds) {
    if (!accepts(seconds)) throw "a time constant must be a positive finite number of seconds";
  }

  static constexpr bool accepts(Duration seconds) {
    return seconds > 0 && seconds < std::numeric_limits<Duration>::infinity();
  }

  PositiveDuration& operator=(Duration seconds);

  constexpr operator Duration() const { return seconds_; }

  friend bool operator==(const PositiveDuration&, const PositiveDuration&) = default;

private:
  Duration seconds_;
};

}  // namespace qb
