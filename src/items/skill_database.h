// The skill table (data\skill.skl): fixed 516-byte records whose position is the skill id.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "items/record_table.h"

namespace isora {

constexpr uint32_t kSkillMagic = 0x736B6C32;  // "2lks"
constexpr size_t kSkillRecordSize = 516;
constexpr int kSkillEffectFrames = 20;
constexpr int kDefaultSkillRange = 20;

// One skill record. Texts are the file's GBK bytes up to their terminator.
struct SkillRecord {
  std::string name;                                          // 51 bytes at 0
  std::string description;                                   // 101 bytes at 51
  int32_t kind = 0;                                          // 152: 1 attack, 0 healing
  int32_t range = 0;                                         // 156: 0 means kDefaultSkillRange
  int32_t power = 0;                                         // 160
  int32_t maxLevel = 0;                                      // 164
  int32_t growth = 0;                                        // 168: percent per level above 1
  std::string sound;                                         // 15 bytes at 172
  std::string icon;                                          // 15 bytes at 187
  std::array<std::string, kSkillEffectFrames> effectFrames;  // 15 bytes each at 202
  int32_t effectFrameCount = 0;                              // 504
  int32_t mpCost = 0;                                        // 508
  char shortcutKey = 0;                                      // 512

  static SkillRecord Parse(std::span<const uint8_t> bytes);
};

// The skill's power at a level: grows by `growth` percent per level above 1, computed in
// doubles and truncated toward zero. Results beyond the 32-bit range are clamped.
int SkillPower(const SkillRecord& skill, int level);
// The reach in pixels: `range`, or the default when it is 0.
inline int SkillRange(const SkillRecord& skill) {
  return skill.range == 0 ? kDefaultSkillRange : skill.range;
}

class SkillDatabase {
 public:
  bool Load(const std::string& path, size_t headerSize = kDatabaseHeaderSize,
            uint32_t magic = kSkillMagic);
  bool LoadFromBytes(std::span<const uint8_t> file, size_t headerSize = kDatabaseHeaderSize,
                     uint32_t magic = kSkillMagic);

  int Count() const { return static_cast<int>(records_.size()); }
  // Bytes the last load left out after the last whole record (a file cut short), for the log.
  size_t IgnoredTail() const { return ignoredTail_; }
  // A copy of record `id`; an id outside the table yields an empty record.
  SkillRecord Get(int id) const;
  bool IsSkill(int id) const { return id > 0 && id < Count(); }
  // First id from 1 upward whose name equals `name` exactly; 0 when none (the book rule looks
  // skills up by the book's item name with this).
  int FindItemByName(std::string_view name) const;

  void SetRecords(std::vector<SkillRecord> records) { records_ = std::move(records); }

 private:
  std::vector<SkillRecord> records_;
  size_t ignoredTail_ = 0;
};

// The skill tooltip of the player panel at a level.
std::string SkillTooltip(const SkillRecord& skill, int level);

}  // namespace isora
