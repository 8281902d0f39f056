#include "lib/art_files.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "foundation/file_io.h"
#include "lib/demo_raster.h"
#include "media/bmp_reader.h"

namespace isora::demo {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// "word/path/name" without the extension, lower case: how a picture and its file meet.
std::string Key(const std::string& word, std::string member) {
  std::replace(member.begin(), member.end(), '\\', '/');
  const size_t dot = member.rfind('.');
  if (dot != std::string::npos && member.find('/', dot) == std::string::npos) member.resize(dot);
  return Lower(word + "/" + member);
}

constexpr size_t kMaxArtFile = size_t{64} << 20;

}  // namespace

bool DecodePng(std::span<const uint8_t> bytes, BmpImage& out, std::string* error, int keyAlpha) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    if (error) *error = std::string("not a readable PNG: ") + image.message;
    return false;
  }
  // Pictures larger than the biggest sheet the game packs are a mistake, not art.
  if (image.width == 0 || image.height == 0 || image.width > 4096 || image.height > 4096) {
    if (error)
      *error = "a PNG of " + std::to_string(image.width) + "x" + std::to_string(image.height) +
               " pixels; pictures are at most 4096x4096";
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
    if (error) *error = std::string("damaged PNG: ") + image.message;
    png_image_free(&image);
    return false;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.pixels.resize(static_cast<size_t>(out.width) * out.height);
  for (size_t i = 0; i < out.pixels.size(); ++i) {
    const uint8_t* p = &rgba[i * 4];
    out.pixels[i] = p[3] < keyAlpha ? kKey : (uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]);
  }
  return true;
}

std::vector<uint8_t> EncodePngArgb(int width, int height, const std::vector<uint32_t>& argb) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba;
  for (uint32_t p : argb)
    rgba.insert(rgba.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                             static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 24)});
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr)) return {};
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr)) return {};
  out.resize(size);
  return out;
}

void ArtOverrides::Load(const std::string& sourceDir) {
  sourceDir_ = sourceDir;
  files_.clear();
  used_.clear();
  std::error_code ec;
  for (const char* word : kArtWords) {
    const fs::path root = fs::path(sourceDir) / "art" / word;
    if (!fs::is_directory(root, ec)) continue;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (!it->is_regular_file()) continue;
      const std::string ext = Lower(it->path().extension().string());
      if (ext != ".bmp" && ext != ".png") continue;
      const std::string member = fs::relative(it->path(), root, ec).generic_string();
      files_[Key(word, member) + ext] = (fs::path("art") / word / member).generic_string();
    }
  }
}

bool ArtOverrides::Find(const std::string& word, const std::string& member,
                        std::optional<std::vector<uint8_t>>& out, std::string* error) {
  out.reset();
  const std::string key = Key(word, member);
  for (const char* ext : {".bmp", ".png"}) {
    auto it = files_.find(key + ext);
    if (it == files_.end()) continue;
    used_.insert(it->first);
    const std::string& rel = it->second;
    auto bytes = ReadFileBytes((fs::path(sourceDir_) / rel).string(), kMaxArtFile);
    if (!bytes) {
      if (error) *error = "cannot read " + rel;
      return false;
    }
    std::string why;
    if (std::string(ext) == ".bmp") {
      BmpInfo info;
      if (!ParseBmp(*bytes, &info, &why)) {
        if (error) *error = rel + ": " + why;
        return false;
      }
      out = std::move(*bytes);
    } else {
      BmpImage image;
      if (!DecodePng(*bytes, image, &why, keyAlpha_)) {
        if (error) *error = rel + ": " + why;
        return false;
      }
      out = WriteBmp24(image);
    }
    return true;
  }
  return true;
}

std::vector<std::string> ArtOverrides::Unused() const {
  std::vector<std::string> out;
  for (const auto& [key, rel] : files_)
    if (!used_.count(key)) out.push_back(rel);
  return out;
}

}  // namespace isora::demo
