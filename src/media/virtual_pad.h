// A game controller that exists only in software (SDL's virtual joystick), for tests and
// demonstrations that play with a pad on a machine without one. The platform sees it as it
// sees a real pad: plugged in when attached, pulled out when detached.
#pragma once

#include <memory>
#include <string>

#include "media/pad.h"

namespace isora {

class VirtualPadImpl;

class VirtualPad {
 public:
  VirtualPad();
  ~VirtualPad();
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  // Plugs the pad in; false (Error() says why) when SDL cannot make one.
  bool Attach();
  // Pulls it out; nothing when not attached.
  void Detach();
  bool Attached() const;
  // The new state takes effect when the platform next reads its events.
  bool SetButton(PadButton button, bool down);
  bool SetAxis(PadAxis axis, int value);
  const std::string& Error() const;

 private:
  std::unique_ptr<VirtualPadImpl> impl_;
};

}  // namespace isora
