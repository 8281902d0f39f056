// Shared set-up for the interface tests: a renderer with image packs built from pictures made
// in the test, INI files written to a temporary folder, and a host that records what panels ask.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "lib/bmp_writer.h"
#include "lib/package_writer.h"
#include "media/renderer.h"
#include "support/temp_dir.h"
#include "ui/picture_path.h"
#include "ui/ui_host.h"

namespace isora::test {

class RecordingUiHost : public UiHost {
 public:
  Point CursorPos() const override { return cursor; }
  void PlaySound(const std::string& path) override { sounds.push_back(path); }
  bool PlayHoverSound() override {
    if (hoverLoaded) ++hoverPlays;
    return hoverLoaded;
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void Beep() override { ++beeps; }

  Point cursor{-1, -1};
  bool hoverLoaded = true;
  int hoverPlays = 0;
  int beeps = 0;
  std::vector<std::string> sounds;
  std::vector<std::string> messages;
};

class UiTest : public TempDirTest {
 protected:
  void SetUp() override { ASSERT_TRUE(renderer.Init()); }

  // Queues a solid picture (0x00RRGGBB) for a pack folder ("ui", "items", ...).
  void AddPicture(const std::string& path, int w, int h, uint32_t rgb) {
    AddPicture(path, BmpImage::Filled(w, h, rgb));
  }
  void AddPicture(const std::string& path, const BmpImage& image) {
    auto p = SplitPicturePath(path);
    ASSERT_TRUE(p.has_value()) << path;
    ASSERT_TRUE(packs_[p->pack].AddFile(p->name, WriteBmp24(image), false)) << path;
    dirty_[p->pack] = true;
  }
  // Writes every queued pack to "<index>.pkg" and hands the paths to the renderer.
  void BuildPacks() {
    for (auto& [pack, writer] : packs_) {
      if (!dirty_[pack]) continue;
      std::string file = "pack" + std::to_string(pack) + "_" + std::to_string(++builds_) + ".pkg";
      WriteFile(file, writer.Build());
      renderer.SetPackPath(pack, file);
      dirty_[pack] = false;
    }
  }
  static void WriteIni(const std::string& name, const std::string& text) { WriteFile(name, text); }

  Surface& Back() { return *renderer.GetSurface(kSurfaceBackBuffer); }
  uint16_t Px(uint32_t rgb) const {
    return PackPixel(renderer.Format(), (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  }

  Renderer renderer;
  RecordingUiHost host;

 private:
  std::map<int, PackageWriter> packs_;
  std::map<int, bool> dirty_;
  int builds_ = 0;
};

}  // namespace isora::test
