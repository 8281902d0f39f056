// Fuzzes the save reader, then applies what it read to a player and writes it back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "items/item_database.h"
#include "save/save_file.h"
#include "save/save_state.h"

namespace {

const isora::ItemDatabase& Items() {
  static isora::ItemDatabase db = [] {
    isora::ItemDatabase d;
    std::vector<isora::ItemRecord> recs(9);
    for (int i = 0; i < 9; ++i) recs[i].type = i - 1;  // every type, bags at 6..8
    d.SetRecords(recs);
    return d;
  }();
  return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::SaveData save;
  if (!isora::DecodeSave({data, size}, save)) return 0;
  isora::AttributeSnapshot snap = isora::LoadPlayer(save, &Items());
  isora::Relations rel;
  isora::LoadRelations(save, rel);
  isora::MissionList missions;
  isora::LoadMissions(save, missions);
  missions.PanelLines();
  isora::SaveData again;
  isora::StorePlayer(snap, again);
  isora::StoreRelations(rel, again);
  isora::StoreMissions(missions, again);
  std::vector<uint8_t> bytes = isora::EncodeSave(save);
  isora::SaveData reread;
  // What the writer produces must always read back.
  if (!isora::DecodeSave(bytes, reread)) std::abort();
  return 0;
}
