#include "platform/linux/X11InputMonitor.h"

#include "base/Log.h"

// Xlib's macros would break Qt's headers: X11 comes last.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/scrnsaver.h>

namespace qb {

namespace {

// Raw events reach the root window whatever grabs other clients hold from this version on.
constexpr int kInputMajor = 2;
constexpr int kInputMinor = 2;
constexpr double kMillisecondsPerSecond = 1000.0;

bool isClick(int button) { return button == 1 || button == 3; }
bool isScroll(int button) { return button >= 4 && button <= 7; }

}  // namespace

X11InputMonitor::X11InputMonitor(X11Connection& connection) : connection_(connection) {
  Display* display = connection_.display();
  int eventBase = 0, errorBase = 0;
  hasScreenSaver_ = XScreenSaverQueryExtension(display, &eventBase, &errorBase);
  if (!hasScreenSaver_) log::info("The X server has no screen saver extension: idle time reads 0");

  int opcode = 0, major = kInputMajor, minor = kInputMinor;
  if (XQueryExtension(display, "XInputExtension", &opcode, &eventBase, &errorBase) &&
      XIQueryVersion(display, &major, &minor) == Success && major >= 2) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    const unsigned long serial = connection_.nextRequest();
    if (XISelectEvents(display, connection_.root(), &mask, 1) == Success) {
      inputOpcode_ = opcode;
    }
    XSync(display, False);  // once, so that a refused selection is known now
    if (connection_.failedSince(serial)) {
      inputOpcode_ = -1;
      log::error("Cannot select XInput 2 raw events: input is not counted");
    }
  } else {
    log::error("The X server has no XInput 2: input is not counted");
  }
  eventHandler_ = connection_.addEventHandler([this](XEvent& event) { handle(event); });
  connection_.flush();
}

X11InputMonitor::~X11InputMonitor() { connection_.removeHandler(eventHandler_); }

Duration X11InputMonitor::secondsSinceLastInput() const {
  if (!hasScreenSaver_) return 0;
  XScreenSaverInfo* info = XScreenSaverAllocInfo();
  if (info == nullptr) return 0;
  Duration idle = 0;
  if (XScreenSaverQueryInfo(connection_.display(), connection_.root(), info)) {
    idle = static_cast<double>(info->idle) / kMillisecondsPerSecond;
  }
  XFree(info);
  connection_.flush();
  return idle;
}

void X11InputMonitor::handle(XEvent& event) {
  XGenericEventCookie& cookie = event.xcookie;
  if (inputOpcode_ < 0 || cookie.type != GenericEvent || cookie.extension != inputOpcode_) return;
  switch (cookie.evtype) {
    case XI_RawKeyPress:
      ++counts_.keys;
      break;
    case XI_RawMotion:
      ++counts_.moves;
      break;
    case XI_RawButtonPress: {
      // The event's data is fetched once and shared: another handler may have fetched it.
      const bool fetched = cookie.data == nullptr && XGetEventData(connection_.display(), &cookie);
      if (cookie.data != nullptr) {
        const int button = static_cast<const XIRawEvent*>(cookie.data)->detail;
        if (isClick(button)) ++counts_.clicks;
        if (isScroll(button)) ++counts_.scrolls;
      }
      if (fetched) XFreeEventData(connection_.display(), &cookie);
      break;
    }
    default:
      break;
  }
}

}  // namespace qb
