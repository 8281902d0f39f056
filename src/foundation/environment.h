// The process's environment variables. Game code reads them only through here, so tests and
// other platforms have one place to look.
#pragma once

#include <optional>
#include <string>

namespace isora {

// The value of an environment variable; empty optional when it is unset.
std::optional<std::string> EnvironmentValue(const char* name);

}  // namespace isora
