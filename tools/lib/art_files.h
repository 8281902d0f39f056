// Hand-drawn pictures that replace generated ones. A game source may hold, under
// art/<pack word>/<member path>, a BMP or PNG file named like any picture the build would
// draw (art/ui/menu_bg.png for ui\menu_bg.bmp, art/tiles/1/grass00.bmp for a ground tile);
// the build packs that file instead of drawing the picture.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "lib/bmp_writer.h"

namespace isora::demo {

// Pixels of a hand-drawn PNG with alpha below this become the key unless art.json's
// "keyAlpha" says otherwise.
inline constexpr int kDefaultKeyAlpha = 128;

// Decodes a PNG (any colour type and depth libpng reads). Pixels with alpha below keyAlpha
// become the transparent magenta key, with no trace of their colour; the others are taken
// opaque. False with *error on a damaged file.
bool DecodePng(std::span<const uint8_t> bytes, BmpImage& out, std::string* error,
               int keyAlpha = kDefaultKeyAlpha);

// A PNG of 0xAARRGGBB pixels, top row first (tests and previews).
std::vector<uint8_t> EncodePngArgb(int width, int height, const std::vector<uint32_t>& argb);

class ArtOverrides {
 public:
  // Lists the files under <sourceDir>/art/<word>/ for the six pack words. A missing art folder
  // means no overrides.
  void Load(const std::string& sourceDir);
  // The alpha below which PNG pixels become the key (1 to 255).
  void SetKeyAlpha(int alpha) { keyAlpha_ = alpha; }

  // The BMP bytes to pack for member (with "\" separators) of the pack named by word, or
  // nothing when the source has no file for it. A BMP is packed as it is (after checking it
  // decodes); a PNG is converted to a 24-bit BMP. False with *error when the file is damaged.
  bool Find(const std::string& word, const std::string& member,
            std::optional<std::vector<uint8_t>>& out, std::string* error);

  // Source-relative paths ("art/ui/x.png") of files that replaced no picture.
  std::vector<std::string> Unused() const;
  // Every override file, by source-relative path.
  const std::map<std::string, std::string>& Files() const { return files_; }

 private:
  std::string sourceDir_;
  std::map<std::string, std::string> files_;  // lower-case key "word/member.ext" -> relative
  std::set<std::string> used_;
  int keyAlpha_ = kDefaultKeyAlpha;
};

// The art folder's pack words.
inline constexpr const char* kArtWords[] = {"role", "ui", "face", "items", "skill", "tiles"};

}  // namespace isora::demo
