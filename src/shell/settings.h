// The player's settings for one game: volumes, how the window shows the screen, path-finding
// and the controls. Kept in settings.ini in the game's settings folder and written back
// whenever the options screen changes something.
//
//   [audio]    musicVolume, effectVolume   0..100
//   [video]    fullscreen 0/1, scale 1..4, integerScale 0/1
//   [enhanced] pathFinding, seeThrough, stackCounts, messageLinePlaced, minimap 0/1 (missing: the
//              game's own choice in game.ini; [movement] pathFinding is still read)
//   [keys]     <command>=<key>     e.g. menu=Esc, bag1=1, levelUp=Shift+F8
//   [pad]      <command>=<button>  e.g. act=A, bag1=Mod+A, padModifier=LB
#pragma once

#include <array>
#include <iterator>
#include <string>
#include <vector>

#include "foundation/enhancements.h"
#include "media/platform.h"
#include "shell/key_bindings.h"

namespace isora {

constexpr int kMaxWindowScale = 4;

// The switches that are a player's taste: the options screen and settings.ini may set them over
// the game's own choice.
constexpr Enhancement kTasteSwitches[] = {Enhancement::kPathFinding, Enhancement::kSeeThrough,
                                          Enhancement::kStackCounts,
                                          Enhancement::kMessageLinePlaced, Enhancement::kMinimap};
constexpr int kTasteCount = static_cast<int>(std::size(kTasteSwitches));

struct Settings {
  int musicVolume = 100;
  int effectVolume = 100;
  DisplayMode display;
  // Per switch of kTasteSwitches: -1 as the game says, 0 off, 1 on.
  std::array<int, kTasteCount> taste{-1, -1, -1, -1, -1};
  KeyBindings bindings;

  // Reads the file over the defaults; a missing file is no error (false, nothing logged).
  // Out-of-range values are clamped; refused bindings are added to *problems.
  bool Load(const std::string& path, std::vector<std::string>* problems = nullptr);
  // Writes the file whole (to a temporary file renamed over it); false when it cannot.
  bool Save(const std::string& path) const;
  std::string Text() const;
  // The game's switches with the player's choices over them.
  Enhancements Over(Enhancements game) const;

  bool operator==(const Settings&) const = default;
};

}  // namespace isora
