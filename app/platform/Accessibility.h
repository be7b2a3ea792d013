// Accessibility: the desktop's accessibility service as the program uses it: whether it may read
// other programs at all, whether a password is being typed, the element of a running process, and
// notifications of changes in a process's windows.
//
// On Linux the program counts as trusted while the accessibility bus is enabled: only then do most
// toolkits publish their trees. Windows, titles and frames come from the window system; trees,
// text and addresses from the accessibility bus.

#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string_view>

#include "base/Date.h"
#include "platform/AXElement.h"

namespace qb {

// Change notifications from one process. Destroying it stops every notification it registered.
class AXObserver {
public:
  virtual ~AXObserver() = default;

  // Watches `element` (the process's application element or one of its windows) for the named
  // notification (AXNotification). False when this element or name cannot be watched.
  virtual bool addNotification(const AXElement& element, std::string_view name) = 0;
  // Stops one registration; an unknown one changes nothing.
  virtual void removeNotification(const AXElement& element, std::string_view name) = 0;
};

class Accessibility {
public:
  // Called on the main thread, from the main loop, with the element that changed and the
  // notification's name.
  using Callback = std::function<void(const AXElement& element, std::string_view notification)>;

  virtual ~Accessibility() = default;

  // Whether the program may read other programs' windows and trees now.
  virtual bool isProcessTrusted() const = 0;
  // Asks for that permission where the desktop lets a program ask; answers isProcessTrusted()
  // afterwards.
  virtual bool requestTrust() = 0;
  // Whether the user is typing into a password field, when nothing may be read.
  virtual bool isSecureInputEnabled() const = 0;

  // The application element of a process: its "AXFocusedWindow" is its focused window, if it has
  // the focus. Empty for a pid that is 0 or below.
  virtual AXElement application(pid_t pid) const = 0;
  // An observer of the process's notifications, delivering to `callback` until destroyed; null
  // when the process cannot be observed.
  virtual std::unique_ptr<AXObserver> createObserver(pid_t pid, Callback callback) = 0;

  // The longest any one request to another program may wait before it reads as no value.
  virtual void setMessagingTimeout(Duration seconds) = 0;
};

}  // namespace qb
