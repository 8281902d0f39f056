#include "items/skill_database.h"

#include <cmath>
#include <limits>

#include "foundation/byte_io.h"
#include "foundation/file_io.h"
#include "foundation/win_format.h"

namespace isora {

SkillRecord SkillRecord::Parse(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  SkillRecord rec;
  rec.name = r.FixedString(51);
  rec.description = r.FixedString(101);
  rec.kind = r.I32();
  rec.range = r.I32();
  rec.power = r.I32();
  rec.maxLevel = r.I32();
  rec.growth = r.I32();
  rec.sound = r.FixedString(15);
  rec.icon = r.FixedString(15);
  for (auto& frame : rec.effectFrames) frame = r.FixedString(15);
  r.Skip(2);
  rec.effectFrameCount = r.I32();
  rec.mpCost = r.I32();
  rec.shortcutKey = static_cast<char>(r.U8());
  return rec;
}

int SkillPower(const SkillRecord& skill, int level) {
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  double p = skill.power;
  // Levels come from saves and scripts, so the repeated growth stops as soon as the magnitude
  // can no longer change (zero, growth 0 or -200, or rounding at the bottom of the range) or the
  // value has left the 32-bit range.
  for (int64_t i = 1; i < level; ++i) {
    double next = (skill.growth + 100.0) * p * 0.01;
    if (std::fabs(next) == std::fabs(p)) {
      if (next != p && (level - i) % 2 == 1) p = next;
      break;
    }
    p = next;
    if (p > kMax || p < kMin) break;
  }
  if (p >= kMax) return std::numeric_limits<int32_t>::max();
  if (p <= kMin) return std::numeric_limits<int32_t>::min();
  return static_cast<int>(std::trunc(p));
}

bool SkillDatabase::Load(const std::string& path, size_t headerSize, uint32_t magic) {
  records_.clear();
  auto bytes = ReadFileBytes(NativePath(path));
  if (!bytes) return false;
  return LoadFromBytes(*bytes, headerSize, magic);
}

bool SkillDatabase::LoadFromBytes(std::span<const uint8_t> file, size_t headerSize,
                                  uint32_t magic) {
  records_.clear();
  auto records = SplitRecordTable(file, headerSize, magic, kSkillRecordSize);
  ignoredTail_ = 0;
  if (!records) return false;
  ignoredTail_ = RecordTableTail(file.size(), headerSize, kSkillRecordSize);
  records_.reserve(records->size());
  for (auto rec : *records) records_.push_back(SkillRecord::Parse(rec));
  return true;
}

SkillRecord SkillDatabase::Get(int id) const {
  if (id < 0 || id >= Count()) return {};
  return records_[id];
}

int SkillDatabase::FindItemByName(std::string_view name) const {
  for (int id = 1; id < Count(); ++id)
    if (records_[id].name == name) return id;
  return 0;
}

std::string SkillTooltip(const SkillRecord& skill, int level) {
  const char* format = skill.kind == 1
                           ? "<3%s\n(shortcut key: %c)/>\nlevel: %d\ndamage: %d\ncost mp: %d\n\n%s"
                           : "<3%s\n(shortcut key: %c)/>\nlevel: %d\nresume hp: %d\ncost mp: "
                             "%d\n\n%s";
  return WinFormat(format, skill.name.c_str(), static_cast<int>(skill.shortcutKey), level,
                   SkillPower(skill, level), skill.mpCost, skill.description.c_str());
}

}  // namespace isora
