// The non-player roles of the current map, made from data\npc.npc: all of a map's placements
// after a map change, or one role by name (the script's AddNPC).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quests/relations.h"
#include "roles/npc_record.h"
#include "roles/role_npc.h"
#include "world/game_map.h"

namespace isora {

// One role of the list and its id; a removed role leaves its entry empty.
struct RoleListEntry {
  std::unique_ptr<CRoleNPC> role;
  int32_t id = 0;
};

// What creating a role needs besides the map: the role context, the relation tables the
// hostility rules read (may be null) and the player (the target of hostile roles).
struct PlacementContext {
  RoleContext& roles;
  const Relations* relations = nullptr;
  Role* player = nullptr;
  std::string npcFile = "data\\npc.npc";
};

class RoleList {
 public:
  // Replaces the roles with those of the placements, in order, with ids 1, 2, 3 ... Returns 1,
  // or 0 (leaving the list as it was) when the definition file is missing or foreign. A
  // placement naming a record the file does not hold is skipped and listed in MissingRecords.
  int CreateMapRoles(const std::vector<RolePlacement>& placements, const GameMap& map,
                     PlacementContext& context);
  // Appends a role made from the first record of this name on cell (row, column); 1 when made.
  int AddRoleByName(const std::string& name, int row, int column, const GameMap& map,
                    PlacementContext& context);

  // The record numbers the last CreateMapRoles skipped, for the log.
  const std::vector<int>& MissingRecords() const { return missingRecords_; }
  std::vector<RoleListEntry>& Entries() { return entries_; }
  const std::vector<RoleListEntry>& Entries() const { return entries_; }
  // Deletes every role of this name, leaving empty entries; the others forget them as
  // targets, and so does the player. Returns the number removed.
  int RemoveByName(const std::string& name, Role* player);
  // Deletes the role at an entry index together with its entry (a death).
  void Erase(size_t index, Role* player);
  void Clear();

 private:
  std::unique_ptr<CRoleNPC> Make(const NpcRecord& record, int row, int column, int id,
                                 const GameMap& map, PlacementContext& context);
  void ForgetEverywhere(const Role* role, Role* player);

  std::vector<RoleListEntry> entries_;
  std::vector<int> missingRecords_;
  int32_t nextId_ = 1;
};

// The hostility rules of creation: an enmity above 50 with the role's faction, or a role of
// kind 2 while the player's morality is negative, sets it to fight the player.
void ApplyCreationHostility(CRoleNPC& role, const Relations* relations, Role* player);

}  // namespace isora
