#include "platform/linux/X11Desktop.h"

#include <unistd.h>

#include <QMetaObject>

#include "base/Log.h"
#include "platform/ApplicationIdentity.h"

// Xlib's macros (None, Bool, Status) would break Qt's headers: X11 comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/scrnsaver.h>

namespace qb {

namespace {

// WM_CLASS holds two short names; a longer property is cut here.
constexpr size_t kMaxClassBytes = 4096;
// XGetWindowProperty counts lengths in 32-bit units.
constexpr size_t kPropertyUnit = 4;

// ICCCM's STRING is Latin-1; each byte is the code point of the same value.
std::string latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

// Whether Xlib's queue holds the end of an earlier window of the id: a DestroyNotify sent before
// the request of serial `since`. Only looks: every event stays queued for the event handler.
bool earlierEndQueued(Display* display, Window window, unsigned long since) {
  struct Look {
    Window window;
    unsigned long since;
    bool found = false;
  } look{window, since};
  const auto matches = [](Display*, XEvent* event, XPointer argument) -> Bool {
    auto* sought = reinterpret_cast<Look*>(argument);
    if (event->type == DestroyNotify && event->xdestroywindow.window == sought->window &&
        event->xdestroywindow.serial < sought->since) {
      sought->found = true;
    }
    return False;
  };
  XEvent picked;
  XCheckIfEvent(display, &picked, matches, reinterpret_cast<XPointer>(&look));
  return look.found;
}

}  // namespace

std::unique_ptr<X11Desktop> X11Desktop::open() {
  auto connection = X11Connection::open();
  if (!connection) return nullptr;
  return std::unique_ptr<X11Desktop>(
      new X11Desktop(std::move(connection), std::make_unique<DesktopEntries>()));
}

X11Desktop::X11Desktop(std::unique_ptr<X11Connection> connection,
                       std::unique_ptr<DesktopEntries> entries)
    : connection_(std::move(connection)), entries_(std::move(entries)) {
  Display* display = connection_->display();
  const Window root = connection_->root();

  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  // Client ids (and so pids) came with version 1.2 of the resource extension.
  hasXRes_ = XResQueryExtension(display, &eventBase, &errorBase) &&
             XResQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 2));
  if (!hasXRes_) log::info("The X server cannot tell client pids: using _NET_WM_PID alone");

  if (XScreenSaverQueryExtension(display, &eventBase, &errorBase)) {
    screenSaverEventBase_ = eventBase;
    XScreenSaverSelectInput(display, root, ScreenSaverNotifyMask);
    if (XScreenSaverInfo* info = XScreenSaverAllocInfo()) {
      if (XScreenSaverQueryInfo(display, root, info)) screenSaverOn_ = info->state == ScreenSaverOn;
      XFree(info);
    }
  } else {
    log::info("The X server has no screen saver extension: the screens' sleep is not reported");
  }

  XSelectInput(display, root, PropertyChangeMask);
  eventHandler_ = connection_->addEventHandler([this](XEvent& event) { handle(event); });
  errorHandler_ =
      connection_->addErrorHandler([this](const X11Error& error) { handleError(error); });

  noActiveWindowTimer_.setSingleShot(true);
  noActiveWindowTimer_.setInterval(kNoActiveWindowGrace);
  connect(&noActiveWindowTimer_, &QTimer::timeout, this, [this] { report(activeWindow()); });

  reported_ = activeWindow();
  watch(reported_);
  connection_->flush();
}

X11Desktop::~X11Desktop() {
  connection_->removeHandler(eventHandler_);
  connection_->removeHandler(errorHandler_);
}

std::optional<std::string> X11Desktop::readText(WindowId window, XId property, size_t maxBytes,
                                                XId* type) {
  if (window == 0) return std::nullopt;
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long items = 0, bytesAfter = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(
      connection_->display(), window, property, 0, static_cast<long>(maxBytes / kPropertyUnit),
      False, AnyPropertyType, &actualType, &actualFormat, &items, &bytesAfter, &data);
  std::optional<std::string> text;
  if (status == Success && actualType != None && actualFormat == 8 && data != nullptr) {
    text.emplace(reinterpret_cast<const char*>(data), items);
    if (type != nullptr) *type = actualType;
  }
  if (data != nullptr) XFree(data);
  return text;
}

std::vector<unsigned long> X11Desktop::readNumbers(WindowId window, XId property, XId type,
                                                   size_t count) {
  std::vector<unsigned long> numbers;
  if (window == 0) return numbers;
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long items = 0, bytesAfter = 0;
  unsigned char* data = nullptr;
  const int status =
      XGetWindowProperty(connection_->display(), window, property, 0, static_cast<long>(count),
                         False, type, &actualType, &actualFormat, &items, &bytesAfter, &data);
  if (status == Success && actualType == type && actualFormat == 32 && data != nullptr) {
    // Xlib hands 32-bit items over as longs, whatever the width of a long.
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    numbers.assign(values, values + std::min<size_t>(items, count));
  }
  if (data != nullptr) XFree(data);
  return numbers;
}

WindowId X11Desktop::activeWindow() {
  const auto active =
      readNumbers(connection_->root(), connection_->atom("_NET_ACTIVE_WINDOW"), XA_WINDOW, 1);
  connection_->flush();
  return active.empty() ? 0 : active.front();
}

pid_t X11Desktop::pid(WindowId window) {
  if (window == 0) return 0;
  pid_t found = 0;
  if (hasXRes_) {
    XResClientIdSpec spec{window, XRES_CLIENT_ID_PID_MASK};
    long count = 0;
    XResClientIdValue* values = nullptr;
    if (XResQueryClientIds(connection_->display(), 1, &spec, &count, &values) == Success) {
      for (long i = 0; i < count && found <= 0; ++i) {
        if (values[i].spec.mask & XRES_CLIENT_ID_PID_MASK) found = XResGetClientPid(&values[i]);
      }
    }
    if (values != nullptr) XResClientIdsDestroy(count, values);
  }
  if (found <= 0) {
    const auto pids = readNumbers(window, connection_->atom("_NET_WM_PID"), XA_CARDINAL, 1);
    found = pids.empty() ? 0 : static_cast<pid_t>(pids.front());
  }
  connection_->flush();
  return found > 0 ? found : 0;
}

std::optional<std::string> X11Desktop::title(WindowId window) {
  auto title = readText(window, connection_->atom("_NET_WM_NAME"), kMaxTitleBytes);
  if (!title) {
    XId type = None;
    title = readText(window, XA_WM_NAME, kMaxTitleBytes, &type);
    if (title && type != connection_->atom("UTF8_STRING")) {
      XTextProperty property{reinterpret_cast<unsigned char*>(title->data()), type, 8,
                             title->size()};
      char** list = nullptr;
      int count = 0;
      // A positive answer counts characters without an equivalent, which become '?'.
      const int converted =
          Xutf8TextPropertyToTextList(connection_->display(), &property, &list, &count);
      if (converted >= Success && list != nullptr && count > 0) {
        std::string text;
        for (int i = 0; i < count; ++i) text += list[i];
        *title = std::move(text);
      } else if (type == XA_STRING) {
        *title = latin1ToUtf8(*title);
      }
      if (list != nullptr) XFreeStringList(list);
    }
  }
  connection_->flush();
  return title;
}

WindowClass X11Desktop::windowClass(WindowId window) {
  WindowClass result;
  if (auto bytes = readText(window, XA_WM_CLASS, kMaxClassBytes)) {
    const std::string_view names = *bytes;
    const size_t end = names.find('\0');
    result.instance = std::string(names.substr(0, end));
    if (end != std::string_view::npos) {
      const std::string_view rest = names.substr(end + 1);
      result.className = std::string(rest.substr(0, rest.find('\0')));
    }
  }
  connection_->flush();
  return result;
}

std::optional<Rect> X11Desktop::frame(WindowId window) {
  if (window == 0) return std::nullopt;
  Display* display = connection_->display();
  Window root = None, child = None;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  std::optional<Rect> frame;
  if (XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth) &&
      XTranslateCoordinates(display, window, connection_->root(), 0, 0, &x, &y, &child)) {
    frame = Rect{{double(x) - border, double(y) - border},
                 {double(width) + 2.0 * border, double(height) + 2.0 * border}};
    // left, right, top, bottom: the window manager's decorations around the window
    const auto extents =
        readNumbers(window, connection_->atom("_NET_FRAME_EXTENTS"), XA_CARDINAL, 4);
    if (extents.size() == 4) {
      frame->origin.x -= double(extents[0]);
      frame->origin.y -= double(extents[2]);
      frame->size.width += double(extents[0] + extents[1]);
      frame->size.height += double(extents[2] + extents[3]);
    }
  }
  connection_->flush();
  return frame;
}

RunningApplication X11Desktop::application(WindowId window) {
  RunningApplication application;
  if (window == 0) return application;
  application.pid = pid(window);
  if (application.pid == ::getpid()) {
    application.bundleID = std::string(kApplicationID);
    application.localizedName = std::string(kApplicationName);
    return application;
  }
  WindowClass names = windowClass(window);
  application.bundleID = entries_->applicationID(
      {names.instance, names.className, DesktopEntries::programsOf(application.pid)});
  if (application.bundleID) application.localizedName = entries_->name(*application.bundleID);
  if (!application.localizedName && !names.className.empty()) {
    application.localizedName = names.className;
  }
  return application;
}

Size X11Desktop::screenSize() {
  Display* display = connection_->display();
  Window root = None;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  // Asked of the server rather than taken from Xlib's copy, which a screen change leaves stale.
  Size size;
  if (XGetGeometry(display, connection_->root(), &root, &x, &y, &width, &height, &border, &depth)) {
    size = {double(width), double(height)};
  } else {
    const int screen = DefaultScreen(display);
    size = {double(DisplayWidth(display, screen)), double(DisplayHeight(display, screen))};
  }
  connection_->flush();
  return size;
}

std::vector<WindowId> X11Desktop::clientWindows() {
  const std::vector<unsigned long> windows =
      readNumbers(connection_->root(), connection_->atom("_NET_CLIENT_LIST_STACKING"), XA_WINDOW,
                  kMaxClientWindows);
  connection_->flush();
  return {windows.begin(), windows.end()};
}

bool X11Desktop::activate(WindowId window) {
  if (window == 0) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = connection_->atom("_NET_ACTIVE_WINDOW");
  event.xclient.format = 32;
  // Source 2: a pager, which window managers obey without focus-stealing prevention; the user
  // asked for the window by answering the prompt.
  event.xclient.data.l[0] = 2;
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(connection_->display(), connection_->root(), False,
                                 SubstructureRedirectMask | SubstructureNotifyMask, &event);
  connection_->flush();
  return sent != 0;
}

bool X11Desktop::minimize(WindowId window) {
  if (window == 0) return false;
  Display* display = connection_->display();
  const Status sent = XIconifyWindow(display, window, DefaultScreen(display));
  connection_->flush();
  return sent != 0;
}

void X11Desktop::watch(WindowId window) {
  if (window == 0) return;
  Watch& watch = watches_[window];
  // Selected again for every caller: the id may have passed to a new window since the first
  // watch, and news of the old one's end that the server sent before this selection is then no
  // longer about the window watched. A window already gone answers BadWindow, which handleError
  // turns into windowDestroyed.
  watch.since = connection_->nextRequest();
  XSelectInput(connection_->display(), window, PropertyChangeMask | StructureNotifyMask);
  // The frame's reply brings along every event sent before it. An earlier window's end among them
  // means the frame kept is that window's: the new window's moves are told against its own.
  const std::optional<Rect> now = frame(window);
  if (watch.count++ == 0 || earlierEndQueued(connection_->display(), window, watch.since)) {
    watch.frame = now;
  }
  connection_->flush();
}

void X11Desktop::unwatch(WindowId window) {
  auto found = watches_.find(window);
  if (found == watches_.end()) return;
  if (--found->second.count > 0) return;
  watches_.erase(found);
  XSelectInput(connection_->display(), window, NoEventMask);
  connection_->flush();
}

bool X11Desktop::exists(WindowId window) {
  XWindowAttributes attributes;
  const bool found = XGetWindowAttributes(connection_->display(), window, &attributes) != 0;
  connection_->flush();
  return found;
}

void X11Desktop::destroyed(WindowId window) {
  watches_.erase(window);
  configured_.erase(window);
  emit windowDestroyed(window);
  if (window == reported_) {
    reportedGone_ = true;
    activeWindowMayHaveChanged();
  }
}

void X11Desktop::handle(XEvent& event) {
  if (event.type == PropertyNotify) {
    const XPropertyEvent& property = event.xproperty;
    if (property.window == connection_->root()) {
      if (property.atom == connection_->atom("_NET_ACTIVE_WINDOW")) activeWindowMayHaveChanged();
    } else if (watches_.count(property.window) != 0 &&
               (property.atom == XA_WM_NAME ||
                property.atom == connection_->atom("_NET_WM_NAME"))) {
      emit titleChanged(property.window);
    }
  } else if (event.type == ConfigureNotify) {
    // A drag sends a burst; the frame is read once for all those read in one go.
    const Window window = event.xconfigure.window;
    if (watches_.count(window) == 0) return;
    if (configured_.empty()) {
      QMetaObject::invokeMethod(
          this, [this] { reportConfigured(); }, Qt::QueuedConnection);
    }
    configured_.insert(window);
  } else if (event.type == DestroyNotify) {
    const Window window = event.xdestroywindow.window;
    auto found = watches_.find(window);
    // Sent before the latest watch: the end of an earlier window with the same id.
    if (found == watches_.end() || event.xdestroywindow.serial < found->second.since) return;
    destroyed(window);
  } else if (screenSaverEventBase_ >= 0 &&
             event.type == screenSaverEventBase_ + ScreenSaverNotify) {
    const auto& saver = reinterpret_cast<const XScreenSaverNotifyEvent&>(event);
    if (saver.state != ScreenSaverOn && saver.state != ScreenSaverOff) return;
    const bool on = saver.state == ScreenSaverOn;
    if (on == screenSaverOn_) return;
    screenSaverOn_ = on;
    emit screenSaverChanged(on);
  }
}

void X11Desktop::handleError(const X11Error& error) {
  if (error.errorCode != BadWindow && error.errorCode != BadDrawable) return;
  auto found = watches_.find(error.resource);
  // An error older than the watch is about an earlier window that had the same id.
  if (found == watches_.end() || error.serial < found->second.since) return;
  destroyed(error.resource);
}

void X11Desktop::activeWindowMayHaveChanged() {
  const WindowId active = activeWindow();
  if (active != 0) {
    noActiveWindowTimer_.stop();
    report(active);
  } else if (reported_ != 0 && !noActiveWindowTimer_.isActive()) {
    noActiveWindowTimer_.start();
  }
}

void X11Desktop::report(WindowId active) {
  // The window manager may go on naming the reported window after it closed; the id is news
  // again only once the server has given it to a new window. Watching the dead one again would
  // answer BadWindow, report it destroyed and bring it back here, round and round.
  if (active == reported_ && (!reportedGone_ || !exists(active))) return;
  const WindowId previous = reported_;
  const bool previousWatched = !reportedGone_;  // a destroyed window's watch is gone already
  reported_ = active;
  reportedGone_ = false;
  watch(active);
  if (previousWatched) unwatch(previous);
  emit activeWindowChanged(active);
}

void X11Desktop::reportConfigured() {
  std::set<WindowId> windows;
  windows.swap(configured_);
  for (WindowId window : windows) {
    auto found = watches_.find(window);
    if (found == watches_.end()) continue;
    const std::optional<Rect> now = frame(window);
    if (!now) continue;
    const std::optional<Rect> before = std::exchange(found->second.frame, now);
    if (!before) continue;
    const bool moved = before->origin != now->origin;
    const bool resized = before->size != now->size;
    if (moved) emit windowMoved(window);
    // A slot of windowMoved may have stopped watching it.
    if (resized && watches_.count(window) != 0) emit windowResized(window);
  }
}

}  // namespace qb
