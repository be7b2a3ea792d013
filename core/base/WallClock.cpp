#include "base/WallClock.h"

#include <chrono>

#include "base/NoDestructor.h"

namespace qb {
namespace {

class SystemClock final : public WallClock {
public:
  Date now() const override {
    return Date::fromUnix(
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count());
  }
};

}  // namespace

const WallClock& WallClock::system() {
  static const NoDestructor<SystemClock> clock;
  return *clock;
}

}  // namespace qb
