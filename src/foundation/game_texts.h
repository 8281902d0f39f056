// The texts the engine itself shows the player: the message line's messages, the feud and peace
// messages and notes, the loading and death notices, the result screen, the status panel titles
// and lines, the bag and shop titles, and the message box of a failed script. Each has a stable
// name and a built-in text; a game replaces any of them in the [strings] section of strings.ini
// in its INI package (name=text, GBK like every packaged INI). A game without that file shows
// the built-in texts.
//
// In a replacement, "\n" stands for a line break. A text that takes values (%d, %s) must take
// the same ones in the same order; a replacement that does not is refused and logged, since it
// would read a value that is not there. INI values end at ";" and "]", so a text cannot hold them.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace isora {

class IniFile;

enum class TextId : int {
  kLevelUp,
  kLevelTooLow,
  kSkillLearned,
  kSkillLevelUp,
  kMpTooLow,
  kBagFull,
  kBagFullDropped,
  kGameSaved,
  kGameNotSaved,
  kSaveDamaged,
  kSaveMapMissing,
  kSaveNotLoaded,
  kSaveCorrected,
  kFeudMessage,
  kFeudNote,
  kPeaceMessage,
  kPeaceNote,
  kLoadingMap,
  kLoadingGame,
  kKilled,
  kResultStats,
  kResultScreenshot,
  kResultUpload,
  kResultThanks,
  kResultScore,
  kAttributeTitle,
  kNoteTitle,
  kHonourTitle,
  kMissionTitle,
  kHelpTitle,
  kNoteEmpty,
  kHonourEmpty,
  kAttributeLevel,
  kAttributeAttack,
  kAttributeDefence,
  kAttributeHitRate,
  kAttributeMoral,
  kAttributeHp,
  kAttributeMp,
  kBagTitle,
  kShopTitle,
  kLoadTitle,
  kSaveTitle,
  kScriptFailed,
  kErrorCaption,
  kHealthLow,
  kAutosaveLabel,
  kContinueFromAutosave,
  kSaveBeforeQuit,
  kNoSoundDevice,
  kCannotSaveDying,
  kCount
};

// One text: its stable name, its built-in text (UTF-8 in the source) and what it is for.
struct TextEntry {
  TextId id;
  const char* name;
  const char8_t* builtIn;
  const char* use;
};

class GameTexts {
 public:
  // The built-in texts.
  GameTexts();

  // Every text, in TextId order.
  static std::span<const TextEntry> Entries();
  // The entry of a name, or null.
  static const TextEntry* Find(std::string_view name);
  // The built-in text of an entry as the game's GBK bytes.
  static const std::string& BuiltIn(TextId id);

  const std::string& Get(TextId id) const { return texts_[static_cast<size_t>(id)]; }

  // Takes the replacements in [strings] of `ini`. Returns one line per refused replacement
  // ("name: why") for the log; the refused texts keep their built-in text.
  std::vector<std::string> Load(const IniFile& ini);
  // Back to the built-in texts.
  void Reset();

 private:
  std::array<std::string, static_cast<size_t>(TextId::kCount)> texts_;
};

// The % conversions of a format text, in order ("ds" for "%d ... %s"); "%%" is not one.
std::string FormatConversions(std::string_view text);

}  // namespace isora
