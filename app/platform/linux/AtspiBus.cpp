#include "platform/linux/AtspiBus.h"

#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDBusConnection>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "base/Log.h"
#include "platform/linux/AccessibilityBusStatus.h"
#include "platform/linux/AtspiCall.h"
#include "platform/linux/AtspiNode.h"

namespace qb {

namespace {

using atspi::CallError;
using atspi::Ref;

constexpr const char* kFocusEvent = "object:state-changed:focused";
// libatspi waits longer than the timeout for a program it has known for less than this many
// milliseconds (15 s by default); -1 turns that grace off, so a program that hangs while starting
// costs no more than one that hangs later.
constexpr int kNoStartupGrace = -1;

struct EventFree {
  void operator()(AtspiEvent* event) const { g_boxed_free(ATSPI_TYPE_EVENT, event); }
};

// The process that published an application element, or nullopt.
std::optional<pid_t> processOf(AtspiAccessible* application) {
  CallError error("GetConnectionUnixProcessID", application);
  guint pid = atspi_accessible_get_process_id(application, error.out());
  if (error.failed() || pid == 0 || pid > static_cast<guint>(std::numeric_limits<pid_t>::max()))
    return std::nullopt;
  return static_cast<pid_t>(pid);
}

bool hasState(AtspiAccessible* accessible, AtspiStateType state) {
  Ref<AtspiStateSet> states{atspi_accessible_get_state_set(accessible)};
  return states && atspi_state_set_contains(states.get(), state);
}

bool nameEquals(AtspiAccessible* accessible, std::string_view title) {
  return atspi::textProperty(accessible, "Name") == title;
}

bool isPasswordField(AtspiAccessible* accessible) {
  CallError error("GetRole", accessible);
  AtspiRole role = atspi_accessible_get_role(accessible, error.out());
  return !error.failed() && role == ATSPI_ROLE_PASSWORD_TEXT;
}

// Applications of the desktop published by `pid`, in the desktop's order, until `visit` answers
// true. A process may publish more than one (two toolkits in one program).
template <class Visit>
void forEachApplicationOf(pid_t pid, Visit visit) {
  Ref<AtspiAccessible> desktop{atspi_get_desktop(0)};
  if (!desktop) return;
  CallError countError("GetChildCount (desktop)", desktop.get());
  gint count = atspi_accessible_get_child_count(desktop.get(), countError.out());
  if (countError.failed()) return;
  for (gint i = 0; i < count && i < AtspiBus::kMaxApplicationsExamined; ++i) {
    CallError error("GetChildAtIndex (desktop)", desktop.get());
    Ref<AtspiAccessible> application{
        atspi_accessible_get_child_at_index(desktop.get(), i, error.out())};
    if (error.failed() || !application) continue;
    if (processOf(application.get()) != pid) continue;
    if (visit(std::move(application))) return;
  }
}

// GLib's messages (libatspi's warnings about programs it reads) as lines of the program's log.
// GLib's own handler puts an empty line before each warning on standard error, and never reaches
// the journal under the program's name. GLib's rule for its debug messages (G_MESSAGES_DEBUG)
// still chooses which of those are written.
void logGlibMessage(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
  if (g_log_writer_default_would_drop(level, domain)) return;
  constexpr auto kErrors = G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING;
  const std::string text = message ? message : "";
  log::write((level & kErrors) != 0 ? log::Level::error : log::Level::info,
             domain ? std::string(domain) + ": " + text : text);
}

}  // namespace

std::unique_ptr<AtspiBus> AtspiBus::open() {
  // Before the bus can have anything to say. The default handler rather than a log writer, which
  // GLib lets a process set only once: libatspi's messages come through g_log, and so reach it.
  g_log_set_default_handler(logGlibMessage, nullptr);
  int result = atspi_init();
  // 1 means an earlier open() connected already; the connection is shared.
  if (result != 0 && result != 1) {
    log::error("Accessibility bus unreachable (atspi_init answered " + std::to_string(result) +
               "): other programs' trees cannot be read");
    return nullptr;
  }
  if (!atspi_get_a11y_bus()) {
    log::error("Accessibility bus unreachable: other programs' trees cannot be read");
    return nullptr;
  }
  auto* dispatcher = QAbstractEventDispatcher::instance();
  if (!dispatcher || !dispatcher->inherits("QEventDispatcherGlib"))
    log::error(
        "Accessibility bus: the event loop does not run GLib's main context, so focus changes "
        "(password fields) will not be seen");
  return std::unique_ptr<AtspiBus>(new AtspiBus());
}

AtspiBus::AtspiBus()
    : status_(std::make_unique<AccessibilityBusStatus>(QDBusConnection::sessionBus())) {
  focusListener_ = atspi_event_listener_new(&AtspiBus::onFocusEvent, this, nullptr);
  CallError error("register for focus events", nullptr);
  if (!atspi_event_listener_register(focusListener_, kFocusEvent, error.out()) || error.failed()) {
    log::error("Accessibility bus: focus events unavailable, password fields will not be seen");
    g_object_unref(focusListener_);
    focusListener_ = nullptr;
  }
}

AtspiBus::~AtspiBus() {
  if (focusListener_) {
    CallError error("deregister from focus events", nullptr);
    atspi_event_listener_deregister(focusListener_, kFocusEvent, error.out());
    error.failed();
    g_object_unref(focusListener_);
  }
}

bool AtspiBus::isSecureInputEnabled() const {
  if (!secureInput_ || !focused_) return false;
  const AXValue stillFocused = focused_.node()->attribute(AXAttribute::focused);
  if (!std::holds_alternative<bool>(stillFocused) || !std::get<bool>(stillFocused)) {
    focused_ = {};
    secureInput_ = false;
  }
  return secureInput_;
}

bool AtspiBus::isEnabled() const { return status_->isEnabled(); }

bool AtspiBus::enable() { return status_->enable(); }

void AtspiBus::setTimeout(Duration seconds) {
  double milliseconds = std::clamp(std::ceil(seconds * 1000), 1.0,
                                   static_cast<double>(std::numeric_limits<gint>::max()));
  atspi_set_timeout(static_cast<gint>(milliseconds), kNoStartupGrace);
  atspi::setRequestTimeout(static_cast<int>(milliseconds));
}

AXElement AtspiBus::applicationOf(pid_t pid) const {
  AXElement found;
  if (pid <= 0) return found;
  forEachApplicationOf(pid, [&](Ref<AtspiAccessible> application) {
    found = AtspiNode::adopt(application.release());
    return true;
  });
  return found;
}

AXElement AtspiBus::frameOf(pid_t pid, std::string_view title) const {
  if (pid <= 0) return {};
  auto deadline = std::chrono::steady_clock::now() + kFrameSearchBudget;
  AXElement active;
  AXElement named;
  forEachApplicationOf(pid, [&](Ref<AtspiAccessible> application) {
    CallError countError("GetChildCount (application)", application.get());
    gint count = atspi_accessible_get_child_count(application.get(), countError.out());
    if (countError.failed()) return false;
    for (gint i = 0; i < count && i < AtspiNode::kMaxWindowsExamined; ++i) {
      if (std::chrono::steady_clock::now() >= deadline) return true;
      CallError error("GetChildAtIndex (application)", application.get());
      Ref<AtspiAccessible> frame{
          atspi_accessible_get_child_at_index(application.get(), i, error.out())};
      if (error.failed()) return false;  // not answering: the next child would wait as long
      if (!frame) continue;
      if (hasState(frame.get(), ATSPI_STATE_ACTIVE)) {
        active = AtspiNode::adopt(frame.release());
        return true;
      }
      if (!named && nameEquals(frame.get(), title)) named = AtspiNode::adopt(frame.release());
    }
    return false;
  });
  return active ? active : named;
}

AXElement AtspiBus::focusedElement(pid_t pid) const {
  const auto* node = dynamic_cast<const AtspiNode*>(focused_.node());
  if (!node || pid <= 0) return {};
  atspi::CallError error("GetConnectionUnixProcessID", node->accessible());
  const guint owner = atspi_accessible_get_process_id(node->accessible(), error.out());
  if (error.failed()) return {};
  return static_cast<pid_t>(owner) == pid ? focused_ : AXElement();
}

void AtspiBus::onFocusEvent(AtspiEvent* event, void* self) {
  std::unique_ptr<AtspiEvent, EventFree> owned(event);  // handed over by libatspi
  if (!event->source) return;
  static_cast<AtspiBus*>(self)->focusChanged(event->source, event->detail1 != 0);
}

void AtspiBus::focusChanged(AtspiAccessible* source, bool gained) {
  // This program's own widgets publish on the bus too, answered by Qt on this very thread: a
  // question to one from here waits on itself for the whole time-out. Its windows are never read,
  // so their focus is taken unasked, as the focus leaving whatever held it. Whose the source is,
  // the bus itself answers, never the source.
  CallError ownerError("GetConnectionUnixProcessID", source);
  const guint owner = atspi_accessible_get_process_id(source, ownerError.out());
  if (!ownerError.failed() && static_cast<pid_t>(owner) == ::getpid()) {
    if (gained) {
      focused_ = {};
      secureInput_ = false;
    }
    return;
  }
  AXElement element = AtspiNode::adopt(static_cast<AtspiAccessible*>(g_object_ref(source)));
  if (gained) {
    focused_ = element;
    secureInput_ = isPasswordField(source);
  } else if (focused_ == element) {
    // The focus left for something that does not publish (another program's window, or none).
    focused_ = {};
    secureInput_ = false;
  }
}

}  // namespace qb
