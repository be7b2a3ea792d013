// X11Desktop: the windows of the X session as the program reads them: which one is active, and
// each one's title, process, class, frame and application; and signals when those change.
//
// Reads go to the X server at once (one or a few round trips each) and answer nothing (0, none,
// empty) for a window that does not exist or has gone: other programs' windows vanish at any
// moment, and an X error is never fatal. Text is returned as the window's owner wrote it, at
// most kMaxTitleBytes of it and possibly not valid UTF-8; the layer above repairs it.
//
// Signals come from the Qt event loop of the thread that opened the desktop, driven by the
// connection's events; nothing polls. activeWindowChanged never repeats a window, and reports
// "no active window" only once it has lasted kNoActiveWindowGrace, since the window manager
// passes through None for an instant at every switch. A window manager may go on naming a window
// after it closed: that dead window is reported destroyed once and not reported again until the
// server gives its id to a new window. The active window is always watched for its title; other
// windows are watched while a caller asks (watch/unwatch, counted). Windows are known by id: once
// an id belongs to a new window, watching it watches that window (its moves and resizes are told
// against its own frame, not the old window's), and news of the old window's end that arrives
// after the new one was watched is not reported.
//
// Owns its X connection, which the input monitor and the key poster may share; they must not
// outlive it.

#pragma once

#include <sys/types.h>

#include <QObject>
#include <QTimer>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/DesktopEntries.h"
#include "platform/Geometry.h"
#include "platform/Workspace.h"
#include "platform/linux/X11Connection.h"

namespace qb {

// A top-level client window of the X server; 0 names none.
using WindowId = XId;

// WM_CLASS: the instance name (from the command line or the program) and the class name.
struct WindowClass {
  std::string instance;
  std::string className;
  friend bool operator==(const WindowClass&, const WindowClass&) = default;
};

class X11Desktop : public QObject {
  Q_OBJECT

public:
  // The most of a title or class property read; a longer one is cut at this many bytes.
  static constexpr size_t kMaxTitleBytes = 64 * 1024;
  // How long _NET_ACTIVE_WINDOW must stay None before "no active window" is reported.
  static constexpr std::chrono::milliseconds kNoActiveWindowGrace{50};

  // Connects to $DISPLAY; null, with the reason logged, when there is no display. The desktop
  // entries are those of the environment.
  static std::unique_ptr<X11Desktop> open();
  ~X11Desktop() override;

  X11Connection& connection() { return *connection_; }

  // _NET_ACTIVE_WINDOW of the root window; 0 for none.
  WindowId activeWindow();
  // The process that owns the window: the X server's own record of the client (XRes), else the
  // window's _NET_WM_PID; 0 when neither is known.
  pid_t pid(WindowId window);
  // _NET_WM_NAME, else WM_NAME converted to UTF-8; none when the window has neither.
  std::optional<std::string> title(WindowId window);
  WindowClass windowClass(WindowId window);
  // The window's outer frame on the screen, with the window manager's decorations.
  std::optional<Rect> frame(WindowId window);
  // The window's process and its desktop entry's id and name (the WM_CLASS class without an
  // entry). This program's own windows are always kApplicationID and kApplicationName.
  RunningApplication application(WindowId window);
  // The default screen's size.
  Size screenSize();

  // The managed windows, bottom to top (_NET_CLIENT_LIST_STACKING).
  std::vector<WindowId> clientWindows();
  // Asks the window manager to make the window the active one, as a pager does. False when the
  // request could not be sent.
  bool activate(WindowId window);
  // Asks the window manager to iconify the window.
  bool minimize(WindowId window);

  // Reports titleChanged, windowMoved, windowResized and windowDestroyed of the window until as
  // many unwatch calls as watch calls were made. A window that is already gone reports
  // windowDestroyed; a window that ended before this call, its id now another window's, does
  // not. Watching 0 does nothing.
  void watch(WindowId window);
  void unwatch(WindowId window);

signals:
  void activeWindowChanged(qb::WindowId window);
  void titleChanged(qb::WindowId window);
  void windowMoved(qb::WindowId window);
  void windowResized(qb::WindowId window);
  void windowDestroyed(qb::WindowId window);
  // The screen saver started (the screens went dark) or ended.
  void screenSaverChanged(bool on);

private:
  struct Watch {
    int count = 0;
    // The serial of its latest XSelectInput: errors and destructions older than it may be about
    // an earlier window that had the id.
    unsigned long since = 0;
    std::optional<Rect> frame;  // the last one reported, to tell a move from a resize
  };

  X11Desktop(std::unique_ptr<X11Connection> connection, std::unique_ptr<DesktopEntries> entries);
  void handle(_XEvent& event);
  void handleError(const X11Error& error);
  void activeWindowMayHaveChanged();
  void report(WindowId active);
  void reportConfigured();
  void destroyed(WindowId window);
  // Whether a window of the id exists now, as the server answers.
  bool exists(WindowId window);
  // A property of 8-bit items, at most maxBytes of it; none when it is missing or unreadable.
  std::optional<std::string> readText(WindowId window, XId property, size_t maxBytes,
                                      XId* type = nullptr);
  // A property of 32-bit items of the type, at most `count` of them.
  std::vector<unsigned long> readNumbers(WindowId window, XId property, XId type, size_t count);
  // The most windows read from the client list: more than any desktop shows.
  static constexpr size_t kMaxClientWindows = 4096;

  std::unique_ptr<X11Connection> connection_;
  std::unique_ptr<DesktopEntries> entries_;
  std::map<WindowId, Watch> watches_;
  WindowId reported_ = 0;  // the last active window reported (watched while non-zero)
  // The reported window was destroyed: its id may come back as a new window's, which is news;
  // until then the window manager's naming it is not.
  bool reportedGone_ = false;
  QTimer noActiveWindowTimer_;     // running while None waits out its grace
  std::set<WindowId> configured_;  // watched windows with a ConfigureNotify not yet looked at
  bool hasXRes_ = false;
  int screenSaverEventBase_ = -1;  // -1 without the screen saver extension
  bool screenSaverOn_ = false;
  int eventHandler_ = 0;
  int errorHandler_ = 0;
};

}  // namespace qb
