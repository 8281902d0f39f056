#include "save/save_file.h"

#include <algorithm>
#include <filesystem>

#include "foundation/byte_io.h"
#include "foundation/file_io.h"
#include "foundation/game_log.h"
#include "foundation/gbk.h"
#include "foundation/win_format.h"

namespace isora {

namespace {

void Text(ByteWriter& w, std::string_view text, size_t width) {
  w.FixedString(CutGbk(text, width - 1), width);
}

void Table(ByteWriter& w, SavedTable table) {
  // Keys in ascending byte order, whatever order the caller gathered them in.
  std::stable_sort(table.begin(), table.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  w.I32(static_cast<int32_t>(table.size()));
  for (const auto& [key, value] : table) {
    Text(w, key, kSaveText30);
    w.I32(value);
  }
}

void TextList(ByteWriter& w, const std::vector<std::string>& list, size_t width) {
  w.I32(static_cast<int32_t>(list.size()));
  for (const auto& text : list) Text(w, text, width);
}

// Reads a count and checks that `entrySize` bytes per entry remain before anything is allocated.
bool ReadCount(ByteReader& r, size_t entrySize, size_t& count) {
  int32_t n = r.I32();
  if (!r.Ok() || n < 0) return false;
  count = static_cast<size_t>(n);
  return count <= r.Remaining() / entrySize;
}

struct Decoder {
  ByteReader r;
  std::string error;

  bool Fail(const std::string& what) {
    if (error.empty()) error = what;
    return false;
  }

  bool Table(SavedTable& out, const char* name) {
    size_t n;
    if (!ReadCount(r, kSaveText30 + 4, n)) return Fail(std::string("bad ") + name + " count");
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
      std::string key = r.FixedString(kSaveText30);
      out.emplace_back(std::move(key), r.I32());
    }
    return r.Ok() || Fail(std::string("short ") + name);
  }

  bool TextList(std::vector<std::string>& out, size_t width, const char* name) {
    size_t n;
    if (!ReadCount(r, width, n)) return Fail(std::string("bad ") + name + " count");
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) out.push_back(r.FixedString(width));
    return r.Ok() || Fail(std::string("short ") + name);
  }

  bool Decode(SaveData& d) {
    if (r.U32() != kSaveMagic || !r.Ok()) return Fail("no save magic");
    d.timeStamp = r.FixedString(kSaveText30);
    r.Bytes(d.mapHeader.data(), d.mapHeader.size());
    if (!r.Ok()) return Fail("short header");
    for (;;) {
      std::string name = r.FixedString(kSaveText30);
      if (!r.Ok()) return Fail("role records do not end");
      if (name == kSaveRolesEnd) break;
      SavedRole role{std::move(name), 0, 0};
      role.x = r.I32();
      role.y = r.I32();
      if (!r.Ok()) return Fail("short role record");
      d.roles.push_back(std::move(role));
    }
    SavedPlayer& p = d.player;
    for (int32_t* v :
         {&p.defence, &p.direction, &p.hitRate, &p.level, &p.money, &p.moral, &p.exp, &p.maxHp,
          &p.mp, &p.skillId, &p.skillLevel, &p.attack, &p.expNeeded, &p.hp, &p.maxMp, &p.x, &p.y})
      *v = r.I32();
    if (!r.Ok()) return Fail("short player block");

    size_t n;
    if (!ReadCount(r, 8, n)) return Fail("bad skill count");
    for (size_t i = 0; i < n; ++i) {
      LearnedSkill s;
      s.id = r.I32();
      s.level = r.I32();
      d.skills.push_back(s);
    }
    if (!ReadCount(r, 8, n)) return Fail("bad bag count");
    for (size_t i = 0; i < n; ++i) {
      SavedBagSlot slot;
      slot.item = r.I32();
      slot.count = r.I32();
      d.bag.push_back(slot);
    }
    // Every bag slot has an entry in the inner-bag section, so it needs at least 4 bytes each.
    if (d.bag.size() > r.Remaining() / 4) return Fail("short inner bags");
    d.innerBags.resize(d.bag.size());
    for (auto& inner : d.innerBags) {
      int32_t m = r.I32();
      if (!r.Ok()) return Fail("short inner bags");
      if (m == -1) continue;
      if (m < 0 || static_cast<size_t>(m) > r.Remaining() / 4) return Fail("bad inner bag size");
      inner.emplace();
      inner->reserve(m);
      for (int32_t i = 0; i < m; ++i) inner->push_back(r.I32());
    }
    if (!ReadCount(r, 4, n)) return Fail("bad weapon count");
    for (size_t i = 0; i < n; ++i) d.weaponPack.push_back(r.I32());
    if (!Table(d.loveDegrees, "love") || !Table(d.factionEnmity, "enmity") ||
        !Table(d.vipInfo, "vip") || !TextList(d.factions, kSaveText30, "faction") ||
        !TextList(d.honours, kSaveText255, "honour") || !TextList(d.notes, kSaveText255, "note"))
      return false;
    if (!ReadCount(r, kMissionRecordSize, n)) return Fail("bad mission count");
    for (size_t i = 0; i < n; ++i)
      d.missions.push_back(DecodeMissionRecord(r.Span(kMissionRecordSize)));
    d.killCount = r.I32();
    d.rainFlag = r.I32();
    if (!r.Ok()) return Fail("short kill count or rain flag");
    return true;
  }
};

}  // namespace

std::string SaveData::MapFile() const {
  ByteReader r(mapHeader.data(), mapHeader.size());
  r.Skip(4);
  return r.FixedString(20);
}

std::string SaveData::MapName() const {
  ByteReader r(mapHeader.data(), mapHeader.size());
  r.Skip(24);
  return r.FixedString(32);
}

std::vector<uint8_t> EncodeSave(const SaveData& d) {
  ByteWriter w;
  w.U32(kSaveMagic);
  Text(w, d.timeStamp, kSaveText30);
  w.Bytes(d.mapHeader.data(), d.mapHeader.size());
  for (const auto& role : d.roles) {
    Text(w, role.name, kSaveText30);
    w.I32(role.x);
    w.I32(role.y);
  }
  Text(w, kSaveRolesEnd, kSaveText30);
  const SavedPlayer& p = d.player;
  for (int32_t v : {p.defence, p.direction, p.hitRate, p.level, p.money, p.moral, p.exp, p.maxHp,
                    p.mp, p.skillId, p.skillLevel, p.attack, p.expNeeded, p.hp, p.maxMp, p.x, p.y})
    w.I32(v);
  w.I32(static_cast<int32_t>(d.skills.size()));
  for (const auto& s : d.skills) {
    w.I32(s.id);
    w.I32(s.level);
  }
  w.I32(static_cast<int32_t>(d.bag.size()));
  for (const auto& slot : d.bag) {
    w.I32(slot.item);
    w.I32(slot.count);
  }
  for (size_t i = 0; i < d.bag.size(); ++i) {
    if (i < d.innerBags.size() && d.innerBags[i]) {
      const auto& inner = *d.innerBags[i];
      w.I32(static_cast<int32_t>(inner.size()));
      for (int32_t item : inner) w.I32(item);
    } else {
      w.I32(-1);
    }
  }
  w.I32(static_cast<int32_t>(d.weaponPack.size()));
  for (int32_t item : d.weaponPack) {
    w.I32(item);
  }
  Table(w, d.loveDegrees);
  Table(w, d.factionEnmity);
  Table(w, d.vipInfo);
  TextList(w, d.factions, kSaveText30);
  TextList(w, d.honours, kSaveText255);
  TextList(w, d.notes, kSaveText255);
  w.I32(static_cast<int32_t>(d.missions.size()));
  for (size_t i = 0; i < d.missions.size(); ++i) {
    auto rec = EncodeMissionRecord(d.missions[i]);
    w.Bytes(rec.data(), rec.size());
  }
  w.I32(d.killCount);
  w.I32(d.rainFlag);
  return w.Take();
}

std::vector<std::string> SaveProgressTrace(const SaveData& d) {
  std::vector<std::string> lines = {
      "start to save weapon pack.\n",
      WinFormat("weapon count=%d\n", static_cast<int>(d.weaponPack.size()))};
  for (int32_t item : d.weaponPack) lines.push_back(WinFormat("item=%d\n", item));
  for (const char* part : {"girl love", "menpai enmity", "vip info", "player's faction",
                           "player's rongru", "player's note"}) {
    lines.push_back(std::string(part) + " ok...\n");
  }
  lines.push_back(WinFormat("mission count=%d\n", static_cast<int>(d.missions.size())));
  for (size_t i = 0; i < d.missions.size(); ++i) {
    lines.push_back(
        WinFormat("the %d mission:%s\n", static_cast<int>(i), d.missions[i].name.c_str()));
  }
  lines.push_back("mission ok...\n");
  return lines;
}

bool DecodeSave(std::span<const uint8_t> bytes, SaveData& out, std::string* error) {
  Decoder dec{ByteReader(bytes), {}};
  SaveData data;
  if (!dec.Decode(data)) {
    if (error) *error = dec.error.empty() ? "damaged save" : dec.error;
    return false;
  }
  out = std::move(data);
  return true;
}

std::string FormatSaveTimeStamp(const SystemTime& local) {
  return WinFormat("%d/%d/%d-%d:%d:%d", local.year, local.month, local.day, local.hour,
                   local.minute, local.second);
}

std::string SaveSlotPath(int slot) { return WinFormat("saves\\%d.sav", slot); }

bool WriteSaveFile(const std::string& nativePath, const SaveData& data) {
  const auto folder = std::filesystem::path(nativePath).parent_path();
  if (!folder.empty()) MakeFolders(folder.string());
  return WriteFileAtomic(nativePath, EncodeSave(data));
}

bool ReadSaveFile(const std::string& nativePath, SaveData& out, GameLog* log) {
  auto bytes = ReadFileBytes(nativePath);
  std::string error;
  if (!bytes) {
    error = "cannot open the file";
  } else if (DecodeSave(*bytes, out, &error)) {
    return true;
  }
  if (log) log->WriteText("load save file " + nativePath + " failed: " + error);
  return false;
}

std::optional<SaveSlotSummary> ReadSlotSummary(const std::string& nativePath) {
  constexpr size_t kHead = 4 + kSaveText30 + kSaveMapHeaderSize;
  auto bytes = ReadFileBytes(nativePath);
  if (!bytes) return std::nullopt;
  // A slot is valid when it starts with the magic; what a short file lacks of the header reads
  // as zeros, so its label and its load agree on calling it valid.
  if (bytes->size() < kHead) bytes->resize(kHead, 0);
  ByteReader r(*bytes);
  if (r.U32() != kSaveMagic) return std::nullopt;
  SaveSlotSummary s;
  s.timeStamp = r.FixedString(kSaveText30);
  r.Skip(24);
  s.mapName = r.FixedString(32);
  return s;
}

bool IsValidSaveSlot(const std::string& nativePath) {
  auto bytes = ReadFileBytes(nativePath);
  if (!bytes) return false;
  ByteReader r(*bytes);
  return r.U32() == kSaveMagic && r.Ok();
}

std::string SaveSlotLabel(const std::string& nativePath) {
  auto summary = ReadSlotSummary(nativePath);
  if (!summary) return "No Saved Data";
  return WinFormat("%s(%s)", summary->mapName.c_str(), summary->timeStamp.c_str());
}

}  // namespace isora
