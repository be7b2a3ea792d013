// KeyPoster: synthetic key presses for one process, the way the program steers a browser's
// address bar. Keys go to the focused window only, so each call first checks that the focused
// window belongs to the process and posts nothing when it does not: a key meant for a browser
// must never land in another program.

#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace qb {

struct KeyChord {
  std::string key;  // a key name: "Return", "Escape", "Tab", or one character ("l", "w")
  bool control = false;
  bool shift = false;
  bool alt = false;
  friend bool operator==(const KeyChord&, const KeyChord&) = default;
};

class KeyPoster {
public:
  virtual ~KeyPoster() = default;

  // Presses and releases the chord; false when the focused window is not `pid`'s or the key has
  // no code on this keyboard.
  virtual bool post(pid_t pid, const KeyChord& chord) = 0;
  // Types the text as key presses; false, having typed nothing, when the focused window is not
  // `pid`'s, or when a character cannot be typed.
  virtual bool type(pid_t pid, std::string_view text) = 0;
};

}  // namespace qb
