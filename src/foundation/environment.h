// The process's environment: its working folder and its variables. Game code reads them only
// through here, so tests and other platforms have one place to look.
#pragma once

#include <optional>
#include <string>

namespace isora {

// The process's working folder; "." when it cannot be read.
std::string CurrentDirectory();

// The value of an environment variable; empty optional when it is unset.
std::optional<std::string> EnvironmentValue(const char* name);

}  // namespace isora
