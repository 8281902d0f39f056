// Fonts: FreeType faces found through fontconfig (the fonts folder on Windows), standing in for
// CreateFontA and AddFontResourceA. Texts are GBK bytes; they are decoded to Unicode only to draw
// or measure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace isora {

// The text metrics the game reads (TEXTMETRIC's fields of the same names).
struct TextMetrics {
  int tmHeight = 0;  // cell height: ascent + descent
  int tmAscent = 0;
  int tmDescent = 0;
  int tmInternalLeading = 0;
  int tmExternalLeading = 0;
  int tmAveCharWidth = 0;
  int tmMaxCharWidth = 0;
  int tmWeight = 400;
};

// One glyph rendered with anti-aliasing: 8-bit coverage, placed relative to the pen on the
// baseline.
struct Glyph {
  int width = 0, height = 0;
  int left = 0, top = 0;  // bitmap offset from the pen: x right, y up from the baseline
  int advance = 0;        // pixels
  // width × height, top row first, then kCoverageSlack zeros: a row may be read in blocks of 8.
  std::basic_string<uint8_t> coverage;
  static constexpr size_t kCoverageSlack = 8;
};

// A GBK text laid out in one font: its glyphs in order and the sum of their advances.
struct TextRun {
  std::vector<const Glyph*> glyphs;
  int advance = 0;
};

class FontImpl;

// A font of one face request, pixel height and weight. Cheap to share; glyphs are cached.
class Font {
 public:
  // As CreateFontA: the face name ("Segoe UI"), the cell height in pixels (a negative height
  // asks for that character height instead, as GDI does) and the weight (400 normal, 700 bold).
  // Never fails: when no face matches, the best installed sans face that covers Latin and CJK
  // is used; with no usable face at all, glyphs are empty boxes of the asked height.
  static std::shared_ptr<Font> Create(const std::string& faceName, int height, int weight = 400);

  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  const TextMetrics& Metrics() const;
  // The glyph of a code point (cached); characters no face holds draw as a box.
  const Glyph& GlyphFor(char32_t codePoint) const;
  // The width of a GBK text: the sum of advances plus extra pixels after every character.
  int TextWidth(std::string_view gbk, int extra = 0) const;
  // The glyphs of a GBK text. Texts drawn again every frame (labels, names, counts) are kept,
  // up to kKeptRuns of them; the result stays valid until the next call.
  const TextRun& Layout(std::string_view gbk) const;
  static constexpr size_t kKeptRuns = 256;
  const std::string& FaceName() const;  // as asked
  const std::string& FilePath() const;  // the primary face file used

 private:
  explicit Font(std::unique_ptr<FontImpl> impl);
  std::unique_ptr<FontImpl> impl_;
};

namespace Fonts {
// AddFontResourceA: a font file whose faces are preferred from now on (data\seguibk.ttf).
// False when the file cannot be opened as a font.
bool AddFontResource(const std::string& path);
// RemoveFontResourceA. Fonts already created keep their faces.
bool RemoveFontResource(const std::string& path);
}  // namespace Fonts

}  // namespace isora
