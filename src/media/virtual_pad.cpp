#include "media/virtual_pad.h"

#include <SDL2/SDL.h>

#include "media/sdl_handles.h"

namespace isora {

class VirtualPadImpl {
 public:
  sdl::Subsystem pads;
  int deviceIndex = -1;
  SDL_Joystick* joystick = nullptr;
  std::string error;
};

namespace {

// The joystick's buttons and axes are numbered as SDL's controller layout, so SDL maps them
// one to one.
bool ButtonIndex(PadButton button, int* index) {
  switch (button) {
    case PadButton::kA:
      *index = SDL_CONTROLLER_BUTTON_A;
      return true;
    case PadButton::kB:
      *index = SDL_CONTROLLER_BUTTON_B;
      return true;
    case PadButton::kX:
      *index = SDL_CONTROLLER_BUTTON_X;
      return true;
    case PadButton::kY:
      *index = SDL_CONTROLLER_BUTTON_Y;
      return true;
    case PadButton::kBack:
      *index = SDL_CONTROLLER_BUTTON_BACK;
      return true;
    case PadButton::kGuide:
      *index = SDL_CONTROLLER_BUTTON_GUIDE;
      return true;
    case PadButton::kStart:
      *index = SDL_CONTROLLER_BUTTON_START;
      return true;
    case PadButton::kLeftStick:
      *index = SDL_CONTROLLER_BUTTON_LEFTSTICK;
      return true;
    case PadButton::kRightStick:
      *index = SDL_CONTROLLER_BUTTON_RIGHTSTICK;
      return true;
    case PadButton::kLeftShoulder:
      *index = SDL_CONTROLLER_BUTTON_LEFTSHOULDER;
      return true;
    case PadButton::kRightShoulder:
      *index = SDL_CONTROLLER_BUTTON_RIGHTSHOULDER;
      return true;
    case PadButton::kDPadUp:
      *index = SDL_CONTROLLER_BUTTON_DPAD_UP;
      return true;
    case PadButton::kDPadDown:
      *index = SDL_CONTROLLER_BUTTON_DPAD_DOWN;
      return true;
    case PadButton::kDPadLeft:
      *index = SDL_CONTROLLER_BUTTON_DPAD_LEFT;
      return true;
    case PadButton::kDPadRight:
      *index = SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
      return true;
    default:
      return false;
  }
}

}  // namespace

VirtualPad::VirtualPad() : impl_(std::make_unique<VirtualPadImpl>()) {}

VirtualPad::~VirtualPad() { Detach(); }

bool VirtualPad::Attach() {
  if (Attached()) return true;
  if (!impl_->pads.Init(SDL_INIT_GAMECONTROLLER)) {
    impl_->error = SDL_GetError();
    return false;
  }
  SDL_VirtualJoystickDesc desc;
  SDL_zero(desc);
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
  desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
  desc.name = "Isora virtual pad";
  impl_->deviceIndex = SDL_JoystickAttachVirtualEx(&desc);
  if (impl_->deviceIndex < 0) {
    impl_->error = SDL_GetError();
    return false;
  }
  impl_->joystick = SDL_JoystickOpen(impl_->deviceIndex);
  if (!impl_->joystick) {
    impl_->error = SDL_GetError();
    SDL_JoystickDetachVirtual(impl_->deviceIndex);
    impl_->deviceIndex = -1;
    return false;
  }
  return true;
}

void VirtualPad::Detach() {
  if (!Attached()) return;
  const SDL_JoystickID id = SDL_JoystickInstanceID(impl_->joystick);
  SDL_JoystickClose(impl_->joystick);
  impl_->joystick = nullptr;
  // The device index may have moved since attaching: find the pad by its instance.
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) == id && SDL_JoystickIsVirtual(i)) {
      SDL_JoystickDetachVirtual(i);
      break;
    }
  }
  impl_->deviceIndex = -1;
}

bool VirtualPad::Attached() const { return impl_->joystick != nullptr; }

bool VirtualPad::SetButton(PadButton button, bool down) {
  if (!Attached()) return false;
  if (button == PadButton::kLeftTrigger || button == PadButton::kRightTrigger) {
    const int axis = button == PadButton::kLeftTrigger ? SDL_CONTROLLER_AXIS_TRIGGERLEFT
                                                       : SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
    return SDL_JoystickSetVirtualAxis(impl_->joystick, axis, down ? 32767 : 0) == 0;
  }
  int index = 0;
  if (!ButtonIndex(button, &index)) return false;
  return SDL_JoystickSetVirtualButton(impl_->joystick, index, down ? 1 : 0) == 0;
}

bool VirtualPad::SetAxis(PadAxis axis, int value) {
  if (!Attached()) return false;
  static constexpr int kAxes[kPadAxisCount] = {SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTY,
                                               SDL_CONTROLLER_AXIS_RIGHTX,
                                               SDL_CONTROLLER_AXIS_RIGHTY};
  const int i = static_cast<int>(axis);
  if (i < 0 || i >= kPadAxisCount) return false;
  value = value < -32768 ? -32768 : value > 32767 ? 32767 : value;
  return SDL_JoystickSetVirtualAxis(impl_->joystick, kAxes[i], static_cast<Sint16>(value)) == 0;
}

const std::string& VirtualPad::Error() const { return impl_->error; }

}  // namespace isora
