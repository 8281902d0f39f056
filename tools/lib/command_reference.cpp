#include "lib/command_reference.h"

#include <algorithm>
#include <set>

#include "script/script_commands.h"

namespace isora::demo {

namespace {

const char* KindName(char letter) {
  switch (letter) {
    case 'i':
      return "number";
    case 'd':
      return "number";
    case 's':
      return "text";
    case 'v':
      return "variable";
    default:
      return "?";
  }
}

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> out;
  size_t from = 0;
  if (list.empty()) return out;
  for (;;) {
    const size_t comma = list.find(',', from);
    out.push_back(list.substr(from, comma == std::string::npos ? comma : comma - from));
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return out;
}

}  // namespace

const std::vector<CommandDoc>& CommandDocs() {
  static const std::vector<CommandDoc> docs = {
      {"LoadInitialMap", "map,row,column,direction",
       "Starts a new game on the map file (under map\\) with the player on cell (row, column) "
       "facing direction (1 north, then clockwise to 8). main.gsp calls it before any Say. Waits "
       "for the map to load."},
      {"ChangeMap", "map,row,column,direction",
       "Moves the player to another map (or another cell of this one) with a fade. Waits."},
      {"Say", "speaker,text,portrait",
       "Shows the talk page: the speaker's name, the text (\\n starts a line) and a face pack "
       "picture (NULL for none). Waits for a click."},
      {"Ask", "speaker,text,portrait,variable",
       "Like Say with Yes and No buttons; stores 1 for Yes and 0 for No in the variable. Waits."},
      {"if", "condition",
       "Runs the lines up to the matching else or endif when the condition is not 0; written "
       "if(condition) with no blank before the bracket."},
      {"else", "", "Starts the lines run when the if's condition was 0. Alone on its line."},
      {"endif", "", "Ends an if block. Alone on its line."},
      {"SetInt", "name,value",
       "Creates the variable (or sets it) to the value. Variables live for one run of the "
       "script."},
      {"AddMission", "name,description,kind,target,required,autoCheck,flag",
       "Adds a mission: kind 0 collect `required` items named target, 1 kill `required` roles "
       "named target, 2 kill any `required` roles (target \"\"). autoCheck 1 completes it by "
       "itself; flag 1 makes CheckMission give 3 when completed now."},
      {"CheckMission", "name,variable",
       "Stores the mission's state: 0 open, 1 completed now (3 with flag 1), 2 completed "
       "before, 4 unknown."},
      {"exit", "", "Ends the script."},
      {"end", "", "Ends the script."},
      {"ShowNPCTalk", "role",
       "Shows the next talk line of the named role on this map as if the player had clicked "
       "it. Waits when it talks."},
      {"AddNPC", "role,row,column",
       "Places a new role of the named record (data\\npc.npc) on the cell of this map."},
      {"DelNPC", "role", "Removes the named role from this map."},
      {"DelAllNPCInMap", "", "Removes every role from this map but the player."},
      {"CmpMapName", "map,variable",
       "Stores 1 when the current map's name (the name shown on screen, Tiled's \"name\" map "
       "property) is exactly the given text, else 0."},
      {"AddHP", "amount", "Raises the player's HP, at most to its limit."},
      {"SubHP", "amount", "Lowers the player's HP; at 0 the player dies."},
      {"AddMP", "amount", "Raises the player's MP, at most to its limit."},
      {"SubMP", "amount", "Lowers the player's MP."},
      {"AddHPLimit", "amount", "Raises the player's HP limit."},
      {"SubHPLimit", "amount", "Lowers the player's HP limit."},
      {"AddMPLimit", "amount", "Raises the player's MP limit."},
      {"SubMPLimit", "amount", "Lowers the player's MP limit."},
      {"AddMoney", "amount", "Gives the player money."},
      {"SubMoney", "amount", "Takes money from the player."},
      {"AddExp", "amount", "Gives experience; the player may rise a level."},
      {"SubExp", "amount", "Takes experience."},
      {"AddAttack", "amount", "Raises the player's attack."},
      {"SubAttack", "amount", "Lowers the player's attack."},
      {"AddDefence", "amount", "Raises the player's defence."},
      {"SubDefence", "amount", "Lowers the player's defence."},
      {"AddHitRate", "amount", "Raises the player's hit rate."},
      {"SubHitRate", "amount", "Lowers the player's hit rate."},
      {"AddMoral", "amount", "Raises the player's moral."},
      {"SubMoral", "amount", "Lowers the player's moral (below 0, kind 2 roles turn hostile)."},
      {"GetMoral", "variable", "Stores the player's moral."},
      {"GetMoney", "variable", "Stores the player's money."},
      {"AddHonor", "text", "Adds an honour to the honour panel (F3)."},
      {"AddNote", "text", "Adds a line to the note panel (F2)."},
      {"AddFaction", "faction", "Makes the player a member of the faction."},
      {"RemoveFaction", "faction", "Ends the player's membership of the faction."},
      {"AddSkill", "skill",
       "Teaches the player the skill of that name (data\\skill.skl), or raises its level."},
      {"RemoveSkill", "skill", "Makes the player forget the skill."},
      {"AddGirlLove", "person,amount", "Raises the love degree of the named person."},
      {"SubGirlLove", "person,amount", "Lowers the love degree of the named person."},
      {"GetGirlLove", "person,variable", "Stores the love degree of the named person."},
      {"GetVIPInfo", "key,variable",
       "Stores the remembered value of the key (0 when never set). Remembered values are "
       "saved with the game; a role with rememberDeath sets its name to 1 when it dies."},
      {"SetVIPInfo", "key,value", "Remembers the value under the key, saved with the game."},
      {"GetRandomNum", "limit,variable", "Stores a random number from 0 to limit - 1."},
      {"SetNPCAttack", "role", "Makes the named roles of this map attack the player."},
      {"PlayMusic", "file", "Plays the music file (a path from the game folder)."},
      {"PlaySound", "file", "Plays the sound file under sound\\."},
      {"ShowTip", "text", "Shows the text on the message line for a while."},
      {"Rain", "", "Starts rain on the map."},
      {"GameOver", "", "Ends the game: the result screen with the score and its title."},
      {"AddFactionEnmity", "faction,amount",
       "Raises the faction's enmity; above 50 its roles attack on sight."},
      {"SubFactionEnmity", "faction,amount", "Lowers the faction's enmity."},
      {"AddPlayerItem", "item,count",
       "Puts count items of that name (data\\items.itm) into the player's bag."},
      {"RemovePlayerItem", "item,count", "Takes count items of that name from the bag."},
      {"GetMissionObjCount", "mission,variable",
       "Stores how many of its target a collect mission has counted so far."},
      {"ShowTutorial", "", "Opens the tutorial pages of tutorialpanel.ini."},
  };
  return docs;
}

std::vector<std::string> CommandDocProblems() {
  std::vector<std::string> out;
  std::set<std::string> documented;
  for (const CommandDoc& d : CommandDocs()) {
    documented.insert(d.name);
    const CommandSpec* spec = FindCommand(d.name);
    if (!spec) {
      out.push_back(std::string(d.name) + " is described but is no command");
    } else if (Split(d.arguments).size() != spec->kinds.size()) {
      out.push_back(std::string(d.name) + " takes " + std::to_string(spec->kinds.size()) +
                    " arguments; the description names " +
                    std::to_string(Split(d.arguments).size()));
    }
  }
  for (const CommandSpec& spec : CommandTable())
    if (!documented.count(std::string(spec.name)))
      out.push_back(std::string(spec.name) + " has no description");
  return out;
}

std::string CommandReferenceMarkdown() {
  std::string out =
      "# Script commands\n\n"
      "Generated by `isora-kit script commands` from the engine's command table; a test keeps\n"
      "this file equal to its output. See docs/content.md section 8 for how scripts are "
      "written.\n\n"
      "Arguments: a *number* is a number or an expression with one operator (`a+1`, "
      "`count>=3`); a *text* is a name or a quoted text; a *variable* names a variable made by "
      "`SetInt`, which receives the command's result.\n\n"
      "| Command | Arguments | What it does |\n|---|---|---|\n";
  std::vector<const CommandDoc*> docs;
  for (const CommandSpec& spec : CommandTable())
    for (const CommandDoc& d : CommandDocs())
      if (spec.name == d.name) {
        std::vector<std::string> names = Split(d.arguments);
        std::string args;
        for (size_t i = 0; i < names.size() && i < spec.kinds.size(); ++i)
          args += std::string(i ? ", " : "") + names[i] + " (" + KindName(spec.kinds[i]) + ")";
        std::string text = d.text;
        // A bar inside a cell would end it.
        std::replace(text.begin(), text.end(), '|', '/');
        out += "| `" + std::string(spec.name) + "` | " + (args.empty() ? "none" : args) + " | " +
               text + " |\n";
        break;
      }
  return out;
}

}  // namespace isora::demo
