#include "ui/talk_dialog.h"

#include "media/font.h"
#include "media/renderer.h"
#include "ui/talk_page.h"
#include "ui/ui_host.h"

namespace isora {

QuestionDialog::QuestionDialog(Renderer& renderer, UiHost* host)
    : font(Font::Create("Segoe UI", 20, 400)), renderer_(renderer), host_(host) {}

QuestionDialog::~QuestionDialog() = default;

void QuestionDialog::ShowTalk(int cameraX, int cameraY, const std::string& speaker,
                              const std::string& text, const std::string& face) {
  TalkPage::Draw(renderer_, font, cameraX, cameraY, speaker, text, face);
  yes.reset();
  no.reset();
}

void QuestionDialog::ShowQuestion(int cameraX, int cameraY, const std::string& speaker,
                                  const std::string& text, const std::string& face) {
  TalkPage::Draw(renderer_, font, cameraX, cameraY, speaker, text, face);
  yes.emplace(renderer_, "Yes", 184, 274, kButtonText, true);
  no.emplace(renderer_, "No", 391, 274, kButtonText, true);
}

void QuestionDialog::UpdateHover() {
  Point p = host_ ? host_->CursorPos() : Point{-1, -1};
  if (yes) yes->UpdateHover(p.x, p.y);
  if (no) no->UpdateHover(p.x, p.y);
}

void QuestionDialog::Draw() {
  if (!yes || !no) return;
  yes->Draw(renderer_, host_);
  no->Draw(renderer_, host_);
}

int QuestionDialog::OnClick() {
  if (!yes || !no) return kAnswerNoButtons;
  Point p = host_ ? host_->CursorPos() : Point{-1, -1};
  int result = kAnswerMissed;
  if (yes->HitTest(p.x, p.y)) result = kAnswerYes;
  if (no->HitTest(p.x, p.y)) result = kAnswerNo;
  if (result != kAnswerMissed) answer = result;
  return result;
}

}  // namespace isora
