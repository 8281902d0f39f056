// 16-bit pixel buffers (5-6-5 or 5-5-5) with an optional source colour key, and the plain and
// keyed copies, colour fills and pixel access every frame is built from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The row kernels are built twice on x86-64 ELF targets, for AVX2 and for the baseline, and the
// loader picks one for the processor; elsewhere the baseline alone.
#if defined(__x86_64__) && defined(__ELF__) && !defined(__EMSCRIPTEN__)
#define ISORA_ROW_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define ISORA_ROW_KERNEL
#endif

namespace isora {

enum class PixelFormat { Rgb565, Rgb555 };

// The renderer's pair mask: green mask in the high half, red and blue masks in the low half.
constexpr uint32_t kPixelMasks565 = 0x07E0F81F;
constexpr uint32_t kPixelMasks555 = 0x03E07C1F;
// Magenta (255, 0, 255), the transparent colour, in each format.
constexpr uint16_t kColorKey565 = 0xF81F;
constexpr uint16_t kColorKey555 = 0x7C1F;

// A GDI colour value: 0x00BBGGRR.
using ColorRef = uint32_t;
constexpr ColorRef kWhite = 0xFFFFFF;
constexpr ColorRef MakeColorRef(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<ColorRef>(r) | (static_cast<ColorRef>(g) << 8) |
         (static_cast<ColorRef>(b) << 16);
}
constexpr uint8_t ColorRefRed(ColorRef c) { return static_cast<uint8_t>(c); }
constexpr uint8_t ColorRefGreen(ColorRef c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t ColorRefBlue(ColorRef c) { return static_cast<uint8_t>(c >> 16); }

// A rectangle with exclusive right and bottom edges, as Windows and DirectDraw use them.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  constexpr bool Empty() const { return right <= left || bottom <= top; }
  constexpr bool Contains(int x, int y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
  // The part shared with another rectangle (empty when they do not meet).
  Rect Intersect(const Rect& o) const;
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// The game's screen: the display, the back buffer, the saved screen and the view on the map.
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr Rect kScreenRect{0, 0, kScreenWidth, kScreenHeight};

struct Point {
  int x = 0, y = 0;
  friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int cx = 0, cy = 0;
  friend constexpr bool operator==(const Size&, const Size&) = default;
};

// Packs 8-bit channels into a pixel by truncation, as a 16-bit display does.
constexpr uint16_t PackPixel(PixelFormat f, uint8_t r, uint8_t g, uint8_t b) {
  return f == PixelFormat::Rgb565
             ? static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
             : static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}
// Expands a pixel to 8-bit channels, replicating the high bits into the low ones so that full
// intensity reads back as 255 (magenta reads back as 0xFF00FF).
struct Rgb8 {
  uint8_t r, g, b;
};
constexpr Rgb8 UnpackPixel(PixelFormat f, uint16_t p) {
  unsigned r5, g, b5 = p & 0x1F;
  if (f == PixelFormat::Rgb565) {
    r5 = (p >> 11) & 0x1F;
    unsigned g6 = (p >> 5) & 0x3F;
    g = (g6 << 2) | (g6 >> 4);
  } else {
    r5 = (p >> 10) & 0x1F;
    unsigned g5 = (p >> 5) & 0x1F;
    g = (g5 << 3) | (g5 >> 2);
  }
  return Rgb8{static_cast<uint8_t>((r5 << 3) | (r5 >> 2)), static_cast<uint8_t>(g),
              static_cast<uint8_t>((b5 << 3) | (b5 >> 2))};
}
constexpr uint16_t ColorRefToPixel(PixelFormat f, ColorRef c) {
  return PackPixel(f, ColorRefRed(c), ColorRefGreen(c), ColorRefBlue(c));
}
constexpr ColorRef PixelToColorRef(PixelFormat f, uint16_t p) {
  Rgb8 c = UnpackPixel(f, p);
  return MakeColorRef(c.r, c.g, c.b);
}
constexpr uint16_t ColorKeyFor(PixelFormat f) {
  return f == PixelFormat::Rgb565 ? kColorKey565 : kColorKey555;
}
constexpr uint32_t PixelMasksFor(PixelFormat f) {
  return f == PixelFormat::Rgb565 ? kPixelMasks565 : kPixelMasks555;
}

// Copy flags of BltFast.
enum BltFlags : uint32_t {
  kBltNoColorKey = 0,
  kBltSrcColorKey = 1,  // source pixels equal to the source's colour key are not copied
};

class Surface;

// The allocator of pixel buffers: a buffer of several megabytes (a world layer) lies on
// huge-page boundaries where the system offers them, so the rows a copy reads, a few kilobytes
// apart each, do not each take an address-translation entry of their own.
template <typename T>
struct PixelAllocator {
  using value_type = T;
  PixelAllocator() = default;
  template <typename U>
  PixelAllocator(const PixelAllocator<U>&) {}
  T* allocate(size_t n);
  void deallocate(T* p, size_t n);
  friend bool operator==(const PixelAllocator&, const PixelAllocator&) { return true; }
};
void* AllocatePixels(size_t bytes);
void FreePixels(void* p, size_t bytes);
template <typename T>
T* PixelAllocator<T>::allocate(size_t n) {
  return static_cast<T*>(AllocatePixels(n * sizeof(T)));
}
template <typename T>
void PixelAllocator<T>::deallocate(T* p, size_t n) {
  FreePixels(p, n * sizeof(T));
}

// One source of a composition: srcRect of `source`, keyed by the source's colour key or not.
struct ComposeLayer {
  const Surface* source = nullptr;
  Rect srcRect;
  bool keyed = false;
};

class Surface {
 public:
  Surface() = default;
  // A zero-filled (black) surface; sizes below 0 count as 0.
  Surface(int width, int height, PixelFormat format = PixelFormat::Rgb565);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Pixels from one row to the next (rows are padded to a multiple of 16 pixels).
  int Pitch() const { return pitch_; }
  PixelFormat Format() const { return format_; }
  bool Valid() const { return width_ > 0 && height_ > 0; }
  Rect Bounds() const { return Rect{0, 0, width_, height_}; }

  // Source colour key used by keyed copies from this surface.
  void SetColorKey(uint16_t key) {
    if (!hasKey_ || key != key_) MarkInk(Bounds());
    key_ = key;
    hasKey_ = true;
  }
  void ClearColorKey() {
    if (hasKey_) Touch();
    hasKey_ = false;
  }
  bool HasColorKey() const { return hasKey_; }
  uint16_t ColorKey() const { return key_; }

  // Direct pixel access (the lock). Rows are Pitch() pixels apart.
  uint16_t* Pixels() { return pixels_.data(); }
  const uint16_t* Pixels() const { return pixels_.data(); }
  uint16_t* Row(int y) { return pixels_.data() + static_cast<size_t>(y) * pitch_; }
  const uint16_t* Row(int y) const { return pixels_.data() + static_cast<size_t>(y) * pitch_; }
  // Bounds-checked single pixels: outside reads 0, outside writes are dropped.
  uint16_t At(int x, int y) const {
    return InBounds(x, y) ? pixels_[static_cast<size_t>(y) * pitch_ + x] : 0;
  }
  void Set(int x, int y, uint16_t v) {
    if (!InBounds(x, y)) return;
    Touch();
    pixels_[static_cast<size_t>(y) * pitch_ + x] = v;
    if (tracksInk_)
      ink_[static_cast<size_t>(y / kInkTile) * inkColumns_ + x / kInkTile] = kTileInked;
  }
  bool InBounds(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Copies srcRect of src to (x, y), clipped to both surfaces (a rectangle that reaches outside
  // either one is cut, and the other side moves by the same amount). With kBltSrcColorKey and a
  // keyed source, key pixels leave the destination unchanged. Copying a surface onto itself is
  // allowed when the rectangles do not overlap. Returns false only for an empty result.
  bool BltFast(int x, int y, const Surface& src, const Rect& srcRect, uint32_t flags);
  // The same pixels as one BltFast to (x, y) per layer, in order, but done row by row: each
  // destination row takes all its layers while it is still in cache. A layer whose source is
  // this surface is copied by BltFast, after the layers before it.
  void Compose(int x, int y, std::span<const ComposeLayer> layers);
  // Fills a rectangle (clipped) with a raw pixel value.
  void Fill(const Rect& rect, uint16_t value);
  void Fill(uint16_t value) { Fill(Bounds(), value); }

  // Frees the pixels (the surface becomes 0×0).
  void Release();

  // A number that changes with every write (BltFast, Compose, Fill, Set, MarkInk, a new key),
  // never given to two states of any surfaces: a surface whose generation is the one it had is
  // unchanged, so what was made from it may be kept.
  uint64_t Generation() const { return generation_; }

  // Ink tracking, for keyed world layers that are mostly key: the surface remembers which
  // tiles of kInkTile × kInkTile pixels may hold a pixel other than the key, so a fill with the
  // key and a keyed copy from the surface pass over the other tiles. BltFast, Fill and Set keep
  // the record; whoever writes through Row or Pixels marks what it wrote with MarkInk (the
  // renderer's effects, picture decoding and device contexts do), tracking or not, which also
  // moves the generation on. FindInk also finds the tiles
  // that hold no key pixel at all: keyed copies copy those plainly, and a composition copies
  // nothing under them, until they are written again.
  static constexpr int kInkTile = 32;
  // Starts tracking with every tile counted as inked.
  void TrackInk();
  bool TracksInk() const { return tracksInk_; }
  void MarkInk(const Rect& rect);
  // Looks at every pixel again: only the tiles holding a non-key pixel stay inked, and those
  // holding nothing but such pixels are known to be solid.
  void FindInk();
  // Whether the tile holding (x, y) may hold a non-key pixel (always true when not tracking).
  bool InkedAt(int x, int y) const;
  // Whether the tile holding (x, y) is known to hold no key pixel: found so by FindInk and not
  // written since (always false when not tracking).
  bool SolidAt(int x, int y) const;

 private:
  // What the ink record knows of a tile.
  enum TileInk : uint8_t { kTileClean = 0, kTileInked = 1, kTileSolid = 2 };
  // Calls fn(rect, solid) for each row of tiles' runs of inked tiles, clipped to `area`; a run
  // holds either solid tiles only or none.
  template <typename Fn>
  void ForEachInkRun(const Rect& area, Fn&& fn) const;
  uint8_t TileAt(int x, int y) const {
    return ink_[static_cast<size_t>(y / kInkTile) * inkColumns_ + x / kInkTile];
  }
  void FillKeyOverInk(const Rect& rect);
  void Touch();
  // BltFast's clipping: the source rectangle s copied to the destination rectangle d, both the
  // same size. False when nothing is left.
  bool ClipCopy(int x, int y, const Surface& src, const Rect& srcRect, Rect* s, Rect* d) const;

  std::vector<uint16_t, PixelAllocator<uint16_t>> pixels_;
  int width_ = 0, height_ = 0, pitch_ = 0;
  PixelFormat format_ = PixelFormat::Rgb565;
  uint16_t key_ = 0;
  bool hasKey_ = false;
  bool tracksInk_ = false;
  int inkColumns_ = 0;
  std::vector<uint8_t> ink_;  // one TileInk per tile, row by row
  uint64_t generation_ = 0;
};

// Row kernels, exposed for the benchmarks: plain copy and keyed copy of n pixels (the keyed one
// takes rows that do not overlap).
void CopyRow(uint16_t* dst, const uint16_t* src, int n);
void CopyRowKeyed(uint16_t* dst, const uint16_t* src, int n, uint16_t key);

}  // namespace isora
