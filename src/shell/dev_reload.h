// What --dev's reload key reads again from the game folder besides the map: the INI package,
// so a content maker sees edited panels, texts and script indexes without leaving the game.
#pragma once

#include <string>

namespace isora {

class CGame;

// Why the INI package named by the game folder's game.ini cannot be read again (that game.ini,
// or the package's own game.ini, unreadable); empty when it can.
std::string IniPackageProblem();

// The panels from the INI package again: the in-game and main menus, the message dialog and
// the save panel in place; the player panel and the bag panels as new ones, the selected skill
// shown as before. While an item is in hand the player's panels are kept (the bag panels know
// where it was taken from). False with *why when those are kept or one of the INIs cannot be
// read; a panel whose INI cannot be read stays as it was.
bool ReloadPanels(CGame& game, std::string* why);

}  // namespace isora
