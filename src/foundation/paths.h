// Path text from untrusted files (game data, saves, replays, game sources): the checks that keep
// it inside the folder it is meant for. Pure functions over the text; the file system is never
// consulted, so the same rules hold on every platform and can be tested anywhere.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace isora {

// Why a path may not be used below a folder.
enum class PathEscape {
  kNone,      // fine
  kEmpty,     // no text, or an empty last component ("a/")
  kAbsolute,  // starts with a separator ("/etc/passwd", "\x")
  kDrive,     // names a drive or a stream ("C:\x", "C:x", "a.txt:s"): any ':'
  kNetwork,   // a network or device path ("\\host\share", "//?/C:/")
  kParent,    // a ".." component
  kControl,   // a control character (a zero byte would cut the path short)
};

// Checks a relative path (either separator) that is to be resolved inside some folder. "." and
// empty inner components are harmless and allowed; everything PathEscape names is refused.
PathEscape CheckInsidePath(std::string_view path);

// A short English reason for messages, e.g. "climbs out with \"..\"". Empty for kNone.
const char* PathEscapeText(PathEscape escape);

// A plain file name: one component that CheckInsidePath accepts, not ".".
bool IsPlainName(std::string_view name);
// Why a name is not plain, for messages ("is not a plain file name: it climbs out with
// \"..\""); empty when it is.
std::string PlainNameProblem(std::string_view name);

// The path in "/" form with "." and empty components dropped, when CheckInsidePath accepts it.
std::optional<std::string> TidyInsidePath(std::string_view path);

// Joins rel (either separator, "." and ".." allowed) to base and normalises it lexically; the
// result only when it lies inside root (or is root). base and root are native paths; a rel that
// is absolute, names a drive or a network path is refused. For files that name each other
// (a map naming its tilesets) where ".." is ordinary but leaving the project is not.
std::optional<std::string> JoinInside(std::string_view root, std::string_view base,
                                      std::string_view rel);

// Whether the native path lies lexically inside folder (or is folder). Both are normalised
// first; neither is looked up.
bool PathInside(std::string_view path, std::string_view folder);

}  // namespace isora
