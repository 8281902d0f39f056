#include <cstdlib>

int Roll() { return rand() % 6; }
