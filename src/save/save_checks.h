// The values of a save checked before the game takes them: a file can be whole and still hold
// what no game could have written (a hand-edited or damaged slot). A place the player cannot
// stand on refuses the save; every other impossible value is set to the nearest possible one.
#pragma once

#include <string>
#include <vector>

#include "save/save_data.h"

namespace isora {

class ItemDatabase;
class SkillDatabase;

struct SaveCheck {
  // Why the save cannot be loaded at all; empty when it can.
  std::string refusal;
  // One line per value set right ("hp -5 is impossible; set to 1").
  std::vector<std::string> corrections;
};

// Checks `data` and corrects what can be corrected in place. The player's position must lie on
// the map picture; attributes are kept in their ranges (HP at least 1 and at most its limit,
// money, experience and kills not below 0, a level of at least 1, a direction of 1 to 8); an
// item or skill id the databases do not hold is dropped, and a stack count is kept between 1
// and what the item can stack to.
SaveCheck CheckSaveValues(SaveData& data, const ItemDatabase& items, const SkillDatabase& skills);

}  // namespace isora
