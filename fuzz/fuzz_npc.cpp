// The role definition file: every record the loader admits, and lookups by name and number.
#include <cstddef>
#include <cstdint>

#include "roles/npc_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  isora::NpcFile file;
  if (!file.LoadBytes(std::vector<uint8_t>(data, data + size))) return 0;
  const int count = file.RecordCount();
  for (int i = -1; i <= count + 1; ++i) {
    auto record = file.Record(i);
    if (record) file.FindByName(record->roleName);
  }
  file.FindByName("");
  return 0;
}
