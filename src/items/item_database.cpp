#include "items/item_database.h"

#include "foundation/byte_io.h"
#include "foundation/file_io.h"
#include "foundation/win_format.h"

namespace isora {

const char* ItemUseSound(int32_t type) {
  switch (type) {
    case kItemPotion:
      return "potiondrink.wav";
    case kItemWeapon:
      return "weapon.wav";
    case kItemArmour:
      return "armor.wav";
    case kItemBaldric:
      return "baldric.wav";
    case kItemBook:
      return "book.wav";
    case kItemBag3:
    case kItemBag4:
    case kItemBag5:
      return "bag.wav";
    default:
      return "";
  }
}

ItemRecord ItemRecord::Parse(std::span<const uint8_t> bytes) {
  ByteReader r(bytes);
  ItemRecord rec;
  rec.name = r.FixedString(52);
  rec.price = r.I32();
  rec.description = r.FixedString(101);
  rec.note = r.FixedString(51);
  rec.type = r.I32();
  rec.reserved = r.I32();
  rec.picture = r.FixedString(16);
  rec.needLevel = r.I32();
  rec.hp = r.I32();
  rec.mp = r.I32();
  rec.exp = r.I32();
  rec.attack = r.I32();
  rec.defence = r.I32();
  rec.moral = r.I32();
  rec.hitRate = r.I32();
  rec.maxHp = r.I32();
  rec.maxMp = r.I32();
  return rec;
}

bool ItemDatabase::Load(const std::string& path, size_t headerSize, uint32_t magic) {
  records_.clear();
  auto bytes = ReadFileBytes(NativePath(path));
  if (!bytes) return false;
  return LoadFromBytes(*bytes, headerSize, magic);
}

bool ItemDatabase::LoadFromBytes(std::span<const uint8_t> file, size_t headerSize, uint32_t magic) {
  records_.clear();
  auto records = SplitRecordTable(file, headerSize, magic, kItemRecordSize);
  ignoredTail_ = 0;
  if (!records) return false;
  ignoredTail_ = RecordTableTail(file.size(), headerSize, kItemRecordSize);
  records_.reserve(records->size());
  for (auto rec : *records) records_.push_back(ItemRecord::Parse(rec));
  return true;
}

ItemRecord ItemDatabase::Get(int id) const {
  if (id < 0 || id >= Count()) return {};
  return records_[id];
}

int32_t ItemDatabase::TypeOf(int id) const { return IsItem(id) ? records_[id].type : -1; }

int ItemDatabase::FindItemByName(std::string_view name) const {
  for (int id = 1; id < Count(); ++id)
    if (records_[id].name == name) return id;
  return 0;
}

std::string ItemTooltip(const ItemRecord& item, bool buying, int money, int playerLevel) {
  std::string price =
      WinFormat(buying && money < item.price ? "<2Price: %d/>" : "Price: %d", item.price);
  std::string level = WinFormat(
      playerLevel < item.needLevel ? "<2Need Level: %d/>" : "Need Level: %d", item.needLevel);
  if (item.note.empty())
    return WinFormat("<5%s/>\n%s\n%s\n\n%s", item.name.c_str(), price.c_str(), level.c_str(),
                     item.description.c_str());
  return WinFormat("<5%s/>\n%s\n%s\n\n%s\n\n<3%s/>", item.name.c_str(), price.c_str(),
                   level.c_str(), item.description.c_str(), item.note.c_str());
}

int ItemTooltipLines(const ItemRecord& item) {
  int lines = static_cast<int>(item.description.size() / 20 + item.note.size() / 20 +
                               item.name.size() / 20);
  return lines + (item.note.empty() ? 5 : 7);
}

}  // namespace isora
