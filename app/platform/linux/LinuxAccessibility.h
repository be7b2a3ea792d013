// LinuxAccessibility: the accessibility service over two sources. Windows come from the X server:
// a window element's role, title and frame are read there, which works for every program and
// needs no permission; so does "AXRaise", asked of the window manager as a pager asks. Everything
// inside a window (its tree, text, addresses) comes from the window's accessible frame on the
// accessibility bus, found when first asked for. Change notifications come from the X server too:
// the focused window changing within an application, titles, moves, resizes and windows going
// away.
//
// The X desktop and the bus must outlive this object; elements it hands out may outlive all
// three, and then read as nothing.

#pragma once

#include <QObject>
#include <map>
#include <memory>

#include "platform/Accessibility.h"
#include "platform/linux/X11Desktop.h"

namespace qb {

class AtspiBus;

class LinuxAccessibility : public QObject, public Accessibility {
  Q_OBJECT

public:
  // `atspi` may be null: then nothing is trusted and windows have no trees.
  LinuxAccessibility(X11Desktop& desktop, AtspiBus* atspi);
  ~LinuxAccessibility() override;

  bool isProcessTrusted() const override;
  bool requestTrust() override;
  bool isSecureInputEnabled() const override;
  AXElement application(pid_t pid) const override;
  std::unique_ptr<AXObserver> createObserver(pid_t pid, Callback callback) override;
  void setMessagingTimeout(Duration seconds) override;

  // The element of one X window.
  AXElement window(WindowId window) const;

  // What elements and observers reach the sources through; cleared when this object goes.
  struct Sources {
    // The most windows whose accessible frames are remembered; past it the memory starts over.
    static constexpr size_t kMaxKnownFrames = 64;
    struct KnownFrame {
      pid_t pid = 0;  // the window's owner when it was found: a reused window id has another
      AXElement frame;
    };

    X11Desktop* desktop = nullptr;
    AtspiBus* atspi = nullptr;
    // Finding a window's frame walks the bus's applications, and every observation asks a new
    // element of the same window for it: found once per window, it is reused.
    std::map<WindowId, KnownFrame> frames;
  };

signals:
  // Another window of the same process became active.
  void focusedWindowChanged(pid_t pid);

private:
  void activeWindowChanged(WindowId window);

  std::shared_ptr<Sources> sources_;
  WindowId lastActive_ = 0;
  pid_t lastActivePID_ = 0;
};

}  // namespace qb
