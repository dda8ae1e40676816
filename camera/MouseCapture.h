#pragma once

#include "camera/CatchCam.h"
#include "camera/EventCatcher.h"
#include "input/WindowMessages.h"

#include <cstdint>

namespace Vextal {

// Condenses one window message into the current input state's mouseEvent
// (input/InputState.h) and hands it to its catchCam.
// A pointer move carries the offset from the anchor and the held buttons, a
// wheel turn its amount. A left or right press selects the camera whose pixel
// viewport contains the pointer (bounds inclusive, the highest index wins,
// none keeps the current one; a pointer left of or above the client area is
// outside every viewport), makes catchCam steer it and moves the anchor to
// the pointer; the press itself carries nothing. Every other message carries
// nothing.
void captureMouse(std::uint32_t message, WParam wParam, LParam lParam);

} // namespace Vextal
