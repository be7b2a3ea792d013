#include "platform/linux/X11KeyGrab.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

#include "base/Log.h"
#include "platform/linux/X11Keysyms.h"

// Xlib's macros would break Qt's headers: X11 comes last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

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

// The keys the keyboard map binds to any of the modifiers in `mask`.
std::vector<unsigned> keysOf(Display* display, unsigned mask) {
  std::vector<unsigned> keys;
  if (mask == 0) return keys;  // Esc and Return: no round trip to the server as the prompt shows
  XModifierKeymap* map = XGetModifierMapping(display);
  if (map == nullptr) return keys;
  for (int modifier = 0; modifier < 8; ++modifier) {
    if ((mask & (1u << modifier)) == 0) continue;
    for (int i = 0; i < map->max_keypermod; ++i) {
      const KeyCode key = map->modifiermap[modifier * map->max_keypermod + i];
      if (key != 0) keys.push_back(key);
    }
  }
  XFreeModifiermap(map);
  return keys;
}

bool isDown(const std::array<char, 32>& keymap, unsigned keycode) {
  return (keymap[keycode / 8] & (1 << (keycode % 8))) != 0;
}

}  // namespace

X11KeyGrab::X11KeyGrab(X11Connection& connection) : connection_(connection) {
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  hasXTest_ = XTestQueryExtension(connection_.display(), &eventBase, &errorBase, &major, &minor);
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
    held_.push_back({keycode, modifiers, keysOf(display, modifiers), chord});
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
  missedReleases_.clear();
  connection_.removeHandler(handler_);
  handler_ = 0;
  callback_ = nullptr;
  connection_.flush();
}

void X11KeyGrab::handle(XEvent& event) {
  if (pressed_) {
    // Other keys pressed meanwhile, and the key's own repeats, come to us too and answer nothing.
    if (event.type != KeyRelease) return;
    const unsigned keycode = event.xkey.keycode;
    // The modifiers may have gone up first: the key alone ends the grab.
    if (keycode != pressed_->keycode) {
      const std::vector<unsigned>& modifierKeys = pressed_->modifierKeys;
      if (std::find(modifierKeys.begin(), modifierKeys.end(), keycode) != modifierKeys.end()) {
        missedReleases_.insert(keycode);
      }
      return;
    }
    // The callback may release the grab, which clears pressed_: call with a copy.
    const KeyChord chord = pressed_->chord;
    pressed_.reset();
    returnMissedReleases();
    if (Callback callback = callback_) callback(chord);
    return;
  }
  if (event.type != KeyPress) return;
  const unsigned modifiers =
      event.xkey.state & ~kLockModifiers & (ShiftMask | ControlMask | Mod1Mask);
  for (const Held& held : held_) {
    if (held.keycode == event.xkey.keycode && held.modifiers == modifiers) {
      // This press began the server's grab, which lasts until this key goes up.
      pressed_ = held;
      return;
    }
  }
}

void X11KeyGrab::returnMissedReleases() {
  const std::set<unsigned> missed = std::exchange(missedReleases_, {});
  if (missed.empty()) return;
  if (!hasXTest_) {
    log::info(
        "The X server has no XTest extension: the window under the prompt may take Ctrl as "
        "still held for a moment");
    return;
  }
  Display* display = connection_.display();
  std::array<char, 32> keymap{};
  XQueryKeymap(display, keymap.data());
  for (unsigned keycode : missed) {
    // Down again, pressed while the grab lasted or since: its release, still to come, reaches the
    // window.
    if (isDown(keymap, keycode)) continue;
    XTestFakeKeyEvent(display, keycode, True, CurrentTime);
    XTestFakeKeyEvent(display, keycode, False, CurrentTime);
  }
  connection_.flush();
}

}  // namespace qb
