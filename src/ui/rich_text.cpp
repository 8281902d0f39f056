#include "ui/rich_text.h"

#include <array>

#include "foundation/enhancements.h"

namespace isora {

ColorRef RichTextColor(unsigned char digit, ColorRef defaultColor) {
  static constexpr std::array<ColorRef, 10> kTable = {
      MakeColorRef(0, 0, 0),       MakeColorRef(0, 0, 0),     MakeColorRef(255, 0, 0),
      MakeColorRef(0, 255, 0),     MakeColorRef(0, 0, 255),   MakeColorRef(255, 255, 0),
      MakeColorRef(255, 0, 255),   MakeColorRef(0, 255, 255), MakeColorRef(127, 127, 127),
      MakeColorRef(255, 255, 255),
  };
  if (digit < '0' || digit > '9') return defaultColor;
  return kTable[digit - '0'];
}

namespace {

std::string ReplacePair(std::string_view text, char second, std::string_view with) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == second) {
      out += with;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Bytes that belong to a Latin word: printable ASCII other than the space and the markup bytes.
bool IsWordByte(char byte) {
  unsigned char c = static_cast<unsigned char>(byte);
  return c > 0x20 && c < 0x80 && c != '<' && c != '/' && c != ',';
}

int WordLength(const std::string& text, size_t start) {
  size_t end = start;
  while (end < text.size() && IsWordByte(text[end])) ++end;
  return static_cast<int>(end - start);
}

}  // namespace

std::string RewriteCommaEscapes(std::string_view text) { return ReplacePair(text, 'd', ", "); }

std::string RewriteTalkEscapes(std::string_view text) {
  return RewriteCommaEscapes(ReplacePair(text, 'n', " \n"));
}

RichLayout LayoutRichText(const std::vector<std::string>& paragraphs, const RichTextRules& rules,
                          int firstLine, int maxLines) {
  RichLayout out;
  int line = 0;
  int count = 0;
  std::string buffer;
  ColorRef color = rules.defaultColor;
  bool inWord = false;  // the last byte counted was part of a Latin word (markup is not counted)
  const bool wholeWords = Enhanced().On(Enhancement::kWholeWordWrap);
  auto full = [&] { return maxLines >= 0 && line - firstLine >= maxLines; };
  auto flush = [&] {
    if (line >= firstLine && !buffer.empty()) {
      out.pieces.push_back(RichPiece{line - firstLine, buffer, color});
    }
    buffer.clear();
  };
  auto newLine = [&] {
    count = 0;
    ++line;
  };

  for (const std::string& p : paragraphs) {
    size_t j = 0;
    const size_t n = p.size();
    while (j < n && !full()) {
      unsigned char c = static_cast<unsigned char>(p[j]);
      if (c & 0x80) {
        inWord = false;
        buffer += p[j];
        if (j + 1 < n) buffer += p[j + 1];
        count += 2;
        j += 2;
      } else if (c == '<') {
        flush();
        color = j + 1 < n ? RichTextColor(static_cast<unsigned char>(p[j + 1]), rules.defaultColor)
                          : rules.defaultColor;
        j += 2;
      } else if (c == '/' && (rules.slashEndsAny || (j + 1 < n && p[j + 1] == '>'))) {
        flush();
        color = rules.defaultColor;
        j += 2;
      } else if (c == '\n') {
        inWord = false;
        flush();
        newLine();
        j += 1;
      } else if (c == ',') {
        inWord = false;
        buffer += ',';
        count += 1;
        j += 2;
      } else {
        // With whole-word wrap, a Latin word that would not fit on what is left of the line
        // starts the next one, unless it is longer than a whole line.
        if (wholeWords && count > 0 && IsWordByte(c) && !inWord) {
          const int length = WordLength(p, j);
          if (count + length > rules.lineChars && length <= rules.lineChars) {
            flush();
            newLine();
            if (full()) break;
          }
        }
        inWord = IsWordByte(c);
        buffer += static_cast<char>(c);
        count += 1;
        j += 1;
      }
      if (count >= rules.lineChars) {
        flush();
        newLine();
      }
    }
    if (full()) return out;
    flush();
    if (count > 0) newLine();
  }
  out.complete = true;
  return out;
}

std::vector<std::string> RichLines(const RichLayout& layout) {
  std::vector<std::string> lines;
  for (const RichPiece& piece : layout.pieces) {
    if (piece.line < 0) continue;
    if (lines.size() <= static_cast<size_t>(piece.line)) lines.resize(piece.line + 1);
    lines[piece.line] += piece.text;
  }
  return lines;
}

}  // namespace isora
