#include "lib/demo_builder.h"

#include <algorithm>
#include <filesystem>

#include "foundation/file_io.h"
#include "foundation/gbk.h"
#include "foundation/ini_file.h"
#include "foundation/paths.h"
#include "lib/art_files.h"
#include "lib/bmp_writer.h"
#include "lib/db_writer.h"
#include "lib/demo_art.h"
#include "lib/demo_audio.h"
#include "lib/demo_tiled.h"
#include "lib/game_pictures.h"
#include "lib/map_writer.h"
#include "lib/npc_writer.h"
#include "lib/package_writer.h"
#include "lib/role_writer.h"
#include "lib/wav_writer.h"

namespace isora::demo {

namespace fs = std::filesystem;

namespace {

struct Fail {
  std::string* error;
  bool operator()(const std::string& m) const {
    if (error) *error = m;
    return false;
  }
};

// Files of one folder with the given extension, sorted by name so builds are repeatable.
std::vector<fs::path> SourceFiles(const fs::path& dir, const std::string& ext) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (e.is_regular_file() && e.path().extension() == ext) out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

bool ReadText(const fs::path& path, std::string& out, std::string* error) {
  auto bytes = ReadFileBytes(path.string(), size_t{16} << 20);
  if (!bytes) return Fail{error}("cannot read " + path.string());
  out.assign(bytes->begin(), bytes->end());
  return true;
}

// "data\ini.epk" (a game path) to the folder-relative "data/ini.epk".
std::string GamePathToRelative(std::string p) {
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// A name from a source that becomes a file of the game: it must stay in its folder.
bool PlainOutputName(const std::string& source, const std::string& what, const std::string& name,
                     std::string* error) {
  if (IsPlainName(name)) return true;
  return Fail{error}(source + ": " + what + " \"" + name + "\" " + PlainNameProblem(name));
}

class PackSet {
 public:
  bool Add(const std::string& pack, const std::string& member, const std::vector<uint8_t>& bytes,
           bool compress, std::string* error) {
    if (!packs_[pack].AddFile(member, bytes, compress, error)) {
      if (error) *error = pack + ": " + member + ": " + *error;
      return false;
    }
    return true;
  }
  void Finish(FileSet& files) {
    for (auto& [path, writer] : packs_) files[path] = writer.Build();
  }

 private:
  std::map<std::string, PackageWriter> packs_;
};

// Packs generated pictures, or the hand-drawn file of the same name where the source has one.
bool AddPictures(PackSet& packs, ArtOverrides& art, const std::string& word,
                 const std::string& pack, const std::vector<Picture>& pictures, bool compress,
                 std::string* error) {
  for (const auto& p : pictures) {
    std::optional<std::vector<uint8_t>> drawn;
    if (!art.Find(word, p.name, drawn, error)) return false;
    if (!packs.Add(pack, p.name, drawn ? *drawn : WriteBmp24(p.image), compress, error))
      return false;
  }
  return true;
}

bool AddPicture(PackSet& packs, ArtOverrides& art, const std::string& word, const std::string& pack,
                const std::string& name, const Image& image, bool compress, std::string* error) {
  return AddPictures(packs, art, word, pack, {Picture{name, image}}, compress, error);
}

bool BuildFiles(const DemoBuildOptions& options, FileSet& files, std::string* error);

// The folders of a game folder that hold nothing but built files.
constexpr const char* kBuiltFolders[] = {"data", "map", "sound", "music"};

// Removes the files under the built folders of out that this build did not write: maps and
// role files of an earlier build must not outlive their sources.
void RemoveStaleFiles(const fs::path& out, const FileSet& files,
                      std::vector<std::string>* removed) {
  std::error_code ec;
  for (const char* dir : kBuiltFolders) {
    std::vector<fs::path> stale;
    for (auto it = fs::recursive_directory_iterator(out / dir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory()) continue;
      const std::string rel = fs::relative(it->path(), out, ec).generic_string();
      if (!files.count(rel)) stale.push_back(it->path());
    }
    ec.clear();
    for (const auto& p : stale) {
      if (fs::remove(p, ec) && removed)
        removed->push_back(fs::relative(p, out, ec).generic_string());
      ec.clear();
    }
  }
}

}  // namespace

bool SourceTextToGame(const std::string& utf8, std::string& out) {
  std::string text;
  text.reserve(utf8.size() + utf8.size() / 20);
  size_t start = 0;
  // A UTF-8 byte order mark would hide the first section header.
  if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
  for (size_t i = start; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') continue;
    if (utf8[i] == '\n') text += '\r';
    text += utf8[i];
  }
  out = Utf8ToGbk(text);
  return GbkToUtf8(out) == text;
}

bool BuildDemoFiles(const DemoBuildOptions& options, FileSet& files, std::string* error) {
  // The generators read art.json with typed getters; a value of the wrong type throws.
  try {
    return BuildFiles(options, files, error);
  } catch (const std::exception& e) {
    return Fail{error}(std::string("a source value has the wrong type: ") + e.what());
  }
}

namespace {

bool BuildFiles(const DemoBuildOptions& options, FileSet& files, std::string* error) {
  Fail fail{error};
  ArtOverrides art;
  art.Load(options.sourceDir);
  const fs::path src(options.sourceDir);
  const bool z = options.compress;
  files.clear();
  PackSet packs;

  // game.ini names every package; the plain copy sits beside the program.
  std::string text, game;
  if (!ReadText(src / "ini" / "game.ini", text, error)) return false;
  if (!SourceTextToGame(text, game)) return fail("ini/game.ini: a character has no GBK form");
  files["game.ini"] = Bytes(game);
  IniFile gameIni;
  gameIni.LoadBytes(Bytes(game));
  std::map<std::string, std::string> pack;
  for (const char* key : {"ini", "script", "role", "ui", "face", "items", "skill", "tiles"}) {
    std::string value = gameIni.GetString("MDfile", key);
    if (value.empty()) return fail(std::string("ini/game.ini: [MDfile] ") + key + " is missing");
    if (const PathEscape e = CheckInsidePath(value); e != PathEscape::kNone)
      return fail(std::string("ini/game.ini: [MDfile] ") + key + " \"" + value + "\" " +
                  PathEscapeText(e) + "; packages stay inside the game folder");
    pack[key] = GamePathToRelative(value);
  }

  IniFile tilesIni;
  for (const auto& path : SourceFiles(src / "ini", ".ini")) {
    std::string utf8, bytes;
    if (!ReadText(path, utf8, error)) return false;
    if (!SourceTextToGame(utf8, bytes))
      return fail(path.string() + ": a character has no GBK form");
    if (!packs.Add(pack["ini"], path.filename().string(), Bytes(bytes), z, error)) return false;
    if (path.filename() == "tiles.ini") tilesIni.LoadBytes(Bytes(bytes));
  }
  for (const auto& path : SourceFiles(src / "scripts", ".gsp")) {
    std::string utf8, bytes;
    if (!ReadText(path, utf8, error)) return false;
    if (!SourceTextToGame(utf8, bytes))
      return fail(path.string() + ": a character has no GBK form");
    if (!packs.Add(pack["script"], path.filename().string(), Bytes(bytes), z, error)) return false;
  }

  // Databases.
  nlohmann::json items, skills, npcs, roleSets, artSrc, objectsSrc, sounds, music;
  const std::pair<const char*, nlohmann::json*> sources[] = {
      {"data/items.json", &items},    {"data/skills.json", &skills},
      {"data/npc.json", &npcs},       {"roles/roles.json", &roleSets},
      {"art/art.json", &artSrc},      {"art/objects.json", &objectsSrc},
      {"audio/sounds.json", &sounds}, {"audio/music.json", &music}};
  for (auto [rel, doc] : sources)
    if (!ReadJsonFile((src / rel).string(), *doc, error)) return false;
  art.SetKeyAlpha(std::clamp(artSrc.value("keyAlpha", kDefaultKeyAlpha), 1, 255));
  std::vector<uint8_t> table;
  if (!BuildDatabaseFromJson(items, table, error)) return fail("data/items.json: " + *error);
  files["data/items.itm"] = table;
  if (!BuildDatabaseFromJson(skills, table, error)) return fail("data/skills.json: " + *error);
  files["data/skill.skl"] = table;

  // Role records name their drops by item name; the table wants ids.
  nlohmann::json records = npcs.value("records", nlohmann::json::array());
  const auto& itemRecords = items["records"];
  for (auto& r : records) {
    nlohmann::json drops = nlohmann::json::array();
    for (const char* key : {"drop1", "drop2", "drop3", "drop4"}) {
      int id = 0;
      if (r.contains(key)) {
        const std::string name = r[key].get<std::string>();
        for (size_t i = 1; i < itemRecords.size() && id == 0; ++i)
          if (itemRecords[i].value("name", "") == name) id = static_cast<int>(i);
        if (id == 0)
          return fail("data/npc.json: " + r.value("roleName", "?") + " drops unknown item " + name);
        r.erase(key);
      }
      drops.push_back(id);
    }
    r["drops"] = drops;
  }
  std::vector<NpcRecord> npcRecords;
  if (!BuildNpcRecordsFromJson({{"records", records}}, npcRecords, error))
    return fail("data/npc.json: " + *error);
  files["data/npc.npc"] = WriteNpcFile(npcRecords);

  // Role animations and their frames.
  for (const auto& set : roleSets.value("sets", nlohmann::json::array())) {
    const std::string file = set.value("file", "");
    if (file.empty()) return fail("roles/roles.json: a set without \"file\"");
    if (!PlainOutputName("roles/roles.json", "role set file", file, error)) return false;
    RoleFrames frames = MakeRoleFrames(set);
    nlohmann::json states = nlohmann::json::array();
    for (const auto& [state, count] : set["states"].items())
      states.push_back({{"name", state},
                        {"framesPerDirection", count.get<int>()},
                        {"width", frames.width},
                        {"height", frames.height},
                        {"image", set.value("prefix", "role") + "\\" + state + "{d}_{k}.bmp"}});
    RoleAnimation anim;
    if (!BuildRoleFromJson({{"states", states}}, anim, error))
      return fail("roles/roles.json: " + file + ": " + *error);
    files["data/" + file] = WriteRoleAnimation(anim);
    if (!AddPictures(packs, art, "role", pack["role"], frames.frames, z, error)) return false;
    // The player's frames are also looked up under its image group, the ui pack.
    if (set.value("player", false) &&
        !AddPictures(packs, art, "role", pack["ui"], frames.frames, z, error))
      return false;
  }

  // Maps from Tiled.
  ObjectCatalog catalog;
  if (!ParseObjectCatalog(objectsSrc, catalog, error)) return fail("art/objects.json: " + *error);
  TiledContext context;
  context.baseDir = (src / "maps").string();
  context.objects = &catalog;
  context.roles = &npcs["records"];
  for (const std::string& path : MapSourceFiles(options.sourceDir)) {
    nlohmann::json desc;
    std::vector<std::string> warnings;
    if (!ImportTiledMap(path, context, desc, &warnings, error)) return false;
    const std::string file = desc.value("file", fs::path(path).stem().string() + ".map");
    if (!PlainOutputName(path, "map file", file, error)) return false;
    MapFileData map;
    if (!BuildMapFromJson(desc, file, map, error)) return fail(path + ": " + *error);
    files["map/" + file] = WriteMapFile(map);
  }

  // Pictures.
  if (!AddPictures(packs, art, "ui", pack["ui"], MakeUiPictures(artSrc), z, error)) return false;
  if (!AddPictures(packs, art, "face", pack["face"], MakeFacePictures(artSrc), z, error))
    return false;
  if (!AddPictures(packs, art, "items", pack["items"], MakeItemPictures(artSrc), z, error))
    return false;
  if (!AddPictures(packs, art, "skill", pack["skill"], MakeSkillPictures(artSrc, skills), z, error))
    return false;
  const auto tileStyles = artSrc.value("tiles", nlohmann::json::object());
  if (tilesIni.IsFailed() || tilesIni.Length() == 0) return fail("ini/tiles.ini is missing");
  BaseTiles baseTiles;
  for (const TileTypeNames& names : TileTypesOf(tilesIni)) {
    const std::string section = std::to_string(names.type);
    const std::string& prefix = names.prefix;
    const bool drawn = tileStyles.contains(prefix);
    const std::vector<std::string> members = TileMembers(names);
    for (size_t j = 0; j < members.size(); ++j) {
      const std::string& member = members[j];
      std::optional<std::vector<uint8_t>> handmade;
      if (!art.Find("tiles", member, handmade, error)) return false;
      if (!handmade && !drawn)
        return fail("ini/tiles.ini: type " + section + ": no tile style \"" + prefix +
                    "\" in art.json and no art/tiles/" + section + "/" +
                    member.substr(section.size() + 1, member.size() - section.size() - 5) +
                    ".png or .bmp");
      // An object's base may name a type that only hand-drawn pictures make.
      if (handmade && !drawn && j == 0 && !baseTiles.count(prefix)) {
        Image first;
        if (DecodeBmpImage(*handmade, first)) baseTiles[prefix] = std::move(first);
      }
      if (!packs.Add(pack["tiles"], member,
                     handmade
                         ? *handmade
                         : WriteBmp24(MakeTile(prefix, tileStyles[prefix], static_cast<int>(j))),
                     z, error))
        return false;
    }
  }
  if (!AddPicture(packs, art, "tiles", pack["tiles"], "obj.bmp",
                  MakeObjectSheet(catalog, tileStyles, baseTiles), z, error))
    return false;
  // Hand-drawn files that replace nothing add pictures of their own (an item picture or a
  // portrait the tables name that no generator draws).
  for (const std::string& rel : art.Unused()) {
    PictureName name;
    if (!ArtFileMember(rel, name)) continue;
    std::optional<std::vector<uint8_t>> bytes;
    if (!art.Find(name.word, name.member, bytes, error)) return false;
    if (bytes && !packs.Add(pack[name.word], name.member, *bytes, z, error)) return false;
  }

  // Sounds, music and the cursor.
  for (const auto& s : sounds.value("sounds", nlohmann::json::array())) {
    if (!PlainOutputName("audio/sounds.json", "sound", s.value("name", ""), error)) return false;
    files["sound/" + s.value("name", "")] =
        WriteWav(SampleBytes(SynthesizeSound(s)), 1, kSampleRate, 16);
  }
  for (const auto& m : music.value("pieces", nlohmann::json::array())) {
    if (!PlainOutputName("audio/music.json", "music piece", m.value("name", ""), error))
      return false;
    files["music/" + m.value("name", "")] =
        WriteWav(SampleBytes(SynthesizeMusic(m)), 1, kSampleRate, 16);
  }
  files["data/cursor.ani"] = WriteAni(MakeCursorFrames(artSrc));

  packs.Finish(files);
  return true;
}

}  // namespace

bool BuildDemo(const DemoBuildOptions& options, FileSet* filesOut, std::string* error,
               std::vector<std::string>* removed) {
  const fs::path out(options.outDir);
  std::error_code ec;
  // Building into the source would remove the sources under data/ as stale files.
  const fs::path srcFull = fs::weakly_canonical(options.sourceDir, ec);
  const fs::path outFull = fs::weakly_canonical(out, ec);
  if (!ec && !srcFull.empty()) {
    if (srcFull == outFull)
      return Fail{error}("the output folder is the source folder; build into another folder");
    for (const char* dir : kBuiltFolders) {
      const std::string inner = (outFull / dir).string() + "/";
      if ((srcFull.string() + "/").starts_with(inner))
        return Fail{error}("the source folder lies inside the output's " + std::string(dir) +
                           " folder, which a build empties");
    }
  }
  FileSet files;
  if (!BuildDemoFiles(options, files, error)) return false;
  for (const char* dir : {"saves", "screenshot"}) {
    if (!MakeFolders((out / dir).string()))
      return Fail{error}("cannot create " + (out / dir).string());
  }
  // Every name is checked before anything is written, and each write enters the output's
  // folders without following links, so no source can place a file outside the output.
  for (const auto& [rel, bytes] : files)
    if (const PathEscape e = CheckInsidePath(rel); e != PathEscape::kNone)
      return Fail{error}("the built file " + rel + " " + PathEscapeText(e));
  for (const auto& [rel, bytes] : files) {
    std::string why;
    if (!WriteFileInside(out.string(), rel, bytes, true, &why)) return Fail{error}(why);
  }
  RemoveStaleFiles(out, files, removed);
  if (filesOut) *filesOut = std::move(files);
  return true;
}

bool WriteTilesetPictures(const std::string& sourceDir, const std::string& dir,
                          std::string* error) {
  nlohmann::json art;
  if (!ReadJsonFile((fs::path(sourceDir) / "art" / "art.json").string(), art, error)) return false;
  if (!MakeFolders((fs::path(dir) / "tilesets").string()))
    return Fail{error}("cannot create " + dir);
  auto write = [&](const std::string& name, const Image& img) {
    return WriteFileAtomic((fs::path(dir) / "tilesets" / (name + ".bmp")).string(),
                           WriteBmp24(img));
  };
  // Tile counts of the tilesets follow tiles.ini.
  std::string text, bytes;
  if (!ReadText(fs::path(sourceDir) / "ini" / "tiles.ini", text, error)) return false;
  SourceTextToGame(text, bytes);
  IniFile tiles;
  tiles.LoadBytes(Bytes(bytes));
  const auto styles = art.value("tiles", nlohmann::json::object());
  for (int t = 1; t <= tiles.GetInt("typecount", "count"); ++t) {
    const std::string section = std::to_string(t);
    const std::string prefix = tiles.GetString(section, Gbk("前缀"));
    if (!styles.contains(prefix)) continue;
    if (!write(prefix, MakeTileSheet(prefix, styles[prefix], tiles.GetInt(section, "piccount"))))
      return Fail{error}("cannot write the " + prefix + " tileset");
  }
  if (!write("ids", MakeIdsSheet())) return Fail{error}("cannot write the ids tileset");
  return true;
}

}  // namespace isora::demo
