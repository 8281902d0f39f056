#include "media/device_context.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "foundation/gbk.h"
#include "media/bmp_reader.h"

namespace isora {

namespace {

struct Line {
  size_t begin = 0, end = 0;  // byte range in the text
  int width = 0;
};

// Byte length of the character at i (two for a GBK lead byte with a partner).
size_t CharLength(std::string_view s, size_t i) {
  return (IsGbkLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

}  // namespace

uint16_t BlendCoverage(PixelFormat f, uint16_t dst, uint16_t src, unsigned coverage) {
  if (coverage >= 255) return src;
  if (coverage == 0) return dst;
  const int gShift = 5, rShift = f == PixelFormat::Rgb565 ? 11 : 10;
  const int gMask = f == PixelFormat::Rgb565 ? 0x3F : 0x1F;
  auto mix = [coverage](int d, int s) {
    return d + ((s - d) * static_cast<int>(coverage) + 127) / 255;
  };
  int r = mix((dst >> rShift) & 0x1F, (src >> rShift) & 0x1F);
  int g = mix((dst >> gShift) & gMask, (src >> gShift) & gMask);
  int b = mix(dst & 0x1F, src & 0x1F);
  return static_cast<uint16_t>((r << rShift) | (g << gShift) | b);
}

uint16_t BlendPixel(PixelFormat f, uint16_t dst, ColorRef color, unsigned coverage) {
  return BlendCoverage(f, dst, ColorRefToPixel(f, color), coverage);
}

namespace {

// A colour spread over the lanes of a vector of pixels U (signed lanes I), channel by channel.
template <typename U, typename I>
struct LaneColour {
  int rShift;
  uint16_t gMask;
  I r, g, b;
  U solid;
};

template <typename U, typename I>
LaneColour<U, I> SpreadColour(uint16_t p, PixelFormat f) {
  LaneColour<U, I> c{};
  c.rShift = f == PixelFormat::Rgb565 ? 11 : 10;
  c.gMask = f == PixelFormat::Rgb565 ? 0x3F : 0x1F;
  // Lane by lane: GCC refuses `vector + scalar` where it cannot prove the scalar fits a lane, as
  // it cannot without optimisation.
  for (size_t k = 0; k < sizeof(I) / sizeof(int16_t); ++k) {
    c.r[k] = static_cast<int16_t>((p >> c.rShift) & 0x1F);
    c.g[k] = static_cast<int16_t>((p >> 5) & c.gMask);
    c.b[k] = static_cast<int16_t>(p & 0x1F);
    c.solid[k] = p;
  }
  return c;
}

// BlendCoverage in every lane of d, in place (no vector crosses a call: the AVX2 kernels call
// this from code built for processors without AVX too, where that would change the ABI). The
// products fit in 16 bits (at most 63 × 255 + 127), and the division by 255, rounded toward zero
// as the scalar one is, becomes (q + 1 + (q >> 8)) >> 8 on the magnitude, exact below 65535. No
// branch on the coverage c: glyph edges alternate between empty, partial and full pixels.
template <typename U, typename I, typename C>
[[gnu::always_inline]] inline void BlendLanes(U& d, const C& c, const LaneColour<U, I>& src) {
  const I a = __builtin_convertvector(c, I);
  I channel[3] = {reinterpret_cast<I>((d >> src.rShift) & 0x1F),
                  reinterpret_cast<I>((d >> 5) & src.gMask), reinterpret_cast<I>(d & 0x1F)};
  const I* target[3] = {&src.r, &src.g, &src.b};
  for (int k = 0; k < 3; ++k) {
    const I x = (*target[k] - channel[k]) * a + 127;
    const I sign = x >> 15;
    const I m = (x ^ sign) - sign;
    const I q = (m + 1 + (m >> 8)) >> 8;
    channel[k] += (q ^ sign) - sign;
  }
  const U blended =
      reinterpret_cast<U>((channel[0] << src.rShift) | (channel[1] << 5) | channel[2]);
  const U full = reinterpret_cast<U>(a == 255);
  const U none = reinterpret_cast<U>(a == 0);
  d = (d & none) | (((blended & ~full) | (src.solid & full)) & ~none);
}

// Sets the lanes at or past n of a block of I's lane count (in place, as BlendLanes).
template <typename U, typename I>
[[gnu::always_inline]] inline void LanesFrom(int n, U& lanes) {
  I lane, limit;
  for (size_t k = 0; k < sizeof(I) / sizeof(int16_t); ++k) {
    lane[k] = static_cast<int16_t>(k);
    limit[k] = static_cast<int16_t>(std::min<int>(n, sizeof(I) / sizeof(int16_t)));
  }
  lanes = reinterpret_cast<U>(lane >= limit);
}

// One row of an outlined text: each pixel of out[0, n) blended with the outline colour at each
// of the `edges` coverage rows in turn, then with the face colour at faceRow (when not null).
// Sixteen pixels at a time, as long as a whole block can be read (up to `readable` pixels),
// the rest pixel by pixel; the coverage rows must hold 16 bytes past n.
ISORA_ROW_KERNEL void BlendOutlinedRow(uint16_t* out, int n, int readable,
                                       const uint8_t* const* edgeRows, size_t edges,
                                       const uint8_t* faceRow, uint16_t edgePixel,
                                       uint16_t facePixel, PixelFormat f) {
  using W16 = uint16_t __attribute__((vector_size(32)));
  using WI16 = int16_t __attribute__((vector_size(32)));
  using W8 = uint8_t __attribute__((vector_size(16)));
  const auto edge = SpreadColour<W16, WI16>(edgePixel, f);
  const auto face = SpreadColour<W16, WI16>(facePixel, f);
  int i = 0;
  for (; i < n && i + 16 <= readable; i += 16) {
    W16 d;
    std::memcpy(&d, out + i, sizeof d);
    const W16 original = d;
    // A pass with no coverage in the block (above and below most glyphs) is passed over.
    W8 c;
    const W8 empty{};
    for (size_t k = 0; k < edges; ++k) {
      std::memcpy(&c, edgeRows[k] + i, sizeof c);
      if (std::memcmp(&c, &empty, sizeof c) != 0) BlendLanes(d, c, edge);
    }
    if (faceRow) {
      std::memcpy(&c, faceRow + i, sizeof c);
      if (std::memcmp(&c, &empty, sizeof c) != 0) BlendLanes(d, c, face);
    }
    W16 keep;
    LanesFrom<W16, WI16>(n - i, keep);
    d = (original & keep) | (d & ~keep);
    std::memcpy(out + i, &d, sizeof d);
  }
  for (; i < n; ++i) {
    for (size_t k = 0; k < edges; ++k) out[i] = BlendCoverage(f, out[i], edgePixel, edgeRows[k][i]);
    if (faceRow) out[i] = BlendCoverage(f, out[i], facePixel, faceRow[i]);
  }
}

}  // namespace

void BlendCoverageRow(uint16_t* dst, const uint8_t* coverage, int n, uint16_t src, PixelFormat f) {
  using U16 = uint16_t __attribute__((vector_size(16)));
  using I16 = int16_t __attribute__((vector_size(16)));
  using U8 = uint8_t __attribute__((vector_size(8)));
  const auto colour = SpreadColour<U16, I16>(src, f);
  for (int i = 0; i < n; i += 8) {
    U16 d, blended;
    U8 c;
    std::memcpy(&d, dst + i, sizeof d);
    std::memcpy(&c, coverage + i, sizeof c);
    blended = d;
    BlendLanes(blended, c, colour);
    U16 keep;
    LanesFrom<U16, I16>(n - i, keep);
    d = (d & keep) | (blended & ~keep);
    std::memcpy(dst + i, &d, sizeof d);
  }
}

DeviceContext::DeviceContext(Surface& surface) : surface_(&surface) {
  // Text and shapes may land anywhere on the surface.
  surface.MarkInk(surface.Bounds());
}

const std::shared_ptr<Font>& DeviceContext::CurrentFont() const {
  if (!font_) font_ = Font::Create("Segoe UI", 16, 400);
  return font_;
}

std::shared_ptr<Font> DeviceContext::SelectFont(std::shared_ptr<Font> font) {
  std::shared_ptr<Font> previous = CurrentFont();
  if (font) font_ = std::move(font);
  return previous;
}

ColorRef DeviceContext::SetTextColor(ColorRef c) { return std::exchange(textColor_, c); }
ColorRef DeviceContext::SetBkColor(ColorRef c) { return std::exchange(bkColor_, c); }
int DeviceContext::SetBkMode(int mode) { return std::exchange(bkMode_, mode); }
uint32_t DeviceContext::SetTextAlign(uint32_t align) { return std::exchange(align_, align); }
int DeviceContext::SetTextCharacterExtra(int extra) { return std::exchange(extra_, extra); }

TextMetrics DeviceContext::GetTextMetrics() const { return F().Metrics(); }

Size DeviceContext::GetTextExtent(std::string_view gbk) const {
  return Size{F().TextWidth(gbk, extra_), F().Metrics().tmHeight};
}

void DeviceContext::DrawRun(int x, int baseline, const TextRun& run, const Rect& clip) {
  Surface& s = *surface_;
  const Rect area = clip.Intersect(s.Bounds());
  if (area.Empty()) return;
  s.MarkInk(area);
  const PixelFormat f = s.Format();
  const uint16_t solid = ColorRefToPixel(f, textColor_);
  const size_t bufferEnd = static_cast<size_t>(s.Pitch()) * s.Height();
  int pen = x;
  for (const Glyph* glyph : run.glyphs) {
    const Glyph& g = *glyph;
    const int gx = pen + g.left, gy = baseline - g.top;
    const int x0 = std::max(gx, area.left), x1 = std::min(gx + g.width, area.right);
    const int y0 = std::max(gy, area.top), y1 = std::min(gy + g.height, area.bottom);
    const int n = x1 - x0;
    for (int y = y0; n > 0 && y < y1; ++y) {
      const uint8_t* cov = g.coverage.data() + static_cast<size_t>(y - gy) * g.width + (x0 - gx);
      uint16_t* row = s.Row(y) + x0;
      // The blocks read past the row's end: within the buffer everywhere but at its very end.
      const size_t blocksEnd = static_cast<size_t>(y) * s.Pitch() + x0 + ((n + 7) & ~7);
      if (blocksEnd <= bufferEnd)
        BlendCoverageRow(row, cov, n, solid, f);
      else
        for (int i = 0; i < n; ++i) row[i] = BlendCoverage(f, row[i], solid, cov[i]);
    }
    pen += g.advance + extra_;
  }
}

namespace {
// A text placed this far off any surface (a damaged position from a file) draws nothing, and
// the sums of its placing and the pen's advance stay far from overflowing.
bool FarOff(int x, int y) {
  constexpr int kFarOff = 1 << 24;
  return x < -kFarOff || x > kFarOff || y < -kFarOff || y > kFarOff;
}
}  // namespace

int DeviceContext::RunWidth(const TextRun& run) const {
  return run.advance + static_cast<int>(run.glyphs.size()) * extra_;
}

Point DeviceContext::RunOrigin(int x, int y, int width) const {
  const TextMetrics& m = F().Metrics();
  int left = x;
  if ((align_ & kTaCenter) == kTaCenter)
    left = x - width / 2;
  else if (align_ & kTaRight)
    left = x - width;
  int baseline = y + m.tmAscent;
  if ((align_ & kTaBaseline) == kTaBaseline)
    baseline = y;
  else if (align_ & kTaBottom)
    baseline = y - m.tmDescent;
  return Point{left, baseline};
}

void DeviceContext::TextOut(int x, int y, std::string_view gbk) {
  if (FarOff(x, y)) return;
  const TextMetrics& m = F().Metrics();
  const TextRun& run = F().Layout(gbk);
  const int width = RunWidth(run);
  const Point origin = RunOrigin(x, y, width);
  const int top = origin.y - m.tmAscent;
  if (bkMode_ == kBkOpaque)
    surface_->Fill(Rect{origin.x, top, origin.x + width, top + m.tmHeight},
                   ColorRefToPixel(surface_->Format(), bkColor_));
  DrawRun(origin.x, origin.y, run, surface_->Bounds());
}

void DeviceContext::TextOutOutlined(int x, int y, std::string_view gbk,
                                    std::span<const Point> outline, ColorRef outlineColor) {
  constexpr size_t kMostPasses = 9;
  auto oneByOne = [&] {
    const ColorRef color = std::exchange(textColor_, outlineColor);
    for (const Point& p : outline) TextOut(p.x, p.y, gbk);
    textColor_ = color;
    TextOut(x, y, gbk);
  };
  bool farOff = FarOff(x, y);
  for (const Point& p : outline) farOff = farOff || FarOff(p.x, p.y);
  if (bkMode_ == kBkOpaque || outline.size() + 1 > kMostPasses || farOff) return oneByOne();

  // The run's coverage in one mask, its origin the pen's start on the baseline. Two glyphs
  // inking the same pixel would blend it twice, which one mask cannot say: those go one by one.
  const TextRun& run = F().Layout(gbk);
  auto unite = [](const Rect& a, const Rect& b) {
    return a.Empty() ? b
                     : Rect{std::min(a.left, b.left), std::min(a.top, b.top),
                            std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
  };
  Rect box{0, 0, 0, 0};
  int pen = 0;
  for (const Glyph* g : run.glyphs) {
    const Rect r{pen + g->left, -g->top, pen + g->left + g->width, -g->top + g->height};
    if (!r.Empty()) box = unite(box, r);
    pen += g->advance + extra_;
  }
  // A text spaced out beyond any screen would need a mask as large: it goes one by one.
  constexpr int kWidestMask = 4096;
  if (box.Width() > kWidestMask || box.Height() > kWidestMask) return oneByOne();
  Surface& s = *surface_;
  s.MarkInk(s.Bounds());
  if (box.Empty()) return;
  const int width = RunWidth(run);
  // Where each pass puts the mask's top-left corner, in the order they are drawn.
  Point at[kMostPasses];
  const size_t passes = outline.size() + 1;
  for (size_t i = 0; i < passes; ++i) {
    const Point p = i < outline.size() ? outline[i] : Point{x, y};
    const Point o = RunOrigin(p.x, p.y, width);
    at[i] = Point{o.x + box.left, o.y + box.top};
  }
  Rect ink = Rect{at[0].x, at[0].y, at[0].x + box.Width(), at[0].y + box.Height()};
  for (size_t i = 1; i < passes; ++i)
    ink = unite(ink, Rect{at[i].x, at[i].y, at[i].x + box.Width(), at[i].y + box.Height()});
  // Each mask row is padded with zeros so that every pass reads a block of sixteen anywhere in
  // the ink's columns without leaving it; outline points far apart go one by one.
  if (ink.Width() > 2 * kWidestMask) return oneByOne();
  const int spread = ink.Width() - box.Width();
  const int stride = box.Width() + 2 * spread + 16;
  std::vector<uint8_t> mask(static_cast<size_t>(stride) * box.Height());
  pen = 0;
  for (const Glyph* g : run.glyphs) {
    const int gx = pen + g->left - box.left, gy = -g->top - box.top;
    pen += g->advance + extra_;
    for (int row = 0; row < g->height; ++row) {
      uint8_t* out = &mask[static_cast<size_t>(gy + row) * stride + spread + gx];
      const uint8_t* in = g->coverage.data() + static_cast<size_t>(row) * g->width;
      for (int col = 0; col < g->width; ++col) {
        if (in[col] == 0) continue;
        if (out[col] != 0) return oneByOne();
        out[col] = in[col];
      }
    }
  }

  const Rect area = ink.Intersect(s.Bounds());
  if (area.Empty()) return;
  const PixelFormat f = s.Format();
  const uint16_t edge = ColorRefToPixel(f, outlineColor), face = ColorRefToPixel(f, textColor_);
  const size_t bufferEnd = static_cast<size_t>(s.Pitch()) * s.Height();
  for (int y = area.top; y < area.bottom; ++y) {
    // This row of the mask for each pass that reaches the row, at the ink's left column.
    const uint8_t* edgeRows[kMostPasses];
    const uint8_t* faceRow = nullptr;
    size_t edges = 0;
    for (size_t i = 0; i < passes; ++i) {
      const int row = y - at[i].y;
      if (row < 0 || row >= box.Height()) continue;
      const uint8_t* r = &mask[static_cast<size_t>(row) * stride + spread + (area.left - at[i].x)];
      if (i < outline.size())
        edgeRows[edges++] = r;
      else
        faceRow = r;
    }
    const size_t start = static_cast<size_t>(y) * s.Pitch() + area.left;
    const int readable = static_cast<int>(std::min<size_t>(bufferEnd - start, 1 << 20));
    BlendOutlinedRow(s.Row(y) + area.left, area.Width(), readable, edgeRows, edges, faceRow, edge,
                     face, f);
  }
}

int DeviceContext::DrawText(std::string_view gbk, Rect* rect, uint32_t format) {
  if (!rect) return 0;
  const TextMetrics& m = F().Metrics();
  const int lineHeight = m.tmHeight;
  const int maxWidth = rect->Width();
  const bool single = format & kDtSingleLine;
  const bool wrap = (format & kDtWordBreak) && !single;
  auto width = [&](size_t b, size_t e) { return F().TextWidth(gbk.substr(b, e - b), extra_); };

  std::vector<Line> lines;
  size_t i = 0;
  while (i <= gbk.size()) {
    // One paragraph up to the next line break (or the end).
    size_t end = i;
    while (end < gbk.size() && (single || (gbk[end] != '\n' && gbk[end] != '\r')))
      end += CharLength(gbk, end);
    end = std::min(end, gbk.size());
    if (!wrap) {
      lines.push_back({i, end, width(i, end)});
    } else {
      auto push = [&](size_t b, size_t e) {
        while (e > b && gbk[e - 1] == ' ') --e;  // trailing spaces take no room
        lines.push_back({b, e, width(b, e)});
      };
      size_t lineStart = i, lineEnd = i;
      int lineWidth = 0;
      for (size_t p = i; p < end;) {
        // Tokens: a run of spaces, a run of other single-byte characters, or one GBK character.
        size_t q = p;
        const bool space = gbk[p] == ' ';
        if (space) {
          while (q < end && gbk[q] == ' ') ++q;
        } else if (CharLength(gbk, p) == 2) {
          q = p + 2;
        } else {
          while (q < end && gbk[q] != ' ' && CharLength(gbk, q) == 1) ++q;
        }
        q = std::min(q, end);
        if (space && lineEnd == lineStart && lineStart != i) {
          lineStart = lineEnd = p = q;  // a wrapped line does not begin with spaces
          continue;
        }
        const int w = width(p, q);
        if (!space && lineEnd > lineStart && lineWidth + w > maxWidth) {
          push(lineStart, lineEnd);
          lineStart = lineEnd = p;
          lineWidth = 0;
        }
        lineWidth += w;
        lineEnd = p = q;
      }
      push(lineStart, lineEnd);
    }
    if (end >= gbk.size()) break;
    // CR LF counts as one break.
    i = end + ((gbk[end] == '\r' && end + 1 < gbk.size() && gbk[end + 1] == '\n') ? 2 : 1);
    if (i == gbk.size()) break;
  }

  const int total = static_cast<int>(lines.size()) * lineHeight;
  if (format & kDtCalcRect) {
    int widest = 0;
    for (const auto& l : lines) widest = std::max(widest, l.width);
    rect->right = rect->left + widest;
    rect->bottom = rect->top + total;
    return total;
  }
  int y = rect->top;
  if (single && (format & kDtVCenter))
    y = rect->top + (rect->Height() - lineHeight) / 2;
  else if (single && (format & kDtBottom))
    y = rect->bottom - lineHeight;
  const Rect clip = (format & kDtNoClip) ? surface_->Bounds() : *rect;
  for (const auto& l : lines) {
    int x = rect->left;
    if (format & kDtCenter)
      x = rect->left + (maxWidth - l.width) / 2;
    else if (format & kDtRight)
      x = rect->right - l.width;
    if (bkMode_ == kBkOpaque)
      surface_->Fill(Rect{x, y, x + l.width, y + lineHeight}.Intersect(clip),
                     ColorRefToPixel(surface_->Format(), bkColor_));
    DrawRun(x, y + m.tmAscent, F().Layout(gbk.substr(l.begin, l.end - l.begin)), clip);
    y += lineHeight;
  }
  return total;
}

Pen DeviceContext::SelectPen(const Pen& pen) { return std::exchange(pen_, pen); }
Brush DeviceContext::SelectBrush(const Brush& brush) { return std::exchange(brush_, brush); }

Point DeviceContext::MoveTo(int x, int y) { return std::exchange(pos_, Point{x, y}); }

void DeviceContext::PlotPen(int x, int y, uint16_t px) {
  int w = std::max(1, pen_.width);
  if (w == 1) {
    surface_->Set(x, y, px);
    return;
  }
  surface_->Fill(Rect{x - w / 2, y - w / 2, x - w / 2 + w, y - w / 2 + w}, px);
}

void DeviceContext::LineTo(int x, int y) {
  // Lines far outside any surface (beyond 65536 pixels) are not walked at all.
  constexpr int kFar = 1 << 16;
  const bool far = std::abs(pos_.x) > kFar || std::abs(pos_.y) > kFar || std::abs(x) > kFar ||
                   std::abs(y) > kFar;
  if (!pen_.null && !far) {
    const uint16_t px = ColorRefToPixel(surface_->Format(), pen_.color);
    const int w = surface_->Width(), h = surface_->Height();
    // Bresenham from the current position; the end point is not drawn.
    int x0 = pos_.x, y0 = pos_.y;
    const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
    const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (x0 != x || y0 != y) {
      // Once past the surface in the direction of travel the line never comes back.
      if ((sx > 0 && x0 >= w + pen_.width) || (sy > 0 && y0 >= h + pen_.width) ||
          (sx < 0 && dx > 0 && x0 < -pen_.width) || (sy < 0 && dy < 0 && y0 < -pen_.width))
        break;
      PlotPen(x0, y0, px);
      int e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        x0 += sx;
      }
      if (e2 <= dx) {
        err += dx;
        y0 += sy;
      }
    }
  }
  pos_ = Point{x, y};
}

void DeviceContext::Rectangle(int left, int top, int right, int bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  const PixelFormat f = surface_->Format();
  if (pen_.null) {
    if (!brush_.null)
      surface_->Fill(Rect{left, top, right - 1, bottom - 1}, ColorRefToPixel(f, brush_.color));
    return;
  }
  if (!brush_.null)
    surface_->Fill(Rect{left + 1, top + 1, right - 1, bottom - 1},
                   ColorRefToPixel(f, brush_.color));
  const uint16_t px = ColorRefToPixel(f, pen_.color);
  const int w = std::max(1, pen_.width);
  surface_->Fill(Rect{left, top, right, top + w}, px);
  surface_->Fill(Rect{left, bottom - w, right, bottom}, px);
  surface_->Fill(Rect{left, top, left + w, bottom}, px);
  surface_->Fill(Rect{right - w, top, right, bottom}, px);
}

void DeviceContext::FillRect(const Rect& rect, const Brush& brush) {
  if (!brush.null) surface_->Fill(rect, ColorRefToPixel(surface_->Format(), brush.color));
}

ColorRef DeviceContext::GetPixel(int x, int y) const {
  if (!surface_->InBounds(x, y)) return kClrInvalid;
  return PixelToColorRef(surface_->Format(), surface_->At(x, y));
}

ColorRef DeviceContext::SetPixel(int x, int y, ColorRef c) {
  if (!surface_->InBounds(x, y)) return kClrInvalid;
  surface_->Set(x, y, ColorRefToPixel(surface_->Format(), c));
  return GetPixel(x, y);
}

bool DeviceContext::SetDIBitsToDevice(int x, int y, std::span<const uint8_t> bmpFile) {
  return DrawBmp(bmpFile, *surface_, x, y);
}

}  // namespace isora
