#include "foundation/win_format.h"

#include <cstdint>
#include <cstring>

namespace isora {
namespace {

void Pad(std::string& out, const std::string& body, int width, bool left, char fill) {
  int pad = width - static_cast<int>(body.size());
  if (pad <= 0) {
    out += body;
  } else if (left) {
    out += body;
    out.append(static_cast<size_t>(pad), ' ');
  } else if (fill == '0' && !body.empty() && body[0] == '-') {
    out += '-';
    out.append(static_cast<size_t>(pad), '0');
    out.append(body, 1);
  } else {
    out.append(static_cast<size_t>(pad), fill);
    out += body;
  }
}

std::string Digits(uint32_t v, unsigned base, bool upper) {
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char buf[16];
  int n = 0;
  do {
    buf[n++] = set[v % base];
    v /= base;
  } while (v);
  std::string s;
  while (n) s += buf[--n];
  return s;
}

}  // namespace

std::string VWinFormat(const char* format, va_list args) {
  std::string out;
  if (!format) return out;
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      out += *p;
      continue;
    }
    ++p;
    if (!*p) break;
    if (*p == '%') {
      out += '%';
      continue;
    }
    bool left = false, alt = false;
    char fill = ' ';
    for (;; ++p) {
      if (*p == '-')
        left = true;
      else if (*p == '0')
        fill = '0';
      else if (*p == '#')
        alt = true;
      else
        break;
    }
    int width = 0;
    while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
    int precision = -1;
    if (*p == '.') {
      ++p;
      precision = 0;
      while (*p >= '0' && *p <= '9') precision = precision * 10 + (*p++ - '0');
    }
    while (*p == 'l' || *p == 'h') ++p;
    if (!*p) break;
    std::string body;
    switch (*p) {
      case 'd':
      case 'i': {
        int32_t v = va_arg(args, int32_t);
        uint32_t mag = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
        body = Digits(mag, 10, false);
        if (precision > static_cast<int>(body.size()))
          body.insert(0, static_cast<size_t>(precision) - body.size(), '0');
        if (v < 0) body.insert(0, 1, '-');
        break;
      }
      case 'u':
        body = Digits(va_arg(args, uint32_t), 10, false);
        break;
      case 'x':
      case 'X': {
        bool upper = *p == 'X';
        body = Digits(va_arg(args, uint32_t), 16, upper);
        if (precision > static_cast<int>(body.size()))
          body.insert(0, static_cast<size_t>(precision) - body.size(), '0');
        if (alt) body.insert(0, upper ? "0X" : "0x");
        break;
      }
      case 'c':
        body = std::string(1, static_cast<char>(va_arg(args, int)));
        break;
      case 's': {
        const char* s = va_arg(args, const char*);
        if (!s) s = "(null)";
        size_t n = std::strlen(s);
        if (precision >= 0 && static_cast<size_t>(precision) < n)
          n = static_cast<size_t>(precision);
        body.assign(s, n);
        fill = ' ';
        break;
      }
      default:
        body = std::string(1, *p);
        break;
    }
    Pad(out, body, width, left, fill);
  }
  return out;
}

std::string WinFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string s = VWinFormat(format, args);
  va_end(args);
  return s;
}

}  // namespace isora
