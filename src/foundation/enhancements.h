// The behaviours a game may ask for beyond the classic engine, one switch each. A game folder
// whose game.ini has no [enhanced] section plays exactly as the classic engine did; the demo
// turns them all on. The shell reads them once (ReadEnhancements) and sets the process-wide
// copy in one place; the layers below only consult it.
#pragma once

#include <array>
#include <string_view>

namespace isora {

class IniFile;

// Each switch, in the order of the [enhanced] keys and the documentation's table.
enum class Enhancement {
  kPathFinding,        // clicks and held buttons walk round obstacles and people
  kSeeThrough,         // roles behind objects shine through them
  kScaledFades,        // fades scale each colour toward black instead of subtracting
  kMessageLinePlaced,  // the message line stays under panels and is cleared off other screens
  kWanderAround,       // wanderers pick their own points all round where they stand
  kStackCounts,        // bag cells show how many items a stack holds
  kWholeWordWrap,      // Latin words are not broken at the end of a line
  kObjectFronts,       // object pieces move only their drawn pixels under the roles
  kKillsOnlyKills,     // "kill any enemies" missions count only hostile roles' deaths
  kDamageNumbers,      // hits show their damage; the hero flashes and warns when low
  kTargetLock,         // a held button on a monster keeps the hero on it as it moves
  kSafeFriends,        // the left button never attacks a role that is not hostile
  kAutosave,           // a save on every map change, offered again after death
  kMinimap,            // a small map of the cells and roles in a corner
  kQuietNoAudio,       // no sound device: a message-line text instead of a message box
  kCount
};

// The key in [enhanced] for each switch.
std::string_view EnhancementKey(Enhancement e);

class Enhancements {
 public:
  bool On(Enhancement e) const { return on_[static_cast<size_t>(e)]; }
  void Set(Enhancement e, bool on) { on_[static_cast<size_t>(e)] = on; }
  bool operator==(const Enhancements&) const = default;

  // Every switch on (the demo's choice, and tests of the enhanced behaviour).
  static Enhancements All();

 private:
  std::array<bool, static_cast<size_t>(Enhancement::kCount)> on_{};
};

// [enhanced] <key>=0/1 of the packaged game.ini; a missing key is off. The old
// [movement] pathFinding is still read when [enhanced] does not name path-finding.
Enhancements ReadEnhancements(const IniFile& gameIni);

// The switches of the running game. Set only by the game object, when game.ini is read and
// when the player changes a switch of taste; everything else reads.
const Enhancements& Enhanced();
void SetEnhanced(const Enhancements& switches);

}  // namespace isora
