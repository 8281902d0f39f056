// The built demo: repeatable to the byte, and every file the game reads present and accepted
// by the game's own loaders, with every name one file gives to another resolving.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "demo_paths.h"
#include "foundation/gbk.h"
#include "foundation/ini_file.h"
#include "foundation/package_file.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "lib/demo_builder.h"
#include "media/ani_reader.h"
#include "media/bmp_reader.h"
#include "media/wav_reader.h"
#include "roles/npc_record.h"
#include "roles/role_animation.h"
#include "script/script_check.h"
#include "world/map_file.h"

namespace isora {
namespace {

namespace fs = std::filesystem;

class DemoContent : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    out_ = new std::string(
        (fs::temp_directory_path() / ("isora_demo_" + std::to_string(::getpid()))).string());
    files_ = new demo::FileSet;
    demo::DemoBuildOptions options{demo_test::DemoSourceDir(), *out_, true};
    error_ = new std::string;
    built_ = demo::BuildDemo(options, files_, error_);
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(*out_, ec);
    delete out_;
    delete files_;
    delete error_;
  }
  void SetUp() override { ASSERT_TRUE(built_) << *error_; }

  static std::string Path(const std::string& rel) { return (fs::path(*out_) / rel).string(); }
  static bool HasFile(const std::string& rel) { return files_->count(rel) == 1; }
  static const std::vector<uint8_t>& File(const std::string& rel) { return files_->at(rel); }

  // A package of the built game, by its game.ini path.
  struct Pack {
    PackageFile file;
    bool open = false;
    bool Has(const std::string& member) { return open && file.Find(member); }
    std::vector<uint8_t> Read(const std::string& member) {
      std::optional<std::vector<uint8_t>> bytes;
      if (open) bytes = file.ReadMember(member);
      return bytes.value_or(std::vector<uint8_t>());
    }
  };
  static std::unique_ptr<Pack> OpenPack(const std::string& gamePath) {
    auto p = std::make_unique<Pack>();
    std::string rel = gamePath;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    p->open = p->file.Open(Path(rel));
    return p;
  }
  static IniFile LoadIni(Pack& ini, const std::string& name) {
    IniFile f;
    f.LoadBytes(ini.Read(name));
    return f;
  }

  static std::string* out_;
  static demo::FileSet* files_;
  static std::string* error_;
  static bool built_;
};

std::string* DemoContent::out_ = nullptr;
demo::FileSet* DemoContent::files_ = nullptr;
std::string* DemoContent::error_ = nullptr;
bool DemoContent::built_ = false;

// "folder\member" or "folder/member" into the pack key of game.ini and the member.
bool SplitPicture(const std::string& path, std::string& folder, std::string& member) {
  size_t sep = path.find('/');
  if (sep == std::string::npos) sep = path.find('\\');
  if (sep == std::string::npos) return false;
  folder = path.substr(0, sep);
  member = path.substr(sep + 1);
  return true;
}

TEST_F(DemoContent, BuildsTwiceToTheSameBytes) {
  demo::FileSet again;
  std::string error;
  ASSERT_TRUE(demo::BuildDemoFiles({demo_test::DemoSourceDir(), "", true}, again, &error)) << error;
  ASSERT_EQ(again.size(), files_->size());
  for (const auto& [name, bytes] : *files_) {
    ASSERT_TRUE(again.count(name)) << name;
    EXPECT_TRUE(again[name] == bytes) << name << " differs between two builds";
  }
}

TEST_F(DemoContent, HoldsEveryFileTheGameReadsAtStart) {
  for (const char* f : {"game.ini", "data/items.itm", "data/skill.skl", "data/npc.npc",
                        "data/role.pmg", "data/cursor.ani", "sound/button_over.wav", "map/town.map",
                        "map/wild.map", "map/crypt.map"})
    EXPECT_TRUE(HasFile(f)) << f;
  EXPECT_TRUE(fs::is_directory(Path("saves")));
  EXPECT_TRUE(fs::is_directory(Path("screenshot")));
  // The plain game.ini names the INI package, which holds game.ini again.
  IniFile plain;
  ASSERT_TRUE(plain.LoadFile(Path("game.ini")));
  auto ini = OpenPack(plain.GetString("MDfile", "ini"));
  ASSERT_TRUE(ini->open);
  IniFile packaged = LoadIni(*ini, "game.ini");
  for (const char* key : {"script", "role", "ui", "face", "items", "skill", "tiles"}) {
    std::string value = packaged.GetString("MDfile", key);
    ASSERT_FALSE(value.empty()) << key;
    EXPECT_LE(value.size(), 29u) << key;
    EXPECT_TRUE(OpenPack(value)->open) << value;
  }
  for (const char* name :
       {"menu.ini", "mainmenu.ini", "dlg.ini", "savepanel.ini", "playerpanel.ini", "packpanel.ini",
        "tutorialpanel.ini", "credit.ini", "tiles.ini", "maps.ini", "scripts.ini"}) {
    IniFile f = LoadIni(*ini, name);
    EXPECT_FALSE(f.IsFailed()) << name;
    EXPECT_GT(f.SectionCount(), 0) << name;
  }
}

TEST_F(DemoContent, EveryPictureNamedInTheIniFilesIsInItsPack) {
  IniFile plain;
  ASSERT_TRUE(plain.LoadFile(Path("game.ini")));
  auto ini = OpenPack(plain.GetString("MDfile", "ini"));
  IniFile game = LoadIni(*ini, "game.ini");
  std::map<std::string, std::unique_ptr<Pack>> packs;
  for (const char* key : {"role", "ui", "face", "items", "skill", "tiles"})
    packs[key] = OpenPack(game.GetString("MDfile", key));
  int checked = 0, realSplash = 0, nullSplash = 0;
  auto expectPicture = [&](const std::string& where, const std::string& path) {
    std::string folder, member;
    ASSERT_TRUE(SplitPicture(path, folder, member)) << where << ": " << path;
    ASSERT_TRUE(packs.count(folder)) << where << ": unknown pack in " << path;
    auto bytes = packs[folder]->Read(member);
    ASSERT_FALSE(bytes.empty()) << where << ": " << path << " is not in its pack";
    BmpInfo info;
    EXPECT_TRUE(ParseBmp(bytes, &info)) << where << ": " << path;
    ++checked;
  };
  for (int i = 1; i <= 5; ++i) {
    std::string pic = game.GetString(("FlashWindow" + std::to_string(i)), "pic");
    if (pic == "null" || pic.empty()) {
      ++nullSplash;
      continue;
    }
    ++realSplash;
    expectPicture("splash", pic);
  }
  EXPECT_GE(realSplash, 2);
  EXPECT_GE(nullSplash, 1);
  expectPicture("game.ini endpic", game.GetString("background", "endpic"));
  expectPicture("boss key", "ui/bosskey.bmp");
  // Panels: backgrounds and the pictures of picture buttons.
  const std::pair<const char*, std::vector<const char*>> panels[] = {
      {"menu.ini", {"backButton", "saveButton", "loadButton", "helpButton", "exitButton"}},
      {"mainmenu.ini", {"startButton", "loadButton", "aboutButton", "exitButton"}},
      {"dlg.ini", {"exitButton", "upButton", "downButton"}},
      {"savepanel.ini", {"exitButton"}},
      {"playerpanel.ini",
       {"skillButton", "propertyButton", "noteButton", "rrButton", "missionButton", "menuButton"}},
      {"packpanel.ini", {"exitButton"}},
      {"tutorialpanel.ini", {"PreButton", "NextButton", "ExitButton"}}};
  for (const auto& [name, buttons] : panels) {
    IniFile f = LoadIni(*ini, name);
    std::string bg = f.GetString("panel", "bgpic");
    if (!bg.empty()) expectPicture(name, bg);
    for (const char* b : buttons) {
      int type = f.GetInt(b, "type");
      if (type == 1 || type == 2)
        expectPicture(std::string(name) + " " + b, f.GetString(b, "text"));
      if (type == 2) expectPicture(std::string(name) + " " + b, f.GetString(b, "text1"));
    }
  }
  IniFile mainMenu = LoadIni(*ini, "mainmenu.ini");
  for (const char* b : {"startButton", "loadButton", "aboutButton", "exitButton"})
    EXPECT_EQ(mainMenu.GetInt(b, "type"), 2) << b;
  IniFile pack = LoadIni(*ini, "packpanel.ini");
  for (const char* grid : {"3x3itemButton", "4x4itemButton", "5x5itemButton"})
    expectPicture(grid, pack.GetString(grid, "bgpic"));
  IniFile tutorial = LoadIni(*ini, "tutorialpanel.ini");
  const int pages = tutorial.GetInt("panel", "count");
  EXPECT_GE(pages, 3);
  for (int i = 1; i <= pages; ++i)
    expectPicture("tutorial", tutorial.GetString("panel", ("bgpic" + std::to_string(i))));
  IniFile credit = LoadIni(*ini, "credit.ini");
  expectPicture("credit.ini", credit.GetString("credit", "pic"));
  std::vector<std::string> music{credit.GetString("credit", "music"),
                                 game.GetString("music", "start"), game.GetString("music", "end")};
  for (std::string& m : music) {
    std::replace(m.begin(), m.end(), '\\', '/');
    EXPECT_TRUE(HasFile(m)) << m;
  }
  // Ground tiles by tiles.ini's own rules, and the object picture.
  IniFile tiles = LoadIni(*ini, "tiles.ini");
  const int types = tiles.GetInt("typecount", "count");
  EXPECT_GE(types, 4);
  for (int t = 1; t <= types; ++t) {
    const std::string s = std::to_string(t);
    const int count = tiles.GetInt(s, "piccount");
    const std::string prefix = tiles.GetString(s, Gbk("前缀"));
    const int first = tiles.GetInt(s, Gbk("起始数"));
    const int last = tiles.GetInt(s, Gbk("末尾数"));
    const bool pad = tiles.GetString(s, Gbk("补位")) == "true";
    ASSERT_FALSE(prefix.empty()) << "tiles.ini type " << t;
    const size_t width = last / 100 > 0 ? 3 : (last / 10 > 0 ? 2 : 1);
    for (int j = 0; j < count; ++j) {
      std::string number = std::to_string(first + j);
      while (pad && number.size() < width) number.insert(0, 1, '0');
      auto bytes = packs["tiles"]->Read(s + "\\" + prefix + number + ".bmp");
      ASSERT_FALSE(bytes.empty()) << s << "\\" << prefix << number << ".bmp";
      EXPECT_EQ(BmpSize(bytes).cx, 64);
      EXPECT_EQ(BmpSize(bytes).cy, 32);
    }
  }
  EXPECT_FALSE(packs["tiles"]->Read("obj.bmp").empty());
  EXPECT_GT(checked, 30);
}

// Every member of every image pack decodes through the game's BMP reader.
void CollectMembers(const PackageNode& node, std::vector<std::string>& out) {
  for (const auto& [path, child] : node.children) {
    if (child->entry.IsDirectory())
      CollectMembers(*child, out);
    else
      out.push_back(child->FullPath().substr(5));  // after "root\\"
  }
}

TEST_F(DemoContent, EveryPictureInTheImagePacksDecodes) {
  IniFile plain;
  plain.LoadFile(Path("game.ini"));
  IniFile game = LoadIni(*OpenPack(plain.GetString("MDfile", "ini")), "game.ini");
  size_t pictures = 0;
  for (const char* key : {"role", "ui", "face", "items", "skill", "tiles"}) {
    auto pack = OpenPack(game.GetString("MDfile", key));
    ASSERT_TRUE(pack->open) << key;
    std::vector<std::string> members;
    CollectMembers(*pack->file.Root(), members);
    EXPECT_FALSE(members.empty()) << key;
    for (const auto& m : members) {
      auto bytes = pack->Read(m);
      BmpInfo info;
      std::string error;
      EXPECT_TRUE(ParseBmp(bytes, &info, &error)) << key << ": " << m << ": " << error;
      ++pictures;
    }
  }
  EXPECT_GT(pictures, 2000u);
}

TEST_F(DemoContent, DatabasesLoadAndNameTheirPicturesAndSounds) {
  ItemDatabase items;
  SkillDatabase skills;
  ASSERT_TRUE(items.Load(Path("data/items.itm")));
  ASSERT_TRUE(skills.Load(Path("data/skill.skl")));
  EXPECT_GE(items.Count() - 1, 30);
  EXPECT_GE(skills.Count() - 1, 6);
  IniFile plain;
  plain.LoadFile(Path("game.ini"));
  IniFile game = LoadIni(*OpenPack(plain.GetString("MDfile", "ini")), "game.ini");
  auto itemPack = OpenPack(game.GetString("MDfile", "items"));
  auto skillPack = OpenPack(game.GetString("MDfile", "skill"));
  std::set<int> types;
  std::set<std::string> pictures;
  for (int id = 1; id < items.Count(); ++id) {
    ItemRecord r = items.Get(id);
    types.insert(r.type);
    EXPECT_TRUE(itemPack->Has(r.picture)) << r.name << ": " << r.picture;
    pictures.insert(r.picture);
    if (r.type == 4) {
      EXPECT_GT(skills.FindItemByName(r.name), 0) << "book " << r.name << " teaches nothing";
    }
    if (r.type <= 7) {
      EXPECT_TRUE(HasFile(std::string("sound/") + ItemUseSound(r.type))) << r.type;
    }
  }
  for (int t = 0; t <= 8; ++t) EXPECT_TRUE(types.count(t)) << "no item of type " << t;
  EXPECT_EQ(pictures.size(), static_cast<size_t>(items.Count() - 1)) << "item icons must differ";
  bool healing = false;
  std::set<char> keys;
  for (int id = 1; id < skills.Count(); ++id) {
    SkillRecord s = skills.Get(id);
    healing = healing || s.kind == 0;
    EXPECT_TRUE(keys.insert(s.shortcutKey).second) << s.name << " shares its shortcut key";
    EXPECT_TRUE(skillPack->Has(s.icon)) << s.name << ": " << s.icon;
    EXPECT_TRUE(HasFile("sound/" + s.sound)) << s.name << ": " << s.sound;
    ASSERT_GT(s.effectFrameCount, 0) << s.name;
    for (int k = 0; k < s.effectFrameCount; ++k)
      EXPECT_TRUE(skillPack->Has(s.effectFrames[k])) << s.name << ": " << s.effectFrames[k];
  }
  EXPECT_TRUE(healing);
}

TEST_F(DemoContent, RolesAnimationsAndPlacementsResolve) {
  IniFile plain;
  plain.LoadFile(Path("game.ini"));
  IniFile game = LoadIni(*OpenPack(plain.GetString("MDfile", "ini")), "game.ini");
  auto rolePack = OpenPack(game.GetString("MDfile", "role"));
  auto uiPack = OpenPack(game.GetString("MDfile", "ui"));
  auto facePack = OpenPack(game.GetString("MDfile", "face"));
  auto scripts = OpenPack(game.GetString("MDfile", "script"));
  ItemDatabase items;
  SkillDatabase skills;
  ASSERT_TRUE(items.Load(Path("data/items.itm")));
  ASSERT_TRUE(skills.Load(Path("data/skill.skl")));

  auto checkAnimation = [&](const std::string& file, bool player) -> RoleAnimation {
    RoleAnimation anim;
    std::string error;
    EXPECT_TRUE(HasFile("data/" + file)) << file;
    if (!HasFile("data/" + file)) return anim;
    EXPECT_TRUE(ParseRoleAnimation(File("data/" + file), anim, &error)) << file << ": " << error;
    EXPECT_GE(anim.FindState("stand"), 0) << file;
    EXPECT_GE(anim.FindState("walk"), 0) << file;
    for (const auto& f : anim.frames) {
      auto bytes = rolePack->Read(f.image);
      EXPECT_FALSE(bytes.empty()) << file << ": " << f.image;
      if (bytes.empty()) continue;
      EXPECT_EQ(BmpSize(bytes).cx, f.width) << f.image;
      if (player) {
        EXPECT_TRUE(uiPack->Has(f.image)) << "player frame " << f.image;
      }
    }
    return anim;
  };
  RoleAnimation hero = checkAnimation("role.pmg", true);
  for (const char* s : {"stand", "walk", "run", "fight", "die"}) {
    int st = hero.FindState(s);
    ASSERT_GE(st, 0) << s;
    EXPECT_EQ(hero.FrameIndex(st, 8, hero.states[st].framesPerDirection - 1) + 1 -
                  hero.states[st].firstFrame,
              8 * hero.states[st].framesPerDirection);
  }

  const auto& npcBytes = File("data/npc.npc");
  ASSERT_GE(npcBytes.size(), 8u);
  ASSERT_EQ((npcBytes.size() - 8) % 2208, 0u);
  const int count = static_cast<int>((npcBytes.size() - 8) / 2208);
  EXPECT_GE(count, 12);
  std::set<int> kinds, talkModes;
  bool fleeing = false, remembered = false;
  for (int i = 0; i < count; ++i) {
    NpcRecord r = ParseNpcRecord(std::span(npcBytes).subspan(8 + 2208 * i, 2208));
    SCOPED_TRACE(GbkToUtf8(r.roleName));
    kinds.insert(r.kind);
    talkModes.insert(r.talkMode);
    RoleAnimation anim = checkAnimation(r.animationFile, false);
    if (anim.FindState("fight") < 0 && anim.FindState("die") >= 0) fleeing = true;
    if (r.portrait != "NULL") {
      EXPECT_TRUE(facePack->Has(r.portrait)) << r.portrait;
    }
    if (!r.clickScript.empty()) {
      EXPECT_TRUE(scripts->Has(r.clickScript)) << r.clickScript;
    }
    if (!r.deathScript.empty()) {
      EXPECT_TRUE(scripts->Has(r.deathScript)) << r.deathScript;
    }
    if (!r.startSound.empty()) {
      EXPECT_TRUE(HasFile("sound/" + r.startSound)) << r.startSound;
    }
    if (r.skillId > 0) {
      EXPECT_LT(r.skillId, skills.Count());
    }
    if (r.rememberDeath && !r.deathScript.empty()) remembered = true;
    for (int d : r.drops) EXPECT_TRUE(d == 0 || items.IsItem(d)) << d;
    for (const std::string& line : r.talkLines)
      for (size_t at = 0, end; at <= line.size(); at = end + 2) {
        end = std::min(line.find("\\n", at), line.size());
        EXPECT_LE(end - at, 58u) << "talk line too long for the screen: " << line;
      }
    if (r.talkMode != 3 && r.clickScript.empty() && r.kind <= 3) {
      EXPECT_FALSE(r.talkLines[0].empty() || r.talkLines[0] == "*/*")
          << "a talking role with nothing to say";
    }
  }
  for (int shopKind = 4; shopKind <= 11; ++shopKind) EXPECT_TRUE(kinds.count(shopKind)) << shopKind;
  for (int mode = 0; mode <= 3; ++mode) EXPECT_TRUE(talkModes.count(mode)) << mode;
  EXPECT_TRUE(fleeing);
  EXPECT_TRUE(remembered);
}

TEST_F(DemoContent, MapsLoadWithTheirIndexesAndCells) {
  IniFile plain;
  plain.LoadFile(Path("game.ini"));
  auto ini = OpenPack(plain.GetString("MDfile", "ini"));
  IniFile game = LoadIni(*ini, "game.ini");
  IniFile maps = LoadIni(*ini, "maps.ini"), scriptsIni = LoadIni(*ini, "scripts.ini"),
          tiles = LoadIni(*ini, "tiles.ini");
  auto scripts = OpenPack(game.GetString("MDfile", "script"));
  const int records = static_cast<int>((File("data/npc.npc").size() - 8) / 2208);
  const int objWidth = BmpSize(OpenPack(game.GetString("MDfile", "tiles"))->Read("obj.bmp")).cx;
  int mapCount = 0;
  for (const auto& [name, bytes] : *files_) {
    if (name.rfind("map/", 0) != 0) continue;
    SCOPED_TRACE(name);
    ++mapCount;
    MapFileData map;
    std::string error;
    ASSERT_TRUE(ParseMapFile(bytes, map, &error)) << error;
    const int n = map.header.N();
    EXPECT_EQ(n, 50);
    EXPECT_EQ("map/" + map.header.MapFile(), name);
    EXPECT_FALSE(map.header.MapName().empty());
    EXPECT_TRUE(HasFile("music/" + map.header.MusicName())) << map.header.MusicName();
    const int sx = map.header.StartX(), sy = map.header.StartY();
    ASSERT_TRUE(sx >= 0 && sy >= 0 && sx < n && sy < n);
    EXPECT_NE(map.cells[sy + sx * n].passable, 0) << "the start cell is blocked";
    int blocked = 0, scriptCells = 0, exitCells = 0;
    for (const auto& c : map.cells) {
      blocked += c.passable == 0;
      ASSERT_GE(c.tileType, 1);
      ASSERT_LE(c.tileType, tiles.GetInt("typecount", "count"));
      const int j = c.tileX / 64 + c.tileY / 32 * 10;
      EXPECT_LT(j, tiles.GetInt(std::to_string(c.tileType), "piccount"));
      if (c.scriptId) {
        ++scriptCells;
        std::string s = scriptsIni.GetString("name", std::to_string(c.scriptId));
        EXPECT_TRUE(scripts->Has(s)) << "script id " << int(c.scriptId) << " " << s;
        EXPECT_NE(c.passable, 0) << "a script cell nobody can reach";
      }
      if (c.exitId) {
        ++exitCells;
        std::string m = maps.GetString("name", std::to_string(c.exitId));
        EXPECT_TRUE(HasFile("map/" + m)) << "exit id " << int(c.exitId) << " " << m;
        EXPECT_NE(c.passable, 0) << "an exit cell nobody can reach";
      }
    }
    EXPECT_GT(blocked, 0);
    EXPECT_GT(scriptCells, 0);
    EXPECT_GT(exitCells, 0);
    EXPECT_FALSE(map.objects.empty());
    for (const auto& o : map.objects) EXPECT_LE(o.sourceX + o.width, objWidth);
    EXPECT_FALSE(map.placements.empty());
    for (const auto& p : map.placements) {
      EXPECT_GE(p.recordNumber, 1);
      EXPECT_LE(p.recordNumber, records);
      EXPECT_NE(map.cells[p.column + p.row * n].passable, 0) << "a role placed on a blocked cell";
    }
  }
  EXPECT_EQ(mapCount, maps.GetInt("count", "count"));
}

TEST_F(DemoContent, SoundsMusicAndCursorLoad) {
  int sounds = 0;
  for (const auto& [name, bytes] : *files_) {
    if (name.rfind("sound/", 0) != 0 && name.rfind("music/", 0) != 0) continue;
    ++sounds;
    WavSound wav;
    std::string error;
    EXPECT_TRUE(BuildWavSound(bytes, &wav, &error)) << name << ": " << error;
  }
  EXPECT_GE(sounds, 20);
  AnimatedCursor cursor;
  std::string error;
  EXPECT_TRUE(ParseAni(File("data/cursor.ani"), &cursor, &error)) << error;
}

// The script lines, split as the game splits them, for cross-checks.
struct ScriptCall {
  std::string command;
  std::vector<std::string> args;  // quotes removed
};

std::vector<ScriptCall> ScriptCalls(const std::string& gbk) {
  std::vector<ScriptCall> calls;
  std::istringstream in(gbk);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t open = line.find('('), close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos || line.rfind("//", 0) == 0)
      continue;
    ScriptCall call{line.substr(0, open), {}};
    std::string inner = line.substr(open + 1, close - open - 1) + ",";
    for (size_t at = 0, comma; (comma = inner.find(',', at)) != std::string::npos; at = comma + 1) {
      std::string a = inner.substr(at, comma - at);
      if (a.size() >= 2 && a.front() == '"') a = a.substr(1, a.size() - 2);
      call.args.push_back(a);
    }
    calls.push_back(call);
  }
  return calls;
}

TEST_F(DemoContent, ScriptsPassTheCheckerAndNameWhatExists) {
  IniFile plain;
  plain.LoadFile(Path("game.ini"));
  IniFile game = LoadIni(*OpenPack(plain.GetString("MDfile", "ini")), "game.ini");
  auto scripts = OpenPack(game.GetString("MDfile", "script"));
  auto faces = OpenPack(game.GetString("MDfile", "face"));
  ItemDatabase items;
  SkillDatabase skills;
  ASSERT_TRUE(items.Load(Path("data/items.itm")));
  ASSERT_TRUE(skills.Load(Path("data/skill.skl")));
  std::set<std::string> roleNames;
  const auto& npcBytes = File("data/npc.npc");
  for (size_t at = 8; at + 2208 <= npcBytes.size(); at += 2208)
    roleNames.insert(ParseNpcRecord(std::span(npcBytes).subspan(at, 2208)).roleName);
  std::map<std::string, MapFileData> maps;
  for (const auto& [name, bytes] : *files_)
    if (name.rfind("map/", 0) == 0) ParseMapFile(bytes, maps[name.substr(4)], nullptr);

  std::set<std::string> commands;
  int checkedScripts = 0;
  ASSERT_TRUE(scripts->open);
  for (const auto& [key, node] : scripts->file.Root()->children) {
    const std::string member = key;
    SCOPED_TRACE(member);
    ++checkedScripts;
    auto bytes = scripts->Read(member);
    const std::string text(bytes.begin(), bytes.end());
    for (const auto& issue : CheckScript(text))
      EXPECT_FALSE(issue.error) << "line " << issue.fileLine << ": " << GbkToUtf8(issue.message);
    for (const char* bare : {"Rain", "GameOver", "ShowTutorial"})
      if (text.find(std::string("\n") + bare + "\r") != std::string::npos) commands.insert(bare);
    for (const auto& c : ScriptCalls(text)) {
      commands.insert(c.command);
      const auto& a = c.args;
      if ((c.command == "Say" || c.command == "Ask") && a.size() >= 3 && a[2] != "NULL") {
        EXPECT_TRUE(faces->Has(a[2])) << c.command << " portrait " << a[2];
      }
      if ((c.command == "Say" || c.command == "Ask") && a.size() >= 2) {
        // The talk page wraps only after 64 bytes, which runs past the screen's edge; the
        // texts break their own lines.
        for (size_t at = 0, end; at <= a[1].size(); at = end + 2) {
          end = std::min(a[1].find("\\n", at), a[1].size());
          EXPECT_LE(end - at, 58u) << c.command << " line too long: " << a[1].substr(at, end - at);
        }
      }
      if (c.command == "PlaySound") {
        EXPECT_TRUE(HasFile("sound/" + a[0])) << a[0];
      }
      if (c.command == "PlayMusic") {
        EXPECT_TRUE(HasFile("music/" + a[0])) << a[0];
      }
      if (c.command == "LoadInitialMap" || c.command == "ChangeMap") {
        ASSERT_TRUE(maps.count(a[0])) << a[0];
        const auto& m = maps[a[0]];
        const int row = std::stoi(a[1]), column = std::stoi(a[2]), n = m.header.N();
        ASSERT_TRUE(row >= 0 && column >= 0 && row < n && column < n);
        EXPECT_NE(m.cells[column + row * n].passable, 0) << c.command << " onto a blocked cell";
      }
      if (c.command == "AddNPC" || c.command == "DelNPC" || c.command == "SetNPCAttack" ||
          c.command == "ShowNPCTalk") {
        EXPECT_TRUE(roleNames.count(a[0])) << c.command << " " << a[0];
      }
      if (c.command == "AddPlayerItem" || c.command == "RemovePlayerItem") {
        EXPECT_GT(items.FindItemByName(a[0]), 0) << a[0];
      }
      if (c.command == "AddSkill" || c.command == "RemoveSkill") {
        EXPECT_GT(skills.FindItemByName(a[0]), 0) << a[0];
      }
      if (c.command == "AddMission" && a.size() == 7) {
        if (a[2] == "0") {
          EXPECT_GT(items.FindItemByName(a[3]), 0) << a[3];
        }
        if (a[2] == "1") {
          EXPECT_TRUE(roleNames.count(a[3])) << a[3];
        }
      }
    }
  }
  EXPECT_GT(checkedScripts, 10);
  for (const char* required : {"LoadInitialMap", "Say",          "Ask",        "AddMission",
                               "CheckMission",   "AddMoney",     "AddExp",     "AddPlayerItem",
                               "AddHonor",       "AddNote",      "AddFaction", "AddFactionEnmity",
                               "AddGirlLove",    "GetVIPInfo",   "SetVIPInfo", "GetRandomNum",
                               "ShowTip",        "PlayMusic",    "PlaySound",  "AddNPC",
                               "DelNPC",         "SetNPCAttack", "ChangeMap",  "Rain",
                               "GameOver",       "ShowTutorial"})
    EXPECT_TRUE(commands.count(required)) << "no script uses " << required;
}

}  // namespace
}  // namespace isora
