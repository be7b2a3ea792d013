#include "sensing/Snapshot.h"

namespace qb {

std::string_view rawValue(ObserverCause cause) {
  switch (cause) {
    case ObserverCause::appSwitch:
      return "switch";
    case ObserverCause::titleChange:
      return "title change";
    case ObserverCause::windowChange:
      return "window change";
    case ObserverCause::settle:
      return "settle";
    case ObserverCause::tick:
      return "fallback tick";
  }
  return {};
}

std::optional<ObserverCause> parseObserverCause(std::string_view text) {
  for (ObserverCause cause : kAllObserverCauses) {
    if (rawValue(cause) == text) return cause;
  }
  return std::nullopt;
}

}  // namespace qb
