// data\npc.npc: the magic "4CPN", four unused bytes, then role definition records of 2208 bytes,
// numbered from 1 in file order. Each record defines one kind of non-player role.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace isora {

constexpr uint32_t kNpcFileMagic = 0x4E504334;  // "4CPN"
constexpr size_t kNpcFileHeaderSize = 8;
constexpr size_t kNpcRecordSize = 2208;
constexpr int kNpcTalkLines = 10;
constexpr size_t kNpcTalkLineSize = 200;

// One role definition, field by field at its offsets; texts are GBK bytes.
struct NpcRecord {
  int32_t unused0 = 0;
  std::string roleName;  // 4, char[20]
  int32_t word24 = 0;    // copied, never used
  int32_t kind = 0;      // > 3: shopkeeper of item type kind - 4; 2: hostile to the wicked
  int32_t wanders = 0;
  std::string animationFile;  // 36, char[15], under data\ .
  std::string portrait;       // 51, char[15], "NULL" for none
  std::string clickScript;    // 66, char[18]
  int32_t hp = 0;
  int32_t attack = 0;
  int32_t fightMode = 0;  // 1: hostile from creation
  std::array<int32_t, 4> drops{};
  int32_t startDirection = 0;  // direction - 1
  std::array<std::string, kNpcTalkLines> talkLines;
  int32_t talkMode = 0;
  int32_t expValue = 0;
  int32_t skillId = 0;
  int32_t rememberDeath = 0;
  std::string startSound;   // 2132, char[15]
  std::string deathScript;  // 2147, char[15]
  std::string factionName;  // 2162, char[21]
  std::string title;        // 2183, char[21]
  int32_t enmityGain = 0;
};

// Parses one record from exactly kNpcRecordSize bytes.
NpcRecord ParseNpcRecord(std::span<const uint8_t> record);

// The definition file read whole.
class NpcFile {
 public:
  // Reads data\npc.npc (a game path); false when it is missing or foreign.
  bool Load(const std::string& gamePath = "data\\npc.npc");
  // False when the bytes do not start with the magic.
  bool LoadBytes(std::vector<uint8_t> bytes);

  // Number of whole records the file holds (a trailing partial record does not count).
  int RecordCount() const;
  // Record `number` (1-based); nothing when the file does not hold it.
  std::optional<NpcRecord> Record(int number) const;
  // The number of the first record whose name equals name exactly; 0 when none.
  int FindByName(const std::string& name) const;

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace isora
