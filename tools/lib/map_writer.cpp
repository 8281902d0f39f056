#include "lib/map_writer.h"

#include "foundation/byte_io.h"
#include "foundation/gbk.h"
#include "lib/stored_text.h"

namespace isora {

using nlohmann::json;

std::vector<uint8_t> WriteMapFile(const MapFileData& map) {
  MapHeader header = map.header;
  header.SetMagic(kMapMagic);
  header.SetObjectCount(static_cast<int32_t>(map.objects.size()));
  header.SetPlacementCount(static_cast<int32_t>(map.placements.size()));
  ByteWriter w;
  w.Bytes(header.bytes.data(), header.bytes.size());
  for (const MapCell& c : map.cells) {
    w.Bytes(c.unused0.data(), c.unused0.size());
    w.I32(c.tileX);
    w.I32(c.tileY);
    w.I32(c.x);
    w.I32(c.y);
    w.I32(c.passable);
    w.U8(c.scriptId);
    w.U8(c.exitId);
    w.U8(c.tileType);
    w.U8(c.unused31);
  }
  for (const MapObject& o : map.objects) {
    w.Bytes(o.unused0.data(), o.unused0.size());
    w.I32(o.pieceCount);
    for (const auto& p : o.pieces) {
      w.I32(p.x);
      w.I32(p.y);
    }
    w.I32(o.sourceX);
    w.I32(o.sourceY);
    w.I32(o.x);
    w.I32(o.y);
    w.I32(o.width);
    w.I32(o.height);
  }
  for (const RolePlacement& p : map.placements) {
    w.I32(p.recordNumber);
    w.Bytes(p.unused4.data(), p.unused4.size());
    w.I32(p.row);
    w.I32(p.column);
  }
  return w.Take();
}

namespace {

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool GetInt(const json& j, const char* key, int32_t& out, std::string* error) {
  if (!j.contains(key)) return true;
  if (!j[key].is_number_integer())
    return Fail(error, std::string("\"") + key + "\" must be an integer");
  out = j[key].get<int32_t>();
  return true;
}

bool GetByte(const json& j, const char* key, uint8_t& out, std::string* error) {
  int32_t v = out;
  if (!GetInt(j, key, v, error)) return false;
  if (v < 0 || v > 255) return Fail(error, std::string("\"") + key + "\" must be 0 to 255");
  out = static_cast<uint8_t>(v);
  return true;
}

bool ApplyCellFields(const json& j, MapCell& c, std::string* error) {
  if (!j.is_object()) return Fail(error, "cell fields must be an object");
  if (j.contains("tile")) {
    int32_t t = 0;
    if (!GetInt(j, "tile", t, error)) return false;
    if (t < 0) return Fail(error, "\"tile\" must not be negative");
    c.tileX = (t % 10) * 64;
    c.tileY = (t % 100 / 10) * 32;
  }
  return GetInt(j, "tileX", c.tileX, error) && GetInt(j, "tileY", c.tileY, error) &&
         GetInt(j, "passable", c.passable, error) && GetByte(j, "tileType", c.tileType, error) &&
         GetByte(j, "script", c.scriptId, error) && GetByte(j, "exit", c.exitId, error);
}

// A text the header holds in `width` bytes, its last byte the terminator: one that would be
// changed or cut short there is refused.
bool FitText(const std::string& what, const std::string& utf8, size_t width, std::string& out,
             std::string* error) {
  if (const std::string fault = ToStoredText(utf8, &out); !fault.empty())
    return Fail(error, what + " " + fault);
  if (out.size() >= width)
    return Fail(error, what + " is longer than " + std::to_string(width - 1) + " bytes: " + utf8);
  return true;
}

bool GetText(const json& j, const char* key, size_t width, std::string& out, std::string* error) {
  if (!j.contains(key)) return true;
  if (!j[key].is_string()) return Fail(error, std::string("\"") + key + "\" must be a string");
  return FitText(std::string("\"") + key + "\"", j[key].get<std::string>(), width, out, error);
}

bool GetPair(const json& j, const char* key, int32_t& a, int32_t& b, std::string* error) {
  if (!j.contains(key)) return true;
  const json& v = j[key];
  if (!v.is_array() || v.size() != 2 || !v[0].is_number_integer() || !v[1].is_number_integer())
    return Fail(error, std::string("\"") + key + "\" must be two integers");
  a = v[0].get<int32_t>();
  b = v[1].get<int32_t>();
  return true;
}

}  // namespace

bool BuildMapFromJson(const json& src, const std::string& defaultFileName, MapFileData& out,
                      std::string* error) {
  if (!src.is_object()) return Fail(error, "the map description must be a JSON object");
  MapFileData map;
  // Saves find their map again by the file name in its header.
  std::string file, name, music;
  if (!src.contains("file") &&
      !FitText("the map's file name", defaultFileName, MapHeader::kMapFileWidth, file, error))
    return false;
  if (!GetText(src, "file", MapHeader::kMapFileWidth, file, error) ||
      !GetText(src, "name", MapHeader::kMapNameWidth, name, error) ||
      !GetText(src, "music", MapHeader::kMusicNameWidth, music, error))
    return false;
  int32_t n = 0, startX = 0, startY = 0;
  if (!GetInt(src, "size", n, error) || !GetPair(src, "start", startX, startY, error)) return false;
  if (n < 0 || n > 1024) return Fail(error, "\"size\" must be 0 to 1024");
  int32_t x0 = n * 32, y0 = 0;
  if (!GetPair(src, "origin", x0, y0, error)) return false;

  map.header.SetMagic(kMapMagic);
  map.header.SetMapFile(file);
  map.header.SetMapName(name);
  map.header.SetN(n);
  map.header.SetMusicName(music);
  map.header.SetStartX(startX);
  map.header.SetStartY(startY);

  MapCell base;
  base.tileType = 1;
  base.passable = 1;
  if (src.contains("defaults") && !ApplyCellFields(src["defaults"], base, error)) return false;
  map.cells.assign(static_cast<size_t>(n) * n, base);
  for (int32_t r = 0; r < n; ++r) {
    for (int32_t c = 0; c < n; ++c) {
      MapCell& cell = map.cells[c + r * n];
      cell.x = x0 + 32 * (r - c) - 32;
      cell.y = y0 + 16 * (r + c);
    }
  }

  if (src.contains("rows")) {
    const json& rows = src["rows"];
    const json legend = src.value("legend", json::object());
    if (!rows.is_array() || rows.size() != static_cast<size_t>(n))
      return Fail(error, "\"rows\" must hold one string per row");
    for (int32_t r = 0; r < n; ++r) {
      if (!rows[r].is_string() || rows[r].get<std::string>().size() != static_cast<size_t>(n))
        return Fail(error, "row " + std::to_string(r) + " must be a string of size characters");
      const std::string line = rows[r].get<std::string>();
      for (int32_t c = 0; c < n; ++c) {
        std::string key(1, line[c]);
        if (!legend.contains(key))
          return Fail(error, "character '" + key + "' is not in the legend");
        if (!ApplyCellFields(legend[key], map.cells[c + r * n], error)) return false;
      }
    }
  }

  if (src.contains("cells")) {
    if (!src["cells"].is_array()) return Fail(error, "\"cells\" must be an array");
    for (const json& j : src["cells"]) {
      int32_t r = -1, c = -1;
      if (!j.is_object() || !GetInt(j, "row", r, error) || !GetInt(j, "column", c, error))
        return Fail(error, "each cell needs \"row\" and \"column\"");
      if (r < 0 || r >= n || c < 0 || c >= n)
        return Fail(error, "cell (" + std::to_string(r) + ", " + std::to_string(c) +
                               ") is outside the map");
      if (!ApplyCellFields(j, map.cells[c + r * n], error)) return false;
    }
  }

  if (src.contains("objects")) {
    if (!src["objects"].is_array()) return Fail(error, "\"objects\" must be an array");
    for (const json& j : src["objects"]) {
      MapObject o;
      if (!j.is_object() || !GetInt(j, "sourceX", o.sourceX, error) ||
          !GetInt(j, "sourceY", o.sourceY, error) || !GetInt(j, "x", o.x, error) ||
          !GetInt(j, "y", o.y, error) || !GetInt(j, "width", o.width, error) ||
          !GetInt(j, "height", o.height, error))
        return Fail(error, error && !error->empty() ? *error : "each object must be an object");
      if (j.contains("pieces")) {
        const json& pieces = j["pieces"];
        if (!pieces.is_array() || pieces.size() > kMapObjectMaxPieces)
          return Fail(error, "\"pieces\" must be an array of at most 30 pairs");
        for (size_t i = 0; i < pieces.size(); ++i) {
          const json& p = pieces[i];
          if (!p.is_array() || p.size() != 2 || !p[0].is_number_integer() ||
              !p[1].is_number_integer())
            return Fail(error, "each piece must be two integers");
          o.pieces[i] = {p[0].get<int32_t>(), p[1].get<int32_t>()};
        }
        o.pieceCount = static_cast<int32_t>(pieces.size());
      }
      map.objects.push_back(o);
    }
  }

  if (src.contains("placements")) {
    if (!src["placements"].is_array()) return Fail(error, "\"placements\" must be an array");
    for (const json& j : src["placements"]) {
      RolePlacement p;
      if (!j.is_object() || !GetInt(j, "record", p.recordNumber, error) ||
          !GetInt(j, "row", p.row, error) || !GetInt(j, "column", p.column, error))
        return Fail(error, error && !error->empty() ? *error : "each placement must be an object");
      if (p.recordNumber < 1) return Fail(error, "a placement's \"record\" starts at 1");
      map.placements.push_back(p);
    }
  }
  map.header.SetObjectCount(static_cast<int32_t>(map.objects.size()));
  map.header.SetPlacementCount(static_cast<int32_t>(map.placements.size()));
  out = std::move(map);
  return true;
}

json MapToJson(const MapFileData& map, bool withCells) {
  const MapHeader& h = map.header;
  json j;
  j["file"] = GbkToUtf8(h.MapFile());
  j["name"] = GbkToUtf8(h.MapName());
  j["music"] = GbkToUtf8(h.MusicName());
  j["start"] = {h.StartX(), h.StartY()};
  j["size"] = h.N();
  j["objectCount"] = h.ObjectCount();
  j["placementCount"] = h.PlacementCount();
  int blocked = 0, scripts = 0, exits = 0;
  for (const MapCell& c : map.cells) {
    blocked += c.passable == 0;
    scripts += c.scriptId != 0;
    exits += c.exitId != 0;
  }
  j["blockedCells"] = blocked;
  j["scriptCells"] = scripts;
  j["exitCells"] = exits;
  if (!map.cells.empty()) j["origin"] = {map.cells[0].x + 32, map.cells[0].y};
  json objects = json::array();
  for (const MapObject& o : map.objects) {
    json pieces = json::array();
    for (int i = 0; i < o.PieceCount(); ++i) pieces.push_back({o.pieces[i].x, o.pieces[i].y});
    objects.push_back({{"sourceX", o.sourceX},
                       {"sourceY", o.sourceY},
                       {"x", o.x},
                       {"y", o.y},
                       {"width", o.width},
                       {"height", o.height},
                       {"pieceCount", o.pieceCount},
                       {"pieces", pieces}});
  }
  j["objects"] = objects;
  json placements = json::array();
  for (const RolePlacement& p : map.placements)
    placements.push_back({{"record", p.recordNumber}, {"row", p.row}, {"column", p.column}});
  j["placements"] = placements;
  if (withCells) {
    json cells = json::array();
    const int32_t n = h.N();
    for (size_t i = 0; i < map.cells.size(); ++i) {
      const MapCell& c = map.cells[i];
      cells.push_back({{"row", n ? static_cast<int32_t>(i) / n : 0},
                       {"column", n ? static_cast<int32_t>(i) % n : 0},
                       {"tileType", c.tileType},
                       {"tileX", c.tileX},
                       {"tileY", c.tileY},
                       {"x", c.x},
                       {"y", c.y},
                       {"passable", c.passable},
                       {"script", c.scriptId},
                       {"exit", c.exitId}});
    }
    j["cells"] = cells;
  }
  return j;
}

}  // namespace isora
