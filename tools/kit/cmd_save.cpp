// isora-kit save dump | build
#include <cstdio>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

#include "kit/kit.h"
#include "kit/kit_json.h"
#include "lib/save_json.h"
#include "save/save_file.h"

namespace isora::kit {
namespace {

constexpr const char* kUsage =
    "usage: isora-kit save dump FILE [--json]   every field of a save file, in file order\n"
    "       isora-kit save build JSON OUT       write a save file from its JSON form\n";

int Dump(const std::vector<std::string>& args) {
  std::string file;
  bool json = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--json")
      json = true;
    else if (file.empty())
      file = args[i];
    else
      return Fail("save dump takes one FILE");
  }
  if (file.empty()) return Fail("save dump needs FILE");
  std::string error;
  auto bytes = ReadInput(file, &error);
  if (!bytes) return Fail(error);
  SaveData data;
  if (!DecodeSave(*bytes, data, &error)) return Fail(file + ": " + error);
  auto doc = SaveToJson(data);
  if (json) {
    std::cout << doc.dump(2) << "\n";
    return 0;
  }
  for (auto it = doc.begin(); it != doc.end(); ++it)
    std::printf("%s: %s\n", it.key().c_str(), it.value().dump().c_str());
  return 0;
}

int Build(const std::vector<std::string>& args) {
  if (args.size() != 3) return Fail("save build needs JSON OUT");
  nlohmann::ordered_json doc;
  std::string jsonError;
  if (!ReadJsonFile(args[1], doc, &jsonError)) return Fail(jsonError);
  SaveData data;
  std::string error;
  if (!SaveFromJson(doc, data, &error)) return Fail(args[1] + ": " + error);
  if (!WriteOutput(args[2], EncodeSave(data), &error)) return Fail(error);
  return 0;
}

int Run(const std::vector<std::string>& args) {
  return RunSubcommand("save", kUsage, args, {{"dump", Dump}, {"build", Build}});
}

}  // namespace

ISORA_KIT_COMMAND("save", "dump and build save files", Run);

}  // namespace isora::kit
