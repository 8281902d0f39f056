// Game paths and whole-file reading and writing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace isora {

// The game folder that relative game paths resolve against, set once at start-up (the program)
// or per test, before anything is loaded. A process runs one game, and every loader already
// turns game paths into native ones here, so the folder lives here rather than being handed to
// each of them. Stored absolute; an empty folder (the default, which the kit keeps) resolves
// relative paths against the process's working folder, which nothing in the game changes.
void SetGameFolder(std::string_view folder);
// The folder as set, absolute; empty when none is set.
const std::string& GameFolder();
// The game folder, or the working folder when none is set: where the game's own files go.
std::string GameFolderOrWorkingFolder();

// The folder the player's own files go to (saves, screenshots, the log) when it is not the game
// folder: an installed game's folder is read-only. Empty (the default) keeps them in the game
// folder. Relative game paths under "saves" or "screenshot", and the log files, resolve here.
void SetPlayerFolder(std::string_view folder);
// The player folder when set, else GameFolderOrWorkingFolder().
std::string PlayerFolder();

// The folder holding the running program's executable, absolute; empty when the system cannot
// say (a web page). Under Wine /proc/self/exe is Wine's own loader, so Windows asks the system.
std::string ProgramFolder();

// Converts a game path (with "\" or "/"; relative ones are relative to the game folder) into a
// native path. When the exact path does not exist, each component below the game folder is
// matched case-insensitively, since data made on case-insensitive systems must still load. A
// path that exists in neither form comes back converted and placed in the game folder. The
// player's own files resolve against the player folder instead (see SetPlayerFolder).
//
// Game paths come from the game's files and saves, so once a game folder is set they must stay
// inside it: a path with "..", a drive, a network share or a device, or an absolute path outside
// the game and player folders, comes back empty (which no file operation opens).
std::string NativePath(std::string_view gamePath);

// Whether NativePath accepts the game path (always, while no game folder is set).
bool GamePathAllowed(std::string_view gamePath);

// The largest file the loaders read whole.
constexpr size_t kMaxFileBytes = size_t{512} << 20;

// Reads a whole file (native path). Empty optional when it cannot be opened or read, is larger
// than maxBytes, or is not a regular file (a FIFO or a device would block or never end).
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path,
                                                  size_t maxBytes = kMaxFileBytes);

// Opens a regular file (native path) for binary reading; null for anything else, without
// blocking on a FIFO. The caller closes it.
std::FILE* OpenRegularFile(const std::string& path);

// Writes a file through a temporary file in the same folder, flushed and renamed over the
// target, so a crash never leaves a half-written file in its place. An existing target that
// is a link or not a regular file is left alone and the write fails.
bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes);

// The same for folder/relative, where folder is trusted (the player folder, an output folder
// from the command line) and relative may come from a file. relative must pass
// CheckInsidePath; each folder below `folder` is entered without following a link (and made
// when missing and makeFolders is set), so a "saves" that is a link cannot send the write
// elsewhere. False with *why (a short English reason) when refused or failed.
bool WriteFileInside(const std::string& folder, std::string_view relative,
                     std::span<const uint8_t> bytes, bool makeFolders = false,
                     std::string* why = nullptr);

// Appends to (or, with truncate, empties and writes) a file the game owns, such as its log.
// A link, a file with other names (hard links) or anything but a regular file is refused.
bool AppendToFile(const std::string& path, std::string_view bytes, bool truncate,
                  std::string* why = nullptr);

// Makes the folder and any missing parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

}  // namespace isora
