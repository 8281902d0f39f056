#include "roles/npc_record.h"

#include "foundation/byte_io.h"
#include "foundation/file_io.h"

namespace isora {

NpcRecord ParseNpcRecord(std::span<const uint8_t> record) {
  ByteReader r(record);
  NpcRecord n;
  n.unused0 = r.I32();
  n.roleName = r.FixedString(20);
  n.word24 = r.I32();
  n.kind = r.I32();
  n.wanders = r.I32();
  n.animationFile = r.FixedString(15);
  n.portrait = r.FixedString(15);
  n.clickScript = r.FixedString(18);
  n.hp = r.I32();
  n.attack = r.I32();
  n.fightMode = r.I32();
  for (auto& d : n.drops) d = r.I32();
  n.startDirection = r.I32();
  for (auto& line : n.talkLines) line = r.FixedString(kNpcTalkLineSize);
  n.talkMode = r.I32();
  n.expValue = r.I32();
  n.skillId = r.I32();
  n.rememberDeath = r.I32();
  n.startSound = r.FixedString(15);
  n.deathScript = r.FixedString(15);
  n.factionName = r.FixedString(21);
  n.title = r.FixedString(21);
  n.enmityGain = r.I32();
  return n;
}

bool NpcFile::Load(const std::string& gamePath) {
  auto bytes = ReadFileBytes(NativePath(gamePath));
  if (!bytes) {
    bytes_.clear();
    return false;
  }
  return LoadBytes(std::move(*bytes));
}

bool NpcFile::LoadBytes(std::vector<uint8_t> bytes) {
  ByteReader r(bytes);
  if (!r.Has(kNpcFileHeaderSize) || r.U32() != kNpcFileMagic) {
    bytes_.clear();
    return false;
  }
  bytes_ = std::move(bytes);
  return true;
}

int NpcFile::RecordCount() const {
  if (bytes_.size() < kNpcFileHeaderSize) return 0;
  return static_cast<int>((bytes_.size() - kNpcFileHeaderSize) / kNpcRecordSize);
}

std::optional<NpcRecord> NpcFile::Record(int number) const {
  if (number < 1 || number > RecordCount()) return std::nullopt;
  size_t at = kNpcFileHeaderSize + static_cast<size_t>(number - 1) * kNpcRecordSize;
  return ParseNpcRecord(std::span<const uint8_t>(bytes_).subspan(at, kNpcRecordSize));
}

int NpcFile::FindByName(const std::string& name) const {
  const int count = RecordCount();
  for (int i = 1; i <= count; ++i) {
    size_t at = kNpcFileHeaderSize + static_cast<size_t>(i - 1) * kNpcRecordSize + 4;
    ByteReader r(bytes_.data() + at, 20);
    if (r.FixedString(20) == name) return i;
  }
  return 0;
}

}  // namespace isora
