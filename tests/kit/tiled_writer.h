// Writes a map held in Tiled's JSON shape back out the way Tiled 1.10 saves TMX, TSX and TX
// files, so every reading path can be compared against the JSON twin.
#pragma once

#include <zlib.h>
#include <zstd.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace isora::kit_test {

inline std::string XmlEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

inline std::string Base64(const std::vector<uint8_t>& bytes) {
  static const char* k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const uint32_t v = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
    for (int s = 18; s >= 0; s -= 6) out += k[(v >> s) & 63];
  }
  if (i + 1 == bytes.size()) {
    const uint32_t v = bytes[i] << 16;
    out += k[(v >> 18) & 63];
    out += k[(v >> 12) & 63];
    out += "==";
  } else if (i + 2 == bytes.size()) {
    const uint32_t v = bytes[i] << 16 | bytes[i + 1] << 8;
    out += k[(v >> 18) & 63];
    out += k[(v >> 12) & 63];
    out += k[(v >> 6) & 63];
    out += '=';
  }
  return out;
}

// Tile ids as Tiled packs them: little-endian words, then compressed.
inline std::string EncodeLayer(const nlohmann::json& data, const std::string& compression) {
  std::vector<uint8_t> raw;
  for (const auto& v : data) {
    const uint32_t id = v.get<uint32_t>();
    for (int s = 0; s < 32; s += 8) raw.push_back(static_cast<uint8_t>(id >> s));
  }
  std::vector<uint8_t> packed;
  if (compression == "zlib" || compression == "gzip") {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, compression == "gzip" ? 15 + 16 : 15, 8, Z_DEFAULT_STRATEGY);
    packed.resize(deflateBound(&z, raw.size()) + 32);
    z.next_in = raw.data();
    z.avail_in = static_cast<uInt>(raw.size());
    z.next_out = packed.data();
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
  } else if (compression == "zstd") {
    packed.resize(ZSTD_compressBound(raw.size()));
    packed.resize(ZSTD_compress(packed.data(), packed.size(), raw.data(), raw.size(), 3));
  } else {
    packed = raw;
  }
  return Base64(packed);
}

inline std::string PropertiesXml(const nlohmann::json& owner, const std::string& indent) {
  if (!owner.contains("properties") || owner["properties"].empty()) return {};
  std::string out = indent + "<properties>\n";
  for (const auto& p : owner["properties"]) {
    const std::string type = p.value("type", "string");
    const auto& v = p["value"];
    std::string value = v.is_string() ? v.get<std::string>() : v.dump();
    out += indent + " <property name=\"" + XmlEscape(p.value("name", "")) + "\"" +
           (type == "string" ? "" : " type=\"" + type + "\"") + " value=\"" + XmlEscape(value) +
           "\"/>\n";
  }
  return out + indent + "</properties>\n";
}

inline std::string TilesetXml(const nlohmann::json& ts, bool external) {
  std::string out = std::string(external ? "<tileset version=\"1.10\" tiledversion=\"1.10.2\""
                                         : " <tileset firstgid=\"" +
                                               std::to_string(ts.value("firstgid", 1)) + "\"") +
                    " name=\"" + XmlEscape(ts.value("name", "")) +
                    "\" tilewidth=\"64\" tileheight=\"32\" tilecount=\"" +
                    std::to_string(ts.value("tilecount", 0)) + "\" columns=\"10\">\n";
  const std::string in = external ? " " : "  ";
  out += PropertiesXml(ts, in);
  out += in + "<image source=\"" + XmlEscape(ts.value("image", "x.bmp")) +
         "\" width=\"640\" height=\"" + std::to_string(ts.value("imageheight", 32)) + "\"/>\n";
  for (const auto& t : ts.value("tiles", nlohmann::json::array()))
    out += in + "<tile id=\"" + std::to_string(t.value("id", 0)) + "\">\n" +
           PropertiesXml(t, in + " ") + in + "</tile>\n";
  return out + (external ? "</tileset>\n" : " </tileset>\n");
}

inline std::string ObjectXml(const nlohmann::json& o, const std::string& indent) {
  std::string out = indent + "<object id=\"" + std::to_string(o.value("id", 0)) + "\"";
  if (!o.value("name", "").empty()) out += " name=\"" + XmlEscape(o.value("name", "")) + "\"";
  if (!o.value("type", "").empty()) out += " type=\"" + XmlEscape(o.value("type", "")) + "\"";
  if (o.contains("template")) out += " template=\"" + XmlEscape(o.value("template", "")) + "\"";
  out += " x=\"" + o["x"].dump() + "\" y=\"" + o["y"].dump() + "\">\n";
  out += PropertiesXml(o, indent + " ");
  if (o.value("point", false)) out += indent + " <point/>\n";
  return out + indent + "</object>\n";
}

struct TmxOptions {
  std::string encoding = "csv";  // csv, base64 or xml
  std::string compression;       // with base64: "", zlib, gzip, zstd
  bool externalTilesets = true;  // TSX files written beside the map
};

// The layers of a map in TMX, groups included.
inline std::string LayersXml(const nlohmann::json& layers, const TmxOptions& o, int n,
                             const std::string& indent) {
  std::string out;
  for (const auto& l : layers) {
    const std::string type = l.value("type", "");
    std::string attrs = " id=\"" + std::to_string(l.value("id", 0)) + "\" name=\"" +
                        XmlEscape(l.value("name", "")) + "\"";
    if (l.contains("offsetx")) attrs += " offsetx=\"" + l["offsetx"].dump() + "\"";
    if (l.contains("offsety")) attrs += " offsety=\"" + l["offsety"].dump() + "\"";
    if (type == "group") {
      out += indent + "<group" + attrs + ">\n" + LayersXml(l["layers"], o, n, indent + " ") +
             indent + "</group>\n";
    } else if (type == "objectgroup") {
      out += indent + "<objectgroup" + attrs + ">\n";
      for (const auto& obj : l["objects"]) out += ObjectXml(obj, indent + " ");
      out += indent + "</objectgroup>\n";
    } else if (type == "tilelayer") {
      out += indent + "<layer" + attrs + " width=\"" + std::to_string(n) + "\" height=\"" +
             std::to_string(n) + "\">\n";
      const auto& data = l["data"];
      if (o.encoding == "csv") {
        out += indent + " <data encoding=\"csv\">\n";
        for (int y = 0; y < n; ++y) {
          for (int x = 0; x < n; ++x) {
            out += data[y * n + x].dump();
            if (y + 1 < n || x + 1 < n) out += ",";
          }
          out += "\n";
        }
        out += "</data>\n";
      } else if (o.encoding == "base64") {
        out += indent + " <data encoding=\"base64\"" +
               (o.compression.empty() ? "" : " compression=\"" + o.compression + "\"") + ">\n" +
               indent + "  " + EncodeLayer(data, o.compression) + "\n" + indent + " </data>\n";
      } else {
        out += indent + " <data>\n";
        for (const auto& v : data) out += indent + "  <tile gid=\"" + v.dump() + "\"/>\n";
        out += indent + " </data>\n";
      }
      out += indent + "</layer>\n";
    }
  }
  return out;
}

// Writes dir/<name>.tmx (and the tilesets as dir/<tileset>.tsx) from a map in JSON shape.
inline void WriteTmx(const nlohmann::json& tmj, const std::string& dir, const std::string& name,
                     const TmxOptions& o = {}) {
  const int n = tmj.value("width", 0);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<map version=\"1.10\" tiledversion=\"1.10.2\" orientation=\"" +
         tmj.value("orientation", "isometric") + "\" renderorder=\"right-down\" width=\"" +
         std::to_string(n) + "\" height=\"" + std::to_string(tmj.value("height", n)) +
         "\" tilewidth=\"" + std::to_string(tmj.value("tilewidth", 64)) + "\" tileheight=\"" +
         std::to_string(tmj.value("tileheight", 32)) + "\" infinite=\"" +
         (tmj.value("infinite", false) ? "1" : "0") + "\" nextlayerid=\"9\" nextobjectid=\"99\">\n";
  out += PropertiesXml(tmj, " ");
  for (const auto& ts : tmj["tilesets"]) {
    if (o.externalTilesets) {
      const std::string file = ts.value("name", "ts") + ".tsx";
      out += " <tileset firstgid=\"" + std::to_string(ts.value("firstgid", 1)) + "\" source=\"" +
             file + "\"/>\n";
      test::WriteFile(dir + "/" + file,
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + TilesetXml(ts, true));
    } else {
      out += TilesetXml(ts, false);
    }
  }
  out += LayersXml(tmj["layers"], o, n, " ");
  out += "</map>\n";
  test::WriteFile(dir + "/" + name + ".tmx", out);
}

}  // namespace isora::kit_test
