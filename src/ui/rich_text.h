// The colour markup of the game's longer texts and its layout: two-byte characters kept whole,
// "<" and a digit to switch colour, "/>" (or, for talk pages, "/" and any byte) to end it, LF
// to break, and a comma that swallows the byte after it. Lines wrap by byte count, not by words,
// unless the game asks for whole-word wrap.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "media/surface.h"

namespace isora {

// The colour of the digit after "<". Bytes other than '0'..'9' give the default colour.
ColorRef RichTextColor(unsigned char digit, ColorRef defaultColor);

// "\d" becomes ", " (shown as one comma, the blank swallowed by the comma rule).
std::string RewriteCommaEscapes(std::string_view text);
// "\n" becomes " " + LF, then "\d" becomes ", " (the talk page's working copy).
std::string RewriteTalkEscapes(std::string_view text);

struct RichTextRules {
  int lineChars = 20;  // bytes per line before wrapping
  ColorRef defaultColor = 0;
  bool slashEndsAny = false;  // the talk page: "/" ends the colour whatever follows it
};

// One run of bytes drawn in one colour on one line.
struct RichPiece {
  int line = 0;  // counted from the first shown line
  std::string text;
  ColorRef color = 0;
};

struct RichLayout {
  std::vector<RichPiece> pieces;
  bool complete = false;  // every paragraph was laid out to its end
};

// Lays paragraphs out as the text box draws them: lines above firstLine are laid out but not
// kept, and layout stops once maxLines lines are shown (maxLines < 0: no limit).
RichLayout LayoutRichText(const std::vector<std::string>& paragraphs, const RichTextRules& rules,
                          int firstLine = 0, int maxLines = -1);

// Joins the pieces of each line (for tests and tools): one text per shown line.
std::vector<std::string> RichLines(const RichLayout& layout);

}  // namespace isora
