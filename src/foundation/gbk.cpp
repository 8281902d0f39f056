#include "foundation/gbk.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <array>
#include <cerrno>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace isora {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at s[i]; returns its length (1 for an invalid byte, with cp set to
// the replacement character).
size_t DecodeUtf8(std::string_view s, size_t i, char32_t* cp) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  size_t n = c < 0x80             ? 1
             : (c & 0xE0) == 0xC0 ? 2
             : (c & 0xF0) == 0xE0 ? 3
             : (c & 0xF8) == 0xF0 ? 4
                                  : 0;
  if (n == 0 || i + n > s.size()) {
    *cp = kReplacement;
    return 1;
  }
  char32_t v = n == 1 ? c : c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    unsigned char t = static_cast<unsigned char>(s[i + k]);
    if ((t & 0xC0) != 0x80) {
      *cp = kReplacement;
      return 1;
    }
    v = (v << 6) | (t & 0x3F);
  }
  *cp = v;
  return n;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Both directions of the two-byte half of GBK, built once from the system's converter. ASCII
// maps to itself.
struct GbkTables {
  // Index (lead - 0x81) * 256 + trail; 0 where the pair is not a character.
  std::array<char16_t, 126 * 256> toUnicode{};
  std::unordered_map<char32_t, uint16_t> fromUnicode;

  void Add(int lead, int trail, char32_t cp) {
    toUnicode[static_cast<size_t>((lead - 0x81) * 256 + trail)] = static_cast<char16_t>(cp);
    fromUnicode.try_emplace(cp, static_cast<uint16_t>(lead << 8 | trail));
  }

#ifdef _WIN32
  // Code page 936 is GBK plus the user-defined areas mapped to private-use characters; those
  // are left out so that both platforms read and write the same characters.
  GbkTables() {
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        wchar_t out[4];
        if (::MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, in, 2, out, 4) != 1) continue;
        char32_t cp = static_cast<char16_t>(out[0]);
        if (cp == 0 || (cp >= 0xE000 && cp <= 0xF8FF)) continue;
        Add(lead, trail, cp);
      }
    }
  }
#else
  GbkTables() {
    iconv_t cd = iconv_open("UTF-32LE", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail == 0x7F) continue;
        char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        unsigned char out[8];
        char* ip = in;
        char* op = reinterpret_cast<char*>(out);
        size_t il = 2, ol = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || ol != 4) continue;
        char32_t cp = out[0] | (out[1] << 8) | (out[2] << 16) | (char32_t{out[3]} << 24);
        if (cp == 0 || cp > 0xFFFF) continue;
        Add(lead, trail, cp);
      }
    }
    iconv_close(cd);
  }
#endif
};

const GbkTables& Tables() {
  static const GbkTables tables;
  return tables;
}

// Code point of the GBK character at s[i]; sets *used to the bytes it takes.
char32_t DecodeGbk(std::string_view s, size_t i, size_t* used) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  *used = 1;
  if (c < 0x80) return c;
  if (!IsGbkLead(c) || i + 1 >= s.size()) return kReplacement;
  unsigned char t = static_cast<unsigned char>(s[i + 1]);
  char16_t cp = Tables().toUnicode[static_cast<size_t>((c - 0x81) * 256 + t)];
  if (cp == 0) return kReplacement;
  *used = 2;
  return cp;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  const auto& from = Tables().fromUnicode;
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp;
    i += DecodeUtf8(utf8, i, &cp);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    auto it = from.find(cp);
    if (it == from.end()) {
      out += '?';
    } else {
      out += static_cast<char>(it->second >> 8);
      out += static_cast<char>(it->second & 0xFF);
    }
  }
  return out;
}

std::string Utf8ToGbk(std::u8string_view utf8) {
  return Utf8ToGbk(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

std::string GbkToUtf8(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  for (size_t i = 0; i < gbk.size();) {
    size_t used;
    AppendUtf8(out, DecodeGbk(gbk, i, &used));
    i += used;
  }
  return out;
}

std::u32string GbkToUnicode(std::string_view gbk) {
  std::u32string out;
  out.reserve(gbk.size());
  for (size_t i = 0; i < gbk.size();) {
    size_t used;
    out += DecodeGbk(gbk, i, &used);
    // A lead byte always takes its partner, even when the pair is not a character.
    if (used == 1 && IsGbkLead(static_cast<unsigned char>(gbk[i])) && i + 1 < gbk.size()) used = 2;
    i += used;
  }
  return out;
}

const std::string& Gbk(const char* utf8Literal) {
  static std::mutex mutex;
  static std::unordered_map<std::string, std::string> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = cache.find(utf8Literal);
  if (it == cache.end()) it = cache.emplace(utf8Literal, Utf8ToGbk(utf8Literal)).first;
  return it->second;
}

}  // namespace isora

namespace isora {
const std::string& Gbk(const char8_t* utf8Literal) {
  return Gbk(reinterpret_cast<const char*>(utf8Literal));
}
std::string_view CutGbk(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t n = 0;
  while (n < maxBytes) {
    size_t step = IsGbkLead(static_cast<unsigned char>(text[n])) ? 2 : 1;
    if (n + step > maxBytes) break;
    n += step;
  }
  return text.substr(0, n);
}

}  // namespace isora
