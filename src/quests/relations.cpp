#include "quests/relations.h"

#include <algorithm>

#include "foundation/gbk.h"
#include "foundation/system_hooks.h"
#include "foundation/win_format.h"
#include "roles/attributes.h"

namespace isora {

void Relations::Show(const std::string& text) {
  if (showMessage_) showMessage_(text);
}

const std::string& Relations::Text(TextId id) const {
  return texts_ ? texts_->Get(id) : GameTexts::BuiltIn(id);
}

int Relations::JoinFaction(std::string_view name) {
  if (std::find(playerFactions.begin(), playerFactions.end(), name) != playerFactions.end())
    return 0;
  playerFactions.emplace_back(name);
  return 1;
}

int Relations::LeaveFaction(std::string_view name) {
  auto it = std::find(playerFactions.begin(), playerFactions.end(), name);
  if (it == playerFactions.end()) return 0;
  it->clear();
  return 1;
}

static int32_t& Entry(Relations::Table& table, std::string_view key) {
  auto it = table.find(key);
  if (it == table.end()) it = table.emplace(std::string(key), 0).first;
  return it->second;
}

static int32_t Lookup(const Relations::Table& table, std::string_view key) {
  auto it = table.find(key);
  return it == table.end() ? 0 : it->second;
}

void Relations::ChangeLove(std::string_view person, int32_t amount, bool add) {
  int32_t& degree = Entry(loveDegrees, person);
  degree = add ? SatAdd(degree, amount) : SatSub(degree, amount);
  Hooks::DebugOutput(WinFormat("%s's love degree:%d\n", std::string(person).c_str(), degree));
}

int32_t Relations::GetLove(std::string_view person) const { return Lookup(loveDegrees, person); }

int32_t Relations::GetVip(std::string_view key) const { return Lookup(vipInfo, key); }

void Relations::SetVip(std::string_view key, int32_t value) { Entry(vipInfo, key) = value; }

int32_t Relations::GetEnmity(std::string_view faction) const {
  return Lookup(factionEnmity, faction);
}

void Relations::ChangeEnmity(std::string_view faction, int32_t amount, bool add) {
  const std::string name(faction);
  int32_t& enmity = Entry(factionEnmity, faction);
  const int32_t old = enmity;
  if (add) {
    enmity = SatAdd(old, amount);
    if (old < kFeudEnmity && enmity >= kFeudEnmity) {
      Show(WinFormat(Text(TextId::kFeudMessage).c_str(), name.c_str()));
      AddNote(WinFormat(Text(TextId::kFeudNote).c_str(), name.c_str(), name.c_str()));
    }
  } else {
    enmity = SatSub(old, amount);
    if (old >= kFeudEnmity && enmity < kFeudEnmity) {
      Show(WinFormat(Text(TextId::kPeaceMessage).c_str(), name.c_str()));
      AddNote(WinFormat(Text(TextId::kPeaceNote).c_str(), name.c_str(), name.c_str()));
    }
  }
  Hooks::DebugOutput(WinFormat("%s's enmity:%d\n", name.c_str(), enmity));
}

void Relations::AddHonour(std::string_view text) { honours.emplace_back(text); }

void Relations::AddNote(std::string_view text) {
  notes.insert(notes.begin(), "* " + std::string(text));
}

void Relations::ResetForNewGame() {
  loveDegrees.clear();
  honours.clear();
  notes.clear();
}

void Relations::Clear() {
  playerFactions.clear();
  loveDegrees.clear();
  vipInfo.clear();
  factionEnmity.clear();
  honours.clear();
  notes.clear();
}

}  // namespace isora
