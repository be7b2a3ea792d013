// InputCounts: the keyboard and pointer counters of the window server at one reading.
//
// The counters are cumulative from an arbitrary origin and wrap at 2^32, so a single reading means
// nothing: only the difference of two readings, taken by since(), counts events.

#pragma once

#include <cstdint>

namespace qb {

struct InputCounts {
  uint32_t keys = 0;     // key-down events
  uint32_t clicks = 0;   // left and right mouse-down events, summed modulo 2^32
  uint32_t scrolls = 0;  // scroll-wheel events
  uint32_t moves = 0;    // mouse-moved events

  // The events from `earlier` to this reading, field by field modulo 2^32: a counter that wrapped
  // in between still counts what happened (2^32 - 6 to 5 gives 11). Never negative.
  constexpr InputCounts since(const InputCounts& earlier) const {
    return {static_cast<uint32_t>(keys - earlier.keys),
            static_cast<uint32_t>(clicks - earlier.clicks),
            static_cast<uint32_t>(scrolls - earlier.scrolls),
            static_cast<uint32_t>(moves - earlier.moves)};
  }

  friend bool operator==(const InputCounts&, const InputCounts&) = default;
};

}  // namespace qb
