// isora-kit strings: the engine's own texts a game may replace in strings.ini.
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "foundation/game_texts.h"
#include "foundation/gbk.h"
#include "foundation/ini_file.h"
#include "kit/kit.h"

namespace isora::kit {
namespace {

const char kUsage[] =
    "usage: isora-kit strings [--json]                 every text name and its built-in text\n"
    "       isora-kit strings check FILE|PKG::MEMBER   the replacements a strings.ini gives\n"
    "\n"
    "The engine shows a few texts of its own: messages on the message line, the feud and peace\n"
    "messages and notes, loading and death notices, the result screen, the status panels' titles\n"
    "and lines, the bag and shop titles and the box of a failed script. A game replaces any of\n"
    "them in the [strings] section of ini/strings.ini (packed into its INI package): name=text.\n"
    "A name it leaves out keeps the built-in text. In a text \"\\n\" starts a new line; a text\n"
    "must take the same %d and %s values, in the same order, as its built-in text, or the game\n"
    "refuses it and logs why.\n"
    "\n"
    "Without arguments the command prints a complete strings.ini of the built-in texts (UTF-8,\n"
    "as a game's source holds it), each after a comment saying where it shows: a start for a\n"
    "translation. --json prints the same as a list of {name, text, use}. `check` reads a\n"
    "strings.ini (source or packed) and prints, for every name, the text the game will show,\n"
    "marking the ones that replace the built-in text; it fails when a replacement is refused.\n";

// A text as written in strings.ini: a line break as "\n".
std::string Escaped(const std::string& gbk) {
  std::string out;
  for (char c : GbkToUtf8(gbk)) {
    if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

int PrintBuiltIn(bool json) {
  if (json) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const TextEntry& e : GameTexts::Entries())
      list.push_back(
          {{"name", e.name}, {"text", GbkToUtf8(GameTexts::BuiltIn(e.id))}, {"use", e.use}});
    std::printf("%s\n", list.dump(2).c_str());
    return 0;
  }
  std::printf("; The engine's own texts (isora-kit strings). Keep the %%d and %%s of each.\n");
  std::printf("[strings]\n");
  for (const TextEntry& e : GameTexts::Entries()) {
    const std::string text = Escaped(GameTexts::BuiltIn(e.id));
    // A value ends at ";", "]" or a TAB: such a text, written here, would come back cut short,
    // so it is left as a comment to be reworded.
    const bool writable = text.find_first_of(";]\t") == std::string::npos;
    std::printf("; %s\n%s%s=%s\n", e.use,
                writable ? "" : "; (reword without \";\" or \"]\" to replace) ", e.name,
                text.c_str());
  }
  return 0;
}

int Check(const std::string& input) {
  LogToStderr log;
  std::string error;
  auto bytes = ReadInput(input, &error);
  if (!bytes) return Fail(error);
  // A source file is UTF-8; a packed one is already GBK.
  std::string text(bytes->begin(), bytes->end());
  if (input.find("::") == std::string::npos) text = Utf8ToGbk(text);
  IniFile ini;
  ini.LoadBytes(std::vector<uint8_t>(text.begin(), text.end()));
  GameTexts texts;
  std::vector<std::string> refused = texts.Load(ini);
  for (const TextEntry& e : GameTexts::Entries()) {
    const std::string& shown = texts.Get(e.id);
    const bool replaced = shown != GameTexts::BuiltIn(e.id);
    std::printf("%s %s=%s\n", replaced ? "*" : " ", e.name, Escaped(shown).c_str());
  }
  for (const std::string& r : refused) std::fprintf(stderr, "refused: %s\n", r.c_str());
  return refused.empty() ? 0 : 1;
}

int RunStrings(const std::vector<std::string>& args) {
  if (WantsHelp(args)) return std::printf("%s", kUsage), 0;
  if (args.empty()) return PrintBuiltIn(false);
  if (args.size() == 1 && args[0] == "--json") return PrintBuiltIn(true);
  if (args.size() == 2 && args[0] == "check") return Check(args[1]);
  return Fail("strings takes --json, or check FILE|PKG::MEMBER (see --help)");
}

}  // namespace

ISORA_KIT_COMMAND("strings", "list the engine's own texts a game can replace in strings.ini",
                  RunStrings);

}  // namespace isora::kit
