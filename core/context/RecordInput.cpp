#include "context/RecordInput.h"

#include <string>

#include "base/Log.h"

namespace qb {

void logRefused(std::string_view operation) {
  log::error(std::string(operation) +
             ": refused a time or number that is not finite, or a total that would not be");
}

PositiveDuration& PositiveDuration::operator=(Duration seconds) {
  if (accepts(seconds)) {
    seconds_ = seconds;
  } else {
    log::error("a time constant of " + std::to_string(seconds) +
               " s was refused: it must be a positive finite number; " + std::to_string(seconds_) +
               " s stays");
  }
  return *this;
}

}  // namespace qb
