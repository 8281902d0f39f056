#include "lib/save_json.h"

#include <cstdio>
#include <map>
#include <set>

#include "foundation/byte_io.h"
#include "foundation/gbk.h"
#include "lib/stored_text.h"

namespace isora {

namespace {

using Json = nlohmann::ordered_json;

std::string Utf8(const std::string& gbk) { return GbkToUtf8(gbk); }

std::string Hex(const uint8_t* p, size_t n) {
  std::string s;
  char buf[3];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "%02x", p[i]);
    s += buf;
  }
  return s;
}

// Player block names, in the file's order.
struct PlayerField {
  const char* name;
  int32_t SavedPlayer::*field;
};
constexpr PlayerField kPlayerFields[] = {
    {"defence", &SavedPlayer::defence},
    {"direction", &SavedPlayer::direction},
    {"hitRate", &SavedPlayer::hitRate},
    {"level", &SavedPlayer::level},
    {"money", &SavedPlayer::money},
    {"moral", &SavedPlayer::moral},
    {"exp", &SavedPlayer::exp},
    {"maxHp", &SavedPlayer::maxHp},
    {"mp", &SavedPlayer::mp},
    {"skillId", &SavedPlayer::skillId},
    {"skillLevel", &SavedPlayer::skillLevel},
    {"attack", &SavedPlayer::attack},
    {"expNeeded", &SavedPlayer::expNeeded},
    {"hp", &SavedPlayer::hp},
    {"maxMp", &SavedPlayer::maxMp},
    {"x", &SavedPlayer::x},
    {"y", &SavedPlayer::y},
};
static_assert(std::size(kPlayerFields) == kSavePlayerValues);

Json TableJson(const SavedTable& t) {
  Json a = Json::array();
  for (const auto& [key, value] : t) a.push_back(Json{{"key", Utf8(key)}, {"value", value}});
  return a;
}

Json ListJson(const std::vector<std::string>& list) {
  Json a = Json::array();
  for (const auto& s : list) a.push_back(Utf8(s));
  return a;
}

Json MissionJson(const Mission& m) {
  return Json{{"name", Utf8(m.name)},
              {"description", Utf8(m.description)},
              {"done", m.done},
              {"kind", m.kind},
              {"target", Utf8(m.target)},
              {"required", m.required},
              {"count", m.count},
              {"autoCheck", m.autoCheck},
              {"completionFlag", m.completionFlag}};
}

// Reading side: every accessor records the first error and returns a default afterwards.
struct Reader {
  std::string error;
  // The members each object was asked for; any other member is a mistake (a typo would
  // otherwise leave its value at the default without a word).
  std::map<const Json*, std::set<std::string>> asked;

  void RejectUnknown(const Json& j, const std::string& where) {
    auto it = asked.find(&j);
    if (it != asked.end() && j.is_object())
      for (const auto& [key, value] : j.items())
        if (!it->second.count(key)) Fail("unknown field \"" + key + "\" in " + where);
    if (j.is_object()) {
      for (const auto& [key, value] : j.items()) RejectUnknown(value, where + "/" + key);
    } else if (j.is_array()) {
      for (size_t i = 0; i < j.size(); ++i) RejectUnknown(j[i], where + "/" + std::to_string(i));
    }
  }

  bool Fail(const std::string& m) {
    if (error.empty()) error = m;
    return false;
  }
  const Json* Field(const Json& j, const char* name) {
    if (!j.is_object()) {
      Fail(std::string("expected an object around ") + name);
      return nullptr;
    }
    asked[&j].insert(name);
    auto it = j.find(name);
    return it == j.end() ? nullptr : &*it;
  }
  int32_t Int(const Json& j, const char* name, int32_t def) {
    const Json* v = Field(j, name);
    if (!v) return def;
    if (!v->is_number_integer() || v->get<int64_t>() < INT32_MIN || v->get<int64_t>() > INT32_MAX) {
      Fail(std::string(name) + " must be a 32-bit integer");
      return def;
    }
    return static_cast<int32_t>(v->get<int64_t>());
  }
  // A text the save holds in a field of `width` bytes, its last byte the terminator: a longer
  // text, or one the save would store changed, is refused rather than kept otherwise without a
  // word.
  std::string Text(const Json& j, const char* name, size_t width) {
    const Json* v = Field(j, name);
    if (!v) return {};
    if (!v->is_string()) {
      Fail(std::string(name) + " must be a text");
      return {};
    }
    return Fits(v->get<std::string>(), name, width);
  }
  std::string Fits(const std::string& utf8, const char* name, size_t width) {
    std::string gbk;
    if (const std::string fault = ToStoredText(utf8, &gbk); !fault.empty()) {
      Fail(std::string(name) + " " + fault);
      return {};
    }
    if (gbk.size() >= width) {
      Fail(std::string(name) + " is longer than the save holds (" + std::to_string(width - 1) +
           " bytes)");
      return {};
    }
    return gbk;
  }
  const Json* Array(const Json& j, const char* name) {
    const Json* v = Field(j, name);
    if (v && !v->is_array()) {
      Fail(std::string(name) + " must be an array");
      return nullptr;
    }
    return v;
  }
  SavedTable Table(const Json& j, const char* name) {
    SavedTable t;
    if (const Json* a = Array(j, name))
      for (const auto& e : *a) t.emplace_back(Text(e, "key", kSaveText30), Int(e, "value", 0));
    return t;
  }
  std::vector<std::string> List(const Json& j, const char* name, size_t width) {
    std::vector<std::string> out;
    if (const Json* a = Array(j, name)) {
      for (const auto& e : *a) {
        if (!e.is_string())
          Fail(std::string(name) + " must hold texts");
        else
          out.push_back(Fits(e.get<std::string>(), name, width));
      }
    }
    return out;
  }
  std::vector<int32_t> Ints(const Json& a, const char* name) {
    std::vector<int32_t> out;
    for (const auto& e : a) {
      if (!e.is_number_integer())
        Fail(std::string(name) + " must hold integers");
      else
        out.push_back(static_cast<int32_t>(e.get<int64_t>()));
    }
    return out;
  }
};

}  // namespace

Json SaveToJson(const SaveData& d) {
  Json j;
  j["magic"] = "vdsg";
  j["timeStamp"] = Utf8(d.timeStamp);
  {
    ByteReader r(d.mapHeader.data(), d.mapHeader.size());
    Json h;
    h["magic"] = r.U32();
    h["mapFile"] = Utf8(r.FixedString(20));
    h["mapName"] = Utf8(r.FixedString(32));
    h["cellsPerSide"] = r.I32();
    h["objectCount"] = r.I32();
    h["placementCount"] = r.I32();
    h["unused"] = Hex(d.mapHeader.data() + 68, 24);
    j["mapHeader"] = h;
  }
  Json roles = Json::array();
  for (const auto& r : d.roles)
    roles.push_back(Json{{"name", Utf8(r.name)}, {"x", r.x}, {"y", r.y}});
  j["roles"] = roles;
  j["rolesEnd"] = kSaveRolesEnd;
  Json player;
  for (const auto& f : kPlayerFields) player[f.name] = d.player.*f.field;
  j["player"] = player;
  Json skills = Json::array();
  for (const auto& s : d.skills) skills.push_back(Json{{"id", s.id}, {"level", s.level}});
  j["skills"] = skills;
  Json bag = Json::array();
  for (const auto& s : d.bag) bag.push_back(Json{{"item", s.item}, {"count", s.count}});
  j["bag"] = bag;
  Json inner = Json::array();
  for (size_t i = 0; i < d.bag.size(); ++i) {
    if (i < d.innerBags.size() && d.innerBags[i])
      inner.push_back(*d.innerBags[i]);
    else
      inner.push_back(nullptr);
  }
  j["innerBags"] = inner;
  j["weaponPack"] = d.weaponPack;
  j["loveDegrees"] = TableJson(d.loveDegrees);
  j["factionEnmity"] = TableJson(d.factionEnmity);
  j["vipInfo"] = TableJson(d.vipInfo);
  j["factions"] = ListJson(d.factions);
  j["honours"] = ListJson(d.honours);
  j["notes"] = ListJson(d.notes);
  Json missions = Json::array();
  for (const auto& m : d.missions) missions.push_back(MissionJson(m));
  j["missions"] = missions;
  j["killCount"] = d.killCount;
  j["rainFlag"] = d.rainFlag;
  return j;
}

bool SaveFromJson(const Json& j, SaveData& out, std::string* error) {
  Reader rd;
  SaveData d;
  if (!j.is_object()) rd.Fail("expected a JSON object");
  d.timeStamp = rd.Text(j, "timeStamp", kSaveText30);
  if (const Json* h = rd.Field(j, "mapHeader")) {
    ByteWriter w;
    const Json* magic = rd.Field(*h, "magic");
    w.U32(magic && magic->is_number_unsigned() ? magic->get<uint32_t>() : 0x6D617032);
    w.FixedString(rd.Text(*h, "mapFile", 20), 20);
    w.FixedString(rd.Text(*h, "mapName", 32), 32);
    w.I32(rd.Int(*h, "cellsPerSide", 0));
    w.I32(rd.Int(*h, "objectCount", 0));
    w.I32(rd.Int(*h, "placementCount", 0));
    std::string unused = rd.Text(*h, "unused", kSaveText255);
    if (unused.size() > 48) rd.Fail("unused holds 24 bytes, as 48 hex digits");
    for (size_t i = 0; i < 24; ++i) {
      unsigned v = 0;
      if (2 * i + 1 < unused.size()) std::sscanf(unused.substr(2 * i, 2).c_str(), "%02x", &v);
      w.U8(static_cast<uint8_t>(v));
    }
    std::copy(w.Data().begin(), w.Data().begin() + kSaveMapHeaderSize, d.mapHeader.begin());
  }
  if (const Json* roles = rd.Array(j, "roles"))
    for (const auto& r : *roles)
      d.roles.push_back({rd.Text(r, "name", kSaveText30), rd.Int(r, "x", 0), rd.Int(r, "y", 0)});
  if (const Json* p = rd.Field(j, "player"))
    for (const auto& f : kPlayerFields) d.player.*f.field = rd.Int(*p, f.name, d.player.*f.field);
  if (const Json* skills = rd.Array(j, "skills"))
    for (const auto& s : *skills) d.skills.push_back({rd.Int(s, "id", 0), rd.Int(s, "level", 1)});
  if (const Json* bag = rd.Array(j, "bag"))
    for (const auto& s : *bag) d.bag.push_back({rd.Int(s, "item", 0), rd.Int(s, "count", 1)});
  d.innerBags.resize(d.bag.size());
  if (const Json* inner = rd.Array(j, "innerBags")) {
    if (inner->size() > d.bag.size()) rd.Fail("more innerBags than bag slots");
    for (size_t i = 0; i < inner->size() && i < d.bag.size(); ++i) {
      const Json& e = (*inner)[i];
      if (e.is_null()) continue;
      if (!e.is_array())
        rd.Fail("innerBags entries must be null or arrays");
      else
        d.innerBags[i] = rd.Ints(e, "innerBags");
    }
  }
  if (const Json* w = rd.Array(j, "weaponPack")) d.weaponPack = rd.Ints(*w, "weaponPack");
  d.loveDegrees = rd.Table(j, "loveDegrees");
  d.factionEnmity = rd.Table(j, "factionEnmity");
  d.vipInfo = rd.Table(j, "vipInfo");
  d.factions = rd.List(j, "factions", kSaveText30);
  d.honours = rd.List(j, "honours", kSaveText255);
  d.notes = rd.List(j, "notes", kSaveText255);
  if (const Json* missions = rd.Array(j, "missions")) {
    for (const auto& m : *missions) {
      Mission x;
      x.name = rd.Text(m, "name", 100);
      x.description = rd.Text(m, "description", 100);
      x.done = rd.Int(m, "done", 0);
      x.kind = rd.Int(m, "kind", 0);
      x.target = rd.Text(m, "target", 52);
      x.required = rd.Int(m, "required", 0);
      x.count = rd.Int(m, "count", 0);
      x.autoCheck = rd.Int(m, "autoCheck", 0);
      x.completionFlag = rd.Int(m, "completionFlag", 0);
      d.missions.push_back(std::move(x));
    }
  }
  d.killCount = rd.Int(j, "killCount", 0);
  d.rainFlag = rd.Int(j, "rainFlag", 0);
  // Written by the dump for people to read; nothing to take from them.
  rd.Field(j, "magic");
  rd.Field(j, "rolesEnd");
  rd.RejectUnknown(j, "the save");
  if (!rd.error.empty()) {
    if (error) *error = rd.error;
    return false;
  }
  out = std::move(d);
  return true;
}

}  // namespace isora
