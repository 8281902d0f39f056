// The few panel operations the role side of the game needs, defined with the panels so the
// world files need not include the panel headers.
#pragma once

#include <string>

namespace isora {

class CGame;

// Opens the talk dialog for a role's line; the game enters ModeTalk.
void ShowRoleTalk(CGame& game, const std::string& speaker, const std::string& line,
                  const std::string& portrait, int x, int y);
// Re-creates the player panel and both bag panels for a new player role.
void RecreatePlayerPanels(CGame& game);
// playerpanel.ini into the player panel, packpanel.ini into both bag panels.
bool LoadPlayerPanels(CGame& game);
// The skill panel shows the player's current skill.
void SelectPanelSkill(CGame& game, int skillId);

}  // namespace isora
