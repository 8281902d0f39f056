// Moving the player, missions and relations between the game's objects and a save's plain data.
#pragma once

#include "items/bag.h"
#include "items/equipment.h"
#include "quests/mission_list.h"
#include "quests/relations.h"
#include "roles/attributes.h"
#include "save/save_data.h"

namespace isora {

class ItemDatabase;

// Fills the player block, skills, bag, inner bags and weapon pack from a snapshot. Only slots
// holding a bag item (types 5 to 7) whose bag keeps contents write them.
void StorePlayer(const AttributeSnapshot& snapshot, SaveData& data);
// Builds a snapshot from a save: the bag with the saved stack counts, each inner bag on the slot
// it was saved with (only when that slot holds a bag item), and a four-slot weapon pack.
AttributeSnapshot LoadPlayer(const SaveData& data, const ItemDatabase* items);

void StoreRelations(const Relations& relations, SaveData& data);
void LoadRelations(const SaveData& data, Relations& relations);
void StoreMissions(const MissionList& missions, SaveData& data);
void LoadMissions(const SaveData& data, MissionList& missions);

}  // namespace isora
