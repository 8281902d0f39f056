#include "foundation/environment.h"

#include <unistd.h>

#include <cstdlib>

namespace isora {

std::string CurrentDirectory() {
  char buf[4096];
  if (getcwd(buf, sizeof buf) == nullptr) return ".";
  return buf;
}

std::optional<std::string> EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace isora
