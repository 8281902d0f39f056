#include "lib/game_pictures.h"

#include <algorithm>

#include "foundation/gbk.h"
#include "lib/art_files.h"
#include "lib/demo_art.h"
#include "media/bmp_reader.h"

namespace isora::demo {

std::vector<PictureName> GeneratedPictureNames(const nlohmann::json& art,
                                               const nlohmann::json& skills,
                                               const nlohmann::json& roles) {
  std::vector<PictureName> out;
  for (const auto& p : MakeUiPictures(art)) out.push_back({"ui", p.name});
  for (const auto& p : MakeFacePictures(art)) out.push_back({"face", p.name});
  for (const auto& p : MakeItemPictures(art)) out.push_back({"items", p.name});
  for (const auto& p : MakeSkillPictures(art, skills)) out.push_back({"skill", p.name});
  if (roles.is_object() && roles.contains("sets"))
    for (const auto& set : roles.at("sets")) {
      if (!set.is_object() || !set.contains("states")) continue;
      const nlohmann::json& states = set.at("states");
      const std::string prefix = set.value("prefix", "role");
      const bool player = set.value("player", false);
      for (const auto& [state, count] : states.items())
        for (int d = 1; d <= 8; ++d)
          for (int k = 0; k < count.get<int>(); ++k) {
            const std::string name =
                prefix + "\\" + state + std::to_string(d) + "_" + std::to_string(k) + ".bmp";
            out.push_back({"role", name});
            // The player's frames are also looked up under its image group, the ui pack.
            if (player) out.push_back({"ui", name});
          }
    }
  out.push_back({"tiles", "obj.bmp"});
  return out;
}

std::vector<std::string> TileMembers(const TileTypeNames& t) {
  std::vector<std::string> out;
  const size_t width = t.last / 100 > 0 ? 3 : (t.last / 10 > 0 ? 2 : 1);
  for (int j = 0; j < std::clamp(t.count, 0, 200); ++j) {
    std::string number = std::to_string(t.first + j);
    if (t.pad)
      while (number.size() < width) number.insert(0, 1, '0');
    out.push_back(std::to_string(t.type) + "\\" + t.prefix + number + ".bmp");
  }
  return out;
}

std::vector<TileTypeNames> TileTypesOf(const IniFile& tilesIni) {
  std::vector<TileTypeNames> out;
  const int typeCount = std::clamp(tilesIni.GetInt("typecount", "count"), 0, 255);
  for (int t = 1; t <= typeCount; ++t) {
    const std::string section = std::to_string(t);
    out.push_back({t, tilesIni.GetString(section, Gbk("前缀")),
                   tilesIni.GetInt(section, Gbk("起始数")), tilesIni.GetInt(section, Gbk("末尾数")),
                   tilesIni.GetInt(section, "piccount"),
                   tilesIni.GetString(section, Gbk("补位")) == "true"});
  }
  return out;
}

bool ArtFileMember(const std::string& rel, PictureName& out) {
  if (!rel.starts_with("art/")) return false;
  const size_t slash = rel.find('/', 4);
  const size_t dot = rel.rfind('.');
  if (slash == std::string::npos || dot == std::string::npos || dot < slash) return false;
  out.word = rel.substr(4, slash - 4);
  if (std::find(std::begin(kArtWords), std::end(kArtWords), out.word) == std::end(kArtWords))
    return false;
  out.member = rel.substr(slash + 1, dot - slash - 1) + ".bmp";
  std::replace(out.member.begin(), out.member.end(), '/', '\\');
  return true;
}

bool DecodeBmpImage(const std::vector<uint8_t>& bytes, BmpImage& out) {
  std::vector<uint32_t> argb;
  if (!DecodeBmpArgb(bytes, &argb, &out.width, &out.height)) return false;
  out.pixels.resize(argb.size());
  for (size_t i = 0; i < argb.size(); ++i) out.pixels[i] = argb[i] & 0xFFFFFF;
  return true;
}

}  // namespace isora::demo
