#include "roles/role.h"

// rand() in a comment and time( in a string are fine.
const char* kText = "time(";
int Step(Clock& c) { return c.time() + std::max(1, 2); }
