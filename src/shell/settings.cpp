#include "shell/settings.h"

#include <algorithm>
#include <filesystem>

#include "foundation/file_io.h"
#include "foundation/ini_file.h"

namespace isora {

namespace {

int Clamp(int v, int lo, int hi) { return std::clamp(v, lo, hi); }

}  // namespace

bool Settings::Load(const std::string& path, std::vector<std::string>* problems) {
  auto bytes = ReadFileBytes(path, size_t{1} << 20);
  if (!bytes) return false;
  IniFile ini;
  if (!ini.LoadBytes(*bytes)) return false;
  auto number = [&](const char* section, const char* key, int fallback) {
    const std::string text = ini.GetString(section, key);
    return text.empty() ? fallback : ini.GetInt(section, key);
  };
  // [audio] musicVolume, effectVolume: percent.
  musicVolume = Clamp(number("audio", "musicVolume", musicVolume), 0, 100);
  effectVolume = Clamp(number("audio", "effectVolume", effectVolume), 0, 100);
  // [video] fullscreen 0/1; scale: window size in multiples of 640x480; integerScale 0/1.
  display.fullscreen = number("video", "fullscreen", display.fullscreen) != 0;
  display.scale = Clamp(number("video", "scale", display.scale), 1, kMaxWindowScale);
  display.integerScale = number("video", "integerScale", display.integerScale) != 0;
  // [enhanced] <switch> 0/1: the player's choice over the game's; path-finding was once kept
  // under [movement].
  for (int i = 0; i < kTasteCount; ++i) {
    const std::string key(EnhancementKey(kTasteSwitches[i]));
    int choice = number("enhanced", key.c_str(), taste[i]);
    if (i == 0 && !ini.HasKey("enhanced", key)) choice = number("movement", key.c_str(), choice);
    taste[i] = choice < 0 ? -1 : (choice != 0 ? 1 : 0);
  }
  std::vector<std::string> refused = bindings.Read(ini);
  if (problems) problems->insert(problems->end(), refused.begin(), refused.end());
  return true;
}

std::string Settings::Text() const {
  std::string out = "; The player's settings, written by the options screen.\n[audio]\n";
  out += "musicVolume=" + std::to_string(musicVolume) + "\n";
  out += "effectVolume=" + std::to_string(effectVolume) + "\n\n[video]\n";
  out += "fullscreen=" + std::to_string(display.fullscreen ? 1 : 0) + "\n";
  out += "scale=" + std::to_string(display.scale) + "\n";
  out += "integerScale=" + std::to_string(display.integerScale ? 1 : 0) + "\n\n";
  std::string chosen;
  for (int i = 0; i < kTasteCount; ++i)
    if (taste[i] >= 0)
      chosen +=
          std::string(EnhancementKey(kTasteSwitches[i])) + "=" + std::to_string(taste[i]) + "\n";
  if (!chosen.empty()) out += "[enhanced]\n" + chosen + "\n";
  return out + bindings.Write();
}

Enhancements Settings::Over(Enhancements game) const {
  for (int i = 0; i < kTasteCount; ++i)
    if (taste[i] >= 0) game.Set(kTasteSwitches[i], taste[i] == 1);
  return game;
}

bool Settings::Save(const std::string& path) const {
  if (path.empty()) return false;
  const std::string folder = std::filesystem::path(path).parent_path().string();
  if (!folder.empty() && !MakeFolders(folder)) return false;
  const std::string text = Text();
  return WriteFileAtomic(
      path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace isora
