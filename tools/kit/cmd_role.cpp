// isora-kit role build | info
#include <cstdio>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

#include "kit/kit.h"
#include "kit/kit_json.h"
#include "lib/role_writer.h"

namespace isora::kit {
namespace {

constexpr const char* kUsage =
    "usage: isora-kit role build SRC.json OUT   build a role animation file from JSON\n"
    "       isora-kit role info FILE [--json]   states and frames of a role animation file\n";

int Build(const std::vector<std::string>& args) {
  if (args.size() != 3) return Fail("role build needs SRC.json OUT");
  nlohmann::json src;
  std::string jsonError;
  if (!ReadJsonFile(args[1], src, &jsonError)) return Fail(jsonError);
  RoleAnimation anim;
  std::string error;
  if (!BuildRoleFromJson(src, anim, &error)) return Fail(args[1] + ": " + error);
  if (!WriteOutput(args[2], WriteRoleAnimation(anim), &error)) return Fail(error);
  return 0;
}

int Info(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 3 || (args.size() == 3 && args[2] != "--json"))
    return Fail("role info needs FILE [--json]");
  std::string error;
  auto bytes = ReadInput(args[1], &error);
  if (!bytes) return Fail(error);
  RoleAnimation anim;
  if (!ParseRoleAnimation(*bytes, anim, &error)) return Fail(args[1] + ": " + error);
  nlohmann::json j = RoleToJson(anim);
  if (args.size() == 3) {
    std::cout << j.dump(2) << "\n";
    return 0;
  }
  std::printf("states: %zu\nframes: %zu\n", anim.states.size(), anim.frames.size());
  for (const auto& s : j["states"])
    std::printf("state %s: %d frames per direction, first frame %d\n",
                s["name"].get<std::string>().c_str(), s["framesPerDirection"].get<int>(),
                s["firstFrame"].get<int>());
  for (const auto& f : j["frames"])
    std::printf("frame %d: %dx%d %s\n", f["index"].get<int>(), f["width"].get<int>(),
                f["height"].get<int>(), f["image"].get<std::string>().c_str());
  return 0;
}

int RunRole(const std::vector<std::string>& args) {
  return RunSubcommand("role", kUsage, args, {{"build", Build}, {"info", Info}});
}

}  // namespace

ISORA_KIT_COMMAND("role", "build and describe role animation files", RunRole);

}  // namespace isora::kit
