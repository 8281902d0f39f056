#include "foundation/user_folders.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "foundation/environment.h"

namespace isora {
namespace fs = std::filesystem;

namespace {

// XDG base folder: the variable when it is absolute, else $HOME + fallback.
std::string BaseFolder(const EnvironmentLookup& env, const char* variable,
                       std::string_view fallback) {
  if (auto value = env(variable); value && !value->empty() && value->front() == '/') return *value;
  auto home = env("HOME");
  if (!home || home->empty() || home->front() != '/') return {};
  return (fs::path(*home) / fallback).string();
}

std::string GameSubfolder(const std::string& base, std::string_view gameFolder) {
  if (base.empty()) return {};
  return (fs::path(base) / "isora" / GameFolderName(gameFolder)).lexically_normal().string();
}

bool CanCreateIn(const fs::path& folder) {
  const fs::path probe = folder / ".isora-write-test";
  std::error_code ec;
  fs::remove(probe, ec);  // one left by a crash
  // "x": created afresh, never through an existing file or link.
  FILE* f = std::fopen(probe.string().c_str(), "wbx");
  if (!f) return false;
  const bool ok = std::fclose(f) == 0;
  fs::remove(probe, ec);
  return ok;
}

}  // namespace

std::string GameFolderName(std::string_view gameFolder) {
  fs::path path = fs::path(std::string(gameFolder)).lexically_normal();
  std::string name = path.filename().string();
  if (name.empty()) name = path.parent_path().filename().string();
  for (char& c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    if (!plain) c = '_';
  }
  if (name.empty() || name == "." || name == "..") return "game";
  return name;
}

std::string SettingsFolder(std::string_view gameFolder, const EnvironmentLookup& env) {
  return GameSubfolder(BaseFolder(env, "XDG_CONFIG_HOME", ".config"), gameFolder);
}

std::string UserDataFolder(std::string_view gameFolder, const EnvironmentLookup& env) {
  return GameSubfolder(BaseFolder(env, "XDG_DATA_HOME", ".local/share"), gameFolder);
}

bool FolderWritable(const std::string& folder) {
  std::error_code ec;
  const fs::path base(folder);
  if (!fs::is_directory(base, ec) || !CanCreateIn(base)) return false;
  for (const char* sub : {"saves", "screenshot"}) {
    if (fs::is_directory(base / sub, ec) && !CanCreateIn(base / sub)) return false;
  }
  return true;
}

std::string ChoosePlayerFolder(const std::string& gameFolder, const std::string& saveDir,
                               const EnvironmentLookup& env,
                               const std::function<bool(const std::string&)>& writable) {
  if (!saveDir.empty()) return saveDir;
  if (writable(gameFolder)) return gameFolder;
  std::string data = UserDataFolder(gameFolder, env);
  return data.empty() ? gameFolder : data;
}

EnvironmentLookup ProcessEnvironment() {
  return [](const char* name) { return EnvironmentValue(name); };
}

}  // namespace isora
