// expect: compiles
// What a world file may use: its own layer, the layers below, and the seams.
#include "foundation/clock.h"
#include "foundation/file_io.h"
#include "world/game_map.h"

int main() { return static_cast<int>(isora::Clock::TickCount()) + isora::GameFolder().empty(); }
