#include "media/surface.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#endif

namespace isora {

namespace {
using Vec16 = uint16_t __attribute__((vector_size(32)));
}

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kHugeFrom = size_t{4} << 20;
}  // namespace

void* AllocatePixels(size_t bytes) {
#if defined(__linux__) && !defined(__EMSCRIPTEN__) && defined(MADV_HUGEPAGE)
  if (bytes >= kHugeFrom) {
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (!p) throw std::bad_alloc();
    madvise(p, rounded, MADV_HUGEPAGE);
    return p;
  }
#endif
  void* p = std::malloc(bytes ? bytes : 1);
  if (!p) throw std::bad_alloc();
  return p;
}

void FreePixels(void* p, size_t) { std::free(p); }

void Surface::Touch() {
  static std::atomic<uint64_t> last{0};
  generation_ = last.fetch_add(1, std::memory_order_relaxed) + 1;
}

Rect Rect::Intersect(const Rect& o) const {
  Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
         std::min(bottom, o.bottom)};
  if (r.Empty()) return Rect{};
  return r;
}

Surface::Surface(int width, int height, PixelFormat format)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), format_(format) {
  pitch_ = (width_ + 15) & ~15;
  pixels_.assign(static_cast<size_t>(pitch_) * height_, 0);
  Touch();
}

void Surface::Release() {
  pixels_.clear();
  pixels_.shrink_to_fit();
  width_ = height_ = pitch_ = 0;
  Touch();
  tracksInk_ = false;
  inkColumns_ = 0;
  ink_.clear();
}

void Surface::TrackInk() {
  tracksInk_ = true;
  inkColumns_ = (width_ + kInkTile - 1) / kInkTile;
  ink_.assign(static_cast<size_t>(inkColumns_) * ((height_ + kInkTile - 1) / kInkTile), kTileInked);
}

void Surface::MarkInk(const Rect& rect) {
  Touch();
  if (!tracksInk_) return;
  const Rect r = rect.Intersect(Bounds());
  if (r.Empty()) return;
  for (int ty = r.top / kInkTile; ty <= (r.bottom - 1) / kInkTile; ++ty) {
    uint8_t* row = &ink_[static_cast<size_t>(ty) * inkColumns_];
    std::fill(row + r.left / kInkTile, row + (r.right - 1) / kInkTile + 1, uint8_t{kTileInked});
  }
}

void Surface::FindInk() {
  if (!tracksInk_) return;
  if (!hasKey_) {
    std::fill(ink_.begin(), ink_.end(), uint8_t{kTileInked});
    return;
  }
  // Counted per tile: key pixels and others.
  std::vector<int> keys(inkColumns_), others(inkColumns_);
  for (int ty = 0; ty * kInkTile < height_; ++ty) {
    std::fill(keys.begin(), keys.end(), 0);
    std::fill(others.begin(), others.end(), 0);
    for (int y = ty * kInkTile; y < std::min(height_, (ty + 1) * kInkTile); ++y) {
      const uint16_t* row = Row(y);
      for (int tx = 0; tx < inkColumns_; ++tx) {
        const int end = std::min(width_, (tx + 1) * kInkTile);
        int k = 0;
        for (int x = tx * kInkTile; x < end; ++x) k += row[x] == key_;
        keys[tx] += k;
        others[tx] += end - tx * kInkTile - k;
      }
    }
    uint8_t* ink = &ink_[static_cast<size_t>(ty) * inkColumns_];
    for (int tx = 0; tx < inkColumns_; ++tx)
      ink[tx] = others[tx] == 0 ? kTileClean : keys[tx] == 0 ? kTileSolid : kTileInked;
  }
}

bool Surface::InkedAt(int x, int y) const {
  if (!tracksInk_ || !InBounds(x, y)) return true;
  return TileAt(x, y) != kTileClean;
}

bool Surface::SolidAt(int x, int y) const {
  return tracksInk_ && InBounds(x, y) && TileAt(x, y) == kTileSolid;
}

template <typename Fn>
void Surface::ForEachInkRun(const Rect& area, Fn&& fn) const {
  const Rect a = area.Intersect(Bounds());
  if (a.Empty()) return;
  const int lastColumn = (a.right - 1) / kInkTile;
  for (int ty = a.top / kInkTile; ty <= (a.bottom - 1) / kInkTile; ++ty) {
    const uint8_t* row = &ink_[static_cast<size_t>(ty) * inkColumns_];
    const int top = std::max(a.top, ty * kInkTile);
    const int bottom = std::min(a.bottom, (ty + 1) * kInkTile);
    for (int tx = a.left / kInkTile; tx <= lastColumn;) {
      if (row[tx] == kTileClean) {
        ++tx;
        continue;
      }
      const int start = tx;
      const uint8_t kind = row[tx];
      while (tx <= lastColumn && row[tx] == kind) ++tx;
      fn(Rect{std::max(a.left, start * kInkTile), top, std::min(a.right, tx * kInkTile), bottom},
         kind == kTileSolid);
    }
  }
}

void Surface::FillKeyOverInk(const Rect& r) {
  ForEachInkRun(r, [&](const Rect& run, bool) {
    for (int y = run.top; y < run.bottom; ++y) std::fill_n(Row(y) + run.left, run.Width(), key_);
  });
  // Tiles wholly inside the rectangle (up to the surface's edge) hold only key now; those it
  // cuts are looked at, so a tile a fill leaves clean stops being filled and copied each time.
  for (int ty = r.top / kInkTile; ty <= (r.bottom - 1) / kInkTile; ++ty) {
    const int tileTop = ty * kInkTile, tileBottom = std::min(height_, tileTop + kInkTile);
    const bool rowsCovered = r.top <= tileTop && r.bottom >= tileBottom;
    uint8_t* row = &ink_[static_cast<size_t>(ty) * inkColumns_];
    for (int tx = r.left / kInkTile; tx <= (r.right - 1) / kInkTile; ++tx) {
      if (row[tx] == kTileClean) continue;
      const int tileLeft = tx * kInkTile, tileRight = std::min(width_, tileLeft + kInkTile);
      if (rowsCovered && r.left <= tileLeft && r.right >= tileRight) {
        row[tx] = kTileClean;
        continue;
      }
      uint16_t other = 0;
      for (int y = tileTop; y < tileBottom && !other; ++y) {
        const uint16_t* p = Row(y);
        for (int x = tileLeft; x < tileRight; ++x) other |= static_cast<uint16_t>(p[x] ^ key_);
      }
      row[tx] = other != 0 ? kTileInked : kTileClean;
    }
  }
}

void CopyRow(uint16_t* dst, const uint16_t* src, int n) {
  std::memmove(dst, src, static_cast<size_t>(n) * sizeof(uint16_t));
}

// Sixteen pixels at a time: a compare gives the key mask, and a select keeps the destination
// under it. There is no branch on the pixels: where key and colour alternate, as at a sprite's
// edges, a skip over all-key groups costs more in mispredictions than it saves; wholly
// transparent tiles are passed over before this is called.
ISORA_ROW_KERNEL void CopyRowKeyed(uint16_t* dst, const uint16_t* src, int n, uint16_t key) {
  const Vec16 k = Vec16{} + key;
  int i = 0;
  while (n >= 16 && i < n) {
    // The last sixteen again, overlapping: a pixel copied twice comes out the same.
    if (i + 16 > n) i = n - 16;
    Vec16 s, d;
    std::memcpy(&s, src + i, sizeof s);
    Vec16 m = reinterpret_cast<Vec16>(s == k);
    std::memcpy(&d, dst + i, sizeof d);
    d = (d & m) | (s & ~m);
    std::memcpy(dst + i, &d, sizeof d);
    i += 16;
  }
  for (; i < n; ++i)
    if (src[i] != key) dst[i] = src[i];
}

bool Surface::ClipCopy(int x, int y, const Surface& src, const Rect& srcRect, Rect* s,
                       Rect* d) const {
  *s = srcRect.Intersect(src.Bounds());
  if (s->Empty()) return false;
  // Source clipping moves the destination by the same amount.
  const int dx = x + (s->left - srcRect.left);
  const int dy = y + (s->top - srcRect.top);
  *d = Rect{dx, dy, dx + s->Width(), dy + s->Height()}.Intersect(Bounds());
  if (d->Empty()) return false;
  s->left += d->left - dx;
  s->top += d->top - dy;
  s->right = s->left + d->Width();
  s->bottom = s->top + d->Height();
  return true;
}

bool Surface::BltFast(int x, int y, const Surface& src, const Rect& srcRect, uint32_t flags) {
  Rect s, d;
  if (!ClipCopy(x, y, src, srcRect, &s, &d)) return false;
  const int w = d.Width(), h = d.Height();
  const bool keyed = (flags & kBltSrcColorKey) && src.hasKey_;
  MarkInk(d);
  if (keyed && src.tracksInk_ && &src != this) {
    // Only the source's inked tiles can change the destination.
    const int offsetX = d.left - s.left, offsetY = d.top - s.top;
    src.ForEachInkRun(s, [&](const Rect& run, bool solid) {
      for (int y = run.top; y < run.bottom; ++y) {
        uint16_t* out = Row(y + offsetY) + run.left + offsetX;
        if (solid)
          CopyRow(out, src.Row(y) + run.left, run.Width());
        else
          CopyRowKeyed(out, src.Row(y) + run.left, run.Width(), src.key_);
      }
    });
    return true;
  }

  std::vector<uint16_t> temp;
  const uint16_t* srcBase = src.Row(s.top) + s.left;
  int srcPitch = src.pitch_;
  if (&src == this && Rect{s.left, s.top, s.left + w, s.top + h}.Intersect(d).Empty() == false) {
    temp.resize(static_cast<size_t>(w) * h);
    for (int r = 0; r < h; ++r)
      CopyRow(&temp[static_cast<size_t>(r) * w], srcBase + r * srcPitch, w);
    srcBase = temp.data();
    srcPitch = w;
  }
  for (int r = 0; r < h; ++r) {
    uint16_t* out = Row(d.top + r) + d.left;
    const uint16_t* in = srcBase + static_cast<size_t>(r) * srcPitch;
    if (keyed)
      CopyRowKeyed(out, in, w, src.key_);
    else
      CopyRow(out, in, w);
  }
  return true;
}

void Surface::Compose(int x, int y, std::span<const ComposeLayer> layers) {
  struct Pass {
    const Surface* src;
    Rect s, d;
    bool keyed;
    bool tiled;  // keyed from a source that tracks its ink: decided tile by tile
  };
  std::vector<Pass> passes;
  passes.reserve(layers.size());
  for (size_t i = 0; i < layers.size(); ++i) {
    const ComposeLayer& layer = layers[i];
    if (!layer.source) continue;
    if (layer.source == this) {
      // A copy within this surface reads rows the earlier layers write: those go first whole.
      Compose(x, y, layers.first(i));
      BltFast(x, y, *this, layer.srcRect, layer.keyed ? kBltSrcColorKey : kBltNoColorKey);
      Compose(x, y, layers.subspan(i + 1));
      return;
    }
    const bool keyed = layer.keyed && layer.source->hasKey_;
    Pass p{layer.source, {}, {}, keyed, keyed && layer.source->tracksInk_};
    if (!ClipCopy(x, y, *layer.source, layer.srcRect, &p.s, &p.d)) continue;
    MarkInk(p.d);
    passes.push_back(p);
  }
  if (passes.empty()) return;

  // The destination is cut into bands of rows in which no layer starts or ends and no tiled
  // layer changes its row of tiles; within a band each column is cut the same way, so one plan
  // serves every row of the band. From the top layer down, a column piece takes the layers that
  // show there, down to the first that covers it wholly (a plain layer, or a solid tile): what
  // lies under that is never copied, and clean tiles are never looked at.
  auto tileCuts = [](int from, int to, int shift, std::vector<int>* cuts) {
    for (int t = (from / kInkTile + 1) * kInkTile; t < to; t += kInkTile)
      cuts->push_back(t + shift);
  };
  std::vector<int> rows;
  for (const Pass& p : passes) {
    rows.push_back(p.d.top);
    rows.push_back(p.d.bottom);
    if (p.tiled) tileCuts(p.s.top, p.s.bottom, p.d.top - p.s.top, &rows);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());

  constexpr int kRowsAhead = 2;
  constexpr int kPixelsPerLine = 32;  // 64-byte cache lines
  // A run of one layer in a band's plan.
  struct Run {
    int left, right;
    bool keyed;
  };
  std::vector<std::vector<Run>> runs(passes.size());
  std::vector<int> columns;
  std::vector<bool> covering(passes.size()), columnsFor;  // the passes `columns` was cut for
  for (size_t band = 0; band + 1 < rows.size(); ++band) {
    const int top = rows[band], bottom = rows[band + 1];
    for (size_t i = 0; i < passes.size(); ++i)
      covering[i] = top >= passes[i].d.top && top < passes[i].d.bottom;
    if (covering != columnsFor) {
      // Most bands are covered by the same layers: their columns are cut once.
      columnsFor = covering;
      columns.clear();
      for (size_t i = 0; i < passes.size(); ++i) {
        if (!covering[i]) continue;
        const Pass& p = passes[i];
        columns.push_back(p.d.left);
        columns.push_back(p.d.right);
        if (p.tiled) tileCuts(p.s.left, p.s.right, p.d.left - p.s.left, &columns);
      }
      std::sort(columns.begin(), columns.end());
      columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    }
    if (columns.empty()) continue;
    for (auto& r : runs) r.clear();
    for (size_t c = 0; c + 1 < columns.size(); ++c) {
      const int left = columns[c], right = columns[c + 1];
      for (size_t i = passes.size(); i-- > 0;) {
        const Pass& p = passes[i];
        if (!covering[i] || left < p.d.left || left >= p.d.right) continue;
        bool keyed = p.keyed;
        if (p.tiled) {
          const uint8_t tile = p.src->TileAt(left - p.d.left + p.s.left, top - p.d.top + p.s.top);
          if (tile == kTileClean) continue;
          keyed = tile != kTileSolid;
        }
        std::vector<Run>& mine = runs[i];
        if (!mine.empty() && mine.back().right == left && mine.back().keyed == keyed)
          mine.back().right = right;
        else
          mine.push_back(Run{left, right, keyed});
        if (!keyed) break;
      }
    }
    for (int row = top; row < bottom; ++row) {
      uint16_t* out = Row(row);
      for (size_t i = 0; i < passes.size(); ++i) {
        const Pass& p = passes[i];
        if (runs[i].empty()) continue;
        const uint16_t* in = p.src->Row(row - p.d.top + p.s.top);
        const int shift = p.s.left - p.d.left;
        if (row + kRowsAhead < p.d.bottom) {
          // A world layer's rows lie pages apart, where the processor's own prefetching stops:
          // the rows a little further down are asked for while this one is copied.
          const uint16_t* later = p.src->Row(row + kRowsAhead - p.d.top + p.s.top);
          for (const Run& r : runs[i])
            for (int px = r.left + shift; px < r.right + shift; px += kPixelsPerLine)
              __builtin_prefetch(later + px);
        }
        for (const Run& r : runs[i]) {
          if (r.keyed)
            CopyRowKeyed(out + r.left, in + (r.left + shift), r.right - r.left, p.src->key_);
          else
            CopyRow(out + r.left, in + (r.left + shift), r.right - r.left);
        }
      }
    }
  }
}

void Surface::Fill(const Rect& rect, uint16_t value) {
  Rect r = rect.Intersect(Bounds());
  if (r.Empty()) return;
  Touch();
  if (tracksInk_) {
    if (hasKey_ && value == key_) {
      FillKeyOverInk(r);
      return;
    }
    MarkInk(r);
  }
  for (int y = r.top; y < r.bottom; ++y) std::fill_n(Row(y) + r.left, r.Width(), value);
}

}  // namespace isora
