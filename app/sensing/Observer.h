// Observer: where every observation begins. It watches which application is in front, which of
// its windows has the focus and that window's title (and, in the supported browsers, the front
// tab), and turns each change into a Snapshot; it also reports the machine going away and coming
// back as the words "sleep", "wake", "screens sleep", "screens wake", "lock" and "unlock".
//
// Reading is event-driven and coalesced. An application switch schedules a read 0.1 s later and
// a settle read 1.2 s after it; a window or title change schedules one 0.25 s later; the
// coordinator's tick asks for one at once. At most one read is pending: a request due no earlier
// than the pending one is dropped with its cause, an earlier one replaces it. Even a zero delay
// reads later, from the main loop, never inside the call. A read is passed to onChange only when
// the observation's key differs from the last one passed; when the front turns unreadable
// (no accessibility permission, a password being typed, nothing in front, an excluded application
// or site) an empty report is passed once.
//
// Every successful read() consumes one identifier, passed on or not, so the identifiers onChange
// sees increase but are not contiguous.
//
// Main thread only. The platform services, timers and clocks given to the constructor must
// outlive the observer; destroying it cancels its pending work and its registrations.

#pragma once

#include <sys/types.h>

#include <QMetaObject>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Clock.h"
#include "base/Runtime.h"
#include "base/WallClock.h"
#include "platform/AXElement.h"
#include "sensing/Snapshot.h"

namespace qb {

class Accessibility;
class AXObserver;
class Workspace;

class Observer {
public:
  using Cause = ObserverCause;

  // Delays of the scheduled reads.
  static constexpr Duration kSwitchDelay = 0.1;
  static constexpr Duration kChangeDelay = 0.25;
  static constexpr Duration kSettleDelay = 1.2;
  // The most scalars of a page's address and of a document's name that a snapshot keeps, as the
  // title has its bound: an address can carry a whole page or picture (data:), which would swell
  // every key, recorded row and model input. A longer address is cut there, after the excluded
  // sites were tested on the whole of it. A cut address is kept only when it still parses with the
  // whole one's scheme, user, password, host and port: a cut inside the authority is not kept.
  static constexpr size_t kMaxAddressScalars = 2048;

  // Inactive until start(); callbacks unset, both exclusion tests answering false.
  Observer(Workspace& workspace, Accessibility& accessibility, Timers& timers,
           const MonotonicClock& clock, const WallClock& wallClock);
  ~Observer();

  Observer(const Observer&) = delete;
  Observer& operator=(const Observer&) = delete;

  // Each changed snapshot, or none when the front turned unreadable or excluded.
  std::function<void(std::optional<Snapshot>)> onChange;
  // away and the event word, on sleep, wake, screen sleep and wake, lock and unlock.
  std::function<void(bool away, std::string_view event)> onAway;
  // Whether a desktop-file id is never to be read.
  std::function<bool(const std::string& bundleID)> isExcludedApp;
  // Whether a lower-cased host (as written in the address, "www." kept) is never to be read.
  std::function<bool(const std::string& host)> isExcludedHost;

  // Registers for the desktop's events and observes the front application. Called once.
  void start();
  // Asks for a read after `after` seconds, coalesced with the pending one.
  void scheduleRead(Duration after, Cause cause);
  // What is in front now, without passing it on and without touching the last key. Its cause is
  // tick and its read time zero.
  std::optional<Snapshot> read();
  // Forgets the observed process and the last key, and handles the front application as newly
  // activated, so that the next read is passed on even if nothing changed.
  void refresh();

private:
  void frontmostChanged();
  void attach(pid_t pid);
  void detach();
  void watch(const AXElement& window);
  void emitIfChanged(Cause cause);
  void axCallback(std::string_view notification);
  void cancelSettle();

  Workspace& workspace_;
  Accessibility& accessibility_;
  Timers& timers_;
  const MonotonicClock& clock_;
  const WallClock& wallClock_;

  std::unique_ptr<AXObserver> axObserver_;       // attached to observedPID_, or null
  pid_t observedPID_ = 0;                        // 0 while detached
  AXElement observedWindow_;                     // whose title changes are watched
  std::optional<Timers::Id> settleRead_;         // the settle of the last switch
  std::optional<Timers::Id> pendingRead_;        // the one pending read
  std::optional<Duration> readDue_;              // on clock_; set exactly while a read waits
  std::optional<std::string> lastKey_;           // "-" after an empty report
  uint64_t nextID_ = 1;                          // the next Moment's identifier
  std::vector<QMetaObject::Connection> tokens_;  // the seven registrations made by start()
};

}  // namespace qb
