#include "platform/linux/X11Connection.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <array>
#include <cstdlib>
#include <mutex>

#include "base/Log.h"
#include "base/NoDestructor.h"

// Xlib's macros (None, Bool, Status) would break the headers above: X11 comes last.
#include <X11/Xlib.h>

namespace qb {

namespace {

// Errors kept for delivery between two turns of the event loop; a burst beyond this (a client
// flooding bad requests) is counted and reported as one line.
constexpr size_t kMaxPendingErrors = 256;

std::string describe(Display* display, const X11Error& error) {
  std::array<char, 128> text{};
  XGetErrorText(display, error.errorCode, text.data(), static_cast<int>(text.size()));
  return std::string(text.data()) + " (request " + std::to_string(error.requestCode) + "." +
         std::to_string(error.minorCode) + ", resource " + std::to_string(error.resource) +
         ", serial " + std::to_string(error.serial) + ")";
}

}  // namespace

// The process-wide side of error recording: which connection each display belongs to. Xlib calls
// the handler from inside whatever Xlib call met the error, on that call's thread.
struct X11ErrorRecorder {
  std::mutex mutex;
  std::map<Display*, X11Connection*> connections;

  static X11ErrorRecorder& instance() {
    static NoDestructor<X11ErrorRecorder> recorder;
    return *recorder;
  }

  static int handle(Display* display, XErrorEvent* event) {
    const X11Error error{event->serial, event->resourceid, event->error_code, event->request_code,
                         event->minor_code};
    X11ErrorRecorder& recorder = instance();
    std::lock_guard lock(recorder.mutex);
    auto found = recorder.connections.find(display);
    if (found != recorder.connections.end()) {
      found->second->record(error);
    } else {
      log::error("X error on a connection of another part of the program: " +
                 describe(display, error));
    }
    return 0;
  }

  void add(Display* display, X11Connection* connection) {
    std::lock_guard lock(mutex);
    connections[display] = connection;
    // Installed again with each connection, in case a library replaced it in between; the
    // handler it replaces may be the default one, which exits, so it is never chained to.
    XSetErrorHandler(&X11ErrorRecorder::handle);
  }

  void remove(Display* display) {
    std::lock_guard lock(mutex);
    connections.erase(display);
  }
};

std::unique_ptr<X11Connection> X11Connection::open() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') {
    log::info("No X display: DISPLAY is not set");
    return nullptr;
  }
  Display* display = XOpenDisplay(name);
  if (display == nullptr) {
    log::error(std::string("Cannot open the X display ") + name);
    return nullptr;
  }
  return std::unique_ptr<X11Connection>(new X11Connection(display));
}

bool X11Connection::reachable() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return false;
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return false;
  XCloseDisplay(display);
  return true;
}

X11Connection::X11Connection(Display* display)
    : display_(display), root_(DefaultRootWindow(display)) {
  X11ErrorRecorder::instance().add(display_, this);
  // Each request waits for its answer only when it has one; errors arrive in their own time.
  XSynchronize(display_, False);
  readable_ = std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
  connect(readable_.get(), &QSocketNotifier::activated, this, [this] { deliver(); });
}

X11Connection::~X11Connection() {
  readable_.reset();
  X11ErrorRecorder::instance().remove(display_);
  XCloseDisplay(display_);
}

XId X11Connection::atom(const char* name) {
  auto found = atoms_.find(name);
  if (found != atoms_.end()) return found->second;
  const Atom atom = XInternAtom(display_, name, False);
  atoms_.emplace(name, atom);
  return atom;
}

int X11Connection::addEventHandler(EventHandler handler) {
  eventHandlers_.emplace(++lastHandlerId_, std::move(handler));
  return lastHandlerId_;
}

int X11Connection::addErrorHandler(ErrorHandler handler) {
  errorHandlers_.emplace(++lastHandlerId_, std::move(handler));
  return lastHandlerId_;
}

void X11Connection::removeHandler(int id) {
  eventHandlers_.erase(id);
  errorHandlers_.erase(id);
}

void X11Connection::flush() {
  XFlush(display_);
  if (!pendingErrors_.empty() || XEventsQueued(display_, QueuedAlready) > 0) scheduleDelivery();
}

unsigned long X11Connection::nextRequest() const { return NextRequest(display_); }

bool X11Connection::failedSince(unsigned long serial) const {
  return anyError_ && lastErrorSerial_ >= serial;
}

void X11Connection::record(const X11Error& error) {
  anyError_ = true;
  lastErrorSerial_ = error.serial;
  if (pendingErrors_.size() < kMaxPendingErrors) {
    pendingErrors_.push_back(error);
  } else {
    ++droppedErrors_;
  }
}

void X11Connection::scheduleDelivery() {
  if (deliveryScheduled_) return;
  deliveryScheduled_ = true;
  QMetaObject::invokeMethod(
      this, [this] { deliver(); }, Qt::QueuedConnection);
}

void X11Connection::deliver() {
  deliveryScheduled_ = false;
  // XPending reads what the socket holds; handlers may make requests that queue more events, so
  // the queue is drained until it stays empty.
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    for (auto it = eventHandlers_.begin(); it != eventHandlers_.end();) {
      const int id = it->first;
      it->second(event);
      it = eventHandlers_.upper_bound(id);  // a handler may have removed handlers
    }
  }

  std::vector<X11Error> errors;
  errors.swap(pendingErrors_);
  if (droppedErrors_ > 0) {
    log::error("X errors: " + std::to_string(droppedErrors_) + " more were not kept");
    droppedErrors_ = 0;
  }
  for (const X11Error& error : errors) {
    // A window that went away between two requests is the usual case and no fault of ours.
    const bool vanished = error.errorCode == BadWindow || error.errorCode == BadDrawable;
    log::write(vanished ? log::Level::debug : log::Level::error,
               "X error: " + describe(display_, error));
    for (auto it = errorHandlers_.begin(); it != errorHandlers_.end();) {
      const int id = it->first;
      it->second(error);
      it = errorHandlers_.upper_bound(id);
    }
  }
  XFlush(display_);
}

}  // namespace qb
