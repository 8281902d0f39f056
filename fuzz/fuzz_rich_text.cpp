// The colour markup and its layout: both escape rewrites, every rule set, scrolled and bounded
// views, and the lines they give. The first byte chooses the rules; LF-free runs split by NUL
// are the paragraphs.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/rich_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<std::string> paragraphs;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\0') {
      paragraphs.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  isora::RichTextRules rules;
  rules.lineChars = choice & 0x3F;  // 0 and 1 included: the narrowest boxes
  rules.slashEndsAny = (choice & 0x40) != 0;
  rules.defaultColor = 0x123456;
  if (choice & 0x80) {
    for (std::string& p : paragraphs)
      p = rules.slashEndsAny ? isora::RewriteTalkEscapes(p) : isora::RewriteCommaEscapes(p);
  }
  for (unsigned char c : text) (void)isora::RichTextColor(c, rules.defaultColor);

  const isora::RichLayout all = isora::LayoutRichText(paragraphs, rules);
  size_t bytes = 0;
  int lastLine = 0;
  for (const isora::RichPiece& piece : all.pieces) {
    // Pieces come line by line and hold only bytes of the paragraphs.
    if (piece.line < lastLine) __builtin_trap();
    lastLine = piece.line;
    bytes += piece.text.size();
  }
  size_t total = 0;
  for (const std::string& p : paragraphs) total += p.size();
  if (bytes > total) __builtin_trap();
  if (!all.complete) __builtin_trap();  // an unbounded layout always reaches the end
  (void)isora::RichLines(all);

  // A scrolled, bounded view as the text box draws it.
  const int first = (choice >> 2) % 5, maxLines = choice % 4;
  const isora::RichLayout view = isora::LayoutRichText(paragraphs, rules, first, maxLines);
  for (const isora::RichPiece& piece : view.pieces)
    if (piece.line < 0 || piece.line >= maxLines) __builtin_trap();
  (void)isora::RichLines(view);
  return 0;
}
