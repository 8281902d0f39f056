// Side screens: credits, the game-over result, help, the boss key, screenshots, rain and the
// tutorial panel.
#include <filesystem>

#include "foundation/file_io.h"
#include "foundation/ini_file.h"
#include "foundation/win_format.h"
#include "media/jpeg_writer.h"
#include "media/platform.h"
#include "shell/game.h"

namespace isora {

namespace {

std::string BackslashesToLines(std::string text) {
  for (char& c : text) {
    if (c == '\\') c = '\n';
  }
  return text;
}

}  // namespace

bool CGame::ShowCredits() {
  IniFile ini;
  if (!ini.Load("credit.ini", iniPackage_.c_str())) return false;
  std::string pic = ini.GetString("credit", "pic");
  musicState_.SetScreenFile(MusicScreen::kCredits, ini.GetString("credit", "music").substr(0, 29));
  musicState_.Cue(MusicScreen::kCredits);
  std::string content = BackslashesToLines(ini.GetString("credit", "content"));
  int lines = ini.GetInt("credit", "contentLines");
  DrawPicturePath(pic, kSurfaceGround, 0, 0);
  if (renderer_.GetSurface(kSurfaceGround)) {
    DeviceContext dc = renderer_.GetDC(kSurfaceGround);
    if (!dc.CurrentFont()) dc.SelectFont(renderer_.TextFont());
    TextMetrics tm = dc.GetTextMetrics();
    int h = tm.tmHeight + tm.tmExternalLeading;
    dc.SetBkMode(kBkTransparent);
    Rect r{0, (kScreenHeight - lines * h) / 2, kScreenWidth, kScreenHeight};
    dc.DrawText(content, &r, kDtWordBreak | kDtVCenter | kDtCenter);
  }
  FadeTo(true, ModeCredits);
  Trace("credit:" + content + "\n");
  return true;
}

int32_t GameOverScore(const Attributes& a, int32_t killed) {
  int64_t score = int64_t{a.money} + int64_t{killed} * 10 + int64_t{a.level} * 100;
  return SatAdd(0, score);
}

std::string ResultTitle(const IniFile& ini, int32_t score) {
  int count = ini.GetInt("result", "count");
  for (int n = count; n >= 1; --n) {
    std::string i = std::to_string(n);
    int upper = ini.GetInt("result", ("upper" + i).c_str());
    int lower = ini.GetInt("result", ("lower" + i).c_str());
    if (upper >= score && score >= lower) return ini.GetString("result", ("name" + i).c_str());
  }
  return {};
}

void CGame::ShowGameOver() {
  Attributes a = PlayerAttributes();
  int32_t score = GameOverScore(a, killedEnemies_);
  Surface* back = renderer_.GetSurface(kSurfaceBackBuffer);
  Surface* saved = renderer_.GetSurface(kSurfaceTemp);
  Surface* ground = renderer_.GetSurface(kSurfaceGround);
  if (!back || !saved || !ground) return;
  saved->BltFast(0, 0, *back, kScreenRect, kBltNoColorKey);

  IniFile ini;
  if (!ini.Load("game.ini", iniPackage_.c_str())) return;
  std::string endPic = ini.GetString("background", "endpic");
  std::string title = ResultTitle(ini, score);
  std::string site = ini.GetString("result", "site");
  // Without a picture the result is shown on black rather than over the last play frame.
  back->Fill(0);
  DrawPicturePath(endPic, kSurfaceBackBuffer, 0, 0);

  std::string text = WinFormat(
      "\nLevel: %d    Attack: %d    Defence: %d\nHit rate: %d    HP: %d    MP: %d    Killed "
      "enemy: %d",
      a.level, a.attack, a.defence, a.hitRate, a.maxHp, a.maxMp, killedEnemies_);
  text += "\n\nYour game result picture has been saved in the \"screenshot\" folder.";
  text +=
      "\n\nPlease upload it to the official website of Tarnlow Team to share with global "
      "players.";
  text += "\n\nThank you for playing this game. Welcome to visit " + site;
  int n = 0;
  for (char c : text) n += c == '\n';

  DeviceContext dc = renderer_.GetDC(kSurfaceBackBuffer);
  std::shared_ptr<Font> font20 = Font::Create("Segoe UI", 20);
  dc.SelectFont(font20);
  TextMetrics tm = dc.GetTextMetrics();
  const int lineHeight = tm.tmHeight + tm.tmExternalLeading;
  Rect r{0, (kScreenHeight - n * lineHeight) / 2, kScreenWidth, kScreenHeight};
  dc.SetBkMode(kBkTransparent);
  Rect textRect = r;
  dc.DrawText(text, &textRect, kDtWordBreak | kDtCenter);

  dc.SelectFont(Font::Create("Segoe UI", 48));
  dc.SetTextAlign(kTaCenter);
  if (!title.empty()) {
    dc.SetTextColor(0x000000);
    dc.TextOut(322, r.top / 2 + 2, title);
    dc.SetTextColor(0x0000FF);
    dc.TextOut(320, r.top / 2, title);
  }
  dc.SelectFont(font20);
  dc.SetTextColor(0xFF0000);
  dc.TextOut(320, r.top, WinFormat("My Score: %d", score));

  TakeScreenshot();
  musicState_.Cue(MusicScreen::kEnd);
  ground->BltFast(0, 0, *back, kScreenRect, kBltNoColorKey);
  back->BltFast(0, 0, *saved, kScreenRect, kBltNoColorKey);
  lastScore_ = score;
  lastTitle_ = title;
  FadeTo(true, ModeGameOver);
}

void CGame::ShowHelp() {
  IniFile ini;
  if (!ini.Load("game.ini", iniPackage_.c_str())) return;
  std::string content = BackslashesToLines(ini.GetString("help", "content"));
  Surface* back = renderer_.GetSurface(kSurfaceBackBuffer);
  Surface* saved = renderer_.GetSurface(kSurfaceTemp);
  if (back && saved) saved->BltFast(0, 0, *back, kScreenRect, kBltNoColorKey);
  SetMessageDialog("<3Help/>", {content});
  mode_ = ModeHelp;
}

void CGame::BossKey() {
  DrawPicturePath("ui/bosskey.bmp", kSurfaceTemp, 0, 0);
  fade_.SetTarget(mode_);
  mode_ = ModeBossKey;
  Trace("boss screen start!\n");
}

std::string ScreenshotName(const SystemTime& t) {
  return WinFormat("%d%d%d%d%d%d%d.jpg", t.year, t.month, t.day, t.hour, t.minute, t.second,
                   t.millisecond);
}

bool CGame::TakeScreenshot() {
  if (renderer_.Format() != PixelFormat::Rgb565) return false;
  Surface* back = renderer_.GetSurface(kSurfaceBackBuffer);
  if (!back) return false;
  std::string folder = workingDir_ + "/screenshot";
  std::string path = folder + "/" + ScreenshotName(platform_.LocalTime());
  std::vector<uint8_t> bgr = ScreenshotPixels(*back);
  Trace("7\n");
  // The player pressed the key and expects a picture: a missing folder is made.
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!WriteJpeg(path, back->Width(), back->Height(), bgr, 75)) {
    log_.WriteText("Screenshot failed: cannot write " + path);
    return false;
  }
  lastScreenshot_ = path;
  return true;
}

void CGame::StartRain() {
  if (!rain_.Start()) return;
  Trace(WinFormat("start to rain:rain num=%d\n", rain_.Count()));
}

void CGame::DrawRain(int surface) {
  if (!rain_.Falling() || !renderer_.GetSurface(surface)) return;
  DeviceContext dc = renderer_.GetDC(surface);
  const Pen white = Pen::Solid(0xFFFFFF);
  const Pen grey = Pen::Solid(0xC8C8C8);
  for (const RainStreak& s : rain_.Fall()) {
    dc.SelectPen(s.grey ? grey : white);
    dc.MoveTo(s.x1, s.y1);
    dc.LineTo(s.x2, s.y2);
  }
}

}  // namespace isora
