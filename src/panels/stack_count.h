// The number of pieces on a stacked cell, so that three potions do not look like one.
#pragma once

namespace isora {

class Renderer;

// Draws `count` in the lower-right corner of the 32×32 cell at (cellX, cellY) of the back
// buffer, white with a black outline; nothing for a count of 1 or less.
void DrawStackCount(Renderer& renderer, int cellX, int cellY, int count);

}  // namespace isora
