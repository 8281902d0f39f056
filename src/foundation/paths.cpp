#include "foundation/paths.h"

#include <filesystem>
#include <vector>

namespace isora {
namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Windows opens these names (with any extension) as devices in every folder.
bool IsDeviceName(std::string_view part) {
  std::string stem;
  for (char c : part.substr(0, part.find('.'))) stem += Lower(c);
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
  return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

// "..", and what Windows reads as "..": dots and spaces with at least two dots ("...", ".. ").
bool ClimbsUp(std::string_view part) {
  int dots = 0;
  for (char c : part) {
    if (c == '.')
      ++dots;
    else if (c != ' ')
      return false;
  }
  return dots >= 2;
}

std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      parts.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

// Native path components after lexical normalisation, without a trailing empty one.
std::vector<fs::path> Normalised(std::string_view path) {
  std::vector<fs::path> parts;
  for (const fs::path& p : fs::path(std::string(path)).lexically_normal())
    if (!p.empty() && p != ".") parts.push_back(p);
  return parts;
}

}  // namespace

PathEscape CheckInsidePath(std::string_view path) {
  if (path.empty()) return PathEscape::kEmpty;
  for (char c : path)
    if (static_cast<unsigned char>(c) < 0x20) return PathEscape::kControl;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return PathEscape::kNetwork;
  if (IsSeparator(path[0])) return PathEscape::kAbsolute;
  if (path.find(':') != std::string_view::npos) return PathEscape::kDrive;
  const std::vector<std::string_view> parts = Components(path);
  for (std::string_view part : parts) {
    if (ClimbsUp(part)) return PathEscape::kParent;
    if (IsDeviceName(part)) return PathEscape::kNetwork;
  }
  if (parts.back().empty()) return PathEscape::kEmpty;
  return PathEscape::kNone;
}

const char* PathEscapeText(PathEscape escape) {
  switch (escape) {
    case PathEscape::kNone:
      return "";
    case PathEscape::kEmpty:
      return "names no file";
    case PathEscape::kAbsolute:
      return "is absolute";
    case PathEscape::kDrive:
      return "names a drive or a stream (':')";
    case PathEscape::kNetwork:
      return "names a network share or a device";
    case PathEscape::kParent:
      return "climbs out with \"..\"";
    case PathEscape::kControl:
      return "holds a control character";
  }
  return "";
}

bool IsPlainName(std::string_view name) {
  if (CheckInsidePath(name) != PathEscape::kNone || name == ".") return false;
  for (char c : name)
    if (IsSeparator(c)) return false;
  return true;
}

std::string PlainNameProblem(std::string_view name) {
  if (IsPlainName(name)) return {};
  const PathEscape e = CheckInsidePath(name);
  return std::string("is not a plain file name: it ") + (e != PathEscape::kNone ? PathEscapeText(e)
                                                         : name == "." ? "names the folder itself"
                                                                       : "names a folder");
}

std::optional<std::string> TidyInsidePath(std::string_view path) {
  if (CheckInsidePath(path) != PathEscape::kNone) return std::nullopt;
  std::string out;
  for (std::string_view part : Components(path)) {
    if (part.empty() || part == ".") continue;
    if (!out.empty()) out += '/';
    out += part;
  }
  if (out.empty()) return std::nullopt;
  return out;
}

bool PathInside(std::string_view path, std::string_view folder) {
  const std::vector<fs::path> inner = Normalised(path);
  const std::vector<fs::path> outer = Normalised(folder);
  if (fs::path(std::string(path)).is_absolute() != fs::path(std::string(folder)).is_absolute())
    return false;
  if (inner.size() < outer.size()) return false;
  for (size_t i = 0; i < outer.size(); ++i)
    if (inner[i] != outer[i]) return false;
  // A normalised path keeps ".." only at its start: there it climbs above a relative folder.
  return inner.size() == outer.size() || inner[outer.size()] != "..";
}

std::optional<std::string> JoinInside(std::string_view root, std::string_view base,
                                      std::string_view rel) {
  if (rel.empty() || IsSeparator(rel[0]) || rel.find(':') != std::string_view::npos)
    return std::nullopt;
  std::string slashed(rel);
  for (char& c : slashed) {
    if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
    if (c == '\\') c = '/';
  }
  const std::string joined =
      (fs::path(std::string(base)) / fs::path(slashed)).lexically_normal().string();
  if (!PathInside(joined, root)) return std::nullopt;
  return joined;
}

}  // namespace isora
