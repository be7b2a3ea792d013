#include "sensing/Access.h"

namespace qb {

std::string_view name(Access access) {
  switch (access) {
    case Access::granted:
      return "granted";
    case Access::denied:
      return "denied";
    case Access::notDetermined:
      return "notDetermined";
    case Access::notInstalled:
      return "notInstalled";
  }
  return {};
}

}  // namespace qb
