// The item table (data\items.itm): fixed 272-byte records whose position is the item id.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "items/record_table.h"

namespace isora {

constexpr uint32_t kItemMagic = 0x69746532;  // "2eti"
constexpr size_t kItemRecordSize = 272;

// Item type codes.
enum ItemType : int32_t {
  kItemPotion = 0,
  kItemWeapon = 1,
  kItemArmour = 2,
  kItemBaldric = 3,
  kItemBook = 4,
  kItemBag3 = 5,
  kItemBag4 = 6,
  kItemBag5 = 7,
};

// Codes 5 to 7 are the only bags; every bag test in the game is this one.
inline bool IsBagType(int32_t type) { return type > 4 && type <= 7; }

// The file name under "sound\" played when an item of this type is used; empty above 7.
const char* ItemUseSound(int32_t type);

// One item record. Texts are the file's GBK bytes up to their terminator.
struct ItemRecord {
  std::string name;         // 52 bytes at 0
  int32_t price = 0;        // 52
  std::string description;  // 101 bytes at 56
  std::string note;         // 51 bytes at 157
  int32_t type = 0;         // 208
  int32_t reserved = 0;     // 212, never used by the game
  std::string picture;      // 16 bytes at 216
  int32_t needLevel = 0;    // 232
  // The nine effects, 236 to 268.
  int32_t hp = 0, mp = 0, exp = 0, attack = 0, defence = 0, moral = 0, hitRate = 0, maxHp = 0,
          maxMp = 0;

  // Parses one record from exactly kItemRecordSize bytes.
  static ItemRecord Parse(std::span<const uint8_t> bytes);
};

class ItemDatabase {
 public:
  // Loads a table file (game path); false when it cannot be read or its magic differs. A failed
  // load leaves the table empty.
  bool Load(const std::string& path, size_t headerSize = kDatabaseHeaderSize,
            uint32_t magic = kItemMagic);
  bool LoadFromBytes(std::span<const uint8_t> file, size_t headerSize = kDatabaseHeaderSize,
                     uint32_t magic = kItemMagic);

  int Count() const { return static_cast<int>(records_.size()); }
  // Bytes the last load left out after the last whole record (a file cut short), for the log.
  size_t IgnoredTail() const { return ignoredTail_; }
  // A copy of record `id`; an id outside the table yields an empty record rather than reading
  // past it.
  ItemRecord Get(int id) const;
  // Valid item ids are 1 .. Count() - 1: record 0 is the placeholder for "no item".
  bool IsItem(int id) const { return id > 0 && id < Count(); }
  // The item's type, or -1 for no item or an id outside the table.
  int32_t TypeOf(int id) const;
  // First id from 1 upward whose name equals `name` exactly; 0 when none.
  int FindItemByName(std::string_view name) const;

  // For tests and the kit: replaces the table.
  void SetRecords(std::vector<ItemRecord> records) { records_ = std::move(records); }

 private:
  std::vector<ItemRecord> records_;
  size_t ignoredTail_ = 0;
};

// The item tooltip shown over bag and shop cells. `buying` marks a shop panel; the price turns
// to the warning colour while buying with less money than the price, the level line while the
// player's level is below the item's.
std::string ItemTooltip(const ItemRecord& item, bool buying, int money, int playerLevel);
// The tooltip's height in lines (its width is 20 characters).
int ItemTooltipLines(const ItemRecord& item);

}  // namespace isora
