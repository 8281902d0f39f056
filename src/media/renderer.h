// The 16-bit renderer: the eight surfaces the world and the interface are composed on, the two
// picture caches filled from the six image packs, the per-pixel effects, text, and the message
// line the frame shows.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "foundation/game_log.h"
#include "foundation/package_file.h"
#include "media/device_context.h"
#include "media/font.h"
#include "media/span_image.h"
#include "media/surface.h"
#include "media/view_cache.h"

namespace isora {

class Platform;

// Surface indexes.
enum SurfaceIndex : int {
  kSurfacePrimary = 0,     // 640×480, shown by Flip
  kSurfaceBackBuffer = 1,  // 640×480, everything shown is drawn here
  kSurfaceGround = 2,      // 3200×1600 world layer, no key
  kSurfaceLayer3 = 3,      // keyed world layer of the roles: the view and a margin (see below)
  kSurfaceLayer4 = 4,      // 3200×1600 keyed world layer
  kSurfaceTiles = 5,       // 640×640 keyed tile sheet
  kSurfaceObjects = 6,     // 2048×1600 keyed object sheet; top-left is the brighten scratch area
  kSurfaceTemp = 7,        // 640×480 keyed: the talk page / saved screen
  kSurfaceCount = 8,
};

// Image pack indexes (the folder words "role", "ui", "face", "items", "skill", "tiles").
enum PackIndex : int {
  kPackRole = 0,
  kPackUi = 1,
  kPackFace = 2,
  kPackItems = 3,
  kPackSkill = 4,
  kPackTiles = 5,
  kPackCount = 6,
};

// The two picture caches: cache A keeps pictures loaded with the keep flag for the whole run,
// cache B holds the ordinary ones and is cleared when the scene changes.
enum PictureCache : int {
  kOrdinaryPictures = 0,
  kKeptPictures = 1,
};

// The world layers' size: the largest map.
constexpr int kWorldWidth = 3200;
constexpr int kWorldHeight = 1600;

// The role layer (surface 3) stands for the whole map but holds only the part that is ever
// shown: the view and kRoleLayerMargin around it, cleared and drawn afresh every play frame.
// Everything outside it is never looked at, so keeping all of the map would cost 10 MB for
// nothing. It follows the view (ClearLayerAroundView); the renderer's operations take its
// pixels by their place on the map, and code that works on the surface itself offsets by
// SurfaceOrigin.
constexpr int kRoleLayerMargin = 10;
constexpr int kRoleLayerWidth = 640 + 2 * kRoleLayerMargin;
constexpr int kRoleLayerHeight = 480 + 2 * kRoleLayerMargin;

class Renderer {
 public:
  // Pixel format of every surface; 5-6-5 unless --pixel-format 555 asks otherwise.
  explicit Renderer(PixelFormat format = PixelFormat::Rgb565);
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Creates the eight surfaces, the key and the text font; logs "it's 565" or "it's 555" and
  // "Init DDraw succeed!", or the failing step's text ("Create Layer Surface...  failed!" and
  // so on) and returns false. The platform (not owned, may be null for off-screen use) is where
  // Flip presents.
  bool Init(Platform* platform = nullptr);
  bool IsInitialized() const { return initialized_; }
  // Frees surfaces 7 down to 0.
  void Release();
  // Surfaces live in system memory and are never lost; kept for the frame's contract.
  bool RestoreAll();
  // Presents the back buffer (the primary surface's part is the platform's own frame); false
  // when presenting failed.
  bool Flip();

  // Surface by index; null for an index outside 0..7 or before Init. The map-sized layers, the
  // object sheet and the primary surface are made (zero-filled, keyed as designed) on first use,
  // so the menus never hold the memory of a map; null when that memory cannot be had.
  Surface* GetSurface(int index);
  const Surface* GetSurface(int index) const;
  // Whether a surface has been made yet (without making it).
  bool HasSurface(int index) const;
  // Frees the object sheet: it is only read while a map is drawn into the layers.
  void ReleaseObjectSheet();
  // Fills the back buffer with `value` when it is next asked for (GetSurface, GetDC, Flip),
  // unless CancelBackBufferFill says first that all of it is about to be drawn over: a frame
  // that covers the screen with the ground pays for no fill, and whatever looks at the back
  // buffer before that still finds it filled.
  void FillBackBufferOnUse(uint16_t value);
  void CancelBackBufferFill() { backFillPending_ = false; }
  // A device context on a surface (GetDC); the surface must exist. It draws in the surface's
  // own coordinates.
  DeviceContext GetDC(int index);
  // Where a surface's top-left pixel lies on the map: (0, 0), but for the role layer the view's
  // position less the margin (within the map), as of the last ClearLayerAroundView.
  Point SurfaceOrigin(int index) const;
  // A rectangle given by its place on the map, in the surface's own coordinates.
  Rect OnSurface(int index, const Rect& r) const;

  PixelFormat Format() const { return format_; }
  // 0x07E0F81F for 5-6-5, 0x03E07C1F for 5-5-5.
  uint32_t GetPixelMasks() const { return PixelMasksFor(format_); }
  // Magenta in the display format (0xF81F or 0x7C1F).
  uint16_t ColorKey() const { return ColorKeyFor(format_); }

  // The six image pack paths (0 role .. 5 tiles).
  void SetPackPath(int pack, const std::string& path);
  const std::string& PackPath(int pack) const;
  int CurrentPack() const { return currentPack_; }
  // Lets go of the open image pack's file between scenes (its directory stays read).
  void ReleasePackHandle() { package_.CloseHandle(); }

  // Loads a picture into cache A (keep) or B unless already there: 1 when newly loaded, 0 when
  // already cached or missing ("can not find (bmp:)%s in (epk:)%s" to the debugger output and
  // the log).
  int EnsureLoaded(int pack, const std::string& name, bool keep);
  // The cached BMP bytes of a picture, loading it first; null when missing, and when the cache
  // keeps the picture's decoded pixels instead of its file (see CacheMemory).
  const std::vector<uint8_t>* PictureBytes(int pack, const std::string& name, bool keep = false);
  // The picture decoded to the display format with the colour key set, loading and decoding it
  // on first use and keeping it with the picture's bytes (so the caches' keep and clear rules
  // hold for both). Null when missing, damaged, or run-length coded (those are decoded onto
  // their destination each time, where skipped pixels keep what is there). The pointer stays
  // valid until the next call that loads or decodes a picture.
  const Surface* DecodedPicture(int pack, const std::string& name, bool keep = false);
  // Copies the decoded picture with its colour key to (x, y) of a surface (a place on the map
  // for the role layer), without the scratch corner; false when the picture is missing or
  // decodes only onto a surface.
  bool BlitPicture(int pack, const std::string& name, bool keep, int surface, int x, int y);
  // EnsureLoaded, then decodes the picture opaquely onto the surface at (x, y).
  bool DrawPictureTo(int pack, const std::string& name, int surface, int x, int y, bool keep);
  // Decodes the picture into surface 3 at (0, 0) and copies its rectangle to (x, y) of the
  // destination with the source colour key: magenta pixels are transparent. Overwrites the
  // top-left of world layer 3 (where the layer holds it). On the role layer, (x, y) is a place
  // on the map, as for every operation below that takes a surface index.
  bool DrawPicture(int pack, const std::string& name, int surface, int x, int y, bool keep = false);
  // Layer 3's top-left corner is the scratch area of pictures and effects. Whoever used it
  // gives it back transparent, so a view near the map's top-left never shows what was drawn
  // there (a frozen talk page composes the view from layer 3 before the roles are redrawn).
  void ReleaseScratch(const Rect& used);
  // DrawPicture with the picture's non-key pixels brightened first (a hovered button).
  bool DrawPictureLit(int pack, const std::string& name, int surface, int x, int y);
  // Width and height from the picture's header (loading it into cache B if needed); {0, 0}
  // when missing.
  Size GetPictureSize(int pack, const std::string& name);
  // Releases every picture of cache A (kKeptPictures) or cache B (kOrdinaryPictures).
  void ClearCache(int which);
  // Whether the picture is in cache A (keep) or B, without loading it.
  bool IsCached(int pack, const std::string& name, bool keep) const;
  // The runs of a cached picture kept as runs (see CacheMemory), without loading it; null when
  // the picture is not cached or is kept otherwise. Valid while CacheGeneration() is unchanged:
  // only ClearCache lets go of a picture's runs.
  const SpanImage* CachedSpans(int pack, const std::string& name, bool keep) const;
  // Counts ClearCache calls: a picture found cached stays cached while this is unchanged.
  uint64_t CacheGeneration() const { return cacheGeneration_; }
  size_t CacheSize(int which) const;
  // Bytes held by both caches. A picture whose decoded pixels take no more room than its file
  // (true colour) is kept as pixels alone, decoded when loaded (as the runs of its drawn pixels
  // when that is smaller still: role frames are mostly key); the others keep their file, and
  // their pixels, made when first drawn, count against kDecodedBudget: past it they are dropped
  // (the ordinary pictures' first) and decoded again when next drawn.
  size_t CacheMemory() const { return fileBytes_ + decodedBytes_ + resident_; }
  size_t DecodedMemory() const { return decodedBytes_; }
  static constexpr size_t kDecodedBudget = size_t{8} << 20;
  // Pictures wider or taller than this are refused when loaded, with a log line: no surface or
  // panel can show more than 3200 pixels of a side, and a few kilobytes of run-length codes
  // would otherwise cost a screen's worth of pixels many times over at every draw.
  static constexpr int kMaxPictureSide = 4096;
  void SetDecodedBudget(size_t bytes) { decodedBudget_ = bytes; }
  // Number of member reads from the packs so far (tests check that a cached picture is read once).
  int PackReads() const { return packReads_; }

  // Text in the text font ("Segoe UI", 18, weight 400) with a transparent background.
  // alignment is kTaLeft or kTaCenter (top-aligned).
  void DrawText(const std::string& gbk, int x, int y, int surface, uint32_t alignment,
                ColorRef color);
  // DrawText at each point of `outline` in `outlineColor`, then at (x, y) in `color`, in one
  // pass with the same pixels.
  void DrawTextOutlined(const std::string& gbk, int x, int y, int surface, uint32_t alignment,
                        std::span<const Point> outline, ColorRef outlineColor, ColorRef color);
  const std::shared_ptr<Font>& TextFont() const { return textFont_; }
  Size TextExtent(const std::string& gbk) const;

  // Copies the source rectangle (sx, sy, w, h) to (x, y) of the destination, cutting off what
  // falls outside (0, 0)–(dstWidth, dstHeight) and moving the source rectangle by the same
  // amount. flags are BltFlags.
  bool BltClipped(int dst, int dstWidth, int dstHeight, int src, uint32_t flags, int x, int y,
                  int sx, int sy, int w, int h);
  // Fills (x − 10, y − 10)–(x + 650, y + 490) of surface 3 with the key; the left and top stay
  // at x and y when below 10, the right and bottom shrink to x + 640 and y + 480 when they
  // would pass 3199 and 1599. The role layer first moves to cover (x − 10, y − 10)–(x + 650,
  // y + 490), kept within the map; what it held is not carried along (the view's part is
  // cleared here anyway, and nothing looks beyond the view).
  void ClearLayerAroundView(int x, int y);
  // The play view's composition of the ground, role and object layers, kept while it holds.
  ViewCache& WorldView() { return worldView_; }

  // Effects. In 5-6-5 exactly as designed; in 5-5-5 green is treated like red and blue. Key
  // pixels are left alone except by Blend50. Rectangles are clipped to the surface.
  void Brighten(int surface, const Rect& rect);
  void Grey(int surface, const Rect& rect);
  void Darken(int surface, const Rect& rect, int amount);  // amount capped at 31
  void Blend50(int surface, const Rect& rect, bool towardBlack);
  // The screen fade: every pixel (key included) scaled toward black by level / 31, each channel
  // by the same fraction, so a colour keeps its hue while it dims (Darken's equal subtraction
  // empties the weaker channels first and turns orange red). Level 0 or below leaves the
  // pixels, 31 or above gives black.
  void FadeTowardBlack(int surface, const Rect& rect, int level);
  // Brighten's pixel rule on any surface in the display format, in place.
  void BrightenPixels(Surface& s, const Rect& rect) const;

  // The message line: a text of at most 255 bytes and its countdown in frames.
  void SetMessageLine(const std::string& text, int countdown);
  const std::string& MessageText() const { return messageText_; }
  int MessageCountdown() const { return messageCountdown_; }
  void SetMessageCountdown(int frames) { messageCountdown_ = frames; }

  GameLog& Log() { return log_; }

 private:
  // A cached picture: the file as stored in the pack, and its pixels once drawn.
  struct CachedPicture {
    std::vector<uint8_t> bytes;
    std::unique_ptr<Surface> decoded;
    std::unique_ptr<SpanImage> spans;  // the pixels instead of `decoded`, when smaller
    bool undecodable = false;          // damaged or too large to decode: drawn from the bytes
    bool refused = false;              // larger than anything can show: never drawn
    Size size;                         // from the file's header
  };
  using PictureMap = std::map<std::string, CachedPicture>;
  PictureMap& Cache(bool keep) { return keep ? cacheA_ : cacheB_; }
  static std::string Key(int pack, const std::string& name);
  CachedPicture* Entry(int pack, const std::string& name, bool keep);
  const Surface* Decoded(CachedPicture& picture);
  void DropDecoded(PictureMap& cache);
  void KeepDecodedIfSmaller(CachedPicture& picture);
  Surface& CornerScratch(Size size);
  bool DrawThroughCorner(int pack, const std::string& name, const CachedPicture& picture,
                         Surface& corner);
  Surface* MakeSurface(int index) const;

  PictureMap cacheA_;
  PictureMap cacheB_;
  size_t fileBytes_ = 0;
  uint64_t cacheGeneration_ = 0;
  size_t decodedBytes_ = 0;
  size_t resident_ = 0;  // pixels kept instead of their files
  size_t decodedBudget_ = kDecodedBudget;
  Surface loadScratch_;  // pictures decoded while loading, before they are kept as runs
  static constexpr uint64_t kMaxLoadScratchPixels = 1 << 20;
  Surface litScratch_;
  Surface cornerScratch_;
  Surface expanded_;  // a picture kept as runs, made whole for DecodedPicture  // stands in for the
                      // role layer's corner when pictures go through it
  Point roleLayerOrigin_{};
  ViewCache worldView_;
  int currentPack_ = -1;
  PackageFile package_;
  std::shared_ptr<Font> textFont_;
  PixelFormat format_;
  mutable GameLog log_;
  std::array<std::string, kPackCount> packPaths_;
  mutable std::array<std::unique_ptr<Surface>, kSurfaceCount> surfaces_;
  Platform* platform_ = nullptr;
  mutable bool backFillPending_ = false;
  uint16_t backFillValue_ = 0;
  bool initialized_ = false;
  int packReads_ = 0;
  std::string messageText_;
  int messageCountdown_ = 0;
};

}  // namespace isora
