// A panel that pages through full pictures with previous, next and exit buttons
// (tutorialpanel.ini, the tutorial).
#pragma once

#include <string>
#include <vector>

#include "ui/widget_container.h"

namespace isora {

enum PagerButton : int { kPagerPre = 0, kPagerNext = 1, kPagerExit = 2 };
// Answer of OnClick when the cursor is outside the panel.
constexpr int kPagerOutside = -2;
// More pages than any tutorial needs; a damaged count is cut to this.
constexpr int kPagerMaxPages = 1000;

class PicturePager : public WidgetContainer {
 public:
  using WidgetContainer::WidgetContainer;

  // False when the INI does not load; otherwise starts at the first page.
  bool Load(const char* iniName, const char* packagePath);
  bool IsCursorInside() const;
  // Updates the buttons only while the cursor is inside: 1, else 0.
  int UpdateHoverInside();
  // -2 outside; otherwise the last button hit (Pre and Next turn the page, every button plays
  // the click sound) or -1. The owner closes the pager on 2.
  int OnClick();

  int width = 0, height = 0;
  int page = 0;
  std::vector<std::string> pages;
};

}  // namespace isora
