#include "platform/linux/X11KeyPoster.h"

#include <algorithm>
#include <vector>

#include "base/Log.h"
#include "platform/linux/X11Keysyms.h"

// Xlib's macros would break Qt's headers: X11 comes last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace qb {

namespace {

// The focus is followed up the window tree no further than this looking for a window that
// names its process, so that a broken tree cannot keep the walk going.
constexpr int kMaxTreeDepth = 64;
}  // namespace

X11KeyPoster::X11KeyPoster(X11Desktop& desktop) : desktop_(desktop) {
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  hasXTest_ =
      XTestQueryExtension(desktop_.connection().display(), &eventBase, &errorBase, &major, &minor);
  if (!hasXTest_) log::error("The X server has no XTest extension: keys cannot be posted");
}

bool X11KeyPoster::focusBelongsTo(pid_t pid) {
  if (pid <= 0) return false;
  Display* display = desktop_.connection().display();
  Window focus = None;
  int revertTo = 0;
  XGetInputFocus(display, &focus, &revertTo);
  // With PointerRoot the keys would go wherever the pointer happens to be.
  if (focus == None || focus == PointerRoot) return false;

  Window window = focus;
  for (int depth = 0; depth < kMaxTreeDepth && window != None; ++depth) {
    if (window == desktop_.connection().root()) return false;
    if (const pid_t owner = desktop_.pid(window); owner != 0) return owner == pid;
    Window root = None, parent = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return false;
    if (children != nullptr) XFree(children);
    window = parent;
  }
  return false;
}

std::optional<X11KeyPoster::Key> X11KeyPoster::keyOf(unsigned long keysym) {
  if (keysym == NoSymbol) return std::nullopt;
  Display* display = desktop_.connection().display();
  const KeyCode code = XKeysymToKeycode(display, keysym);
  if (code == 0) return std::nullopt;
  if (XkbKeycodeToKeysym(display, code, 0, 0) == keysym) return Key{code, false};
  if (XkbKeycodeToKeysym(display, code, 0, 1) == keysym) return Key{code, true};
  return std::nullopt;  // on a level that needs AltGr or another group
}

bool X11KeyPoster::press(const Key& key, bool control, bool alt) {
  Display* display = desktop_.connection().display();
  std::vector<KeyCode> modifiers;
  if (control) modifiers.push_back(XKeysymToKeycode(display, XK_Control_L));
  if (alt) modifiers.push_back(XKeysymToKeycode(display, XK_Alt_L));
  if (key.shifted) modifiers.push_back(XKeysymToKeycode(display, XK_Shift_L));
  if (std::find(modifiers.begin(), modifiers.end(), 0) != modifiers.end()) return false;
  for (KeyCode modifier : modifiers) XTestFakeKeyEvent(display, modifier, True, CurrentTime);
  XTestFakeKeyEvent(display, key.keycode, True, CurrentTime);
  XTestFakeKeyEvent(display, key.keycode, False, CurrentTime);
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
    XTestFakeKeyEvent(display, *it, False, CurrentTime);
  }
  return true;
}

bool X11KeyPoster::post(pid_t pid, const KeyChord& chord) {
  if (!hasXTest_ || chord.key.empty()) return false;
  auto key = keyOf(x11::keysymOfKey(chord.key));
  if (!key) {
    log::info("No key for \"" + chord.key + "\" on this keyboard: not posted");
    return false;
  }
  if (chord.shift) key->shifted = true;
  if (!focusBelongsTo(pid)) return false;
  const bool pressed = press(*key, chord.control, chord.alt);
  desktop_.connection().flush();
  return pressed;
}

bool X11KeyPoster::type(pid_t pid, std::string_view text) {
  if (!hasXTest_) return false;
  const auto points = x11::codePoints(text);
  if (!points) return false;
  std::vector<Key> keys;
  keys.reserve(points->size());
  for (char32_t point : *points) {
    auto key = keyOf(x11::keysymOfCharacter(point));
    if (!key) {
      log::info("A character of the text has no key on this keyboard: nothing typed");
      return false;
    }
    keys.push_back(*key);
  }
  const bool anyShifted =
      std::any_of(keys.begin(), keys.end(), [](const Key& key) { return key.shifted; });
  if (anyShifted && XKeysymToKeycode(desktop_.connection().display(), XK_Shift_L) == 0) {
    return false;
  }
  if (!focusBelongsTo(pid)) return false;
  for (const Key& key : keys) press(key, false, false);
  desktop_.connection().flush();
  return true;
}

}  // namespace qb
