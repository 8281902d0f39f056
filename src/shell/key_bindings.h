// The player's controls: which key and which pad button give each command of the key table,
// plus the commands only a pad needs. Every binding can be changed; two commands never share a
// key or a pad button. Saved in the settings file as [keys] and [pad] sections.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "media/pad.h"

namespace isora {

class IniFile;

enum class ControlAction : int {
  kMenu,        // Esc: the in-game menu, or back from a panel
  kScreenshot,  // F11
  kBossKey,     // F9
  kBag1,        // 1..9: use the item in that cell of the bag
  kBag2,
  kBag3,
  kBag4,
  kBag5,
  kBag6,
  kBag7,
  kBag8,
  kBag9,
  kPanel1,  // F1..F4: the status panels
  kPanel2,
  kPanel3,
  kPanel4,
  kLevelUp,  // Shift+F8
  // Pad only.
  kAct,         // attack or talk to what is nearest in front of the hero; a click elsewhere
  kBack,        // back from a panel (Esc, but never opens the menu)
  kClick,       // left click at the cursor
  kRightClick,  // right click at the cursor
  kPrevSkill,   // the previous / next of the hero's skills
  kNextSkill,
  kPadModifier,  // held: the bag buttons
  kNone,
};
constexpr int kControlActionCount = static_cast<int>(ControlAction::kNone);

// A key with Shift held or not; vk 0 is no key.
struct KeyChord {
  int vk = 0;
  bool shift = false;
  bool operator==(const KeyChord&) const = default;
};

// A pad button, alone or with the modifier held; button -1 is none.
struct PadChord {
  int button = -1;
  bool modifier = false;
  bool operator==(const PadChord&) const = default;
  bool Bound() const { return button >= 0; }
};

class KeyBindings {
 public:
  KeyBindings();  // the default table

  // The name in the settings file ("menu", "bag1", ...) and the one the options screen shows.
  static const char* ActionName(ControlAction action);
  static const char* ActionLabel(ControlAction action);
  // Whether the command can have a key (the pad-only ones cannot).
  static bool TakesKey(ControlAction action);

  KeyChord Key(ControlAction action) const { return keys_[Index(action)]; }
  PadChord Pad(ControlAction action) const { return pads_[Index(action)]; }
  static KeyChord DefaultKey(ControlAction action);
  static PadChord DefaultPad(ControlAction action);

  // The command of a key press. A chord with Shift falls back to the same key without it, as
  // the game always let Shift+1 use the first cell.
  ControlAction ActionForKey(int vk, bool shift) const;
  // The command of a pad button; with the modifier held a modified binding wins.
  ControlAction ActionForPad(PadButton button, bool modifierHeld) const;

  // Rebinds; false with *why ("F2 is already Status panel 2.") when another command has it.
  bool SetKey(ControlAction action, KeyChord key, std::string* why);
  bool SetPad(ControlAction action, PadChord pad, std::string* why);

  // "Esc", "Shift+F8", "None"; "A", "LB+Up", "None".
  static std::string KeyText(KeyChord key);
  static std::string PadText(PadChord pad);
  static bool ParseKey(std::string_view text, KeyChord* key);
  static bool ParsePad(std::string_view text, PadChord* pad);

  // [keys] and [pad] of a settings file over the current bindings. A bad value keeps the
  // current binding; of two commands given the same key or button the later is left unbound.
  // Each refusal comes back as a line for the log.
  std::vector<std::string> Read(const IniFile& ini);
  // The two sections as INI text.
  std::string Write() const;

  bool operator==(const KeyBindings&) const = default;

 private:
  static size_t Index(ControlAction action) { return static_cast<size_t>(action); }
  std::array<KeyChord, kControlActionCount> keys_;
  std::array<PadChord, kControlActionCount> pads_;
};

}  // namespace isora
