// GBK text: the game's bytes from file to screen. Converted to Unicode only to draw or measure
// glyphs, and from UTF-8 once for texts written in the source or in content sources.
#pragma once

#include <string>
#include <string_view>

namespace isora {

// UTF-8 to GBK; characters GBK cannot hold become '?'.
std::string Utf8ToGbk(std::string_view utf8);
std::string Utf8ToGbk(std::u8string_view utf8);
// GBK to UTF-8; invalid bytes become U+FFFD.
std::string GbkToUtf8(std::string_view gbk);
// GBK to code points, one per character (a lead byte 0x81..0xFE takes the next byte with it).
std::u32string GbkToUnicode(std::string_view gbk);
// True when byte c starts a two-byte GBK character.
inline bool IsGbkLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Cuts a GBK text to at most maxBytes bytes without splitting a two-byte character, so a text
// cut to fit a fixed field never ends in half a character.
std::string_view CutGbk(std::string_view text, size_t maxBytes);

// A text written readably as UTF-8 in the source, as the game's GBK bytes (converted once
// and kept).
const std::string& Gbk(const char* utf8Literal);
// The same for u8"..." literals: Gbk(u8"无法打开文件%s").
const std::string& Gbk(const char8_t* utf8Literal);

}  // namespace isora
