// isora-kit npc build | dump
#include <cstdio>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

#include "foundation/byte_io.h"
#include "kit/kit.h"
#include "kit/kit_json.h"
#include "lib/npc_writer.h"

namespace isora::kit {
namespace {

constexpr const char* kUsage =
    "usage: isora-kit npc build SRC.json OUT   build data\\npc.npc from JSON\n"
    "       isora-kit npc dump FILE [--json]   every field of every role definition\n";

int Build(const std::vector<std::string>& args) {
  if (args.size() != 3) return Fail("npc build needs SRC.json OUT");
  nlohmann::json src;
  std::string jsonError;
  if (!ReadJsonFile(args[1], src, &jsonError)) return Fail(jsonError);
  std::vector<NpcRecord> records;
  std::string error;
  if (!BuildNpcRecordsFromJson(src, records, &error)) return Fail(args[1] + ": " + error);
  if (!WriteOutput(args[2], WriteNpcFile(records), &error)) return Fail(error);
  return 0;
}

int Dump(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 3 || (args.size() == 3 && args[2] != "--json"))
    return Fail("npc dump needs FILE [--json]");
  std::string error;
  auto bytes = ReadInput(args[1], &error);
  if (!bytes) return Fail(error);
  const size_t size = bytes->size();
  NpcFile file;
  if (!file.LoadBytes(std::move(*bytes))) return Fail(args[1] + ": not a role definition file");
  nlohmann::json records = nlohmann::json::array();
  for (int i = 1; i <= file.RecordCount(); ++i) {
    nlohmann::json r = NpcRecordToJson(*file.Record(i));
    r["number"] = i;
    records.push_back(r);
  }
  const size_t trailing = (size - kNpcFileHeaderSize) % kNpcRecordSize;
  if (args.size() == 3) {
    std::cout << nlohmann::json{{"records", records}, {"trailingBytes", trailing}}.dump(2) << "\n";
    return 0;
  }
  std::printf("records: %d\n", file.RecordCount());
  if (trailing) std::printf("trailing bytes (ignored): %zu\n", trailing);
  for (const auto& r : records) {
    std::printf("\nrecord %d\n", r["number"].get<int>());
    for (const auto& [key, value] : r.items()) {
      if (key == "number") continue;
      std::printf("  %s: %s\n", key.c_str(),
                  value.is_string() ? value.get<std::string>().c_str() : value.dump().c_str());
    }
  }
  return 0;
}

int RunNpc(const std::vector<std::string>& args) {
  return RunSubcommand("npc", kUsage, args, {{"build", Build}, {"dump", Dump}});
}

}  // namespace

ISORA_KIT_COMMAND("npc", "build and dump the role definition file", RunNpc);

}  // namespace isora::kit
