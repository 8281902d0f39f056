#include "media/pad.h"

namespace isora {

namespace {

constexpr const char* kButtonNames[kPadButtonCount] = {
    "A",  "B",  "X",  "Y",    "Back", "Guide", "Start", "LeftStick", "RightStick",
    "LB", "RB", "Up", "Down", "Left", "Right", "LT",    "RT"};
constexpr const char* kAxisNames[kPadAxisCount] = {"LeftX", "LeftY", "RightX", "RightY"};

}  // namespace

const char* PadButtonName(PadButton button) {
  const int i = static_cast<int>(button);
  return i >= 0 && i < kPadButtonCount ? kButtonNames[i] : "?";
}

bool PadButtonFromName(std::string_view name, PadButton* button) {
  for (int i = 0; i < kPadButtonCount; ++i) {
    if (name == kButtonNames[i]) {
      *button = static_cast<PadButton>(i);
      return true;
    }
  }
  return false;
}

const char* PadAxisName(PadAxis axis) {
  const int i = static_cast<int>(axis);
  return i >= 0 && i < kPadAxisCount ? kAxisNames[i] : "?";
}

bool PadAxisFromName(std::string_view name, PadAxis* axis) {
  for (int i = 0; i < kPadAxisCount; ++i) {
    if (name == kAxisNames[i]) {
      *axis = static_cast<PadAxis>(i);
      return true;
    }
  }
  return false;
}

}  // namespace isora
