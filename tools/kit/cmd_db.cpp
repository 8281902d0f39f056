// isora-kit db build | dump
#include <cstdio>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

#include "kit/kit.h"
#include "kit/kit_json.h"
#include "lib/db_writer.h"

namespace isora::kit {
namespace {

constexpr const char* kUsage =
    "usage: isora-kit db build ITEMS.json|SKILLS.json OUT   build an item or skill table\n"
    "       isora-kit db dump FILE [--json]                 every field of every record\n"
    "The JSON form is {\"kind\": \"items\"|\"skills\", \"records\": [...]}, one object per record\n"
    "in id order, field names as in 'db dump --json'.\n";

int Build(const std::vector<std::string>& args) {
  if (args.size() != 3) return Fail("db build needs SRC.json OUT");
  nlohmann::json doc;
  std::string jsonError;
  if (!ReadJsonFile(args[1], doc, &jsonError)) return Fail(jsonError);
  std::vector<uint8_t> bytes;
  std::string error;
  if (!BuildDatabaseFromJson(doc, bytes, &error)) return Fail(args[1] + ": " + error);
  if (!WriteOutput(args[2], bytes, &error)) return Fail(error);
  return 0;
}

void PrintText(const nlohmann::ordered_json& doc) {
  std::printf("%s table, %zu records\n", doc["kind"].get<std::string>().c_str(),
              doc["records"].size());
  for (const auto& rec : doc["records"]) {
    std::printf("[%d]", rec["id"].get<int>());
    for (auto it = rec.begin(); it != rec.end(); ++it) {
      if (it.key() == "id") continue;
      std::printf(" %s=%s", it.key().c_str(), it.value().dump().c_str());
    }
    std::printf("\n");
  }
}

int Dump(const std::vector<std::string>& args) {
  std::string file;
  bool json = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--json")
      json = true;
    else if (file.empty())
      file = args[i];
    else
      return Fail("db dump takes one FILE");
  }
  if (file.empty()) return Fail("db dump needs FILE");
  std::string error;
  auto bytes = ReadInput(file, &error);
  if (!bytes) return Fail(error);
  nlohmann::ordered_json doc;
  if (!DatabaseToJson(*bytes, doc, &error)) return Fail(file + ": " + error);
  if (json)
    std::cout << doc.dump(2) << "\n";
  else
    PrintText(doc);
  return 0;
}

int Run(const std::vector<std::string>& args) {
  return RunSubcommand("db", kUsage, args, {{"build", Build}, {"dump", Dump}});
}

}  // namespace

ISORA_KIT_COMMAND("db", "build and dump item and skill tables", Run);

}  // namespace isora::kit
