#include "lib/db_writer.h"

#include <set>

#include "foundation/byte_io.h"
#include "foundation/gbk.h"
#include "lib/stored_text.h"

namespace isora {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

void Fixed(ByteWriter& w, const std::string& text, size_t width) {
  w.FixedString(CutGbk(text, width - 1), width);
}

std::string Utf8(const std::string& gbk) { return GbkToUtf8(gbk); }

// Reads fields of one JSON record, remembering which names were used so unknown ones are caught.
class FieldReader {
 public:
  FieldReader(const json& j, std::string* error) : j_(j), error_(error) {}

  void Int(const char* name, int32_t& out) {
    used_.insert(name);
    if (!ok_ || !j_.contains(name)) return;
    const json& v = j_[name];
    if (!v.is_number_integer() || v.get<int64_t>() < INT32_MIN || v.get<int64_t>() > INT32_MAX)
      return Fail(std::string(name) + " must be a 32-bit integer");
    out = static_cast<int32_t>(v.get<int64_t>());
  }
  void Text(const char* name, std::string& out, size_t width) {
    used_.insert(name);
    if (!ok_ || !j_.contains(name)) return;
    TextValue(j_[name], name, out, width);
  }
  void TextValue(const json& v, const std::string& name, std::string& out, size_t width) {
    if (!v.is_string()) return Fail(name + " must be a text");
    if (const std::string fault = ToStoredText(v.get<std::string>(), &out); !fault.empty())
      return Fail(name + " " + fault);
    if (out.size() > width - 1)
      Fail(name + " is longer than its field (" + std::to_string(width - 1) + " bytes)");
  }
  const json* Value(const char* name) {
    used_.insert(name);
    return ok_ && j_.contains(name) ? &j_[name] : nullptr;
  }
  bool Finish() {
    if (!ok_) return false;
    for (auto it = j_.begin(); it != j_.end(); ++it)
      if (it.key() != "id" && !used_.count(it.key())) {
        Fail("unknown field " + it.key());
        return false;
      }
    return true;
  }
  void Fail(const std::string& message) {
    if (ok_ && error_) *error_ = message;
    ok_ = false;
  }
  bool Ok() const { return ok_; }

 private:
  const json& j_;
  std::string* error_;
  std::set<std::string, std::less<>> used_;
  bool ok_ = true;
};

std::vector<uint8_t> Table(uint32_t magic, const std::vector<std::vector<uint8_t>>& records) {
  ByteWriter w;
  w.U32(magic);
  w.U32(0);
  for (const auto& r : records) w.Bytes(r.data(), r.size());
  return w.Take();
}

}  // namespace

std::vector<uint8_t> EncodeItemRecord(const ItemRecord& r) {
  ByteWriter w;
  Fixed(w, r.name, 52);
  w.I32(r.price);
  Fixed(w, r.description, 101);
  Fixed(w, r.note, 51);
  w.I32(r.type);
  w.I32(r.reserved);
  Fixed(w, r.picture, 16);
  w.I32(r.needLevel);
  for (int32_t v : {r.hp, r.mp, r.exp, r.attack, r.defence, r.moral, r.hitRate, r.maxHp, r.maxMp})
    w.I32(v);
  return w.Take();
}

std::vector<uint8_t> EncodeSkillRecord(const SkillRecord& r) {
  ByteWriter w;
  Fixed(w, r.name, 51);
  Fixed(w, r.description, 101);
  for (int32_t v : {r.kind, r.range, r.power, r.maxLevel, r.growth}) w.I32(v);
  Fixed(w, r.sound, 15);
  Fixed(w, r.icon, 15);
  for (const auto& frame : r.effectFrames) Fixed(w, frame, 15);
  w.Zeros(2);
  w.I32(r.effectFrameCount);
  w.I32(r.mpCost);
  w.U8(static_cast<uint8_t>(r.shortcutKey));
  w.Zeros(3);
  return w.Take();
}

std::vector<uint8_t> BuildItemTable(const std::vector<ItemRecord>& records) {
  std::vector<std::vector<uint8_t>> bytes;
  for (const auto& r : records) bytes.push_back(EncodeItemRecord(r));
  return Table(kItemMagic, bytes);
}

std::vector<uint8_t> BuildSkillTable(const std::vector<SkillRecord>& records) {
  std::vector<std::vector<uint8_t>> bytes;
  for (const auto& r : records) bytes.push_back(EncodeSkillRecord(r));
  return Table(kSkillMagic, bytes);
}

ordered_json ItemToJson(const ItemRecord& r) {
  return ordered_json{{"name", Utf8(r.name)},
                      {"price", r.price},
                      {"description", Utf8(r.description)},
                      {"note", Utf8(r.note)},
                      {"type", r.type},
                      {"reserved", r.reserved},
                      {"picture", Utf8(r.picture)},
                      {"needLevel", r.needLevel},
                      {"hp", r.hp},
                      {"mp", r.mp},
                      {"exp", r.exp},
                      {"attack", r.attack},
                      {"defence", r.defence},
                      {"moral", r.moral},
                      {"hitRate", r.hitRate},
                      {"maxHp", r.maxHp},
                      {"maxMp", r.maxMp}};
}

ordered_json SkillToJson(const SkillRecord& r) {
  ordered_json frames = ordered_json::array();
  for (const auto& f : r.effectFrames) frames.push_back(Utf8(f));
  std::string key = r.shortcutKey ? std::string(1, r.shortcutKey) : std::string();
  return ordered_json{{"name", Utf8(r.name)},
                      {"description", Utf8(r.description)},
                      {"kind", r.kind},
                      {"range", r.range},
                      {"power", r.power},
                      {"maxLevel", r.maxLevel},
                      {"growth", r.growth},
                      {"sound", Utf8(r.sound)},
                      {"icon", Utf8(r.icon)},
                      {"effectFrames", frames},
                      {"effectFrameCount", r.effectFrameCount},
                      {"mpCost", r.mpCost},
                      {"shortcutKey", Utf8(key)}};
}

bool ItemFromJson(const json& j, ItemRecord& out, std::string* error) {
  if (!j.is_object()) {
    if (error) *error = "a record must be an object";
    return false;
  }
  ItemRecord r;
  FieldReader f(j, error);
  f.Text("name", r.name, 52);
  f.Int("price", r.price);
  f.Text("description", r.description, 101);
  f.Text("note", r.note, 51);
  f.Int("type", r.type);
  f.Int("reserved", r.reserved);
  f.Text("picture", r.picture, 16);
  f.Int("needLevel", r.needLevel);
  f.Int("hp", r.hp);
  f.Int("mp", r.mp);
  f.Int("exp", r.exp);
  f.Int("attack", r.attack);
  f.Int("defence", r.defence);
  f.Int("moral", r.moral);
  f.Int("hitRate", r.hitRate);
  f.Int("maxHp", r.maxHp);
  f.Int("maxMp", r.maxMp);
  if (!f.Finish()) return false;
  out = std::move(r);
  return true;
}

bool SkillFromJson(const json& j, SkillRecord& out, std::string* error) {
  if (!j.is_object()) {
    if (error) *error = "a record must be an object";
    return false;
  }
  SkillRecord r;
  FieldReader f(j, error);
  f.Text("name", r.name, 51);
  f.Text("description", r.description, 101);
  f.Int("kind", r.kind);
  f.Int("range", r.range);
  f.Int("power", r.power);
  f.Int("maxLevel", r.maxLevel);
  f.Int("growth", r.growth);
  f.Text("sound", r.sound, 15);
  f.Text("icon", r.icon, 15);
  int32_t given = 0;
  if (const json* frames = f.Value("effectFrames")) {
    if (!frames->is_array() || frames->size() > kSkillEffectFrames) {
      f.Fail("effectFrames must be an array of at most 20 names");
    } else {
      for (size_t i = 0; i < frames->size() && f.Ok(); ++i)
        f.TextValue((*frames)[i], "effectFrames[" + std::to_string(i) + "]", r.effectFrames[i], 15);
      given = static_cast<int32_t>(frames->size());
    }
  }
  r.effectFrameCount = given;
  f.Int("effectFrameCount", r.effectFrameCount);
  f.Int("mpCost", r.mpCost);
  std::string key;
  f.Text("shortcutKey", key, 2);
  r.shortcutKey = key.empty() ? 0 : key[0];
  if (!f.Finish()) return false;
  out = std::move(r);
  return true;
}

bool BuildDatabaseFromJson(const json& doc, std::vector<uint8_t>& out, std::string* error) {
  auto fail = [&](const std::string& m) {
    if (error) *error = m;
    return false;
  };
  if (!doc.is_object() || !doc.contains("kind") || !doc["kind"].is_string())
    return fail("expected an object with \"kind\": \"items\" or \"skills\"");
  if (!doc.contains("records") || !doc["records"].is_array())
    return fail("expected \"records\": an array");
  const std::string kind = doc["kind"].get<std::string>();
  if (kind != "items" && kind != "skills") return fail("unknown kind " + kind);
  const json& records = doc["records"];
  std::vector<ItemRecord> items;
  std::vector<SkillRecord> skills;
  for (size_t i = 0; i < records.size(); ++i) {
    const json& j = records[i];
    std::string err;
    if (j.is_object() && j.contains("id") &&
        (!j["id"].is_number_integer() || j["id"].get<int64_t>() != static_cast<int64_t>(i)))
      return fail("record " + std::to_string(i) + ": id does not match its position");
    bool ok = kind == "items" ? ItemFromJson(j, items.emplace_back(), &err)
                              : SkillFromJson(j, skills.emplace_back(), &err);
    if (!ok) return fail("record " + std::to_string(i) + ": " + err);
  }
  out = kind == "items" ? BuildItemTable(items) : BuildSkillTable(skills);
  return true;
}

bool DatabaseToJson(std::span<const uint8_t> file, ordered_json& out, std::string* error) {
  ByteReader r(file);
  uint32_t magic = r.U32();
  ordered_json records = ordered_json::array();
  std::string kind;
  if (r.Ok() && magic == kItemMagic) {
    ItemDatabase db;
    db.LoadFromBytes(file);
    kind = "items";
    for (int id = 0; id < db.Count(); ++id) {
      ordered_json j{{"id", id}};
      j.update(ItemToJson(db.Get(id)));
      records.push_back(std::move(j));
    }
  } else if (r.Ok() && magic == kSkillMagic) {
    SkillDatabase db;
    db.LoadFromBytes(file);
    kind = "skills";
    for (int id = 0; id < db.Count(); ++id) {
      ordered_json j{{"id", id}};
      j.update(SkillToJson(db.Get(id)));
      records.push_back(std::move(j));
    }
  } else {
    if (error) *error = "not an item or skill table (wrong magic)";
    return false;
  }
  out = ordered_json{{"kind", kind}, {"records", std::move(records)}};
  return true;
}

}  // namespace isora
