// X11InputMonitor: the user's input as the X server sees it. The idle time is the screen saver
// extension's count since the last input of any device; the counts are kept from XInput 2's raw
// events on the root window, which arrive whatever window has the focus and need no grab.
//
// Counted: every key press; presses of buttons 1 and 3 (left and right) as clicks; of buttons 4
// to 7 (the wheel, both ways and sideways) as scroll steps; every relative pointer motion. An
// absolute warp of the pointer (a program moving it) is not input and is not counted. The
// counts come in with the connection's events, so a reading is as recent as the event loop's
// last turn.
//
// Listens on a connection it shares (typically the X11Desktop's), which must outlive it.

#pragma once

#include "platform/InputMonitor.h"
#include "platform/linux/X11Connection.h"

namespace qb {

class X11InputMonitor final : public InputMonitor {
public:
  // Without XInput 2 the counts stay at zero, and without the screen saver extension the idle
  // time reads 0; either is logged here.
  explicit X11InputMonitor(X11Connection& connection);
  ~X11InputMonitor() override;

  X11InputMonitor(const X11InputMonitor&) = delete;
  X11InputMonitor& operator=(const X11InputMonitor&) = delete;

  Duration secondsSinceLastInput() const override;
  InputCounts counts() const override { return counts_; }

private:
  void handle(_XEvent& event);

  X11Connection& connection_;
  int inputOpcode_ = -1;  // XInput's major opcode; -1 without XInput 2
  bool hasScreenSaver_ = false;
  int eventHandler_ = 0;
  InputCounts counts_;
};

}  // namespace qb
