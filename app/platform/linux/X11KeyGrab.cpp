#include "platform/linux/X11KeyGrab.h"

#include <array>

#include "base/Log.h"
#include "platform/linux/X11Keysyms.h"

// Xlib's macros would break Qt's headers: X11 comes last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace qb {

namespace {

// Caps Lock and Num Lock (Mod2 on every common keyboard map) in each combination: a grab is made
// for each, since X matches the modifier state exactly.
constexpr std::array<unsigned, 4> kLockVariants = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};
constexpr unsigned kLockModifiers = LockMask | Mod2Mask;

unsigned modifiersOf(const KeyChord& chord) {
  return (chord.control ? ControlMask : 0u) | (chord.shift ? ShiftMask : 0u) |
         (chord.alt ? Mod1Mask : 0u);
}

}  // namespace

X11KeyGrab::X11KeyGrab(X11Connection& connection) : connection_(connection) {
  // A held key's repeats would otherwise come as a release and a press each, and the first
  // would answer while the key is still down and the server still sends every key to us.
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(connection_.display(), True, &detectable);
  if (!detectable) {
    log::info(
        "The X server cannot tell a key's repeats from its release: a grabbed key held "
        "down may answer before it is let go");
  }
}

X11KeyGrab::~X11KeyGrab() { release(); }

bool X11KeyGrab::grab(const std::vector<KeyChord>& chords, Callback callback) {
  release();
  Display* display = connection_.display();
  bool all = true;
  for (const KeyChord& chord : chords) {
    const KeyCode keycode = XKeysymToKeycode(display, x11::keysymOfKey(chord.key));
    if (keycode == 0) {
      log::info("No key for \"" + chord.key + "\" on this keyboard: not grabbed");
      all = false;
      continue;
    }
    const unsigned modifiers = modifiersOf(chord);
    const unsigned long first = connection_.nextRequest();
    for (unsigned lock : kLockVariants) {
      XGrabKey(display, keycode, modifiers | lock, connection_.root(), False, GrabModeAsync,
               GrabModeAsync);
    }
    XSync(display, False);
    if (connection_.failedSince(first)) {
      // Another client holds the chord; ours would never fire, and the ungrab is harmless.
      log::info("The key \"" + chord.key + "\" is held by another program: not grabbed");
      for (unsigned lock : kLockVariants) {
        XUngrabKey(display, keycode, modifiers | lock, connection_.root());
      }
      all = false;
      continue;
    }
    held_.push_back({keycode, modifiers, chord});
  }
  if (!held_.empty()) {
    callback_ = std::move(callback);
    handler_ = connection_.addEventHandler([this](XEvent& event) { handle(event); });
  }
  connection_.flush();
  return all;
}

void X11KeyGrab::release() {
  if (held_.empty()) return;
  Display* display = connection_.display();
  for (const Held& held : held_) {
    for (unsigned lock : kLockVariants) {
      XUngrabKey(display, held.keycode, held.modifiers | lock, connection_.root());
    }
  }
  held_.clear();
  pressed_.reset();
  connection_.removeHandler(handler_);
  handler_ = 0;
  callback_ = nullptr;
  connection_.flush();
}

void X11KeyGrab::handle(XEvent& event) {
  if (event.type == KeyPress) {
    // The first press activated the server's grab, which lasts until that key goes up; others
    // pressed meanwhile (and the key's own repeats) come to us too, and answer nothing.
    if (pressed_) return;
    const unsigned modifiers =
        event.xkey.state & ~kLockModifiers & (ShiftMask | ControlMask | Mod1Mask);
    for (const Held& held : held_) {
      if (held.keycode == event.xkey.keycode && held.modifiers == modifiers) {
        pressed_ = held;
        return;
      }
    }
    return;
  }
  // The modifiers may have gone up first: the key alone ends the grab.
  if (event.type != KeyRelease || !pressed_ || pressed_->keycode != event.xkey.keycode) return;
  // The callback may release the grab, which clears pressed_: call with a copy.
  const KeyChord chord = pressed_->chord;
  pressed_.reset();
  if (Callback callback = callback_) callback(chord);
}

}  // namespace qb
