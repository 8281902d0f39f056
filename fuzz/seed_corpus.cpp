// Writes the seed corpus of every fuzz target from the kit's own writers, so nothing binary is
// kept in the sources: the demo game is built in memory from content/demo and its files (and the
// members of its packages) are sorted by the loader that reads them; the replays, the JSON
// sources and the Tiled maps come from the source tree, saves from the save writer and from
// any saves a replay run left behind.
//
//   seed-corpus <source root> <corpus dir> [saves dir]
//
// Each target gets <corpus dir>/fuzz_<name>/, emptied first. Seeds above kMaxSeed bytes are
// left out: they would only slow the fuzzers down.
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/file_io.h"
#include "foundation/ini_file.h"
#include "foundation/package_file.h"
#include "foundation/system_hooks.h"
#include "lib/demo_builder.h"
#include "lib/panel_preview.h"
#include "lib/save_json.h"
#include "save/save_file.h"

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr size_t kMaxSeed = 192 * 1024;

class QuietHooks : public isora::SystemHooks {
 public:
  void MessageBox(const std::string&, const std::string&, isora::MessageBoxIcon) override {}
  void DebugOutput(const std::string&) override {}
};

class Corpus {
 public:
  explicit Corpus(fs::path root) : root_(std::move(root)) {}

  // Adds a seed to a target, named by its origin; duplicates and oversized seeds are skipped.
  void Add(const std::string& target, const std::string& origin, const Bytes& bytes) {
    if (bytes.size() > kMaxSeed) return;
    if (!seen_[target].insert(bytes).second) return;
    const fs::path dir = root_ / ("fuzz_" + target);
    if (!cleared_.count(target)) {
      std::error_code ec;
      fs::remove_all(dir, ec);
      fs::create_directories(dir);
      cleared_.insert(target);
    }
    std::string name = origin;
    for (char& c : name)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  void Add(const std::string& target, const std::string& origin, const std::string& text) {
    Add(target, origin, Bytes(text.begin(), text.end()));
  }
  void Report() const {
    for (const auto& [target, seeds] : seen_)
      std::printf("seed-corpus: fuzz_%s: %zu seeds\n", target.c_str(), seeds.size());
  }

 private:
  fs::path root_;
  std::set<std::string> cleared_;
  std::map<std::string, std::set<Bytes>> seen_;
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string Extension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? "" : Lower(name.substr(dot + 1));
}

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Lines of a game text that hold colour markup or escapes, each behind a byte choosing the
// layout rules, for the rich-text target.
void AddMarkupLines(Corpus& corpus, const std::string& origin, const Bytes& text) {
  std::string line;
  int n = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\n') {
      if (text[i] != '\r') line += static_cast<char>(text[i]);
      continue;
    }
    if (line.find('<') != std::string::npos || line.find('\\') != std::string::npos) {
      const char rules[] = {
          static_cast<char>(20 + (n % 3) * 8 + ((n & 1) ? 0x40 : 0) + ((n & 2) ? 0x80 : 0))};
      corpus.Add("rich_text", origin + "-" + std::to_string(++n), std::string(rules, 1) + line);
    }
    line.clear();
  }
}

std::set<std::string> bmpShapes;

// A file of the game folder, or a member of one of its packages, to the targets that read it.
void Sort(Corpus& corpus, const std::string& name, const Bytes& bytes) {
  const std::string ext = Extension(name);
  if (ext == "bmp") {
    // The packs hold thousands of pictures of a few kinds: one seed per header shape and size
    // class (bit depth, compression, rounded width and height) covers them.
    if (bytes.size() >= 34) {
      std::string shape(reinterpret_cast<const char*>(bytes.data()) + 14, 20);
      for (size_t i = 4; i < 12; ++i) shape[i] = static_cast<char>(shape[i] & 0xC0);
      if (!bmpShapes.insert(shape).second) return;
    }
    corpus.Add("bmp", name, bytes);
  } else if (ext == "ini") {
    corpus.Add("ini", name, bytes);
    isora::IniFile ini;
    ini.LoadBytes(bytes);
    if (isora::DetectPanelKind(ini) != isora::PanelKind::Unknown) corpus.Add("panel", name, bytes);
    AddMarkupLines(corpus, name, bytes);
  } else if (ext == "gsp") {
    corpus.Add("script", name, bytes);
    AddMarkupLines(corpus, name, bytes);
  } else if (ext == "map") {
    corpus.Add("map", name, bytes);
    corpus.Add("map_paint", name, bytes);
  } else if (ext == "pmg") {
    corpus.Add("role", name, bytes);
  } else if (ext == "npc") {
    corpus.Add("npc", name, bytes);
  } else if (ext == "itm") {
    corpus.Add("item_db", name, bytes);
  } else if (ext == "skl") {
    corpus.Add("skill_db", name, bytes);
  } else if (ext == "ani" || ext == "cur") {
    corpus.Add("ani", name, bytes);
  } else if (ext == "wav") {
    corpus.Add("wav", name, bytes);
  } else if (ext == "epk") {
    corpus.Add("package", name, bytes);
  }
}

void ReadMembers(Corpus& corpus, isora::PackageFile& file, const isora::PackageNode& node,
                 const std::string& package) {
  for (const auto& [key, child] : node.children) {
    if (child->entry.IsDirectory()) {
      ReadMembers(corpus, file, *child, package);
      continue;
    }
    const std::string member = child->FullPath().substr(5);  // without "root\"
    if (auto bytes = file.ReadMember(member)) Sort(corpus, package + "-" + member, *bytes);
  }
}

// ---- PNG, written with zlib as any encoder would ------------------------------------------

void PutU32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(Bytes& out, const char* type, const Bytes& data) {
  PutU32(out, static_cast<uint32_t>(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  PutU32(out, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// A w x h picture of the given colour type (2 RGB, 6 RGBA, 0 grey, 3 palette) at 8 bits.
Bytes MakePng(int w, int h, int colourType) {
  const int channels = colourType == 2 ? 3 : colourType == 6 ? 4 : 1;
  Bytes raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(static_cast<uint8_t>(y % 5));  // every filter type
    for (int x = 0; x < w * channels; ++x) raw.push_back(static_cast<uint8_t>(x * 7 + y * 13));
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes packed(size);
  compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
  packed.resize(size);
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  PutU32(ihdr, static_cast<uint32_t>(w));
  PutU32(ihdr, static_cast<uint32_t>(h));
  ihdr.insert(ihdr.end(), {8, static_cast<uint8_t>(colourType), 0, 0, 0});
  Chunk(out, "IHDR", ihdr);
  if (colourType == 3) {
    Bytes palette;
    for (int i = 0; i < 256; ++i) palette.insert(palette.end(), {uint8_t(i), uint8_t(255 - i), 0});
    Chunk(out, "PLTE", palette);
  }
  Chunk(out, "IDAT", packed);
  Chunk(out, "IEND", {});
  return out;
}

// ---- Tiled: the demo's JSON maps, their TMX twins, and external files ---------------------

std::string XmlEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

std::string PropertiesXml(const nlohmann::json& owner) {
  if (!owner.contains("properties")) return "";
  std::string out = "<properties>";
  for (const auto& p : owner["properties"]) {
    const auto& v = p["value"];
    out += "<property name=\"" + XmlEscape(p.value("name", "")) + "\"";
    if (p.value("type", "string") != "string") out += " type=\"" + p.value("type", "") + "\"";
    out += " value=\"" + XmlEscape(v.is_string() ? v.get<std::string>() : v.dump()) + "\"/>";
  }
  return out + "</properties>\n";
}

std::string TilesetXml(const nlohmann::json& ts, bool external) {
  std::string out = external
                        ? "<tileset version=\"1.10\""
                        : "<tileset firstgid=\"" + std::to_string(ts.value("firstgid", 1)) + "\"";
  out += " name=\"" + XmlEscape(ts.value("name", "")) + "\" tilewidth=\"64\" tileheight=\"32\" " +
         "tilecount=\"" + std::to_string(ts.value("tilecount", 0)) + "\" columns=\"10\">\n";
  out += PropertiesXml(ts);
  out += "<image source=\"" + XmlEscape(ts.value("image", "x.bmp")) + "\" width=\"640\" " +
         "height=\"" + std::to_string(ts.value("imageheight", 32)) + "\"/>\n";
  for (const auto& t : ts.value("tiles", nlohmann::json::array()))
    out +=
        "<tile id=\"" + std::to_string(t.value("id", 0)) + "\">" + PropertiesXml(t) + "</tile>\n";
  return out + "</tileset>\n";
}

std::string Base64(const Bytes& bytes) {
  static const char* k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t v = bytes[i] << 16;
    if (i + 1 < bytes.size()) v |= bytes[i + 1] << 8;
    if (i + 2 < bytes.size()) v |= bytes[i + 2];
    out += k[(v >> 18) & 63];
    out += k[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? k[(v >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? k[v & 63] : '=';
  }
  return out;
}

// The layer data in one of the encodings Tiled writes: CSV, XML tiles, base64 or base64+zlib.
std::string LayerData(const nlohmann::json& data, int encoding) {
  if (encoding == 0) {
    std::string out = "<data encoding=\"csv\">";
    for (size_t i = 0; i < data.size(); ++i) out += (i ? "," : "") + data[i].dump();
    return out + "</data>";
  }
  if (encoding == 1) {
    std::string out = "<data>";
    for (const auto& v : data) out += "<tile gid=\"" + v.dump() + "\"/>";
    return out + "</data>";
  }
  Bytes words;
  for (const auto& v : data) {
    const uint32_t id = v.get<uint32_t>();
    for (int s = 0; s < 32; s += 8) words.push_back(static_cast<uint8_t>(id >> s));
  }
  if (encoding == 2) return "<data encoding=\"base64\">" + Base64(words) + "</data>";
  uLongf size = compressBound(static_cast<uLong>(words.size()));
  Bytes packed(size);
  compress(packed.data(), &size, words.data(), static_cast<uLong>(words.size()));
  packed.resize(size);
  return "<data encoding=\"base64\" compression=\"zlib\">" + Base64(packed) + "</data>";
}

std::string LayersXml(const nlohmann::json& layers, int encoding) {
  std::string out;
  for (const auto& l : layers) {
    const std::string type = l.value("type", "");
    const std::string attrs = " id=\"" + std::to_string(l.value("id", 0)) + "\" name=\"" +
                              XmlEscape(l.value("name", "")) + "\"";
    if (type == "group") {
      out += "<group" + attrs + ">\n" + LayersXml(l["layers"], encoding) + "</group>\n";
    } else if (type == "objectgroup") {
      out += "<objectgroup" + attrs + ">\n";
      for (const auto& o : l["objects"]) {
        out += "<object id=\"" + std::to_string(o.value("id", 0)) + "\"";
        if (!o.value("name", "").empty()) out += " name=\"" + XmlEscape(o.value("name", "")) + "\"";
        if (!o.value("type", "").empty()) out += " type=\"" + XmlEscape(o.value("type", "")) + "\"";
        out += " x=\"" + o.value("x", nlohmann::json(0)).dump() + "\" y=\"" +
               o.value("y", nlohmann::json(0)).dump() + "\">" + PropertiesXml(o);
        if (o.value("point", false)) out += "<point/>";
        out += "</object>\n";
      }
      out += "</objectgroup>\n";
    } else if (type == "tilelayer") {
      out += "<layer" + attrs + " width=\"" + std::to_string(l.value("width", 0)) + "\" height=\"" +
             std::to_string(l.value("height", 0)) + "\">" + LayerData(l["data"], encoding) +
             "</layer>\n";
    }
  }
  return out;
}

std::string TmxFromTmj(const nlohmann::json& tmj, int encoding) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<map version=\"1.10\" "
      "orientation=\"" +
      tmj.value("orientation", "isometric") + "\" width=\"" +
      std::to_string(tmj.value("width", 0)) + "\" height=\"" +
      std::to_string(tmj.value("height", 0)) +
      "\" tilewidth=\"64\" "
      "tileheight=\"32\" infinite=\"0\">\n";
  out += PropertiesXml(tmj);
  for (const auto& ts : tmj["tilesets"]) out += TilesetXml(ts, false);
  return out + LayersXml(tmj["layers"], encoding) + "</map>\n";
}

// A smaller map for the importer: the first rows of each tile layer only, so a run is short.
nlohmann::json Shrunk(nlohmann::json tmj, int n) {
  const int w = tmj.value("width", 0);
  std::function<void(nlohmann::json&)> cut = [&](nlohmann::json& layers) {
    for (auto& l : layers) {
      if (l.value("type", "") == "group") cut(l["layers"]);
      if (l.value("type", "") == "objectgroup") {
        nlohmann::json kept = nlohmann::json::array();
        for (const auto& o : l["objects"])
          if (kept.size() < 6) kept.push_back(o);
        l["objects"] = kept;
      }
      if (l.value("type", "") != "tilelayer") continue;
      nlohmann::json data = nlohmann::json::array();
      for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) data.push_back(l["data"][static_cast<size_t>(y * w + x)]);
      l["data"] = data;
      l["width"] = n;
      l["height"] = n;
    }
  };
  cut(tmj["layers"]);
  tmj["width"] = n;
  tmj["height"] = n;
  return tmj;
}

void AddTiled(Corpus& corpus, const fs::path& maps) {
  for (const auto& entry : fs::directory_iterator(maps)) {
    if (entry.path().extension() != ".tmj") continue;
    const std::string stem = entry.path().stem().string();
    const std::string text = ReadText(entry.path());
    corpus.Add("json_source", stem + ".tmj", text);
    const auto tmj = nlohmann::json::parse(text, nullptr, false);
    if (tmj.is_discarded()) continue;
    const nlohmann::json small = Shrunk(tmj, 8);
    corpus.Add("tiled", stem + ".tmj", small.dump(1));
    for (int encoding = 0; encoding < 4; ++encoding)
      corpus.Add("tiled", stem + "-" + std::to_string(encoding) + ".tmx",
                 TmxFromTmj(small, encoding));
    for (const auto& ts : tmj["tilesets"]) {
      const std::string name = ts.value("name", "ts");
      corpus.Add("tiled_external", name + ".tsx",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + TilesetXml(ts, true));
      nlohmann::json tsj = ts;
      tsj.erase("firstgid");
      tsj["type"] = "tileset";
      corpus.Add("tiled_external", name + ".tsj", tsj.dump(1));
    }
    // Object templates: the first few objects of the map, as TX and TJ.
    int count = 0;
    std::function<void(const nlohmann::json&)> walk = [&](const nlohmann::json& layers) {
      for (const auto& l : layers) {
        if (l.value("type", "") == "group") walk(l["layers"]);
        if (l.value("type", "") != "objectgroup") continue;
        for (const auto& o : l["objects"]) {
          if (++count > 4) return;
          const std::string id = stem + "-" + std::to_string(count);
          corpus.Add("tiled_external", id + ".tj",
                     nlohmann::json{{"type", "template"}, {"object", o}}.dump(1));
          std::string tx = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<template>\n<object";
          if (!o.value("name", "").empty())
            tx += " name=\"" + XmlEscape(o.value("name", "")) + "\"";
          if (!o.value("type", "").empty())
            tx += " type=\"" + XmlEscape(o.value("type", "")) + "\"";
          tx += ">" + PropertiesXml(o) + (o.value("point", false) ? "<point/>" : "") +
                "</object>\n</template>\n";
          corpus.Add("tiled_external", id + ".tx", tx);
        }
      }
    };
    walk(tmj["layers"]);
  }
}

// Small inputs that once crashed their reader, passed the runs' memory limit or took minutes:
// nesting walked with a path, a stack frame or a copy per level.
void AddBombs(Corpus& corpus) {
  auto nested = [](int n, const std::string& open, const std::string& close, std::string s = {}) {
    for (int i = 0; i < 2 * n; ++i) s += i < n ? open : close;
    return s;
  };
  corpus.Add("json_source", "bomb-deep-arrays", "{\"records\": " + nested(60000, "[", "]") + "}");
  corpus.Add("save_json", "bomb-deep-arrays", "{\"missions\": " + nested(90000, "[", "]") + "}");
  corpus.Add("tiled", "bomb-deep-groups.tmj",
             "{\"type\":\"map\",\"layers\":[" +
                 nested(4000, "{\"type\":\"group\",\"layers\":[", "]}") + "]}");
  // One chain of 3,700 folders with 25-byte names: a full path per folder grew 26 bytes a level.
  std::string pkg = std::string("VDK1\0\0\0\0\1\0\0\0", 12);
  for (int i = 0; i < 3700; ++i)
    pkg += std::string(1, i < 3699) + std::string(11, '\0') + std::string("\1\0\0\0\31", 5) +
           std::string(7, '\0') + std::string(25, 'd') + '\0';
  corpus.Add("package", "bomb-deep-folders", pkg);
}

// ---- saves -----------------------------------------------------------------------------------

void AddSave(Corpus& corpus, const std::string& origin, const isora::SaveData& save) {
  corpus.Add("save", origin + ".sav", isora::EncodeSave(save));
  corpus.Add("save_json", origin + ".json", isora::SaveToJson(save).dump(1));
}

isora::SaveData SampleSave() {
  isora::SaveData s;
  s.timeStamp = "2000-01-01 12:00";
  s.roles = {{"elder", 640, 480}, {"wolf", 1200, 900}};
  s.player.money = 250;
  s.player.x = 800;
  s.player.y = 600;
  s.skills = {{1, 2}, {2, 1}};
  s.bag = {{1, 3}, {0, 1}, {5, 1}};
  s.innerBags = {std::nullopt, std::nullopt, std::vector<int32_t>{1, 0, 2, 0, 0, 0, 0, 0, 0}};
  s.weaponPack = {2, 0, 3, 0};
  s.loveDegrees = {{"elder", 10}};
  s.factionEnmity = {{"bandits", 100}};
  s.vipInfo = {{"lina", 1}};
  s.factions = {"town"};
  s.honours = {"hero"};
  s.notes = {"note"};
  isora::Mission m;
  m.name = "herbs";
  m.description = "Bring <3three/> herbs";
  m.kind = 1;
  m.target = "herb";
  m.required = 3;
  s.missions = {m};
  s.killCount = 7;
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: seed-corpus <source root> <corpus dir> [saves dir]\n");
    return 2;
  }
  static QuietHooks hooks;
  isora::Hooks::Set(&hooks);
  const fs::path source = argv[1];
  const fs::path out = argv[2];
  Corpus corpus(out);

  isora::demo::DemoBuildOptions options;
  options.sourceDir = (source / "content" / "demo").string();
  options.outDir = (out / ".demo").string();
  isora::demo::FileSet files;
  std::string error;
  if (!isora::demo::BuildDemoFiles(options, files, &error)) {
    std::fprintf(stderr, "seed-corpus: the demo does not build: %s\n", error.c_str());
    return 1;
  }
  // Packages are read through a file, as the game reads them.
  const fs::path scratch = out / ".package";
  fs::create_directories(out);
  for (const auto& [name, bytes] : files) {
    Sort(corpus, name, bytes);
    if (Extension(name) != "epk") continue;
    std::ofstream(scratch, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    isora::PackageFile package;
    if (package.Open(scratch.string()) && package.Root())
      ReadMembers(corpus, package, *package.Root(), fs::path(name).stem().string());
  }
  std::error_code ec;
  fs::remove(scratch, ec);
  // An uncompressed build gives packages whose members are stored as they are.
  options.compress = false;
  isora::demo::FileSet plain;
  if (isora::demo::BuildDemoFiles(options, plain, &error)) {
    for (const auto& [name, bytes] : plain)
      if (Extension(name) == "epk") corpus.Add("package", "plain-" + name, bytes);
  }

  for (const auto& entry : fs::recursive_directory_iterator(options.sourceDir)) {
    if (entry.path().extension() == ".json")
      corpus.Add("json_source", entry.path().filename().string(), ReadText(entry.path()));
  }
  AddTiled(corpus, fs::path(options.sourceDir) / "maps");

  for (const auto& entry : fs::directory_iterator(source / "tests" / "e2e" / "replays"))
    if (entry.path().extension() == ".replay")
      corpus.Add("replay", entry.path().filename().string(), ReadText(entry.path()));

  AddBombs(corpus);
  AddSave(corpus, "empty", isora::SaveData{});
  AddSave(corpus, "sample", SampleSave());
  if (argc > 3 && fs::is_directory(argv[3])) {
    for (const auto& entry : fs::directory_iterator(argv[3])) {
      if (entry.path().extension() != ".sav") continue;
      auto bytes = isora::ReadFileBytes(entry.path().string());
      isora::SaveData save;
      if (bytes && isora::DecodeSave(*bytes, save))
        AddSave(corpus, "played-" + entry.path().stem().string(), save);
    }
  }

  for (int type : {2, 6, 0, 3})
    corpus.Add("png", "png-" + std::to_string(type), MakePng(9, 7, type));
  corpus.Report();
  return 0;
}
