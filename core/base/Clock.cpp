#include "base/Clock.h"

#include <chrono>

namespace qb {
namespace {

class SteadyClock final : public MonotonicClock {
public:
  Duration now() const override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};

}  // namespace

const MonotonicClock& MonotonicClock::steady() {
  // Never destroyed: an analysis abandoned after a time-out may still time its steps while the
  // process exits, after static objects are gone.
  static const SteadyClock* clock = new SteadyClock;
  return *clock;
}

}  // namespace qb
