// The options screen (options.ini): the player's settings as rows of a label and a value
// button, and the controls as a scrolled list of command, key and pad button. A click only
// reports what was hit; the game changes the setting, saves it and gives the panel the new
// values. A game without options.ini simply has no options screen.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "ui/widget_container.h"

namespace isora {

enum class OptionRow : int {
  kMusicVolume,
  kEffectVolume,
  kFullscreen,
  kWindowScale,
  kIntegerScale,
  kPathFinding,  // the player's switches of taste, in the settings' order
  kSeeThrough,
  kStackCounts,
  kMessageLinePlaced,
  kMinimap,
};
constexpr int kOptionRowCount = 10;

// What a click on the options panel hit.
struct OptionsHit {
  enum class Kind { kNone, kClose, kStep, kKey, kPad };
  Kind kind = Kind::kNone;
  int index = 0;  // the OptionRow of kStep; the binding (in SetBindings order) of kKey and kPad
};

struct BindingRowText {
  std::string label, key, pad;
};

class OptionsPanel : public WidgetContainer {
 public:
  using WidgetContainer::WidgetContainer;

  // False, building nothing, when the INI does not load.
  bool Load(const char* iniName, const char* packagePath);
  bool Loaded() const { return loaded_; }

  void SetValue(OptionRow row, const std::string& text);
  void SetBindings(const std::vector<BindingRowText>& rows);
  // A line under the list, e.g. while a key is awaited; empty for none.
  void SetPrompt(const std::string& text) { prompt_ = text; }

  // The hit under the cursor. The scroll buttons scroll the list themselves (kNone).
  OptionsHit OnClick();
  void Draw() override;

 private:
  void SetCaption(int button, const std::string& text);
  void ShowBindings();

  bool loaded_ = false;
  uint32_t textColor_ = 0;
  std::string title_;
  Point titleAt_;
  std::array<int, kOptionRowCount> valueButton_ = [] {
    std::array<int, kOptionRowCount> none;
    none.fill(-1);
    return none;
  }();
  std::array<std::string, kOptionRowCount> labels_;
  std::array<Point, kOptionRowCount> labelAt_{};
  int closeButton_ = -1, upButton_ = -1, downButton_ = -1;
  // The list: `rows_` lines from (listX_, listY_), `rowHeight_` apart; the key and pad buttons
  // of line i are firstKeyButton_ + 2i and + 2i + 1.
  int listX_ = 0, listY_ = 0, rows_ = 0, rowHeight_ = 20, keyX_ = 0, padX_ = 0;
  int firstKeyButton_ = 0;
  int first_ = 0;
  std::vector<BindingRowText> bindings_;
  std::string prompt_;
  Point promptAt_;
};

}  // namespace isora
