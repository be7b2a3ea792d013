// KeyGrab: keys taken from whichever window holds the focus, while the program shows something
// that must answer to them without taking the focus itself (the prompt laid over another
// program's window: that window stays the active one, yet Esc must reach the prompt).
//
// A grabbed chord never reaches the focused window; everything else does. The lock keys do not
// matter: a chord is taken with Caps Lock or Num Lock on as well.

#pragma once

#include <functional>
#include <vector>

#include "platform/KeyPoster.h"

namespace qb {

class KeyGrab {
public:
  // Called on the main thread, from the main loop, with the chord as it was grabbed, once its key
  // has been let go: while it is down the focused window gets no key at all, and keys posted from
  // the callback reach it. A chord answers only when its press came while it was held: a key
  // already down when grab() was called, or let go after release(), answers nothing. A modifier
  // of the chord let go before its key reaches the focused window as let go, before the callback.
  using Callback = std::function<void(const KeyChord& chord)>;

  virtual ~KeyGrab() = default;

  // Releases what was held, then takes the chords until release(). False when one of them could
  // not be taken (another program holds it, or the keyboard has no such key); the others are
  // held all the same.
  virtual bool grab(const std::vector<KeyChord>& chords, Callback callback) = 0;
  // Lets every chord go; nothing is called back afterwards. Harmless when nothing is held.
  virtual void release() = 0;
};

}  // namespace qb
