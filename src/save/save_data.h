// A save game as plain data, field by field in the file's order. The game object fills it when
// saving and applies it when loading; this layer only writes and reads it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "quests/mission_list.h"
#include "roles/attributes.h"

namespace isora {

constexpr uint32_t kSaveMagic = 0x67736476;  // "vdsg"
constexpr size_t kSaveText30 = 30;
constexpr size_t kSaveText255 = 255;
constexpr size_t kSaveMapHeaderSize = 92;
constexpr size_t kSavePlayerValues = 17;
constexpr char kSaveRolesEnd[] = "npc over";

struct SavedRole {
  std::string name;
  int32_t x = 0, y = 0;
  bool operator==(const SavedRole&) const = default;
};

// The player block, in the file's order.
struct SavedPlayer {
  int32_t defence = 0, direction = 1, hitRate = 30, level = 1, money = 0, moral = 50, exp = 0,
          maxHp = 100, mp = 50, skillId = 1, skillLevel = 1, attack = 10, expNeeded = 100, hp = 100,
          maxMp = 50, x = 0, y = 0;
  bool operator==(const SavedPlayer&) const = default;
};

struct SavedBagSlot {
  int32_t item = 0, count = 1;
  bool operator==(const SavedBagSlot&) const = default;
};

using SavedTable = std::vector<std::pair<std::string, int32_t>>;

struct SaveData {
  std::string timeStamp;
  std::array<uint8_t, kSaveMapHeaderSize> mapHeader{};
  std::vector<SavedRole> roles;
  SavedPlayer player;
  std::vector<LearnedSkill> skills;
  std::vector<SavedBagSlot> bag;
  // One entry per bag slot: the inner bag's items, or nothing (written as -1).
  std::vector<std::optional<std::vector<int32_t>>> innerBags;
  std::vector<int32_t> weaponPack;
  SavedTable loveDegrees;
  SavedTable factionEnmity;
  SavedTable vipInfo;
  std::vector<std::string> factions;
  std::vector<std::string> honours;
  std::vector<std::string> notes;
  std::vector<Mission> missions;
  int32_t killCount = 0;
  int32_t rainFlag = 0;
  bool operator==(const SaveData&) const = default;

  // The map file (offset 4) and map name (offset 24) of the saved map header.
  std::string MapFile() const;
  std::string MapName() const;
};

}  // namespace isora
