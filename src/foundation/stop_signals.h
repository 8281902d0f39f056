// SIGTERM and SIGINT ask the game to end: the platform turns a request into the window's close
// message, so the game ends the way its own exit does, in whatever screen it is.
#pragma once

namespace isora {

// Installs the handlers (the program does, once, before the platform starts).
void InstallStopSignals();
// True once for a stop request received since the last call.
bool TakeStopRequest();
// The last stop signal received; 0 when none.
int LastStopSignal();

// A wait that no message can end (a message box of the platform): while one lasts, a stop
// signal ends the process at once with status 128 + the signal.
class ModalWait {
 public:
  ModalWait();
  ~ModalWait();
  ModalWait(const ModalWait&) = delete;
  ModalWait& operator=(const ModalWait&) = delete;
};

}  // namespace isora
