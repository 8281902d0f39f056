#include "lib/npc_writer.h"

#include <algorithm>

#include "foundation/byte_io.h"
#include "foundation/gbk.h"
#include "lib/stored_text.h"

namespace isora {

using nlohmann::json;

std::vector<uint8_t> WriteNpcRecord(const NpcRecord& n) {
  ByteWriter w;
  w.I32(n.unused0);
  w.FixedString(n.roleName, 20);
  w.I32(n.word24);
  w.I32(n.kind);
  w.I32(n.wanders);
  w.FixedString(n.animationFile, 15);
  w.FixedString(n.portrait, 15);
  w.FixedString(n.clickScript, 18);
  w.I32(n.hp);
  w.I32(n.attack);
  w.I32(n.fightMode);
  for (int32_t d : n.drops) w.I32(d);
  w.I32(n.startDirection);
  for (const auto& line : n.talkLines) w.FixedString(line, kNpcTalkLineSize);
  w.I32(n.talkMode);
  w.I32(n.expValue);
  w.I32(n.skillId);
  w.I32(n.rememberDeath);
  w.FixedString(n.startSound, 15);
  w.FixedString(n.deathScript, 15);
  w.FixedString(n.factionName, 21);
  w.FixedString(n.title, 21);
  w.I32(n.enmityGain);
  return w.Take();
}

std::vector<uint8_t> WriteNpcFile(const std::vector<NpcRecord>& records) {
  ByteWriter w;
  w.U32(kNpcFileMagic);
  w.U32(0);
  for (const NpcRecord& r : records) {
    auto bytes = WriteNpcRecord(r);
    w.Bytes(bytes.data(), bytes.size());
  }
  return w.Take();
}

namespace {

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool Int(const json& j, const char* key, int32_t& out, std::string* error) {
  if (!j.contains(key)) return true;
  if (!j[key].is_number_integer())
    return Fail(error, std::string("\"") + key + "\" must be an integer");
  out = j[key].get<int32_t>();
  return true;
}

bool Text(const json& j, const char* key, size_t width, std::string& out, std::string* error) {
  if (!j.contains(key)) return true;
  if (!j[key].is_string()) return Fail(error, std::string("\"") + key + "\" must be a string");
  if (const std::string fault = ToStoredText(j[key].get<std::string>(), &out); !fault.empty())
    return Fail(error, std::string("\"") + key + "\" " + fault);
  if (out.size() >= width)
    return Fail(error, std::string("\"") + key + "\" is longer than " + std::to_string(width - 1) +
                           " bytes: " + j[key].get<std::string>());
  return true;
}

// Every field a record may have; a misspelt one would otherwise be dropped without a word.
bool KnownFields(const json& j, std::string* error) {
  static const char* const kFields[] = {
      "unused0",     "roleName",    "word24",     "kind",          "wanders",    "animationFile",
      "portrait",    "clickScript", "hp",         "attack",        "fightMode",  "startDirection",
      "talkMode",    "expValue",    "skillId",    "rememberDeath", "startSound", "deathScript",
      "factionName", "title",       "enmityGain", "drops",         "talkLines"};
  for (const auto& [key, value] : j.items())
    if (std::find(std::begin(kFields), std::end(kFields), key) == std::end(kFields))
      return Fail(error, "unknown field \"" + key + "\"");
  return true;
}

bool Record(const json& j, NpcRecord& n, std::string* error) {
  if (!j.is_object()) return Fail(error, "each record must be an object");
  if (!KnownFields(j, error)) return false;
  if (!(Int(j, "unused0", n.unused0, error) && Text(j, "roleName", 20, n.roleName, error) &&
        Int(j, "word24", n.word24, error) && Int(j, "kind", n.kind, error) &&
        Int(j, "wanders", n.wanders, error) &&
        Text(j, "animationFile", 15, n.animationFile, error) &&
        Text(j, "portrait", 15, n.portrait, error) &&
        Text(j, "clickScript", 18, n.clickScript, error) && Int(j, "hp", n.hp, error) &&
        Int(j, "attack", n.attack, error) && Int(j, "fightMode", n.fightMode, error) &&
        Int(j, "startDirection", n.startDirection, error) &&
        Int(j, "talkMode", n.talkMode, error) && Int(j, "expValue", n.expValue, error) &&
        Int(j, "skillId", n.skillId, error) && Int(j, "rememberDeath", n.rememberDeath, error) &&
        Text(j, "startSound", 15, n.startSound, error) &&
        Text(j, "deathScript", 15, n.deathScript, error) &&
        Text(j, "factionName", 21, n.factionName, error) && Text(j, "title", 21, n.title, error) &&
        Int(j, "enmityGain", n.enmityGain, error)))
    return false;
  if (j.contains("drops")) {
    const json& d = j["drops"];
    if (!d.is_array() || d.size() > 4) return Fail(error, "\"drops\" must be up to 4 item ids");
    for (size_t i = 0; i < d.size(); ++i) {
      if (!d[i].is_number_integer()) return Fail(error, "\"drops\" must be up to 4 item ids");
      n.drops[i] = d[i].get<int32_t>();
    }
  }
  if (j.contains("talkLines")) {
    const json& lines = j["talkLines"];
    if (!lines.is_array() || lines.size() > kNpcTalkLines)
      return Fail(error, "\"talkLines\" must be up to 10 texts");
    size_t i = 0;
    for (; i < lines.size(); ++i) {
      if (!lines[i].is_string()) return Fail(error, "\"talkLines\" must be up to 10 texts");
      if (const std::string fault = ToStoredText(lines[i].get<std::string>(), &n.talkLines[i]);
          !fault.empty())
        return Fail(error, "a talk line " + fault);
      if (n.talkLines[i].size() >= kNpcTalkLineSize)
        return Fail(error, "a talk line is longer than 199 bytes");
    }
    if (i < kNpcTalkLines) n.talkLines[i] = "*/*";
  } else {
    n.talkLines[0] = "*/*";
  }
  return true;
}

}  // namespace

bool BuildNpcRecordsFromJson(const json& src, std::vector<NpcRecord>& out, std::string* error) {
  if (!src.is_object() || !src.contains("records") || !src["records"].is_array())
    return Fail(error, "the description needs a \"records\" array");
  std::vector<NpcRecord> records;
  for (const json& j : src["records"]) {
    NpcRecord n;
    if (!Record(j, n, error)) {
      if (error) *error = "record " + std::to_string(records.size() + 1) + ": " + *error;
      return false;
    }
    records.push_back(std::move(n));
  }
  out = std::move(records);
  return true;
}

json NpcRecordToJson(const NpcRecord& n) {
  json lines = json::array();
  for (const auto& line : n.talkLines) lines.push_back(GbkToUtf8(line));
  return {{"unused0", n.unused0},
          {"roleName", GbkToUtf8(n.roleName)},
          {"word24", n.word24},
          {"kind", n.kind},
          {"wanders", n.wanders},
          {"animationFile", GbkToUtf8(n.animationFile)},
          {"portrait", GbkToUtf8(n.portrait)},
          {"clickScript", GbkToUtf8(n.clickScript)},
          {"hp", n.hp},
          {"attack", n.attack},
          {"fightMode", n.fightMode},
          {"drops", n.drops},
          {"startDirection", n.startDirection},
          {"talkLines", lines},
          {"talkMode", n.talkMode},
          {"expValue", n.expValue},
          {"skillId", n.skillId},
          {"rememberDeath", n.rememberDeath},
          {"startSound", GbkToUtf8(n.startSound)},
          {"deathScript", GbkToUtf8(n.deathScript)},
          {"factionName", GbkToUtf8(n.factionName)},
          {"title", GbkToUtf8(n.title)},
          {"enmityGain", n.enmityGain}};
}

}  // namespace isora
