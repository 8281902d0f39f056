// printf-style formatting restricted to what the Windows wsprintf family accepts: %d %i %u %x
// %X %s %c %% with flags - 0 #, width, precision and the h/l size prefixes; no floating point.
// An unknown conversion prints its letter. Game code formats log lines and texts with this so
// that a stray "%" in data never reads a missing argument as a float.
#pragma once

#include <cstdarg>
#include <string>

namespace isora {

std::string VWinFormat(const char* format, va_list args);
std::string WinFormat(const char* format, ...);

}  // namespace isora
