// X11Connection: one Xlib connection to the X server of $DISPLAY, its events delivered from the
// Qt event loop of the thread that opened it, and its errors recorded instead of ending the
// process.
//
// Events are read when the connection's socket turns readable (a QSocketNotifier), and also
// after any call that may have left events in Xlib's queue: a reply read from the socket brings
// the events that came before it along, and the socket then has nothing to announce. Callers
// therefore call flush() after their requests; it sends what is buffered and, when events or
// errors wait, has them delivered from the event loop soon after, never inside the caller's call.
//
// Xlib reports a failed request (a window gone between two reads, a property too odd to read) to
// one error handler for the whole process, and the default one exits. Opening a connection
// installs a handler that records the error against its connection and lets the program go on.
// Requests that answer report their failure through their own result as well; a request without
// an answer (XSelectInput on a window that vanished) is known only through the errors delivered
// to the error handlers below.
//
// Everything runs on the opening thread. The connection must outlive every object that uses its
// display, and must not be destroyed from inside one of its own handlers.

#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;
struct _XDisplay;
union _XEvent;

namespace qb {

// An X resource id: a window, an atom. The same as Xlib's XID.
using XId = unsigned long;

// One failed request, as the error handler saw it.
struct X11Error {
  unsigned long serial = 0;  // the failed request's sequence number
  XId resource = 0;          // the window or other resource it named
  int errorCode = 0;         // BadWindow, BadMatch, ...
  int requestCode = 0;       // the request's major opcode
  int minorCode = 0;
};

class X11Connection : public QObject {
  Q_OBJECT

public:
  using EventHandler = std::function<void(_XEvent& event)>;
  using ErrorHandler = std::function<void(const X11Error& error)>;

  // Opens $DISPLAY; null, with the reason logged, when there is none or it cannot be reached.
  static std::unique_ptr<X11Connection> open();
  // Whether $DISPLAY names an X server that lets this process connect: one connection is opened
  // and closed again. Logs nothing, so that a caller can say it in its own words.
  static bool reachable();
  ~X11Connection() override;

  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;

  _XDisplay* display() const { return display_; }
  XId root() const { return root_; }
  // The atom of the name, interned once per connection.
  XId atom(const char* name);

  // Each event read is handed to every event handler, each error recorded to every error
  // handler, in the order they were added, from the event loop. Answers an id for remove.
  int addEventHandler(EventHandler handler);
  int addErrorHandler(ErrorHandler handler);
  void removeHandler(int id);

  // Sends buffered requests, and arranges for queued events and recorded errors to be delivered.
  void flush();

  // The serial number the next request will get; with failedSince(), tells whether the requests
  // made in between failed (those that answer must have been answered by then).
  unsigned long nextRequest() const;
  bool failedSince(unsigned long serial) const;

private:
  friend struct X11ErrorRecorder;

  explicit X11Connection(_XDisplay* display);
  void record(const X11Error& error);
  void deliver();
  void scheduleDelivery();

  _XDisplay* display_;  // owned: closed on destruction
  XId root_;
  std::unique_ptr<QSocketNotifier> readable_;
  std::map<std::string, XId> atoms_;
  std::map<int, EventHandler> eventHandlers_;
  std::map<int, ErrorHandler> errorHandlers_;
  int lastHandlerId_ = 0;
  std::vector<X11Error> pendingErrors_;  // recorded, not yet delivered; bounded
  size_t droppedErrors_ = 0;             // recorded beyond the bound since the last delivery
  unsigned long lastErrorSerial_ = 0;    // of the latest error recorded; 0 before any
  bool anyError_ = false;
  bool deliveryScheduled_ = false;
};

}  // namespace qb
