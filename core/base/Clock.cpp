#include "base/Clock.h"

#include <chrono>

#include "base/NoDestructor.h"

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
  static const NoDestructor<SteadyClock> clock;
  return *clock;
}

}  // namespace qb
