// Stop signals.
#include "foundation/stop_signals.h"

#include <csignal>

#if defined(_WIN32) || defined(__EMSCRIPTEN__)
#define ISORA_NO_POSIX_SIGNALS 1
#else
#include <unistd.h>
#endif

namespace isora {

namespace {

volatile std::sig_atomic_t pendingStop = 0;
volatile std::sig_atomic_t lastSignal = 0;
volatile std::sig_atomic_t modalDepth = 0;

extern "C" void OnStopSignal(int signal) {
  lastSignal = signal;
  pendingStop = 1;
#ifndef ISORA_NO_POSIX_SIGNALS
  if (modalDepth > 0) _exit(128 + signal);
#endif
}

}  // namespace

void InstallStopSignals() {
#ifndef ISORA_NO_POSIX_SIGNALS
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
#endif
}

bool TakeStopRequest() {
  if (!pendingStop) return false;
  pendingStop = 0;
  return true;
}

int LastStopSignal() { return lastSignal; }

ModalWait::ModalWait() { modalDepth = modalDepth + 1; }
ModalWait::~ModalWait() { modalDepth = modalDepth - 1; }

}  // namespace isora
