// AtspiBus: the program's connection to the desktop's accessibility bus (libatspi), with the
// bus's on/off switch and the password-field watch.
//
// open() connects once per process; the connection is libatspi's own and lives until the process
// ends, so elements read through one AtspiBus stay safe to hold (reading as no value) after it is
// destroyed. libatspi delivers events through GLib's default main context, which Qt's event loop
// runs on Debian's builds: focus changes arrive only while the main thread's Qt loop runs. From
// the first open() on, GLib's messages (libatspi's warnings among them) are lines of the
// program's log, errors for GLib's warnings. Main thread only.
//
// Every request to another program waits at most the timeout given to setTimeout (libatspi's
// default until then); a program that never answers costs that per request and reads as no value.

#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string_view>

#include "base/Date.h"
#include "platform/AXElement.h"

typedef struct _AtspiAccessible AtspiAccessible;
typedef struct _AtspiEvent AtspiEvent;
typedef struct _AtspiEventListener AtspiEventListener;

namespace qb {

class AccessibilityBusStatus;

class AtspiBus {
public:
  // How many of the desktop's applications frameOf() asks for their pid.
  static constexpr int kMaxApplicationsExamined = 200;
  // The time frameOf() may spend before it answers with what it found so far.
  static constexpr std::chrono::milliseconds kFrameSearchBudget{250};

  // Connects to the accessibility bus; null, logged, when it cannot be reached.
  static std::unique_ptr<AtspiBus> open();
  ~AtspiBus();
  AtspiBus(const AtspiBus&) = delete;
  AtspiBus& operator=(const AtspiBus&) = delete;

  // Whether the bus is enabled, so that toolkits publish their trees: the program's permission to
  // read other programs. Cheap: kept current from the bus launcher's signals.
  bool isEnabled() const;
  // Asks the bus launcher to enable it; answers isEnabled() afterwards.
  bool enable();

  // Whether the element that has the keyboard focus is a password field. Follows focus events;
  // false until the first focus change is seen after open(). While it is true, each question also
  // asks the field whether it still has the focus (one request), since the focus can leave
  // without an event: the window closes, its program quits, or a program that publishes nothing
  // comes to the front.
  bool isSecureInputEnabled() const;

  // The longest one request to another program may wait, from now on, even for a program that
  // has only just appeared on the bus.
  void setTimeout(Duration seconds);

  // The element that has the keyboard focus, when it belongs to the process; else empty. Known
  // from focus events, like isSecureInputEnabled().
  AXElement focusedElement(pid_t pid) const;

  // The application element that a process published, or empty.
  AXElement applicationOf(pid_t pid) const;
  // The accessible top-level frame of the process's window in front: among the process's
  // top-level children the active one, else the first whose name equals `title`; empty when
  // neither is found within the budgets above and AtspiNode::kMaxWindowsExamined.
  AXElement frameOf(pid_t pid, std::string_view title) const;

private:
  AtspiBus();
  static void onFocusEvent(AtspiEvent* event, void* self);
  void focusChanged(AtspiAccessible* source, bool gained);

  std::unique_ptr<AccessibilityBusStatus> status_;
  AtspiEventListener* focusListener_ = nullptr;  // owned; registered while this lives
  // The element that last gained the focus, while it keeps it; both are put right by a question
  // that finds the focus gone.
  mutable AXElement focused_;
  mutable bool secureInput_ = false;
};

}  // namespace qb
