// The GDI stand-in on a surface: selected font, text colour, background mode, alignment, extra
// character spacing, TextOut, DrawText, text extents and metrics, solid pens and brushes, lines,
// rectangles, pixels and DIB drawing. Like a DirectDraw surface's GetDC, each DeviceContext
// starts with the defaults below and draws straight into the surface's pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "media/font.h"
#include "media/surface.h"

namespace isora {

// SetTextAlign values (horizontal and vertical parts are or'ed; top is 0).
constexpr uint32_t kTaLeft = 0;
constexpr uint32_t kTaTop = 0;
constexpr uint32_t kTaCenter = 6;
constexpr uint32_t kTaRight = 2;
constexpr uint32_t kTaBaseline = 24;
constexpr uint32_t kTaBottom = 8;

// DrawText formats.
constexpr uint32_t kDtLeft = 0x0;
constexpr uint32_t kDtCenter = 0x1;
constexpr uint32_t kDtRight = 0x2;
constexpr uint32_t kDtVCenter = 0x4;  // with kDtSingleLine only, as in GDI
constexpr uint32_t kDtBottom = 0x8;   // with kDtSingleLine only
constexpr uint32_t kDtWordBreak = 0x10;
constexpr uint32_t kDtSingleLine = 0x20;
constexpr uint32_t kDtNoClip = 0x100;
constexpr uint32_t kDtCalcRect = 0x400;

// SetBkMode values.
constexpr int kBkTransparent = 1;
constexpr int kBkOpaque = 2;

// Returned by GetPixel for a point outside the surface.
constexpr ColorRef kClrInvalid = 0xFFFFFFFF;

// A solid pen; width 0 draws one pixel like width 1. A null pen draws no lines or borders.
struct Pen {
  ColorRef color = 0;
  int width = 1;
  bool null = false;
  static Pen Solid(ColorRef c, int w = 1) { return Pen{c, w, false}; }
  static Pen Null() { return Pen{0, 0, true}; }
};

// A solid brush; a null brush leaves interiors unfilled.
struct Brush {
  ColorRef color = 0xFFFFFF;
  bool null = false;
  static Brush Solid(ColorRef c) { return Brush{c, false}; }
  static Brush Null() { return Brush{0, true}; }
};

class DeviceContext {
 public:
  // Defaults: a "Segoe UI" font 16 pixels high, black text, opaque white background, left/top
  // alignment, no extra spacing, a black one-pixel pen, a white brush, current position (0, 0).
  explicit DeviceContext(Surface& surface);

  Surface& Target() { return *surface_; }

  // Returns the previously selected font.
  std::shared_ptr<Font> SelectFont(std::shared_ptr<Font> font);
  const std::shared_ptr<Font>& CurrentFont() const;
  ColorRef SetTextColor(ColorRef c);
  ColorRef TextColor() const { return textColor_; }
  ColorRef SetBkColor(ColorRef c);
  int SetBkMode(int mode);
  uint32_t SetTextAlign(uint32_t align);
  int SetTextCharacterExtra(int extra);

  TextMetrics GetTextMetrics() const;
  // Width (advances plus the extra spacing after each character) and height (tmHeight) of a
  // GBK text on one line.
  Size GetTextExtent(std::string_view gbk) const;

  // Draws a GBK text on one line at (x, y) by the alignment: x is the left edge, the centre or
  // the right edge; y the top, baseline or bottom. Glyphs are blended with their coverage; an
  // opaque background fills the text's cell first. Line feeds are not interpreted.
  void TextOut(int x, int y, std::string_view gbk);
  // An outlined text: TextOut at each point of `outline` in `outlineColor`, then at (x, y) in
  // the text colour, with the pixels of those calls made in that order, in one pass over the
  // text's box instead of one per call.
  void TextOutOutlined(int x, int y, std::string_view gbk, std::span<const Point> outline,
                       ColorRef outlineColor);
  // Draws a GBK text in a rectangle: lines end at LF (CR LF) and, with kDtWordBreak, before a
  // word (or a two-byte character) that would pass the right edge; a single word wider than the
  // rectangle stays whole. Lines are left, centred or right aligned; kDtVCenter and kDtBottom
  // act only with kDtSingleLine. Clipped to the rectangle unless kDtNoClip.
  // kDtCalcRect only measures: it sets rect's right and bottom to the extent of the lines.
  // Returns the height of the text.
  int DrawText(std::string_view gbk, Rect* rect, uint32_t format);

  Pen SelectPen(const Pen& pen);
  Brush SelectBrush(const Brush& brush);
  Point MoveTo(int x, int y);  // returns the previous position
  // A line from the current position to (x, y), the end point excluded; moves there.
  void LineTo(int x, int y);
  // Border with the pen inside (left, top)–(right, bottom), exclusive, interior with the brush.
  void Rectangle(int left, int top, int right, int bottom);
  // FillRect: the rectangle with a brush, no border.
  void FillRect(const Rect& rect, const Brush& brush);

  ColorRef GetPixel(int x, int y) const;
  ColorRef SetPixel(int x, int y, ColorRef c);

  // SetDIBitsToDevice for a whole BMP file: its pixels at (x, y), top-left, opaquely. False when
  // the bytes are not a picture that can be decoded (nothing is drawn).
  bool SetDIBitsToDevice(int x, int y, std::span<const uint8_t> bmpFile);

 private:
  void DrawRun(int x, int baseline, const TextRun& run, const Rect& clip);
  // A run's width with the extra spacing, and where TextOut puts its left edge and baseline.
  int RunWidth(const TextRun& run) const;
  Point RunOrigin(int x, int y, int width) const;
  // The selected font; the default one is looked up only when used, as most contexts select
  // their own first.
  const Font& F() const { return *CurrentFont(); }
  void PlotPen(int x, int y, uint16_t px);

  Surface* surface_;
  mutable std::shared_ptr<Font> font_;
  ColorRef textColor_ = 0;
  ColorRef bkColor_ = 0xFFFFFF;
  int bkMode_ = kBkOpaque;
  uint32_t align_ = kTaLeft | kTaTop;
  int extra_ = 0;
  Pen pen_;
  Brush brush_;
  Point pos_;
};

// Blends a colour onto a pixel with 8-bit coverage (0 keeps the pixel, 255 replaces it).
uint16_t BlendPixel(PixelFormat f, uint16_t dst, ColorRef color, unsigned coverage);
// The same with the colour as a pixel.
uint16_t BlendCoverage(PixelFormat f, uint16_t dst, uint16_t src, unsigned coverage);
// BlendCoverage of src over the n pixels of a row, each with its coverage. The row kernel of
// text, exposed for the tests: it reads and writes whole blocks of eight pixels (and coverage
// bytes), so both must go on to n rounded up to a multiple of 8; what lies past n is left as
// it was.
void BlendCoverageRow(uint16_t* dst, const uint8_t* coverage, int n, uint16_t src, PixelFormat f);

}  // namespace isora
