// Fuzzes the item table loader and everything that reads a loaded record.
#include <cstddef>
#include <cstdint>

#include "items/item_database.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::ItemDatabase db;
  if (!db.LoadFromBytes({data, size})) return 0;
  for (int id = 0; id < db.Count() && id < 64; ++id) {
    isora::ItemRecord r = db.Get(id);
    isora::ItemTooltip(r, true, 0, 1);
    isora::ItemTooltipLines(r);
    db.FindItemByName(r.name);
  }
  return 0;
}
