// isora-kit ini: looking values up in INI documents the way the game does.
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/ini_file.h"
#include "kit/kit.h"

namespace isora::kit {
namespace {

const char kUsage[] =
    "usage: isora-kit ini get FILE SECTION KEY\n"
    "       isora-kit ini get PKG::MEMBER SECTION KEY\n"
    "\n"
    "Prints the value of KEY in SECTION exactly as the game reads it (the key scan runs past the\n"
    "section's end; a missing key prints an empty line), then a newline. The value's bytes are\n"
    "printed unchanged (GBK); SECTION and KEY may be typed in UTF-8. MEMBER is a package path\n"
    "with backslashes.\n";

int RunIni(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return std::printf("%s", kUsage), 0;
  if (args.empty() || args[0] != "get") return Fail("ini takes the subcommand get (see --help)");
  if (args.size() != 4) return Fail("ini get takes FILE|PKG::MEMBER, SECTION and KEY");
  LogToStderr log;
  std::string error;
  auto bytes = ReadInput(args[1], &error);
  if (!bytes) return Fail(error);
  if (bytes->empty()) return Fail(args[1] + " is empty");
  IniFile ini;
  ini.LoadBytes(*bytes);
  std::string section = MemberPathFromUser(args[2]), key = MemberPathFromUser(args[3]);
  std::string value = ini.GetString(section, key);
  value += '\n';
  std::fwrite(value.data(), 1, value.size(), stdout);
  return 0;
}

}  // namespace

ISORA_KIT_COMMAND("ini", "look a value up in an INI file or package member", RunIni);

}  // namespace isora::kit
