// A save in its JSON form (isora-kit save build): read, written as a save, decoded again, and
// the JSON of both must agree.
#include <cstddef>
#include <cstdint>
#include <string>

#include "lib/json_read.h"
#include "lib/save_json.h"
#include "save/save_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  nlohmann::ordered_json doc;  // parsed as the kit parses it, nesting bounded
  std::string why(reinterpret_cast<const char*>(data), size);
  if (!isora::demo::ParseJson(why, doc, &why)) return 0;
  isora::SaveData save;
  std::string error;
  if (!isora::SaveFromJson(doc, save, &error)) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  const nlohmann::ordered_json first = isora::SaveToJson(save);
  const std::vector<uint8_t> bytes = isora::EncodeSave(save);
  isora::SaveData again;
  if (!isora::DecodeSave(bytes, again)) return 0;
  if (isora::SaveToJson(again) != first) __builtin_trap();  // the save keeps what JSON gave
  return 0;
}
