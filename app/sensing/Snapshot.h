// Snapshot: one reading of what is in front, as the observer passes it on: the observation
// itself, the target that later actions act on, why the read ran and how long it took.

#pragma once

#include <sys/types.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/Moment.h"
#include "base/Date.h"
#include "platform/AXElement.h"
#include "sensing/Browsers.h"

namespace qb {

// Why a read ran (Observer::Cause).
enum class ObserverCause { appSwitch, titleChange, windowChange, settle, tick };

inline constexpr std::array<ObserverCause, 5> kAllObserverCauses = {
    ObserverCause::appSwitch, ObserverCause::titleChange, ObserverCause::windowChange,
    ObserverCause::settle, ObserverCause::tick};

// "switch", "title change", "window change", "settle" or "fallback tick": what the recording
// stores as a moment's cause.
std::string_view rawValue(ObserverCause cause);
// The cause whose raw value is exactly text; absent for any other text.
std::optional<ObserverCause> parseObserverCause(std::string_view text);

// What later actions act on: the front process, its focused window and its browser tab.
struct Target {
  pid_t pid = 0;
  std::string bundleID;
  AXElement window;           // empty when the focused window could not be read
  std::optional<TabRef> tab;  // outside the supported browsers, or unread, none
  friend bool operator==(const Target&, const Target&) = default;
};

struct Snapshot {
  Moment observation;
  Target target;
  ObserverCause cause = ObserverCause::tick;  // set by whoever passes the snapshot on
  Duration readTime = 0;                      // how long the read took, when passed on
  bool navigating = false;                    // set by the coordinator
};

}  // namespace qb
