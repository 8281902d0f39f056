#include "lib/tiled_reader.h"

#include <tinyxml2.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>

#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "foundation/paths.h"
#include "lib/json_read.h"

namespace isora::demo {

namespace fs = std::filesystem;
using nlohmann::json;
using tinyxml2::XMLElement;

namespace {

constexpr size_t kMaxTiledFile = size_t{64} << 20;
// Templates may name templates only through their objects; this bounds a cycle of files.
constexpr int kMaxIncludeDepth = 8;
// Group layers inside group layers; real maps use a handful.
constexpr int kMaxGroupDepth = 64;
// Members and properties that templates may copy into a map's objects, all objects together:
// thousands of objects with a few dozen values each.
constexpr size_t kMaxTemplateValues = 200000;

struct Fail {
  std::string* error;
  bool operator()(const std::string& m) const {
    if (error) *error = m;
    return false;
  }
};

bool ReadText(const std::string& path, std::string& out, std::string* error) {
  auto bytes = ReadFileBytes(path, kMaxTiledFile);
  if (!bytes) return Fail{error}("cannot read " + path);
  out.assign(bytes->begin(), bytes->end());
  return true;
}

bool LooksLikeXml(const std::string& text) {
  size_t i = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  return i < text.size() && text[i] == '<';
}

bool Outside(const std::string& what, const std::string& source, std::string* error) {
  return Fail{error}(what + " " + source +
                     " lies outside the map's project (the folder above the map's folder)");
}

// ---- decoding ----------------------------------------------------------------------------

bool DecodeBase64(const std::string& text, std::vector<uint8_t>& out) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  out.clear();
  uint32_t bits = 0;
  int have = 0;
  bool padded = false;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (c == '=') {
      padded = true;
      continue;
    }
    const int v = value(c);
    if (v < 0 || padded) return false;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    have += 6;
    if (have >= 8) {
      have -= 8;
      out.push_back(static_cast<uint8_t>(bits >> have));
    }
  }
  return true;
}

// zlib or gzip (told apart by their headers), inflated to exactly `size` bytes.
bool Inflate(const std::vector<uint8_t>& in, size_t size, std::vector<uint8_t>& out) {
  out.assign(size, 0);
  z_stream z{};
  if (inflateInit2(&z, 15 + 32) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int status = inflate(&z, Z_FINISH);
  const bool ok = status == Z_STREAM_END && z.total_out == size;
  inflateEnd(&z);
  return ok;
}

bool ParseCsv(const std::string& text, std::vector<uint32_t>& out, std::string* error) {
  out.clear();
  uint64_t value = 0;
  bool inNumber = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      value = value * 10 + static_cast<uint64_t>(c - '0');
      if (value > 0xFFFFFFFFull) return Fail{error}("a tile id in the CSV data is too large");
      inNumber = true;
    } else if (c == ',') {
      out.push_back(static_cast<uint32_t>(value));
      value = 0;
      inNumber = false;
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      return Fail{error}(std::string("the CSV data holds '") + c + "'");
    }
  }
  if (inNumber) out.push_back(static_cast<uint32_t>(value));
  return true;
}

// ---- XML to the JSON shape ---------------------------------------------------------------

std::string Attr(const XMLElement* e, const char* name, const char* fallback = "") {
  const char* v = e->Attribute(name);
  return v ? v : fallback;
}

// Copies numeric attributes as numbers and the rest as texts.
void CopyAttributes(const XMLElement* e, json& out, std::initializer_list<const char*> numbers,
                    std::initializer_list<const char*> texts) {
  for (const char* n : numbers)
    if (const char* v = e->Attribute(n)) {
      char* end = nullptr;
      const double d = std::strtod(v, &end);
      if (end && *end == '\0') {
        if (d == std::floor(d) && std::fabs(d) < 2e9)
          out[n] = static_cast<int64_t>(d);
        else
          out[n] = d;
      }
    }
  for (const char* t : texts)
    if (const char* v = e->Attribute(t)) out[t] = v;
}

json PropertiesOf(const XMLElement* owner) {
  json list = json::array();
  const XMLElement* props = owner->FirstChildElement("properties");
  if (!props) return list;
  for (const XMLElement* p = props->FirstChildElement("property"); p;
       p = p->NextSiblingElement("property")) {
    json prop = {{"name", Attr(p, "name")}, {"type", Attr(p, "type", "string")}};
    // Multi-line texts are kept as the element's text instead of an attribute.
    const char* raw = p->Attribute("value");
    if (!raw) raw = p->GetText() ? p->GetText() : "";
    prop["value"] = raw;
    if (p->Attribute("propertytype")) prop["propertytype"] = Attr(p, "propertytype");
    list.push_back(prop);
  }
  return list;
}

json TilesetFromXml(const XMLElement* e) {
  json ts = json::object();
  CopyAttributes(
      e, ts, {"firstgid", "tilewidth", "tileheight", "tilecount", "columns", "spacing", "margin"},
      {"name", "source", "class"});
  if (const XMLElement* off = e->FirstChildElement("tileoffset")) {
    json o = json::object();
    CopyAttributes(off, o, {"x", "y"}, {});
    ts["tileoffset"] = o;
  }
  if (const XMLElement* img = e->FirstChildElement("image")) ts["image"] = Attr(img, "source");
  ts["properties"] = PropertiesOf(e);
  json tiles = json::array();
  for (const XMLElement* t = e->FirstChildElement("tile"); t; t = t->NextSiblingElement("tile")) {
    json tile = json::object();
    CopyAttributes(t, tile, {"id"}, {"type", "class"});
    tile["properties"] = PropertiesOf(t);
    tiles.push_back(tile);
  }
  if (!tiles.empty()) ts["tiles"] = tiles;
  return ts;
}

json ObjectFromXml(const XMLElement* e) {
  json o = json::object();
  CopyAttributes(e, o, {"id", "x", "y", "width", "height", "rotation", "gid"},
                 {"name", "type", "class", "template"});
  if (e->Attribute("visible")) o["visible"] = Attr(e, "visible") != "0";
  o["point"] = e->FirstChildElement("point") != nullptr;
  o["properties"] = PropertiesOf(e);
  return o;
}

bool LayerFromXml(const XMLElement* e, json& layer, std::string* error);

bool LayersFromXml(const XMLElement* parent, json& layers, std::string* error) {
  for (const XMLElement* c = parent->FirstChildElement(); c; c = c->NextSiblingElement()) {
    const std::string tag = c->Name();
    if (tag != "layer" && tag != "objectgroup" && tag != "imagelayer" && tag != "group") continue;
    json layer;
    if (!LayerFromXml(c, layer, error)) return false;
    layers.push_back(std::move(layer));
  }
  return true;
}

bool LayerFromXml(const XMLElement* e, json& layer, std::string* error) {
  const std::string tag = e->Name();
  layer = json::object();
  layer["type"] = tag == "layer"         ? "tilelayer"
                  : tag == "objectgroup" ? "objectgroup"
                  : tag == "imagelayer"  ? "imagelayer"
                                         : "group";
  CopyAttributes(
      e, layer,
      {"id", "width", "height", "offsetx", "offsety", "parallaxx", "parallaxy", "opacity"},
      {"name", "class"});
  layer["visible"] = Attr(e, "visible", "1") != "0";
  layer["properties"] = PropertiesOf(e);
  if (tag == "layer") {
    const XMLElement* data = e->FirstChildElement("data");
    if (!data) return Fail{error}("layer \"" + Attr(e, "name") + "\" has no data");
    const std::string encoding = Attr(data, "encoding");
    if (data->FirstChildElement("chunk")) {
      layer["chunks"] = json::array({json::object()});
    } else if (encoding == "csv") {
      std::vector<uint32_t> ids;
      if (!ParseCsv(data->GetText() ? data->GetText() : "", ids, error)) {
        *error = "layer \"" + Attr(e, "name") + "\": " + *error;
        return false;
      }
      layer["data"] = ids;
    } else if (encoding == "base64") {
      layer["encoding"] = "base64";
      layer["compression"] = Attr(data, "compression");
      layer["data"] = data->GetText() ? data->GetText() : "";
    } else if (encoding.empty()) {
      json ids = json::array();
      for (const XMLElement* t = data->FirstChildElement("tile"); t;
           t = t->NextSiblingElement("tile"))
        ids.push_back(t->UnsignedAttribute("gid", 0));
      layer["data"] = ids;
    } else {
      return Fail{error}("layer \"" + Attr(e, "name") + "\": unknown data encoding \"" + encoding +
                         "\"");
    }
  } else if (tag == "objectgroup") {
    json objects = json::array();
    for (const XMLElement* o = e->FirstChildElement("object"); o;
         o = o->NextSiblingElement("object"))
      objects.push_back(ObjectFromXml(o));
    layer["objects"] = std::move(objects);
  } else if (tag == "group") {
    json children = json::array();
    if (!LayersFromXml(e, children, error)) return false;
    layer["layers"] = std::move(children);
  }
  return true;
}

bool MapFromXml(const std::string& text, json& out, std::string* error) {
  tinyxml2::XMLDocument doc;
  if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
    return Fail{error}("not well-formed XML: line " + std::to_string(doc.ErrorLineNum()) + ": " +
                       doc.ErrorStr());
  const XMLElement* root = doc.RootElement();
  const std::string tag = root ? root->Name() : "";
  if (tag == "tileset") return Fail{error}("a Tiled tileset (TSX), not a map");
  if (tag == "template") return Fail{error}("a Tiled object template (TX), not a map");
  if (tag != "map") return Fail{error}("XML whose root element is <" + tag + ">, not a Tiled map");
  out = json::object();
  out["type"] = "map";
  CopyAttributes(root, out, {"width", "height", "tilewidth", "tileheight", "hexsidelength"},
                 {"version", "tiledversion", "orientation", "renderorder", "staggeraxis",
                  "staggerindex", "class"});
  out["infinite"] = Attr(root, "infinite", "0") != "0";
  out["properties"] = PropertiesOf(root);
  json tilesets = json::array();
  for (const XMLElement* t = root->FirstChildElement("tileset"); t;
       t = t->NextSiblingElement("tileset"))
    tilesets.push_back(TilesetFromXml(t));
  out["tilesets"] = tilesets;
  json layers = json::array();
  if (!LayersFromXml(root, layers, error)) return false;
  out["layers"] = layers;
  return true;
}

// ---- one shape ---------------------------------------------------------------------------

// Values typed as their declared type: TMX writes every value as text, and hand-edited or
// scripted JSON often does too.
void TypeProperties(json& owner) {
  if (!owner.is_object() || !owner.contains("properties") || !owner["properties"].is_array())
    return;
  for (json& p : owner["properties"]) {
    if (!p.is_object() || !p.contains("value")) continue;
    const std::string type = p.value("type", "string");
    json& v = p["value"];
    if (!v.is_string()) continue;
    const std::string s = v.get<std::string>();
    char* end = nullptr;
    if (type == "bool") {
      if (s == "true" || s == "1") v = true;
      if (s == "false" || s == "0") v = false;
    } else if (type == "int") {
      if (const std::optional<long long> n = ParseNumber<long long>(s)) v = *n;
    } else if (type == "float" && !s.empty()) {
      const double d = std::strtod(s.c_str(), &end);
      if (*end == '\0') v = d;
    }
  }
}

bool LoadJsonOrXml(const std::string& path, const char* xmlRoot, json& out, std::string* error) {
  std::string text;
  if (!ReadText(path, text, error)) return false;
  if (LooksLikeXml(text)) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
      return Fail{error}(path + ": not well-formed XML: line " +
                         std::to_string(doc.ErrorLineNum()) + ": " + doc.ErrorStr());
    const XMLElement* root = doc.RootElement();
    if (!root || std::string(root->Name()) != xmlRoot)
      return Fail{error}(path + ": not a Tiled " + xmlRoot + " file");
    if (std::string(xmlRoot) == "tileset") {
      out = TilesetFromXml(root);
    } else {
      const XMLElement* object = root->FirstChildElement("object");
      if (!object) return Fail{error}(path + ": the template holds no object");
      out = {{"type", "template"}, {"object", ObjectFromXml(object)}};
    }
    return true;
  }
  std::string why;
  if (!ParseJson(text, out, &why))
    return Fail{error}(path + ": neither XML nor valid JSON: " + why);
  return true;
}

std::string Number(double d) {
  if (d == std::floor(d) && std::fabs(d) < 1e9) return std::to_string(static_cast<long long>(d));
  return std::to_string(d);
}

struct Normaliser {
  std::string baseDir;
  std::vector<std::string>* warnings;
  std::string* error;
  size_t cells = 0;
  bool infinite = false;

  void Warn(const std::string& w) {
    if (warnings) warnings->push_back(w);
  }

  bool Tileset(json& ts) {
    TypeProperties(ts);
    if (ts.contains("tiles") && ts["tiles"].is_array())
      for (json& t : ts["tiles"]) TypeProperties(t);
    if (!ts.contains("source")) return true;
    const std::string source = ts.value("source", "");
    json external;
    const auto path = MapRelativePath(baseDir, source);
    if (!path) return Outside("tileset", source, error);
    if (!LoadJsonOrXml(*path, "tileset", external, error)) return false;
    if (!external.is_object()) return Fail{error}(source + ": not a tileset");
    external["firstgid"] = JsonInt(ts, "firstgid", 0);
    ts = std::move(external);
    TypeProperties(ts);
    if (ts.contains("tiles") && ts["tiles"].is_array())
      for (json& t : ts["tiles"]) TypeProperties(t);
    return true;
  }

  // Each template file is read and resolved once, however many objects name it; what the
  // templates copy into objects is bounded in total, since one large template named by many
  // small objects would otherwise multiply its size.
  std::map<std::string, json> templates = {};
  size_t copiedFromTemplates = 0;

  const json* Template(const std::string& source, int depth) {
    const auto inside = MapRelativePath(baseDir, source);
    if (!inside) {
      Outside("template", source, error);
      return nullptr;
    }
    const std::string& path = *inside;
    if (auto it = templates.find(path); it != templates.end()) return &it->second;
    json tpl;
    if (!LoadJsonOrXml(path, "template", tpl, error)) return nullptr;
    if (!tpl.is_object() || !tpl.contains("object") || !tpl["object"].is_object()) {
      Fail{error}(source + ": not an object template");
      return nullptr;
    }
    json base = std::move(tpl["object"]);
    if (!Object(base, depth + 1)) return nullptr;
    return &templates.emplace(path, std::move(base)).first->second;
  }

  bool Object(json& o, int depth) {
    TypeProperties(o);
    if (!o.contains("template")) return true;
    if (depth > kMaxIncludeDepth) return Fail{error}("object templates nest too deeply");
    const json* base = Template(o.value("template", ""), depth);
    if (!base) return false;
    json props = base->value("properties", json::array());
    copiedFromTemplates += base->size() + props.size();
    if (copiedFromTemplates > kMaxTemplateValues)
      return Fail{error}("object templates copy more than " + std::to_string(kMaxTemplateValues) +
                         " values into the map's objects");
    // The instance's own values win; properties merge by name.
    json merged = *base;
    for (const auto& [key, value] : o.items())
      if (key != "properties" && key != "template") merged[key] = value;
    const json own = o.value("properties", json::array());
    std::map<std::string, std::vector<size_t>> byName;
    if (!own.empty())
      for (size_t i = 0; i < props.size(); ++i) byName[props[i].value("name", "")].push_back(i);
    for (const json& p : own) {
      auto& same = byName[p.value("name", "")];
      for (size_t i : same) props[i] = p;
      if (same.empty()) {
        same.push_back(props.size());
        props.push_back(p);
      }
    }
    merged["properties"] = std::move(props);
    o = std::move(merged);
    return true;
  }

  // Takes the layer's value (it is moved into out); groups past kMaxGroupDepth are refused, so
  // the recursion and the group paths it builds stay small.
  bool Layer(json& layer, double offsetX, double offsetY, bool visible, const std::string& path,
             int depth, json& out) {
    TypeProperties(layer);
    const std::string name = layer.value("name", "");
    const std::string where = path.empty() ? name : path + "/" + name;
    offsetX += layer.value("offsetx", 0.0);
    offsetY += layer.value("offsety", 0.0);
    visible = visible && layer.value("visible", true);
    const std::string type = layer.value("type", "");
    if (type == "group") {
      if (layer.value("parallaxx", 1.0) != 1.0 || layer.value("parallaxy", 1.0) != 1.0)
        Warn("group \"" + where + "\" has a parallax factor; the game has no parallax");
      if (depth >= kMaxGroupDepth)
        return Fail{error}("group \"" + where + "\" is nested more than " +
                           std::to_string(kMaxGroupDepth) + " groups deep");
      auto children = layer.find("layers");
      if (children == layer.end()) return true;
      for (json& child : *children)
        if (!Layer(child, offsetX, offsetY, visible, where, depth + 1, out)) return false;
      return true;
    }
    if (offsetX != 0 || offsetY != 0)
      Warn("layer \"" + where + "\" is offset by (" + Number(offsetX) + ", " + Number(offsetY) +
           ") pixels in Tiled; the game ignores layer offsets");
    if (layer.value("parallaxx", 1.0) != 1.0 || layer.value("parallaxy", 1.0) != 1.0)
      Warn("layer \"" + where + "\" has a parallax factor; the game has no parallax");
    if (!visible) Warn("layer \"" + where + "\" is hidden in Tiled; it is imported all the same");
    if (type == "tilelayer" && !infinite && cells > 0 && !layer.contains("chunks")) {
      if (layer.value("encoding", "csv") == "base64") {
        std::vector<uint32_t> ids;
        const json& data = layer["data"];
        if (!data.is_string())
          return Fail{error}("layer \"" + where + "\": base64 data is not text");
        if (!DecodeLayerData(data.get<std::string>(), layer.value("compression", ""), cells, ids,
                             error)) {
          *error = "layer \"" + where + "\": " + *error;
          return false;
        }
        layer["data"] = ids;
        layer.erase("encoding");
        layer.erase("compression");
      }
    }
    if (type == "objectgroup" && layer.contains("objects") && layer["objects"].is_array())
      for (json& o : layer["objects"])
        if (!Object(o, 0)) return false;
    if (!path.empty()) layer["group"] = path;
    out.push_back(std::move(layer));
    return true;
  }
};

}  // namespace

bool DecodeLayerData(const std::string& base64, const std::string& compression, size_t count,
                     std::vector<uint32_t>& out, std::string* error) {
  Fail fail{error};
  std::vector<uint8_t> packed, raw;
  if (!DecodeBase64(base64, packed)) return fail("the base64 data holds a stray character");
  const size_t size = count * 4;
  if (compression.empty()) {
    raw = std::move(packed);
  } else if (compression == "zlib" || compression == "gzip") {
    if (!Inflate(packed, size, raw))
      return fail("the " + compression + " data does not inflate to " + std::to_string(count) +
                  " tiles");
  } else if (compression == "zstd") {
    raw.assign(size, 0);
    const size_t got = ZSTD_decompress(raw.data(), raw.size(), packed.data(), packed.size());
    if (ZSTD_isError(got) || got != size)
      return fail("the zstd data does not decompress to " + std::to_string(count) + " tiles");
  } else {
    return fail("unknown compression \"" + compression + "\" (zlib, gzip and zstd are read)");
  }
  if (raw.size() != size)
    return fail("the data holds " + std::to_string(raw.size() / 4) + " tiles, not " +
                std::to_string(count));
  out.resize(count);
  for (size_t i = 0; i < count; ++i)
    out[i] = uint32_t{raw[i * 4]} | uint32_t{raw[i * 4 + 1]} << 8 | uint32_t{raw[i * 4 + 2]} << 16 |
             uint32_t{raw[i * 4 + 3]} << 24;
  return true;
}

namespace {

bool Parse(const std::string& text, const std::string& baseDir, json& out,
           std::vector<std::string>* warnings, std::string* error) {
  Fail fail{error};
  if (LooksLikeXml(text)) {
    if (!MapFromXml(text, out, error)) return false;
  } else {
    // The parser's message says where, as a reader of the file would.
    std::string why;
    if (!ParseJson(text, out, &why)) return fail("neither a TMX map nor valid JSON: " + why);
    if (!out.is_object()) return fail("JSON that is not a Tiled map");
    const std::string type = out.value("type", "map");
    if (type == "tileset") return fail("a Tiled tileset (TSJ), not a map");
    if (type == "template") return fail("a Tiled object template (TJ), not a map");
    if (type != "map") return fail("JSON of type \"" + type + "\", not a Tiled map");
  }
  Normaliser norm{baseDir, warnings, error};
  norm.infinite = out.value("infinite", false);
  const int w = JsonInt(out, "width", 0), h = JsonInt(out, "height", 0);
  // Layers of maps far beyond the game's 50x50 are left undecoded: the importer refuses the
  // size by name, and nothing large is allocated for them.
  constexpr int kMaxDecodedSide = 256;
  norm.cells = w > 0 && h > 0 && w <= kMaxDecodedSide && h <= kMaxDecodedSide
                   ? static_cast<size_t>(w) * h
                   : 0;
  TypeProperties(out);
  if (out.contains("tilesets") && out["tilesets"].is_array())
    for (json& ts : out["tilesets"])
      if (!norm.Tileset(ts)) return false;
  json flat = json::array();
  if (auto layers = out.find("layers"); layers != out.end())
    for (json& layer : *layers)
      if (!norm.Layer(layer, 0, 0, true, "", 0, flat)) return false;
  out["layers"] = std::move(flat);
  return true;
}

}  // namespace

bool ParseTiledMap(const std::string& text, const std::string& baseDir, json& out,
                   std::vector<std::string>* warnings, std::string* error) {
  try {
    return Parse(text, baseDir, out, warnings, error);
  } catch (const json::exception& e) {
    return Fail{error}(std::string("a value of the wrong type: ") + e.what());
  }
}

bool ReadTiledMap(const std::string& path, json& out, std::vector<std::string>* warnings,
                  std::string* error) {
  std::string text;
  if (!ReadText(path, text, error)) return false;
  if (!ParseTiledMap(text, fs::path(path).parent_path().string(), out, warnings, error)) {
    if (error) *error = path + ": " + *error;
    return false;
  }
  return true;
}

std::optional<std::string> MapRelativePath(const std::string& mapFolder, const std::string& rel) {
  std::error_code ec;
  fs::path folder = fs::absolute(mapFolder.empty() ? fs::path(".") : fs::path(mapFolder), ec);
  if (ec) return std::nullopt;
  folder = folder.lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();  // "maps/" is "maps"
  if (!JoinInside(folder.parent_path().string(), folder.string(), rel)) return std::nullopt;
  // The caller's own form, so messages name the file as the caller knows it.
  std::string slashed = rel;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  return (fs::path(mapFolder) / slashed).lexically_normal().string();
}

int JsonInt(const nlohmann::json& owner, const char* key, int fallback) {
  if (!owner.is_object()) return fallback;
  const auto it = owner.find(key);
  if (it == owner.end()) return fallback;
  if (it->is_number_float()) {
    const double d = it->get<double>();
    // Inside the range, so the conversion is defined; NaN fails both tests.
    return d > -2147483649.0 && d < 2147483648.0 ? static_cast<int>(d) : fallback;
  }
  if (it->is_number_unsigned())
    return static_cast<int>(std::min<uint64_t>(it->get<uint64_t>(), INT32_MAX));
  if (it->is_number_integer())
    return static_cast<int>(std::clamp<int64_t>(it->get<int64_t>(), INT32_MIN, INT32_MAX));
  return it->get<int>();  // not a number: the type error the caller reports
}

}  // namespace isora::demo
