// The story's small tables: factions joined, love degrees, named values, faction enmity,
// honours and notes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/game_texts.h"

namespace isora {

// Enmity at or above this is a feud.
constexpr int32_t kFeudEnmity = 50;

class Relations {
 public:
  using MessageFn = std::function<void(const std::string&)>;
  // Texts for the message line go to `showMessage` (may be empty).
  explicit Relations(MessageFn showMessage = {}) : showMessage_(std::move(showMessage)) {}
  void SetMessageFn(MessageFn fn) { showMessage_ = std::move(fn); }
  // The feud and peace texts come from `texts` (not owned; null: the built-in texts).
  void SetTexts(const GameTexts* texts) { texts_ = texts; }

  // 0 when the faction is already in the list.
  int JoinFaction(std::string_view name);
  // Empties the first equal entry (the entry stays); 0 when there is none.
  int LeaveFaction(std::string_view name);
  void ChangeLove(std::string_view person, int32_t amount, bool add);
  int32_t GetLove(std::string_view person) const;
  int32_t GetVip(std::string_view key) const;
  void SetVip(std::string_view key, int32_t value);
  // Crossing 50 upward starts a feud, downward makes peace; each shows a message and adds a note.
  void ChangeEnmity(std::string_view faction, int32_t amount, bool add);
  int32_t GetEnmity(std::string_view faction) const;
  void AddHonour(std::string_view text);
  // Notes are kept newest first, each prefixed "* ".
  void AddNote(std::string_view text);

  // Starting a new game empties love, honours and notes.
  void ResetForNewGame();
  void Clear();

  using Table = std::map<std::string, int32_t, std::less<>>;
  std::vector<std::string> playerFactions;
  Table loveDegrees;
  Table vipInfo;
  Table factionEnmity;
  std::vector<std::string> honours;
  std::vector<std::string> notes;

 private:
  void Show(const std::string& text);
  const std::string& Text(TextId id) const;
  MessageFn showMessage_;
  const GameTexts* texts_ = nullptr;
};

}  // namespace isora
