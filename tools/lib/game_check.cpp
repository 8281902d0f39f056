#include "lib/game_check.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

#include "foundation/file_io.h"
#include "foundation/game_texts.h"
#include "foundation/gbk.h"
#include "foundation/paths.h"
#include "lib/art_files.h"
#include "lib/demo_art.h"
#include "lib/demo_builder.h"
#include "lib/demo_objects.h"
#include "lib/demo_raster.h"
#include "lib/demo_tiled.h"
#include "lib/game_pictures.h"
#include "lib/json_source.h"
#include "lib/map_writer.h"
#include "lib/role_standing.h"
#include "script/script_check.h"
#include "script/script_lines.h"

namespace isora::demo {

namespace fs = std::filesystem;
using nlohmann::json;

int CheckReport::Errors() const {
  return static_cast<int>(
      std::count_if(issues.begin(), issues.end(), [](const CheckIssue& i) { return i.error; }));
}

int CheckReport::Warnings() const { return static_cast<int>(issues.size()) - Errors(); }

std::string CheckReport::Format() const {
  std::string out;
  for (const CheckIssue& i : issues) {
    out += i.file;
    if (i.line > 0) out += ":" + std::to_string(i.line);
    out += i.error ? ": error: " : ": warning: ";
    out += i.message + "\n";
  }
  const int e = Errors(), w = Warnings();
  out += std::to_string(e) + (e == 1 ? " error, " : " errors, ") + std::to_string(w) +
         (w == 1 ? " warning\n" : " warnings\n");
  return out;
}

namespace {

// A text member, or "" when it is missing or not a text (the build names wrong types).
std::string Str(const json& object, const char* key) {
  if (!object.is_object()) return {};
  auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The splash and title screens are this wide; the title is drawn 12 times the font's size.
constexpr int kScreenWidth = 640;
constexpr int kTitleScale = 12;
constexpr int kSubtitleScale = 3;

// Fields each record kind accepts; anything else is a typo the build would drop or refuse.
const std::set<std::string> kItemFields = {
    "id", "name", "price", "description", "note",    "type",  "reserved", "picture", "needLevel",
    "hp", "mp",   "exp",   "attack",      "defence", "moral", "hitRate",  "maxHp",   "maxMp"};
const std::set<std::string> kSkillFields = {
    "id",       "name",       "description", "kind", "range",        "power",
    "maxLevel", "growth",     "sound",       "icon", "effectFrames", "effectFrameCount",
    "mpCost",   "shortcutKey"};
const std::set<std::string> kNpcFields = {
    "roleName",   "kind",          "wanders",        "animationFile", "portrait",    "clickScript",
    "hp",         "attack",        "fightMode",      "drops",         "drop1",       "drop2",
    "drop3",      "drop4",         "startDirection", "talkLines",     "talkMode",    "expValue",
    "skillId",    "rememberDeath", "startSound",     "deathScript",   "factionName", "title",
    "enmityGain", "unused0",       "word24"};
const std::set<std::string> kRoleSetFields = {"file", "prefix", "body",   "player",
                                              "look", "states", "comment"};
const std::set<std::string> kRoleStates = {"stand", "walk", "run", "fight", "die"};
const std::set<std::string> kArtFields = {
    "comment",     "title",      "subtitle",     "palette",     "splash",   "screens",
    "menuButtons", "panels",     "smallButtons", "playerPanel", "tutorial", "faces",
    "icons",       "skillIcons", "effects",      "tiles",       "cursor",   "keyAlpha"};

struct IniEntry {
  std::string section, key, value;  // UTF-8, as written
  int line = 0;
};

// The entries of an INI source as the game reads them: "key=value" lines under "[section]".
std::vector<IniEntry> ReadIniEntries(const std::string& text) {
  std::vector<IniEntry> out;
  std::istringstream in(text);
  std::string line, section;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      section = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string value = line.substr(eq + 1);
    // The game's value ends at ';', TAB or ']'.
    const size_t end = value.find_first_of(";\t]");
    if (end != std::string::npos) value.resize(end);
    out.push_back({section, line.substr(0, eq), value, number});
  }
  return out;
}

class Checker {
 public:
  explicit Checker(const std::string& sourceDir) : src_(sourceDir) {}

  CheckReport Run() {
    LoadJsonSources();
    LoadIni();
    LoadScripts();
    CollectPictures();
    CheckTables();
    CheckRoles();
    CheckArt();
    CheckIniReferences();
    CheckStrings();
    CheckMaps();
    CheckOutputNames();
    CheckScriptReferences();
    for (const std::string& unused : overrides_.Unused())
      Warning(unused, 0, "replaces no picture of the game (see isora-kit art list)");
    std::stable_sort(report_.issues.begin(), report_.issues.end(),
                     [](const CheckIssue& a, const CheckIssue& b) {
                       return a.file != b.file ? a.file < b.file : a.line < b.line;
                     });
    return std::move(report_);
  }

 private:
  void Error(const std::string& file, int line, std::string message) {
    report_.issues.push_back({file, line, true, std::move(message)});
  }
  void Warning(const std::string& file, int line, std::string message) {
    report_.issues.push_back({file, line, false, std::move(message)});
  }

  bool ReadSource(const std::string& rel, std::string& out) {
    auto bytes = ReadFileBytes((fs::path(src_) / rel).string(), size_t{64} << 20);
    if (!bytes) return false;
    out.assign(bytes->begin(), bytes->end());
    return true;
  }

  // Every character of a UTF-8 source must have a GBK form; reports each line that has none.
  void CheckGbkLines(const std::string& rel, const std::string& text) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
      ++number;
      const std::string gbk = Utf8ToGbk(line);
      if (GbkToUtf8(gbk) != line)
        Error(rel, number, "a character here has no GBK form (the game would show \"?\")");
    }
  }

  // ---- JSON sources -------------------------------------------------------------------------

  void LoadJsonSources() {
    for (const char* rel :
         {"data/items.json", "data/skills.json", "data/npc.json", "roles/roles.json",
          "art/art.json", "art/objects.json", "audio/sounds.json", "audio/music.json"}) {
      std::string text;
      if (!ReadSource(rel, text)) {
        Error(rel, 0, "missing");
        continue;
      }
      JsonSource source;
      std::string why;
      if (!ParseJsonSource(text, source, &why)) {
        Error(rel, source.errorLine, "not valid JSON: " + why);
        continue;
      }
      CheckGbkLines(rel, text);
      json_[rel] = std::move(source);
    }
  }

  const JsonSource* Json(const std::string& rel) const {
    auto it = json_.find(rel);
    return it == json_.end() ? nullptr : &it->second;
  }

  json Records(const std::string& rel) const {
    const JsonSource* s = Json(rel);
    if (!s || !s->doc.is_object() || !s->doc.contains("records") || !s->doc["records"].is_array())
      return json::array();
    return s->doc["records"];
  }

  void UnknownFields(const std::string& rel, const json& object, const std::string& pointer,
                     const std::set<std::string>& known, const std::string& what) {
    if (!object.is_object()) return;
    const JsonSource& s = *Json(rel);
    for (const auto& [key, value] : object.items())
      if (!known.count(key))
        Error(rel, s.LineOf(pointer + "/" + PointerToken(key)),
              "unknown field \"" + key + "\" in " + what);
  }

  void CheckTables() {
    for (const auto& [rel, fields] :
         {std::pair<std::string, const std::set<std::string>*>{"data/items.json", &kItemFields},
          {"data/skills.json", &kSkillFields},
          {"data/npc.json", &kNpcFields}}) {
      const JsonSource* s = Json(rel);
      if (!s) continue;
      UnknownFields(rel, s->doc, "", {"comment", "kind", "records"}, "the file");
      const json records = Records(rel);
      for (size_t i = 0; i < records.size(); ++i)
        UnknownFields(rel, records[i], "/records/" + std::to_string(i), *fields,
                      "record " + std::to_string(i + (rel == "data/npc.json" ? 1 : 0)));
    }
    // Pictures named by items and skills.
    const json items = Records("data/items.json");
    for (size_t i = 1; i < items.size(); ++i) {
      const std::string picture = Str(items[i], "picture");
      if (!picture.empty() && Lower(picture) != "null" && !HasPicture("items", picture))
        Error("data/items.json", Json("data/items.json")->LineOf(Ptr(i, "picture")),
              "item \"" + Str(items[i], "name") + "\": picture \"" + picture +
                  "\" is not in the items pack");
    }
    const json skills = Records("data/skills.json");
    for (size_t i = 1; i < skills.size(); ++i) {
      const std::string icon = Str(skills[i], "icon");
      const std::string name = Str(skills[i], "name");
      if (!icon.empty() && !HasPicture("skill", icon))
        Error("data/skills.json", Json("data/skills.json")->LineOf(Ptr(i, "icon")),
              "skill \"" + name + "\": icon \"" + icon + "\" is not in the skill pack");
      const json frames = skills[i].value("effectFrames", json::array());
      for (size_t k = 0; k < frames.size(); ++k)
        if (frames[k].is_string() && !HasPicture("skill", frames[k].get<std::string>()))
          Error("data/skills.json",
                Json("data/skills.json")->LineOf(Ptr(i, "effectFrames") + "/" + std::to_string(k)),
                "skill \"" + name + "\": effect frame \"" + frames[k].get<std::string>() +
                    "\" is not in the skill pack (no art.json effect style names it)");
    }
  }

  static std::string Ptr(size_t record, const std::string& field) {
    return "/records/" + std::to_string(record) + "/" + field;
  }

  void CheckRoles() {
    const JsonSource* npc = Json("data/npc.json");
    const JsonSource* roles = Json("roles/roles.json");
    if (roles) {
      const json sets = roles->doc.value("sets", json::array());
      for (size_t i = 0; i < sets.size(); ++i) {
        const std::string p = "/sets/" + std::to_string(i);
        UnknownFields("roles/roles.json", sets[i], p, kRoleSetFields, "a role set");
        if (sets[i].is_object() && sets[i].contains("states") && sets[i]["states"].is_object())
          UnknownFields("roles/roles.json", sets[i]["states"], p + "/states", kRoleStates,
                        "states (stand, walk, run, fight, die)");
        if (sets[i].is_object()) animations_.insert(Lower(Str(sets[i], "file")));
      }
    }
    if (!npc) return;
    const json records = Records("data/npc.json");
    std::set<std::string> itemNames;
    for (const auto& r : Records("data/items.json"))
      if (r.is_object()) itemNames.insert(Str(r, "name"));
    for (size_t i = 0; i < records.size(); ++i) {
      const json& r = records[i];
      if (!r.is_object()) continue;
      const std::string who = "role \"" + Str(r, "roleName") + "\"";
      auto line = [&](const char* field) { return npc->LineOf(Ptr(i, field)); };
      for (const char* field : {"clickScript", "deathScript"}) {
        const std::string script = Str(r, field);
        if (!script.empty() && !HasScript(script))
          Error(
              "data/npc.json", line(field),
              who + ": " + field + " \"" + script + "\" is not a script in scripts/" +
                  (std::string(field) == "clickScript" ? " (clicking the role would stop the game)"
                                                       : ""));
      }
      const std::string anim = Str(r, "animationFile");
      if (anim.empty() || !animations_.count(Lower(anim)))
        Error("data/npc.json", line("animationFile"),
              who + ": animation file \"" + anim +
                  "\" is not a set of roles/roles.json (the role would be invisible)");
      const std::string portrait = Str(r, "portrait");
      if (!portrait.empty() && Lower(portrait) != "null" && !HasPicture("face", portrait))
        Error("data/npc.json", line("portrait"),
              who + ": portrait \"" + portrait + "\" is not in the face pack");
      for (const char* field : {"drop1", "drop2", "drop3", "drop4"}) {
        if (!r.contains(field) || !Json("data/items.json")) continue;
        const std::string item = r[field].is_string() ? r[field].get<std::string>() : "";
        if (!itemNames.count(item))
          Error("data/npc.json", line(field),
                who + ": " + field + " names no item of data/items.json");
      }
      roleNames_.insert(Str(r, "roleName"));
    }
  }

  // ---- pictures ----------------------------------------------------------------------------

  void CollectPictures() {
    overrides_.Load(src_);
    const JsonSource* art = Json("art/art.json");
    if (art && art->doc.contains("keyAlpha")) {
      const json& alpha = art->doc["keyAlpha"];
      if (!alpha.is_number_integer() || alpha.get<int>() < 1 || alpha.get<int>() > 255)
        Error("art/art.json", art->LineOf("/keyAlpha"),
              "keyAlpha must be a whole number from 1 to 255");
      else
        overrides_.SetKeyAlpha(alpha.get<int>());
    }
    const JsonSource* skills = Json("data/skills.json");
    if (art) {
      // The generators draw what art.json asks for; a malformed entry throws.
      try {
        for (const PictureName& p : GeneratedPictureNames(
                 art->doc, skills ? skills->doc : json::object(),
                 Json("roles/roles.json") ? Json("roles/roles.json")->doc : json::object()))
          pictures_[p.word].insert(Lower(p.member));
      } catch (const std::exception& e) {
        Error("art/art.json", 0, std::string("a picture cannot be drawn: ") + e.what());
      }
    }
    // Hand-drawn files add pictures of their own names.
    for (const auto& [key, rel] : overrides_.Files()) {
      const size_t slash = key.find('/');
      std::string member = key.substr(slash + 1);
      member = member.substr(0, member.rfind('.')) + ".bmp";
      std::replace(member.begin(), member.end(), '/', '\\');
      extraPictures_[key.substr(0, slash)].insert(member);
    }
  }

  bool HasPicture(const std::string& word, std::string member) {
    std::replace(member.begin(), member.end(), '/', '\\');
    member = Lower(member);
    if (pictures_[word].count(member) || extraPictures_[word].count(member)) {
      std::optional<std::vector<uint8_t>> bytes;
      std::string why;
      // Touching the override marks it used and checks it decodes.
      if (extraPictures_[word].count(member) && !overrides_.Find(word, member, bytes, &why) &&
          !reportedArt_.count(why)) {
        reportedArt_.insert(why);
        Error(why.substr(0, why.find(':')), 0, why.substr(why.find(':') + 2));
      }
      return true;
    }
    return false;
  }

  // "ui\menu_bg.bmp" or "ui/menu_bg.bmp" in a pack; other words are not pictures.
  bool IsPicturePath(const std::string& value, std::string& word, std::string& member) {
    const size_t sep = value.find_first_of("\\/");
    if (sep == std::string::npos) return false;
    word = Lower(value.substr(0, sep));
    member = value.substr(sep + 1);
    return std::find(std::begin(kArtWords), std::end(kArtWords), word) != std::end(kArtWords) &&
           Lower(member).ends_with(".bmp");
  }

  void CheckArt() {
    const JsonSource* art = Json("art/art.json");
    if (!art) return;
    UnknownFields("art/art.json", art->doc, "", kArtFields, "art.json");
    const std::string title = art->doc.contains("title") ? Str(art->doc, "title") : "ISORA";
    const std::string subtitle = Str(art->doc, "subtitle");
    const int titleWidth = TextWidth(title, kTitleScale);
    auto fitting = [](int scale) {
      int n = 0;
      while (TextWidth(std::string(n + 1, 'M'), scale) <= kScreenWidth) ++n;
      return n;
    };
    if (titleWidth > kScreenWidth)
      Error("art/art.json", art->LineOf("/title"),
            "the title \"" + title + "\" is " + std::to_string(titleWidth) +
                " pixels wide; the title and splash screens hold " + std::to_string(kScreenWidth) +
                " (at most " + std::to_string(fitting(kTitleScale)) + " characters)");
    const int subtitleWidth = TextWidth(subtitle, kSubtitleScale);
    if (subtitleWidth > kScreenWidth)
      Error("art/art.json", art->LineOf("/subtitle"),
            "the subtitle is " + std::to_string(subtitleWidth) + " pixels wide; the screen holds " +
                std::to_string(kScreenWidth) + " (at most " +
                std::to_string(fitting(kSubtitleScale)) + " characters)");
    // Tile styles the tile table asks for; a type without one needs every picture hand-drawn.
    const json styles = art->doc.value("tiles", json::object());
    for (const auto& [type, t] : tileTypes_) {
      const bool styled = styles.contains(t.prefix);
      bool any = false;
      std::string missing;
      for (const std::string& member :
           TileMembers({type, t.prefix, t.first, t.last, t.count, t.pad})) {
        // Looking a tile up marks its hand-drawn file as used and checks that it decodes.
        const bool drawn =
            extraPictures_["tiles"].count(Lower(member)) && HasPicture("tiles", member);
        any |= drawn;
        if (!drawn && missing.empty()) missing = member;
      }
      if (styled || missing.empty()) continue;
      std::replace(missing.begin(), missing.end(), '\\', '/');
      Error("ini/tiles.ini", t.line,
            "type " + std::to_string(type) + ": no tile style \"" + t.prefix +
                "\" in art/art.json and " +
                (any ? "no hand-drawn art/tiles/" + missing.substr(0, missing.rfind('.')) +
                           ".png or .bmp"
                     : "no hand-drawn tiles under art/tiles/" + std::to_string(type) + "/"));
    }
  }

  // An object's ground base is a tile style, or the prefix of a tile type drawn by hand.
  void CheckObjectBases(const ObjectCatalog& catalog) {
    const JsonSource* art = Json("art/art.json");
    const JsonSource* objects = Json("art/objects.json");
    if (!art || !objects) return;
    const json styles = art->doc.value("tiles", json::object());
    for (size_t i = 0; i < catalog.kinds.size(); ++i) {
      const std::string& base = catalog.kinds[i].base;
      if (base.empty() || styles.contains(base)) continue;
      bool handDrawn = false;
      for (const auto& [type, t] : tileTypes_)
        handDrawn |= t.prefix == base && extraPictures_["tiles"].count(Lower(TileMembers(
                                             {type, t.prefix, t.first, t.last, 1, t.pad})[0]));
      if (!handDrawn)
        Error("art/objects.json", objects->LineOf("/objects/" + std::to_string(i) + "/base"),
              "object \"" + catalog.kinds[i].name + "\": base \"" + base +
                  "\" is no tile style of art/art.json and no tile type of ini/tiles.ini with "
                  "hand-drawn pictures (it would be drawn grey)");
    }
  }

  // ---- INI ---------------------------------------------------------------------------------

  struct TileType {
    std::string prefix;
    int count = 0, line = 0, first = 0, last = 0;
    bool pad = false;
  };

  void LoadIni() {
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(fs::path(src_) / "ini", ec))
      if (e.is_regular_file() && e.path().extension() == ".ini") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
      const std::string rel = "ini/" + path.filename().string();
      std::string text;
      if (!ReadSource(rel, text)) continue;
      CheckGbkLines(rel, text);
      ini_[path.filename().string()] = ReadIniEntries(text);
    }
    for (const char* required : {"game.ini", "maps.ini", "scripts.ini", "tiles.ini"})
      if (!ini_.count(required)) Error(std::string("ini/") + required, 0, "missing");
    // The tile table.
    std::map<std::string, TileType> bySection;
    int typeCount = 0, typeCountLine = 0;
    for (const IniEntry& e : ini_["tiles.ini"]) {
      if (e.section == "typecount" && e.key == "count") {
        typeCount = std::atoi(e.value.c_str());
        typeCountLine = e.line;
      }
      TileType& t = bySection[e.section];
      if (!t.line) t.line = e.line;
      if (e.key == "piccount") t.count = std::min(std::atoi(e.value.c_str()), 200);
      if (e.key == "前缀") t.prefix = e.value;
      if (e.key == "起始数") t.first = std::atoi(e.value.c_str());
      if (e.key == "末尾数") t.last = std::atoi(e.value.c_str());
      if (e.key == "补位") t.pad = e.value == "true";
    }
    for (int t = 1; t <= typeCount; ++t) {
      auto it = bySection.find(std::to_string(t));
      if (it == bySection.end()) {
        Error("ini/tiles.ini", typeCountLine,
              "count is " + std::to_string(typeCount) + " but there is no section [" +
                  std::to_string(t) + "]");
        continue;
      }
      tileTypes_[t] = it->second;
    }
    for (const IniEntry& e : ini_["maps.ini"])
      if (e.section == "name") exitMaps_[std::atoi(e.key.c_str())] = e;
    for (const IniEntry& e : ini_["scripts.ini"])
      if (e.section == "name") scriptIds_[std::atoi(e.key.c_str())] = e;
  }

  void CheckIniReferences() {
    for (const auto& [id, e] : scriptIds_)
      if (!HasScript(e.value))
        Error("ini/scripts.ini", e.line,
              "script id " + e.key + ": \"" + e.value + "\" is not a script in scripts/");
    // Pictures named anywhere in the INI files (backgrounds, buttons, splash screens).
    for (const auto& [file, entries] : ini_)
      for (const IniEntry& e : entries) {
        std::string word, member;
        if (IsPicturePath(e.value, word, member) && !HasPicture(word, member))
          Error("ini/" + file, e.line,
                "[" + e.section + "] " + e.key + ": picture \"" + e.value + "\" is not in the " +
                    word + " pack");
      }
  }

  // The engine's texts a game replaces in strings.ini: a name the engine does not know is a
  // typing mistake; a text taking other % values than the built-in one is refused by the game.
  void CheckStrings() {
    auto it = ini_.find("strings.ini");
    if (it == ini_.end()) return;
    for (const IniEntry& e : it->second) {
      if (e.section != "strings") continue;
      const TextEntry* text = GameTexts::Find(e.key);
      if (!text) {
        Warning(
            "ini/strings.ini", e.line,
            "\"" + e.key + "\" is not one of the engine's texts (isora-kit strings lists them)");
        continue;
      }
      if (e.value.empty()) continue;
      const std::string want = FormatConversions(GameTexts::BuiltIn(text->id));
      const std::string got = FormatConversions(Utf8ToGbk(e.value));
      if (got != want)
        Error("ini/strings.ini", e.line,
              e.key + " takes the values \"" + got + "\" where the game gives \"" + want +
                  "\" (% conversions in order); the game would keep its built-in text");
    }
  }

  // ---- scripts -----------------------------------------------------------------------------

  void LoadScripts() {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fs::path(src_) / "scripts", ec))
      if (e.is_regular_file() && e.path().extension() == ".gsp")
        scripts_[e.path().filename().string()] = {};
    for (auto& [name, game] : scripts_) {
      const std::string rel = "scripts/" + name;
      std::string text;
      if (!ReadSource(rel, text)) continue;
      if (!SourceTextToGame(text, game)) {
        CheckGbkLines(rel, text);
        game = Utf8ToGbk(text);
      }
      std::map<int, int> gameLine;
      int stored = 0;
      for (const SourceLine& line : SplitScriptText(game)) gameLine[line.fileLine] = ++stored;
      for (const ScriptIssue& issue : CheckScript(game)) {
        std::string message = GbkToUtf8(issue.message);
        // The game's log counts only stored lines; say both, so either can be looked up.
        auto it = gameLine.find(issue.fileLine);
        if (it != gameLine.end() && it->second != issue.fileLine)
          message += " (the game's log calls it line " + std::to_string(it->second) + ")";
        report_.issues.push_back({rel, issue.fileLine, issue.error, message});
      }
    }
    if (!scripts_.count("main.gsp"))
      Error("scripts/main.gsp", 0, "missing: a new game runs main.gsp");
  }

  bool HasScript(const std::string& name) const {
    for (const auto& [file, text] : scripts_)
      if (Lower(file) == Lower(name)) return true;
    return false;
  }

  struct ScriptCall {
    std::string script;
    int line = 0;
    std::string name;
    std::vector<std::string> args;  // UTF-8 texts, quotes removed
  };

  std::vector<ScriptCall> Calls() const {
    std::vector<ScriptCall> out;
    for (const auto& [file, text] : scripts_)
      for (const SourceLine& line : SplitScriptText(text)) {
        SplitCommand split = SplitCommandLine(line.text);
        ScriptCall call{"scripts/" + file, line.fileLine, split.name, {}};
        for (const std::string& a : split.arguments) {
          std::string t = a;
          if (t.size() >= 2 && t.front() == '"' && t.back() == '"') t = t.substr(1, t.size() - 2);
          call.args.push_back(GbkToUtf8(t));
        }
        out.push_back(std::move(call));
      }
    return out;
  }

  void CheckScriptReferences() {
    std::set<std::string> items, skills, missions, faces, sounds;
    for (const auto& r : Records("data/items.json"))
      if (r.is_object()) items.insert(Str(r, "name"));
    for (const auto& r : Records("data/skills.json"))
      if (r.is_object()) skills.insert(Str(r, "name"));
    if (const JsonSource* s = Json("audio/sounds.json"))
      for (const auto& snd : s->doc.value("sounds", json::array()))
        if (snd.is_object()) sounds.insert(Lower(Str(snd, "name")));
    const std::vector<ScriptCall> calls = Calls();
    for (const ScriptCall& c : calls)
      if (c.name == "AddMission" && !c.args.empty()) missions.insert(c.args[0]);
    bool mainLoads = false;
    // A table that did not load has been reported; its names are not missing one by one.
    const bool haveItems = Json("data/items.json") != nullptr;
    for (const ScriptCall& c : calls) {
      auto arg = [&](size_t i) { return i < c.args.size() ? c.args[i] : std::string(); };
      auto need = [&](bool ok, const std::string& message) {
        if (!ok) Error(c.script, c.line, message);
      };
      const std::string& n = c.name;
      if (n == "LoadInitialMap" || n == "ChangeMap") {
        if (c.script == "scripts/main.gsp" && n == "LoadInitialMap") mainLoads = true;
        const std::string map = arg(0);
        auto it = maps_.find(Lower(map));
        if (it == maps_.end()) {
          Error(c.script, c.line,
                n + ": map \"" + map +
                    "\" is not built from any map in maps/ (the game stops "
                    "with \"Initializing map failed\")");
        } else if (IsNumber(arg(1)) && IsNumber(arg(2))) {
          CheckStartCell(c.script, c.line, n, it->second, std::atoi(arg(1).c_str()),
                         std::atoi(arg(2).c_str()));
        }
      } else if ((n == "AddPlayerItem" || n == "RemovePlayerItem") && haveItems) {
        need(items.count(arg(0)), n + ": no item named \"" + arg(0) + "\" in data/items.json");
      } else if ((n == "AddSkill" || n == "RemoveSkill") && Json("data/skills.json")) {
        need(skills.count(arg(0)), n + ": no skill named \"" + arg(0) + "\" in data/skills.json");
      } else if ((n == "AddNPC" || n == "DelNPC" || n == "ShowNPCTalk" || n == "SetNPCAttack") &&
                 Json("data/npc.json")) {
        need(roleNames_.count(arg(0)), n + ": no role named \"" + arg(0) + "\" in data/npc.json");
      } else if (n == "CheckMission" || n == "GetMissionObjCount") {
        need(missions.count(arg(0)),
             n + ": no script adds a mission named \"" + arg(0) + "\" (AddMission)");
      } else if (n == "AddMission" && c.args.size() >= 4) {
        const std::string kind = arg(2), target = arg(3);
        if (kind == "0" && haveItems)
          need(items.count(target),
               "AddMission: the collect target \"" + target + "\" is no item of data/items.json");
        if (kind == "1" && Json("data/npc.json"))
          need(roleNames_.count(target),
               "AddMission: the kill target \"" + target + "\" is no role of data/npc.json");
      } else if ((n == "Say" || n == "Ask") && c.args.size() >= 3) {
        const std::string face = arg(2);
        need(Lower(face) == "null" || face.empty() || HasPicture("face", face),
             n + ": portrait \"" + face + "\" is not in the face pack");
      } else if (n == "PlaySound" && !sounds.empty()) {
        need(sounds.count(Lower(arg(0))),
             "PlaySound: \"" + arg(0) + "\" is not a sound of audio/sounds.json");
      }
    }
    if (scripts_.count("main.gsp") && !mainLoads)
      Error("scripts/main.gsp", 0, "main.gsp never calls LoadInitialMap");
  }

  static bool IsNumber(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  }

  // ---- maps --------------------------------------------------------------------------------

  struct BuiltMap {
    std::string rel;
    int size = 0;
    std::vector<int> passable;  // row * size + column
    MapFileData data;           // empty when the map could not be built
    std::vector<StandingRole> roles;
  };

  // The size of the standing pictures of a role's animation file ("" for the player's set);
  // 0 x 0 when roles.json has no such set.
  std::pair<int, int> PictureSize(const std::string& animationFile) {
    const JsonSource* roles = Json("roles/roles.json");
    if (!roles) return {0, 0};
    try {
      for (const auto& set : roles->doc.value("sets", json::array()))
        if (set.is_object() &&
            (animationFile.empty() ? set.value("player", false)
                                   : Lower(set.value("file", "")) == Lower(animationFile))) {
          int w = 0, h = 0;
          RoleFrameSize(set, w, h);
          return {w, h};
        }
    } catch (const std::exception&) {
    }
    return {0, 0};
  }

  // Where a role placed on a cell ends up: warned about when it is an exit, and for one that
  // moves (the player, wanderers and fighters; a shopkeeper may stand behind his counter) when
  // it is a blocked cell or its feet are inside another role's picture (it could not move).
  void CheckStanding(const std::string& file, int line, const std::string& what,
                     const BuiltMap& map, const StandingRole& r, bool player, bool moves) {
    if (map.data.cells.empty()) return;
    const std::string placed = what + " placed on (" + std::to_string(r.placedRow) + ", " +
                               std::to_string(r.placedColumn) + ")";
    if (r.row < 0) {
      Warning(file, line, placed + " would stand off " + map.rel);
      return;
    }
    const std::string stands = placed + " stands on (" + std::to_string(r.row) + ", " +
                               std::to_string(r.column) +
                               "), a role's cell being one row and "
                               "one column up from where it is placed; ";
    const MapCell& cell = map.data.cells[static_cast<size_t>(r.row) * map.size + r.column];
    if (cell.exitId)
      Warning(file, line,
              stands + "that cell is an exit" +
                  (player ? " and sends the player on at once" : ", which no one can step on"));
    else if (!cell.passable && moves)
      Warning(file, line, stands + "that cell is blocked");
    if (!moves) return;
    const Point feet = Feet(r);
    for (const StandingRole& other : map.roles)
      if (&other != &r && other.bounds.Contains(feet.x, feet.y)) {
        Warning(file, line,
                placed + " has its feet inside the picture of " + other.name + " placed on (" +
                    std::to_string(other.placedRow) + ", " + std::to_string(other.placedColumn) +
                    "); it could not move");
        break;
      }
  }

  void CheckStartCell(const std::string& file, int line, const std::string& what,
                      const BuiltMap& map, int row, int column) {
    if (row < 0 || column < 0 || row >= map.size || column >= map.size) {
      Error(file, line,
            what + ": cell (" + std::to_string(row) + ", " + std::to_string(column) +
                ") is outside " + map.rel + " (" + std::to_string(map.size) + "x" +
                std::to_string(map.size) + " cells)");
    } else if (!map.passable[static_cast<size_t>(row) * map.size + column]) {
      Error(file, line,
            what + ": cell (" + std::to_string(row) + ", " + std::to_string(column) + ") of " +
                map.rel + " is blocked; the player could not move");
    } else {
      const auto [w, h] = PictureSize("");
      CheckStanding(file, line, what + ": the player", map,
                    PlacePlayer(map.data, row, column, w, h), true, true);
    }
  }

  static int LineOfText(const std::string& text, const std::string& needle) {
    const size_t at = text.find(needle);
    if (at == std::string::npos) return 0;
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
  }

  void CheckMaps() {
    ObjectCatalog catalog;
    std::string why;
    const JsonSource* objects = Json("art/objects.json");
    if (objects && !ParseObjectCatalog(objects->doc, catalog, &why))
      Error("art/objects.json", 0, why);
    else
      CheckObjectBases(catalog);
    const json npcRecords = Records("data/npc.json");
    TiledContext context;
    context.baseDir = (fs::path(src_) / "maps").string();
    context.objects = &catalog;
    context.roles = &npcRecords;
    std::vector<std::pair<std::string, json>> descs;
    for (const std::string& path : MapSourceFiles(src_)) {
      const std::string rel = "maps/" + fs::path(path).filename().string();
      std::string text;
      ReadSource(rel, text);
      json desc;
      std::vector<std::string> warnings;
      if (!ImportTiledMap(path, context, desc, &warnings, &why)) {
        // The importer names the file itself; keep only its reason.
        const std::string prefix = path + ": ";
        Error(rel, 0, why.starts_with(prefix) ? why.substr(prefix.size()) : why);
        continue;
      }
      for (const std::string& w : warnings) Warning(rel, 0, w);
      BuiltMap map;
      map.rel = rel;
      map.size = desc.value("size", 0);
      map.passable.assign(static_cast<size_t>(map.size) * map.size, 1);
      const std::string file = desc.value("file", fs::path(path).stem().string() + ".map");
      outputMapNames_.emplace_back(rel, file, LineOfText(text, file));
      const int groundLine = std::max(LineOfText(text, "\"ground\""), LineOfText(text, "ground\""));
      std::set<std::string> reported;
      for (const auto& cell : desc["cells"]) {
        const int r = cell["row"], c = cell["column"], type = cell["tileType"], tile = cell["tile"];
        const std::string at = "(" + std::to_string(r) + ", " + std::to_string(c) + ")";
        map.passable[static_cast<size_t>(r) * map.size + c] = cell["passable"];
        auto once = [&](const std::string& key, int line, const std::string& message) {
          if (reported.insert(key).second) Error(rel, line, message);
        };
        auto it = tileTypes_.find(type);
        if (it == tileTypes_.end()) {
          once("type" + std::to_string(type), groundLine,
               "tile type " + std::to_string(type) + " (first at cell " + at +
                   ") is not in ini/tiles.ini");
        } else if (tile >= it->second.count) {
          once("tile" + std::to_string(type) + "/" + std::to_string(tile), groundLine,
               "tile " + std::to_string(tile) + " of type " + std::to_string(type) +
                   " (first at cell " + at + ") is beyond its " + std::to_string(it->second.count) +
                   " pictures (it would be drawn black)");
        }
        const int exitId = cell["exit"], scriptId = cell["script"];
        if (exitId && !exitMaps_.count(exitId))
          once("exit" + std::to_string(exitId), LineOfText(text, "exit\""),
               "exit id " + std::to_string(exitId) + " (first at cell " + at +
                   ") is not in ini/maps.ini [name]");
        if (scriptId && !scriptIds_.count(scriptId))
          once("script" + std::to_string(scriptId), LineOfText(text, "script\""),
               "script id " + std::to_string(scriptId) + " (first at cell " + at +
                   ") is not in ini/scripts.ini [name]");
      }
      // The map as the game reads it, and where its roles will stand.
      std::string buildError;
      if (BuildMapFromJson(desc, file, map.data, &buildError)) {
        const json& records = npcRecords;
        auto number = [](const json& r, const char* key) {
          return r.contains(key) && r[key].is_number_integer() ? r[key].get<int>() : 0;
        };
        std::vector<bool> moves;
        for (const RolePlacement& p : map.data.placements) {
          const size_t index = static_cast<size_t>(p.recordNumber) - 1;
          if (p.recordNumber < 1 || index >= records.size() || !records[index].is_object())
            continue;
          const json& record = records[index];
          const auto [w, h] = PictureSize(Str(record, "animationFile"));
          map.roles.push_back(PlaceRole(map.data, Str(record, "roleName"), p.row, p.column, w, h));
          const int kind = number(record, "kind");
          moves.push_back(number(record, "wanders") != 0 || number(record, "fightMode") == 1 ||
                          kind == 1 || kind == 2);
        }
        for (size_t i = 0; i < map.roles.size(); ++i) {
          const StandingRole& r = map.roles[i];
          CheckStanding(rel, std::max(LineOfText(text, "\"" + r.name + "\""), 1), r.name, map, r,
                        false, moves[i]);
        }
      } else {
        map.data = MapFileData{};
      }
      const json start = desc.value("start", json::array({0, 0}));
      CheckStartCell(rel, std::max(LineOfText(text, "startX"), 1), "the start cell", map, start[0],
                     start[1]);
      maps_[Lower(file)] = std::move(map);
    }
    for (const auto& [id, e] : exitMaps_)
      if (!maps_.count(Lower(e.value)))
        Error("ini/maps.ini", e.line,
              "exit id " + e.key + ": map \"" + e.value + "\" is not built from any map in maps/");
  }

  // Names the build turns into files must be plain names in their folders (packages: paths
  // inside the game folder), or the build would write outside its output.
  void CheckOutputNames() {
    for (const auto& [rel, array, field, what] :
         {std::tuple<const char*, const char*, const char*, const char*>{"audio/sounds.json",
                                                                         "sounds", "name", "sound"},
          {"audio/music.json", "pieces", "name", "music piece"},
          {"roles/roles.json", "sets", "file", "role set file"}}) {
      const JsonSource* s = Json(rel);
      if (!s || !s->doc.is_object()) continue;
      const json list = s->doc.value(array, json::array());
      for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i].is_object() || !list[i].contains(field)) continue;
        const std::string name = Str(list[i], field);
        if (!IsPlainName(name))
          Error(rel, s->LineOf("/" + std::string(array) + "/" + std::to_string(i) + "/" + field),
                std::string(what) + " \"" + name + "\" " + PlainNameProblem(name));
      }
    }
    for (const auto& [file, name, line] : outputMapNames_)
      if (!IsPlainName(name))
        Error(file, line, "map file \"" + name + "\" " + PlainNameProblem(name));
    if (auto it = ini_.find("game.ini"); it != ini_.end())
      for (const IniEntry& e : it->second)
        if (e.section == "MDfile" && !e.value.empty())
          if (const PathEscape escape = CheckInsidePath(e.value); escape != PathEscape::kNone)
            Error("ini/game.ini", e.line,
                  "package " + e.key + " \"" + e.value + "\" " + PathEscapeText(escape) +
                      "; packages stay inside the game folder");
  }

  std::string src_;
  CheckReport report_;
  std::vector<std::tuple<std::string, std::string, int>> outputMapNames_;
  std::map<std::string, JsonSource> json_;
  std::map<std::string, std::vector<IniEntry>> ini_;
  std::map<std::string, std::string> scripts_;  // file name -> game bytes
  std::map<int, TileType> tileTypes_;
  std::map<int, IniEntry> exitMaps_, scriptIds_;
  std::map<std::string, BuiltMap> maps_;  // by lower-case map file name
  std::set<std::string> animations_, roleNames_, reportedArt_;
  std::map<std::string, std::set<std::string>> pictures_, extraPictures_;
  ArtOverrides overrides_;
};

}  // namespace

CheckReport CheckGameSource(const std::string& sourceDir) {
  std::error_code ec;
  if (!fs::is_directory(sourceDir, ec)) {
    CheckReport r;
    r.issues.push_back({sourceDir, 0, true, "not a folder"});
    return r;
  }
  // The sources are read with typed getters; a text where a number belongs (or the like)
  // ends the check with one error instead of stopping the kit.
  try {
    return Checker(sourceDir).Run();
  } catch (const nlohmann::json::exception& e) {
    CheckReport r;
    r.issues.push_back(
        {sourceDir, 0, true, std::string("a source value has the wrong type: ") + e.what()});
    return r;
  }
}

}  // namespace isora::demo
