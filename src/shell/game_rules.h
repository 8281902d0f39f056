// The game's small rules that need no game object: the game-over score and title, the
// screenshot name, the attribute panel's lines, tile picture numbers and the splash counter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/game_texts.h"
#include "roles/attributes.h"

namespace isora {

class IniFile;
struct SystemTime;

// The log path rule: the working directory followed by "\GameEngine.log", without a second
// separator when the directory is a root ("C:\" or "/").
std::string LogPathFor(const std::string& workingDir);
// The game-over score and the title it earns from [result] of game.ini.
int32_t GameOverScore(const Attributes& attributes, int32_t killedEnemies);
std::string ResultTitle(const IniFile& gameIni, int32_t score);
// "%d%d%d%d%d%d%d.jpg" from the local time.
std::string ScreenshotName(const SystemTime& utc);
// The seven lines of the attribute panel, in the given texts.
std::vector<std::string> AttributeLines(const Attributes& attributes,
                                        const GameTexts& texts = GameTexts());
// The number part of a tile picture's name: padded with zeros to the width of the last number
// when pad is set.
std::string TileNumberText(int number, int lastNumber, bool pad);
// Which of the five splash pictures shows next; it counts on over a session's games.
int32_t SplashIndex();
void ResetSplashIndex();
// A value of game.ini as the game keeps it: 30-byte fields, so at most 29 bytes.
std::string Field30(const std::string& value);
// Straight to the main menu (the edit loop's --skip-splash).
void SkipSplash();

}  // namespace isora
