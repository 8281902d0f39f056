#include "shell/key_bindings.h"

#include "foundation/ini_file.h"
#include "media/platform.h"
#include "shell/replay.h"

namespace isora {

namespace {

struct ActionInfo {
  const char* name;
  const char* label;
  KeyChord key;
  PadChord pad;
};

constexpr int B(PadButton b) { return static_cast<int>(b); }

// The defaults: the game's own key table, and a pad layout in the usual places.
constexpr ActionInfo kActions[kControlActionCount] = {
    {"menu", "Menu / back", {kVkEscape}, {B(PadButton::kStart)}},
    {"screenshot", "Screenshot", {kVkF11}, {B(PadButton::kBack)}},
    {"bossKey", "Boss key", {kVkF9}, {}},
    {"bag1", "Bag cell 1", {kVk0 + 1}, {B(PadButton::kA), true}},
    {"bag2", "Bag cell 2", {kVk0 + 2}, {B(PadButton::kB), true}},
    {"bag3", "Bag cell 3", {kVk0 + 3}, {B(PadButton::kX), true}},
    {"bag4", "Bag cell 4", {kVk0 + 4}, {B(PadButton::kY), true}},
    {"bag5", "Bag cell 5", {kVk0 + 5}, {B(PadButton::kDPadUp), true}},
    {"bag6", "Bag cell 6", {kVk0 + 6}, {B(PadButton::kDPadRight), true}},
    {"bag7", "Bag cell 7", {kVk0 + 7}, {B(PadButton::kDPadDown), true}},
    {"bag8", "Bag cell 8", {kVk0 + 8}, {B(PadButton::kDPadLeft), true}},
    {"bag9", "Bag cell 9", {kVk0 + 9}, {B(PadButton::kRightShoulder), true}},
    {"panel1", "Attributes", {kVkF1}, {B(PadButton::kDPadUp)}},
    {"panel2", "Notes", {kVkF2}, {B(PadButton::kDPadRight)}},
    {"panel3", "Honours", {kVkF1 + 2}, {B(PadButton::kDPadDown)}},
    {"panel4", "Missions", {kVkF4}, {B(PadButton::kDPadLeft)}},
    {"levelUp", "Level up", {kVkF8, true}, {}},
    {"act", "Attack / talk", {}, {B(PadButton::kA)}},
    {"back", "Back", {}, {B(PadButton::kB)}},
    {"click", "Click", {}, {B(PadButton::kRightShoulder)}},
    {"rightClick", "Right click", {}, {B(PadButton::kRightTrigger)}},
    {"prevSkill", "Previous skill", {}, {B(PadButton::kX)}},
    {"nextSkill", "Next skill", {}, {B(PadButton::kY)}},
    {"padModifier", "Bag modifier", {}, {B(PadButton::kLeftShoulder)}},
};

const ActionInfo& Info(ControlAction action) {
  static const ActionInfo kNoAction{"none", "None", {}, {}};
  const int i = static_cast<int>(action);
  return i >= 0 && i < kControlActionCount ? kActions[i] : kNoAction;
}

}  // namespace

KeyBindings::KeyBindings() {
  for (int i = 0; i < kControlActionCount; ++i) {
    keys_[i] = kActions[i].key;
    pads_[i] = kActions[i].pad;
  }
}

const char* KeyBindings::ActionName(ControlAction action) { return Info(action).name; }
const char* KeyBindings::ActionLabel(ControlAction action) { return Info(action).label; }
bool KeyBindings::TakesKey(ControlAction action) { return action < ControlAction::kAct; }
KeyChord KeyBindings::DefaultKey(ControlAction action) { return Info(action).key; }
PadChord KeyBindings::DefaultPad(ControlAction action) { return Info(action).pad; }

ControlAction KeyBindings::ActionForKey(int vk, bool shift) const {
  if (vk == 0) return ControlAction::kNone;
  for (int pass = 0; pass < (shift ? 2 : 1); ++pass) {
    const KeyChord wanted{vk, shift && pass == 0};
    for (int i = 0; i < kControlActionCount; ++i)
      if (keys_[i] == wanted) return static_cast<ControlAction>(i);
  }
  return ControlAction::kNone;
}

ControlAction KeyBindings::ActionForPad(PadButton button, bool modifierHeld) const {
  const int b = static_cast<int>(button);
  for (int pass = modifierHeld ? 0 : 1; pass < 2; ++pass) {
    const PadChord wanted{b, pass == 0};
    for (int i = 0; i < kControlActionCount; ++i)
      if (pads_[i] == wanted) return static_cast<ControlAction>(i);
  }
  return ControlAction::kNone;
}

bool KeyBindings::SetKey(ControlAction action, KeyChord key, std::string* why) {
  if (!TakesKey(action)) {
    if (why) *why = std::string(ActionLabel(action)) + " has no key.";
    return false;
  }
  if (key.vk == kVkShift || key.vk < 0 || key.vk > 0xFF) {
    if (why) *why = KeyText(key) + " cannot be a command key.";
    return false;
  }
  for (int i = 0; i < kControlActionCount && key.vk != 0; ++i) {
    if (i != static_cast<int>(action) && keys_[i] == key) {
      if (why) *why = KeyText(key) + " is already " + kActions[i].label + ".";
      return false;
    }
  }
  keys_[Index(action)] = key;
  return true;
}

bool KeyBindings::SetPad(ControlAction action, PadChord pad, std::string* why) {
  if (pad.button >= kPadButtonCount || (pad.button < 0 && pad.modifier)) {
    if (why) *why = "No such pad button.";
    return false;
  }
  const size_t self = Index(action);
  const size_t modifier = Index(ControlAction::kPadModifier);
  if (pad.Bound()) {
    if (action == ControlAction::kPadModifier && pad.modifier) {
      if (why) *why = "The modifier is a button of its own.";
      return false;
    }
    for (size_t i = 0; i < pads_.size(); ++i) {
      if (i == self || !pads_[i].Bound()) continue;
      // The modifier's button is held for the others, so it can share with nothing at all.
      const bool clash =
          pads_[i] == pad || ((i == modifier || self == modifier) && pads_[i].button == pad.button);
      if (clash) {
        if (why) *why = PadText(pad) + " is already " + kActions[i].label + ".";
        return false;
      }
    }
  }
  pads_[self] = pad;
  return true;
}

std::string KeyBindings::KeyText(KeyChord key) {
  return key.vk == 0 ? "None" : KeyName(key.vk, key.shift);
}

std::string KeyBindings::PadText(PadChord pad) {
  if (!pad.Bound()) return "None";
  return std::string(pad.modifier ? "Mod+" : "") +
         PadButtonName(static_cast<PadButton>(pad.button));
}

bool KeyBindings::ParseKey(std::string_view text, KeyChord* key) {
  if (text == "None") {
    *key = KeyChord{};
    return true;
  }
  bool shift = false;
  const int vk = VirtualKeyFromName(std::string(text), &shift);
  if (vk == 0) return false;
  *key = KeyChord{vk, shift};
  return true;
}

bool KeyBindings::ParsePad(std::string_view text, PadChord* pad) {
  if (text == "None") {
    *pad = PadChord{};
    return true;
  }
  const bool modifier = text.starts_with("Mod+");
  if (modifier) text.remove_prefix(4);
  PadButton button;
  if (!PadButtonFromName(text, &button)) return false;
  *pad = PadChord{static_cast<int>(button), modifier};
  return true;
}

std::vector<std::string> KeyBindings::Read(const IniFile& ini) {
  std::vector<std::string> refused;
  // Every saved binding is taken off first, so a saved swap of two bindings reads back whole.
  KeyBindings wanted = *this;
  for (int i = 0; i < kControlActionCount; ++i) {
    const auto action = static_cast<ControlAction>(i);
    const std::string name = ActionName(action);
    if (TakesKey(action)) {
      const std::string text = ini.GetString("keys", name);
      KeyChord key;
      if (!text.empty() && ParseKey(text, &key)) {
        wanted.keys_[i] = key;
      } else if (!text.empty()) {
        refused.push_back("keys: " + name + "=" + text + " is no key");
      }
    }
    const std::string text = ini.GetString("pad", name);
    PadChord pad;
    if (!text.empty() && ParsePad(text, &pad)) {
      wanted.pads_[i] = pad;
    } else if (!text.empty()) {
      refused.push_back("pad: " + name + "=" + text + " is no pad button");
    }
  }
  KeyBindings result = wanted;
  for (int i = 0; i < kControlActionCount; ++i) {
    result.keys_[i] = KeyChord{};
    result.pads_[i] = PadChord{};
  }
  // The modifier first: the pad bindings are checked against it.
  const int modifier = static_cast<int>(ControlAction::kPadModifier);
  std::string why;
  if (!result.SetPad(ControlAction::kPadModifier, wanted.pads_[modifier], &why))
    refused.push_back("pad: " + why);
  for (int i = 0; i < kControlActionCount; ++i) {
    const auto action = static_cast<ControlAction>(i);
    if (TakesKey(action) && !result.SetKey(action, wanted.keys_[i], &why)) {
      refused.push_back(std::string("keys: ") + ActionName(action) + ": " + why);
      result.keys_[i] = KeyChord{};
    }
    if (i != modifier && !result.SetPad(action, wanted.pads_[i], &why)) {
      refused.push_back(std::string("pad: ") + ActionName(action) + ": " + why);
    }
  }
  *this = result;
  return refused;
}

std::string KeyBindings::Write() const {
  std::string out = "[keys]\n";
  for (int i = 0; i < kControlActionCount; ++i) {
    const auto action = static_cast<ControlAction>(i);
    if (TakesKey(action)) out += std::string(ActionName(action)) + "=" + KeyText(keys_[i]) + "\n";
  }
  out += "\n[pad]\n";
  for (int i = 0; i < kControlActionCount; ++i)
    out += std::string(ActionName(static_cast<ControlAction>(i))) + "=" + PadText(pads_[i]) + "\n";
  return out;
}

}  // namespace isora
