// X11KeyGrab: passive key grabs on the root window. The X server hands a grabbed chord to this
// client whichever window has the focus, and the focus stays where it is. Each chord is grabbed
// with every combination of Caps Lock and Num Lock, which X counts as modifiers.
//
// A grabbed chord's press turns the passive grab into an active grab of the whole keyboard, which
// the server ends only when that key goes up (XUngrabKey does not end it): until then every key,
// XTest's included, comes to this client. So the chord is answered on its key's release, and
// keys the answer posts reach the focused window. The connection is told to report a held key's
// repeats as presses alone, so that only the real release answers.
//
// A chord's modifier let go before its key goes up comes to this client too, so the focused window
// saw it go down and never up. Chromium then takes a press of that modifier soon after (0.3 s,
// not 2.5 s) for the held key repeating, and drops the chord it begins, such as the Ctrl+L that
// points a tab elsewhere. So once the chord ends, before the answer, each such modifier still up
// is pressed and let go again through XTest: the window sees it go up, as it would have without
// the grab. A key that is no modifier of the chord is not pressed again, since that would type it.
//
// Grabs through the given connection; the connection must outlive it. Main thread only.

#pragma once

#include <optional>
#include <set>
#include <vector>

#include "platform/KeyGrab.h"
#include "platform/linux/X11Connection.h"

namespace qb {

class X11KeyGrab final : public KeyGrab {
public:
  explicit X11KeyGrab(X11Connection& connection);
  ~X11KeyGrab() override;

  X11KeyGrab(const X11KeyGrab&) = delete;
  X11KeyGrab& operator=(const X11KeyGrab&) = delete;

  bool grab(const std::vector<KeyChord>& chords, Callback callback) override;
  void release() override;

private:
  struct Held {
    unsigned keycode = 0;
    unsigned modifiers = 0;  // Shift, Control and Alt as X names them, without the lock keys
    std::vector<unsigned> modifierKeys;  // the keys that give those modifiers on this keyboard
    KeyChord chord;
  };

  void handle(_XEvent& event);
  // Presses and lets go each modifier of missedReleases_ that is up now; see the opening comment.
  void returnMissedReleases();

  X11Connection& connection_;
  int handler_ = 0;  // the connection's event handler while something is held; 0 otherwise
  std::vector<Held> held_;
  // The chord whose press activated the server's grab, until its key goes up or release().
  std::optional<Held> pressed_;
  // The pressed chord's modifier keys that went up while the server's grab lasted.
  std::set<unsigned> missedReleases_;
  bool hasXTest_ = false;
  Callback callback_;
};

}  // namespace qb
