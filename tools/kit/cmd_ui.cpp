// isora-kit ui preview INI [--pkg PKG] [--data DIR] OUT.bmp
#include <cstdio>
#include <filesystem>
#include <string>

#include "foundation/file_io.h"
#include "foundation/ini_file.h"
#include "items/item_database.h"
#include "items/skill_database.h"
#include "kit/kit.h"
#include "lib/bmp_writer.h"
#include "lib/panel_preview.h"
#include "media/renderer.h"

namespace isora::kit {
namespace {

constexpr const char* kUsage =
    "usage: isora-kit ui preview INI [--pkg PKG] [--data DIR] OUT.bmp\n"
    "Renders a panel INI (menu, main menu, dialog, save panel, player panel, bag panel,\n"
    "tutorial panel) into a 640x480 24-bit BMP without a window. INI is a member of PKG when\n"
    "--pkg is given, else a plain file. DIR is the game folder: its game.ini names the image\n"
    "packs (and the INI package when --pkg is not given) and data\\items.itm, data\\skill.skl\n"
    "fill the bag and player panels.\n";

BmpImage ToImage(const Surface& s) {
  BmpImage img = BmpImage::Filled(s.Width(), s.Height(), 0);
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      Rgb8 c = UnpackPixel(s.Format(), s.At(x, y));
      img.Set(x, y, (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b);
    }
  }
  return img;
}

int Preview(const std::vector<std::string>& args) {
  std::string ini, pkg, data, out;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--pkg" && i + 1 < args.size()) {
      pkg = args[++i];
    } else if (args[i] == "--data" && i + 1 < args.size()) {
      data = args[++i];
    } else if (ini.empty()) {
      ini = args[i];
    } else if (out.empty()) {
      out = args[i];
    } else {
      return Fail("ui preview takes INI and OUT.bmp");
    }
  }
  if (ini.empty() || out.empty()) return Fail("ui preview needs INI and OUT.bmp");
  namespace fs = std::filesystem;
  // Paths given on the command line stay relative to where the kit was started.
  out = fs::absolute(out).string();
  if (!pkg.empty()) pkg = fs::absolute(pkg).string();
  if (pkg.empty() && fs::exists(ini)) ini = fs::absolute(ini).string();
  if (!data.empty()) {
    std::error_code ec;
    if (!fs::is_directory(data, ec)) return Fail("cannot enter " + data + ": not a folder");
    SetGameFolder(data);  // game paths in the INI files resolve against it
  }

  Renderer renderer;
  if (!renderer.Init()) return Fail("cannot create the surfaces");
  IniFile game;
  game.LoadFile("game.ini");
  if (!game.IsFailed()) {
    std::string iniPkg = game.GetString("MDfile", "ini");
    if (pkg.empty() && !iniPkg.empty()) pkg = iniPkg;
    IniFile packaged;
    const IniFile* source = &game;
    if (!iniPkg.empty() && packaged.Load("game.ini", iniPkg)) source = &packaged;
    const char* keys[] = {"role", "ui", "face", "items", "skill", "tiles"};
    for (int i = 0; i < kPackCount; ++i)
      renderer.SetPackPath(i, source->GetString("MDfile", keys[i]));
  }
  ItemDatabase items;
  SkillDatabase skills;
  bool haveItems = items.Load("data\\items.itm");
  bool haveSkills = skills.Load("data\\skill.skl");

  PanelKind kind = PanelKind::Unknown;
  std::string error;
  if (!RenderPanelPreview(renderer, ini, pkg, haveItems ? &items : nullptr,
                          haveSkills ? &skills : nullptr, &kind, &error)) {
    return Fail(error);
  }
  if (!WriteOutput(out, WriteBmp24(ToImage(*renderer.GetSurface(kSurfaceBackBuffer))), &error)) {
    return Fail(error);
  }
  std::printf("%s: %s -> %s\n", ini.c_str(), PanelKindName(kind), out.c_str());
  return 0;
}

int RunUi(const std::vector<std::string>& args) {
  if (args.empty() || WantsHelp(args)) {
    std::fputs(kUsage, stdout);
    return args.empty() ? 1 : 0;
  }
  if (args[0] == "preview") return Preview(args);
  return Fail("unknown ui command '" + args[0] + "'\n" + kUsage);
}

}  // namespace

ISORA_KIT_COMMAND("ui", "render panel INI files headless (preview)", RunUi);

}  // namespace isora::kit
