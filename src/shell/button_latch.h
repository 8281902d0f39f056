// Mouse presses that began, and perhaps ended, between two play frames. The frame reads the held
// buttons once; a click shorter than a frame would never be seen held. A press the click itself
// did not claim (a panel button, a dialog) is latched, so the next play frame sees the button
// held once, in the order the presses came.
#pragma once

namespace isora {

enum class LatchedButton { kLeft = 0, kRight = 1 };

class ButtonLatch {
 public:
  // A press the click handlers left to the held-button actions.
  void Press(LatchedButton button) { latched_[Index(button)] = true; }
  // The frame's reading of a button: down now, or pressed since the last reading.
  bool Held(LatchedButton button, bool downNow) {
    bool held = downNow || latched_[Index(button)];
    latched_[Index(button)] = false;
    return held;
  }
  // After every frame: a press no play frame read belongs to the screen it was made on.
  void Clear() { latched_[0] = latched_[1] = false; }

 private:
  static int Index(LatchedButton button) { return static_cast<int>(button); }
  bool latched_[2] = {false, false};
};

}  // namespace isora
