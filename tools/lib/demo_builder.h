// Builds a complete game folder from editable sources laid out like content/demo (the demo is
// one such source; `isora-kit new` writes another): INI files
// and scripts (UTF-8, CR LF line ends added, converted to GBK) packed into the INI and script
// packages, the item, skill and role tables, role animations, the three maps imported from
// Tiled, every picture drawn into the six image packs, sounds, music and the cursor. The same
// sources always give the same bytes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace isora::demo {

struct DemoBuildOptions {
  std::string sourceDir;  // content/demo
  std::string outDir;     // the game folder to write
  bool compress = true;   // compress package members
};

// Every file of the game folder, by its path relative to the folder ("/" separated).
using FileSet = std::map<std::string, std::vector<uint8_t>>;

// Builds the folder's files in memory; false with *error naming the source at fault.
bool BuildDemoFiles(const DemoBuildOptions& options, FileSet& files, std::string* error);

// Builds and writes them under outDir, creating it and the empty folders "saves" and
// "screenshot", and removes every other file under outDir's data, map, sound and music
// folders (an earlier build's maps and role files), listing them in *removed. Saves and
// screenshots are kept. Refuses an outDir that is the source folder. False with *error on
// failure.
bool BuildDemo(const DemoBuildOptions& options, FileSet* files, std::string* error,
               std::vector<std::string>* removed = nullptr);

// Writes the pictures Tiled shows for the maps' tilesets (tilesets/<name>.bmp) into dir.
bool WriteTilesetPictures(const std::string& sourceDir, const std::string& dir, std::string* error);

// Converts a UTF-8 source text to the game's bytes: GBK with CR LF line ends. False when a
// character has no GBK form.
bool SourceTextToGame(const std::string& utf8, std::string& out);

}  // namespace isora::demo
