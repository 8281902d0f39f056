// Game controllers in the layout of SDL's game controller database (an Xbox-style pad): the
// buttons and stick axes the platform reports to the game, and their names in replays and
// settings files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace isora {

// The triggers are analogue; the platform reports them as buttons pressed past half way.
enum class PadButton : int {
  kA,
  kB,
  kX,
  kY,
  kBack,
  kGuide,
  kStart,
  kLeftStick,
  kRightStick,
  kLeftShoulder,
  kRightShoulder,
  kDPadUp,
  kDPadDown,
  kDPadLeft,
  kDPadRight,
  kLeftTrigger,
  kRightTrigger,
};
constexpr int kPadButtonCount = 17;

// Stick axes: -32768 (left, up) to 32767 (right, down).
enum class PadAxis : int { kLeftX, kLeftY, kRightX, kRightY };
constexpr int kPadAxisCount = 4;

// "A", "B", "X", "Y", "Back", "Guide", "Start", "LeftStick", "RightStick", "LB", "RB",
// "Up", "Down", "Left", "Right", "LT", "RT".
const char* PadButtonName(PadButton button);
// The button of a name (exact case); false when there is none.
bool PadButtonFromName(std::string_view name, PadButton* button);
// "LeftX", "LeftY", "RightX", "RightY".
const char* PadAxisName(PadAxis axis);
bool PadAxisFromName(std::string_view name, PadAxis* axis);

}  // namespace isora
