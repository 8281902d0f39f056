// expect: shell/game.h
#include "shell/game.h"
