// The crash report: on a fatal signal, exceptionLog.log in the game folder (or the current
// directory, until one is named) receives three lines (code, address, flags), then the signal's
// default action runs.
#pragma once

#include <cstdint>
#include <string>

namespace isora {

// Installs the handlers for the fatal signals (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT).
void InstallCrashHandler();

// Names the folder the report is written in. Called once at start-up, before any game thread
// runs; a folder too long for the handler's fixed buffer leaves the report where it was.
void SetCrashReportFolder(const std::string& folder);

// The report's bytes for a code, address and flags, as written to disk (each line's CR LF
// written through a text-mode stream: CR CR LF).
std::string CrashReportText(uint32_t code, uint32_t address, uint32_t flags);

}  // namespace isora
