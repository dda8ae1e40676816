#pragma once

#include "app/WindowMessages.h"
#include "camera/CatchCam.h"
#include "camera/EventCatcher.h"

#include <cstdint>

namespace Vextal {

// The event of the last message seen by captureMouse.
extern MouseEvent mouseEvent;
// Client coordinates of the pointer at the last left or right press; drags
// are measured from here.
extern float anchorX, anchorY;

// Condenses one window message into mouseEvent and hands it to catchCam.
// A pointer move carries the offset from the anchor and the held buttons, a
// wheel turn its amount. A left or right press selects the camera whose pixel
// viewport contains the pointer (bounds inclusive, the highest index wins,
// none keeps the current one), makes catchCam steer it and moves the anchor
// to the pointer; the press itself carries nothing. Every other message
// carries nothing.
void captureMouse(std::uint32_t message, WParam wParam, LParam lParam);

} // namespace Vextal
