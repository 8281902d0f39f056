// The crash report: on a fatal signal, exceptionLog.log in the current directory receives three
// lines (code, address, flags), then the signal's default action runs.
#pragma once

#include <cstdint>
#include <string>

namespace isora {

// Installs the handlers for the fatal signals (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT).
void InstallCrashHandler();

// The report's bytes for a code, address and flags, as written to disk (each line's CR LF
// written through a text-mode stream: CR CR LF).
std::string CrashReportText(uint32_t code, uint32_t address, uint32_t flags);

}  // namespace isora
