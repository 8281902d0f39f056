#include "media/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h maps these names to its own ANSI/wide functions; ours are the engine's.
#undef AddFontResource
#undef RemoveFontResource

#include <filesystem>
#elif !defined(__EMSCRIPTEN__)
#include <fontconfig/fontconfig.h>
#endif

#include <algorithm>
#include <cctype>
#include <cmath>
#ifdef __EMSCRIPTEN__
#include <filesystem>
#endif
#include <map>
#include <memory>
#include <mutex>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "foundation/file_io.h"
#include "foundation/gbk.h"

namespace isora {

namespace {

constexpr char32_t kCjkProbe = U'中';

struct FaceFile {
  std::string path;
  int index = 0;
};

// Owning handles for FreeType faces and fontconfig objects.
template <auto Free>
struct Deleter {
  template <typename T>
  void operator()(T* handle) const {
    if (handle) Free(handle);
  }
};
using FacePtr = std::unique_ptr<FT_FaceRec_, Deleter<FT_Done_Face>>;
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
using PatternPtr = std::unique_ptr<FcPattern, Deleter<FcPatternDestroy>>;
using FontSetPtr = std::unique_ptr<FcFontSet, Deleter<FcFontSetDestroy>>;
#endif

// Null when the file holds no face at that index.
FacePtr OpenFace(FT_Library ft, const std::string& path, int index) {
  FT_Face face = nullptr;
  if (!ft || FT_New_Face(ft, path.c_str(), index, &face) != 0) return nullptr;
  return FacePtr(face);
}

// A registered face serves a request for its family or for the start of its family name, so
// "Segoe UI" finds a registered "Segoe UI Black".
bool FamilyServes(std::string_view family, std::string_view request) {
  if (request.empty() || family.size() < request.size()) return false;
  for (size_t i = 0; i < request.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(family[i])) !=
        std::tolower(static_cast<unsigned char>(request[i])))
      return false;
  return true;
}

// The process's FreeType library, the registered font files and the installed faces found for
// each request (through fontconfig, or the fonts folder on Windows).
class Library {
 public:
  static Library& Get() {
    static Library lib;
    return lib;
  }
  FT_Library ft() const { return ft_; }
  // Changes whenever the registered files change, so cached fonts are not reused across it.
  int Generation() const { return generation_; }
  std::mutex& Mutex() { return mutex_; }

  bool Add(const std::string& path) {
    // FreeType would wait forever on a FIFO in the font's place.
    std::FILE* file = OpenRegularFile(path);
    if (!file) return false;
    std::fclose(file);
    FacePtr face = OpenFace(ft_, path, 0);
    if (!face) return false;
    std::string family = face->family_name ? face->family_name : "";
    registered_.insert(registered_.begin(), {path, family});
    ++generation_;
    return true;
  }
  bool Remove(const std::string& path) {
    auto it = std::find_if(registered_.begin(), registered_.end(),
                           [&](const auto& r) { return r.first == path; });
    if (it == registered_.end()) return false;
    registered_.erase(it);
    ++generation_;
    return true;
  }

  // The faces to draw with: a registered file of that family first, then the best installed
  // face that covers Latin and CJK, then one that covers CJK for characters the first lacks.
  std::vector<FaceFile> Resolve(const std::string& family, int weight) {
    std::vector<FaceFile> chain;
    for (const auto& [path, fam] : registered_)
      if (FamilyServes(fam, family)) chain.push_back({path, 0});
    auto key = std::make_pair(family, weight >= 600);
    auto it = resolved_.find(key);
    if (it == resolved_.end()) it = resolved_.emplace(key, FindInstalled(family, weight)).first;
    chain.insert(chain.end(), it->second.begin(), it->second.end());
    return chain;
  }

 private:
  Library() {
    if (FT_Init_FreeType(&ft_) != 0) ft_ = nullptr;
  }
#ifdef _WIN32
  ~Library() {
    if (ft_) FT_Done_FreeType(ft_);
  }

  // The faces Windows itself would take for a Chinese sans request, by file name, best first.
  static constexpr const char* kPreferredRegular[] = {
      "msyh.ttc",       "simhei.ttf",        "deng.ttf",  "wqy-microhei.ttc",
      "wqy-zenhei.ttc", "notosanssc-vf.ttf", "simsun.ttc"};
  static constexpr const char* kPreferredBold[] = {
      "msyhbd.ttc",       "dengb.ttf",      "msyh.ttc",          "simhei.ttf", "deng.ttf",
      "wqy-microhei.ttc", "wqy-zenhei.ttc", "notosanssc-vf.ttf", "simsun.ttc"};

  // The system's fonts folder (no fontconfig on Windows): the first face that covers Latin and
  // CJK, in preference order and then in file name order, else faces for Latin and for CJK
  // alone. The folder may hold hundreds of files, so the search stops at the first face that
  // covers both, and an installed face of the asked family (which lacks CJK on Windows) is not
  // looked for: the game registers its own face file for that.
  std::vector<FaceFile> FindInstalled(const std::string&, int weight) {
    namespace fs = std::filesystem;
    std::vector<FaceFile> out;
    char windir[MAX_PATH];
    UINT len = ::GetWindowsDirectoryA(windir, sizeof windir);
    if (len == 0 || len >= sizeof windir) return out;
    fs::path folder = fs::path(windir) / "Fonts";

    auto lower = [](std::string t) {
      for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return t;
    };
    std::vector<std::pair<std::string, fs::path>> files;  // lower-case name, path
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), last; !ec && it != last; it.increment(ec)) {
      std::string name = lower(it->path().filename().string());
      std::string ext = lower(it->path().extension().string());
      if (ext == ".ttf" || ext == ".ttc" || ext == ".otf") files.emplace_back(name, it->path());
    }
    std::sort(files.begin(), files.end());
    std::vector<fs::path> order;
    bool bold = weight >= 600;
    auto addPreferred = [&](const auto& list) {
      for (const char* want : list)
        for (const auto& [name, path] : files)
          if (name == want) order.push_back(path);
    };
    if (bold)
      addPreferred(kPreferredBold);
    else
      addPreferred(kPreferredRegular);
    for (const auto& [name, path] : files)
      if (std::find(order.begin(), order.end(), path) == order.end()) order.push_back(path);

    FaceFile both, cjk, latin;
    for (const fs::path& path : order) {
      std::string file = path.string();
      FT_Long faces = 1;
      for (FT_Long index = 0; index < faces; ++index) {
        FT_Face face;
        if (FT_New_Face(ft_, file.c_str(), index, &face) != 0) break;
        faces = face->num_faces;
        bool usable = FT_IS_SCALABLE(face);
        bool hasLatin = FT_Get_Char_Index(face, 'A') && FT_Get_Char_Index(face, 'a');
        bool hasCjk = FT_Get_Char_Index(face, kCjkProbe) != 0;
        FT_Done_Face(face);
        if (!usable) continue;
        FaceFile ff{file, static_cast<int>(index)};
        if (hasLatin && hasCjk && both.path.empty()) both = ff;
        if (hasCjk && cjk.path.empty()) cjk = ff;
        if (hasLatin && latin.path.empty()) latin = ff;
      }
      if (!both.path.empty()) break;
    }
    if (!both.path.empty()) out.push_back(both);
    if (!latin.path.empty() && both.path.empty()) out.push_back(latin);
    if (!cjk.path.empty() && cjk.path != both.path) out.push_back(cjk);
    return out;
  }
#else
  ~Library() {
    if (ft_) FT_Done_FreeType(ft_);
#ifndef __EMSCRIPTEN__
    if (fontconfigUsed_) FcFini();
#endif
  }

#ifdef __EMSCRIPTEN__
  // A browser has no fontconfig: the page preloads its font files into kWebFontDir, and they
  // are chosen by the same rule (one face for Latin and CJK, else one of each), in name order.
  static constexpr const char* kWebFontDir = "/fonts";
  std::vector<FaceFile> FindInstalled(const std::string&, int) {
    std::vector<FaceFile> out;
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(kWebFontDir, ec)) {
      if (entry.is_regular_file(ec)) files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    FaceFile both, cjk, latin;
    for (const std::string& file : files) {
      FT_Face face;
      if (!ft_ || FT_New_Face(ft_, file.c_str(), 0, &face) != 0) continue;
      bool scalable = FT_IS_SCALABLE(face);
      bool hasLatin = FT_Get_Char_Index(face, 'A') != 0 && FT_Get_Char_Index(face, 'a') != 0;
      bool hasCjk = FT_Get_Char_Index(face, kCjkProbe) != 0;
      FT_Done_Face(face);
      if (!scalable) continue;
      FaceFile ff{file, 0};
      if (hasLatin && hasCjk && both.path.empty()) both = ff;
      if (hasCjk && cjk.path.empty()) cjk = ff;
      if (hasLatin && latin.path.empty()) latin = ff;
    }
    if (!both.path.empty()) out.push_back(both);
    if (!latin.path.empty() && both.path.empty()) out.push_back(latin);
    if (!cjk.path.empty() && cjk.path != both.path) out.push_back(cjk);
    return out;
  }
#else
  std::vector<FaceFile> FindInstalled(const std::string& family, int weight) {
    std::vector<FaceFile> out;
    if (!FcInit()) return out;
    fontconfigUsed_ = true;
    PatternPtr owner(FcPatternCreate());
    FcPattern* pat = owner.get();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcPatternAddInteger(pat, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result;
    FontSetPtr set(FcFontSort(nullptr, pat, FcFalse, nullptr, &result));
    FaceFile both, cjk, latin;
    if (set) {
      for (int i = 0; i < set->nfont; ++i) {
        FcPattern* f = set->fonts[i];
        FcChar8* file = nullptr;
        int index = 0;
        FcCharSet* cs = nullptr;
        FcBool scalable = FcFalse;
        if (FcPatternGetString(f, FC_FILE, 0, &file) != FcResultMatch) continue;
        FcPatternGetInteger(f, FC_INDEX, 0, &index);
        FcPatternGetBool(f, FC_SCALABLE, 0, &scalable);
        if (!scalable) continue;
        if (FcPatternGetCharSet(f, FC_CHARSET, 0, &cs) != FcResultMatch) continue;
        bool hasLatin = FcCharSetHasChar(cs, 'A') && FcCharSetHasChar(cs, 'a');
        bool hasCjk = FcCharSetHasChar(cs, kCjkProbe);
        FaceFile ff{reinterpret_cast<const char*>(file), index};
        if (hasLatin && hasCjk && both.path.empty()) both = ff;
        if (hasCjk && cjk.path.empty()) cjk = ff;
        if (hasLatin && latin.path.empty()) latin = ff;
      }
    }
    if (!both.path.empty()) out.push_back(both);
    if (!latin.path.empty() && both.path.empty()) out.push_back(latin);
    if (!cjk.path.empty() && cjk.path != both.path) out.push_back(cjk);
    return out;
  }
#endif  // __EMSCRIPTEN__
#endif  // _WIN32

  FT_Library ft_ = nullptr;
  int generation_ = 0;
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
  bool fontconfigUsed_ = false;
#endif
  std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> registered_;  // path, family
  std::map<std::pair<std::string, bool>, std::vector<FaceFile>> resolved_;
};

struct SizedFace {
  FacePtr face;
  bool embolden = false;
  int baselineShift = 0;  // pixels to move this face's glyphs down to the primary baseline
};

}  // namespace

class FontImpl {
 public:
  std::string faceName;
  std::string filePath;
  TextMetrics metrics;
  std::vector<SizedFace> faces;
  mutable std::unordered_map<char32_t, Glyph> glyphs;  // never erased: runs point into it
  // Laid-out texts; emptied when full, which costs only a new layout of what is drawn next.
  mutable std::unordered_map<std::string, TextRun> runs;

  const Glyph& Render(char32_t cp) const {
    auto it = glyphs.find(cp);
    if (it != glyphs.end()) return it->second;
    Glyph g;
    bool done = false;
    if (cp < 0x20) {  // controls: nothing
      g.coverage.assign(Glyph::kCoverageSlack, 0);
      return glyphs.emplace(cp, std::move(g)).first->second;
    }
    for (const SizedFace& sf : faces) {
      FT_UInt index = FT_Get_Char_Index(sf.face.get(), cp);
      if (index == 0) continue;
      if (FT_Load_Glyph(sf.face.get(), index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0)
        continue;
      FT_GlyphSlot slot = sf.face->glyph;
      if (sf.embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE)
        FT_Outline_Embolden(&slot->outline, sf.face->size->metrics.x_ppem * 2);
      if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) continue;
      const FT_Bitmap& bm = slot->bitmap;
      g.width = static_cast<int>(bm.width);
      g.height = static_cast<int>(bm.rows);
      g.left = slot->bitmap_left;
      g.top = slot->bitmap_top - sf.baselineShift;
      g.advance = static_cast<int>((slot->advance.x + 32) >> 6) + (sf.embolden ? 1 : 0);
      g.coverage.resize(static_cast<size_t>(g.width) * g.height);
      for (int y = 0; y < g.height; ++y) {
        const unsigned char* row =
            bm.buffer + static_cast<ptrdiff_t>(y) * (bm.pitch < 0 ? -bm.pitch : bm.pitch);
        std::copy_n(row, g.width, g.coverage.begin() + static_cast<size_t>(y) * g.width);
      }
      done = true;
      break;
    }
    if (!done && cp != U' ' && cp != U'\t') {
      // A hollow box for characters no face holds.
      int h = std::max(2, metrics.tmAscent * 2 / 3), w = std::max(2, metrics.tmHeight / 2 - 2);
      g.width = w;
      g.height = h;
      g.left = 1;
      g.top = h;
      g.advance = w + 2;
      g.coverage.assign(static_cast<size_t>(w) * h, 0);
      for (int x = 0; x < w; ++x)
        g.coverage[x] = g.coverage[static_cast<size_t>(h - 1) * w + x] = 255;
      for (int y = 0; y < h; ++y)
        g.coverage[static_cast<size_t>(y) * w] = g.coverage[static_cast<size_t>(y) * w + w - 1] =
            255;
    } else if (!done) {
      g.advance = std::max(1, metrics.tmAveCharWidth / 2);
    }
    g.coverage.append(Glyph::kCoverageSlack, 0);
    return glyphs.emplace(cp, std::move(g)).first->second;
  }
};

namespace {

// Vertical metrics as GDI takes them: the Windows ascent and descent of the OS/2 table (the
// hhea values without it), in font units.
void FaceExtent(FT_Face face, int* ascent, int* descent, int* lineGap) {
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    *ascent = os2->usWinAscent;
    *descent = os2->usWinDescent;
  } else {
    *ascent = face->ascender;
    *descent = -face->descender;
  }
  *lineGap = 0;
  if (hhea) {
    int hheaHeight = hhea->Ascender - hhea->Descender + hhea->Line_Gap;
    *lineGap = std::max(0, hheaHeight - (*ascent + *descent));
  }
  if (*ascent + *descent <= 0) {
    *ascent = face->units_per_EM * 4 / 5;
    *descent = face->units_per_EM / 5;
  }
}

// Sizes a face so that its cell (ascent + descent) is cellHeight pixels.
bool SizeFace(FT_Face face, int cellHeight, double* ppem) {
  int a, d, gap;
  FaceExtent(face, &a, &d, &gap);
  *ppem = static_cast<double>(cellHeight) * face->units_per_EM / (a + d);
  FT_Size_RequestRec req{};
  req.type = FT_SIZE_REQUEST_TYPE_NOMINAL;
  req.height = static_cast<FT_Long>(std::lround(*ppem * 64));
  req.width = 0;
  return FT_Request_Size(face, &req) == 0;
}

struct CacheKey {
  std::string face;
  int height, weight, generation;
  bool operator<(const CacheKey& o) const {
    return std::tie(face, height, weight, generation) <
           std::tie(o.face, o.height, o.weight, o.generation);
  }
};

}  // namespace

Font::Font(std::unique_ptr<FontImpl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;

std::shared_ptr<Font> Font::Create(const std::string& faceName, int height, int weight) {
  Library& lib = Library::Get();
  std::lock_guard<std::mutex> lock(lib.Mutex());
  // Fonts are few (a handful of sizes) and costly to open, so they are kept for the run.
  static std::map<CacheKey, std::shared_ptr<Font>> cache;
  CacheKey key{faceName, height, weight, lib.Generation()};
  if (auto it = cache.find(key); it != cache.end()) return it->second;

  auto impl = std::make_unique<FontImpl>();
  impl->faceName = faceName;
  TextMetrics& m = impl->metrics;
  m.tmWeight = weight;
  if (height == 0) height = 16;
  height = std::clamp(height, -1024, 1024);  // glyph bitmaps stay a sane size

  std::vector<FaceFile> files = lib.ft() ? lib.Resolve(faceName, weight) : std::vector<FaceFile>{};
  int cellHeight = height > 0 ? height : 0;
  int primaryAscent = 0;
  for (const FaceFile& ff : files) {
    FacePtr owner = OpenFace(lib.ft(), ff.path, ff.index);
    if (!owner || !FT_IS_SCALABLE(owner)) continue;
    FT_Face face = owner.get();
    int a, d, gap;
    FaceExtent(face, &a, &d, &gap);
    if (cellHeight == 0)  // a negative height asks for the em size
      cellHeight = static_cast<int>(
          std::lround(static_cast<double>(-height) * (a + d) / face->units_per_EM));
    double ppem;
    if (!SizeFace(face, cellHeight, &ppem)) continue;
    SizedFace sf;
    sf.face = std::move(owner);
    sf.embolden = weight >= 600 && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    double scale = static_cast<double>(cellHeight) / (a + d);
    int ascent = static_cast<int>(std::lround(a * scale));
    if (impl->faces.empty()) {
      primaryAscent = ascent;
      impl->filePath = ff.path;
      m.tmHeight = cellHeight;
      m.tmAscent = ascent;
      m.tmDescent = cellHeight - ascent;
      m.tmInternalLeading = std::max(0, cellHeight - static_cast<int>(std::lround(ppem)));
      m.tmExternalLeading = static_cast<int>(std::lround(gap * scale));
      m.tmMaxCharWidth =
          static_cast<int>(std::lround(face->max_advance_width * ppem / face->units_per_EM));
    } else {
      sf.baselineShift = ascent - primaryAscent;
    }
    impl->faces.push_back(std::move(sf));
  }
  if (impl->faces.empty()) {
    // No usable face at all: boxes of the asked size.
    if (cellHeight == 0) cellHeight = -height;
    m.tmHeight = cellHeight;
    m.tmAscent = cellHeight * 4 / 5;
    m.tmDescent = cellHeight - m.tmAscent;
    m.tmAveCharWidth = std::max(1, cellHeight / 2);
    m.tmMaxCharWidth = cellHeight;
  }
  std::shared_ptr<Font> font(new Font(std::move(impl)));
  if (!font->impl_->faces.empty()) {
    // The average width of the lower-case letters stands in for the OS/2 average, which CJK
    // faces inflate with their square characters.
    int sum = 0;
    for (char32_t c = U'a'; c <= U'z'; ++c) sum += font->impl_->Render(c).advance;
    font->impl_->metrics.tmAveCharWidth = std::max(1, (sum + 13) / 26);
  }
  cache[key] = font;
  return font;
}

const TextMetrics& Font::Metrics() const { return impl_->metrics; }
const Glyph& Font::GlyphFor(char32_t codePoint) const { return impl_->Render(codePoint); }
const std::string& Font::FaceName() const { return impl_->faceName; }
const std::string& Font::FilePath() const { return impl_->filePath; }

int Font::TextWidth(std::string_view gbk, int extra) const {
  // Measuring keeps nothing: word wrapping measures every prefix of a line.
  if (auto it = impl_->runs.find(std::string(gbk)); it != impl_->runs.end())
    return it->second.advance + static_cast<int>(it->second.glyphs.size()) * extra;
  int w = 0;
  for (char32_t c : GbkToUnicode(gbk)) w += GlyphFor(c).advance + extra;
  return w;
}

const TextRun& Font::Layout(std::string_view gbk) const {
  auto& runs = impl_->runs;
  // The key is built once per look-up; texts are short, and a miss needs it anyway.
  std::string key(gbk);
  if (auto it = runs.find(key); it != runs.end()) return it->second;
  if (runs.size() >= kKeptRuns) runs.clear();
  TextRun run;
  for (char32_t c : GbkToUnicode(gbk)) {
    const Glyph& g = GlyphFor(c);
    run.glyphs.push_back(&g);
    run.advance += g.advance;
  }
  return runs.emplace(std::move(key), std::move(run)).first->second;
}

namespace Fonts {
bool AddFontResource(const std::string& path) {
  Library& lib = Library::Get();
  std::lock_guard<std::mutex> lock(lib.Mutex());
  return lib.Add(NativePath(path));
}
bool RemoveFontResource(const std::string& path) {
  Library& lib = Library::Get();
  std::lock_guard<std::mutex> lock(lib.Mutex());
  return lib.Remove(NativePath(path));
}
}  // namespace Fonts

}  // namespace isora
