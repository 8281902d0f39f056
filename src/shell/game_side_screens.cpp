// Side screens: credits, the game-over result, help, the boss key, the death screen,
// screenshots, rain and the tutorial panel.
#include <filesystem>

#include "foundation/enhancements.h"
#include "foundation/file_io.h"
#include "foundation/ini_file.h"
#include "foundation/win_format.h"
#include "media/jpeg_writer.h"
#include "media/platform.h"
#include "shell/game.h"
#include "shell/game_ui.h"
#include "shell/screen_drawing.h"

namespace isora {

namespace {

std::string BackslashesToLines(std::string text) {
  for (char& c : text) {
    if (c == '\\') c = '\n';
  }
  return text;
}

}  // namespace

bool SideScreens::ShowCredits() {
  IniFile ini;
  if (!ini.Load("credit.ini", game_.iniPackage_.c_str())) return false;
  std::string pic = ini.GetString("credit", "pic");
  game_.musicState_.SetScreenFile(MusicScreen::kCredits,
                                  ini.GetString("credit", "music").substr(0, 29));
  game_.musicState_.Cue(MusicScreen::kCredits);
  std::string content = BackslashesToLines(ini.GetString("credit", "content"));
  int lines = ini.GetInt("credit", "contentLines");
  DrawPicturePath(game_.renderer_, pic, kSurfaceGround, 0, 0);
  if (game_.renderer_.GetSurface(kSurfaceGround)) {
    DeviceContext dc = game_.renderer_.GetDC(kSurfaceGround);
    if (!dc.CurrentFont()) dc.SelectFont(game_.renderer_.TextFont());
    TextMetrics tm = dc.GetTextMetrics();
    int h = tm.tmHeight + tm.tmExternalLeading;
    dc.SetBkMode(kBkTransparent);
    Rect r{0, (kScreenHeight - lines * h) / 2, kScreenWidth, kScreenHeight};
    dc.DrawText(content, &r, kDtWordBreak | kDtVCenter | kDtCenter);
  }
  game_.FadeTo(true, ModeCredits);
  game_.Trace("credit:" + content + "\n");
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

void SideScreens::ShowGameOver() {
  Attributes a = game_.PlayerAttributes();
  int32_t score = GameOverScore(a, game_.killedEnemies_);
  Surface* back = game_.renderer_.GetSurface(kSurfaceBackBuffer);
  Surface* saved = game_.renderer_.GetSurface(kSurfaceTemp);
  Surface* ground = game_.renderer_.GetSurface(kSurfaceGround);
  if (!back || !saved || !ground) return;
  saved->BltFast(0, 0, *back, kScreenRect, kBltNoColorKey);

  IniFile ini;
  if (!ini.Load("game.ini", game_.iniPackage_.c_str())) return;
  std::string endPic = ini.GetString("background", "endpic");
  std::string title = ResultTitle(ini, score);
  std::string site = ini.GetString("result", "site");
  // The result is written over the last play frame wherever the picture does not cover it.
  DrawPicturePath(game_.renderer_, endPic, kSurfaceBackBuffer, 0, 0);

  std::string text = "\n";
  text += WinFormat(game_.texts_.Get(TextId::kResultStats).c_str(), a.level, a.attack, a.defence,
                    a.hitRate, a.maxHp, a.maxMp, game_.killedEnemies_);
  text += "\n\n" + game_.texts_.Get(TextId::kResultScreenshot);
  text += "\n\n" + game_.texts_.Get(TextId::kResultUpload);
  text += "\n\n" + WinFormat(game_.texts_.Get(TextId::kResultThanks).c_str(), site.c_str());
  int n = 0;
  for (char c : text) n += c == '\n';

  DeviceContext dc = game_.renderer_.GetDC(kSurfaceBackBuffer);
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
  dc.TextOut(320, r.top, WinFormat(game_.texts_.Get(TextId::kResultScore).c_str(), score));

  TakeScreenshot();
  game_.musicState_.Cue(MusicScreen::kEnd);
  ground->BltFast(0, 0, *back, kScreenRect, kBltNoColorKey);
  back->BltFast(0, 0, *saved, kScreenRect, kBltNoColorKey);
  lastScore_ = score;
  lastTitle_ = title;
  game_.FadeTo(true, ModeGameOver);
}

void SideScreens::ShowHelp() {
  IniFile ini;
  if (!ini.Load("game.ini", game_.iniPackage_.c_str())) return;
  std::string content = BackslashesToLines(ini.GetString("help", "content"));
  Surface* back = game_.renderer_.GetSurface(kSurfaceBackBuffer);
  Surface* saved = game_.renderer_.GetSurface(kSurfaceTemp);
  if (back && saved) saved->BltFast(0, 0, *back, kScreenRect, kBltNoColorKey);
  game_.ui_->messageDialog.SetTexts({game_.texts_.Get(TextId::kHelpTitle)}, {content});
  game_.mode_ = ModeHelp;
}

void SideScreens::BossKey() {
  // The boss picture is drawn over the saved view that panels show behind themselves, and the
  // way back is kept where a panel keeps its own: both are put back when the boss key is left,
  // so a panel opened before it works as it did.
  if (const Surface* saved = game_.renderer_.GetSurface(kSurfaceTemp)) {
    underBossKey_ = Surface(saved->Width(), saved->Height(), saved->Format());
    underBossKey_.BltFast(0, 0, *saved, saved->Bounds(), kBltNoColorKey);
  }
  targetUnderBossKey_ = game_.fade_.Target();
  DrawPicturePath(game_.renderer_, "ui/bosskey.bmp", kSurfaceTemp, 0, 0);
  game_.fade_.SetTarget(game_.mode_);
  game_.mode_ = ModeBossKey;
  game_.Trace("boss screen start!\n");
}

void SideScreens::LeaveBossKey() {
  game_.mode_ = game_.fade_.Target();
  game_.fade_.SetTarget(targetUnderBossKey_);
  Surface* saved = game_.renderer_.GetSurface(kSurfaceTemp);
  if (saved && underBossKey_.Width() == saved->Width() && underBossKey_.Height() == saved->Height())
    saved->BltFast(0, 0, underBossKey_, underBossKey_.Bounds(), kBltNoColorKey);
}

std::string ScreenshotName(const SystemTime& t) {
  return WinFormat("%d%d%d%d%d%d%d.jpg", t.year, t.month, t.day, t.hour, t.minute, t.second,
                   t.millisecond);
}

bool SideScreens::TakeScreenshot() {
  if (game_.renderer_.Format() != PixelFormat::Rgb565) return false;
  Surface* back = game_.renderer_.GetSurface(kSurfaceBackBuffer);
  if (!back) return false;
  const std::string name = "screenshot/" + ScreenshotName(game_.platform_.LocalTime());
  const std::string path = game_.workingDir_ + "/" + name;
  game_.Trace("7\n");
  std::vector<uint8_t> jpeg;
  if (!EncodeScreenshot(*back, 75, &jpeg)) return false;
  // The player pressed the key and expects a picture: a missing folder is made. One that is a
  // link is not followed.
  std::string why;
  if (!WriteFileInside(game_.workingDir_, name, jpeg, true, &why)) {
    game_.log_.WriteText("Screenshot failed: cannot write " + path);
    game_.log_.WriteText(why);
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

void SideScreens::DrawTutorial() {
  if (!game_.ui_->tutorialPanel) return;
  // The tutorial's page goes over the message line where the line is placed under panels.
  if (Enhanced().On(Enhancement::kMessageLinePlaced)) game_.DrawMessageLine();
  game_.ui_->tutorialPanel->Draw();
}

bool SideScreens::TutorialClaims() {
  if (!game_.ui_->tutorialPanel) return false;
  return game_.ui_->tutorialPanel->UpdateHoverInside() != 0;
}

bool SideScreens::CursorClaimedByTutorial() const {
  return game_.ui_->tutorialPanel && game_.ui_->tutorialPanel->IsCursorInside();
}

void SideScreens::DeathScreen() {
  game_.ComposeView(kSurfaceTemp);
  game_.renderer_.Grey(kSurfaceTemp, kScreenRect);
  game_.renderer_.Blend50(kSurfaceTemp, Rect{0, 210, kScreenWidth, 270}, false);
  DrawOutlined(game_.renderer_, game_.texts_.Get(TextId::kKilled), 320, 240, kSurfaceTemp,
               {Point{319, 240}, Point{321, 240}, Point{320, 239}, Point{320, 241}}, kWhite,
               0x0000FF);
  if (game_.saves_.AutosaveExists()) {
    DrawOutlined(game_.renderer_, game_.texts_.Get(TextId::kContinueFromAutosave), 320, 258,
                 kSurfaceTemp, {Point{319, 258}, Point{321, 258}, Point{320, 257}, Point{320, 259}},
                 0, kWhite);
  }
  game_.PlaySound("death.wav");
  game_.mode_ = ModeFrozen;
}

void SideScreens::ShowTutorialPanel() {
  game_.ui_->tutorialPanel = std::make_unique<PicturePager>(game_.renderer_, &game_);
  if (!game_.ui_->tutorialPanel->Load("tutorialpanel.ini", game_.iniPackage_.c_str())) {
    game_.log_.WriteText("Load tutorialpanel.ini failed...");
  }
}

}  // namespace isora
