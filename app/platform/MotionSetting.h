// MotionSetting: whether the user has asked the desktop for less motion (animations turned off
// or cut short), which the program's own animations follow.
//
// Asked on the main thread, each time an animation starts, so that a change of the setting counts
// from the next animation; each question is answered within a short bound. A desktop that says
// nothing asks for no reduction.

#pragma once

namespace qb {

class MotionSetting {
public:
  virtual ~MotionSetting() = default;

  virtual bool shouldReduceMotion() const = 0;
};

}  // namespace qb
