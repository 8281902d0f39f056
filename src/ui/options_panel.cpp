#include "ui/options_panel.h"

#include <cstdlib>

#include "foundation/ini_file.h"
#include "media/renderer.h"

namespace isora {

namespace {

constexpr const char* kRowSections[kOptionRowCount] = {
    "musicVolume", "effectVolume", "fullscreen",  "windowScale",       "integerScale",
    "pathFinding", "seeThrough",   "stackCounts", "messageLinePlaced", "minimap"};

// "RRGGBB" as a COLORREF; black when it is not a colour.
uint32_t ParseColor(const std::string& text) {
  if (text.size() != 6) return 0;
  char* end = nullptr;
  const unsigned long rgb = std::strtoul(text.c_str(), &end, 16);
  if (end != text.c_str() + 6) return 0;
  return MakeColorRef((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

bool OptionsPanel::Load(const char* iniName, const char* packagePath) {
  IniFile ini;
  packagePath ? ini.Load(iniName, packagePath) : ini.LoadFile(iniName);
  loaded_ = false;
  if (ini.IsFailed()) return false;
  buttons.clear();
  // [panel] bgpic: picture path; x, y: the panel's place on the screen; textColor: RRGGBB of
  // the labels, the title and the prompt.
  background = ini.GetString("panel", "bgpic");
  x = PanelNumber(ini, "panel", "x");
  y = PanelNumber(ini, "panel", "y");
  textColor_ = ParseColor(ini.GetString("panel", "textColor"));
  // [title] text, x, y: a line of text at an offset from the panel.
  title_ = ini.GetString("title", "text");
  titleAt_ = Point{x + PanelNumber(ini, "title", "x"), y + PanelNumber(ini, "title", "y")};
  // [closeButton], [upButton], [downButton]: text, type, x, y as the other panels' buttons.
  closeButton_ = static_cast<int>(buttons.size());
  AddIniButton(ini, "closeButton");
  upButton_ = static_cast<int>(buttons.size());
  AddIniButton(ini, "upButton");
  downButton_ = static_cast<int>(buttons.size());
  AddIniButton(ini, "downButton");
  // One section a setting: text (the label, none: the row is not offered), x, y (the label),
  // valueX (the value button, on the label's line).
  for (int i = 0; i < kOptionRowCount; ++i) {
    const char* section = kRowSections[i];
    labels_[i] = ini.GetString(section, "text");
    valueButton_[i] = -1;
    if (labels_[i].empty()) continue;
    labelAt_[i] = Point{x + PanelNumber(ini, section, "x"), y + PanelNumber(ini, section, "y")};
    valueButton_[i] = static_cast<int>(buttons.size());
    buttons.emplace_back(renderer_, "-", x + PanelNumber(ini, section, "valueX"), labelAt_[i].y,
                         kButtonText, true);
  }
  // [bindings] x, y: the list's first line; rows: lines shown; rowHeight: pixels a line;
  // keyX, padX: the key and pad buttons of each line; promptY: the prompt's line.
  listX_ = x + PanelNumber(ini, "bindings", "x");
  listY_ = y + PanelNumber(ini, "bindings", "y");
  rows_ = std::max(0, PanelNumber(ini, "bindings", "rows"));
  rowHeight_ = std::max(1, PanelNumber(ini, "bindings", "rowHeight"));
  keyX_ = x + PanelNumber(ini, "bindings", "keyX");
  padX_ = x + PanelNumber(ini, "bindings", "padX");
  promptAt_ = Point{listX_, y + PanelNumber(ini, "bindings", "promptY")};
  firstKeyButton_ = static_cast<int>(buttons.size());
  for (int i = 0; i < rows_; ++i) {
    buttons.emplace_back(renderer_, "", keyX_, listY_ + i * rowHeight_, kButtonText, true);
    buttons.emplace_back(renderer_, "", padX_, listY_ + i * rowHeight_, kButtonText, true);
  }
  first_ = 0;
  loaded_ = true;
  ShowBindings();
  return true;
}

void OptionsPanel::SetCaption(int index, const std::string& text) {
  if (index < 0 || index >= static_cast<int>(buttons.size())) return;
  Button& b = buttons[index];
  if (b.name == text) return;
  b.SetCaption(text);
  // An empty caption is no button: nothing drawn, nothing hit.
  const Size size = text.empty() ? Size{0, 0} : renderer_.TextExtent(text);
  b.SetSize(size.cx, size.cy);
}

void OptionsPanel::SetValue(OptionRow row, const std::string& text) {
  SetCaption(valueButton_[static_cast<int>(row)], text);
}

void OptionsPanel::SetBindings(const std::vector<BindingRowText>& rows) {
  bindings_ = rows;
  if (first_ + rows_ > static_cast<int>(bindings_.size()))
    first_ = std::max(0, static_cast<int>(bindings_.size()) - rows_);
  ShowBindings();
}

void OptionsPanel::ShowBindings() {
  for (int i = 0; i < rows_; ++i) {
    const int b = first_ + i;
    const bool shown = b < static_cast<int>(bindings_.size());
    SetCaption(firstKeyButton_ + 2 * i, shown ? bindings_[b].key : "");
    SetCaption(firstKeyButton_ + 2 * i + 1, shown ? bindings_[b].pad : "");
  }
}

OptionsHit OptionsPanel::OnClick() {
  const Point p = Cursor();
  const int hit = ButtonAt(p.x, p.y);
  if (hit < 0) return {};
  if (hit == closeButton_) return {OptionsHit::Kind::kClose, 0};
  if (hit == upButton_ || hit == downButton_) {
    const int last = std::max(0, static_cast<int>(bindings_.size()) - rows_);
    first_ = std::clamp(first_ + (hit == upButton_ ? -rows_ : rows_), 0, last);
    ShowBindings();
    return {};
  }
  for (int i = 0; i < kOptionRowCount; ++i)
    if (hit == valueButton_[i]) return {OptionsHit::Kind::kStep, i};
  const int line = (hit - firstKeyButton_) / 2;
  if (hit < firstKeyButton_ || line >= rows_) return {};
  const int binding = first_ + line;
  if (binding >= static_cast<int>(bindings_.size())) return {};
  const bool pad = (hit - firstKeyButton_) % 2 == 1;
  return {pad ? OptionsHit::Kind::kPad : OptionsHit::Kind::kKey, binding};
}

void OptionsPanel::Draw() {
  WidgetContainer::Draw();
  if (!title_.empty())
    renderer_.DrawText(title_, titleAt_.x, titleAt_.y, kSurfaceBackBuffer, kTaLeft, textColor_);
  for (int i = 0; i < kOptionRowCount; ++i) {
    if (valueButton_[i] < 0) continue;
    renderer_.DrawText(labels_[i], labelAt_[i].x, labelAt_[i].y, kSurfaceBackBuffer, kTaLeft,
                       textColor_);
  }
  for (int i = 0; i < rows_ && first_ + i < static_cast<int>(bindings_.size()); ++i) {
    renderer_.DrawText(bindings_[first_ + i].label, listX_, listY_ + i * rowHeight_,
                       kSurfaceBackBuffer, kTaLeft, textColor_);
  }
  if (!prompt_.empty())
    renderer_.DrawText(prompt_, promptAt_.x, promptAt_.y, kSurfaceBackBuffer, kTaLeft, textColor_);
}

}  // namespace isora
