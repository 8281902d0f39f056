// The talk and question dialog: a talk page on the temp surface and, for a question, the two
// text buttons "Yes" and "No" under it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ui/button.h"

namespace isora {

class Font;
class Renderer;
class UiHost;

// OnClick answers.
enum TalkAnswer : int { kAnswerNo = 0, kAnswerYes = 1, kAnswerNoButtons = 2, kAnswerMissed = 3 };

class QuestionDialog {
 public:
  QuestionDialog(Renderer& renderer, UiHost* host);
  ~QuestionDialog();

  // A plain talk page: no buttons (an earlier question's are dropped), so any click closes it.
  void ShowTalk(int cameraX, int cameraY, const std::string& speaker, const std::string& text,
                const std::string& face);
  // The talk page and the two buttons (replacing those of an earlier question).
  void ShowQuestion(int cameraX, int cameraY, const std::string& speaker, const std::string& text,
                    const std::string& face);
  void UpdateHover();
  // Both buttons, when they exist.
  void Draw();
  // 2 without buttons; otherwise 1 on "Yes", 0 on "No" (which wins where both hold the point),
  // 3 elsewhere, keeping the previous answer.
  int OnClick();

  int answer = 0;
  std::optional<Button> yes;
  std::optional<Button> no;
  std::shared_ptr<Font> font;

 private:
  Renderer& renderer_;
  UiHost* host_;
};

}  // namespace isora
