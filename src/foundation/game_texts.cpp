#include "foundation/game_texts.h"

#include <iterator>

#include "foundation/gbk.h"
#include "foundation/ini_file.h"

namespace isora {

namespace {

constexpr TextEntry kEntries[] = {
    {TextId::kLevelUp, "message.level_up", u8"Level Up!", "message line: the player rose a level"},
    {TextId::kLevelTooLow, "message.level_too_low", u8"我的等级不够，不能用此物品",
     "message line: an item needs a higher level"},
    {TextId::kSkillLearned, "message.skill_learned", u8"I have learned %s",
     "message line: a book taught a skill (%s: the skill)"},
    {TextId::kSkillLevelUp, "message.skill_level_up", u8"%s level up",
     "message line: a book raised a skill's level (%s: the skill)"},
    {TextId::kMpTooLow, "message.mp_too_low",
     u8"My MP is not enough, I cann't use current skill now.",
     "message line: too little magic for the current skill"},
    {TextId::kBagFull, "message.bag_full", u8"My bag is full.",
     "message line: an item on the ground does not fit"},
    {TextId::kBagFullDropped, "message.bag_full_dropped",
     u8"My bag is full, %s fell down onto the ground.",
     "message line: a script's gift fell to the ground (%s: the item)"},
    {TextId::kGameSaved, "message.game_saved", u8"Game Data Saved.", "message line: after a save"},
    {TextId::kGameNotSaved, "message.game_not_saved",
     u8"Saving failed: the game was NOT saved. The old save is kept.",
     "message line: a save that could not be written (folder read-only or full)"},
    {TextId::kSaveDamaged, "message.save_damaged",
     u8"The saved game is damaged and cannot be loaded.", "message line: a damaged save slot"},
    {TextId::kSaveMapMissing, "message.save_map_missing",
     u8"The saved game's map is missing; it cannot be loaded.",
     "message line: a save whose map is gone"},
    {TextId::kSaveNotLoaded, "message.save_not_loaded", u8"The saved game could not be loaded.",
     "message line: a save that failed to load"},
    {TextId::kSaveCorrected, "message.save_corrected",
     u8"The saved game held impossible values. They were corrected.",
     "message line: a loaded save whose values were set right (details in the log)"},
    {TextId::kFeudMessage, "message.feud", u8"我与%s结怨，以后可要多多提防",
     "message line: a faction became an enemy (%s: the faction)"},
    {TextId::kFeudNote, "note.feud",
     u8"我与<2%s/>结怨，现在%s的人见到我就会来找我的麻烦，以后可要多多提防了",
     "note: a faction became an enemy (%s twice: the faction)"},
    {TextId::kPeaceMessage, "message.peace", u8"我与%s和解，不过最近还是少去惹他们为好",
     "message line: peace with a faction (%s: the faction)"},
    {TextId::kPeaceNote, "note.peace",
     u8"我与<2%s/>和解，不用再担心%s的人见我就找我的麻烦，不过最近还是少去惹他们为好",
     "note: peace with a faction (%s twice: the faction)"},
    {TextId::kLoadingMap, "notice.loading_map", u8"Loading map, please wait...",
     "notice while a map loads"},
    {TextId::kLoadingGame, "notice.loading_game", u8"Loading game, please wait...",
     "notice while a saved game loads"},
    {TextId::kKilled, "notice.killed", u8"I was killed. Let me try again!", "death screen"},
    {TextId::kResultStats, "result.stats",
     u8"Level: %d    Attack: %d    Defence: %d\nHit rate: %d    HP: %d    MP: %d    Killed "
     u8"enemy: %d",
     "result screen, first paragraph (level, attack, defence, hit rate, HP, MP, kills)"},
    {TextId::kResultScreenshot, "result.screenshot",
     u8"Your game result picture has been saved in the \"screenshot\" folder.",
     "result screen, second paragraph"},
    {TextId::kResultUpload, "result.upload",
     u8"Please upload it to the official website of Tarnlow Team to share with global players.",
     "result screen, third paragraph"},
    {TextId::kResultThanks, "result.thanks",
     u8"Thank you for playing this game. Welcome to visit %s",
     "result screen, last paragraph (%s: [result] site of game.ini)"},
    {TextId::kResultScore, "result.score", u8"My Score: %d", "result screen, the score"},
    {TextId::kAttributeTitle, "panel.attribute", u8"<3Attribute/>", "F1 panel title"},
    {TextId::kNoteTitle, "panel.note", u8"<3Note/>", "F2 panel title"},
    {TextId::kHonourTitle, "panel.honour", u8"<3Honour/>", "F3 panel title"},
    {TextId::kMissionTitle, "panel.mission", u8"<3My Mission/>", "F4 panel title"},
    {TextId::kHelpTitle, "panel.help", u8"<3Help/>", "help panel title"},
    {TextId::kNoteEmpty, "panel.note_empty", u8"",
     "F2 panel line while there are no notes (none when empty)"},
    {TextId::kHonourEmpty, "panel.honour_empty", u8"",
     "F3 panel line while there are no honours (none when empty)"},
    {TextId::kAttributeLevel, "attribute.level", u8"Level: <9%d/>", "F1 panel line"},
    {TextId::kAttributeAttack, "attribute.attack", u8"Attack: <9%d/>", "F1 panel line"},
    {TextId::kAttributeDefence, "attribute.defence", u8"Defence: <9%d/>", "F1 panel line"},
    {TextId::kAttributeHitRate, "attribute.hit_rate", u8"Hit rate: <9%d/>", "F1 panel line"},
    {TextId::kAttributeMoral, "attribute.moral", u8"Moral: <9%d/>", "F1 panel line"},
    {TextId::kAttributeHp, "attribute.hp", u8"HP: <9%d/>/<9%d/>", "F1 panel line"},
    {TextId::kAttributeMp, "attribute.mp", u8"MP: <9%d/>/<9%d/>", "F1 panel line"},
    {TextId::kBagTitle, "bag.title", u8"My Bag", "title of a bag item's panel"},
    {TextId::kShopTitle, "bag.shop_title", u8"Sell Items", "title of a merchant's wares"},
    {TextId::kLoadTitle, "panel.load", u8"<3Load Game/>", "save slot panel title, loading"},
    {TextId::kSaveTitle, "panel.save", u8"<3Save Game/>", "save slot panel title, saving"},
    {TextId::kScriptFailed, "box.script_failed",
     u8"Executing script failed. More details in GameEngine.log",
     "message box: a script started by a click failed"},
    {TextId::kErrorCaption, "box.error_caption", u8"Error", "that message box's caption"},
    {TextId::kHealthLow, "message.health_low", u8"My health is low!",
     "message line: the hero's health fell to a quarter (with damage numbers)"},
    {TextId::kAutosaveLabel, "save.autosave", u8"Autosave",
     "save panel: the autosave slot's label before its map and time"},
    {TextId::kContinueFromAutosave, "ask.continue_autosave",
     u8"Click: continue from the autosave.   Esc: the main menu.",
     "death screen: the offer of the autosave"},
    {TextId::kSaveBeforeQuit, "ask.save_before_quit", u8"Save before quitting?",
     "question when the window is closed with progress not saved"},
    {TextId::kNoSoundDevice, "message.no_sound", u8"No sound device: the game plays silently.",
     "message line: no sound device (with quietNoAudio)"},
    {TextId::kCannotSaveDying, "message.cannot_save_dying", u8"I cannot save while I am dying.",
     "message line: a save asked for while the hero dies"},
};
static_assert(std::size(kEntries) == static_cast<size_t>(TextId::kCount));

constexpr bool InIdOrder() {
  for (size_t i = 0; i < std::size(kEntries); ++i)
    if (static_cast<size_t>(kEntries[i].id) != i) return false;
  return true;
}
static_assert(InIdOrder(), "the table lists the texts in TextId order");

// "\n" written in the file stands for a line break; a GBK character's second byte may be a
// backslash, so the scan steps over whole characters.
std::string ExpandLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsGbkLead(c) && i + 1 < text.size()) {
      out += text.substr(i, 2);
      ++i;
    } else if (c == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

std::string FormatConversions(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsGbkLead(c)) {
      ++i;
      continue;
    }
    if (c != '%') continue;
    size_t j = i + 1;
    while (j < text.size() &&
           std::string_view("-+ #0123456789.hlI").find(text[j]) != std::string_view::npos)
      ++j;
    if (j >= text.size()) {
      out += '%';  // a lone % at the end
      break;
    }
    if (text[j] != '%') out += text[j];
    i = j;
  }
  return out;
}

GameTexts::GameTexts() { Reset(); }

std::span<const TextEntry> GameTexts::Entries() { return kEntries; }

const TextEntry* GameTexts::Find(std::string_view name) {
  for (const TextEntry& e : kEntries)
    if (name == e.name) return &e;
  return nullptr;
}

const std::string& GameTexts::BuiltIn(TextId id) {
  return Gbk(kEntries[static_cast<size_t>(id)].builtIn);
}

void GameTexts::Reset() {
  for (const TextEntry& e : kEntries) texts_[static_cast<size_t>(e.id)] = BuiltIn(e.id);
}

std::vector<std::string> GameTexts::Load(const IniFile& ini) {
  std::vector<std::string> refused;
  for (const TextEntry& e : kEntries) {
    std::string value = ini.GetString("strings", e.name);
    if (value.empty()) continue;
    value = ExpandLineBreaks(value);
    const std::string& builtIn = BuiltIn(e.id);
    if (FormatConversions(value) != FormatConversions(builtIn)) {
      refused.push_back(std::string(e.name) + ": its % values \"" + FormatConversions(value) +
                        "\" differ from the built-in text's \"" + FormatConversions(builtIn) +
                        "\"; the built-in text stays");
      continue;
    }
    texts_[static_cast<size_t>(e.id)] = std::move(value);
  }
  return refused;
}

}  // namespace isora
