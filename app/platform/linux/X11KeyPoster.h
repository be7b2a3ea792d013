// X11KeyPoster: key presses synthesised through the XTest extension, which the X server delivers
// to the window holding the input focus as if typed.
//
// Before each chord and before each text, the client that owns the focused window must be the
// given process (the X server's record of the client, else _NET_WM_PID up the window tree);
// otherwise nothing is posted. A text is checked whole before its first key: each character
// must have a key on the current keyboard map, at the first level or the shifted one; a
// character without one (most of them beyond Latin-1 on a Latin keyboard) refuses the text
// rather than remapping a spare key behind the user's back. Keys or modifiers the user holds
// down while a post runs combine with it.
//
// Posts through the desktop's connection; the desktop must outlive it.

#pragma once

#include <cstdint>
#include <optional>

#include "platform/KeyPoster.h"
#include "platform/linux/X11Desktop.h"

namespace qb {

class X11KeyPoster final : public KeyPoster {
public:
  explicit X11KeyPoster(X11Desktop& desktop);

  X11KeyPoster(const X11KeyPoster&) = delete;
  X11KeyPoster& operator=(const X11KeyPoster&) = delete;

  bool post(pid_t pid, const KeyChord& chord) override;
  bool type(pid_t pid, std::string_view text) override;

private:
  struct Key {
    unsigned keycode = 0;
    bool shifted = false;  // the keysym is on the key's shifted level
  };

  bool focusBelongsTo(pid_t pid);
  std::optional<Key> keyOf(unsigned long keysym);
  // False, having pressed nothing, when a modifier it needs has no key.
  bool press(const Key& key, bool control, bool alt);

  X11Desktop& desktop_;
  bool hasXTest_ = false;
};

}  // namespace qb
