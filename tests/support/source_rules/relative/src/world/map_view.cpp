// A map file that reaches up into the shell beside it.
#include "../shell/game.h"
