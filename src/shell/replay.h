// Headless replays: a text file of input events, one per line, each at a frame number, and the
// recorder that writes the same format while a person plays.
//
//   @<frame> move <x> <y>      cursor position in 640×480 coordinates
//   @<frame> ldown | lup | rdown | rup
//   @<frame> key <NAME>        Esc, F1..F12, 0..9, A..Z, Shift+F8, ...
//   @<frame> shot <path.bmp>   back buffer as a 24-bit BMP
//   @<frame> state <path.json> game state dump
//   @<frame> quit
//   @<frame> pad down|up <BUTTON>      A, B, X, Y, Back, Guide, Start, LeftStick, RightStick,
//                                      LB, RB, Up, Down, Left, Right, LT, RT
//   @<frame> pad axis <AXIS> <value>   LeftX, LeftY, RightX, RightY; -32768..32767
//   @<frame> pad plug|unplug <n>       a pad came or went; n pads are open afterwards
//   @<frame> point role <NAME>         the cursor onto the living role of that name nearest the
//                                      player, where it is on the screen at that frame
//   @<frame> point cell <row> <col>    the cursor onto the middle of that map cell
//   @<frame> point item <NAME>         onto that item on the ground (the nearest) or in the bag
//   @<frame> wait <N> <condition>      later events wait until the state dump meets the
//                                      condition (see state_query.h), at most N frames; then
//                                      they run as many frames later as it waited
//
// An event at frame N happens once N frames have run. Blank lines and lines starting with '#'
// are ignored. Shot and state paths are relative to the run's output folder and may not leave
// it (no "..", no absolute path, no drive).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/pad.h"
#include "media/surface.h"

namespace isora {

// Long replays hold millions of these, so the fields are ordered to leave no padding.
struct ReplayEvent {
  enum class Kind : uint8_t {
    kMove,
    kLDown,
    kLUp,
    kRDown,
    kRUp,
    kKey,
    kShot,
    kState,
    kQuit,
    kPadDown,  // padButton
    kPadUp,
    kPadAxis,  // padAxis, x: the value
    kPadPlug,  // x: pads open afterwards
    kPadUnplug,
    kPointRole,  // name
    kPointCell,  // x: row, y: column
    kPointItem,  // name
    kWait,       // x: the most frames to wait, name: the condition
  };
  int64_t frame = 0;
  std::string path;
  std::string name;  // the role, item or condition of a world-named event
  int x = 0, y = 0;
  int virtualKey = 0;
  int line = 0;
  PadButton padButton = PadButton::kA;
  PadAxis padAxis = PadAxis::kLeftX;
  Kind kind = Kind::kQuit;
  bool shift = false;
};

// Parses a replay text; false with *error ("line 3: ...") on the first bad line. Events keep
// their file order; frames must not go backwards. *events gets room for exactly the event
// lines, not the growth a vector makes as it is filled.
bool ParseReplay(const std::string& text, std::vector<ReplayEvent>* events, std::string* error);

// Key names: "Esc", "F1".."F12", "0".."9", "A".."Z", "Space", "Enter", "Tab", "Backspace",
// "Left", "Right", "Up", "Down", with an optional "Shift+" in front. 0 when unknown.
int VirtualKeyFromName(const std::string& name, bool* shift);
// The name of a virtual-key code, or "VK<n>" (hex) when it has none.
std::string KeyName(int virtualKey, bool shift);

// The back buffer as a bottom-up 24-bit BMP file.
std::vector<uint8_t> SurfaceToBmp24(const Surface& surface);

// Writes events as a person plays them.
class ReplayRecorder {
 public:
  bool Open(const std::string& path);
  bool IsOpen() const { return open_; }
  void Move(int64_t frame, int x, int y);
  void Button(int64_t frame, bool left, bool down);
  void Key(int64_t frame, int virtualKey, bool shift);
  void PadButton(int64_t frame, int button, bool down);
  void PadAxis(int64_t frame, int axis, int value);
  void PadConnected(int64_t frame, bool connected, int padsOpen);
  // A shot or a state dump asked for at this frame, and a comment line (no line breaks).
  void Shot(int64_t frame, const std::string& path);
  void State(int64_t frame, const std::string& path);
  void Comment(const std::string& text);
  void Quit(int64_t frame);

 private:
  void Line(int64_t frame, const std::string& text);
  // Each line goes to the file at once, so a crash keeps everything played up to it.
  void Append(const std::string& line);
  std::string path_;
  bool open_ = false;
  Point last_{-1, -1};
};

}  // namespace isora
