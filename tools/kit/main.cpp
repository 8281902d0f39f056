// isora-kit: pack, inspect and build the game's data.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "isora_version.h"
#include "kit/kit.h"

namespace {

void Usage() {
  std::printf("usage: isora-kit COMMAND [ARGS...]\n\ncommands:\n");
  auto commands = isora::kit::Commands();
  std::sort(commands.begin(), commands.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& c : commands) std::printf("  %-10s %s\n", c.name.c_str(), c.summary.c_str());
  std::printf("\n'isora-kit COMMAND --help' describes a command; --version prints the version.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    Usage();
    return argc < 2 ? 2 : 0;
  }
  if (std::string(argv[1]) == "--version") {
    std::printf("isora-kit %s\n", isora::kIsoraVersion);
    return 0;
  }
  isora::kit::InstallConsoleReporting();
  std::string word = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const auto& c : isora::kit::Commands()) {
    if (c.name == word) return c.run(args);
  }
  std::fprintf(stderr, "isora-kit: unknown command '%s'\n", word.c_str());
  Usage();
  return 2;
}
