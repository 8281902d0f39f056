// A widget that reaches up into the shell.
#include "shell/game.h"
